// The object cache's downloads: a file of the save folder stands for an object only when the cache wrote it for
// that object, across runs and across record files of earlier versions; older pictures of the same name stay as
// they are.
#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <future>
#include <set>
#include <thread>

#include "engine/store/object_cache.h"
#include "engine/store/store_test_fixture.h"

namespace {

PtpObjectInfoStruct sized(uint32_t id, const char* name, uint32_t size, uint64_t date = 1000) {
    PtpObjectInfoStruct r = StoreTest::record(id, name, date);
    r.objectCompressedSize = size;
    return r;
}

std::string readAll(const std::function<bool(HeapBlock*)>& read) {
    HeapBlock data;
    if (!read(&data)) return "<none>";
    return std::string(data.begin(), data.end());
}

// What the settings window's configuration does at every start: open, the save folder again, the naming.
void configure(const std::string& cache, const std::string& save, const std::string& prefix = "") {
    objCacheOpen(cache, save);
    objCacheSetSaveFolder(save);
    objCacheSetFileNamePrefix(prefix, false);
}

void setModified(const std::string& path, time_t seconds) {
    timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// A new object whose name is that of an older picture in the save folder (another card, another body, a numbering
// begun again) finds none of the older files, downloads under a free name, and leaves every older file as it was.
TEST_F(StoreTest, ANewObjectNeverTakesAnOlderPictureOfItsName) {
    struct Case {
        const char* what;
        bool olderKnown;  // the older picture is another object's download in this cache, else a file it never saw
        bool reopen;      // the cache is opened again between the two objects
    };
    const Case cases[] = {{"a file the cache never wrote", false, false},
                          {"another object's download", true, false},
                          {"another object's download, another run", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        configure(cache, save);
        const std::string older(300, 'o');
        PtpObjectInfoStruct old = sized(0x1001, "IMG_0001.CR2", 300);
        if (c.olderKnown) {
            ASSERT_EQ(objCacheSaveImage(&old, bytes(older), older.size()), save + "//IMG_0001.CR2");
            ASSERT_EQ(objCacheSaveExtractedJpeg(&old, "", bytes("old preview"), 11), save + "//IMG_0001.CR2.ext.jpg");
        } else {
            writeFile(save + "/IMG_0001.CR2", older);
            writeFile(save + "/IMG_0001.CR2.ext.jpg", "old preview");
        }
        writeFile(save + "/IMG_0001.CR2.mod.jpg", "old edit");
        if (c.reopen) configure(cache, save);

        PtpObjectInfoStruct fresh = sized(0x2001, "IMG_0001.CR2", 400, 2000);
        ASSERT_TRUE(objCacheStoreObjectInfo(&fresh));
        EXPECT_EQ(objCacheGetImagePath(&fresh), "");
        EXPECT_EQ(objCacheGetExtractedJpegPath(&fresh), "");
        EXPECT_EQ(objCacheGetModifiedJpegPath(&fresh), "");
        EXPECT_EQ(objCacheGetBestImagePath(&fresh, true), "");
        EXPECT_EQ(readAll([&](HeapBlock* d) { return objCacheReadImage(&fresh, d); }), "<none>");
        EXPECT_EQ(readAll([&](HeapBlock* d) { return objCacheReadExtractedJpeg(&fresh, d); }), "<none>");
        EXPECT_EQ(readAll([&](HeapBlock* d) { return objCacheReadModifiedJpeg(&fresh, d); }), "<none>");

        const std::string picture(400, 'n');
        EXPECT_EQ(objCacheSaveImage(&fresh, bytes(picture), picture.size()), save + "//IMG_0001-1.CR2");
        EXPECT_EQ(objCacheSaveExtractedJpeg(&fresh, "", bytes("new preview"), 11), save + "//IMG_0001-1.CR2.ext.jpg");
        EXPECT_EQ(readAll([&](HeapBlock* d) { return objCacheReadImage(&fresh, d); }), picture);
        EXPECT_EQ(readAll([&](HeapBlock* d) { return objCacheReadExtractedJpeg(&fresh, d); }), "new preview");
        EXPECT_EQ(readFile(save + "/IMG_0001.CR2"), older);
        EXPECT_EQ(readFile(save + "/IMG_0001.CR2.ext.jpg"), "old preview");
        EXPECT_EQ(readFile(save + "/IMG_0001.CR2.mod.jpg"), "old edit");
        if (c.olderKnown) {
            // The older object still finds its own files.
            EXPECT_EQ(readAll([&](HeapBlock* d) { return objCacheReadImage(&old, d); }), older);
        }
    }
}

// Objects known by name have no capture date: the same name with another size is another picture (a card
// formatted and filled again), which keeps neither the record nor the downloads of the earlier one.
TEST_F(StoreTest, ACardFileOfAnotherSizeIsAnotherObject) {
    configure(cache, save);
    PtpObjectInfoStruct first = sized(kObjectIdByName, "DSC00001.JPG", 5);
    ASSERT_EQ(objCacheSaveImage(&first, bytes("first"), 5), save + "//DSC00001.JPG");
    ASSERT_TRUE(objCacheSaveThumbnail(&first, bytes("t1"), 2));
    PtpObjectInfoStruct sameAgain = sized(kObjectIdByName, "dsc00001.jpg", 0);  // size not known: the same one
    EXPECT_TRUE(objCacheSameObject(first, sameAgain));
    EXPECT_EQ(readAll([&](HeapBlock* d) { return objCacheReadImage(&sameAgain, d); }), "first");

    PtpObjectInfoStruct second = sized(kObjectIdByName, "DSC00001.JPG", 6);
    EXPECT_FALSE(objCacheSameObject(first, second));
    ASSERT_TRUE(objCacheStoreObjectInfo(&second));
    PtpObjectInfoStruct out{};
    ASSERT_TRUE(objCacheCopyObjectInfo(&second, &out));
    EXPECT_EQ(out.objectCompressedSize, 6u);
    EXPECT_EQ(readAll([&](HeapBlock* d) { return objCacheReadThumbnail(&second, d); }), "<none>");
    EXPECT_EQ(readAll([&](HeapBlock* d) { return objCacheReadImage(&second, d); }), "<none>");
    EXPECT_EQ(objCacheSaveImage(&second, bytes("second"), 6), save + "//DSC00001-1.JPG");
    EXPECT_EQ(readFile(save + "/DSC00001.JPG"), "first");
}

// What was downloaded where is kept in the record file, so that the next run finds it: with a custom file name
// ("Trip_1.JPG") as with the camera's. A file the user replaced (another size) or moved is no longer the object's.
TEST_F(StoreTest, DownloadsAreFoundAgainInTheNextRun) {
    configure(cache, save, "Trip");
    PtpObjectInfoStruct a = sized(0x10, "IMG_0001.JPG", 4), b = sized(0x11, "IMG_0002.CR2", 3);
    ASSERT_EQ(objCacheSaveImage(&a, bytes("jpeg"), 4), save + "//Trip_1.JPG");
    ASSERT_EQ(objCacheSaveExtractedJpeg(&b, "", bytes("pre"), 3), save + "//IMG_0002.CR2.ext.jpg");

    configure(cache, save, "Trip");
    EXPECT_EQ(objCacheGetImagePath(&a), save + "//Trip_1.JPG");
    EXPECT_EQ(readAll([&](HeapBlock* d) { return objCacheReadImage(&a, d); }), "jpeg");
    EXPECT_EQ(readAll([&](HeapBlock* d) { return objCacheReadExtractedJpeg(&b, d); }), "pre");
    EXPECT_EQ(objCacheState().counter, 2u);  // the next download is Trip_2

    writeFile(save + "/Trip_1.JPG", "edited by the user");
    EXPECT_EQ(objCacheGetImagePath(&a), "");
    std::filesystem::remove(save + "/IMG_0002.CR2.ext.jpg");
    EXPECT_EQ(objCacheGetExtractedJpegPath(&b), "");
    // Downloading again writes a new file; the user's stays.
    EXPECT_EQ(objCacheSaveImage(&a, bytes("jpeg"), 4), save + "//Trip_2.JPG");
    EXPECT_EQ(readFile(save + "/Trip_1.JPG"), "edited by the user");
}

// Record files of earlier versions are the record alone. They still load, and a picture of their file name counts
// as the object's download when its size is the object's; an extracted JPEG when it is newer than the record file.
TEST_F(StoreTest, RecordFilesOfEarlierVersionsStillLoad) {
    struct Case {
        const char* what;
        std::string picture;    // Save/<name>; empty: none
        time_t previewWritten;  // Save/<name>.ext.jpg modified at (0: none); the record file at 5000
        bool image, preview;    // found as the object's
    };
    const Case cases[] = {{"both", std::string(7, 'p'), 6000, true, true},
                          {"a picture of another size", std::string(8, 'p'), 0, false, false},
                          {"a preview older than the record", "", 4000, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        const PtpObjectInfoStruct r = sized(0x77, "IMG_0077.CR2", 7);
        writeFile(cache + "/IMG_0077.CR2.obj", std::string(reinterpret_cast<const char*>(&r), sizeof r));
        setModified(cache + "/IMG_0077.CR2.obj", 5000);
        if (!c.picture.empty()) writeFile(save + "/IMG_0077.CR2", c.picture);
        if (c.previewWritten) {
            writeFile(save + "/IMG_0077.CR2.ext.jpg", "preview");
            setModified(save + "/IMG_0077.CR2.ext.jpg", c.previewWritten);
        }
        configure(cache, save);
        PtpObjectInfoStruct out{};
        ASSERT_TRUE(objCacheCopyObjectInfo(&r, &out));
        EXPECT_EQ(std::memcmp(&out, &r, sizeof r), 0);
        EXPECT_EQ(!objCacheGetImagePath(&r).empty(), c.image);
        EXPECT_EQ(!objCacheGetExtractedJpegPath(&r).empty(), c.preview);
        // The next write of the record file keeps what was taken over, for the runs after.
        PtpObjectInfoStruct rated = r;
        rated.rating = 3;
        ASSERT_TRUE(objCacheStoreObjectInfo(&rated));
        configure(cache, save);
        EXPECT_EQ(!objCacheGetImagePath(&r).empty(), c.image);
        EXPECT_EQ(!objCacheGetExtractedJpegPath(&r).empty(), c.preview);
    }
}

// The list behind the record: its first 608 bytes stay the record, which is all an earlier version reads, and
// anything that is not a whole, sound list reads as none.
TEST_F(StoreTest, TheDownloadListRoundTripsAndAGarbledOneReadsAsNone) {
    PtpObjectInfoStruct r = sized(0x42, "IMG_0042.JPG", 9, 77);
    ObjCacheDownload image{0x42, 9, 77, kObjCacheImage, 9, "IMG_0042.JPG"};
    ObjCacheDownload preview{0x42, 9, 77, kObjCacheExtracted, 3, "IMG_0042-1.JPG.ext.jpg"};
    const std::vector<uint8_t> file = objCacheEncodeRecordFile(r, {image, preview});
    ASSERT_GT(file.size(), kObjCacheRecordSize);
    EXPECT_EQ(std::memcmp(file.data(), &r, sizeof r), 0);
    std::vector<ObjCacheDownload> back;
    ASSERT_TRUE(objCacheParseDownloads(file.data(), file.size(), &back));
    EXPECT_EQ(back, (std::vector<ObjCacheDownload>{image, preview}));
    EXPECT_EQ(objCacheEncodeRecordFile(r, {}).size(), kObjCacheRecordSize);  // nothing known: the record alone

    const size_t list = kObjCacheRecordSize;
    struct Garble {
        const char* what;
        size_t at;      // byte changed (SIZE_MAX: none)
        uint8_t value;
        long trim;      // bytes cut off the end (negative: bytes added)
    };
    const Garble garbles[] = {
        {"the record alone", SIZE_MAX, 0, static_cast<long>(file.size() - list)},
        {"another mark", list, 'W', 0},
        {"another version", list + 4, 2, 0},
        {"a count of none", list + 5, 0, 0},
        {"a count past the end", list + 5, 3, 0},
        {"an unknown kind", list + 7 + 16, 2, 0},
        {"a name of none", list + 7 + 25, 0, 0},
        {"a name past the end", list + 7 + 25, 200, 0},
        {"a name with a slash", list + 7 + 26 + 3, '/', 0},
        {"cut short", SIZE_MAX, 0, 1},
        {"bytes after the list", SIZE_MAX, 0, -1},
    };
    for (const Garble& g : garbles) {
        SCOPED_TRACE(g.what);
        std::vector<uint8_t> bad = file;
        if (g.at != SIZE_MAX) bad[g.at] = g.value;
        if (g.trim >= 0) bad.resize(bad.size() - static_cast<size_t>(g.trim));
        else bad.push_back(0);
        back = {image};
        EXPECT_FALSE(objCacheParseDownloads(bad.data(), bad.size(), &back));
        EXPECT_TRUE(back.empty());
        PtpObjectInfoStruct record{};
        EXPECT_TRUE(objCacheParseRecord(bad.data(), bad.size(), &record));  // the record itself still loads
    }
}

// Two objects of one name at once (two folders of one card): each reads only its own thumbnail and download, and
// removing one leaves the other's record file, thumbnail and downloads in place.
TEST_F(StoreTest, TwoObjectsOfOneNameKeepTheirOwnFiles) {
    configure(cache, save);
    PtpObjectInfoStruct a = sized(0x100, "IMG_0001.JPG", 3, 100), b = sized(0x200, "IMG_0001.JPG", 4, 200);
    ASSERT_TRUE(objCacheSaveThumbnail(&a, bytes("ta"), 2));
    ASSERT_EQ(objCacheSaveImage(&a, bytes("aaa"), 3), save + "//IMG_0001.JPG");
    ASSERT_TRUE(objCacheStoreObjectInfo(&b));
    EXPECT_EQ(readAll([&](HeapBlock* d) { return objCacheReadThumbnail(&b, d); }), "<none>");
    EXPECT_EQ(readAll([&](HeapBlock* d) { return objCacheReadThumbnail(&a, d); }), "<none>");  // b took the name
    ASSERT_TRUE(objCacheSaveThumbnail(&b, bytes("tb"), 2));
    ASSERT_EQ(objCacheSaveImage(&b, bytes("bbbb"), 4), save + "//IMG_0001-1.JPG");
    EXPECT_EQ(readAll([&](HeapBlock* d) { return objCacheReadThumbnail(&a, d); }), "<none>");
    EXPECT_EQ(readAll([&](HeapBlock* d) { return objCacheReadImage(&a, d); }), "aaa");

    ASSERT_TRUE(objCacheRemove(&a));
    EXPECT_EQ(readAll([&](HeapBlock* d) { return objCacheReadThumbnail(&b, d); }), "tb");
    EXPECT_EQ(readFile(save + "/IMG_0001.JPG"), "aaa");
    configure(cache, save);
    EXPECT_FALSE(objCacheLookup(&a, false));
    EXPECT_EQ(readAll([&](HeapBlock* d) { return objCacheReadImage(&b, d); }), "bbbb");
}

}  // namespace

// A long shoot holds at most a bounded number of entries in memory. An object let go is read back by its name with
// the downloads made for it, so that it is still known as downloaded (its file, not a second copy, is its image),
// and a new object of its name still downloads beside it under a free name.
TEST_F(StoreTest, ObjectsLetGoFromMemoryKeepTheirDownloads) {
    configure(cache, save);
    const size_t total = kObjCacheResidentLimit + 50;
    const auto nameOf = [](size_t i) { return "IMG_" + std::to_string(10000 + i) + ".JPG"; };
    for (size_t i = 0; i < total; ++i) {
        const PtpObjectInfoStruct r = sized(uint32_t(0x1000 + i), nameOf(i).c_str(), 4);
        ASSERT_TRUE(objCacheStoreObjectInfo(&r));
        ASSERT_EQ(objCacheSaveImage(&r, bytes("abcd"), 4), save + "//" + nameOf(i)) << i;
        ASSERT_TRUE(objCacheSaveThumbnail(&r, bytes("t"), 1));
    }
    {
        std::lock_guard<std::mutex> lock(objCacheMutex());
        EXPECT_LE(objCacheState().count, kObjCacheResidentLimit);
        EXPECT_LE(objCacheState().downloads.size(), kObjCacheResidentLimit);
    }
    const PtpObjectInfoStruct first = sized(0x1000, nameOf(0).c_str(), 4);
    PtpObjectInfoStruct copy{};
    ASSERT_TRUE(objCacheCopyObjectInfo(&first, &copy));
    EXPECT_EQ(copy.objectId, 0x1000u);
    EXPECT_EQ(objCacheGetImagePath(&first), save + "//" + nameOf(0));
    EXPECT_EQ(readAll([&](HeapBlock* d) { return objCacheReadImage(&first, d); }), "abcd");
    // Its image saved again replaces its own download; nothing is written beside it.
    const PtpObjectInfoStruct second = sized(0x1001, nameOf(1).c_str(), 4);
    ASSERT_EQ(objCacheSaveImage(&second, bytes("wxyz"), 4), save + "//" + nameOf(1));
    EXPECT_FALSE(exists(save + "/IMG_10001-1.JPG"));
    // Another object of a let-go name downloads under a free name; the older picture stays.
    const PtpObjectInfoStruct other = sized(0x9000, nameOf(2).c_str(), 5);
    ASSERT_TRUE(objCacheStoreObjectInfo(&other));
    EXPECT_EQ(objCacheGetImagePath(&other), "");
    EXPECT_EQ(objCacheSaveImage(&other, bytes("12345"), 5), save + "//IMG_10002-1.JPG");
    EXPECT_EQ(readFile(save + "/" + nameOf(2)), "abcd");
    // Removal reaches an object let go as well: its record file goes, its download stays.
    const PtpObjectInfoStruct fourth = sized(0x1004, nameOf(4).c_str(), 4);
    EXPECT_TRUE(objCacheRemove(&fourth));
    EXPECT_FALSE(exists(cache + "/" + nameOf(4) + ".obj"));
    EXPECT_TRUE(exists(save + "/" + nameOf(4)));
    // A reload reads every picture of a long session back (its thumbnail, its image or its path), each a name let go
    // and read back from its record file: what memory holds stays within the limit however many come back that way.
    const struct {
        const char* what;
        std::function<bool(PtpObjectInfoStruct&)> read;
    } reads[] = {
        {"thumbnail", [](PtpObjectInfoStruct& r) { HeapBlock d; return objCacheReadThumbnail(&r, &d); }},
        {"image", [](PtpObjectInfoStruct& r) { HeapBlock d; return objCacheReadImage(&r, &d); }},
        {"image path", [](PtpObjectInfoStruct& r) { return !objCacheGetImagePath(&r).empty(); }},
        {"best path", [](PtpObjectInfoStruct& r) { return !objCacheGetBestImagePath(&r, false).empty(); }},
    };
    for (const auto& read : reads) {
        SCOPED_TRACE(read.what);
        for (size_t i = 5; i < 50; ++i) {  // the oldest ones, let go again by the reads before
            PtpObjectInfoStruct r = sized(uint32_t(0x1000 + i), nameOf(i).c_str(), 4);
            ASSERT_TRUE(read.read(r)) << i;
        }
        std::lock_guard<std::mutex> lock(objCacheMutex());
        EXPECT_LE(objCacheState().count, kObjCacheResidentLimit + 1);
        EXPECT_LE(objCacheState().downloads.size(), kObjCacheResidentLimit + 1);
    }
}

// A picture's bytes are written and synced under a temporary name without the cache's mutex, then renamed to
// their own name: staged while another thread holds the cache, they land whole under the name objCacheWriteFile
// would give them; staged and never committed, or committed to another folder, they leave nothing behind.
TEST_F(StoreTest, StagedBytesNeedNoLockAndLeaveNothingBehindUncommitted) {
    configure(cache, save);
    const std::string picture(70000, 'p');  // more than one write of a small buffer
    {
        ObjCacheStagedFile staged;
        {
            std::unique_lock<std::mutex> held(objCacheMutex());
            auto staging = std::async(std::launch::async, [&] {
                return staged.stage(save, "IMG_0001.JPG", bytes(picture), picture.size());
            });
            // Generous: a blocked stage would never finish while the mutex is held here.
            ASSERT_EQ(staging.wait_for(std::chrono::seconds(30)), std::future_status::ready);
            ASSERT_TRUE(staging.get());
        }
        // Nothing under the picture's name yet; the temporary hides from the folder's listings.
        ASSERT_EQ(listing(save).size(), 1u);
        EXPECT_EQ(listing(save)[0].rfind(".", 0), 0u);
        EXPECT_EQ(staged.commit(save, "IMG_0001.JPG", ""), save + "//IMG_0001.JPG");
        EXPECT_EQ(staged.commit(save, "IMG_0001.JPG", ""), "");  // committed once only
    }
    EXPECT_EQ(readFile(save + "/IMG_0001.JPG"), picture);
    EXPECT_EQ(listing(save), std::vector<std::string>{"IMG_0001.JPG"});

    struct Case {
        const char* what;
        std::string folder;  // committed to, after staging in the save folder
        const char* name;
    };
    const Case cases[] = {{"never committed", "", "IMG_0002.JPG"},
                          {"another folder", cache, "IMG_0002.JPG"},
                          {"an unsafe name", save, "../IMG_0002.JPG"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        {
            ObjCacheStagedFile staged;
            ASSERT_TRUE(staged.stage(save, "IMG_0002.JPG", bytes("abc"), 3));
            if (!c.folder.empty()) {
                EXPECT_EQ(staged.commit(c.folder, c.name, ""), "");
            }
        }
        EXPECT_EQ(listing(save), std::vector<std::string>{"IMG_0001.JPG"});
        EXPECT_TRUE(listing(cache).empty());
        EXPECT_FALSE(exists(root + "/IMG_0002.JPG"));
    }
    // An unsafe label stages nothing.
    ObjCacheStagedFile refused;
    EXPECT_FALSE(refused.stage(save, "../x", bytes("abc"), 3));
    EXPECT_FALSE(refused.stage(save, "", bytes("abc"), 3));
}

// Pictures saved from several threads at once (the thumbnail queue, the download queue, a second download), some
// under one name, each land whole once under a name of their own and leave no temporary file in either folder;
// their downloads are noted in their records for the next run.
TEST_F(StoreTest, PicturesSavedFromSeveralThreadsLandOnceEachUnderTheirOwnName) {
    configure(cache, save);
    constexpr int kThreads = 4, kEach = 12;
    // Thread t saves objects t*100+i; objects i of threads 0 and 1 share a file name (another card's picture).
    auto nameOf = [](int t, int i) {
        return "IMG_" + std::to_string(t == 1 ? 0 : t) + "_" + std::to_string(i) + ".JPG";
    };
    auto contentOf = [](int t, int i) { return std::string(3000 + 7 * i + t, char('a' + t)) + std::to_string(i); };
    auto objectOf = [&](int t, int i) {
        const std::string name = nameOf(t, i);
        return sized(uint32_t(0x1000 + t * 100 + i), name.c_str(), uint32_t(contentOf(t, i).size()), 1000 + t);
    };
    std::vector<std::thread> savers;
    std::vector<std::vector<std::string>> paths(kThreads, std::vector<std::string>(kEach));
    for (int t = 0; t < kThreads; ++t) {
        savers.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                const PtpObjectInfoStruct r = objectOf(t, i);
                const std::string content = contentOf(t, i);
                objCacheStoreObjectInfo(&r);
                objCacheSaveThumbnail(&r, bytes("thumb" + content.substr(0, 1)), 6);
                paths[t][i] = objCacheSaveImage(&r, bytes(content), content.size());
            }
        });
    }
    for (std::thread& saver : savers) saver.join();

    std::vector<std::string> expected;
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kEach; ++i) {
            SCOPED_TRACE(nameOf(t, i) + " of thread " + std::to_string(t));
            ASSERT_FALSE(paths[t][i].empty());
            EXPECT_EQ(readFile(paths[t][i]), contentOf(t, i));
            expected.push_back(paths[t][i].substr(save.size() + 2));
        }
    // Of a shared name, one object has the name itself and the other the first free one.
    for (int i = 0; i < kEach; ++i) {
        const std::string plain = nameOf(0, i), derived = "IMG_0_" + std::to_string(i) + "-1.JPG";
        const std::set<std::string> got{expected[size_t(i)], expected[size_t(kEach + i)]};
        EXPECT_EQ(got, (std::set<std::string>{plain, derived}));
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listing(save), expected);  // every picture once, nothing else (no temporary)
    for (const std::string& name : listing(cache)) {
        EXPECT_NE(name.rfind(".", 0), 0u) << name;
    }

    // A name's record file holds its last object: the objects of a name of their own are found by their record.
    configure(cache, save);
    for (int t = 2; t < kThreads; ++t)
        for (int i = 0; i < kEach; ++i) {
            const PtpObjectInfoStruct r = objectOf(t, i);
            EXPECT_EQ(objCacheGetImagePath(&r), paths[t][i]);
        }
}
