#include "devicesim/body_shots.h"

#include <cstdio>
#include <cstring>

#include "devicesim/canon_camera.h"
#include "devicesim/canon_event_data.h"
#include "devicesim/event_records.h"
#include "devicesim/fuji_camera.h"
#include "devicesim/movie_objects.h"
#include "devicesim/nikon_camera.h"
#include "devicesim/raw_factory.h"
#include "devicesim/sony_camera.h"

namespace devicesim {
namespace {

constexpr uint32_t kStorage = 0x00010001;
constexpr uint16_t kJpegFormat = 0x3801;
constexpr uint32_t kBasePictures = 8;  // pictures the stamped files share
constexpr uint16_t kNikonObjectAdded = 0x4002;
constexpr uint16_t kNikonObjectRemoved = 0x4003;

struct Draw {
    uint64_t state;
    uint64_t next() {  // splitmix64
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double unit() { return double(next() >> 11) / double(1ull << 53); }
};

// The serial goes into the file where a reader does not look: the payload of the first filler segment of a JPEG
// (before its picture data), else the last bytes of the file (a raw file's sensor filler).
void stamp(std::vector<uint8_t>& file, uint32_t serial) {
    uint8_t mark[12] = {'V', 'X', 'S', 'K'};
    std::memcpy(mark + 4, &serial, sizeof serial);
    std::memcpy(mark + 8, &serial, sizeof serial);
    size_t at = 2;
    if (file.size() > 4 && file[0] == 0xFF && file[1] == 0xD8) {
        while (at + 4 <= file.size() && file[at] == 0xFF && file[at + 1] != 0xDA) {
            const size_t length = (size_t(file[at + 2]) << 8) | file[at + 3];
            if (file[at + 1] == 0xEF && length >= 2 + sizeof mark && at + 2 + length <= file.size()) {
                std::memcpy(file.data() + at + 4, mark, sizeof mark);
                return;
            }
            at += 2 + length;
        }
    }
    if (file.size() >= 64) std::memcpy(file.data() + file.size() - sizeof mark, mark, sizeof mark);
}

uint16_t rawFormat(Vendor vendor) {
    switch (vendor) {
        case Vendor::Canon: return 0xB103;
        case Vendor::Nikon: return 0x3000;
        case Vendor::Sony: return 0xB101;
        case Vendor::Fuji: return 0xB111;
    }
    return 0;
}

}  // namespace

std::vector<PlannedBurst> planShots(const ShotPlan& plan) {
    std::vector<PlannedBurst> bursts;
    Draw draw{plan.seed ^ 0x5EED0F5A07ull};
    int left = plan.pictures;
    while (left > 0) {
        PlannedBurst b;
        const int n = std::min(left, 1 + int(draw.next() % uint64_t(std::max(1, plan.burstMax))));
        for (int i = 0; i < n; ++i) {
            const double u = draw.unit();
            b.shots.push_back(u < plan.movieShare                   ? ShotKind::Movie
                              : u < plan.movieShare + plan.rawShare ? ShotKind::Raw
                                                                    : ShotKind::Jpeg);
        }
        const double mean = plan.perSecond > 0 ? 1000.0 * n / plan.perSecond : 0;
        b.pauseBefore = std::chrono::milliseconds(int64_t(mean * (0.5 + draw.unit())));
        bursts.push_back(std::move(b));
        left -= n;
    }
    return bursts;
}

const char* BodyShooter::kindName(ShotKind kind) {
    switch (kind) {
        case ShotKind::Jpeg: return "jpeg";
        case ShotKind::Raw: return "raw";
        case ShotKind::Movie: return "movie";
    }
    return "?";
}

BodyShooter::BodyShooter(Vendor vendor, std::shared_ptr<Camera> camera, std::shared_ptr<SdCard> card, ShotPlan plan)
    : vendor_(vendor), camera_(std::move(camera)), card_(std::move(card)), plan_(plan) {
    JpegRecipe recipe = vendorJpegRecipe(vendor_);
    recipe.size = plan_.jpegSize;
    auto image = jpegImage(recipe);
    thumbnail_ = image->thumbnail;
    thumbWidth_ = image->thumbWidth;
    thumbHeight_ = image->thumbHeight;
    width_ = image->width;
    height_ = image->height;
}

BodyShooter::~BodyShooter() { stop(); }

void BodyShooter::start() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (thread_.joinable()) return;
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
}

void BodyShooter::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    cv_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void BodyShooter::run() {
    for (const PlannedBurst& burst : planShots(plan_)) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (cv_.wait_for(lock, burst.pauseBefore, [this] { return stopping_; })) return;
        }
        for (ShotKind kind : burst.shots) {
            if (beforeShot_) beforeShot_();
            take(kind);
        }
    }
    done_ = true;
}

std::shared_ptr<const std::vector<uint8_t>> BodyShooter::bytesFor(ShotKind kind, uint32_t serial, uint32_t card) {
    if (kind == ShotKind::Movie) return movieBytes(plan_.movieSize, serial);
    // A picture of a later card under an earlier one's name has another size, as a body's pictures do from shot to
    // shot: a card file is announced by its name and size alone, and the same two on another card would be the
    // same file to anyone.
    const uint32_t grow = card * 1024;
    std::vector<uint8_t> file;
    JpegRecipe recipe = vendorJpegRecipe(vendor_);
    recipe.seed = 1 + serial % kBasePictures;
    if (kind == ShotKind::Jpeg) {
        recipe.size = plan_.jpegSize + grow;
        file = jpegImage(recipe)->bytes;
    } else {
        RawRecipe raw = vendorRawRecipe(vendor_);
        raw.preview = recipe;
        raw.preview.size = plan_.jpegSize / 2;
        raw.size = plan_.rawSize;
        file = rawImage(raw)->bytes;
        // A raw file is at least what its sensor picture needs, whatever size is asked: the filler at its end
        // grows instead (where the serial goes).
        file.resize(file.size() + grow);
    }
    stamp(file, serial);
    return std::make_shared<const std::vector<uint8_t>>(std::move(file));
}

std::string BodyShooter::nameFor(ShotKind kind, uint32_t number) const {
    static const char* const kPrefix[] = {"IMG_", "DSC_", "DSC", "DSCF"};
    static const char* const kRaw[] = {"CR2", "NEF", "ARW", "RAF"};
    const int v = int(vendor_);
    const char* ext = kind == ShotKind::Jpeg ? "JPG" : kind == ShotKind::Raw ? kRaw[v] : "MOV";
    const char* prefix = kind == ShotKind::Movie && vendor_ == Vendor::Canon ? "MVI_" : kPrefix[v];
    char name[40];
    std::snprintf(name, sizeof name, vendor_ == Vendor::Sony ? "%s%05u.%s" : "%s%04u.%s", prefix, number, ext);
    return name;
}

BodyPicture BodyShooter::take(ShotKind kind) {
    uint32_t number, serial, card;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        number = nextNumber_++;
        serial = nextSerial_++;
        card = cardNumber_;
    }
    BodyPicture picture{nameFor(kind, number), kind, bytesFor(kind, serial, card)};
    picture.card = card;
    const uint32_t size = uint32_t(picture.bytes->size());
    const uint16_t format = kind == ShotKind::Jpeg ? kJpegFormat : kind == ShotKind::Raw ? rawFormat(vendor_)
                                                                                         : kMovieObjectFormat;
    if (vendor_ == Vendor::Canon || vendor_ == Vendor::Nikon) {
        SimObject o;
        o.storage = kStorage;
        o.format = format;
        o.name = picture.name;
        o.bytes = picture.bytes;
        o.thumbnail = thumbnail_;
        o.thumbWidth = thumbWidth_;
        o.thumbHeight = thumbHeight_;
        o.width = width_;
        o.height = height_;
        if (auto canon = std::dynamic_pointer_cast<CanonCamera>(camera_)) {
            const uint32_t handle = canon->addObject(std::move(o));
            picture.handle = handle;
            switch (canon->body()) {
                case CanonBody::Mirrorless:
                    canon->queueEvent(canonObjectAddedExRecord(handle, kStorage, format, size,
                                                               CanonCamera::kImageFolder, picture.name));
                    break;
                case CanonBody::DslrJpegLiveView:
                    canon->queueEvent(canonObjectAddedRecord(handle, kStorage, format, size,
                                                             CanonCamera::kImageFolder, picture.name));
                    break;
                case CanonBody::DslrYuvLiveView: canon->queueEvent(canonObjectInfoRecord(handle)); break;
            }
        } else if (auto nikon = std::dynamic_pointer_cast<NikonCamera>(camera_)) {
            picture.handle = nikon->addObject(std::move(o));
            nikon->queueNikonEvent(kNikonObjectAdded, picture.handle);
        }
    } else if (card_) {
        // The device fetched the picture onto its card and tells the host with its record.
        card_->addFile(picture.name, picture.bytes, thumbnail_, 1);
        if (auto sony = std::dynamic_pointer_cast<SonyCamera>(camera_))
            sony->queueRecord(objectAddedRecord(size, picture.name));
        else if (auto fuji = std::dynamic_pointer_cast<FujiCamera>(camera_))
            fuji->queueObjectAdded(size, picture.name);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    pictures_.push_back(picture);
    removed_.push_back(false);
    return picture;
}

void BodyShooter::swapCard() {
    std::lock_guard<std::mutex> lock(mutex_);
    nextNumber_ = 1;
    ++cardNumber_;
    if (auto canon = std::dynamic_pointer_cast<CanonCamera>(camera_))
        canon->swapCard();
    else if (auto nikon = std::dynamic_pointer_cast<NikonCamera>(camera_))
        nikon->swapCard();
    else if (card_)
        card_->erase();
}

uint32_t BodyShooter::cardNumber() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return cardNumber_;
}

bool BodyShooter::remove(size_t index) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (index >= pictures_.size() || removed_[index] || pictures_[index].card != cardNumber_) return false;
    removed_[index] = true;
    const BodyPicture& p = pictures_[index];
    if (auto canon = std::dynamic_pointer_cast<CanonCamera>(camera_)) {
        if (!canon->removeObject(p.handle)) return false;
        canon->queueEvent(canonObjectRemovedRecord(p.handle));
    } else if (auto nikon = std::dynamic_pointer_cast<NikonCamera>(camera_)) {
        if (!nikon->removeObject(p.handle)) return false;
        nikon->queueNikonEvent(kNikonObjectRemoved, p.handle);
    } else if (card_) {
        return card_->removeFile(p.name);
    }
    return true;
}

size_t BodyShooter::taken() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return pictures_.size();
}

std::vector<BodyPicture> BodyShooter::pictures() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return pictures_;
}

}  // namespace devicesim
