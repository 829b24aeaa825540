#pragma once
// The object cache: every camera object the application has seen, remembered across runs. Each object's 608-byte
// ObjectInfo record lives as <fileName>.obj in the cache folder; its cache-folder files (thumbnail, edit settings,
// small image) are found by name there.
//
// The save folder is the user's. A file there stands for an object only when the cache wrote it for that object:
// every download (the image, or the JPEG extracted from a RAW file) is noted with the object it was made for (its
// handle, size and capture date), the file's name and the file's size, behind the record in the record file of
// that camera file name (see objCacheEncodeRecordFile). An older picture of the same name, left by another card,
// another body or an earlier numbering, is never taken for a new object: the new one downloads under a free name,
// and the older file stays as it is. The user's modified copy is "<download>.mod.jpg" beside the object's own
// download. Deleting an object removes only the cache folder's own files for it; nothing in the save folder.
//
// Record files of earlier versions hold the record alone. They still load; a picture of the record's file name in
// the save folder is taken as the object's download when its size is the object's size, and a JPEG extracted from
// it ("<fileName>.ext.jpg") when it was written after the record file.
//
// Safety rules that hold throughout:
// - A camera's file name is never used as a path: a name that is empty, ".", "..", contains '/' or is not
//   terminated inside its 256-byte field is refused, so nothing is read, written or deleted outside the folders.
// - Files are written atomically (a temporary file in the same folder, then rename).
// - A record file shorter than 608 bytes, or whose name is unsafe, is corrupt and adds no entry.
// - The cache mutex stands alone in the lock order: nothing here takes another engine lock while holding it.
// - Paths handed to callers are owned copies (std::string, empty = none); they never dangle.
// - An object known only by name (objectId 0xFFFFFFFF) is found, and removed, by its whole file name, ignoring
//   letter case as the cards' FAT file systems do: "DSC_0042" never finds or removes "DSC_0042.JPG".
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/link/heap_block.h"
#include "engine/ptp/datasets.h"

inline constexpr size_t kObjCacheRecordSize = sizeof(PtpObjectInfoStruct);  // 608
inline constexpr size_t kObjCachePruneLimit = 2000;                         // more entries than this: prune
inline constexpr size_t kObjCachePruneKeep = 2001;                          // entries kept by a prune
// Entries held in memory at most. Past this the names of the oldest entries are let go: their record files, with
// the downloads made for them, stay in the cache folder and are read back by name when an object of that name is
// asked for again (as a restart reads them), so that a long shoot's memory does not grow with its pictures.
inline constexpr size_t kObjCacheResidentLimit = 2048;

// One known object. Path texts are empty until found or written.
struct ObjCacheEntry {
    PtpObjectInfoStruct info{};
    std::string image;
    std::string thumbnail;
    std::string modifiedJpeg;
    std::string extractedJpeg;
    std::string editFile;
    std::string smallImage;
    // The cache-folder side files of a name (thumbnail, edit, small) belong to one object at a time: the one of that
    // name seen last, or that wrote its thumbnail last. Another object of the same name never reads them.
    bool ownsSideFiles = true;
    // Its record file holds `info` as it is now (written by this run, or read at opening).
    bool recordStored = false;
    ObjCacheEntry* next = nullptr;
};

// What a download is.
inline constexpr uint8_t kObjCacheImage = 0;      // the whole file, under its download name
inline constexpr uint8_t kObjCacheExtracted = 1;  // the JPEG extracted from a RAW file, "<name>.ext.jpg"
// Downloads kept per camera file name (the oldest go first): objects of one name over many cards.
inline constexpr size_t kObjCacheDownloadsPerName = 16;

// One download the cache made: the object it was made for, as its record had it (0 = not known), what it is, the
// file's name in the downloads folder and the file's size when written.
struct ObjCacheDownload {
    uint32_t objectId = 0;
    uint32_t objectSize = 0;
    uint64_t captureDate = 0;
    uint8_t kind = kObjCacheImage;
    uint64_t fileSize = 0;
    std::string fileName;

    bool operator==(const ObjCacheDownload&) const = default;
};

// The cache's module state; objCacheReset() returns it to process start (for tests).
struct ObjectCacheState {
    std::mutex mutex;
    ObjCacheEntry* head = nullptr;
    ObjCacheEntry* tail = nullptr;
    size_t count = 0;  // entries in the list
    uint8_t loaded = 0;
    std::string saveFolder;   // empty: the cache folder holds downloads too
    std::string cacheFolder;
    std::string prefix;       // download-name prefix; empty = none
    uint32_t counter = 0;     // download counter
    uint8_t prependOriginalName = 0;
    // The downloads made for objects of each camera file name, oldest first; kept in that name's record file.
    std::map<std::string, std::vector<ObjCacheDownload>> downloads;
    // The name of each object let go from memory by its handle, so that a lookup by handle alone finds its record
    // file again without asking the camera (a few dozen bytes a picture, against the entry's eight hundred).
    std::unordered_map<uint32_t, std::string> letGo;
};

ObjectCacheState& objCacheState();
// Frees the list and clears every setting and the loaded flag (files stay).
void objCacheReset();
// The cache mutex, for the callers of the ...Locked operations and objCacheRemoveEntry.
std::mutex& objCacheMutex();

// --- file names ---
// True when `name` (the camera's file name field, at most `capacity` bytes) may be used as one path component.
bool objCacheNameIsSafe(const char* name, size_t capacity = 256);
// The same rule for a name of any bytes: not empty, not "." or "..", no '/' and no NUL.
bool objCacheFileNameIsSafe(const std::string& name);
// Builds a record from the bytes of a record file: false when fewer than 608 bytes or the name is unsafe.
bool objCacheParseRecord(const uint8_t* data, size_t length, PtpObjectInfoStruct* out);

// Record files: the 608-byte record, then, when downloads are known for its name, "VXDL", a version byte (1), a
// u16 count (1 to 255) and per download u32 objectId, u32 object size, u64 capture date, u8 kind, u64 file size,
// u8 name length (1 to 255) and the name (all little-endian). Earlier versions wrote the record alone, and read only
// its first 608 bytes, so either reads the other's files.
std::vector<uint8_t> objCacheEncodeRecordFile(const PtpObjectInfoStruct& record,
                                              const std::vector<ObjCacheDownload>& downloads);
// The downloads behind the record of a record file's bytes. False, with none, for a file of the record alone or
// one whose list is garbled (a wrong mark or version, a count or name past the end, an unknown kind, an unsafe
// name, bytes after the list).
bool objCacheParseDownloads(const uint8_t* data, size_t length, std::vector<ObjCacheDownload>* out);
// Whether two records can be the same object: the same handle (for objects known by name, the same name ignoring
// case), and sizes and capture dates that agree wherever both are known.
bool objCacheSameObject(const PtpObjectInfoStruct& a, const PtpObjectInfoStruct& b);
// The download name of `fileName` under the current prefix settings (caller holds the mutex).
std::string objCacheDownloadNameLocked(const char* fileName);

// --- opening and settings ---
// Loads every record file of the cache folder and prunes it past 2000 entries. Empty cache folder: nothing loaded.
void objCacheOpen(const std::string& cacheFolder, const std::string& saveFolder);
void objCacheSetSaveFolder(const std::string& saveFolder);
void objCacheSetFileNamePrefix(const std::string& prefix, bool prependOriginalName);

// --- lookup and records ---
// Whether the object has (or, with create, now has) an entry. The entry itself is reachable only under the mutex,
// through objCacheLookupLocked, so that no caller keeps a pointer to an entry another thread may free.
bool objCacheLookup(const PtpObjectInfoStruct* record, bool create);
ObjCacheEntry* objCacheLookupLocked(const PtpObjectInfoStruct* record, bool create);
ObjCacheEntry* objCacheCreateEntry(const PtpObjectInfoStruct* record);  // caller holds the mutex
bool objCacheCopyObjectInfo(const PtpObjectInfoStruct* record, PtpObjectInfoStruct* out);
bool objCacheStoreObjectInfo(const PtpObjectInfoStruct* record);
bool objCacheStoreObjectInfoLocked(const PtpObjectInfoStruct* record);

// --- paths (owned copies; empty = none) ---
std::string objCacheGetImagePath(const PtpObjectInfoStruct* record);
std::string objCacheGetModifiedJpegPath(const PtpObjectInfoStruct* record);
std::string objCacheGetModifiedJpegPathLocked(const PtpObjectInfoStruct* record);
std::string objCacheGetExtractedJpegPath(const PtpObjectInfoStruct* record);
std::string objCacheGetBestImagePath(const PtpObjectInfoStruct* record, bool preferExtracted);

// --- file contents: false when there is no entry, no file or an empty file ---
bool objCacheReadImage(const PtpObjectInfoStruct* record, HeapBlock* data);
// Also copies the entry's orientation into `record`.
bool objCacheReadThumbnail(PtpObjectInfoStruct* record, HeapBlock* data);
bool objCacheReadModifiedJpeg(const PtpObjectInfoStruct* record, HeapBlock* data);
bool objCacheReadExtractedJpeg(const PtpObjectInfoStruct* record, HeapBlock* data);

// --- saving (nothing before the cache is loaded) ---
// A picture's bytes are written and synced into a temporary file before the cache mutex is taken, and only renamed
// to their name under it: a save holds the cache no longer than its bookkeeping and its record file, so that the
// event thread storing the next object's record, a thumbnail and the main thread's lookups do not wait behind
// another picture's sync.
std::string objCacheSaveImage(const PtpObjectInfoStruct* record, const uint8_t* data, size_t length);
bool objCacheSaveThumbnail(const PtpObjectInfoStruct* record, const uint8_t* data, size_t length);
// `name` empty: the record's file name.
std::string objCacheSaveExtractedJpeg(const PtpObjectInfoStruct* record, const std::string& name,
                                      const uint8_t* data, size_t length);

// --- removal: the entry, its record file and its cache-folder side files; never a file of the save folder ---
bool objCacheRemove(const PtpObjectInfoStruct* record);
bool objCacheRemoveEntry(const PtpObjectInfoStruct* record);  // caller holds the mutex
// Frees the list and forgets the downloads (the cache folder is being emptied); files stay.
void objCacheClear();

// --- module routines ---
// folder + "//" + name (+ suffix) when that file exists; empty otherwise (also for an unsafe name).
std::string objCacheFileExists(const std::string& name, const std::string& folder);
// Writes the file atomically; the joined path when every byte was written, empty otherwise.
std::string objCacheWriteFile(const std::string& folder, const std::string& name, const char* suffix,
                              const uint8_t* data, size_t length);
// The whole file into `data`: its length, or -1 when it cannot be read.
int64_t readWholeFile(const std::string& path, HeapBlock* data);
// Writes through a temporary file in the same folder and renames it over `path`.
bool writeWholeFile(const std::string& path, const uint8_t* data, size_t length);

// A file's bytes written and synced under a temporary name in a folder, waiting to be renamed to their own name
// there; dropped (the temporary deleted) when never committed. Needs no lock: the temporary's name is its own.
class ObjCacheStagedFile {
public:
    ObjCacheStagedFile() = default;
    ~ObjCacheStagedFile();
    ObjCacheStagedFile(const ObjCacheStagedFile&) = delete;
    ObjCacheStagedFile& operator=(const ObjCacheStagedFile&) = delete;

    // Writes the bytes beside where `name` would go in `folder` (the name only labels the temporary). False when
    // they could not all be written and synced.
    bool stage(const std::string& folder, const std::string& name, const uint8_t* data, size_t length);
    // Renames the staged bytes to folder + "//" + name + suffix, as objCacheWriteFile names its file: that path,
    // or empty when nothing is staged for this folder, the name is unsafe or the rename fails (the bytes then
    // stay staged).
    std::string commit(const std::string& folder, const std::string& name, const char* suffix);
    void discard();

private:
    std::string folder_;
    std::string path_;
};
bool strEndsWith(const char* text, const char* suffix);
