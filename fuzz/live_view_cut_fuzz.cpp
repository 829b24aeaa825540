// Arbitrary bytes as a live-view frame of each vendor, cut as the live-view display cuts it. The first three bytes
// choose the vendor (12 + byte % 4), the live-view status and the Sony location property (byte 1), and the model
// index (byte 2); the rest is the frame, in a buffer of its exact size. The frame is never written; a kept cut's
// picture lies inside the frame, its audio bins inside the meter, its Canon AF count at most 64; a dropped frame
// leaves the movie clock as it was.
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/viewing/live_view_frame_cut.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const uint8_t vendor = uint8_t(12 + data[0] % 4);
    LiveViewCutInputs inputs;
    inputs.liveViewStatus = data[1] & 3;
    inputs.sonyHasLocationProperty = (data[1] & 4) != 0;
    inputs.modelIndex = data[2];
    inputs.now = 1000 + data[1];
    const std::vector<uint8_t> frame(data + 3, data + size);
    const std::vector<uint8_t> before = frame;
    LiveViewMovieClock clock;
    clock.initialMovieDuration = (data[1] & 8) ? 12.5 : 0;
    for (int pass = 0; pass < 2; ++pass) {  // the second pass sees the clock the first one left
        const LiveViewMovieClock was = clock;
        const std::optional<LiveViewFrameCut> cut =
            cutLiveViewFrame(frame.empty() ? nullptr : frame.data(), frame.size(), vendor, inputs, clock);
        if (frame != before) __builtin_trap();
        if (!cut) {
            if (clock.initialMovieDuration != was.initialMovieDuration || clock.sonyRecordingStart != was.sonyRecordingStart)
                __builtin_trap();
            continue;
        }
        if (cut->pictureOffset > frame.size() || cut->pictureLength > frame.size() - cut->pictureOffset) __builtin_trap();
        const LiveViewAudio& a = cut->audio;
        if (a.present()) {
            for (int64_t bin : {a.levelLeft, a.levelRight, a.peakLeft, a.peakRight})
                if (bin < 0 || uint64_t(bin) >= a.bins) __builtin_trap();
        }
        if (cut->canonHeader && cut->canonHeader->afFrameCount > kCanonLiveViewMaxAfFrames) __builtin_trap();
        if (cut->orientation != 1 && cut->orientation != 3 && cut->orientation != 6 && cut->orientation != 8)
            __builtin_trap();
    }
    return 0;
}
