#include "engine/store/object_cache.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr const char* kObjSuffix = ".obj";
constexpr const char* kThumbSuffix = ".thumb";
constexpr const char* kModifiedSuffix = ".mod.jpg";
constexpr const char* kExtractedSuffix = ".ext.jpg";
constexpr const char* kEditSuffix = ".edit";
constexpr const char* kSmallSuffix = ".small";

ObjectCacheState& state() { return objCacheState(); }

std::string joinPath(const std::string& folder, const std::string& name) { return folder + "//" + name; }

bool nameIsSafe(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// The record's file name when it is safe to use as a path component; empty otherwise.
std::string safeName(const PtpObjectInfoStruct* record) {
    if (!record || !objCacheNameIsSafe(record->fileName, sizeof record->fileName)) return {};
    return std::string(record->fileName);
}

// The folder downloads go to.
const std::string& saveFolder() { return state().saveFolder.empty() ? state().cacheFolder : state().saveFolder; }

bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Sets `out` to the side file's path when it exists (true), else leaves it empty (false).
bool findSide(ObjCacheEntry* e, std::string* out, const std::string& folder, const char* suffix) {
    out->clear();
    std::string name = safeName(&e->info);
    if (name.empty() || folder.empty()) return false;
    *out = objCacheFileExists(name + suffix, folder);
    return !out->empty();
}
bool findImage(ObjCacheEntry* e) { return findSide(e, &e->image, saveFolder(), ""); }
bool findThumbnail(ObjCacheEntry* e) { return findSide(e, &e->thumbnail, state().cacheFolder, kThumbSuffix); }
bool findModified(ObjCacheEntry* e) { return findSide(e, &e->modifiedJpeg, saveFolder(), kModifiedSuffix); }
bool findExtracted(ObjCacheEntry* e) { return findSide(e, &e->extractedJpeg, saveFolder(), kExtractedSuffix); }
bool findEdit(ObjCacheEntry* e) { return findSide(e, &e->editFile, state().cacheFolder, kEditSuffix); }
bool findSmall(ObjCacheEntry* e) { return findSide(e, &e->smallImage, state().cacheFolder, kSmallSuffix); }

void removeFile(const std::string& path) {
    if (!path.empty()) ::unlink(path.c_str());
}

void unlinkEntry(ObjCacheEntry* target) {
    ObjectCacheState& s = state();
    ObjCacheEntry* prev = nullptr;
    for (ObjCacheEntry* e = s.head; e; prev = e, e = e->next) {
        if (e != target) continue;
        if (prev) prev->next = e->next;
        else s.head = e->next;
        if (s.tail == e) s.tail = prev;
        e->next = nullptr;
        return;
    }
}

void appendEntry(ObjCacheEntry* e) {
    ObjectCacheState& s = state();
    e->next = nullptr;
    if (s.tail) s.tail->next = e;
    else s.head = e;
    s.tail = e;
}

// Deletes the entry's record file and its cache-folder side files (thumbnail, edit, small); save-folder files stay.
void deleteCacheFiles(ObjCacheEntry* e) {
    std::string name = safeName(&e->info);
    if (name.empty() || state().cacheFolder.empty()) return;
    removeFile(joinPath(state().cacheFolder, name + kObjSuffix));
    if (findThumbnail(e)) removeFile(e->thumbnail);
    if (findEdit(e)) removeFile(e->editFile);
    if (findSmall(e)) removeFile(e->smallImage);
}

// Drops an entry as pruning does: cache-folder files deleted, save-folder files left, entry freed.
void dropEntry(ObjCacheEntry* e) {
    unlinkEntry(e);
    deleteCacheFiles(e);
    delete e;
}

void freeList() {
    ObjectCacheState& s = state();
    for (ObjCacheEntry* e = s.head; e;) {
        ObjCacheEntry* next = e->next;
        delete e;
        e = next;
    }
    s.head = s.tail = nullptr;
}

bool writeRecordFile(const ObjCacheEntry* e) {
    std::string name = safeName(&e->info);
    if (name.empty() || state().cacheFolder.empty()) return false;
    return !objCacheWriteFile(state().cacheFolder, name, kObjSuffix, reinterpret_cast<const uint8_t*>(&e->info),
                              kObjCacheRecordSize)
                .empty();
}

// Objects known only by name: a name matches only the whole stored name, ignoring case. Camera cards are FAT
// file systems, where names differ by more than letter case or not at all, so a case-blind whole-name match finds
// the one object of that name and never another object whose name merely begins the same way.
bool nameMatches(const ObjCacheEntry* e, const PtpObjectInfoStruct* record) {
    size_t n = strnlen(e->info.fileName, sizeof e->info.fileName);
    if (n == 0 || n >= sizeof e->info.fileName) return false;
    if (strnlen(record->fileName, sizeof record->fileName) != n) return false;
    return strncasecmp(e->info.fileName, record->fileName, n) == 0;
}

ObjCacheEntry* findEntry(const PtpObjectInfoStruct* record) {
    if (!record) return nullptr;
    for (ObjCacheEntry* e = state().head; e; e = e->next) {
        if (record->objectId != kObjectIdByName) {
            if (e->info.objectId == record->objectId) return e;
        } else if (nameMatches(e, record)) {
            return e;
        }
    }
    return nullptr;
}

// Counter scan: the largest number after the prefix and one separator, plus one; never below the counter.
void rescanCounter() {
    ObjectCacheState& s = state();
    if (s.prefix.empty()) {
        s.counter = 0;
        return;
    }
    const std::string& folder = saveFolder();
    if (folder.empty()) return;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (dirent* d = ::readdir(dir)) {
        const char* name = d->d_name;
        if (std::strncmp(name, s.prefix.c_str(), s.prefix.size()) != 0) continue;
        if (!fileExists(joinPath(folder, name))) continue;
        size_t len = std::strlen(name);
        if (len <= s.prefix.size()) continue;
        const char* digits = name + s.prefix.size() + 1;  // past the separator
        std::string number;
        for (const char* p = digits; *p && *p != '.' && number.size() < 63; ++p) number.push_back(*p);
        unsigned long long n = std::strtoull(number.c_str(), nullptr, 10);
        if (n >= 0xFFFFFFFFull) continue;  // would wrap the counter
        if (n + 1 > s.counter) s.counter = static_cast<uint32_t>(n + 1);
    }
    ::closedir(dir);
}

// A name in `folder` that no other file uses: the name itself, unless a file of that name exists that is not
// `keep`; then "<stem>-<n><extension>".
std::string freeName(const std::string& folder, const std::string& name, const std::string& keep) {
    std::string path = joinPath(folder, name);
    if (!fileExists(path) || path == keep) return name;
    size_t dot = name.rfind('.');
    std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    std::string ext = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
    for (int i = 1; i < 100000; ++i) {
        std::string candidate = stem + "-" + std::to_string(i) + ext;
        if (!fileExists(joinPath(folder, candidate))) return candidate;
    }
    return {};
}

}  // namespace

ObjectCacheState& objCacheState() {
    static ObjectCacheState s;
    return s;
}

std::mutex& objCacheMutex() { return state().mutex; }

void objCacheReset() {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    freeList();
    ObjectCacheState& s = state();
    s.loaded = 0;
    s.saveFolder.clear();
    s.cacheFolder.clear();
    s.prefix.clear();
    s.counter = 0;
    s.prependOriginalName = 0;
}

bool objCacheFileNameIsSafe(const std::string& name) { return nameIsSafe(name); }

bool objCacheNameIsSafe(const char* name, size_t capacity) {
    if (!name) return false;
    size_t n = strnlen(name, capacity);
    if (n == capacity) return false;  // not terminated inside its field
    return nameIsSafe(std::string(name, n));
}

bool objCacheParseRecord(const uint8_t* data, size_t length, PtpObjectInfoStruct* out) {
    if (!data || !out || length < kObjCacheRecordSize) return false;
    PtpObjectInfoStruct r;
    std::memcpy(&r, data, kObjCacheRecordSize);
    if (!objCacheNameIsSafe(r.fileName, sizeof r.fileName)) return false;
    *out = r;
    return true;
}

std::string objCacheDownloadNameLocked(const char* fileName) {
    ObjectCacheState& s = state();
    std::string name = fileName ? fileName : "";
    if (s.prefix.empty()) return name;
    if (s.prependOriginalName) return s.prefix + "_" + name;
    size_t dot = name.rfind('.');
    return s.prefix + "_" + std::to_string(s.counter) + (dot == std::string::npos ? "" : name.substr(dot));
}

void objCacheOpen(const std::string& cacheFolder, const std::string& saveFolder) {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    ObjectCacheState& s = state();
    s.saveFolder = saveFolder;
    freeList();
    s.cacheFolder = cacheFolder;
    s.loaded = 0;
    if (cacheFolder.empty()) return;

    std::vector<std::string> names;
    if (DIR* dir = ::opendir(cacheFolder.c_str())) {
        while (dirent* d = ::readdir(dir))
            if (strEndsWith(d->d_name, kObjSuffix)) names.emplace_back(d->d_name);
        ::closedir(dir);
    } else {
        s.loaded = 1;  // an unlistable folder: loaded, empty
        return;
    }
    std::sort(names.begin(), names.end());

    struct Noted {
        ObjCacheEntry* entry;
        time_t accessed;
    };
    std::vector<Noted> noted;
    for (const std::string& name : names) {
        std::string path = joinPath(cacheFolder, name);
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st;
        uint8_t buf[kObjCacheRecordSize];
        size_t got = 0;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
            while (got < sizeof buf) {
                ssize_t n = ::read(fd, buf + got, sizeof buf - got);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                got += static_cast<size_t>(n);
            }
        }
        ::close(fd);
        PtpObjectInfoStruct record;
        if (!objCacheParseRecord(buf, got, &record)) continue;  // short or corrupt: no entry
        auto* e = new (std::nothrow) ObjCacheEntry;
        if (!e) continue;
        e->info = record;
        appendEntry(e);
        noted.push_back({e, st.st_atime});
    }
    s.loaded = 1;

    if (noted.size() > kObjCachePruneLimit) {
        std::sort(noted.begin(), noted.end(), [](const Noted& a, const Noted& b) { return a.accessed > b.accessed; });
        for (size_t i = kObjCachePruneKeep; i < noted.size(); ++i) dropEntry(noted[i].entry);
    }
}

void objCacheSetSaveFolder(const std::string& folder) {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    state().saveFolder = folder;
    rescanCounter();
}

void objCacheSetFileNamePrefix(const std::string& prefix, bool prependOriginalName) {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    ObjectCacheState& s = state();
    if (prefix.empty()) {
        s.prefix.clear();
        s.counter = 0;
        return;
    }
    s.prefix = prefix;
    s.prependOriginalName = prependOriginalName ? 1 : 0;
    if (!prependOriginalName) {
        s.counter = 1;
        rescanCounter();
    }
}

ObjCacheEntry* objCacheCreateEntry(const PtpObjectInfoStruct* record) {
    if (safeName(record).empty()) return nullptr;  // never create an entry whose name could escape the folder
    auto* e = new (std::nothrow) ObjCacheEntry;
    if (!e) return nullptr;
    e->info = *record;
    appendEntry(e);
    if (!writeRecordFile(e)) return nullptr;  // the entry stays in the list without its record file
    // A new object never inherits the files of an older object of the same name.
    if (findThumbnail(e)) removeFile(e->thumbnail);
    if (findEdit(e)) removeFile(e->editFile);
    if (findSmall(e)) removeFile(e->smallImage);
    e->image.clear();
    e->thumbnail.clear();
    e->modifiedJpeg.clear();
    e->extractedJpeg.clear();
    e->editFile.clear();
    e->smallImage.clear();
    return e;
}

ObjCacheEntry* objCacheLookupLocked(const PtpObjectInfoStruct* record, bool create) {
    if (!record) return nullptr;
    ObjCacheEntry* e = findEntry(record);
    if (!e && create) e = objCacheCreateEntry(record);
    return e;
}

bool objCacheLookup(const PtpObjectInfoStruct* record, bool create) {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    return objCacheLookupLocked(record, create) != nullptr;
}

bool objCacheCopyObjectInfo(const PtpObjectInfoStruct* record, PtpObjectInfoStruct* out) {
    if (!out) return false;
    std::lock_guard<std::mutex> lock(objCacheMutex());
    ObjCacheEntry* e = objCacheLookupLocked(record, false);
    if (!e) return false;
    *out = e->info;
    return true;
}

bool objCacheStoreObjectInfoLocked(const PtpObjectInfoStruct* record) {
    if (!record || record->fileName[0] == '\0' || safeName(record).empty()) return false;
    ObjCacheEntry* e = findEntry(record);
    if (e) {
        if (record->captureDate == e->info.captureDate || record->captureDate == 0) {
            // The record file may be renamed with the record: the old name's file is replaced by the new one's.
            std::string oldName = safeName(&e->info);
            e->info = *record;
            if (!oldName.empty() && oldName != record->fileName && !state().cacheFolder.empty())
                removeFile(joinPath(state().cacheFolder, oldName + kObjSuffix));
            return writeRecordFile(e);
        }
        dropEntry(e);  // another object under a reused handle
    }
    return objCacheCreateEntry(record) != nullptr;
}

bool objCacheStoreObjectInfo(const PtpObjectInfoStruct* record) {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    return objCacheStoreObjectInfoLocked(record);
}

namespace {
using Finder = bool (*)(ObjCacheEntry*);

std::string pathOf(const PtpObjectInfoStruct* record, std::string ObjCacheEntry::*field, Finder find) {
    ObjCacheEntry* e = objCacheLookupLocked(record, false);
    if (!e) return {};
    if ((e->*field).empty()) find(e);
    return e->*field;
}

// Reads the side file into `data`; an unreadable file makes the entry forget it when `forget` is set.
bool readSide(ObjCacheEntry* e, std::string ObjCacheEntry::*field, Finder find, HeapBlock* data, bool forget) {
    if ((e->*field).empty() && !find(e)) return false;
    int64_t n = readWholeFile(e->*field, data);
    if (n <= 0) {
        if (n < 0 && forget) (e->*field).clear();
        data->reset();
        return false;
    }
    return true;
}
}  // namespace

std::string objCacheGetImagePath(const PtpObjectInfoStruct* record) {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    return pathOf(record, &ObjCacheEntry::image, findImage);
}

std::string objCacheGetModifiedJpegPathLocked(const PtpObjectInfoStruct* record) {
    return pathOf(record, &ObjCacheEntry::modifiedJpeg, findModified);
}

std::string objCacheGetModifiedJpegPath(const PtpObjectInfoStruct* record) {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    return objCacheGetModifiedJpegPathLocked(record);
}

std::string objCacheGetExtractedJpegPath(const PtpObjectInfoStruct* record) {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    return pathOf(record, &ObjCacheEntry::extractedJpeg, findExtracted);
}

std::string objCacheGetBestImagePath(const PtpObjectInfoStruct* record, bool preferExtracted) {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    ObjCacheEntry* e = objCacheLookupLocked(record, false);
    if (!e) return {};
    if (!e->modifiedJpeg.empty()) return e->modifiedJpeg;
    if (preferExtracted) {
        if (!e->extractedJpeg.empty()) return e->extractedJpeg;
        if (!e->image.empty()) return e->image;
        bool m = findModified(e), x = findExtracted(e), i = findImage(e);
        if (m) return e->modifiedJpeg;
        if (x) return e->extractedJpeg;
        return i ? e->image : std::string();
    }
    if (!e->image.empty()) return e->image;
    bool m = findModified(e), i = findImage(e);
    if (m) return e->modifiedJpeg;
    return i ? e->image : std::string();
}

bool objCacheReadImage(const PtpObjectInfoStruct* record, HeapBlock* data) {
    if (!data) return false;
    std::lock_guard<std::mutex> lock(objCacheMutex());
    ObjCacheEntry* e = objCacheLookupLocked(record, false);
    return e && readSide(e, &ObjCacheEntry::image, findImage, data, true);
}

bool objCacheReadThumbnail(PtpObjectInfoStruct* record, HeapBlock* data) {
    if (!data) return false;
    std::lock_guard<std::mutex> lock(objCacheMutex());
    ObjCacheEntry* e = objCacheLookupLocked(record, false);
    if (!e || !readSide(e, &ObjCacheEntry::thumbnail, findThumbnail, data, false)) return false;
    record->orientation = e->info.orientation;
    return true;
}

bool objCacheReadModifiedJpeg(const PtpObjectInfoStruct* record, HeapBlock* data) {
    if (!data) return false;
    std::lock_guard<std::mutex> lock(objCacheMutex());
    ObjCacheEntry* e = objCacheLookupLocked(record, false);
    return e && readSide(e, &ObjCacheEntry::modifiedJpeg, findModified, data, false);
}

bool objCacheReadExtractedJpeg(const PtpObjectInfoStruct* record, HeapBlock* data) {
    if (!data) return false;
    std::lock_guard<std::mutex> lock(objCacheMutex());
    ObjCacheEntry* e = objCacheLookupLocked(record, false);
    return e && readSide(e, &ObjCacheEntry::extractedJpeg, findExtracted, data, false);
}

std::string objCacheSaveImage(const PtpObjectInfoStruct* record, const uint8_t* data, size_t length) {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    ObjectCacheState& s = state();
    if (!s.loaded || !record) return {};
    ObjCacheEntry* e = objCacheLookupLocked(record, true);
    if (!e) {
        objCacheStoreObjectInfoLocked(record);
        e = objCacheLookupLocked(record, true);
        if (!e) return {};
    }
    std::string name = objCacheDownloadNameLocked(e->info.fileName);
    if (!s.prefix.empty()) ++s.counter;
    if (!nameIsSafe(name)) return {};
    const std::string& folder = saveFolder();
    if (folder.empty()) return {};
    // Another object's download of the same name is never overwritten; this object's own is.
    name = freeName(folder, name, e->image);
    if (name.empty()) return {};
    e->image = objCacheWriteFile(folder, name, nullptr, data, length);
    return e->image;
}

bool objCacheSaveThumbnail(const PtpObjectInfoStruct* record, const uint8_t* data, size_t length) {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    if (!state().loaded || !record) return false;
    ObjCacheEntry* e = objCacheLookupLocked(record, true);
    if (!e) return false;
    if (record->orientation > 1 && record->orientation != e->info.orientation) {
        objCacheStoreObjectInfoLocked(record);
        e = objCacheLookupLocked(record, true);
        if (!e) return false;
    }
    e->thumbnail = objCacheWriteFile(state().cacheFolder, e->info.fileName, kThumbSuffix, data, length);
    return !e->thumbnail.empty();
}

std::string objCacheSaveExtractedJpeg(const PtpObjectInfoStruct* record, const std::string& name,
                                      const uint8_t* data, size_t length) {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    if (!state().loaded || !record) return {};
    ObjCacheEntry* e = objCacheLookupLocked(record, true);
    if (!e) return {};
    std::string base = name.empty() ? std::string(e->info.fileName) : name;
    e->extractedJpeg = objCacheWriteFile(saveFolder(), base, kExtractedSuffix, data, length);
    return e->extractedJpeg;
}

bool objCacheRemoveEntry(const PtpObjectInfoStruct* record) {
    ObjectCacheState& s = state();
    if (!s.loaded || !record) return false;
    // The same identity as every lookup: removal by name never takes another object's record and files.
    ObjCacheEntry* e = findEntry(record);
    if (!e) return false;
    if (e->image.empty()) findImage(e);
    if (e->modifiedJpeg.empty()) findModified(e);
    if (e->thumbnail.empty()) findThumbnail(e);
    if (e->extractedJpeg.empty()) findExtracted(e);
    if (e->editFile.empty()) findEdit(e);
    if (e->smallImage.empty()) findSmall(e);
    unlinkEntry(e);
    std::string name = safeName(&e->info);
    if (!name.empty() && !s.cacheFolder.empty()) removeFile(joinPath(s.cacheFolder, name + kObjSuffix));
    for (const std::string* p : {&e->image, &e->modifiedJpeg, &e->thumbnail, &e->extractedJpeg, &e->editFile,
                                 &e->smallImage})
        removeFile(*p);
    delete e;
    return true;
}

bool objCacheRemove(const PtpObjectInfoStruct* record) {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    return objCacheRemoveEntry(record);
}

void objCacheClear() {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    freeList();
}

std::string objCacheFileExists(const std::string& name, const std::string& folder) {
    if (!nameIsSafe(name) || folder.empty()) return {};
    std::string path = joinPath(folder, name);
    return fileExists(path) ? path : std::string();
}

std::string objCacheWriteFile(const std::string& folder, const std::string& name, const char* suffix,
                              const uint8_t* data, size_t length) {
    std::string full = name + (suffix ? suffix : "");
    if (!nameIsSafe(name) || !nameIsSafe(full) || folder.empty() || (!data && length > 0)) return {};
    std::string path = joinPath(folder, full);
    return writeWholeFile(path, data, length) ? path : std::string();
}

int64_t readWholeFile(const std::string& path, HeapBlock* data) {
    if (!data || path.empty()) return -1;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return -1;
    }
    size_t size = static_cast<size_t>(st.st_size);
    HeapBlock block = HeapBlock::allocate(size + 1);  // one byte more, so that text files can be terminated
    if (!block) {
        ::close(fd);
        return -1;
    }
    size_t got = 0;
    while (got < size) {
        ssize_t n = ::read(fd, block.data() + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return -1;
        }
        if (n == 0) break;  // the file shrank meanwhile: keep what is there
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    block[got] = 0;
    block.truncate(got);
    *data = std::move(block);
    return static_cast<int64_t>(got);
}

bool writeWholeFile(const std::string& path, const uint8_t* data, size_t length) {
    if (path.empty() || (!data && length > 0)) return false;
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty()) return false;
    // Kept short so that a long name still leaves room for the temporary's own characters.
    std::string tmpl = dir + ".vxtmp." + base.substr(0, 64) + ".XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    int fd = ::mkstemp(buf.data());
    if (fd < 0) return false;
    bool ok = true;
    size_t done = 0;
    while (ok && done < length) {
        ssize_t n = ::write(fd, data + done, length - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else done += static_cast<size_t>(n);
    }
    if (ok) (void)::fchmod(fd, 0644);  // mkstemp's 0600 would hide downloads from the user's other programs
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(buf.data(), path.c_str()) != 0) ok = false;
    if (!ok) ::unlink(buf.data());
    return ok;
}

bool strEndsWith(const char* text, const char* suffix) {
    if (!text || !suffix) return false;
    size_t t = std::strlen(text), s = std::strlen(suffix);
    return s <= t && std::memcmp(text + t - s, suffix, s) == 0;
}
