#include "app/windows/settings_window_values.h"

#include <vector>

SettingsWindowValues::SettingsWindowValues(platform::UserDefaults& defaults, Writer writer)
    : defaults_(defaults), writer_(std::move(writer)) {}

SettingsWindowValues::~SettingsWindowValues() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [registration, observer] : observers_) defaults_.removeObserver(registration.first, registration.second);
}

std::string SettingsWindowValues::keyOf(const std::string& keyPath) {
  static const std::string prefix = "values.";
  return keyPath.rfind(prefix, 0) == 0 ? keyPath.substr(prefix.size()) : keyPath;
}

platform::Value SettingsWindowValues::valueForKeyPath(const std::string& keyPath) const {
  return defaults_.objectForKey(keyOf(keyPath));
}

void SettingsWindowValues::setValueForKeyPath(const platform::Value& value, const std::string& keyPath) {
  const std::string key = keyOf(keyPath);
  if (writer_) writer_(key, value);
  retell(key);
}

void SettingsWindowValues::addObserver(const void* owner, const std::string& keyPath, Observer observer) {
  const std::string key = keyOf(keyPath);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    observers_[{owner, key}] = observer;
  }
  defaults_.addObserver(owner, key, [observer = std::move(observer)](const std::string&, const platform::Value& v) {
    observer(v);
  });
}

void SettingsWindowValues::removeObserver(const void* owner, const std::string& keyPath) {
  const std::string key = keyOf(keyPath);
  defaults_.removeObserver(owner, key);
  std::lock_guard<std::mutex> lock(mutex_);
  observers_.erase({owner, key});
}

void SettingsWindowValues::retell(const std::string& key) {
  std::vector<Observer> told;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& [registration, observer] : observers_)
      if (registration.second == key) told.push_back(observer);
  }
  const platform::Value value = defaults_.objectForKey(key);
  for (const Observer& observer : told) observer(value);
}
