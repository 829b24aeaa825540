// Arbitrary bytes as the record files an object cache folder holds when the cache is opened (files a crash, a full
// disk or another program may have left truncated or garbled), and as the names of the files in the save folder
// that the download counter is scanned from. Input: a flags byte (bit 0: a counted download prefix; bit 1: a
// folder named like a record file; bit 2: the save folder is the cache folder), then per file a u16 little-endian
// length and that many bytes. File i is written as "r<i>.obj"; with the prefix, its first bytes up to a NUL (at
// most 40) also name a file of the save folder. The folders are emptied after each input.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/link/byte_order.h"
#include "engine/store/object_cache.h"

namespace {

void emptyFolder(const std::string& folder) {
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* d = ::readdir(dir)) {
            if (!std::strcmp(d->d_name, ".") || !std::strcmp(d->d_name, "..")) continue;
            std::string path = folder + "/" + d->d_name;
            if (::unlink(path.c_str()) != 0) ::rmdir(path.c_str());
        }
        ::closedir(dir);
    }
}

// The two folders under one temporary root, removed when the process ends.
struct Folders {
    std::string root, cache, save;
    Folders() {
        char templ[] = "/tmp/vx_objcache_fuzz_XXXXXX";
        const char* made = ::mkdtemp(templ);
        if (!made) __builtin_trap();
        root = made;
        cache = root + "/cache";
        save = root + "/save";
        ::mkdir(cache.c_str(), 0700);
        ::mkdir(save.c_str(), 0700);
    }
    ~Folders() {
        emptyFolder(cache);
        emptyFolder(save);
        ::rmdir(cache.c_str());
        ::rmdir(save.c_str());
        ::rmdir(root.c_str());
    }
};

void writeFile(const std::string& path, const uint8_t* data, size_t n) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return;
    while (n > 0) {
        ssize_t w = ::write(fd, data, n);
        if (w <= 0) break;
        data += w;
        n -= static_cast<size_t>(w);
    }
    ::close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Folders folders;
    const std::string& cache = folders.cache;
    const std::string& save = folders.save;
    if (!data || size < 1) return 0;
    const uint8_t flags = data[0];
    const std::string& saveFolder = flags & 4 ? cache : save;
    size_t files = 0;
    for (size_t at = 1; at + 2 <= size && files < 64; ++files) {
        size_t n = readLe16(data + at);
        at += 2;
        if (n > size - at) n = size - at;
        writeFile(cache + "/r" + std::to_string(files) + ".obj", data + at, n);
        if (flags & 1) {
            size_t nameLength = strnlen(reinterpret_cast<const char*>(data + at), n < 40 ? n : 40);
            std::string name(reinterpret_cast<const char*>(data + at), nameLength);
            if (objCacheFileNameIsSafe(name)) writeFile(saveFolder + "/" + name, nullptr, 0);
        }
        at += n;
    }
    if (flags & 2) ::mkdir((cache + "/folder.obj").c_str(), 0700);

    objCacheOpen(cache, saveFolder);
    if (flags & 1) objCacheSetFileNamePrefix("IMG", false);
    size_t loaded = 0;
    {
        std::lock_guard<std::mutex> lock(objCacheMutex());
        for (ObjCacheEntry* e = objCacheState().head; e; e = e->next) {
            ++loaded;
            if (!objCacheNameIsSafe(e->info.fileName, sizeof e->info.fileName)) __builtin_trap();
        }
    }
    if (loaded > files) __builtin_trap();
    // Each loaded record is found again, and its paths stay inside the folders.
    {
        std::vector<PtpObjectInfoStruct> records;
        {
            std::lock_guard<std::mutex> lock(objCacheMutex());
            for (ObjCacheEntry* e = objCacheState().head; e; e = e->next) records.push_back(e->info);
        }
        for (const PtpObjectInfoStruct& r : records) {
            if (!objCacheLookup(&r, false)) __builtin_trap();
            std::string image = objCacheGetImagePath(&r);
            if (!image.empty() && image.compare(0, saveFolder.size(), saveFolder) != 0) __builtin_trap();
        }
    }
    objCacheReset();
    emptyFolder(cache);
    emptyFolder(save);
    return 0;
}
