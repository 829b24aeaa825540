#pragma once
// What a simulated body was asked to set, and refusals on demand: every camera's property-set paths note each
// request here (code and value, refused ones too) and answer a refusal the test asked for instead of setting.
// Guarded by its own mutex: the device's server thread notes, test threads read and arm refusals.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace devicesim {

struct PropertySetRequest {
    uint16_t code = 0;
    int64_t value = 0;  // as the host sent it (signed data types sign-extended; text sets: 0)
    uint16_t answer = 0x2001;  // what the body answered (0x2001 unless refused here or by its own checks)
    friend bool operator==(const PropertySetRequest&, const PropertySetRequest&) = default;
};

class PropertySetLog {
public:
    // The next `times` sets of `code` (0: of any property) are answered `response` and change nothing.
    void refuseNext(uint16_t code, uint16_t response = 0x2005, int times = 1);
    // Notes a request; the refusal armed for it, if any (the request is then noted with that answer).
    std::optional<uint16_t> note(uint16_t code, int64_t value);
    // Records the body's own answer to the request noted last (its own checks may refuse it too).
    void answered(uint16_t response);

    std::vector<PropertySetRequest> requests() const;
    // The requests of one property, in order.
    std::vector<PropertySetRequest> requests(uint16_t code) const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<PropertySetRequest> requests_;
    std::map<uint16_t, std::pair<uint16_t, int>> refusals_;  // code -> (response, times left)
};

class PropertyCamera;
struct PtpOperation;
struct PtpResult;

// SetDevicePropValue (0x1016) on a body of described properties: notes the request with its value read by the
// property's data type; a refusal armed for it is the answer. None: the body goes on to set it.
std::optional<PtpResult> noteDescribedSet(PropertySetLog& log, const PropertyCamera& camera, const PtpOperation& op);

// The value of a set's data phase: little-endian, `size` bytes (1, 2 or 4; 0 for a text), sign-extended when
// asked. 0 for data shorter than the size.
int64_t setValueFromData(const std::vector<uint8_t>& data, size_t size, bool isSigned);

}  // namespace devicesim
