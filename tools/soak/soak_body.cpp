#include "tools/soak/soak_body.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

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

void addList(std::vector<std::string>& out, const char* what, const std::vector<std::string>& names) {
    if (names.empty()) return;
    std::string line = std::string(what) + " " + std::to_string(names.size()) + ":";
    for (size_t i = 0; i < names.size() && i < 12; ++i) line += " " + names[i];
    if (names.size() > 12) line += " ...";
    out.push_back(line);
}

}  // namespace

std::vector<std::string> FolderVerdict::lines() const {
    std::vector<std::string> out;
    out.push_back("stills " + std::to_string(expected) + ", whole on disk " + std::to_string(whole) + "; movies whole " +
                  std::to_string(moviesWhole) + ", not downloaded " + std::to_string(moviesAbsent));
    addList(out, "missing", missing);
    addList(out, "corrupt", corrupt);
    addList(out, "temporary files", temporary);
    addList(out, "duplicates", duplicates);
    addList(out, "unknown names", unknown);
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
}

SoakBody::~SoakBody() {
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
    return s;
}

FolderVerdict SoakBody::verify(const std::string& saveFolder) const {
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

}  // namespace soak
