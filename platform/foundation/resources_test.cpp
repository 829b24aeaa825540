#include "platform/foundation/resources.h"

#include <gtest/gtest.h>

#include <QStandardPaths>

#include "platform/foundation/localized_strings.h"
#include "platform/foundation/property_list.h"
#include "platform/foundation/system_log.h"
#include "platform/foundation/test_application.h"
#include "platform/foundation/user_defaults.h"

namespace platform {
namespace {

TEST(ResourcesTest, BundledDefaultsLoadAndRegister) {
    // Fails when the resource library's objects are not linked in.
    ASSERT_TRUE(resourceExists("DefaultValues", "plist"));
    auto bytes = resourceData("DefaultValues", "plist");
    ASSERT_TRUE(bytes.has_value());
    PropertyList::Result r = PropertyList::parse(bytes->data(), bytes->size());
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_FALSE(resourceExists("NoSuchResource", "plist"));
    EXPECT_FALSE(resourceData("NoSuchResource", "plist").has_value());

    ensureTestApplication();
    UserDefaults defaults(UserDefaults::standardPath());
    ASSERT_EQ(defaults.registerDefaultsFromResource(), "");
    struct Expected {
        const char* key;
        Value::Type type;
    };
    const Expected keys[] = {
        {"ipAddress", Value::Type::String},           {"AutoReconnect", Value::Type::Bool},
        {"ControlsVisibility", Value::Type::Bool},    {"ThumbnailStripVisibility", Value::Type::Bool},
        {"JWSetting_TetherOnlyMode", Value::Type::Bool}, {"HostMode", Value::Type::Bool},
        {"AutoViewImages", Value::Type::Integer},     {"QuickRawMode", Value::Type::Bool},
        {"SequenceDelay", Value::Type::Real},
    };
    for (const Expected& e : keys) EXPECT_EQ(defaults.objectForKey(e.key).type(), e.type) << e.key;
    EXPECT_EQ(defaults.stringForKey("ipAddress"), "");
    EXPECT_NE(defaults.registerDefaultsFromResource("NoSuchResource"), "");
}

TEST(ResourcesTest, StringTableFallsBackToTheKey) {
    EXPECT_EQ(localizedString("FailedStartSession"), "Failed to start the camera session.");
    EXPECT_EQ(localizedString("NoTextForThisKey"), "NoTextForThisKey");
    StringTable table;
    EXPECT_NE(table.load(":/NoSuchTable.strings"), "");
    EXPECT_EQ(table.lookup("FailedStartSession"), "FailedStartSession");
    EXPECT_EQ(table.lookup("Anything", ""), "");
}

TEST(ResourcesTest, DocumentsFolderIsTheApplicationDataFolder) {
    ensureTestApplication();
    std::string docs = documentsFolder();
    ASSERT_FALSE(docs.empty());
    EXPECT_EQ(docs, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString());
    EXPECT_NE(docs.find("XDG_DATA_HOME"), std::string::npos);  // the test's private folder, not the user's
}

TEST(ResourcesTest, SystemLogLinesReachTheSink) {
    std::vector<std::string> lines;
    setSystemLogSink([&](LogLevel level, const std::string& line) {
        if (level == LogLevel::Warning) lines.push_back(line);
    });
    systemLogf(LogLevel::Warning, "switch: cannot push %s (%d)", "value", 7);
    setSystemLogSink(nullptr);
    systemLog("not watched", LogLevel::Warning);
    EXPECT_EQ(lines, (std::vector<std::string>{"switch: cannot push value (7)"}));
}

}  // namespace
}  // namespace platform
