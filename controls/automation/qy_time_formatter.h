#pragma once
// The formatter of the timer panel's two-digit minute and second fields: a number shows as "%02d" of its whole
// part, and typed text must be one whole number (spaces around it allowed) within the field's bounds. The bounds
// come from the interface file (the field's "minValue" and "maxValue"); a bound the file leaves out does not
// limit. Refusals read "Could not convert to integer.", "Value must be N or greater.", "Value must be N or less.".
#include <optional>

#include "platform/ui/formatter.h"

class QLineEdit;

class QY_TimeFormatter : public platform::Formatter {
 public:
  std::optional<int> minValue() const { return minValue_; }
  void setMinValue(std::optional<int> value) { minValue_ = value; }
  std::optional<int> maxValue() const { return maxValue_; }
  void setMaxValue(std::optional<int> value) { maxValue_ = value; }

  std::optional<QString> stringForObjectValue(const platform::Value& value) const override;
  bool getObjectValue(platform::Value* value, const QString& string, QString* errorDescription) const override;

  // Gives the field a formatter with the bounds its interface file sets on it.
  static void attachTo(QLineEdit* field);

 private:
  std::optional<int> minValue_, maxValue_;
};
