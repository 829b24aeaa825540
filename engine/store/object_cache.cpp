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

// The list of downloads behind a record: its mark, version, and the most a record file holds.
constexpr char kDownloadsMark[4] = {'V', 'X', 'D', 'L'};
constexpr uint8_t kDownloadsVersion = 1;
constexpr size_t kDownloadsHeader = 4 + 1 + 2;
constexpr size_t kDownloadFixed = 4 + 4 + 8 + 1 + 8 + 1;
constexpr size_t kRecordFileMax = kObjCacheRecordSize + kDownloadsHeader + 255 * (kDownloadFixed + 255);

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

// The size of a regular file, or -1.
int64_t fileSize(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<int64_t>(st.st_size);
}

// Two values of a record that agree: equal, or one of them not known (0).
template <typename T>
bool agree(T a, T b) {
    return a == 0 || b == 0 || a == b;
}

// Whether a noted download was made for the object of this record.
bool madeFor(const ObjCacheDownload& d, const PtpObjectInfoStruct& r) {
    return d.objectId == r.objectId && agree<uint32_t>(d.objectSize, r.objectCompressedSize) &&
           agree<uint64_t>(d.captureDate, r.captureDate);
}

std::vector<ObjCacheDownload>* downloadsOf(const ObjCacheEntry* e) {
    auto it = state().downloads.find(e->info.fileName);
    return it == state().downloads.end() ? nullptr : &it->second;
}

// The path of the object's own download of `kind`, while its file is still there at the size it was written.
std::string ownDownload(const ObjCacheEntry* e, uint8_t kind) {
    const std::vector<ObjCacheDownload>* list = downloadsOf(e);
    const std::string& folder = saveFolder();
    if (!list || folder.empty()) return {};
    for (auto it = list->rbegin(); it != list->rend(); ++it) {
        if (it->kind != kind || !madeFor(*it, e->info)) continue;
        std::string path = joinPath(folder, it->fileName);
        if (fileSize(path) == static_cast<int64_t>(it->fileSize)) return path;
    }
    return {};
}

// Sets `out` to the side file's path when it exists (true), else leaves it empty (false).
bool findSide(ObjCacheEntry* e, std::string* out, const std::string& folder, const char* suffix) {
    out->clear();
    std::string name = safeName(&e->info);
    if (name.empty() || folder.empty()) return false;
    *out = objCacheFileExists(name + suffix, folder);
    return !out->empty();
}
// The cache folder's side files of the entry's name, when they are this entry's.
bool findCacheSide(ObjCacheEntry* e, std::string* out, const char* suffix) {
    if (!e->ownsSideFiles) {
        out->clear();
        return false;
    }
    return findSide(e, out, state().cacheFolder, suffix);
}
bool findImage(ObjCacheEntry* e) {
    e->image = ownDownload(e, kObjCacheImage);
    return !e->image.empty();
}
bool findExtracted(ObjCacheEntry* e) {
    e->extractedJpeg = ownDownload(e, kObjCacheExtracted);
    return !e->extractedJpeg.empty();
}
// The user's modified copy sits beside the object's own download: "<image>.mod.jpg", or for a JPEG extracted from a
// RAW file "<name>.mod.jpg" beside "<name>.ext.jpg".
bool findModified(ObjCacheEntry* e) {
    e->modifiedJpeg.clear();
    for (uint8_t kind : {kObjCacheImage, kObjCacheExtracted}) {
        std::string base = ownDownload(e, kind);
        if (base.empty()) continue;
        if (kind == kObjCacheExtracted) base.resize(base.size() - std::strlen(kExtractedSuffix));
        if (fileExists(base + kModifiedSuffix)) {
            e->modifiedJpeg = base + kModifiedSuffix;
            return true;
        }
    }
    return false;
}
bool findThumbnail(ObjCacheEntry* e) { return findCacheSide(e, &e->thumbnail, kThumbSuffix); }
bool findEdit(ObjCacheEntry* e) { return findCacheSide(e, &e->editFile, kEditSuffix); }
bool findSmall(ObjCacheEntry* e) { return findCacheSide(e, &e->smallImage, kSmallSuffix); }

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
        --s.count;
        return;
    }
}

void appendEntry(ObjCacheEntry* e) {
    ObjectCacheState& s = state();
    e->next = nullptr;
    if (s.tail) s.tail->next = e;
    else s.head = e;
    s.tail = e;
    ++s.count;
}

// The last entry in the list, other than `except`, whose record file has the given name.
ObjCacheEntry* lastOfName(const std::string& name, const ObjCacheEntry* except) {
    ObjCacheEntry* found = nullptr;
    for (ObjCacheEntry* e = state().head; e; e = e->next)
        if (e != except && name == e->info.fileName) found = e;
    return found;
}

bool writeRecordFile(ObjCacheEntry* e) {
    e->recordStored = false;
    std::string name = safeName(&e->info);
    if (name.empty() || state().cacheFolder.empty()) return false;
    static const std::vector<ObjCacheDownload> none;
    const std::vector<ObjCacheDownload>* list = downloadsOf(e);
    const std::vector<uint8_t> bytes = objCacheEncodeRecordFile(e->info, list ? *list : none);
    const bool written = !objCacheWriteFile(state().cacheFolder, name, kObjSuffix, bytes.data(), bytes.size()).empty();
    // The file of a name holds one record: another entry of that name no longer has its own there.
    for (ObjCacheEntry* other = state().head; other && written; other = other->next)
        if (other != e && other->recordStored && name == other->info.fileName) other->recordStored = false;
    e->recordStored = written;
    return written;
}

// The record file of `name` loses the entry `e`: it is written again for the last other entry of that name, whose
// downloads it also holds, or deleted when there is none.
void retireRecordFile(const ObjCacheEntry* e, const std::string& name) {
    if (name.empty() || state().cacheFolder.empty()) return;
    if (ObjCacheEntry* other = lastOfName(name, e)) {
        writeRecordFile(other);
        return;
    }
    removeFile(joinPath(state().cacheFolder, name + kObjSuffix));
}

// Deletes the entry's record file and, while they are its own, its cache-folder side files (thumbnail, edit,
// small); save-folder files stay.
void deleteCacheFiles(ObjCacheEntry* e) {
    std::string name = safeName(&e->info);
    if (name.empty() || state().cacheFolder.empty()) return;
    retireRecordFile(e, name);
    if (findThumbnail(e)) removeFile(e->thumbnail);
    if (findEdit(e)) removeFile(e->editFile);
    if (findSmall(e)) removeFile(e->smallImage);
}

// Drops an entry as pruning does: cache-folder files deleted, save-folder files left, entry freed. The downloads
// noted for it stay known: they are the user's files, and the object may come back.
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
    s.count = 0;
    s.downloads.clear();
    s.letGo.clear();
}

// The entry takes over the cache-folder side files of its name: every other entry of that name forgets them.
void takeSideFiles(ObjCacheEntry* owner) {
    for (ObjCacheEntry* e = state().head; e; e = e->next) {
        if (e == owner || std::strcmp(e->info.fileName, owner->info.fileName) != 0) continue;
        e->ownsSideFiles = false;
        e->thumbnail.clear();
        e->editFile.clear();
        e->smallImage.clear();
    }
    owner->ownsSideFiles = true;
}

// Notes a download made for the entry's object (replacing an earlier one of the same kind for it) and keeps it in
// the record file.
void noteDownload(ObjCacheEntry* e, uint8_t kind, const std::string& fileName, size_t length) {
    std::vector<ObjCacheDownload>& list = state().downloads[e->info.fileName];
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const ObjCacheDownload& d) { return d.kind == kind && madeFor(d, e->info); }),
               list.end());
    ObjCacheDownload d;
    d.objectId = e->info.objectId;
    d.objectSize = e->info.objectCompressedSize;
    d.captureDate = e->info.captureDate;
    d.kind = kind;
    d.fileSize = length;
    d.fileName = fileName;
    list.push_back(std::move(d));
    if (list.size() > kObjCacheDownloadsPerName)
        list.erase(list.begin(), list.begin() + static_cast<long>(list.size() - kObjCacheDownloadsPerName));
    writeRecordFile(e);
}

// Forgets the downloads noted for the entry's object (it was deleted); the files stay.
void forgetDownloads(const ObjCacheEntry* e) {
    auto it = state().downloads.find(e->info.fileName);
    if (it == state().downloads.end()) return;
    std::vector<ObjCacheDownload>& list = it->second;
    list.erase(std::remove_if(list.begin(), list.end(), [&](const ObjCacheDownload& d) { return madeFor(d, e->info); }),
               list.end());
    if (list.empty()) state().downloads.erase(it);
}

// A record file of an earlier version holds no downloads. Its object's download is taken to be the picture of
// its file name in the save folder when that has the object's size, and its extracted JPEG "<name>.ext.jpg" when
// that was written after the record file (an older object's would be older).
std::vector<ObjCacheDownload> adoptEarlierDownloads(const PtpObjectInfoStruct& record, time_t recordWritten) {
    std::vector<ObjCacheDownload> out;
    const std::string& folder = saveFolder();
    const std::string name = record.fileName;
    if (folder.empty()) return out;
    ObjCacheDownload d;
    d.objectId = record.objectId;
    d.objectSize = record.objectCompressedSize;
    d.captureDate = record.captureDate;
    if (record.objectCompressedSize != 0 && fileSize(joinPath(folder, name)) == record.objectCompressedSize) {
        d.kind = kObjCacheImage;
        d.fileSize = record.objectCompressedSize;
        d.fileName = name;
        out.push_back(d);
    }
    struct stat st;
    const std::string extracted = joinPath(folder, name + kExtractedSuffix);
    if (::stat(extracted.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_mtime >= recordWritten &&
        nameIsSafe(name + kExtractedSuffix)) {
        d.kind = kObjCacheExtracted;
        d.fileSize = static_cast<uint64_t>(st.st_size);
        d.fileName = name + kExtractedSuffix;
        out.push_back(d);
    }
    return out;
}

// Objects known only by name: a name matches only the whole stored name, ignoring case. Camera cards are FAT
// file systems, where names differ by more than letter case or not at all, so a case-blind whole-name match finds
// the one object of that name and never another object whose name merely begins the same way.
bool namesMatch(const PtpObjectInfoStruct& a, const PtpObjectInfoStruct& b) {
    size_t n = strnlen(a.fileName, sizeof a.fileName);
    if (n == 0 || n >= sizeof a.fileName) return false;
    if (strnlen(b.fileName, sizeof b.fileName) != n) return false;
    return strncasecmp(a.fileName, b.fileName, n) == 0;
}

ObjCacheEntry* scanEntries(const PtpObjectInfoStruct* record) {
    for (ObjCacheEntry* e = state().head; e; e = e->next) {
        if (record->objectId != kObjectIdByName) {
            if (e->info.objectId == record->objectId) return e;
        } else if (namesMatch(e->info, *record)) {
            return e;
        }
    }
    return nullptr;
}

// Reads a record file: its record and the downloads behind it (for a file of an earlier version, those adopted
// from the save folder). False for a file that cannot be read or holds no record.
bool readRecordFile(const std::string& path, PtpObjectInfoStruct* record, std::vector<ObjCacheDownload>* downloads,
                    time_t* accessed) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    std::vector<uint8_t> buf(kRecordFileMax + 1);  // one byte more: a longer file is no record file of ours
    size_t got = 0;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        while (got < buf.size()) {
            ssize_t n = ::read(fd, buf.data() + got, buf.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
    }
    ::close(fd);
    if (!objCacheParseRecord(buf.data(), got, record)) return false;  // short or corrupt
    if (!objCacheParseDownloads(buf.data(), got, downloads)) *downloads = adoptEarlierDownloads(*record, st.st_mtime);
    if (accessed) *accessed = st.st_atime;
    return true;
}

// Whether the cache holds anything of this name in memory (an entry, or downloads noted for it).
bool resident(const std::string& name) {
    if (state().downloads.count(name)) return true;
    for (ObjCacheEntry* e = state().head; e; e = e->next)
        if (name == e->info.fileName) return true;
    return false;
}

// A name let go earlier is read back from its record file, with its downloads, as opening the cache reads it: true
// when an entry came back.
bool recallName(const std::string& name) {
    ObjectCacheState& s = state();
    if (!s.loaded || s.cacheFolder.empty() || !nameIsSafe(name) || resident(name)) return false;
    PtpObjectInfoStruct record;
    std::vector<ObjCacheDownload> list;
    if (!readRecordFile(joinPath(s.cacheFolder, name + kObjSuffix), &record, &list, nullptr)) return false;
    if (name != record.fileName) return false;  // a file renamed by hand: not this name's
    auto* e = new (std::nothrow) ObjCacheEntry;
    if (!e) return false;
    e->info = record;
    e->recordStored = true;
    appendEntry(e);
    if (!list.empty()) s.downloads[name] = std::move(list);
    return true;
}

ObjCacheEntry* findEntry(const PtpObjectInfoStruct* record) {
    if (!record) return nullptr;
    if (ObjCacheEntry* e = scanEntries(record)) return e;
    // Let go earlier: the object's record file, found by its name (or by the name its handle had), may hold it.
    const std::string name = safeName(record);
    if (!name.empty() && recallName(name))
        if (ObjCacheEntry* e = scanEntries(record)) return e;
    if (record->objectId == kObjectIdByName) return nullptr;
    auto it = state().letGo.find(record->objectId);
    if (it == state().letGo.end() || it->second == name) return nullptr;
    const std::string known = it->second;  // recalling may change the map
    return recallName(known) ? scanEntries(record) : nullptr;
}

// Lets go of the oldest names while more entries than the limit are held: every entry of such a name and the
// downloads noted for it leave memory, where the record file holds the name's last record and all its downloads.
// An entry whose record file could not be written has nothing to come back from and stays. Run only where no
// entry pointer is held.
void trimResident() {
    ObjectCacheState& s = state();
    ObjCacheEntry* keep = nullptr;  // entries kept at the front, oldest first
    while (s.count > kObjCacheResidentLimit) {
        ObjCacheEntry* first = keep ? keep->next : s.head;
        if (!first) return;
        const std::string name = first->info.fileName;
        bool allStored = true;
        for (ObjCacheEntry* e = s.head; e; e = e->next)
            if (name == e->info.fileName && !e->recordStored) allStored = false;
        if (!allStored) {
            keep = first;
            continue;
        }
        for (ObjCacheEntry* e = s.head; e;) {
            ObjCacheEntry* next = e->next;
            if (name == e->info.fileName) {
                if (e->info.objectId != kObjectIdByName) s.letGo[e->info.objectId] = name;
                unlinkEntry(e);
                delete e;
            }
            e = next;
        }
        s.downloads.erase(name);
    }
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

// A name for `name` + `suffix` in `folder` that no other file uses: the name itself, unless a file of that name
// exists that is not `keep` (this object's own download); then "<stem>-<n><extension>". Empty when none is free.
std::string freeName(const std::string& folder, const std::string& name, const char* suffix, const std::string& keep) {
    std::string path = joinPath(folder, name + suffix);
    if (!fileExists(path) || path == keep) return name;
    size_t dot = name.rfind('.');
    std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    std::string ext = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
    for (int i = 1; i < 100000; ++i) {
        std::string candidate = stem + "-" + std::to_string(i) + ext;
        if (!nameIsSafe(candidate + suffix)) return {};
        if (!fileExists(joinPath(folder, candidate + suffix))) return candidate;
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

std::vector<uint8_t> objCacheEncodeRecordFile(const PtpObjectInfoStruct& record,
                                              const std::vector<ObjCacheDownload>& downloads) {
    std::vector<uint8_t> out(kObjCacheRecordSize);
    std::memcpy(out.data(), &record, kObjCacheRecordSize);
    std::vector<const ObjCacheDownload*> kept;
    for (const ObjCacheDownload& d : downloads)
        if (d.kind <= kObjCacheExtracted && nameIsSafe(d.fileName) && d.fileName.size() <= 255) kept.push_back(&d);
    if (kept.size() > 255) kept.erase(kept.begin(), kept.end() - 255);
    if (kept.empty()) return out;  // the record alone, as earlier versions wrote it
    const auto put = [&out](uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    out.insert(out.end(), kDownloadsMark, kDownloadsMark + 4);
    put(kDownloadsVersion, 1);
    put(kept.size(), 2);
    for (const ObjCacheDownload* d : kept) {
        put(d->objectId, 4);
        put(d->objectSize, 4);
        put(d->captureDate, 8);
        put(d->kind, 1);
        put(d->fileSize, 8);
        put(d->fileName.size(), 1);
        out.insert(out.end(), d->fileName.begin(), d->fileName.end());
    }
    return out;
}

bool objCacheParseDownloads(const uint8_t* data, size_t length, std::vector<ObjCacheDownload>* out) {
    if (!out) return false;
    out->clear();
    if (!data || length <= kObjCacheRecordSize) return false;
    const uint8_t* p = data + kObjCacheRecordSize;
    size_t left = length - kObjCacheRecordSize;
    const auto take = [&p, &left](int bytes, uint64_t* v) {
        if (left < static_cast<size_t>(bytes)) return false;
        *v = 0;
        for (int i = 0; i < bytes; ++i) *v |= static_cast<uint64_t>(p[i]) << (8 * i);
        p += bytes;
        left -= static_cast<size_t>(bytes);
        return true;
    };
    if (left < kDownloadsHeader || std::memcmp(p, kDownloadsMark, 4) != 0) return false;
    p += 4;
    left -= 4;
    uint64_t version = 0, count = 0;
    if (!take(1, &version) || version != kDownloadsVersion || !take(2, &count) || count == 0 || count > 255)
        return false;
    std::vector<ObjCacheDownload> list;
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t id, size, date, kind, bytes, nameLength;
        if (!take(4, &id) || !take(4, &size) || !take(8, &date) || !take(1, &kind) || !take(8, &bytes) ||
            !take(1, &nameLength) || kind > kObjCacheExtracted || nameLength == 0 || nameLength > left)
            return false;
        ObjCacheDownload d;
        d.objectId = static_cast<uint32_t>(id);
        d.objectSize = static_cast<uint32_t>(size);
        d.captureDate = date;
        d.kind = static_cast<uint8_t>(kind);
        d.fileSize = bytes;
        d.fileName.assign(reinterpret_cast<const char*>(p), nameLength);
        p += nameLength;
        left -= nameLength;
        if (!nameIsSafe(d.fileName)) return false;
        list.push_back(std::move(d));
    }
    if (left != 0) return false;
    *out = std::move(list);
    return true;
}

bool objCacheSameObject(const PtpObjectInfoStruct& a, const PtpObjectInfoStruct& b) {
    if (a.objectId != b.objectId) return false;
    if (a.objectId == kObjectIdByName && !namesMatch(a, b)) return false;
    return agree<uint32_t>(a.objectCompressedSize, b.objectCompressedSize) &&
           agree<uint64_t>(a.captureDate, b.captureDate);
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
        PtpObjectInfoStruct record;
        std::vector<ObjCacheDownload> list;
        time_t accessed = 0;
        if (!readRecordFile(joinPath(cacheFolder, name), &record, &list, &accessed)) continue;
        auto* e = new (std::nothrow) ObjCacheEntry;
        if (!e) continue;
        e->info = record;
        e->recordStored = true;
        appendEntry(e);
        noted.push_back({e, accessed});
        if (!list.empty()) s.downloads[record.fileName] = std::move(list);
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
    // A new object never inherits the cache-folder files of an older object of the same name, nor that object's
    // downloads: those are found only for the object they were made for.
    takeSideFiles(e);
    if (!writeRecordFile(e)) return nullptr;  // the entry stays in the list without its record file
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
    trimResident();
    return objCacheLookupLocked(record, create) != nullptr;
}

bool objCacheCopyObjectInfo(const PtpObjectInfoStruct* record, PtpObjectInfoStruct* out) {
    if (!out) return false;
    std::lock_guard<std::mutex> lock(objCacheMutex());
    trimResident();
    ObjCacheEntry* e = objCacheLookupLocked(record, false);
    if (!e) return false;
    *out = e->info;
    return true;
}

bool objCacheStoreObjectInfoLocked(const PtpObjectInfoStruct* record) {
    if (!record || record->fileName[0] == '\0' || safeName(record).empty()) return false;
    ObjCacheEntry* e = findEntry(record);
    if (e) {
        // Another object under a reused handle or name: another capture date (none given counts as the same), or
        // another size where both are known (objects known by name have no capture date).
        const bool sameDate = record->captureDate == e->info.captureDate || record->captureDate == 0;
        const bool sameSize = agree<uint32_t>(record->objectCompressedSize, e->info.objectCompressedSize);
        if (sameDate && sameSize) {
            const std::string oldName = safeName(&e->info);
            if (!oldName.empty() && oldName != record->fileName) {
                // The record file is renamed with the record, and the object's downloads go with it.
                std::vector<ObjCacheDownload> moved;
                if (std::vector<ObjCacheDownload>* list = downloadsOf(e)) {
                    for (const ObjCacheDownload& d : *list)
                        if (madeFor(d, e->info)) moved.push_back(d);
                    forgetDownloads(e);
                }
                e->info = *record;
                retireRecordFile(e, oldName);
                takeSideFiles(e);
                std::vector<ObjCacheDownload>& list = state().downloads[e->info.fileName];
                list.insert(list.end(), moved.begin(), moved.end());
            } else {
                // The same record again (the pump stores it, the thumbnail's orientation stores it once more):
                // its file already holds it, and every write is a synced file.
                if (e->recordStored && std::memcmp(&e->info, record, sizeof *record) == 0) return true;
                e->info = *record;
            }
            return writeRecordFile(e);
        }
        dropEntry(e);
    }
    return objCacheCreateEntry(record) != nullptr;
}

bool objCacheStoreObjectInfo(const PtpObjectInfoStruct* record) {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    trimResident();
    return objCacheStoreObjectInfoLocked(record);
}

namespace {
using Finder = bool (*)(ObjCacheEntry*);

// The save folder's files are looked for again at each request: the user may have moved or replaced them.
bool inSaveFolder(Finder find) { return find == findImage || find == findExtracted || find == findModified; }

std::string pathOf(const PtpObjectInfoStruct* record, std::string ObjCacheEntry::*field, Finder find) {
    ObjCacheEntry* e = objCacheLookupLocked(record, false);
    if (!e) return {};
    if ((e->*field).empty() || inSaveFolder(find)) find(e);
    return e->*field;
}

// Reads the side file into `data`; an unreadable file makes the entry forget it when `forget` is set.
bool readSide(ObjCacheEntry* e, std::string ObjCacheEntry::*field, Finder find, HeapBlock* data, bool forget) {
    if (((e->*field).empty() || inSaveFolder(find)) && !find(e)) return false;
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
    trimResident();  // a name let go and read back for this request stays within the limit
    return pathOf(record, &ObjCacheEntry::image, findImage);
}

std::string objCacheGetModifiedJpegPathLocked(const PtpObjectInfoStruct* record) {
    return pathOf(record, &ObjCacheEntry::modifiedJpeg, findModified);
}

std::string objCacheGetModifiedJpegPath(const PtpObjectInfoStruct* record) {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    trimResident();  // a name let go and read back for this request stays within the limit
    return objCacheGetModifiedJpegPathLocked(record);
}

std::string objCacheGetExtractedJpegPath(const PtpObjectInfoStruct* record) {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    trimResident();  // a name let go and read back for this request stays within the limit
    return pathOf(record, &ObjCacheEntry::extractedJpeg, findExtracted);
}

std::string objCacheGetBestImagePath(const PtpObjectInfoStruct* record, bool preferExtracted) {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    trimResident();  // a name let go and read back for this request stays within the limit
    ObjCacheEntry* e = objCacheLookupLocked(record, false);
    if (!e) return {};
    const bool m = findModified(e), x = findExtracted(e), i = findImage(e);
    if (m) return e->modifiedJpeg;
    if (preferExtracted && x) return e->extractedJpeg;
    return i ? e->image : std::string();
}

bool objCacheReadImage(const PtpObjectInfoStruct* record, HeapBlock* data) {
    if (!data) return false;
    std::lock_guard<std::mutex> lock(objCacheMutex());
    trimResident();  // a name let go and read back for this request stays within the limit
    ObjCacheEntry* e = objCacheLookupLocked(record, false);
    return e && readSide(e, &ObjCacheEntry::image, findImage, data, true);
}

bool objCacheReadThumbnail(PtpObjectInfoStruct* record, HeapBlock* data) {
    if (!data) return false;
    std::lock_guard<std::mutex> lock(objCacheMutex());
    trimResident();  // a name let go and read back for this request stays within the limit
    ObjCacheEntry* e = objCacheLookupLocked(record, false);
    if (!e || !readSide(e, &ObjCacheEntry::thumbnail, findThumbnail, data, false)) return false;
    record->orientation = e->info.orientation;
    return true;
}

bool objCacheReadModifiedJpeg(const PtpObjectInfoStruct* record, HeapBlock* data) {
    if (!data) return false;
    std::lock_guard<std::mutex> lock(objCacheMutex());
    trimResident();  // a name let go and read back for this request stays within the limit
    ObjCacheEntry* e = objCacheLookupLocked(record, false);
    return e && readSide(e, &ObjCacheEntry::modifiedJpeg, findModified, data, false);
}

bool objCacheReadExtractedJpeg(const PtpObjectInfoStruct* record, HeapBlock* data) {
    if (!data) return false;
    std::lock_guard<std::mutex> lock(objCacheMutex());
    trimResident();  // a name let go and read back for this request stays within the limit
    ObjCacheEntry* e = objCacheLookupLocked(record, false);
    return e && readSide(e, &ObjCacheEntry::extractedJpeg, findExtracted, data, false);
}

namespace {
// Writes a download for the entry into the downloads folder under a free name (its own earlier download of that
// kind may be replaced, nobody else's) and notes it: the bytes staged for that folder are renamed there, others
// written now. The path, or empty.
std::string saveDownload(ObjCacheEntry* e, uint8_t kind, const std::string& name, const uint8_t* data,
                         size_t length, ObjCacheStagedFile* staged) {
    const char* suffix = kind == kObjCacheExtracted ? kExtractedSuffix : "";
    if (!nameIsSafe(name) || !nameIsSafe(name + suffix)) return {};
    const std::string& folder = saveFolder();
    if (folder.empty()) return {};
    const std::string chosen = freeName(folder, name, suffix, ownDownload(e, kind));
    if (chosen.empty()) return {};
    std::string path = staged->commit(folder, chosen, suffix);
    if (path.empty()) path = objCacheWriteFile(folder, chosen, suffix, data, length);
    if (!path.empty()) noteDownload(e, kind, chosen + suffix, length);
    return path;
}

// The bytes of a save staged, before the cache mutex is taken, in the folder they are to go to (the save folder
// or the cache folder as it is now): written and synced there without holding the cache. A folder changed
// meanwhile, or bytes that could not be staged, are written under the mutex as before.
void stageSave(ObjCacheStagedFile* staged, bool inSaveFolder, const std::string& label, const uint8_t* data,
               size_t length) {
    if (label.empty() || (!data && length > 0)) return;
    std::string folder;
    {
        std::lock_guard<std::mutex> lock(objCacheMutex());
        if (!state().loaded) return;
        folder = inSaveFolder ? saveFolder() : state().cacheFolder;
    }
    staged->stage(folder, label, data, length);
}
}  // namespace

std::string objCacheSaveImage(const PtpObjectInfoStruct* record, const uint8_t* data, size_t length) {
    if (!record) return {};
    ObjCacheStagedFile staged;  // declared first: a temporary left uncommitted is deleted after the mutex is let go
    stageSave(&staged, true, safeName(record), data, length);
    std::lock_guard<std::mutex> lock(objCacheMutex());
    trimResident();
    ObjectCacheState& s = state();
    if (!s.loaded) return {};
    ObjCacheEntry* e = objCacheLookupLocked(record, true);
    if (!e) {
        objCacheStoreObjectInfoLocked(record);
        e = objCacheLookupLocked(record, true);
        if (!e) return {};
    }
    std::string name = objCacheDownloadNameLocked(e->info.fileName);
    if (!s.prefix.empty()) ++s.counter;
    e->image = saveDownload(e, kObjCacheImage, name, data, length, &staged);
    return e->image;
}

bool objCacheSaveThumbnail(const PtpObjectInfoStruct* record, const uint8_t* data, size_t length) {
    if (!record) return false;
    ObjCacheStagedFile staged;
    stageSave(&staged, false, safeName(record), data, length);
    std::lock_guard<std::mutex> lock(objCacheMutex());
    trimResident();
    if (!state().loaded) return false;
    ObjCacheEntry* e = objCacheLookupLocked(record, true);
    if (!e) return false;
    if (record->orientation > 1 && record->orientation != e->info.orientation) {
        objCacheStoreObjectInfoLocked(record);
        e = objCacheLookupLocked(record, true);
        if (!e) return false;
    }
    if (!e->ownsSideFiles) {
        // The name's side files are another object's: this one takes them over, without inheriting any.
        takeSideFiles(e);
        if (findEdit(e)) removeFile(e->editFile);
        if (findSmall(e)) removeFile(e->smallImage);
        e->editFile.clear();
        e->smallImage.clear();
    }
    e->thumbnail = staged.commit(state().cacheFolder, e->info.fileName, kThumbSuffix);
    if (e->thumbnail.empty())
        e->thumbnail = objCacheWriteFile(state().cacheFolder, e->info.fileName, kThumbSuffix, data, length);
    return !e->thumbnail.empty();
}

std::string objCacheSaveExtractedJpeg(const PtpObjectInfoStruct* record, const std::string& name,
                                      const uint8_t* data, size_t length) {
    if (!record) return {};
    ObjCacheStagedFile staged;
    stageSave(&staged, true, name.empty() ? safeName(record) : name, data, length);
    std::lock_guard<std::mutex> lock(objCacheMutex());
    trimResident();
    if (!state().loaded) return {};
    ObjCacheEntry* e = objCacheLookupLocked(record, true);
    if (!e) return {};
    std::string base = name.empty() ? std::string(e->info.fileName) : name;
    e->extractedJpeg = saveDownload(e, kObjCacheExtracted, base, data, length, &staged);
    return e->extractedJpeg;
}

bool objCacheRemoveEntry(const PtpObjectInfoStruct* record) {
    ObjectCacheState& s = state();
    if (!s.loaded || !record) return false;
    // The same identity as every lookup: removal by name never takes another object's record and files.
    ObjCacheEntry* e = findEntry(record);
    if (!e) return false;
    // The cache folder's own files go; the save folder is the user's, and whatever was downloaded stays there.
    s.letGo.erase(e->info.objectId);
    unlinkEntry(e);
    forgetDownloads(e);
    deleteCacheFiles(e);
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

namespace {
// The bytes written and synced into a new temporary file in `dir` (a name that begins with a dot, as the folders'
// listings skip). Its path, or empty when a byte could not be written or synced (nothing is then left behind).
std::string writeSyncedTemporary(const std::string& dir, const std::string& base, const uint8_t* data, size_t length) {
    if (base.empty() || (!data && length > 0)) return {};
    // Kept short so that a long name still leaves room for the temporary's own characters.
    std::string tmpl = dir + ".vxtmp." + base.substr(0, 64) + ".XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    int fd = ::mkstemp(buf.data());
    if (fd < 0) return {};
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
    if (!ok) {
        ::unlink(buf.data());
        return {};
    }
    return std::string(buf.data());
}

// The folder part of a path, with its slash ("./" for a bare name), and the name after it.
void splitPath(const std::string& path, std::string* dir, std::string* base) {
    size_t slash = path.rfind('/');
    *dir = slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
    *base = slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

bool writeWholeFile(const std::string& path, const uint8_t* data, size_t length) {
    if (path.empty() || (!data && length > 0)) return false;
    std::string dir, base;
    splitPath(path, &dir, &base);
    const std::string temporary = writeSyncedTemporary(dir, base, data, length);
    if (temporary.empty()) return false;
    if (::rename(temporary.c_str(), path.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

ObjCacheStagedFile::~ObjCacheStagedFile() { discard(); }

void ObjCacheStagedFile::discard() {
    if (!path_.empty()) ::unlink(path_.c_str());
    path_.clear();
    folder_.clear();
}

bool ObjCacheStagedFile::stage(const std::string& folder, const std::string& name, const uint8_t* data,
                               size_t length) {
    discard();
    if (folder.empty() || !nameIsSafe(name)) return false;
    // The temporary goes where objCacheWriteFile puts its own for this folder, so that the rename stays inside it.
    std::string dir, base;
    splitPath(joinPath(folder, name), &dir, &base);
    path_ = writeSyncedTemporary(dir, base, data, length);
    if (!path_.empty()) folder_ = folder;
    return !path_.empty();
}

std::string ObjCacheStagedFile::commit(const std::string& folder, const std::string& name, const char* suffix) {
    std::string full = name + (suffix ? suffix : "");
    if (path_.empty() || folder != folder_ || !nameIsSafe(name) || !nameIsSafe(full)) return {};
    std::string target = joinPath(folder, full);
    if (::rename(path_.c_str(), target.c_str()) != 0) return {};
    path_.clear();
    folder_.clear();
    return target;
}

bool strEndsWith(const char* text, const char* suffix) {
    if (!text || !suffix) return false;
    size_t t = std::strlen(text), s = std::strlen(suffix);
    return s <= t && std::memcmp(text + t - s, suffix, s) == 0;
}
