#pragma once
// The device's own SD card: present or not, a capacity, and files by name (bytes, thumbnail and orientation).
// Thread-safe: the device's server thread and the tests use it at once.
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace devicesim {

struct SdFile {
    std::shared_ptr<const std::vector<uint8_t>> bytes;
    std::vector<uint8_t> thumbnail;
    uint8_t orientation = 1;
    uint64_t size = 0;  // the size the card reports; bytes->size() unless a test makes it larger
};

class SdCard {
public:
    explicit SdCard(uint64_t capacity = 32ull * 1024 * 1024 * 1024) : capacity_(capacity) {}

    void setPresent(bool present);
    bool present() const;
    uint64_t capacity() const;
    // A card of another size (its files stay); the free space follows.
    void setCapacity(uint64_t capacity);
    uint64_t freeSpace() const;

    // Adds (or replaces) a file; false when the card is absent or full.
    bool addFile(const std::string& name, std::shared_ptr<const std::vector<uint8_t>> bytes,
                 std::vector<uint8_t> thumbnail = {}, uint8_t orientation = 1);
    // A generated JPEG of `size` bytes with EXIF and thumbnail.
    bool addJpeg(const std::string& name, uint32_t size, uint8_t orientation = 1, uint32_t seed = 1);
    // Adds a small file under each name (any bytes, as a card's directory may hold them); false when one could
    // not be added.
    bool addNamedFiles(const std::vector<std::string>& names);
    bool removeFile(const std::string& name);
    bool hasFile(const std::string& name) const;
    std::optional<SdFile> file(const std::string& name) const;
    // Names in the order the files were added.
    std::vector<std::string> names() const;
    // Makes the card report a size other than the bytes it holds (for tests of sizes the fields cannot carry).
    void setReportedSize(const std::string& name, uint64_t size);

    // Formatting empties the card after `duration` (the device answers only when it is done).
    void setFormatDuration(std::chrono::milliseconds duration);
    std::chrono::milliseconds formatDuration() const;
    void erase();

private:
    mutable std::mutex mutex_;
    bool present_ = true;
    uint64_t capacity_;
    std::chrono::milliseconds formatDuration_{300};
    std::map<std::string, SdFile> files_;
    std::vector<std::string> order_;
};

// The JPEG picture inside a file: the file itself when it starts as a JPEG, else the first embedded SOI..EOI run
// (the preview of a RAW file); empty when there is none.
std::vector<uint8_t> embeddedJpeg(const std::vector<uint8_t>& file);

}  // namespace devicesim
