#include "controls/pickers/up_down_view_controller.h"

#include "controls/interface_actions.h"
#include "controls/property_set_texts.h"
#include "engine/ptp/property_access.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/ui/interface_file.h"
#include "platform/ui/view.h"
#include "platform/ui/view_geometry.h"
#include "ui_UpDownView.h"
#include "widgets/sy_flat_button.h"

VX_INTERFACE_FILE("UpDownView", Ui::UpDownView);

UpDownViewController::UpDownViewController() : ViewController("UpDownView") {}

std::unique_ptr<UpDownViewController> UpDownViewController::initWithPropertyCode(uint32_t code) {
  std::unique_ptr<UpDownViewController> picker(new UpDownViewController());
  picker->mPropertyCode = code;
  return picker;
}

void UpDownViewController::viewDidLoad() {
  oUpButton = outlet<SYFlatButton>("oUpButton");
  oDownButton = outlet<SYFlatButton>("oDownButton");
  controls::connectInterfaceActions(view());
}

void UpDownViewController::viewDidLayout() {
  if (!oUpButton || !oDownButton || !oUpButton->image().isNull()) return;
  oUpButton->setImage(
      VorlaxentStyleKit::imageOfFocusArrowUpWithSize(platform::boundsOf(oUpButton).size, false, true));
  oDownButton->setImage(
      VorlaxentStyleKit::imageOfFocusArrowDownWithSize(platform::boundsOf(oDownButton).size, false, true));
  if (auto* root = dynamic_cast<platform::View*>(view()))
    root->layer().setBackgroundColor(platform::Color::white(0.31));
}

bool UpDownViewController::performAction(const platform::Action& action) {
  if (action.name == "adjustButton:") {
    adjustButton(action.sender<SYFlatButton>());
    return true;
  }
  return ViewController::performAction(action);
}

void UpDownViewController::adjustButton(SYFlatButton* sender) {
  const int direction = sender != nullptr && sender == oDownButton ? -1 : 1;
  const uint32_t code = mPropertyCode;
  const std::string name = controls::propertyDisplayName(code);
  controls::runPropertyCommand(
      name, [code, direction] { return int32_t{camStepProperty(code, direction)}; },
      [name](uint16_t result) {
        if (!controls::propertySetSucceeded(result)) controls::showPropertySetError(name, result);
      });
}
