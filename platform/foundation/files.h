#pragma once
// Small file helpers on top of QtCore.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Writes `bytes` to `path` through a temporary file in the same folder that then replaces `path`, so that a
// reader never sees half a file. Returns the error, or an empty string on success.
std::string writeFileAtomically(const std::string& path, const void* bytes, size_t size);
inline std::string writeFileAtomically(const std::string& path, const std::string& bytes) {
    return writeFileAtomically(path, bytes.data(), bytes.size());
}

// Reads a whole file (or a resource, ":/name") of at most `maxSize` bytes. nullopt when it is missing, cannot
// be read or is larger; `error` then says why.
std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path, size_t maxSize,
                                                  std::string* error = nullptr);

// Creates the folder and its parents when missing; true when it exists afterwards.
bool createFolder(const std::string& path);

}  // namespace platform
