#include "platform/ui/binding.h"

#include <mutex>

#include "platform/foundation/dispatch.h"
#include "platform/foundation/system_log.h"

namespace platform {

namespace {

class NegateBoolean final : public ValueTransformer {
 public:
  Value transformedValue(const Value& value) const override { return Value(!value.toBool()); }
};

struct TransformerRegistry {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<ValueTransformer>> byName{
      {"NSNegateBoolean", std::make_shared<NegateBoolean>()}};
};

TransformerRegistry& registry() {
  static TransformerRegistry r;
  return r;
}

}  // namespace

std::shared_ptr<ValueTransformer> ValueTransformer::valueTransformerForName(const std::string& name) {
  std::lock_guard<std::mutex> lock(registry().mutex);
  auto it = registry().byName.find(name);
  return it == registry().byName.end() ? nullptr : it->second;
}

void ValueTransformer::setValueTransformer(std::shared_ptr<ValueTransformer> transformer, const std::string& name) {
  std::lock_guard<std::mutex> lock(registry().mutex);
  if (transformer) registry().byName[name] = std::move(transformer);
  else registry().byName.erase(name);
}

// --- settings ---

std::shared_ptr<UserDefaultsController> UserDefaultsController::sharedUserDefaultsController() {
  static auto shared = std::make_shared<UserDefaultsController>(UserDefaults::standardUserDefaults());
  return shared;
}

std::string UserDefaultsController::keyOf(const std::string& keyPath) {
  static const std::string prefix = "values.";
  return keyPath.rfind(prefix, 0) == 0 ? keyPath.substr(prefix.size()) : keyPath;
}

Value UserDefaultsController::valueForKeyPath(const std::string& keyPath) const {
  return defaults_.objectForKey(keyOf(keyPath));
}

void UserDefaultsController::setValueForKeyPath(const Value& value, const std::string& keyPath) {
  defaults_.setObject(value, keyOf(keyPath));
}

void UserDefaultsController::addObserver(const void* owner, const std::string& keyPath, Observer observer) {
  defaults_.addObserver(owner, keyOf(keyPath),
                        [observer = std::move(observer)](const std::string&, const Value& v) { observer(v); });
}

void UserDefaultsController::removeObserver(const void* owner, const std::string& keyPath) {
  defaults_.removeObserver(owner, keyOf(keyPath));
}

// --- bindings of a control ---

std::shared_ptr<ValueTransformer> transformerOf(const BindingInfo& info) {
  if (!info.options) return nullptr;
  if (info.options->valueTransformer) return info.options->valueTransformer;
  if (info.options->valueTransformerName.empty()) return nullptr;
  return ValueTransformer::valueTransformerForName(info.options->valueTransformerName);
}

Bindings::~Bindings() {
  for (auto& [name, entry] : bindings_) end(entry);
}

void Bindings::end(Entry& entry) {
  entry.live->store(false);
  if (entry.info.observedObject) entry.info.observedObject->removeObserver(this, entry.info.observedKeyPath);
}

void Bindings::bind(const std::string& binding, BindingInfo info, std::function<void(const Value&)> show) {
  unbind(binding);
  auto live = std::make_shared<std::atomic<bool>>(true);
  bindings_[binding] = Entry{info, live, {}};
  if (!info.observedObject || info.observedKeyPath.empty() || !show) return;
  auto transformer = transformerOf(info);
  auto present = [transformer, show, live](const Value& v) {
    if (live->load()) show(transformer ? transformer->transformedValue(v) : v);
  };
  bindings_[binding].present = present;
  // Settings and other bound objects tell their observers on the thread that wrote; controls live on the main
  // thread. The hop reads the value afresh: changes from several threads may reach it out of order.
  std::weak_ptr<KeyValueObject> object = info.observedObject;
  const std::string keyPath = info.observedKeyPath;
  info.observedObject->addObserver(this, keyPath, [present, object, keyPath, live](const Value& v) {
    if (isMainThread()) {
      present(v);
      return;
    }
    runOnMainThread([present, object, keyPath, live] {
      auto strong = object.lock();
      if (strong && live->load()) present(strong->valueForKeyPath(keyPath));
    });
  });
  present(info.observedObject->valueForKeyPath(info.observedKeyPath));
}

void Bindings::unbind(const std::string& binding) {
  auto it = bindings_.find(binding);
  if (it == bindings_.end()) return;
  end(it->second);
  bindings_.erase(it);
}

void Bindings::refresh(const std::string& binding) const {
  auto it = bindings_.find(binding);
  if (it == bindings_.end() || !it->second.present || !it->second.info.observedObject) return;
  it->second.present(it->second.info.observedObject->valueForKeyPath(it->second.info.observedKeyPath));
}

std::optional<BindingInfo> Bindings::infoForBinding(const std::string& binding) const {
  auto it = bindings_.find(binding);
  if (it == bindings_.end()) return std::nullopt;
  return it->second.info;
}

void Bindings::propagateValue(const Value& value, const std::string& binding, const char* operation) const {
  const std::optional<BindingInfo> info = infoForBinding(binding);
  if (!info) return;
  Value v = value;
  if (auto transformer = transformerOf(*info)) {
    if (transformer->allowsReverseTransformation()) {
      v = transformer->reverseTransformedValue(v);
    } else {
      systemLogf(LogLevel::Warning,
                 "WARNING: binding \"%s\" has value transformer, but it doesn't allow reverse transformations in %s",
                 binding.c_str(), operation);
    }
  }
  if (!info->observedObject) {
    systemLogf(LogLevel::Error, "ERROR: NSObservedObjectKey was nil for binding \"%s\" in %s", binding.c_str(),
               operation);
    return;
  }
  if (info->observedKeyPath.empty()) {
    systemLogf(LogLevel::Error, "ERROR: NSObservedKeyPathKey was nil for binding \"%s\" in %s", binding.c_str(),
               operation);
    return;
  }
  info->observedObject->setValueForKeyPath(v, info->observedKeyPath);
}

}  // namespace platform
