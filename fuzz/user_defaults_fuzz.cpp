// Arbitrary bytes as the settings file found at start: a file a crash, a full disk, an older version or the user's
// own editing may have left in any state. Opening must read what it can or set the file aside whole, never lose it;
// the settings of a readable file are read as every kind and a few written back, and the next start must find
// those and a new setting as they were written.
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/property_list.h"
#include "platform/foundation/user_defaults.h"

namespace {

const std::string& folder() {
    static const std::string dir = [] {
        char name[] = "/tmp/user_defaults_fuzz.XXXXXX";
        const char* made = mkdtemp(name);
        if (!made) __builtin_trap();
        return std::string(made);
    }();
    return dir;
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

bool plainKey(const std::string& key) {
    if (key.empty() || key == "FuzzKey") return false;
    for (char c : key)
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    // A new name per input: the settings library caches files by name, and each input is a new file.
    static unsigned long counter = 0;
    const std::string path = folder() + "/settings" + std::to_string(counter++) + ".plist";
    const std::string aside = path + ".corrupt";
    // Both files go whatever the input ends in: a long run leaves nothing behind.
    struct Cleanup {
        const std::string& a;
        const std::string& b;
        ~Cleanup() {
            std::remove(a.c_str());
            std::remove(b.c_str());
        }
    } cleanup{path, aside};
    const std::string original(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(path, std::ios::binary);
        out.write(original.data(), static_cast<std::streamsize>(original.size()));
    }
    // Settings written back, to be found the same by the next start (keys of plain letters and digits: the
    // settings library gives '/' and '\\' in keys a meaning of its own).
    std::vector<std::pair<std::string, platform::Value>> kept;
    {
        platform::UserDefaults defaults(path);
        if (!defaults.lastError().empty()) {
            // Unreadable: kept whole beside the settings, and the settings start empty.
            if (exists(path) || contents(aside) != original) __builtin_trap();
        } else if (const auto plist = platform::PropertyList::parse(data, size);
                   plist.ok() && plist.value.type() == platform::Value::Type::Dictionary) {
            // Every setting read as each kind a caller may ask for, and a few written back as they are.
            int written = 0;
            for (const auto& [key, value] : plist.value.toDictionary()) {
                defaults.boolForKey(key);
                defaults.integerForKey(key);
                defaults.doubleForKey(key);
                defaults.stringForKey(key);
                defaults.dataForKey(key);
                defaults.dateForKey(key);
                defaults.arrayForKey(key);
                defaults.dictionaryForKey(key);
                if (written++ >= 16) continue;
                const platform::Value stored = defaults.objectForKey(key);
                if (defaults.setObject(stored, key) && plainKey(key)) kept.emplace_back(key, stored);
            }
        }
        // An observer of the new setting hears it once, with its value.
        int heard = 0;
        const platform::ObserverToken token = defaults.addObserver(
            &heard, "FuzzKey", [&heard](const std::string&, const platform::Value& v) {
                if (v.toString() != "fuzz value") __builtin_trap();
                ++heard;
            });
        const bool stored = defaults.setObject(platform::Value(std::string("fuzz value")), "FuzzKey");
        defaults.removeObserver(token);
        if (!stored) return 0;
        if (heard != 1) __builtin_trap();
    }
    {
        platform::UserDefaults reopened(path);
        if (reopened.stringForKey("FuzzKey") != "fuzz value") __builtin_trap();
        for (const auto& [key, value] : kept)
            if (!(reopened.objectForKey(key) == platform::PropertyList::normalized(value))) __builtin_trap();
    }
    return 0;
}
