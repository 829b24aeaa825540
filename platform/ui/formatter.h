#pragma once
// Formatters of text fields: how a value is shown as text and how typed text becomes a value, with a reason when
// it cannot. A field with a formatter shows its value through it; at the end of an edit the typed text must pass
// the formatter, else the field shows an alert with the refusal's description and goes back to its old value.
//
//   auto minutes = std::make_shared<platform::NumberFormatter>();
//   minutes->setAllowsFloats(false);               // whole numbers only
//   minutes->setMinimum(0);
//   minutes->setMaximum(59);
//   minutes->setFormat("%02d");                    // 7 shows as "07"
//   platform::setFormatter(oMinutesField, minutes);
//   platform::bind(oMinutesField, "value", {properties, "initialDelayMinutes"});   // numbers, not texts
//
// Main thread only (fields live there); formatters themselves hold no state beyond their settings.
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "platform/foundation/value.h"

class QLineEdit;

namespace platform {

class Formatter {
 public:
  virtual ~Formatter() = default;
  // The text that shows `value`, or nothing for a value this formatter does not show.
  virtual std::optional<QString> stringForObjectValue(const Value& value) const = 0;
  // The value of `string` in `*value` and true; false with a description of why not in `*errorDescription`.
  virtual bool getObjectValue(Value* value, const QString& string, QString* errorDescription) const = 0;
};

// Numbers within an optional minimum and maximum, whole (integers, in the range of an int) or not. Shown through a
// printf-style format for one number ("%d" for whole numbers and "%g" otherwise unless set: "%02d", "%.1f").
// Text is read as one number with nothing else but spaces around it; refusals read "Could not convert to
// integer." (or "... to number."), "Value must be N or greater.", "Value must be N or less.".
class NumberFormatter : public Formatter {
 public:
  std::optional<double> minimum() const { return minimum_; }
  void setMinimum(std::optional<double> minimum) { minimum_ = minimum; }
  std::optional<double> maximum() const { return maximum_; }
  void setMaximum(std::optional<double> maximum) { maximum_ = maximum; }
  bool allowsFloats() const { return allowsFloats_; }
  void setAllowsFloats(bool allows) { allowsFloats_ = allows; }
  // The caller's format must take exactly one int (whole numbers) or one double.
  const QString& format() const { return format_; }
  void setFormat(QString format) { format_ = std::move(format); }

  std::optional<QString> stringForObjectValue(const Value& value) const override;
  bool getObjectValue(Value* value, const QString& string, QString* errorDescription) const override;

 private:
  std::optional<double> minimum_, maximum_;
  bool allowsFloats_ = true;
  QString format_;
};

// Gives the field a formatter (null removes it); the field shows its value through it from now on.
void setFormatter(QLineEdit* field, std::shared_ptr<Formatter> formatter);
std::shared_ptr<Formatter> formatterOf(const QLineEdit* field);

// The field's value: the last value its formatter accepted or was given (the text without a formatter).
Value objectValue(const QLineEdit* field);
// Shows a value in the field (through its formatter; as text without one, or when the formatter does not show it).
// Clears the user's modified flag.
void setObjectValue(QLineEdit* field, const Value& value);

// Runs `handler` with the field's new value whenever the user ends an edit that changed the text and that the
// formatter (if any) accepts. One handler per field (the value binding sets it); null removes it.
void setFieldCommitHandler(QLineEdit* field, std::function<void(const Value&)> handler);

}  // namespace platform
