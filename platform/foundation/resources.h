#pragma once
// The application's bundled resources (compiled in as Qt resources under ":/") and its documents folder.
#include <optional>
#include <string>

#include "platform/foundation/value.h"

namespace platform {

// ":/<name>.<type>" (":/<name>" for an empty type); `name` may contain a folder ("images/AFIcon").
std::string resourcePath(const std::string& name, const std::string& type);
bool resourceExists(const std::string& name, const std::string& type);
// The resource's bytes, or nullopt when there is none.
std::optional<Data> resourceData(const std::string& name, const std::string& type);

// The application's documents folder (QStandardPaths::AppDataLocation), created when missing. Empty when it
// cannot be created.
std::string documentsFolder();

}  // namespace platform
