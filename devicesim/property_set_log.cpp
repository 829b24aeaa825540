#include "devicesim/property_set_log.h"

#include "devicesim/camera.h"
#include "devicesim/camera_properties.h"

namespace devicesim {

void PropertySetLog::refuseNext(uint16_t code, uint16_t response, int times) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (times <= 0) {
        refusals_.erase(code);
        return;
    }
    refusals_[code] = {response, times};
}

std::optional<uint16_t> PropertySetLog::note(uint16_t code, int64_t value) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<uint16_t> refusal;
    for (uint16_t key : {code, uint16_t(0)}) {
        auto it = refusals_.find(key);
        if (it == refusals_.end()) continue;
        refusal = it->second.first;
        if (--it->second.second <= 0) refusals_.erase(it);
        break;
    }
    requests_.push_back({code, value, refusal.value_or(0x2001)});
    return refusal;
}

void PropertySetLog::answered(uint16_t response) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!requests_.empty()) requests_.back().answer = response;
}

std::vector<PropertySetRequest> PropertySetLog::requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::vector<PropertySetRequest> PropertySetLog::requests(uint16_t code) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<PropertySetRequest> out;
    for (const PropertySetRequest& r : requests_)
        if (r.code == code) out.push_back(r);
    return out;
}

void PropertySetLog::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
    refusals_.clear();
}

std::optional<PtpResult> noteDescribedSet(PropertySetLog& log, const PropertyCamera& camera, const PtpOperation& op) {
    if (op.params.empty()) return std::nullopt;
    const auto code = uint16_t(op.params[0]);
    int64_t value = 0;
    if (std::optional<SimProperty> p = camera.property(code); p && op.dataOut) {
        const bool isSigned = p->dataType == kSimInt8 || p->dataType == kSimInt16 || p->dataType == kSimInt32 ||
                              p->dataType == kSimInt64;
        value = setValueFromData(*op.dataOut, simValueSize(p->dataType), isSigned);
    }
    if (std::optional<uint16_t> refused = log.note(code, value)) return PtpResult::withCode(*refused);
    return std::nullopt;
}

int64_t setValueFromData(const std::vector<uint8_t>& data, size_t size, bool isSigned) {
    if (size == 0 || size > 8 || data.size() < size) return 0;
    uint64_t v = 0;
    for (size_t i = 0; i < size; ++i) v |= uint64_t(data[i]) << (8 * i);
    if (isSigned && size < 8 && (v >> (8 * size - 1)) & 1) v |= ~uint64_t(0) << (8 * size);
    return int64_t(v);
}

}  // namespace devicesim
