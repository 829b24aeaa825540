#include "platform/ui/observable_properties.h"

#include <vector>

namespace platform {

Value ObservableProperties::valueForKeyPath(const std::string& key) const {
  std::lock_guard lock(mutex_);
  auto it = values_.find(key);
  return it == values_.end() ? Value() : it->second;
}

void ObservableProperties::setValueForKeyPath(const Value& value, const std::string& key) {
  std::function<void(const Value&)> setter;
  Value before;
  {
    std::lock_guard lock(mutex_);
    auto it = setters_.find(key);
    if (it != setters_.end()) setter = it->second;
    before = values_[key];
  }
  if (!setter) {
    set(key, value);
    return;
  }
  setter(value);
  // A setter that kept the old value told nobody: the control that wrote learns the value held.
  const Value after = valueForKeyPath(key);
  if (after == before) tell(key, after);
}

void ObservableProperties::set(const std::string& key, const Value& value) {
  {
    std::lock_guard lock(mutex_);
    values_[key] = value;
  }
  tell(key, value);
}

void ObservableProperties::tell(const std::string& key, const Value& value) {
  std::vector<Observer> observers;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [ownerKey, observer] : observers_) {
      if (ownerKey.second == key) observers.push_back(observer);
    }
  }
  for (const Observer& o : observers) o(value);
}

void ObservableProperties::setSetter(const std::string& key, std::function<void(const Value&)> setter) {
  std::lock_guard lock(mutex_);
  if (setter) setters_[key] = std::move(setter);
  else setters_.erase(key);
}

void ObservableProperties::addObserver(const void* owner, const std::string& key, Observer observer) {
  std::lock_guard lock(mutex_);
  observers_[{owner, key}] = std::move(observer);
}

void ObservableProperties::removeObserver(const void* owner, const std::string& key) {
  std::lock_guard lock(mutex_);
  observers_.erase({owner, key});
}

}  // namespace platform
