#pragma once
// Bindings of controls to values of other objects (the settings above all): what a control needs to push a
// value the user gave it back into the bound object, through an optional value transformer, and to show the
// bound value to begin with and whenever it changes.

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/user_defaults.h"
#include "platform/foundation/value.h"

namespace platform {

// Turns a bound value into what the control shows, and (when allowed) back.
class ValueTransformer {
 public:
  virtual ~ValueTransformer() = default;
  virtual bool allowsReverseTransformation() const { return true; }
  virtual Value transformedValue(const Value& value) const = 0;
  virtual Value reverseTransformedValue(const Value& value) const { return transformedValue(value); }

  // Transformers by name; "NSNegateBoolean" is always there. Null for an unknown name.
  static std::shared_ptr<ValueTransformer> valueTransformerForName(const std::string& name);
  static void setValueTransformer(std::shared_ptr<ValueTransformer> transformer, const std::string& name);
};

// An object whose values are reached by key paths.
class KeyValueObject {
 public:
  using Observer = std::function<void(const Value& newValue)>;
  virtual ~KeyValueObject() = default;
  virtual Value valueForKeyPath(const std::string& keyPath) const = 0;
  virtual void setValueForKeyPath(const Value& value, const std::string& keyPath) = 0;
  // Calls `observer` after each change of the value at the key path, until removeObserver with the same two.
  virtual void addObserver(const void* owner, const std::string& keyPath, Observer observer) = 0;
  virtual void removeObserver(const void* owner, const std::string& keyPath) = 0;
};

// The settings as a bindable object: key path "values.<key>" is the setting <key>.
class UserDefaultsController : public KeyValueObject {
 public:
  explicit UserDefaultsController(UserDefaults& defaults) : defaults_(defaults) {}
  static std::shared_ptr<UserDefaultsController> sharedUserDefaultsController();

  Value valueForKeyPath(const std::string& keyPath) const override;
  void setValueForKeyPath(const Value& value, const std::string& keyPath) override;
  void addObserver(const void* owner, const std::string& keyPath, Observer observer) override;
  void removeObserver(const void* owner, const std::string& keyPath) override;

 private:
  static std::string keyOf(const std::string& keyPath);
  UserDefaults& defaults_;
};

struct BindingOptions {
  std::shared_ptr<ValueTransformer> valueTransformer;  // wins over the name when set
  std::string valueTransformerName;
};

// What a binding was made with. Either of the observed object and key path may be missing.
struct BindingInfo {
  BindingInfo() = default;
  BindingInfo(std::shared_ptr<KeyValueObject> object, std::string keyPath,
              std::optional<BindingOptions> bindingOptions = std::nullopt)
      : observedObject(std::move(object)), observedKeyPath(std::move(keyPath)), options(std::move(bindingOptions)) {}

  std::shared_ptr<KeyValueObject> observedObject;
  std::string observedKeyPath;
  std::optional<BindingOptions> options;
};

// The bindings of one control, by binding name.
class Bindings {
 public:
  ~Bindings();
  // Binds and shows the bound value at once and after each change through `show` (given the transformed value).
  // `show` runs on the main thread only: a change made on another thread is shown at the main loop's next turn,
  // with the value the bound object holds by then, and not at all once the binding has ended.
  void bind(const std::string& binding, BindingInfo info, std::function<void(const Value&)> show);
  void unbind(const std::string& binding);
  std::optional<BindingInfo> infoForBinding(const std::string& binding) const;
  // Shows the bound value again (a control whose items changed selects from the new ones). Main thread.
  void refresh(const std::string& binding) const;

  // Pushes a value the user gave the control into the bound object (reverse-transformed when a transformer
  // allows it). Problems are logged with `operation` named; an unbound name does nothing.
  void propagateValue(const Value& value, const std::string& binding, const char* operation) const;

 private:
  struct Entry {
    BindingInfo info;
    // Cleared when the binding ends, so that a show still on its way to the main thread is dropped.
    std::shared_ptr<std::atomic<bool>> live;
    std::function<void(const Value&)> present;  // shows a bound value (transformed); empty without one to show
  };
  void end(Entry& entry);
  std::map<std::string, Entry> bindings_;
};

// The value transformer a binding's options name, or null.
std::shared_ptr<ValueTransformer> transformerOf(const BindingInfo& info);

}  // namespace platform
