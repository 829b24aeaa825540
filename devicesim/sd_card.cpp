#include "devicesim/sd_card.h"

#include <algorithm>

#include "devicesim/jpeg_factory.h"

namespace devicesim {

void SdCard::setPresent(bool present) {
    std::lock_guard<std::mutex> lock(mutex_);
    present_ = present;
}

bool SdCard::present() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return present_;
}

void SdCard::setCapacity(uint64_t capacity) {
    std::lock_guard<std::mutex> lock(mutex_);
    capacity_ = capacity;
}

uint64_t SdCard::capacity() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return capacity_;
}

uint64_t SdCard::freeSpace() const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!present_) return 0;
    uint64_t used = 0;
    for (const auto& [name, f] : files_) used += f.bytes ? f.bytes->size() : 0;
    return used >= capacity_ ? 0 : capacity_ - used;
}

bool SdCard::addFile(const std::string& name, std::shared_ptr<const std::vector<uint8_t>> bytes,
                     std::vector<uint8_t> thumbnail, uint8_t orientation) {
    if (!bytes || name.empty()) return false;
    const uint64_t room = freeSpace();
    std::lock_guard<std::mutex> lock(mutex_);
    if (!present_) return false;
    auto existing = files_.find(name);
    uint64_t reclaimed = existing != files_.end() && existing->second.bytes ? existing->second.bytes->size() : 0;
    if (bytes->size() > room + reclaimed) return false;
    if (existing == files_.end()) order_.push_back(name);
    SdFile f;
    f.size = bytes->size();
    f.bytes = std::move(bytes);
    f.thumbnail = std::move(thumbnail);
    f.orientation = orientation;
    files_[name] = std::move(f);
    return true;
}

bool SdCard::addJpeg(const std::string& name, uint32_t size, uint8_t orientation, uint32_t seed) {
    JpegRecipe recipe;
    recipe.size = size;
    recipe.orientation = orientation;
    recipe.seed = seed;
    auto image = jpegImage(recipe);
    auto bytes = std::shared_ptr<const std::vector<uint8_t>>(image, &image->bytes);
    return addFile(name, bytes, image->thumbnail, orientation);
}

bool SdCard::addNamedFiles(const std::vector<std::string>& names) {
    bool all = true;
    for (const std::string& name : names)
        all = addFile(name, std::make_shared<const std::vector<uint8_t>>(name.begin(), name.end())) && all;
    return all;
}

bool SdCard::removeFile(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!present_ || files_.erase(name) == 0) return false;
    order_.erase(std::remove(order_.begin(), order_.end(), name), order_.end());
    return true;
}

bool SdCard::hasFile(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return present_ && files_.count(name) != 0;
}

std::optional<SdFile> SdCard::file(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!present_) return std::nullopt;
    auto it = files_.find(name);
    if (it == files_.end()) return std::nullopt;
    return it->second;
}

std::vector<std::string> SdCard::names() const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!present_) return {};
    return order_;
}

void SdCard::setReportedSize(const std::string& name, uint64_t size) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = files_.find(name);
    if (it != files_.end()) it->second.size = size;
}

void SdCard::setFormatDuration(std::chrono::milliseconds duration) {
    std::lock_guard<std::mutex> lock(mutex_);
    formatDuration_ = duration;
}

std::chrono::milliseconds SdCard::formatDuration() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return formatDuration_;
}

void SdCard::erase() {
    std::lock_guard<std::mutex> lock(mutex_);
    files_.clear();
    order_.clear();
}

namespace {

// The end of the JPEG stream that starts at `soi`, found by walking its segments: an end marker inside a segment (the
// EXIF thumbnail of a camera's preview has its own) is not the end. 0 when the structure breaks off.
size_t jpegStreamEnd(const std::vector<uint8_t>& f, size_t soi) {
    size_t p = soi + 2;
    for (;;) {
        if (p >= f.size() || f[p] != 0xFF) return 0;
        while (p < f.size() && f[p] == 0xFF) ++p;  // fill bytes
        if (p >= f.size()) return 0;
        const uint8_t marker = f[p++];
        if (marker == 0xD9) return p;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
        if (p + 2 > f.size()) return 0;
        const size_t length = (size_t(f[p]) << 8) | f[p + 1];
        if (length < 2 || p + length > f.size()) return 0;
        p += length;
        if (marker != 0xDA) continue;
        // Entropy-coded data runs to the next marker that is neither a stuffed zero nor a restart.
        while (p + 1 < f.size() && !(f[p] == 0xFF && f[p + 1] != 0x00 && (f[p + 1] < 0xD0 || f[p + 1] > 0xD7))) ++p;
        if (p + 1 >= f.size()) return 0;
    }
}

}  // namespace

std::vector<uint8_t> embeddedJpeg(const std::vector<uint8_t>& file) {
    if (file.size() >= 3 && file[0] == 0xFF && file[1] == 0xD8 && file[2] == 0xFF) return file;
    for (size_t i = 0; i + 3 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] == 0xD8 && file[i + 2] == 0xFF) {
            size_t end = jpegStreamEnd(file, i);
            // A stream whose segments do not parse ends at its first end marker, as a simple reader would take it.
            for (size_t j = i + 2; end == 0 && j + 1 < file.size(); ++j)
                if (file[j] == 0xFF && file[j + 1] == 0xD9) end = j + 2;
            if (end == 0) break;
            return std::vector<uint8_t>(file.begin() + long(i), file.begin() + long(end));
        }
    }
    return {};
}

}  // namespace devicesim
