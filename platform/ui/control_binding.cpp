#include "platform/ui/control_binding.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>
#include <map>

#include "platform/foundation/system_log.h"
#include "platform/ui/formatter.h"

namespace platform {

namespace {

constexpr const char* kHolderName = "vxBindings";

// Holds a control's bindings as its child, so that they end with it, and one connection context per binding,
// so that binding a name again drops the user-action connections of the binding it replaces.
class BindingHolder : public QObject {
 public:
  explicit BindingHolder(QWidget* control) : QObject(control) { setObjectName(kHolderName); }
  Bindings bindings;

  QObject* freshContext(const std::string& binding) {
    dropContext(binding);
    auto* context = new QObject(this);
    contexts_[binding] = context;
    return context;
  }
  void dropContext(const std::string& binding) {
    auto it = contexts_.find(binding);
    if (it == contexts_.end()) return;
    delete it->second;
    contexts_.erase(it);
  }
  // What the user gave the control goes to the bound object.
  auto writer(const std::string& binding) {
    return [this, binding](const Value& v) { bindings.propagateValue(v, binding, "bind"); };
  }

 private:
  std::map<std::string, QObject*> contexts_;
};

BindingHolder* holderOf(const QWidget* control) {
  return control ? control->findChild<BindingHolder*>(kHolderName, Qt::FindDirectChildrenOnly) : nullptr;
}

BindingHolder& ensureHolder(QWidget* control) {
  if (BindingHolder* h = holderOf(control)) return *h;
  return *new BindingHolder(control);
}

QString textOf(const Value& v) { return QString::fromStdString(v.toString()); }

int wholeNumber(const Value& v, int lo, int hi) {
  const double x = v.toDouble();
  if (!std::isfinite(x)) return lo;
  return int(std::clamp<double>(std::round(x), lo, hi));
}

// A bar's position for a bound number (see the header).
int progressPosition(const QProgressBar* bar, const Value& v) {
  const QVariant from = bar->property("minValue"), to = bar->property("maxValue");
  double x = v.toDouble();
  if (to.isValid()) {
    const double a = from.isValid() ? from.toDouble() : 0.0, b = to.toDouble();
    if (b != a) x = bar->minimum() + (x - a) / (b - a) * (bar->maximum() - bar->minimum());
  }
  return wholeNumber(Value(x), bar->minimum(), bar->maximum());
}

bool bindValueOf(QWidget* control, BindingHolder& holder, QObject* context, BindingInfo info) {
  Bindings& b = holder.bindings;
  const std::string name = "value";
  auto write = holder.writer(name);
  if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    b.bind(name, std::move(info), [button](const Value& v) {
      const QSignalBlocker quiet(button);
      button->setChecked(v.toBool());
    });
    QObject::connect(button, &QAbstractButton::clicked, context, [button, write] { write(Value(button->isChecked())); });
    return true;
  }
  if (auto* field = qobject_cast<QLineEdit*>(control)) {
    b.bind(name, std::move(info), [field](const Value& v) { setObjectValue(field, v); });
    setFieldCommitHandler(field, write);
    return true;
  }
  if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
    b.bind(name, std::move(info), [slider](const Value& v) {
      const QSignalBlocker quiet(slider);
      slider->setValue(wholeNumber(v, slider->minimum(), slider->maximum()));
    });
    QObject::connect(slider, &QAbstractSlider::valueChanged, context, [write](int position) { write(Value(position)); });
    return true;
  }
  if (auto* combo = qobject_cast<QComboBox*>(control)) {
    b.bind(name, std::move(info), [combo](const Value& v) {
      const QSignalBlocker quiet(combo);
      if (combo->isEditable()) combo->setEditText(textOf(v));
      else combo->setCurrentIndex(combo->findText(textOf(v)));
    });
    QObject::connect(combo, &QComboBox::activated, context, [combo, write] { write(Value(combo->currentText().toStdString())); });
    if (QLineEdit* edit = combo->lineEdit()) {
      QObject::connect(edit, &QLineEdit::editingFinished, context, [combo, edit, write] {
        if (!edit->isModified()) return;
        edit->setModified(false);
        write(Value(combo->currentText().toStdString()));
      });
    }
    return true;
  }
  if (auto* label = qobject_cast<QLabel*>(control)) {
    b.bind(name, std::move(info), [label](const Value& v) { label->setText(textOf(v)); });
    return true;
  }
  if (auto* bar = qobject_cast<QProgressBar*>(control)) {
    b.bind(name, std::move(info), [bar](const Value& v) { bar->setValue(progressPosition(bar, v)); });
    return true;
  }
  return false;
}

}  // namespace

bool bind(QWidget* control, const std::string& binding, BindingInfo info) {
  if (!control) return false;
  BindingHolder& holder = ensureHolder(control);
  QObject* context = holder.freshContext(binding);
  Bindings& b = holder.bindings;
  auto* combo = qobject_cast<QComboBox*>(control);
  bool bound = false;
  if (binding == "value") {
    bound = bindValueOf(control, holder, context, std::move(info));
  } else if (binding == "enabled") {
    b.bind(binding, std::move(info), [control](const Value& v) { control->setEnabled(v.toBool()); });
    bound = true;
  } else if (binding == "hidden") {
    b.bind(binding, std::move(info), [control](const Value& v) { control->setHidden(v.toBool()); });
    bound = true;
  } else if (binding == "selectedIndex" && combo) {
    b.bind(binding, std::move(info), [combo](const Value& v) {
      const QSignalBlocker quiet(combo);
      const int64_t index = v.isNull() ? -1 : v.toInteger();
      combo->setCurrentIndex(index >= 0 && index < combo->count() ? int(index) : -1);
    });
    auto write = holder.writer(binding);
    QObject::connect(combo, &QComboBox::activated, context, [write](int index) { write(Value(index)); });
    bound = true;
  } else if (binding == "content" && combo) {
    b.bind(binding, std::move(info), [combo, &holder](const Value& v) {
      {
        const QSignalBlocker quiet(combo);
        combo->clear();
        for (const Value& item : v.toArray()) combo->addItem(textOf(item));
      }
      // The selection, from the new items.
      holder.bindings.refresh("selectedIndex");
      holder.bindings.refresh("value");
    });
    bound = true;
  }
  if (!bound) {
    holder.dropContext(binding);
    systemLogf(LogLevel::Error, "bind: a %s has no binding \"%s\"", control->metaObject()->className(),
               binding.c_str());
  }
  return bound;
}

void unbind(QWidget* control, const std::string& binding) {
  BindingHolder* h = holderOf(control);
  if (!h) return;
  h->dropContext(binding);
  h->bindings.unbind(binding);
  if (auto* field = qobject_cast<QLineEdit*>(control); field && binding == "value") {
    setFieldCommitHandler(field, nullptr);
  }
}

std::optional<BindingInfo> bindingInfo(const QWidget* control, const std::string& binding) {
  BindingHolder* h = holderOf(control);
  return h ? h->bindings.infoForBinding(binding) : std::nullopt;
}

void bindValue(QAbstractButton* button, BindingInfo info) { bind(button, "value", std::move(info)); }
void bindValue(QLineEdit* field, BindingInfo info) { bind(field, "value", std::move(info)); }
void unbindValue(QWidget* control) { unbind(control, "value"); }
std::optional<BindingInfo> valueBindingInfo(const QWidget* control) { return bindingInfo(control, "value"); }

}  // namespace platform
