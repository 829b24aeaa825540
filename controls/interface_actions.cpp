#include "controls/interface_actions.h"

#include <QComboBox>
#include <QVariant>
#include <QWidget>
#include <string>

#include "platform/ui/responder.h"
#include "widgets/it_switch.h"
#include "widgets/sy_flat_button.h"

namespace controls {

namespace {

constexpr const char* kActionProperty = "action";
constexpr const char* kWiredProperty = "vxActionWired";

}  // namespace

void connectInterfaceActions(QWidget* root) {
  if (!root) return;
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  widgets.prepend(root);
  for (QWidget* w : widgets) {
    const QVariant named = w->property(kActionProperty);
    if (!named.isValid() || w->property(kWiredProperty).toBool()) continue;
    const std::string action = named.toString().toStdString();
    if (action.empty()) continue;
    w->setProperty(kWiredProperty, true);
    if (auto* button = qobject_cast<SYFlatButton*>(w)) {
      button->setAction([action](SYFlatButton* sender) { platform::sendAction(action, sender, sender); });
    } else if (auto* toggle = qobject_cast<ITSwitch*>(w)) {
      toggle->setAction([action](ITSwitch* sender) { platform::sendAction(action, sender, sender); });
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
      QObject::connect(combo, &QComboBox::activated, combo,
                       [action, combo](int) { platform::sendAction(action, combo, combo); });
    }
  }
}

}  // namespace controls
