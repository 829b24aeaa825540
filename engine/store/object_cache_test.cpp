#include "engine/store/object_cache.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <thread>

#include "engine/store/store_test_fixture.h"

namespace {

// Record files for `count` objects, each with a thumbnail; object i was last read at second 1000000 + i.
void writeRecords(const std::string& cache, int count) {
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%04d.JPG", i);
        PtpObjectInfoStruct r{};
        std::memset(&r, 0, sizeof r);
        r.objectId = static_cast<uint32_t>(i + 1);
        std::strcpy(r.fileName, name);
        std::string obj = cache + "/" + name + ".obj";
        std::ofstream(obj, std::ios::binary).write(reinterpret_cast<const char*>(&r), sizeof r);
        std::ofstream(cache + "/" + name + ".thumb") << "t";
        timespec times[2] = {{1000000 + i, 0}, {1000000 + i, 0}};
        ::utimensat(AT_FDCWD, obj.c_str(), times, 0);
    }
}

TEST_F(StoreTest, CameraFileNamesNeverLeaveTheCacheFolder) {
    objCacheOpen(cache, save);
    char unterminated[256];
    std::memset(unterminated, 'A', sizeof unterminated);
    for (const char* name : {"", ".", "..", "../escape.JPG", "a/b.JPG", "/etc/passwd"}) {
        SCOPED_TRACE(name);
        PtpObjectInfoStruct r = record(7, name);
        EXPECT_FALSE(objCacheNameIsSafe(r.fileName));
        EXPECT_FALSE(objCacheStoreObjectInfo(&r));
        EXPECT_FALSE(objCacheLookup(&r, true));
        EXPECT_EQ(objCacheSaveImage(&r, bytes("x"), 1), "");
        EXPECT_FALSE(objCacheSaveThumbnail(&r, bytes("x"), 1));
    }
    EXPECT_FALSE(objCacheNameIsSafe(unterminated, sizeof unterminated));
    PtpObjectInfoStruct r = record(8, "ok.JPG");
    EXPECT_EQ(objCacheSaveExtractedJpeg(&r, "../../evil", bytes("x"), 1), "");
    // Nothing was written anywhere but the record of the one valid object.
    EXPECT_EQ(listing(root), (std::vector<std::string>{"Cache", "Save"}));
    EXPECT_EQ(listing(cache), (std::vector<std::string>{"ok.JPG.obj"}));
    EXPECT_TRUE(listing(save).empty());
    EXPECT_FALSE(exists(root + "/escape.JPG.obj"));
}

TEST_F(StoreTest, RecordsSurviveReopenAndCorruptRecordFilesAreSkipped) {
    objCacheOpen(cache, save);
    PtpObjectInfoStruct a = record(1, "IMG_0001.JPG");
    a.orientation = 6;
    ASSERT_TRUE(objCacheStoreObjectInfo(&a));
    // A truncated record, an over-long one (only its first 608 bytes count), and one naming a path outside.
    writeFile(cache + "/short.obj", std::string(100, 'x'));
    PtpObjectInfoStruct b = record(2, "IMG_0002.JPG");
    writeFile(cache + "/long.obj", std::string(reinterpret_cast<const char*>(&b), sizeof b) + "trailing");
    PtpObjectInfoStruct evil = record(3, "x");
    std::strcpy(evil.fileName, "../../outside");
    writeFile(cache + "/evil.obj", std::string(reinterpret_cast<const char*>(&evil), sizeof evil));

    objCacheOpen(cache, save);
    PtpObjectInfoStruct out{};
    ASSERT_TRUE(objCacheCopyObjectInfo(&a, &out));
    EXPECT_EQ(std::memcmp(&out, &a, sizeof a), 0);
    EXPECT_TRUE(objCacheCopyObjectInfo(&b, &out));
    EXPECT_FALSE(objCacheLookup(&evil, false));
    EXPECT_EQ(readFile(cache + "/IMG_0001.JPG.obj").size(), 608u);
    // No temporary file is left beside the record.
    for (const std::string& n : listing(cache)) EXPECT_EQ(n.find(".vxtmp"), std::string::npos) << n;
}

TEST_F(StoreTest, OpenPrunesToTheMostRecentlyRead2001) {
    writeRecords(cache, 2002);
    std::ofstream(save + "/IMG_0000.JPG") << "image";
    objCacheOpen(cache, save);
    PtpObjectInfoStruct oldest = record(1, "IMG_0000.JPG"), next = record(2, "IMG_0001.JPG");
    EXPECT_FALSE(objCacheLookup(&oldest, false));
    EXPECT_TRUE(objCacheLookup(&next, false));
    EXPECT_FALSE(exists(cache + "/IMG_0000.JPG.obj"));
    EXPECT_FALSE(exists(cache + "/IMG_0000.JPG.thumb"));
    EXPECT_TRUE(exists(save + "/IMG_0000.JPG"));  // downloads are the user's
    EXPECT_TRUE(exists(cache + "/IMG_0001.JPG.thumb"));
    int entries = 0;
    for (ObjCacheEntry* e = objCacheState().head; e; e = e->next) ++entries;
    EXPECT_EQ(entries, 2001);
}

TEST_F(StoreTest, OpenKeeps2001RecordsWhole) {
    writeRecords(cache, 2001);
    objCacheOpen(cache, save);
    PtpObjectInfoStruct oldest = record(1, "IMG_0000.JPG");
    EXPECT_TRUE(objCacheLookup(&oldest, false));
    EXPECT_TRUE(exists(cache + "/IMG_0000.JPG.thumb"));
}

// Objects known only by name match the whole stored name, ignoring letter case (names on a FAT card differ by
// more than case or not at all). A name that merely begins another object's name finds and removes nothing, so
// removing "DSC_0042" never takes "DSC_0042.JPG" and its downloaded picture with it.
TEST_F(StoreTest, ObjectsKnownByNameMatchTheWholeNameIgnoringCase) {
    struct Case {
        const char* given;
        bool matches;
    } cases[] = {
        {"DSC_0042.JPG", true},  {"dsc_0042.jpg", true},   {"Dsc_0042.Jpg", true}, {"DSC_0042", false},
        {"DSC_0042.JPG.bak", false}, {"DSC_0042.JP", false}, {"", false},          {"DSC_0043.JPG", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        objCacheReset();
        objCacheOpen(cache, save);
        PtpObjectInfoStruct known = record(5, "DSC_0042.JPG");
        ASSERT_FALSE(objCacheSaveImage(&known, bytes("picture"), 7).empty());
        PtpObjectInfoStruct byName = record(kObjectIdByName, c.given);
        PtpObjectInfoStruct copy{};
        EXPECT_EQ(objCacheCopyObjectInfo(&byName, &copy), c.matches);
        if (c.matches) {
            EXPECT_EQ(copy.objectId, 5u);
        }
        EXPECT_EQ(objCacheRemove(&byName), c.matches);
        EXPECT_EQ(exists(cache + "/DSC_0042.JPG.obj"), !c.matches);
        EXPECT_EQ(readFile(save + "/DSC_0042.JPG"), "picture");  // the user's, whatever was removed
        EXPECT_EQ(objCacheLookup(&known, false), !c.matches);
    }
}

// A shorter name stored first is not found for a longer one either: each object keeps its own record and files.
TEST_F(StoreTest, NameLookupNeverTakesAnotherObjectWithAPrefixName) {
    objCacheOpen(cache, save);
    PtpObjectInfoStruct shortName = record(kObjectIdByName, "DSC_0042");
    PtpObjectInfoStruct longName = record(kObjectIdByName, "DSC_0042.JPG");
    ASSERT_FALSE(objCacheSaveImage(&shortName, bytes("one"), 3).empty());
    ASSERT_FALSE(objCacheSaveImage(&longName, bytes("two"), 3).empty());
    EXPECT_EQ(readFile(save + "/DSC_0042"), "one");
    EXPECT_EQ(readFile(save + "/DSC_0042.JPG"), "two");
    EXPECT_TRUE(objCacheRemove(&longName));
    EXPECT_TRUE(exists(save + "/DSC_0042"));
    EXPECT_TRUE(exists(cache + "/DSC_0042.obj"));
    EXPECT_FALSE(exists(cache + "/DSC_0042.JPG.obj"));
    EXPECT_TRUE(objCacheLookup(&shortName, false));
}

TEST_F(StoreTest, NewObjectDoesNotInheritAnOldThumbnail) {
    writeFile(cache + "/IMG_0001.JPG.thumb", "stale");
    writeFile(cache + "/IMG_0001.JPG.edit", "stale");
    writeFile(save + "/IMG_0001.JPG", "older download");
    objCacheOpen(cache, save);
    PtpObjectInfoStruct r = record(9, "IMG_0001.JPG");
    ASSERT_TRUE(objCacheLookup(&r, true));
    EXPECT_FALSE(exists(cache + "/IMG_0001.JPG.thumb"));
    EXPECT_FALSE(exists(cache + "/IMG_0001.JPG.edit"));
    EXPECT_TRUE(exists(save + "/IMG_0001.JPG"));
    HeapBlock data;
    EXPECT_FALSE(objCacheReadThumbnail(&r, &data));
}

TEST_F(StoreTest, ReusedHandleWithAnotherCaptureDateReplacesTheEntry) {
    objCacheOpen(cache, save);
    PtpObjectInfoStruct first = record(3, "A.JPG", 100);
    ASSERT_TRUE(objCacheSaveThumbnail(&first, bytes("thumb"), 5));
    ASSERT_TRUE(exists(cache + "/A.JPG.thumb"));

    PtpObjectInfoStruct same = first;
    same.captureDate = 0;  // 0 counts as the same object
    same.rating = 4;
    ASSERT_TRUE(objCacheStoreObjectInfo(&same));
    EXPECT_TRUE(exists(cache + "/A.JPG.thumb"));

    PtpObjectInfoStruct second = record(3, "B.JPG", 200);
    ASSERT_TRUE(objCacheStoreObjectInfo(&second));
    EXPECT_FALSE(exists(cache + "/A.JPG.thumb"));
    EXPECT_FALSE(exists(cache + "/A.JPG.obj"));
    EXPECT_TRUE(exists(cache + "/B.JPG.obj"));
    PtpObjectInfoStruct out{};
    ASSERT_TRUE(objCacheCopyObjectInfo(&second, &out));
    EXPECT_STREQ(out.fileName, "B.JPG");
}

TEST_F(StoreTest, DownloadNamesFollowThePrefixSettings) {
    writeFile(save + "/Trip_7.JPG", "7");
    writeFile(save + "/Trip_12.NEF", "12");
    objCacheOpen(cache, save);
    objCacheSetFileNamePrefix("Trip", false);
    PtpObjectInfoStruct r = record(1, "IMG_0001.JPG");
    EXPECT_EQ(objCacheSaveImage(&r, bytes("jpeg"), 4), save + "//Trip_13.JPG");
    EXPECT_EQ(objCacheState().counter, 14u);
    EXPECT_EQ(readFile(save + "/Trip_13.JPG"), "jpeg");

    objCacheSetFileNamePrefix("Trip", true);
    PtpObjectInfoStruct s = record(2, "IMG_0002.JPG");
    EXPECT_EQ(objCacheSaveImage(&s, bytes("j"), 1), save + "//Trip_IMG_0002.JPG");

    objCacheSetFileNamePrefix("", false);
    EXPECT_EQ(objCacheState().counter, 0u);
    PtpObjectInfoStruct t = record(3, "IMG_0003.JPG");
    EXPECT_EQ(objCacheSaveImage(&t, bytes("j"), 1), save + "//IMG_0003.JPG");
}

TEST_F(StoreTest, AnotherObjectsDownloadIsNeverOverwritten) {
    objCacheOpen(cache, save);
    PtpObjectInfoStruct first = record(1, "IMG_0001.JPG");
    ASSERT_EQ(objCacheSaveImage(&first, bytes("one"), 3), save + "//IMG_0001.JPG");
    EXPECT_EQ(objCacheSaveImage(&first, bytes("ONE"), 3), save + "//IMG_0001.JPG");  // its own file is replaced
    PtpObjectInfoStruct second = record(2, "IMG_0001.JPG", 2000);
    EXPECT_EQ(objCacheSaveImage(&second, bytes("two"), 3), save + "//IMG_0001-1.JPG");
    EXPECT_EQ(readFile(save + "/IMG_0001.JPG"), "ONE");
    EXPECT_EQ(readFile(save + "/IMG_0001-1.JPG"), "two");
}

TEST_F(StoreTest, NothingIsSavedBeforeTheCacheIsLoaded) {
    PtpObjectInfoStruct r = record(1, "IMG_0001.JPG");
    EXPECT_EQ(objCacheSaveImage(&r, bytes("x"), 1), "");
    EXPECT_FALSE(objCacheSaveThumbnail(&r, bytes("x"), 1));
    EXPECT_EQ(objCacheSaveExtractedJpeg(&r, "", bytes("x"), 1), "");
    EXPECT_FALSE(objCacheRemove(&r));
    objCacheOpen(root + "/missing", save);  // an unlistable folder loads empty
    EXPECT_EQ(objCacheState().loaded, 1);
}

TEST_F(StoreTest, ReadsReturnTheFilesAndTheThumbnailsOrientation) {
    objCacheOpen(cache, "");  // no save folder: downloads go to the cache folder
    PtpObjectInfoStruct r = record(4, "IMG_0004.JPG");
    r.orientation = 6;
    ASSERT_TRUE(objCacheSaveThumbnail(&r, bytes("thumbnail"), 9));
    ASSERT_EQ(objCacheSaveImage(&r, bytes("image!"), 6), cache + "//IMG_0004.JPG");

    PtpObjectInfoStruct asked = record(4, "IMG_0004.JPG");
    HeapBlock data;
    ASSERT_TRUE(objCacheReadThumbnail(&asked, &data));
    EXPECT_EQ(std::string(data.begin(), data.end()), "thumbnail");
    EXPECT_EQ(asked.orientation, 6);
    ASSERT_TRUE(objCacheReadImage(&asked, &data));
    EXPECT_EQ(std::string(data.begin(), data.end()), "image!");

    writeFile(cache + "/IMG_0004.JPG.mod.jpg", "");  // an empty file reads as none
    EXPECT_FALSE(objCacheReadModifiedJpeg(&asked, &data));
    std::filesystem::remove(cache + "/IMG_0004.JPG");
    EXPECT_FALSE(objCacheReadImage(&asked, &data));
    EXPECT_EQ(objCacheState().head->image, "");  // forgotten
    PtpObjectInfoStruct unknown = record(99, "X.JPG");
    EXPECT_FALSE(objCacheReadImage(&unknown, &data));
}

TEST_F(StoreTest, BestImagePrefersTheModifiedCopyThenTheChosenKind) {
    objCacheOpen(cache, save);
    PtpObjectInfoStruct r = record(1, "IMG_0001.CR2");
    ASSERT_TRUE(objCacheLookup(&r, true));
    EXPECT_EQ(objCacheGetBestImagePath(&r, true), "");
    ASSERT_FALSE(objCacheSaveImage(&r, bytes("raw"), 3).empty());
    ASSERT_FALSE(objCacheSaveExtractedJpeg(&r, "", bytes("ext"), 3).empty());
    EXPECT_EQ(objCacheGetBestImagePath(&r, true), save + "//IMG_0001.CR2.ext.jpg");
    EXPECT_EQ(objCacheGetBestImagePath(&r, false), save + "//IMG_0001.CR2");
    // The user's modified copy beside the object's own download wins.
    writeFile(save + "/IMG_0001.CR2.mod.jpg", "mod");
    EXPECT_EQ(objCacheGetModifiedJpegPath(&r), save + "//IMG_0001.CR2.mod.jpg");
    EXPECT_EQ(objCacheGetBestImagePath(&r, true), save + "//IMG_0001.CR2.mod.jpg");
    EXPECT_EQ(objCacheGetBestImagePath(&r, false), save + "//IMG_0001.CR2.mod.jpg");
}

TEST_F(StoreTest, RemovalDeletesTheRecordAndTheCacheFoldersSideFilesOnly) {
    objCacheOpen(cache, save);
    PtpObjectInfoStruct r = record(1, "IMG_0001.JPG");
    ASSERT_FALSE(objCacheSaveImage(&r, bytes("i"), 1).empty());
    ASSERT_TRUE(objCacheSaveThumbnail(&r, bytes("t"), 1));
    writeFile(cache + "/IMG_0001.JPG.small", "s");
    writeFile(save + "/IMG_0001.JPG.mod.jpg", "m");
    writeFile(cache + "/other.txt", "kept");
    {
        std::lock_guard<std::mutex> lock(objCacheMutex());
        EXPECT_TRUE(objCacheRemoveEntry(&r));
    }
    EXPECT_EQ(listing(cache), (std::vector<std::string>{"other.txt"}));
    // The save folder is the user's: the download and the modified copy stay.
    EXPECT_EQ(listing(save), (std::vector<std::string>{"IMG_0001.JPG", "IMG_0001.JPG.mod.jpg"}));
    EXPECT_EQ(objCacheState().head, nullptr);
    EXPECT_EQ(objCacheState().tail, nullptr);
    // The list stays whole when the tail goes.
    PtpObjectInfoStruct a = record(2, "A.JPG"), b = record(3, "B.JPG"), c = record(4, "C.JPG");
    for (auto* x : {&a, &b, &c}) ASSERT_TRUE(objCacheLookup(x, true));
    EXPECT_TRUE(objCacheRemove(&c));
    PtpObjectInfoStruct d = record(5, "D.JPG");
    ASSERT_TRUE(objCacheLookup(&d, true));
    EXPECT_EQ(objCacheState().tail->info.objectId, 5u);
    EXPECT_EQ(objCacheState().head->next->next->info.objectId, 5u);
}

TEST_F(StoreTest, ConcurrentSavesKeepEveryEntry) {
    objCacheOpen(cache, save);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 25; ++i) {
                char name[32];
                std::snprintf(name, sizeof name, "T%d_%02d.JPG", t, i);
                PtpObjectInfoStruct r = record(static_cast<uint32_t>(t * 100 + i + 1), name);
                objCacheSaveThumbnail(&r, reinterpret_cast<const uint8_t*>(name), 6);
                objCacheGetBestImagePath(&r, true);
            }
        });
    for (auto& th : threads) th.join();
    int entries = 0;
    for (ObjCacheEntry* e = objCacheState().head; e; e = e->next) ++entries;
    EXPECT_EQ(entries, 100);
    EXPECT_EQ(listing(cache).size(), 200u);
}

TEST(StoreHelpers, WholeFileRoutines) {
    EXPECT_TRUE(strEndsWith("a.obj", ".obj"));
    EXPECT_FALSE(strEndsWith("obj", ".obj"));
    EXPECT_FALSE(strEndsWith(nullptr, ".obj"));
    HeapBlock data;
    EXPECT_EQ(readWholeFile("/nonexistent/file", &data), -1);
    EXPECT_EQ(readWholeFile("/tmp", &data), -1);  // a folder is not a file
    EXPECT_FALSE(writeWholeFile("/nonexistent/dir/file", StoreTest::bytes("x"), 1));
    PtpObjectInfoStruct out{};
    std::vector<uint8_t> shortRecord(607, 'a');
    EXPECT_FALSE(objCacheParseRecord(shortRecord.data(), shortRecord.size(), &out));
}

}  // namespace
