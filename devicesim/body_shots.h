#pragma once
// Shots taken on the camera body itself, in bursts, for long runs: JPEG pictures, RAW files and the odd movie, each
// put where that vendor's body puts it (Canon and Nikon: a camera object announced by the vendor's object-added
// event; Sony and Fujifilm: a file on the device's SD card announced by the device's object-added record). Every
// file's bytes are its own (a serial stamped into a shared picture), so a file saved under another's name shows.
// The plan is seeded: the same seed gives the same bursts, kinds and pauses.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "devicesim/camera.h"
#include "devicesim/jpeg_factory.h"
#include "devicesim/sd_card.h"

namespace devicesim {

enum class ShotKind { Jpeg, Raw, Movie };

struct ShotPlan {
    uint64_t seed = 1;
    int pictures = 300;      // files in all
    double perSecond = 20;   // the average rate, bursts included
    int burstMax = 6;        // shots in one burst: 1 to burstMax
    double rawShare = 0.15;  // of the shots
    double movieShare = 0.005;
    uint32_t jpegSize = 48 * 1024;
    uint32_t rawSize = 96 * 1024;
    uint32_t movieSize = 2 * 1024 * 1024 + 4099;  // more than one chunk of a download
};

struct PlannedBurst {
    std::chrono::milliseconds pauseBefore{0};
    std::vector<ShotKind> shots;
    bool operator==(const PlannedBurst&) const = default;
};

// The bursts of a plan, in order.
std::vector<PlannedBurst> planShots(const ShotPlan& plan);

struct BodyPicture {
    std::string name;
    ShotKind kind = ShotKind::Jpeg;
    std::shared_ptr<const std::vector<uint8_t>> bytes;
    uint32_t card = 0;    // the card it was taken onto: 0, then one more at each swap
    uint32_t handle = 0;  // the camera's handle for it (Canon, Nikon)
};

class BodyShooter {
public:
    // `camera` is the vendor's simulated camera (a CanonCamera, NikonCamera, SonyCamera or FujiCamera); `card` the
    // device's card, where Sony and Fujifilm pictures go.
    BodyShooter(Vendor vendor, std::shared_ptr<Camera> camera, std::shared_ptr<SdCard> card, ShotPlan plan);
    ~BodyShooter();
    BodyShooter(const BodyShooter&) = delete;
    BodyShooter& operator=(const BodyShooter&) = delete;

    // Takes the plan's bursts on a thread of its own, each after its pause.
    void start();
    void stop();
    bool done() const { return done_.load(); }
    // Takes one picture now (tests and benchmarks); its record.
    BodyPicture take(ShotKind kind);

    // Called on the shooting thread before each planned shot (not before take() called by hand): what must happen
    // between two shots (a card swapped, a picture deleted) happens there. Set before start().
    void setBeforeShot(std::function<void()> hook) { beforeShot_ = std::move(hook); }
    // Another card: the pictures of the present one are gone (Canon, Nikon: the camera's objects, unannounced;
    // Sony, Fujifilm: the device's card emptied) and file numbering begins again at 1. The bytes of later pictures
    // stay their own (their serial goes on), so a picture saved under an older one's name shows.
    void swapCard();
    uint32_t cardNumber() const;
    // Deletes picture `index` (of pictures()) on the body, as the camera's own removal does (Canon, Nikon: the
    // object removed and its removal reported; Sony, Fujifilm: the file taken off the device's card). False when it
    // was no longer there (its card swapped out, deleted before).
    bool remove(size_t index);

    size_t taken() const;
    // Every picture taken, in order: the body's own list.
    std::vector<BodyPicture> pictures() const;
    static const char* kindName(ShotKind kind);

private:
    void run();
    std::shared_ptr<const std::vector<uint8_t>> bytesFor(ShotKind kind, uint32_t serial, uint32_t card);
    std::string nameFor(ShotKind kind, uint32_t number) const;

    Vendor vendor_;
    std::shared_ptr<Camera> camera_;
    std::shared_ptr<SdCard> card_;
    ShotPlan plan_;
    std::vector<uint8_t> thumbnail_;
    int thumbWidth_ = 0, thumbHeight_ = 0, width_ = 0, height_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<BodyPicture> pictures_;
    uint32_t nextNumber_ = 1;
    uint32_t nextSerial_ = 1;  // nextNumber_ until a card is swapped
    uint32_t cardNumber_ = 0;
    std::vector<bool> removed_;
    std::function<void()> beforeShot_;
    bool stopping_ = false;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

}  // namespace devicesim
