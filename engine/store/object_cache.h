#pragma once
// The object cache: every camera object the application has seen, remembered across runs. Each object's 608-byte
// ObjectInfo record lives as <fileName>.obj in the cache folder; its other files (downloaded image, thumbnail,
// modified JPEG, extracted JPEG, edit settings, small image) are found by name in the cache or save folder.
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
#include <mutex>
#include <string>

#include "engine/link/heap_block.h"
#include "engine/ptp/datasets.h"

inline constexpr size_t kObjCacheRecordSize = sizeof(PtpObjectInfoStruct);  // 608
inline constexpr size_t kObjCachePruneLimit = 2000;                         // more entries than this: prune
inline constexpr size_t kObjCachePruneKeep = 2001;                          // entries kept by a prune

// One known object. Path texts are empty until found or written.
struct ObjCacheEntry {
    PtpObjectInfoStruct info{};
    std::string image;
    std::string thumbnail;
    std::string modifiedJpeg;
    std::string extractedJpeg;
    std::string editFile;
    std::string smallImage;
    ObjCacheEntry* next = nullptr;
};

// The cache's module state; objCacheReset() returns it to process start (for tests).
struct ObjectCacheState {
    std::mutex mutex;
    ObjCacheEntry* head = nullptr;
    ObjCacheEntry* tail = nullptr;
    uint8_t loaded = 0;
    std::string saveFolder;   // empty: the cache folder holds downloads too
    std::string cacheFolder;
    std::string prefix;       // download-name prefix; empty = none
    uint32_t counter = 0;     // download counter
    uint8_t prependOriginalName = 0;
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
std::string objCacheSaveImage(const PtpObjectInfoStruct* record, const uint8_t* data, size_t length);
bool objCacheSaveThumbnail(const PtpObjectInfoStruct* record, const uint8_t* data, size_t length);
// `name` empty: the record's file name.
std::string objCacheSaveExtractedJpeg(const PtpObjectInfoStruct* record, const std::string& name,
                                      const uint8_t* data, size_t length);

// --- removal ---
bool objCacheRemove(const PtpObjectInfoStruct* record);
bool objCacheRemoveEntry(const PtpObjectInfoStruct* record);  // caller holds the mutex
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
bool strEndsWith(const char* text, const char* suffix);
