#include "engine/store/cache_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/store/store_test_fixture.h"

namespace {

constexpr time_t kNow = 2000000000;
constexpr time_t kDay = 86400;

// Sets an entry's modification time without following a link.
void age(const std::string& path, time_t modified) {
    timespec times[2] = {{modified, 0}, {modified, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

class CacheFolderTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        outside = root + "/Outside";
        std::filesystem::create_directories(outside);
        writeFile(outside + "/precious.jpg", "precious");
    }
    std::string outside;
};

TEST_F(CacheFolderTest, AgeingRemovesOnlyEntriesOlderThanThreeDays) {
    struct Case {
        const char* name;
        time_t modified;
        bool kept;
    } cases[] = {
        {"four_days.thumb", kNow - 4 * kDay, false},
        {"two_days.thumb", kNow - 2 * kDay, true},
        {"just_over.obj", kNow - kCacheMaxAgeSeconds - 1, false},
        {"exactly_three_days.obj", kNow - kCacheMaxAgeSeconds, true},
        {"future.edit", kNow + kDay, true},
    };
    for (const Case& c : cases) {
        writeFile(cache + "/" + c.name, "x");
        age(cache + "/" + c.name, c.modified);
    }
    // An old subfolder goes with everything in it; a recent one stays whole.
    std::filesystem::create_directories(cache + "/OldFolder/inner");
    writeFile(cache + "/OldFolder/inner/file", "x");
    age(cache + "/OldFolder", kNow - 5 * kDay);
    std::filesystem::create_directories(cache + "/Watermark");
    writeFile(cache + "/Watermark/mark.png", "x");
    age(cache + "/Watermark/mark.png", kNow - 9 * kDay);
    age(cache + "/Watermark", kNow - kDay);

    cacheFolderAge(cache, 2000000000, save, kNow);

    for (const Case& c : cases) EXPECT_EQ(exists(cache + "/" + c.name), c.kept) << c.name;
    EXPECT_FALSE(exists(cache + "/OldFolder"));
    EXPECT_TRUE(exists(cache + "/Watermark/mark.png"));  // only the folder's own entries are aged
}

TEST_F(CacheFolderTest, AgeingNeverFollowsALinkOutOfTheCache) {
    // Old links to a file and to a folder outside, and an old folder that holds a link to the outside.
    ASSERT_EQ(::symlink((outside + "/precious.jpg").c_str(), (cache + "/file_link").c_str()), 0);
    ASSERT_EQ(::symlink(outside.c_str(), (cache + "/folder_link").c_str()), 0);
    std::filesystem::create_directories(cache + "/old");
    ASSERT_EQ(::symlink(outside.c_str(), (cache + "/old/inner_link").c_str()), 0);
    for (const char* name : {"/file_link", "/folder_link", "/old/inner_link", "/old"}) age(cache + name, kNow - 4 * kDay);
    age(outside + "/precious.jpg", kNow - 10 * kDay);
    age(outside, kNow - 10 * kDay);

    // A recent link to an old file outside is judged by its own date: it stays, and so does its target.
    writeFile(outside + "/old.jpg", "old");
    age(outside + "/old.jpg", kNow - 10 * kDay);
    ASSERT_EQ(::symlink((outside + "/old.jpg").c_str(), (cache + "/recent_link").c_str()), 0);
    age(cache + "/recent_link", kNow - kDay);

    cacheFolderAge(cache, 0, save, kNow);

    EXPECT_EQ(listing(cache), (std::vector<std::string>{"recent_link"}));
    EXPECT_EQ(readFile(outside + "/precious.jpg"), "precious");
    EXPECT_EQ(readFile(cache + "/recent_link"), "old");
    EXPECT_EQ(listing(outside), (std::vector<std::string>{"old.jpg", "precious.jpg"}));
}

TEST_F(CacheFolderTest, TheSizeLimitRemovesTheLeastRecentlyModifiedFirst) {
    // Five recent 1000-byte files, modified an hour apart; a link to a big file outside counts as itself.
    for (int i = 0; i < 5; ++i) {
        std::string path = cache + "/f" + std::to_string(i);
        writeFile(path, std::string(1000, 'x'));
        age(path, kNow - 3600 * (5 - i));
    }
    writeFile(outside + "/big", std::string(100000, 'b'));
    ASSERT_EQ(::symlink((outside + "/big").c_str(), (cache + "/zz_link").c_str()), 0);
    age(cache + "/zz_link", kNow);

    struct Case {
        int64_t limit;
        std::vector<std::string> left;
    } cases[] = {
        {0, {"f0", "f1", "f2", "f3", "f4", "zz_link"}},      // no limit
        {100000, {"f0", "f1", "f2", "f3", "f4", "zz_link"}}, // fits
        {3100, {"f2", "f3", "f4", "zz_link"}},
        {1000, {"zz_link"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        cacheFolderAge(cache, c.limit, save, kNow);
        EXPECT_EQ(listing(cache), c.left);
    }
    EXPECT_TRUE(exists(outside + "/big"));
}

TEST_F(CacheFolderTest, TheSaveFolderIsNeverTouched) {
    // The save folder is the cache folder itself, or a folder inside it: ageing leaves everything.
    for (const std::string& saveFolder : {cache, cache + "/Downloads"}) {
        SCOPED_TRACE(saveFolder);
        std::filesystem::create_directories(cache + "/Downloads");
        writeFile(cache + "/Downloads/IMG_0001.JPG", "picture");
        writeFile(cache + "/IMG_0002.JPG", "picture");
        for (const char* name : {"/Downloads/IMG_0001.JPG", "/Downloads", "/IMG_0002.JPG"}) age(cache + name, kNow - 30 * kDay);
        cacheFolderAge(cache, 1, saveFolder, kNow);
        EXPECT_TRUE(exists(cache + "/Downloads/IMG_0001.JPG"));
        EXPECT_TRUE(exists(cache + "/IMG_0002.JPG"));
    }
}

TEST_F(CacheFolderTest, EmptyingRemovesTheFolderButKeepsTheSaveFolderAndLinkTargets) {
    writeFile(cache + "/A.obj", "x");
    std::filesystem::create_directories(cache + "/Watermark");
    writeFile(cache + "/Watermark/w", "x");
    ASSERT_EQ(::symlink(outside.c_str(), (cache + "/folder_link").c_str()), 0);
    std::string error;
    EXPECT_TRUE(cacheFolderEmpty(cache, save, &error)) << error;
    EXPECT_FALSE(exists(cache));
    EXPECT_EQ(readFile(outside + "/precious.jpg"), "precious");
    EXPECT_TRUE(exists(save));
    EXPECT_TRUE(cacheFolderEmpty(cache, save, &error)) << "a missing folder is already empty";

    // A save folder inside the cache folder survives with its downloads; everything else goes.
    std::filesystem::create_directories(cache + "/Sub/Downloads");
    writeFile(cache + "/Sub/Downloads/IMG_0001.JPG", "picture");
    writeFile(cache + "/Sub/other", "x");
    writeFile(cache + "/B.obj", "x");
    EXPECT_TRUE(cacheFolderEmpty(cache, cache + "/Sub/Downloads", &error)) << error;
    EXPECT_EQ(listing(cache), (std::vector<std::string>{"Sub"}));
    EXPECT_EQ(listing(cache + "/Sub"), (std::vector<std::string>{"Downloads"}));
    EXPECT_EQ(readFile(cache + "/Sub/Downloads/IMG_0001.JPG"), "picture");
}

}  // namespace
