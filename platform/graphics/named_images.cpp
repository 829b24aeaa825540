#include "platform/graphics/named_images.h"

#include <map>
#include <mutex>

namespace platform {

namespace {

struct Registry {
  std::mutex mutex;
  std::map<std::string, NamedImageProvider> providers;
};

// Made on first use, so that registrations from static initialisers of other files find it ready.
Registry& registry() {
  static Registry* const r = new Registry;  // never destroyed: registrations may come until exit
  return *r;
}

}  // namespace

bool registerImageNamed(const std::string& name, NamedImageProvider provider) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  r.providers[name] = std::move(provider);
  return true;
}

Image imageNamed(const std::string& name) {
  NamedImageProvider provider;
  {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.providers.find(name);
    if (it == r.providers.end()) return {};
    provider = it->second;
  }
  return provider ? provider() : Image();  // made outside the lock: a provider may look up other names
}

std::vector<std::string> registeredImageNames() {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  std::vector<std::string> names;
  for (const auto& entry : r.providers) names.push_back(entry.first);
  return names;
}

}  // namespace platform
