#pragma once
// The stepper: two arrow buttons that step a property one value down or up on the camera (Sony's ranges and
// exposure compensation). The popover stays open; the camera's change notification redraws the property button.
// Loaded from "UpDownView". Main thread only.
#include <cstdint>
#include <memory>

#include "platform/ui/view_controller.h"

class SYFlatButton;

class UpDownViewController : public platform::ViewController {
  Q_OBJECT

 public:
  static std::unique_ptr<UpDownViewController> initWithPropertyCode(uint32_t code);

  // Both buttons' action: the down button steps by -1, any other sender by +1.
  void adjustButton(SYFlatButton* sender);

  uint32_t propertyCode() const { return mPropertyCode; }

  SYFlatButton* oUpButton = nullptr;
  SYFlatButton* oDownButton = nullptr;

 protected:
  UpDownViewController();
  void viewDidLoad() override;
  void viewDidLayout() override;
  bool performAction(const platform::Action& action) override;

 private:
  uint32_t mPropertyCode = 0;
};
