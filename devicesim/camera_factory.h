#pragma once
// The simulated cameras the stand-in device can be started with, by vendor name.
#include <memory>
#include <string>
#include <vector>

#include "devicesim/camera.h"

namespace devicesim {

// The vendor names accepted on the command line: canon, nikon, sony, fuji.
const std::vector<std::string>& cameraVendorNames();
bool isCameraVendorName(const std::string& name);
// A new camera of that vendor, or null while that vendor's camera is not simulated yet.
std::shared_ptr<Camera> makeCamera(const std::string& vendor);

}  // namespace devicesim
