#include "platform/foundation/property_list.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <limits>
#include <random>

namespace platform {
namespace {

using namespace std::chrono_literals;

Value sample() {
    Date when = Date(std::chrono::seconds(1700000000));
    ValueDictionary inner{{"handles", Value(ValueArray{Value(1), Value(0xFFFFFFFFLL), Value(-7)})},
                          {"empty array", Value(ValueArray{})},
                          {"empty dictionary", Value(ValueDictionary{})},
                          {"empty data", Value(Data{})}};
    return Value(ValueDictionary{
        {"bool", Value(true)},
        {"false", Value(false)},
        {"int max", Value(std::numeric_limits<int64_t>::max())},
        {"int min", Value(std::numeric_limits<int64_t>::min())},
        {"real", Value(0.1)},
        {"tiny", Value(1e-10)},
        {"negative real", Value(-2.5e300)},
        {"text", Value("a <b> & \"c\" 'd' ]]> \xc3\xa9\xe2\x82\xac")},
        {"key <&>", Value("")},
        {"data", Value(Data{0, 1, 2, 0xFF, 0x80, '<'})},
        {"date", Value(when)},
        {"before 2001", Value(Date(std::chrono::seconds(86400)))},
        {"nested", Value(inner)},
    });
}

class PropertyListTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string path(const char* name) { return (dir.path() + "/" + name).toStdString(); }
};

TEST_F(PropertyListTest, RoundTripsEveryTypeThroughAFile) {
    std::string file = path("handles.dat");
    ASSERT_EQ(PropertyList::write(file, sample()), "");
    PropertyList::Result r = PropertyList::read(file);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.value, sample());
    EXPECT_EQ(r.value["nested"]["handles"].toArray().at(1).toInteger(), 0xFFFFFFFFLL);

    // Dates keep whole seconds, cut toward the past, also before 1970.
    for (auto [written, read] : {std::pair{1700000000.75, 1700000000LL}, std::pair{-0.5, -1LL}}) {
        Date d(std::chrono::duration_cast<Date::duration>(std::chrono::duration<double>(written)));
        ASSERT_EQ(PropertyList::write(file, Value(d)), "");
        EXPECT_EQ(PropertyList::read(file).value, Value(Date(std::chrono::seconds(read)))) << written;
        EXPECT_EQ(PropertyList::normalized(Value(d)), Value(Date(std::chrono::seconds(read))));
    }

    // Overwriting goes through a temporary file: only the one file is left in the folder.
    ASSERT_EQ(PropertyList::write(file, Value(ValueArray{Value("second")})), "");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"handles.dat"});
    EXPECT_EQ(PropertyList::read(file).value, Value(ValueArray{Value("second")}));
}

TEST_F(PropertyListTest, RefusesValuesAPropertyListCannotHoldWithoutTouchingTheFile) {
    std::string file = path("keep.plist");
    ASSERT_EQ(PropertyList::write(file, Value("original")), "");
    int object = 0;
    // Texts and keys with a NUL inside would be cut short by the writer: refused, never stored shortened.
    for (const Value& bad : {Value(), Value(ValueArray{Value(1), Value()}),
                             Value(ValueDictionary{{"who", Value::reference(&object)}}),
                             Value(std::string("IMG\0001.JPG", 8)),
                             Value(ValueDictionary{{std::string("a\0b", 3), Value(1)}})}) {
        std::string error = PropertyList::write(file, bad);
        EXPECT_NE(error, "");
        EXPECT_EQ(PropertyList::read(file).value, Value("original"));
    }
    // A folder that cannot be created (its parent is a file).
    EXPECT_NE(PropertyList::write(path("keep.plist/inside.plist"), Value(1)), "");
}

TEST_F(PropertyListTest, ReportsMissingAndMalformedInput) {
    PropertyList::Result missing = PropertyList::read(path("nothing-here.plist"));
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.error.find("nothing-here.plist"), std::string::npos);

    std::string deep = "<plist>";
    for (int i = 0; i < 100000; ++i) deep += "<array>";
    std::string fairlyDeep = "<plist>";
    for (int i = 0; i < PropertyList::kMaxDepth + 10; ++i) fairlyDeep += "<array>";
    for (int i = 0; i < PropertyList::kMaxDepth + 10; ++i) fairlyDeep += "</array>";
    fairlyDeep += "</plist>";
    const std::string cases[] = {
        "",
        "not a property list",
        "bplist00\x01\x02\x03",
        "<plist><array><integer>1</integer>",
        "<plist><dict><key>a</key><string>b</dict></plist>",
        "<plist><data>%%%</data></plist>",
        "<?xml version=\"1.0\"?><plist><string>&#xFFFFFFFF;&bogus;</string></plist>",
        "<plist><dict><key>a</key></dict></plist>",
        "<plist><date>not a date</date></plist>",
        deep,
        fairlyDeep,
    };
    for (const std::string& text : cases) {
        PropertyList::Result r = PropertyList::parse(text);
        // Whatever libplist accepts must come back as a value; what it refuses must carry a reason.
        EXPECT_TRUE(r.ok() || !r.error.empty());
        if (!r.ok()) {
            EXPECT_TRUE(r.value.isNull());
        }
    }
    EXPECT_FALSE(PropertyList::parse(std::string()).ok());
    EXPECT_FALSE(PropertyList::parse("bplist00\x01\x02\x03").ok());
    EXPECT_FALSE(PropertyList::parse(deep).ok());
    EXPECT_FALSE(PropertyList::parse(fairlyDeep).ok());
}

TEST_F(PropertyListTest, TruncatedOrDamagedFilesAreReportedNotCrashedOn) {
    std::string xml;
    ASSERT_TRUE(PropertyList::toXml(sample(), xml));
    size_t rootEnd = xml.rfind("</dict>");
    ASSERT_NE(rootEnd, std::string::npos);
    // Every cut before the root closes: an error.
    for (size_t cut = 0; cut < rootEnd; ++cut) {
        PropertyList::Result r = PropertyList::parse(xml.data(), cut);
        EXPECT_FALSE(r.ok()) << "cut at " << cut;
    }
    // Damaged bytes: never a crash (AddressSanitizer watches), an error or some value.
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string damaged = xml;
        int flips = 1 + round % 4;
        for (int f = 0; f < flips; ++f) {
            damaged[random() % damaged.size()] = static_cast<char>(random() % 256);
        }
        PropertyList::Result r = PropertyList::parse(damaged);
        EXPECT_TRUE(r.ok() || !r.error.empty());
    }
    // A damaged file on disk reads as an error naming the file.
    std::string file = path("damaged.plist");
    std::ofstream(file) << xml.substr(0, xml.size() / 2);
    PropertyList::Result r = PropertyList::read(file);
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.error.find("damaged.plist"), std::string::npos);
}

}  // namespace
}  // namespace platform
