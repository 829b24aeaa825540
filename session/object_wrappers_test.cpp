// The wrappers that carry the engine's records into the interface: object records, property snapshots and
// property-change listeners.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/ptp/property_store.h"
#include "session/property_change_callback.h"
#include "session/property_object.h"
#include "session/ptp_object_info_class.h"

namespace {

PtpObjectInfoStruct record(uint32_t id, const char* name) {
    PtpObjectInfoStruct r{};
    r.objectId = id;
    std::strncpy(r.fileName, name, sizeof r.fileName - 1);
    r.fileNameLength = uint16_t(std::strlen(r.fileName) + 1);
    return r;
}

TEST(PtpObjectInfoClassTest, EqualityByHandleOrByNameForCardObjects) {
    struct Case {
        const char* name;
        PtpObjectInfoStruct a, b;
        bool equal;
    };
    const Case cases[] = {
        {"same handle, different names", record(7, "A.JPG"), record(7, "B.JPG"), true},
        {"different handles, same name", record(7, "A.JPG"), record(8, "A.JPG"), false},
        {"card objects with different names", record(kObjectIdByName, "A.JPG"), record(kObjectIdByName, "B.JPG"), false},
        {"card objects with the same name", record(kObjectIdByName, "A.JPG"), record(kObjectIdByName, "A.JPG"), true},
        // Only the receiver's handle decides: a card object equals a camera object of the same name, not the reverse.
        {"card object against a camera object", record(kObjectIdByName, "A.JPG"), record(9, "A.JPG"), true},
        {"camera object against a card object", record(9, "A.JPG"), record(kObjectIdByName, "A.JPG"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto a = PtpObjectInfoClass::init(&c.a), b = PtpObjectInfoClass::init(&c.b);
        EXPECT_EQ(a->isEqual(b.get()), c.equal);
        EXPECT_EQ(a->isEqual(platform::Value::object(b)), c.equal);
    }
    const auto a = PtpObjectInfoClass::init(&cases[0].a);
    EXPECT_FALSE(a->isEqual(platform::Value("A.JPG")));
    platform::Object other;
    EXPECT_FALSE(a->isEqual(&other));
    EXPECT_FALSE(a->isEqual(static_cast<const platform::Object*>(nullptr)));
}

TEST(PtpObjectInfoClassTest, CopiesTheRecordAndItsFields) {
    EXPECT_EQ(PtpObjectInfoClass::init(nullptr), nullptr);
    PtpObjectInfoStruct r = record(0x1234, "IMG_0001.CR3");
    r.objectFormat = 0xB108;
    r.objectCompressedSize = 25000000;
    r.thumbPixWidth = 160;
    r.imagePixHeight = 4000;
    r.parentObject = 0x99;
    r.associationDesc = 5;
    r.sequenceNumber = 17;
    r.captureDate = 1700000000;
    r.modificationDate = 0xFFFFFFFFFFFFFFFFull;
    r.orientation = 6;
    std::strcpy(r.keywords, "Gr\xC3\xBC\xC3\x9F" "e");  // valid UTF-8
    auto o = PtpObjectInfoClass::init(&r);
    std::memset(&r, 0xAB, sizeof r);  // the object keeps its own copy
    EXPECT_EQ(o->objectId(), 0x1234u);
    EXPECT_EQ(o->objectFormat(), 0xB108);
    EXPECT_EQ(o->objectCompressedSize(), 25000000u);
    EXPECT_EQ(o->thumbPixWidth(), 160u);
    EXPECT_EQ(o->imagePixHeight(), 4000u);
    EXPECT_EQ(o->parentObject(), 0x99u);
    EXPECT_EQ(o->associationDesc(), 5u);
    EXPECT_EQ(o->sequenceNumber(), 17u);
    EXPECT_EQ(o->fileName(), std::optional<std::string>("IMG_0001.CR3"));
    EXPECT_EQ(o->keywords(), std::optional<std::string>("Gr\xC3\xBC\xC3\x9F" "e"));
    EXPECT_DOUBLE_EQ(o->captureDate(), 1700000000.0);
    EXPECT_DOUBLE_EQ(o->modificationDate(), 18446744073709551615.0);
    EXPECT_EQ(o->orientation(), 6);
    const PtpObjectInfoStruct* inside = o->origObjectInfo();
    EXPECT_EQ(inside->objectId, 0x1234u);
    EXPECT_EQ(std::string(inside->fileName), "IMG_0001.CR3");
}

TEST(PtpObjectInfoClassTest, TextsThatAreNotUtf8AreNone) {
    // "\x41" is 'A': a bare letter after "\xFF" would be read as more hex digits.
    const char* invalid[] = {"\xFF\x41.JPG", "A\xC3", "\xC0\xAF.JPG", "\xED\xA0\x80", "\xF4\x90\x80\x80"};
    for (const char* name : invalid) {
        SCOPED_TRACE(name);
        PtpObjectInfoStruct r = record(kObjectIdByName, name);
        std::strcpy(r.keywords, name);
        r.sequenceNumber = 3;
        auto o = PtpObjectInfoClass::init(&r);
        EXPECT_FALSE(o->fileName().has_value());
        EXPECT_FALSE(o->keywords().has_value());
        EXPECT_EQ(o->sequenceNumber(), 3u);  // the rest is filled
        // Without a name a card object equals nothing, not even an object of the same bytes.
        EXPECT_FALSE(o->isEqual(PtpObjectInfoClass::init(&r).get()));
    }
    // A name that fills the whole field without a terminator is read up to the field's end only.
    PtpObjectInfoStruct full = record(1, "");
    std::memset(full.fileName, 'N', sizeof full.fileName);
    EXPECT_EQ(PtpObjectInfoClass::init(&full)->fileName()->size(), sizeof full.fileName);
}

class PropertyObjectTest : public ::testing::Test {
protected:
    void SetUp() override { propStoreReset(); }
    void TearDown() override { propStoreReset(); }
};

TEST_F(PropertyObjectTest, SnapshotIsIndependentOfTheStore) {
    EXPECT_EQ(PropertyObject::initWithPropertyCode(0x5005)->getProperty(), nullptr);

    PropertyStruct* r = propCreate(0x5005);
    ASSERT_NE(r, nullptr);
    const PropertyValueNamesStruct values[] = {{"Auto", 2}, {"Daylight", 4}};
    propSetValueList(r, values, 2);
    r->value = 4;
    auto snapshot = PropertyObject::initWithPropertyCode(0x5005);
    const PropertyStruct* copy = snapshot->getProperty();
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy, r);

    const PropertyValueNamesStruct later[] = {{"Shade", 8}};
    propSetValueList(r, later, 1);
    r->value = 8;
    EXPECT_EQ(copy->value, 4u);
    ASSERT_EQ(copy->valueCount, 2);
    EXPECT_STREQ(copy->values[1].name, "Daylight");
    propStoreClear();
    EXPECT_EQ(copy->values[0].value, 2u);
}

struct Listener : platform::Object, PropertyChangeCallbackDelegate {
    std::vector<uint32_t> codes;
    void propertyUpdated(uint32_t code) override { codes.push_back(code); }
};

TEST(PropertyChangeCallbackTest, PassesTheCallOnOnlyToADelegateThatAnswersIt) {
    auto listener = std::make_shared<Listener>();
    auto callback = PropertyChangeCallback::initWithPropertyId(0xD109, listener);
    EXPECT_EQ(callback->propertyId(), 0xD109u);
    callback->propertyUpdated(0xD109);
    EXPECT_EQ(listener->codes, std::vector<uint32_t>{0xD109});

    // A delegate that does not answer propertyUpdated, and a delegate that is gone: the call is ignored.
    auto plain = std::make_shared<platform::Object>();
    PropertyChangeCallback::initWithPropertyId(1, plain)->propertyUpdated(1);
    auto gone = PropertyChangeCallback::initWithPropertyId(2, std::make_shared<Listener>());
    gone->propertyUpdated(2);
    PropertyChangeCallback::initWithPropertyId(3, nullptr)->propertyUpdated(3);
    EXPECT_EQ(listener->codes.size(), 1u);
}

}  // namespace
