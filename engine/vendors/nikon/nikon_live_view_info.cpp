#include "engine/vendors/nikon/nikon_live_view_info.h"

#include <cstring>

#include "engine/vendors/nikon/nikon_live_view.h"

std::optional<Nikon_LiveViewInfoStruct2> nikonLiveViewInfo(const uint8_t* frame, size_t length) {
    if (!frame || length < sizeof(Nikon_LiveViewInfoStruct2)) return std::nullopt;
    Nikon_LiveViewInfoStruct2 info;
    std::memcpy(&info, frame, sizeof info);
    return info;
}

std::optional<NikonLiveViewPicture> nikonLiveViewPicture(const uint8_t* frame, size_t length) {
    std::optional<Nikon_LiveViewInfoStruct2> info = nikonLiveViewInfo(frame, length);
    if (!info) return std::nullopt;
    size_t available = length - sizeof(Nikon_LiveViewInfoStruct2);
    size_t n = info->jpegLength < available ? info->jpegLength : available;
    return NikonLiveViewPicture{frame + sizeof(Nikon_LiveViewInfoStruct2), n};
}

std::optional<Nikon_LiveViewInfoStruct2> nikonLastLiveViewInfo() {
    uint8_t header[kNikonLiveViewHeaderSize];
    if (!nikonLiveViewState(header)) return std::nullopt;
    return nikonLiveViewInfo(header, sizeof header);
}
