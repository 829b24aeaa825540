#include "platform/foundation/user_defaults.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <atomic>
#include <future>
#include <thread>

#include "platform/foundation/dispatch.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

class UserDefaultsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string file() { return (dir.path() + "/Vorlaxent/Vorlaxent.plist").toStdString(); }
};

TEST_F(UserDefaultsTest, UserValuesOverRegisteredDefaultsWithTypedGetters) {
    UserDefaults defaults(file());
    defaults.registerDefaults({{"AutoReconnect", Value(true)},
                               {"SequenceDelay", Value(1.5)},
                               {"AutoViewImages", Value(1)},
                               {"ipAddress", Value("")},
                               {"Numbers", Value(ValueArray{Value(1), Value(2)})}});
    EXPECT_TRUE(defaults.boolForKey("AutoReconnect"));
    EXPECT_DOUBLE_EQ(defaults.doubleForKey("SequenceDelay"), 1.5);
    EXPECT_EQ(defaults.integerForKey("AutoViewImages"), 1);
    EXPECT_EQ(defaults.arrayForKey("Numbers").size(), 2u);
    EXPECT_TRUE(defaults.objectForKey("Missing").isNull());
    EXPECT_EQ(defaults.stringForKey("Missing"), "");
    EXPECT_FALSE(defaults.boolForKey("Missing"));

    defaults.setBool(false, "AutoReconnect");
    defaults.setString("192.168.1.2", "ipAddress");
    defaults.setInteger(3, "AutoViewImages");
    EXPECT_FALSE(defaults.boolForKey("AutoReconnect"));
    EXPECT_EQ(defaults.stringForKey("ipAddress"), "192.168.1.2");
    EXPECT_EQ(defaults.integerForKey("AutoViewImages"), 3);
    defaults.removeObjectForKey("AutoReconnect");
    EXPECT_TRUE(defaults.boolForKey("AutoReconnect"));  // back to the registered default

    // Conversions between numbers and text, as the settings window's bindings store them.
    struct Case {
        Value stored;
        bool asBool;
        int64_t asInteger;
        double asDouble;
        std::string asString;
    };
    const Case cases[] = {
        {Value("YES"), true, 0, 0.0, "YES"},       {Value("12"), true, 12, 12.0, "12"},
        {Value("0"), false, 0, 0.0, "0"},          {Value(2.75), true, 2, 2.75, "2.75"},
        {Value(-3), true, -3, -3.0, "-3"},         {Value(true), true, 1, 1.0, "1"},
        {Value(Data{1}), false, 0, 0.0, ""},
    };
    for (const Case& c : cases) {
        defaults.setObject(c.stored, "Coerced");
        EXPECT_EQ(defaults.boolForKey("Coerced"), c.asBool) << c.asString;
        EXPECT_EQ(defaults.integerForKey("Coerced"), c.asInteger) << c.asString;
        EXPECT_DOUBLE_EQ(defaults.doubleForKey("Coerced"), c.asDouble) << c.asString;
        EXPECT_EQ(defaults.stringForKey("Coerced"), c.asString);
    }

    // What a property list cannot hold is refused and changes nothing.
    int object = 0;
    EXPECT_FALSE(defaults.setObject(Value::reference(&object), "ipAddress"));
    EXPECT_FALSE(defaults.setObject(Value(ValueArray{Value()}), "ipAddress"));
    EXPECT_EQ(defaults.stringForKey("ipAddress"), "192.168.1.2");
}

TEST_F(UserDefaultsTest, ObserverSeesTheNewValueOnTheWritingThread) {
    UserDefaults defaults(file());
    defaults.registerDefaults({{"HostMode", Value(false)}});
    int owner = 0;
    std::vector<std::pair<Value, Value>> seen;  // (value passed, value read back inside the observer)
    std::thread::id observerThread;
    defaults.addObserver(&owner, "HostMode", [&](const std::string& key, const Value& newValue) {
        EXPECT_EQ(key, "HostMode");
        seen.emplace_back(newValue, defaults.objectForKey("HostMode"));
        observerThread = std::this_thread::get_id();
    });
    int otherCalls = 0;
    defaults.addObserver(&owner, "SaveFujiRaws", [&](const std::string&, const Value&) { ++otherCalls; });

    std::thread::id writer;
    std::thread([&] {
        writer = std::this_thread::get_id();
        defaults.setBool(true, "HostMode");
    }).join();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, Value(true));
    EXPECT_EQ(seen[0].second, Value(true));  // the change is in place when the observer runs
    EXPECT_EQ(observerThread, writer);

    defaults.removeObjectForKey("HostMode");  // the observer sees the registered default come back
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].first, Value(false));
    EXPECT_EQ(otherCalls, 0);

    defaults.removeObserver(&owner, "HostMode");
    defaults.setBool(true, "HostMode");
    defaults.setBool(true, "SaveFujiRaws");
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(otherCalls, 1);
}

TEST_F(UserDefaultsTest, ValuesPersistAcrossInstancesOnTheSameFile) {
    Date when = Date(std::chrono::seconds(1700000000)) + 250ms;
    {
        UserDefaults first(file());
        first.setString("10.0.0.7", "ipAddress");
        first.setBool(true, "JWSetting_TetherOnlyMode");
        first.setInteger(-42, "WatermarkSize");
        first.setDouble(0.25, "SequenceDelay");
        first.setData(Data{1, 2, 3, 0}, "SandboxBookmark");
        first.setDate(when, "LastSessionTime");
        EXPECT_EQ(first.dateForKey("LastSessionTime"), when - 250ms);  // kept as a restart will read it
        first.setArray({Value(7), Value("x")}, "Handles");
        first.setDictionary({{"NumberShots", Value(5)}, {"StepSize", Value(1)}}, "HdrValues");
        first.setString("gone", "Removed");
        first.removeObjectForKey("Removed");
        EXPECT_TRUE(first.synchronize());
    }
    UserDefaults second(file());
    EXPECT_EQ(second.lastError(), "");
    EXPECT_EQ(second.stringForKey("ipAddress"), "10.0.0.7");
    EXPECT_TRUE(second.boolForKey("JWSetting_TetherOnlyMode"));
    EXPECT_EQ(second.objectForKey("WatermarkSize"), Value(-42));
    EXPECT_EQ(second.objectForKey("SequenceDelay"), Value(0.25));
    EXPECT_EQ(second.dataForKey("SandboxBookmark"), (Data{1, 2, 3, 0}));
    EXPECT_EQ(second.dateForKey("LastSessionTime"), when - 250ms);
    EXPECT_EQ(second.objectForKey("Handles"), Value(ValueArray{Value(7), Value("x")}));
    EXPECT_EQ(second.dictionaryForKey("HdrValues").at("NumberShots"), Value(5));
    EXPECT_TRUE(second.objectForKey("Removed").isNull());

    // Two live instances writing different keys: neither loses the other's write.
    UserDefaults third(file());
    second.setInteger(1, "FromSecond");
    third.setInteger(2, "FromThird");
    UserDefaults fourth(file());
    EXPECT_EQ(fourth.integerForKey("FromSecond"), 1);
    EXPECT_EQ(fourth.integerForKey("FromThird"), 2);
    EXPECT_EQ(fourth.stringForKey("ipAddress"), "10.0.0.7");
}

// A writer never waits for the file: while another holds the file's lock (as a busy disk holds a write), a change
// takes effect at once; the file gets the latest value of each key once the lock is free.
TEST_F(UserDefaultsTest, WritesReturnWhileTheFileIsBusyAndLandInOrder) {
    UserDefaults defaults(file());
    defaults.setString("first", "ipAddress");
    ASSERT_TRUE(defaults.synchronize());
    auto busy = std::make_unique<QLockFile>(QString::fromStdString(file() + ".lock"));
    busy->setStaleLockTime(0);
    ASSERT_TRUE(busy->tryLock(0));

    std::future<void> writes = std::async(std::launch::async, [&defaults] {
        for (const char* address : {"10.0.0.1", "10.0.0.2", "10.0.0.3"}) defaults.setString(address, "ipAddress");
        defaults.setBool(true, "AutoReconnect");
        defaults.removeObjectForKey("AutoReconnect");
    });
    const bool returned = writes.wait_for(10s) == std::future_status::ready;
    busy.reset();  // lets a blocked writer finish either way
    writes.wait();
    EXPECT_TRUE(returned) << "a write waited for the file";
    EXPECT_EQ(defaults.stringForKey("ipAddress"), "10.0.0.3");

    EXPECT_TRUE(defaults.synchronize());
    UserDefaults reread(file());
    EXPECT_EQ(reread.stringForKey("ipAddress"), "10.0.0.3");
    EXPECT_TRUE(reread.objectForKey("AutoReconnect").isNull());
}

TEST_F(UserDefaultsTest, UnreadableFileIsSetAsideAndSettingsStartEmpty) {
    UserDefaults(file()).setString("x", "Something");
    {
        QFile f(QString::fromStdString(file()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("<plist><dict><key>Something</key><string>trunc");
    }
    UserDefaults defaults(file());
    EXPECT_NE(defaults.lastError(), "");
    EXPECT_TRUE(defaults.objectForKey("Something").isNull());
    EXPECT_TRUE(QFile::exists(QString::fromStdString(file() + ".corrupt")));
    defaults.setString("fresh", "Something");
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_EQ(UserDefaults(file()).stringForKey("Something"), "fresh");
}

TEST_F(UserDefaultsTest, WritesFromManyThreadsAllLand) {
    UserDefaults defaults(file());
    std::atomic<int> observed{0};
    defaults.addObserver(nullptr, "", [&](const std::string&, const Value&) { ++observed; });
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([&, t] {
            for (int i = 0; i < 10; ++i) defaults.setInteger(i, "Key" + std::to_string(t));
        });
    }
    for (auto& w : writers) w.join();
    EXPECT_EQ(observed.load(), 40);
    UserDefaults reread(file());
    for (int t = 0; t < 4; ++t) EXPECT_EQ(reread.integerForKey("Key" + std::to_string(t)), 9);
}

}  // namespace
}  // namespace platform
