#pragma once
// A controller's own bindable properties: the values behind its controls ("tripodSpeed", "numberShots",
// "feedbackPercent", "isBulbEnabled"...), each under its key, that controls bind to (control_binding.h) as they
// bind to settings. Setting a property from any thread tells its observers on that thread; the controls bound to
// it show the new value on the main thread.
//
//   class QY_TripodViewController : public platform::ViewController {
//     std::shared_ptr<platform::ObservableProperties> properties_ = platform::ObservableProperties::make();
//     platform::ObservableProperty<int> tripodSpeed_{properties_, "tripodSpeed", 0};
//    public:
//     int tripodSpeed() const { return tripodSpeed_.get(); }
//     void setTripodSpeed(int s) { ...; tripodSpeed_.set(s); }              // any thread
//    protected:
//     void viewDidLoad() override {
//       tripodSpeed_.setSetter([this](int s) { setTripodSpeed(s); });      // the slider's moves go through it
//       platform::bind(outlet<QSlider>("oTripodSpeedSlider"), "value", {properties_, "tripodSpeed"});
//     }
//   };
//
// A write through a binding runs the property's setter when it has one (else stores the value); afterwards the
// controls learn what the property holds, so one whose change the setter refused shows the kept value again.
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/foundation/value.h"
#include "platform/ui/binding.h"

namespace platform {

class ObservableProperties : public KeyValueObject {
 public:
  static std::shared_ptr<ObservableProperties> make() { return std::make_shared<ObservableProperties>(); }

  Value valueForKeyPath(const std::string& key) const override;
  // A write from a control: through the key's setter when it has one (see above), else stored.
  void setValueForKeyPath(const Value& value, const std::string& key) override;
  void addObserver(const void* owner, const std::string& key, Observer observer) override;
  void removeObserver(const void* owner, const std::string& key) override;

  // Stores the value and tells the key's observers (on the calling thread). Any thread.
  void set(const std::string& key, const Value& value);
  // What a control's write runs instead of storing (null: store). Set and cleared on the main thread.
  void setSetter(const std::string& key, std::function<void(const Value&)> setter);

 private:
  void tell(const std::string& key, const Value& value);

  mutable std::mutex mutex_;
  std::map<std::string, Value> values_;
  std::map<std::string, std::function<void(const Value&)>> setters_;
  std::map<std::pair<const void*, std::string>, Observer> observers_;
};

// The conversion of a property's type from a value (numbers, booleans, texts, or values as they are).
template <class T>
T valueAs(const Value& v) {
  if constexpr (std::is_same_v<T, bool>) return v.toBool();
  else if constexpr (std::is_integral_v<T>) return static_cast<T>(v.toInteger());
  else if constexpr (std::is_floating_point_v<T>) return static_cast<T>(v.toDouble());
  else if constexpr (std::is_same_v<T, std::string>) return v.toString();
  else return T(v);
}

// One typed property of an ObservableProperties, declared as a member of the controller that owns it.
template <class T>
class ObservableProperty {
 public:
  ObservableProperty(std::shared_ptr<ObservableProperties> owner, std::string key, T initial = T{})
      : owner_(std::move(owner)), key_(std::move(key)) {
    owner_->set(key_, Value(initial));
  }
  // The controller is going: a control's write no longer reaches its setter (the value stays readable).
  ~ObservableProperty() { owner_->setSetter(key_, nullptr); }
  ObservableProperty(const ObservableProperty&) = delete;
  ObservableProperty& operator=(const ObservableProperty&) = delete;

  T get() const { return valueAs<T>(owner_->valueForKeyPath(key_)); }
  void set(const T& value) { owner_->set(key_, Value(value)); }
  void setSetter(std::function<void(T)> setter) {
    if (!setter) {
      owner_->setSetter(key_, nullptr);
      return;
    }
    owner_->setSetter(key_, [setter = std::move(setter)](const Value& v) { setter(valueAs<T>(v)); });
  }
  const std::string& key() const { return key_; }

 private:
  std::shared_ptr<ObservableProperties> owner_;
  std::string key_;
};

}  // namespace platform
