#include "platform/ui/formatter.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QPointer>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "platform/ui/alert.h"

namespace platform {

namespace {

constexpr const char* kEditorName = "vxFieldEditor";

// The edit cycle of one field: what it shows, the value it last accepted, and what happens at the end of an edit.
class FieldEditor : public QObject {
 public:
  explicit FieldEditor(QLineEdit* field) : QObject(field), value(field->text().toStdString()), field_(field) {
    setObjectName(kEditorName);
    connect(field, &QLineEdit::editingFinished, this, [this] { commit(); });
  }

  std::shared_ptr<Formatter> formatter;
  std::function<void(const Value&)> handler;
  Value value;

  QString textOf(const Value& v) const {
    if (formatter) {
      if (std::optional<QString> text = formatter->stringForObjectValue(v)) return *text;
    }
    return QString::fromStdString(v.toString());
  }

  void show(const Value& v) {
    value = v;
    field_->setText(textOf(v));  // also clears the modified flag
  }

 private:
  void commit() {
    // Leaving a field the user did not change does nothing (also while the refusal's alert takes the focus).
    if (!field_->isModified() || refusing_) return;
    field_->setModified(false);
    Value typed(field_->text().toStdString());
    if (formatter) {
      QString why;
      if (!formatter->getObjectValue(&typed, field_->text(), &why)) {
        refuse(why);
        return;
      }
    }
    show(typed);
    if (handler) handler(typed);
  }

  void refuse(const QString& why) {
    field_->setText(textOf(value));  // the old value stays
    refusing_ = true;
    Alert alert;
    alert.setMessageText(why);
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.runModal();
    refusing_ = false;
    if (field_) {
      field_->setFocus();
      field_->selectAll();
    }
  }

  QPointer<QLineEdit> field_;
  bool refusing_ = false;
};

FieldEditor* editorOf(const QLineEdit* field) {
  return field ? field->findChild<FieldEditor*>(kEditorName, Qt::FindDirectChildrenOnly) : nullptr;
}

FieldEditor& ensureEditor(QLineEdit* field) {
  if (FieldEditor* e = editorOf(field)) return *e;
  return *new FieldEditor(field);
}

// The C library's formatting, as the caller's printf-style format means it.
QString formatted(const QString& format, const char* fallback, auto number) {
  const QByteArray f = format.isEmpty() ? QByteArray(fallback) : format.toUtf8();
  char text[128];
  std::snprintf(text, sizeof text, f.constData(), number);
  return QString::fromUtf8(text);
}

}  // namespace

std::optional<QString> NumberFormatter::stringForObjectValue(const Value& value) const {
  if (!value.isNumber()) return std::nullopt;
  if (!allowsFloats_) {
    const int64_t n = std::clamp<int64_t>(value.toInteger(), INT_MIN, INT_MAX);
    return formatted(format_, "%d", int(n));
  }
  return formatted(format_, "%g", value.toDouble());
}

bool NumberFormatter::getObjectValue(Value* value, const QString& string, QString* errorDescription) const {
  auto refuse = [errorDescription](const QString& why) {
    if (errorDescription) *errorDescription = why;
    return false;
  };
  const QString text = string.trimmed();
  double number = 0;
  if (!allowsFloats_) {
    static const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]+$"));
    bool ok = false;
    const qlonglong n = wholeNumber.match(text).hasMatch() ? text.toLongLong(&ok) : 0;
    if (!ok || n < INT_MIN || n > INT_MAX) return refuse(QStringLiteral("Could not convert to integer."));
    number = double(n);
  } else {
    bool ok = false;
    number = text.toDouble(&ok);
    if (!ok || !std::isfinite(number)) return refuse(QStringLiteral("Could not convert to number."));
  }
  auto bound = [this](double limit) {
    return allowsFloats_ ? QString::number(limit, 'g', 15) : QString::number(qlonglong(limit));
  };
  if (minimum_ && number < *minimum_) return refuse(QStringLiteral("Value must be %1 or greater.").arg(bound(*minimum_)));
  if (maximum_ && number > *maximum_) return refuse(QStringLiteral("Value must be %1 or less.").arg(bound(*maximum_)));
  if (value) *value = allowsFloats_ ? Value(number) : Value(int64_t(number));
  return true;
}

void setFormatter(QLineEdit* field, std::shared_ptr<Formatter> formatter) {
  if (!field) return;
  FieldEditor& editor = ensureEditor(field);
  editor.formatter = std::move(formatter);
  editor.show(editor.value);
}

std::shared_ptr<Formatter> formatterOf(const QLineEdit* field) {
  FieldEditor* e = editorOf(field);
  return e ? e->formatter : nullptr;
}

Value objectValue(const QLineEdit* field) {
  if (FieldEditor* e = editorOf(field)) return e->value;
  return field ? Value(field->text().toStdString()) : Value();
}

void setObjectValue(QLineEdit* field, const Value& value) {
  if (field) ensureEditor(field).show(value);
}

void setFieldCommitHandler(QLineEdit* field, std::function<void(const Value&)> handler) {
  if (field) ensureEditor(field).handler = std::move(handler);
}

}  // namespace platform
