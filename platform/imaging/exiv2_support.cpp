#include "platform/imaging/exiv2_support.h"

#include <exiv2/exiv2.hpp>

#include <mutex>

namespace platform {

void setUpExiv2() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize();
        Exiv2::enableBMFF(true);  // off by default
    });
}

std::optional<Data> exiv2StreamBytes(Exiv2::BasicIo& io) {
    if (io.open() != 0) return std::nullopt;
    const long size = io.size();
    if (size <= 0 || io.seek(0, Exiv2::BasicIo::beg) != 0) {
        io.close();
        return std::nullopt;
    }
    Data out(size_t(size), 0);
    const long got = io.read(out.data(), size);
    io.close();
    if (got != size) return std::nullopt;
    return out;
}

}  // namespace platform
