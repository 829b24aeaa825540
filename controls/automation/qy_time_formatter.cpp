#include "controls/automation/qy_time_formatter.h"

#include <QLineEdit>
#include <QVariant>
#include <limits>
#include <memory>

std::optional<QString> QY_TimeFormatter::stringForObjectValue(const platform::Value& value) const {
  if (!value.isNumber()) return std::nullopt;
  return QString::asprintf("%02d", static_cast<int>(value.toInteger()));
}

bool QY_TimeFormatter::getObjectValue(platform::Value* value, const QString& string, QString* errorDescription) const {
  const auto refuse = [errorDescription](const QString& why) {
    if (errorDescription) *errorDescription = why;
    return false;
  };
  bool ok = false;
  const qlonglong typed = string.trimmed().toLongLong(&ok, 10);
  if (!ok || typed < std::numeric_limits<int>::min() || typed > std::numeric_limits<int>::max())
    return refuse(QStringLiteral("Could not convert to integer."));
  const int number = static_cast<int>(typed);
  if (minValue_ && number < *minValue_) return refuse(QString::asprintf("Value must be %d or greater.", *minValue_));
  if (maxValue_ && number > *maxValue_) return refuse(QString::asprintf("Value must be %d or less.", *maxValue_));
  if (value) *value = platform::Value(int64_t{number});
  return true;
}

void QY_TimeFormatter::attachTo(QLineEdit* field) {
  if (!field) return;
  auto formatter = std::make_shared<QY_TimeFormatter>();
  const auto bound = [field](const char* name) -> std::optional<int> {
    const QVariant v = field->property(name);
    bool ok = false;
    const int n = v.toInt(&ok);
    return v.isValid() && ok ? std::optional<int>(n) : std::nullopt;
  };
  formatter->setMinValue(bound("minValue"));
  formatter->setMaxValue(bound("maxValue"));
  platform::setFormatter(field, std::move(formatter));
}
