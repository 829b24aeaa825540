#include "devicesim/camera_properties.h"

#include <algorithm>

namespace devicesim {
namespace {
constexpr uint16_t kGetDevicePropDesc = 0x1014;
constexpr uint16_t kGetDevicePropValue = 0x1015;
constexpr uint16_t kSetDevicePropValue = 0x1016;
constexpr uint16_t kRcPropNotSupported = 0x200A;
constexpr uint16_t kRcAccessDenied = 0x200F;
constexpr uint16_t kRcInvalidValue = 0x201C;
constexpr uint16_t kRcInvalidParameter = 0x201D;

bool isSigned(uint16_t t) { return t == kSimInt8 || t == kSimInt16 || t == kSimInt32 || t == kSimInt64; }

void putValue(std::vector<uint8_t>& out, uint16_t type, int64_t v) {
    size_t n = simValueSize(type);
    auto u = static_cast<uint64_t>(v);
    for (size_t i = 0; i < n; ++i) out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

void putString(std::vector<uint8_t>& out, const std::string& s) {
    if (s.empty()) {
        out.push_back(0);
        return;
    }
    size_t n = std::min<size_t>(s.size(), 254);
    out.push_back(static_cast<uint8_t>(n + 1));  // the terminator counts
    for (size_t i = 0; i < n; ++i) {
        out.push_back(static_cast<uint8_t>(s[i]));
        out.push_back(0);
    }
    out.push_back(0);
    out.push_back(0);
}

std::optional<int64_t> readValue(uint16_t type, const std::vector<uint8_t>& d) {
    size_t n = simValueSize(type);
    if (n == 0 || d.size() < n) return std::nullopt;
    uint64_t u = 0;
    for (size_t i = 0; i < n; ++i) u |= static_cast<uint64_t>(d[i]) << (8 * i);
    if (isSigned(type) && n < 8 && (u >> (8 * n - 1)) & 1) u |= ~0ull << (8 * n);  // sign-extend
    return static_cast<int64_t>(u);
}

std::optional<std::string> readString(const std::vector<uint8_t>& d) {
    if (d.empty()) return std::nullopt;
    size_t n = d[0];
    if (n == 0) return std::string();
    if (d.size() < 1 + 2 * n) return std::nullopt;
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        char c = static_cast<char>(d[1 + 2 * i]);
        if (c == 0) break;
        s.push_back(c);
    }
    return s;
}
}  // namespace

size_t simValueSize(uint16_t t) {
    switch (t) {
        case kSimInt8:
        case kSimUint8: return 1;
        case kSimInt16:
        case kSimUint16: return 2;
        case kSimInt32:
        case kSimUint32: return 4;
        case kSimInt64:
        case kSimUint64: return 8;
        default: return 0;
    }
}

SimProperty SimProperty::range(uint16_t code, uint16_t type, int64_t min, int64_t max, int64_t step, int64_t current) {
    SimProperty p;
    p.code = code;
    p.dataType = type;
    p.form = Range;
    p.rangeMin = min;
    p.rangeMax = max;
    p.rangeStep = step;
    p.factoryDefault = min;
    p.current = current;
    return p;
}

SimProperty SimProperty::enumeration(uint16_t code, uint16_t type, std::vector<int64_t> values, int64_t current) {
    SimProperty p;
    p.code = code;
    p.dataType = type;
    p.form = Enumeration;
    p.factoryDefault = values.empty() ? 0 : values.front();
    p.values = std::move(values);
    p.current = current;
    return p;
}

SimProperty SimProperty::textEnumeration(uint16_t code, std::vector<std::string> texts, std::string current) {
    SimProperty p;
    p.code = code;
    p.dataType = kSimString;
    p.form = Enumeration;
    p.factoryText = texts.empty() ? std::string() : texts.front();
    p.texts = std::move(texts);
    p.currentText = std::move(current);
    return p;
}

bool SimProperty::allows(int64_t v) const {
    switch (form) {
        case Range:
            if (v < rangeMin || v > rangeMax) return false;
            return rangeStep == 0 ? v == rangeMin : (v - rangeMin) % rangeStep == 0;
        case Enumeration: return std::find(values.begin(), values.end(), v) != values.end();
        default: return true;
    }
}

bool SimProperty::allowsText(const std::string& text) const {
    return form != Enumeration || std::find(texts.begin(), texts.end(), text) != texts.end();
}

std::vector<uint8_t> encodePropertyDesc(const SimProperty& p) {
    std::vector<uint8_t> out;
    out.push_back(static_cast<uint8_t>(p.code));
    out.push_back(static_cast<uint8_t>(p.code >> 8));
    out.push_back(static_cast<uint8_t>(p.dataType));
    out.push_back(static_cast<uint8_t>(p.dataType >> 8));
    out.push_back(p.getSet);
    bool text = p.dataType == kSimString;
    if (text) {
        putString(out, p.factoryText);
        putString(out, p.currentText);
    } else {
        putValue(out, p.dataType, p.factoryDefault);
        putValue(out, p.dataType, p.current);
    }
    out.push_back(static_cast<uint8_t>(p.form));
    if (p.form == SimProperty::Range) {
        putValue(out, p.dataType, p.rangeMin);
        putValue(out, p.dataType, p.rangeMax);
        putValue(out, p.dataType, p.rangeStep);
    } else if (p.form == SimProperty::Enumeration) {
        size_t n = text ? p.texts.size() : p.values.size();
        out.push_back(static_cast<uint8_t>(n));
        out.push_back(static_cast<uint8_t>(n >> 8));
        for (size_t i = 0; i < n; ++i) {
            if (text) putString(out, p.texts[i]);
            else putValue(out, p.dataType, p.values[i]);
        }
    }
    return out;
}

std::vector<uint8_t> encodePropertyValue(const SimProperty& p) {
    std::vector<uint8_t> out;
    if (p.dataType == kSimString) putString(out, p.currentText);
    else putValue(out, p.dataType, p.current);
    return out;
}

PropertyCamera::PropertyCamera(GenericCameraConfig config) : GenericCamera([&] {
    for (uint16_t op : {kGetDevicePropDesc, kGetDevicePropValue, kSetDevicePropValue})
        if (std::find(config.operations.begin(), config.operations.end(), op) == config.operations.end())
            config.operations.push_back(op);
    return config;
}()) {}

void PropertyCamera::addProperty(const SimProperty& p) {
    {
        std::lock_guard<std::mutex> lock(propsMutex_);
        props_[p.code] = p;
    }
    GenericCameraConfig c = config();
    if (std::find(c.properties.begin(), c.properties.end(), p.code) == c.properties.end()) {
        c.properties.push_back(p.code);
        setConfig(c);
    }
}

std::optional<SimProperty> PropertyCamera::property(uint16_t code) const {
    std::lock_guard<std::mutex> lock(propsMutex_);
    auto it = props_.find(code);
    if (it == props_.end()) return std::nullopt;
    return it->second;
}

void PropertyCamera::changeOnCamera(uint16_t code, int64_t value, uint8_t enabled) {
    {
        std::lock_guard<std::mutex> lock(propsMutex_);
        auto it = props_.find(code);
        if (it != props_.end()) {
            it->second.current = value;
            it->second.getSet = enabled;
        }
    }
    events_.push(propertyChangedRecord(code, static_cast<uint32_t>(value), enabled));
}

void PropertyCamera::setApplyAfterReads(int reads) {
    std::lock_guard<std::mutex> lock(propsMutex_);
    applyAfterReads_ = reads;
}

void PropertyCamera::setReportSetsAsEvents(bool report) {
    std::lock_guard<std::mutex> lock(propsMutex_);
    reportSets_ = report;
}

void PropertyCamera::queueObjectAdded(uint32_t size, const std::string& fileName) {
    events_.push(objectAddedRecord(size, fileName));
}

void PropertyCamera::queueRecord(const std::vector<uint8_t>& record) { events_.push(record); }

std::vector<uint8_t> PropertyCamera::pollEvents(uint8_t) {
    {
        std::lock_guard<std::mutex> lock(propsMutex_);
        ++polls_;
    }
    return events_.takeAll();
}

int PropertyCamera::setRequests() const {
    std::lock_guard<std::mutex> lock(propsMutex_);
    return setRequests_;
}
int PropertyCamera::valueReads() const {
    std::lock_guard<std::mutex> lock(propsMutex_);
    return valueReads_;
}
int PropertyCamera::polls() const {
    std::lock_guard<std::mutex> lock(propsMutex_);
    return polls_;
}

std::optional<PtpResult> PropertyCamera::handleVendorOperation(const PtpOperation& op) {
    if (op.code != kGetDevicePropDesc && op.code != kGetDevicePropValue && op.code != kSetDevicePropValue)
        return std::nullopt;
    if (op.params.empty()) return PtpResult::withCode(kRcInvalidParameter);
    auto code = static_cast<uint16_t>(op.params[0]);
    if (op.code == kGetDevicePropDesc) return getDesc(code);
    if (op.code == kGetDevicePropValue) return getValue(code);
    return setValue(code, op.dataOut.value_or(std::vector<uint8_t>{}));
}

PtpResult PropertyCamera::getDesc(uint16_t code) {
    std::lock_guard<std::mutex> lock(propsMutex_);
    auto it = props_.find(code);
    if (it == props_.end()) return PtpResult::withCode(kRcPropNotSupported);
    return PtpResult::withData(encodePropertyDesc(it->second));
}

PtpResult PropertyCamera::getValue(uint16_t code) {
    std::vector<uint8_t> record;
    PtpResult result;
    {
        std::lock_guard<std::mutex> lock(propsMutex_);
        ++valueReads_;
        auto it = props_.find(code);
        if (it == props_.end()) return PtpResult::withCode(kRcPropNotSupported);
        // A set that settles after some reads takes effect on the read that ends its wait.
        for (auto p = pending_.begin(); p != pending_.end();) {
            if (p->code == code && --p->readsLeft <= 0) {
                it->second.current = p->value;
                it->second.currentText = p->text;
                if (reportSets_) record = propertyChangedRecord(code, static_cast<uint32_t>(p->value), it->second.getSet);
                p = pending_.erase(p);
            } else {
                ++p;
            }
        }
        result = PtpResult::withData(encodePropertyValue(it->second));
    }
    if (!record.empty()) events_.push(record);
    return result;
}

PtpResult PropertyCamera::setValue(uint16_t code, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> record;
    {
        std::lock_guard<std::mutex> lock(propsMutex_);
        ++setRequests_;
        auto it = props_.find(code);
        if (it == props_.end()) return PtpResult::withCode(kRcPropNotSupported);
        SimProperty& p = it->second;
        if (p.getSet != 1) return PtpResult::withCode(kRcAccessDenied);
        PendingSet set{code, 0, {}, applyAfterReads_};
        if (p.dataType == kSimString) {
            auto text = readString(data);
            if (!text || !p.allowsText(*text)) return PtpResult::withCode(kRcInvalidValue);
            set.text = *text;
        } else {
            auto value = readValue(p.dataType, data);
            if (!value || !p.allows(*value)) return PtpResult::withCode(kRcInvalidValue);
            set.value = *value;
        }
        if (applyAfterReads_ > 0) {
            pending_.push_back(set);
        } else {
            p.current = set.value;
            p.currentText = set.text;
            if (reportSets_) record = propertyChangedRecord(code, static_cast<uint32_t>(set.value), p.getSet);
        }
    }
    if (!record.empty()) events_.push(record);
    return PtpResult::ok();
}

}  // namespace devicesim
