// vorlaxent-devicesim: the stand-in device on 127.0.0.1, for the demo and for manual use.
//   vorlaxent-devicesim [--port N] [--camera canon|nikon|sony|fuji] [--announce]
// --announce also answers discovery queries on the mDNS group (224.0.0.251:5353), naming 127.0.0.1 and the port.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "devicesim/automation_device.h"
#include "devicesim/camera_factory.h"
#include "devicesim/device.h"
#include "devicesim/device_commands.h"
#include "devicesim/fuji_camera.h"
#include "devicesim/sony_camera.h"
#include "devicesim/mdns_responder.h"
#include "devicesim/tripod_head.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

void onSignal(int) { gStop = 1; }

int usage(const char* why) {
    if (why) std::fprintf(stderr, "vorlaxent-devicesim: %s\n", why);
    std::fprintf(stderr, "usage: vorlaxent-devicesim [--port N] [--camera canon|nikon|sony|fuji] [--announce]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    long port = 8382;
    std::string vendor;
    bool announce = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--port" || arg == "--camera") && i + 1 >= argc) return usage("missing value");
        if (arg == "--port") {
            char* end = nullptr;
            port = std::strtol(argv[++i], &end, 10);
            if (!end || *end != '\0' || port < 0 || port > 65535) return usage("bad port");
        } else if (arg == "--camera") {
            vendor = argv[++i];
            if (!devicesim::isCameraVendorName(vendor)) return usage("unknown camera");
        } else if (arg == "--announce") {
            announce = true;
        } else if (arg == "--help" || arg == "-h") {
            std::printf("usage: vorlaxent-devicesim [--port N] [--camera canon|nikon|sony|fuji] [--announce]\n");
            return 0;
        } else {
            return usage(("unknown argument " + arg).c_str());
        }
    }

    // These outlive the device, whose handlers refer to them. The automation runner goes in after the command set:
    // it takes over the cancel command.
    devicesim::DeviceCommandSet commands;
    devicesim::AutomationDevice automation;
    devicesim::TripodHead tripod;
    devicesim::Device device;
    commands.install(device);
    automation.install(device);
    tripod.install(device);
    if (!vendor.empty()) {
        auto camera = devicesim::makeCamera(vendor);
        if (!camera)
            std::fprintf(stderr, "vorlaxent-devicesim: no simulated %s camera yet; running without one\n",
                         vendor.c_str());
        // A Fujifilm body hands its pictures to the device's card.
        if (auto fuji = std::dynamic_pointer_cast<devicesim::FujiCamera>(camera)) fuji->useCard(commands.cardPointer());
        // A Sony body's pictures go onto the device's own card.
        if (auto sony = std::dynamic_pointer_cast<devicesim::SonyCamera>(camera)) sony->setCard(commands.cardPointer());
        device.setCamera(camera);
    }
    if (!device.start(static_cast<uint16_t>(port))) {
        std::fprintf(stderr, "vorlaxent-devicesim: cannot listen on 127.0.0.1:%ld: %s\n", port,
                     std::strerror(errno));
        return 1;
    }
    // The device listens on the loopback only, so it announces itself there: discovery on this computer finds it.
    devicesim::MdnsAnnouncement announcement;
    announcement.address = "127.0.0.1";
    announcement.port = device.port();
    devicesim::MdnsResponder responder(announcement);
    if (announce && !responder.startMulticast()) {
        std::fprintf(stderr, "vorlaxent-devicesim: cannot answer on 224.0.0.251:5353: %s\n", std::strerror(errno));
        return 1;
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::printf("vorlaxent-devicesim listening on 127.0.0.1:%u\n", device.port());
    if (announce)
        std::printf("announced as \"%s\" (_vorlaxent._tcp.local) on 224.0.0.251:5353\n",
                    announcement.instanceName.c_str());
    std::fflush(stdout);
    while (!gStop) ::pause();
    responder.stop();
    automation.stop();  // a sequence still running reports to the device: it ends first
    device.stop();
    return 0;
}
