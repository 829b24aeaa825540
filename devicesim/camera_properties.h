#pragma once
// Camera properties for the simulated cameras: descriptors as the camera sends them (PTP DevicePropDesc with a range
// or an enumeration), GetDevicePropDesc, GetDevicePropValue and SetDevicePropValue (a value outside the descriptor
// is refused), and the device's event records (property changed, object added) returned by its event poll.
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "devicesim/event_records.h"
#include "devicesim/generic_camera.h"

namespace devicesim {

// PTP data types.
enum SimDataType : uint16_t {
    kSimInt8 = 1,
    kSimUint8 = 2,
    kSimInt16 = 3,
    kSimUint16 = 4,
    kSimInt32 = 5,
    kSimUint32 = 6,
    kSimInt64 = 7,
    kSimUint64 = 8,
    kSimString = 0xFFFF,
};

struct SimProperty {
    enum Form : uint8_t { None = 0, Range = 1, Enumeration = 2 };

    uint16_t code = 0;
    uint16_t dataType = kSimUint16;
    uint8_t getSet = 1;  // 1: the host may set it
    // Numeric values (signed types hold their signed value).
    int64_t factoryDefault = 0;
    int64_t current = 0;
    // Text values (kSimString).
    std::string factoryText;
    std::string currentText;
    Form form = None;
    int64_t rangeMin = 0, rangeMax = 0, rangeStep = 0;
    std::vector<int64_t> values;     // enumeration of a numeric property
    std::vector<std::string> texts;  // enumeration of a text property

    static SimProperty range(uint16_t code, uint16_t type, int64_t min, int64_t max, int64_t step, int64_t current);
    static SimProperty enumeration(uint16_t code, uint16_t type, std::vector<int64_t> values, int64_t current);
    static SimProperty textEnumeration(uint16_t code, std::vector<std::string> texts, std::string current);

    bool allows(int64_t value) const;
    bool allowsText(const std::string& text) const;
};

// Bytes of one value of a data type (0 for text).
size_t simValueSize(uint16_t dataType);
// The PTP DevicePropDesc dataset of a property, and its current value as GetDevicePropValue sends it.
std::vector<uint8_t> encodePropertyDesc(const SimProperty& p);
std::vector<uint8_t> encodePropertyValue(const SimProperty& p);

// The generic camera with properties. A set that the descriptor allows changes the value (and, unless switched
// off, queues a property-changed record for the next event poll); one it does not allow is answered 0x201C.
class PropertyCamera : public GenericCamera {
public:
    explicit PropertyCamera(GenericCameraConfig config = {});

    // Adds (or replaces) a property and lists it in the DeviceInfo.
    void addProperty(const SimProperty& p);
    std::optional<SimProperty> property(uint16_t code) const;
    // A change made on the camera itself (a dial turned): the value changes and a record is queued.
    void changeOnCamera(uint16_t code, int64_t value, uint8_t enabled = 1);

    // A set takes effect only after this many GetDevicePropValue reads of the property (0: at once).
    void setApplyAfterReads(int reads);
    void setReportSetsAsEvents(bool report);

    // Event records for the device's event poll.
    void queueObjectAdded(uint32_t size, const std::string& fileName);
    void queueRecord(const std::vector<uint8_t>& record);
    std::vector<uint8_t> pollEvents(uint8_t pollFlag) override;

    int setRequests() const;   // SetDevicePropValue operations received, refused ones included
    int valueReads() const;    // GetDevicePropValue operations received
    int polls() const;         // event polls answered

protected:
    std::optional<PtpResult> handleVendorOperation(const PtpOperation& op) override;

private:
    PtpResult getDesc(uint16_t code);
    PtpResult getValue(uint16_t code);
    PtpResult setValue(uint16_t code, const std::vector<uint8_t>& data);

    mutable std::mutex propsMutex_;
    std::map<uint16_t, SimProperty> props_;
    struct PendingSet {
        uint16_t code;
        int64_t value;
        std::string text;
        int readsLeft;
    };
    std::deque<PendingSet> pending_;
    int applyAfterReads_ = 0;
    bool reportSets_ = true;
    int setRequests_ = 0;
    int valueReads_ = 0;
    int polls_ = 0;
    EventRecordQueue events_;
};

}  // namespace devicesim
