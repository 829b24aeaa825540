#pragma once
// The settings as the settings window's controls are bound to them. The key path "values.<key>" is the setting
// <key>, read and observed as it is; but what the user gives a control goes to the window's writer instead of
// straight into the settings, so that the window can check the value, refuse it, and pass a stored change on to
// the device. After each write the controls bound to that key are shown what the setting holds by then: a
// refused value gives way to the kept one at once.
//
// Changes made elsewhere (the session putting a setting back after the device refused it) reach the controls
// as for any binding, and never the writer: only the user's own changes are passed on.
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "platform/foundation/user_defaults.h"
#include "platform/ui/binding.h"

class SettingsWindowValues : public platform::KeyValueObject {
 public:
  using Writer = std::function<void(const std::string& key, const platform::Value& value)>;

  SettingsWindowValues(platform::UserDefaults& defaults, Writer writer);
  ~SettingsWindowValues() override;

  platform::Value valueForKeyPath(const std::string& keyPath) const override;
  // A control's write (main thread): to the writer, then the key's controls are shown the setting.
  void setValueForKeyPath(const platform::Value& value, const std::string& keyPath) override;
  void addObserver(const void* owner, const std::string& keyPath, Observer observer) override;
  void removeObserver(const void* owner, const std::string& keyPath) override;

  // Writes no longer reach the writer (its window is going). Main thread.
  void detach() { writer_ = nullptr; }

  static std::string keyOf(const std::string& keyPath);

 private:
  // Shows every control bound to `key` the setting's value (main thread).
  void retell(const std::string& key);

  platform::UserDefaults& defaults_;
  Writer writer_;
  mutable std::mutex mutex_;
  std::map<std::pair<const void*, std::string>, Observer> observers_;  // by owner and key
};
