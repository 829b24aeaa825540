#include "engine/store/cache_folder.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The path with every link and ".." resolved as far as it exists; the path as given when even that fails.
fs::path resolved(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::path(path), ec);
    return ec ? fs::path(path).lexically_normal() : p;
}

// True when `inner` is `outer` or lies somewhere below it (both resolved).
bool isWithin(const fs::path& inner, const fs::path& outer) {
    const fs::path rel = inner.lexically_relative(outer);
    return !rel.empty() && *rel.begin() != "..";
}

// The bytes an entry holds, never following a link: a link counts as itself, a folder with everything below it.
uint64_t entryBytes(const fs::path& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return 0;
    if (!S_ISDIR(st.st_mode)) return static_cast<uint64_t>(st.st_size);
    uint64_t total = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        struct stat inner;
        if (::lstat(it->path().c_str(), &inner) == 0 && !S_ISDIR(inner.st_mode))
            total += static_cast<uint64_t>(inner.st_size);
    }
    return total;
}

// Removes one entry of the cache folder. remove_all deletes a link as a link and does not descend through one.
bool removeEntry(const fs::path& path, std::string* error) {
    std::error_code ec;
    fs::remove_all(path, ec);
    if (ec && error && error->empty()) *error = path.string() + ": " + ec.message();
    return !ec;
}

// Empties `folder` but for `keep` and the folders on the way to it.
bool emptyExcept(const fs::path& folder, const fs::path& keep, bool haveKeep, std::string* error) {
    bool ok = true;
    std::error_code ec;
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(it->path());
    if (ec) {
        if (error && error->empty()) *error = folder.string() + ": " + ec.message();
        return false;
    }
    for (const fs::path& entry : entries) {
        struct stat st;
        const bool realFolder = ::lstat(entry.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        if (haveKeep && realFolder && isWithin(keep, resolved(entry.string()))) {
            if (resolved(entry.string()) != keep) ok = emptyExcept(entry, keep, haveKeep, error) && ok;
            continue;
        }
        ok = removeEntry(entry, error) && ok;
    }
    return ok;
}

}  // namespace

bool cacheFolderEmpty(const std::string& folder, const std::string& saveFolder, std::string* error) {
    if (error) error->clear();
    if (folder.empty()) {
        if (error) *error = "no cache folder";
        return false;
    }
    struct stat st;
    if (::lstat(folder.c_str(), &st) != 0) return true;  // nothing to remove
    if (!S_ISDIR(st.st_mode)) return removeEntry(folder, error);  // a link or a file where the folder belongs
    const fs::path keep = saveFolder.empty() ? fs::path() : resolved(saveFolder);
    const bool haveKeep = !saveFolder.empty() && isWithin(keep, resolved(folder));
    if (!emptyExcept(folder, keep, haveKeep, error)) return false;
    if (haveKeep) return true;  // the folder holds the save folder: it stays
    std::error_code ec;
    fs::remove(folder, ec);
    if (ec && error) *error = folder + ": " + ec.message();
    return !ec;
}

void cacheFolderAge(const std::string& folder, int64_t maxBytes, const std::string& saveFolder, time_t now) {
    if (folder.empty()) return;
    const fs::path root = resolved(folder);
    const fs::path keep = saveFolder.empty() ? fs::path() : resolved(saveFolder);
    if (!saveFolder.empty() && isWithin(keep, root)) return;  // downloads live here: age nothing

    struct Entry {
        fs::path path;
        time_t modified;
        uint64_t bytes;
    };
    std::vector<Entry> kept;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        struct stat st;
        if (::lstat(it->path().c_str(), &st) != 0) continue;  // attributes unreadable: the entry stays
        if (now - st.st_mtime > kCacheMaxAgeSeconds) {
            removeEntry(it->path(), nullptr);
            continue;
        }
        if (maxBytes > 0) kept.push_back({it->path(), st.st_mtime, entryBytes(it->path())});
    }
    if (maxBytes <= 0) return;
    uint64_t total = 0;
    for (const Entry& e : kept) total += e.bytes;
    std::sort(kept.begin(), kept.end(), [](const Entry& a, const Entry& b) { return a.modified < b.modified; });
    for (const Entry& e : kept) {
        if (total <= static_cast<uint64_t>(maxBytes)) break;
        if (removeEntry(e.path, nullptr)) total -= e.bytes;
    }
}
