#pragma once
// The image-format picker: a grid of RAW choices over a grid of JPEG choices (each beginning with "none"), the
// current RAW and JPEG parts selected. A press replaces its part of the format and sets the new pair on the
// camera itself; the camera's change notification refreshes the picker through its property button. Loaded from
// "ImageFormatValuesView". Main thread only.
#include <vector>

#include "controls/pickers/property_values_view_controller.h"

class ImageFormatValuesViewController : public PropertyValuesViewController {
  Q_OBJECT

 public:
  // `code` is the image-format property of the camera.
  static std::unique_ptr<ImageFormatValuesViewController> initWithProperty(uint32_t code,
                                                                           platform::Popover* parentPopover);

  void loadButtonsWithAspectRatio(double ratio) override;
  void valueUpdated() override;
  void buttonPushed(SYFlatButton* button) override;
  // Sets the format to the pair (the Fujifilm bodies refuse it while live view runs: a warning, nothing sent).
  void setJpgValue(int32_t jpeg, int32_t raw);

  const std::vector<SYFlatButton*>& rawButtons() const { return mRawButtonArray; }
  const std::vector<SYFlatButton*>& jpgButtons() const { return mJpgButtonArray; }

  QWidget* oButtonsView2 = nullptr;
  platform::ScrollView* oScrollView2 = nullptr;

 protected:
  ImageFormatValuesViewController();
  void viewDidLoad() override;

 private:
  // One grid of choices into a view: buttons of `buttonWidth` x 35 from the columns of `columnWidth`.
  void loadGrid(QWidget* buttonsView, const PropertyStruct* record, const std::vector<int32_t>& choices,
                int32_t current, double buttonWidth, double columnWidth, std::vector<SYFlatButton*>* into);

  std::vector<SYFlatButton*> mRawButtonArray;
  std::vector<SYFlatButton*> mJpgButtonArray;
};
