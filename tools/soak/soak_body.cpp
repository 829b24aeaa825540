#include "tools/soak/soak_body.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unordered_map>

#include "devicesim/canon_camera.h"
#include "devicesim/fuji_camera.h"
#include "devicesim/nikon_camera.h"
#include "devicesim/sony_camera.h"

namespace soak {
namespace {

devicesim::Vendor vendorOf(const std::string& name) {
    if (name == "nikon") return devicesim::Vendor::Nikon;
    if (name == "sony") return devicesim::Vendor::Sony;
    if (name == "fuji") return devicesim::Vendor::Fuji;
    return devicesim::Vendor::Canon;
}

std::vector<uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// "IMG_0001_1.JPG" -> "IMG_0001.JPG": the name a copy saved beside an existing file would derive from.
std::string underived(const std::string& name) {
    const size_t dot = name.rfind('.');
    const std::string stem = name.substr(0, dot), ext = dot == std::string::npos ? "" : name.substr(dot);
    const size_t mark = stem.rfind('_');
    if (mark == std::string::npos || mark + 1 == stem.size()) return {};
    if (!std::all_of(stem.begin() + long(mark) + 1, stem.end(), [](char c) { return c >= '0' && c <= '9'; })) return {};
    return stem.substr(0, mark) + ext;
}

uint64_t hashOf(const std::vector<uint8_t>& bytes) {  // FNV-1a
    uint64_t h = 0xcbf29ce484222325ull;
    for (uint8_t b : bytes) h = (h ^ b) * 0x100000001b3ull;
    return h;
}

bool isTemporaryName(const std::string& name) {
    return name.rfind(".vxtmp.", 0) == 0 || name.find(".tmp") != std::string::npos || name.rfind(".", 0) == 0;
}

uint64_t splitmix(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// "<prefix>_<digits>[-<digits>]<ext>": the program's custom name (with a free-name mark) for a file of that extension.
bool customNameOf(const std::string& name, const std::string& prefix, const std::string& ext) {
    if (prefix.empty() || name.size() <= prefix.size() + 1 + ext.size()) return false;
    if (name.compare(0, prefix.size() + 1, prefix + "_") != 0) return false;
    if (name.compare(name.size() - ext.size(), ext.size(), ext) != 0) return false;
    const std::string middle = name.substr(prefix.size() + 1, name.size() - prefix.size() - 1 - ext.size());
    const size_t dash = middle.find('-');
    const auto digits = [](const std::string& t) {
        return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    return digits(middle.substr(0, dash)) && (dash == std::string::npos || digits(middle.substr(dash + 1)));
}

std::string extensionOf(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? "" : name.substr(dot);
}

// "IMG_0001.JPG" -> "IMG_0001-<n>.JPG" for some n: the free name the program gives a picture whose own is taken.
bool freeNameOf(const std::string& name, const std::string& original) {
    const std::string ext = extensionOf(original), stem = original.substr(0, original.size() - ext.size());
    if (name.size() <= stem.size() + 1 + ext.size() || name.compare(0, stem.size() + 1, stem + "-") != 0) return false;
    if (name.compare(name.size() - ext.size(), ext.size(), ext) != 0) return false;
    const std::string n = name.substr(stem.size() + 1, name.size() - stem.size() - 1 - ext.size());
    return std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void addList(std::vector<std::string>& out, const char* what, const std::vector<std::string>& names) {
    if (names.empty()) return;
    std::string line = std::string(what) + " " + std::to_string(names.size()) + ":";
    for (size_t i = 0; i < names.size() && i < 12; ++i) line += " " + names[i];
    if (names.size() > 12) line += " ...";
    out.push_back(line);
}

}  // namespace

// The hashes of a folder's files by name, read again only when a file's size or time changed.
class FolderHashes {
public:
    const std::map<std::string, uint64_t>& read(const std::string& folder) {
        std::map<std::string, uint64_t> now;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
            const std::string name = entry.path().filename().string();
            if (isTemporaryName(name)) continue;
            struct stat st {};
            if (::stat(entry.path().c_str(), &st) != 0) continue;
            const auto key = std::make_pair(int64_t(st.st_size), int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);
            auto it = seen_.find(name);
            if (it == seen_.end() || it->second.first != key) it = seen_.insert_or_assign(name, std::make_pair(key, hashOf(readFile(entry.path())))).first;
            now[name] = it->second.second;
        }
        hashes_ = std::move(now);
        return hashes_;
    }

private:
    std::map<std::string, std::pair<std::pair<int64_t, int64_t>, uint64_t>> seen_;
    std::map<std::string, uint64_t> hashes_;
};


std::vector<std::string> FolderVerdict::lines() const {
    std::vector<std::string> out;
    out.push_back("stills " + std::to_string(expected) + ", whole on disk " + std::to_string(whole) + "; movies whole " +
                  std::to_string(moviesWhole) + ", not downloaded " + std::to_string(moviesAbsent));
    if (deletedWhole + deletedAbsent + customNamed + freeNamed > 0)
        out.push_back("stills deleted on the body " + std::to_string(deletedWhole + deletedAbsent) + ": whole on disk " +
                      std::to_string(deletedWhole) + ", deleted before they landed " + std::to_string(deletedAbsent) +
                      "; whole under a custom name " + std::to_string(customNamed) + ", under a free name " +
                      std::to_string(freeNamed));
    addList(out, "missing", missing);
    addList(out, "corrupt", corrupt);
    addList(out, "temporary files", temporary);
    addList(out, "duplicates", duplicates);
    addList(out, "unknown names", unknown);
    addList(out, "changed since a card swap", changed);
    addList(out, "under a name the program does not give", misnamed);
    addList(out, "not landed before their card was swapped", lostWithCard);
    return out;
}

bool SoakBody::isVendor(const std::string& name) {
    return name == "canon" || name == "nikon" || name == "sony" || name == "fuji";
}

SoakBody::SoakBody(BodyOptions options) : options_(std::move(options)) {
    const devicesim::Vendor vendor = vendorOf(options_.vendor);
    switch (vendor) {
        case devicesim::Vendor::Canon: camera_ = devicesim::makeCanonCamera(); break;
        case devicesim::Vendor::Nikon: camera_ = devicesim::makeNikonCamera(); break;
        case devicesim::Vendor::Sony: {
            devicesim::SonyCameraOptions o;
            o.card = commands_.cardPointer();
            camera_ = std::make_shared<devicesim::SonyCamera>(o);
            break;
        }
        case devicesim::Vendor::Fuji: {
            auto fuji = devicesim::makeFujiCamera();
            fuji->useCard(commands_.cardPointer());
            camera_ = fuji;
            break;
        }
    }
    // The device keeps the camera's PTP session open on its side of the USB port.
    devicesim::PtpOperation open;
    open.code = 0x1002;
    open.params = {1};
    camera_->handleOperation(open);
    device_.setLogLimit(256);
    device_.setCamera(camera_);
    commands_.install(device_);
    schedule_ = std::make_unique<devicesim::FaultSchedule>(options_.faults);
    schedule_->install(device_);
    shooter_ = std::make_unique<devicesim::BodyShooter>(vendor, camera_, commands_.cardPointer(), options_.shots);
    if (options_.cases()) {
        draw_ = options_.shots.seed ^ 0xCA5E5ull;
        shooter_->setBeforeShot([this] { beforeShot(); });
    }
}

void SoakBody::calm() {
    {
        std::lock_guard<std::mutex> lock(casesMutex_);
        calm_ = true;
    }
    schedule_->pause(true);
}

void SoakBody::setSaveFolder(const std::string& folder) {
    std::lock_guard<std::mutex> lock(casesMutex_);
    saveFolder_ = folder;
}

void SoakBody::hold(bool held) {
    {
        std::lock_guard<std::mutex> lock(casesMutex_);
        held_ = held;
        if (!calm_) schedule_->pause(held);
    }
    casesCv_.notify_all();
}

void SoakBody::beforeShot() {
    const size_t taken = shooter_->taken();
    {
        std::unique_lock<std::mutex> lock(casesMutex_);
        casesCv_.wait(lock, [this] { return !held_ || stopping_; });
        // Which pictures go, and when, from the seed alone: picture i is drawn once, when it is the last one taken.
        for (; decided_ < taken; ++decided_) {
            const double u = double(splitmix(draw_) >> 11) / double(1ull << 53);
            const size_t after = 1 + size_t(splitmix(draw_) % 20);
            if (u < options_.deleteShare) pending_.push_back({decided_ + after, decided_});
        }
        for (auto it = pending_.begin(); it != pending_.end();) {
            if (it->due > taken) {
                ++it;
                continue;
            }
            // Whether it had landed: one that had must stay whole whatever the body does.
            bool landed = false;
            if (!saveFolder_.empty()) {
                if (!hashes_) hashes_ = std::make_unique<FolderHashes>();
                const uint64_t hash = hashOf(*shooter_->pictures()[it->index].bytes);
                for (const auto& [name, h] : hashes_->read(saveFolder_)) landed = landed || h == hash;
            }
            if (shooter_->remove(it->index)) {
                deleted_.push_back(it->index);
                if (landed) landedWhenDeleted_.insert(it->index);
                ++deletions_;
            }
            it = pending_.erase(it);
        }
    }
    if (options_.cardSwapEvery > 0 && taken > 0 && taken % size_t(options_.cardSwapEvery) == 0 && taken != lastSwapAt_) {
        lastSwapAt_ = taken;
        swapCard();
    }
}

void SoakBody::swapCard() {
    std::string folder;
    {
        std::lock_guard<std::mutex> lock(casesMutex_);
        folder = saveFolder_;
    }
    // The user takes the card out once its pictures are on the computer: the faults rest until what the card holds
    // has landed (a picture deleted on the body and a movie need not), then the device goes down, the card is
    // swapped while it is, and it comes back with the new card.
    schedule_->pause(true);
    const std::vector<devicesim::BodyPicture> pictures = shooter_->pictures();
    const uint32_t card = shooter_->cardNumber();
    std::set<size_t> deleted;
    {
        std::lock_guard<std::mutex> lock(casesMutex_);
        deleted.insert(deleted_.begin(), deleted_.end());
    }
    std::vector<std::pair<std::string, uint64_t>> owed;
    for (size_t i = 0; i < pictures.size(); ++i)
        if (pictures[i].card == card && pictures[i].kind != devicesim::ShotKind::Movie && !deleted.count(i))
            owed.emplace_back(pictures[i].name, hashOf(*pictures[i].bytes));
    FolderHashes hashes;
    std::map<std::string, uint64_t> files;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::vector<std::string> notLanded;
    for (;;) {
        files = folder.empty() ? std::map<std::string, uint64_t>{} : hashes.read(folder);
        std::multiset<uint64_t> there;
        for (const auto& [name, hash] : files) there.insert(hash);
        notLanded.clear();
        for (const auto& [name, hash] : owed)
            if (!there.count(hash)) notLanded.push_back(name);
        if (notLanded.empty() || folder.empty() || std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    device_.restart(std::chrono::milliseconds(500));
    shooter_->swapCard();
    ++swaps_;
    std::lock_guard<std::mutex> lock(casesMutex_);
    if (!folder.empty()) atSwaps_.push_back(files);
    for (const std::string& name : notLanded)
        lostWithCard_.push_back(name + " (card " + std::to_string(card) + ")");
    if (!calm_ && !held_) schedule_->pause(false);
}

SoakBody::~SoakBody() {
    {
        std::lock_guard<std::mutex> lock(casesMutex_);
        stopping_ = true;
    }
    casesCv_.notify_all();
    shooter_->stop();
    device_.setFaultSource(nullptr);
    device_.stop();
}

bool SoakBody::start() { return device_.start(0); }

BodyStats SoakBody::stats() const {
    BodyStats s;
    for (const auto& p : shooter_->pictures()) {
        ++s.taken;
        s.stills += p.kind != devicesim::ShotKind::Movie;
    }
    s.shotsDone = shooter_->done();
    s.exchanges = device_.exchanges();
    s.byKind = schedule_->injected();
    s.faults = schedule_->injectedTotal();
    s.swaps = swaps_.load();
    s.deletions = deletions_.load();
    return s;
}

FolderVerdict SoakBody::verify(const std::string& saveFolder) const {
    if (options_.cases()) return verifyCases(saveFolder);
    FolderVerdict v;
    std::map<std::string, const devicesim::BodyPicture*> byName;
    const std::vector<devicesim::BodyPicture> pictures = shooter_->pictures();
    for (const auto& p : pictures) byName[p.name] = &p;

    std::map<std::string, std::filesystem::path> present;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(saveFolder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(".vxtmp.", 0) == 0 || name.find(".tmp") != std::string::npos || name.rfind(".", 0) == 0) {
            v.temporary.push_back(name);
            continue;
        }
        if (byName.count(name)) {
            present[name] = entry.path();
            continue;
        }
        const std::string original = underived(name);
        if (!original.empty() && byName.count(original))
            v.duplicates.push_back(name);
        else
            v.unknown.push_back(name);
    }
    for (const auto& p : pictures) {
        auto it = present.find(p.name);
        if (p.kind == devicesim::ShotKind::Movie) {
            if (it == present.end()) {
                ++v.moviesAbsent;
            } else if (readFile(it->second) == *p.bytes) {
                ++v.moviesWhole;
            } else {
                v.corrupt.push_back(p.name);
            }
            continue;
        }
        ++v.expected;
        if (it == present.end()) {
            v.missing.push_back(p.name);
        } else if (readFile(it->second) == *p.bytes) {
            ++v.whole;
        } else {
            v.corrupt.push_back(p.name);
        }
    }
    return v;
}

// With cards swapped a name is given again, and with a custom name the name says nothing of the picture: each file
// is matched to a picture by its bytes (each picture's are its own), then its name is judged.
FolderVerdict SoakBody::verifyCases(const std::string& saveFolder) const {
    FolderVerdict v;
    const std::vector<devicesim::BodyPicture> pictures = shooter_->pictures();
    std::set<size_t> deleted, landedWhenDeleted;
    std::vector<std::map<std::string, uint64_t>> atSwaps;
    {
        std::lock_guard<std::mutex> lock(casesMutex_);
        deleted.insert(deleted_.begin(), deleted_.end());
        landedWhenDeleted = landedWhenDeleted_;
        atSwaps = atSwaps_;
        v.lostWithCard = lostWithCard_;
    }
    std::unordered_multimap<uint64_t, size_t> byHash;
    std::set<std::string> pictureNames;
    for (size_t i = 0; i < pictures.size(); ++i) {
        byHash.emplace(hashOf(*pictures[i].bytes), i);
        pictureNames.insert(pictures[i].name);
    }

    std::map<std::string, std::vector<uint8_t>> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(saveFolder, ec)) {
        const std::string name = entry.path().filename().string();
        if (isTemporaryName(name))
            v.temporary.push_back(name);
        else
            files[name] = readFile(entry.path());
    }
    std::vector<std::string> landedAs(pictures.size());
    for (const auto& [name, bytes] : files) {
        std::optional<size_t> match;
        auto [from, to] = byHash.equal_range(hashOf(bytes));
        for (auto it = from; it != to; ++it)
            if (*pictures[it->second].bytes == bytes) match = it->second;
        if (!match) {
            (pictureNames.count(name) ? v.corrupt : v.unknown).push_back(name);
            continue;
        }
        const devicesim::BodyPicture& p = pictures[*match];
        if (!landedAs[*match].empty()) {
            v.duplicates.push_back(name + " (" + p.name + ", also " + landedAs[*match] + ")");
            continue;
        }
        landedAs[*match] = name;
        if (name == p.name) continue;
        // A free name only where the own name is taken; a custom one only when the program was given a prefix.
        if (customNameOf(name, options_.customPrefix, extensionOf(p.name)))
            ++v.customNamed;
        else if (freeNameOf(name, p.name) && files.count(p.name))
            ++v.freeNamed;
        else
            v.misnamed.push_back(name + " (" + p.name + ")");
    }
    for (size_t i = 0; i < pictures.size(); ++i) {
        const bool there = !landedAs[i].empty();
        if (pictures[i].kind == devicesim::ShotKind::Movie) {
            ++(there ? v.moviesWhole : v.moviesAbsent);
            continue;
        }
        if (deleted.count(i) && (there || !landedWhenDeleted.count(i))) {
            ++(there ? v.deletedWhole : v.deletedAbsent);
            continue;
        }
        ++v.expected;
        if (there)
            ++v.whole;
        else
            v.missing.push_back(pictures[i].name + (deleted.count(i) ? " (deleted on the body after it landed)" : ""));
    }
    // What the folder held at each swap stays as it was.
    std::set<std::string> changed;
    for (const auto& before : atSwaps)
        for (const auto& [name, hash] : before) {
            auto it = files.find(name);
            if (it == files.end() || hashOf(it->second) != hash) changed.insert(name);
        }
    v.changed.assign(changed.begin(), changed.end());
    return v;
}

}  // namespace soak
