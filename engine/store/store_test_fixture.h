#pragma once
// A fresh cache and save folder per test, and the object cache reset before and after.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/store/object_cache.h"

class StoreTest : public ::testing::Test {
public:
    void SetUp() override {
        objCacheReset();
        char tmpl[] = "/tmp/vx_store_XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        root = tmpl;
        cache = root + "/Cache";
        save = root + "/Save";
        std::filesystem::create_directories(cache);
        std::filesystem::create_directories(save);
    }
    void TearDown() override {
        objCacheReset();
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }

    static PtpObjectInfoStruct record(uint32_t id, const char* name, uint64_t captureDate = 1000) {
        PtpObjectInfoStruct r{};
        std::memset(&r, 0, sizeof r);
        r.objectId = id;
        std::strncpy(r.fileName, name, sizeof r.fileName - 1);
        r.fileNameLength = static_cast<uint16_t>(std::strlen(r.fileName) + 1);
        r.captureDate = captureDate;
        return r;
    }
    static void writeFile(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string readFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    static bool exists(const std::string& path) { return std::filesystem::exists(path); }
    // Every file name in a folder, sorted.
    static std::vector<std::string> listing(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    static const uint8_t* bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

    std::string root, cache, save;
};
