#include "session/ptp_object_info_class.h"

#include <cstring>

namespace {

// The text of a fixed field (up to its first NUL, never past the field), or none when it is not valid UTF-8:
// overlong forms, surrogates and code points past U+10FFFF are refused.
std::optional<std::string> utf8Field(const char* field, size_t capacity) {
    const size_t n = strnlen(field, capacity);
    const auto* s = reinterpret_cast<const unsigned char*>(field);
    for (size_t i = 0; i < n;) {
        const unsigned char c = s[i];
        size_t extra = 0;
        uint32_t cp = 0, min = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1, cp = c & 0x1F, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, cp = c & 0x0F, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, cp = c & 0x07, min = 0x10000;
        } else {
            return std::nullopt;
        }
        if (n - i <= extra) return std::nullopt;
        for (size_t k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
        i += extra + 1;
    }
    return std::string(field, n);
}

}  // namespace

PtpObjectInfoClass::PtpObjectInfoClass(const PtpObjectInfoStruct& record) : mOrigObjectInfo(record) {
    fileName_ = utf8Field(mOrigObjectInfo.fileName, sizeof mOrigObjectInfo.fileName);
    keywords_ = utf8Field(mOrigObjectInfo.keywords, sizeof mOrigObjectInfo.keywords);
    captureDate_ = double(mOrigObjectInfo.captureDate);
    modificationDate_ = double(mOrigObjectInfo.modificationDate);
}

std::shared_ptr<PtpObjectInfoClass> PtpObjectInfoClass::init(const PtpObjectInfoStruct* record) {
    if (record == nullptr) return nullptr;
    return std::make_shared<PtpObjectInfoClass>(*record);
}

bool PtpObjectInfoClass::isEqual(const platform::Object* other) const {
    const auto* o = dynamic_cast<const PtpObjectInfoClass*>(other);
    if (o == nullptr) return false;
    if (objectId() != kObjectIdByName) return objectId() == o->objectId();
    return fileName_.has_value() && fileName_ == o->fileName_;
}

bool PtpObjectInfoClass::isEqual(const platform::Value& other) const {
    const std::shared_ptr<const PtpObjectInfoClass> o = other.object<PtpObjectInfoClass>();
    return o != nullptr && isEqual(o.get());
}
