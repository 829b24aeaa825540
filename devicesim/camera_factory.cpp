#include "devicesim/camera_factory.h"

#include <algorithm>

#include "devicesim/canon_camera.h"
#include "devicesim/fuji_camera.h"
#include "devicesim/nikon_camera.h"
#include "devicesim/sony_camera.h"

namespace devicesim {

const std::vector<std::string>& cameraVendorNames() {
    static const std::vector<std::string> names = {"canon", "nikon", "sony", "fuji"};
    return names;
}

bool isCameraVendorName(const std::string& name) {
    const auto& names = cameraVendorNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::shared_ptr<Camera> makeCamera(const std::string& vendor) {
    if (vendor == "canon") return makeCanonCamera();
    if (vendor == "nikon") return makeNikonCamera();
    if (vendor == "fuji") return makeFujiCamera();
    if (vendor == "sony") return makeSonyCamera();
    return nullptr;  // each vendor's simulated camera is added here as it is built
}

}  // namespace devicesim
