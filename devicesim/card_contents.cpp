#include "devicesim/card_contents.h"

#include <atomic>
#include <cstdio>
#include <memory>

#include "devicesim/jpeg_factory.h"

namespace devicesim {

namespace {

constexpr uint16_t kMovieFormat = 0x300D;
// Framed as a JPEG (start and end markers), so that it passes as one on the wire, but no picture decodes from it.
const std::vector<uint8_t> kNoPicture = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x03, 'b', 'a', 'd', '!', 0x13, 0x37, 0xFF, 0xD9};

std::shared_ptr<const GeneratedJpeg> pictureFor(int index, int distinct, uint32_t size) {
    JpegRecipe recipe;
    recipe.size = size;
    recipe.width = 640;
    recipe.height = 480;
    recipe.seed = uint32_t(index < distinct ? index + 1 : 0);
    return jpegImage(recipe);
}

// Counts the exchanges of one kind and answers the chosen ones with a fault.
struct Counter {
    std::atomic<int> seen{0};
};

}  // namespace

std::string cardFileName(const CardFill& fill, int index) {
    char number[16];
    std::snprintf(number, sizeof number, "%04d", (index + 1) % 10000);
    std::string extension = "JPG";
    if (fill.movieEvery > 0 && (index + 1) % fill.movieEvery == 0) extension = "MOV";
    else if (fill.rawEvery > 0 && (index + 1) % fill.rawEvery == 0) extension = fill.rawExtension;
    return fill.prefix + number + (index >= 9999 ? "_" + std::to_string(index / 9999) : "") + "." + extension;
}

std::vector<uint32_t> fillCameraCard(GenericCamera& camera, const CardFill& fill) {
    std::vector<uint32_t> handles;
    handles.reserve(size_t(fill.count));
    for (int i = 0; i < fill.count; ++i) {
        auto picture = pictureFor(i, fill.distinct, fill.jpegSize);
        SimObject o;
        o.name = cardFileName(fill, i);
        o.format = 0x3801;
        if (fill.movieEvery > 0 && (i + 1) % fill.movieEvery == 0) o.format = kMovieFormat;
        else if (fill.rawEvery > 0 && (i + 1) % fill.rawEvery == 0) o.format = fill.rawFormat;
        o.bytes = std::shared_ptr<const std::vector<uint8_t>>(picture, &picture->bytes);
        o.thumbnail = picture->thumbnail;
        if (fill.undecodableThumbnails.count(i)) o.thumbnail = kNoPicture;
        if (fill.missingThumbnails.count(i)) o.thumbnail.clear();
        o.thumbWidth = picture->thumbWidth;
        o.thumbHeight = picture->thumbHeight;
        o.width = picture->width;
        o.height = picture->height;
        handles.push_back(camera.addObject(std::move(o)));
    }
    return handles;
}

std::string sdFileName(int index) {
    static const char* const kExtensions[] = {"JPG", "NEF", "CR3", "MOV", "MP4"};
    char name[32];
    std::snprintf(name, sizeof name, "SD_%05d.%s", index + 1, kExtensions[index % 5]);
    return name;
}

std::vector<std::string> fillSdCard(SdCard& card, const SdFill& fill) {
    std::vector<std::string> names;
    for (int i = 0; i < fill.count; ++i) {
        auto picture = pictureFor(i, fill.distinct, fill.jpegSize);
        const std::string name = sdFileName(i);
        card.addFile(name, std::shared_ptr<const std::vector<uint8_t>>(picture, &picture->bytes), picture->thumbnail);
        names.push_back(name);
    }
    auto picture = pictureFor(0, 1, fill.jpegSize);
    for (int i = 0; i < fill.overlong; ++i) {
        const std::string name = std::string(300, char('a' + i % 26)) + std::to_string(i) + ".JPG";
        card.addFile(name, std::shared_ptr<const std::vector<uint8_t>>(picture, &picture->bytes), picture->thumbnail);
        names.push_back(name);
    }
    return names;
}

FaultSource failPtpOperation(uint16_t operation, uint16_t code, int times, int skip) {
    auto counter = std::make_shared<Counter>();
    return [counter, operation, code, times, skip](const Exchange& e) -> std::optional<Fault> {
        if (e.ptpOperation != operation || e.answerBytes != 0) return std::nullopt;
        const int n = counter->seen++;
        if (n < skip || n >= skip + times) return std::nullopt;
        return Fault::busy(code);
    };
}

FaultSource failDeviceCommand(uint8_t command, uint16_t code, int times, int skip) {
    auto counter = std::make_shared<Counter>();
    return [counter, command, code, times, skip](const Exchange& e) -> std::optional<Fault> {
        if (e.command != command || e.answerBytes != 0) return std::nullopt;
        const int n = counter->seen++;
        if (n < skip || n >= skip + times) return std::nullopt;
        return Fault::busy(code);
    };
}

FaultSource disconnectDuringObject(int nth, uint16_t operation) {
    auto counter = std::make_shared<Counter>();
    return [counter, nth, operation](const Exchange& e) -> std::optional<Fault> {
        if (e.ptpOperation != operation) return std::nullopt;
        if (e.answerBytes == 0) {
            ++counter->seen;
            return std::nullopt;
        }
        if (counter->seen != nth) return std::nullopt;
        return Fault::closeWithin(0.5);
    };
}

}  // namespace devicesim
