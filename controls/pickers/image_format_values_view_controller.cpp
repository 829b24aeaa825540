#include "controls/pickers/image_format_values_view_controller.h"

#include "controls/pickers/grid_layout.h"
#include "controls/property_set_texts.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/response_code.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/dispatch.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/ui/interface_file.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/view_geometry.h"
#include "session/camera_controller.h"
#include "session/utilities.h"
#include "ui_ImageFormatValuesView.h"
#include "widgets/sy_flat_button.h"

VX_INTERFACE_FILE("ImageFormatValuesView", Ui::ImageFormatValuesView);

using platform::Rect;
using platform::Size;

namespace {

constexpr int kRawChoices = 6;
constexpr int kJpegChoices = 1;

// The current RAW and JPEG parts of the format; false when either cannot be read.
bool currentParts(int32_t* raw, int32_t* jpeg) {
  return camImageFormatRawValue(raw) == PTP_RC_OK && camImageFormatJpegValue(jpeg) == PTP_RC_OK;
}

// The icon kit's face of an encoded choice at a button's full size (from a copy of the format's record).
controls::Visual formatFace(const PropertyStruct* record, int32_t choice, Size size, bool highlighted) {
  return controls::visualOf(
      VorlaxentStyleKit::visualForProperty(record, static_cast<uint32_t>(choice), size, highlighted, false));
}

void refresh(const PropertyStruct* record, const std::vector<SYFlatButton*>& buttons, int32_t current) {
  for (SYFlatButton* button : buttons) {
    const bool on = static_cast<int32_t>(button->tag()) == current;
    controls::applyFace(button, formatFace(record, static_cast<int32_t>(button->tag()),
                                           platform::boundsOf(button).size, on));
    button->setState(on ? 1 : 0);
  }
}

}  // namespace

ImageFormatValuesViewController::ImageFormatValuesViewController()
    : PropertyValuesViewController("ImageFormatValuesView") {}

std::unique_ptr<ImageFormatValuesViewController> ImageFormatValuesViewController::initWithProperty(
    uint32_t code, platform::Popover* parentPopover) {
  std::unique_ptr<ImageFormatValuesViewController> picker(new ImageFormatValuesViewController());
  picker->mPropertyCode = code;
  picker->mPopover = parentPopover;
  return picker;
}

void ImageFormatValuesViewController::viewDidLoad() {
  PropertyValuesViewController::viewDidLoad();
  oButtonsView2 = outlet<QWidget>("oButtonsView2");
  oScrollView2 = outlet<platform::ScrollView>("oScrollView2");
  if (oScrollView2 && oButtonsView2) {
    oScrollView2->setDocumentView(oButtonsView2);
    oScrollView2->setHasVerticalScroller(true);
    oScrollView2->setAutohidesScrollers(true);
  }
}

void ImageFormatValuesViewController::loadGrid(QWidget* buttonsView, const PropertyStruct* record,
                                               const std::vector<int32_t>& choices, int32_t current,
                                               double buttonWidth, double columnWidth,
                                               std::vector<SYFlatButton*>* into) {
  for (SYFlatButton* button : *into) delete button;
  into->clear();
  if (!buttonsView || choices.empty()) return;
  // The columns come from the picker's width; the buttons view is as wide, so every row fits it.
  double height = buttonsView->height();
  const controls::GridLayout grid = controls::gridLayout(choices.size(), columnWidth, buttonWidth, height, &height);
  if (height != buttonsView->height()) platform::setFrame(buttonsView, Rect{0, 0, double(buttonsView->width()), height});
    for (size_t i = 0; i < choices.size(); ++i) {
    SYFlatButton* button = makeGridButton(buttonsView, grid.frames[i]);
    const bool on = choices[i] == current;
    controls::applyFace(button, formatFace(record, choices[i], grid.frames[i].size, on));
    button->setState(on ? 1 : 0);
    button->setTag(choices[i]);
    button->setAction([this](SYFlatButton* sender) { buttonPushed(sender); });
    into->push_back(button);
  }
}

void ImageFormatValuesViewController::loadButtonsWithAspectRatio(double ratio) {
  QWidget* root = view();
  PropertyCopy copy = propCopyValues(mPropertyCode);
  if (copy && copy->name) mPropertyName = QString::fromUtf8(copy->name);
  const double buttonWidth = controls::kGridButtonHeight * ratio;
  const double columnWidth = root->width();

  std::vector<int32_t> rawChoices;
  if (camImageFormatChoices(kRawChoices, &rawChoices) == PTP_RC_OK) {
    int32_t raw = -1;
    if (camImageFormatRawValue(&raw) != PTP_RC_OK) raw = -1;
    loadGrid(oButtonsView, copy.get(), rawChoices, raw, buttonWidth, columnWidth, &mRawButtonArray);
  }
  int32_t jpeg = -1;
  std::vector<int32_t> jpegChoices;
  if (camImageFormatJpegValue(&jpeg) == PTP_RC_OK && camImageFormatChoices(kJpegChoices, &jpegChoices) == PTP_RC_OK) {
    loadGrid(oButtonsView2, copy.get(), jpegChoices, jpeg, buttonWidth, columnWidth, &mJpgButtonArray);
    if (oScrollView2) oScrollView2->contentView()->scrollToPoint({0, 0});
  }
}

void ImageFormatValuesViewController::buttonPushed(SYFlatButton* button) {
  if (!button) return;
  int32_t raw = -1, jpeg = -1;
  if (!currentParts(&raw, &jpeg)) return;
  const int32_t choice = static_cast<int32_t>(button->tag());
  const bool isRaw = std::find(mRawButtonArray.begin(), mRawButtonArray.end(), button) != mRawButtonArray.end();
  int32_t& part = isRaw ? raw : jpeg;
  if (part == choice) return;
  part = choice;
  setJpgValue(jpeg, raw);
}

void ImageFormatValuesViewController::setJpgValue(int32_t jpeg, int32_t raw) {
  if (camIsFuji() && CameraController::instance().liveViewStatus() != 0) {
    Utilities::showWarningMessage("Please turn off live view before setting the image format.");
    return;
  }
  const std::string name = controls::propertyDisplayName(mPropertyCode);
  controls::runPropertyCommand(
      name, [raw, jpeg] { return int32_t{camSetImageFormat(raw, jpeg)}; },
      [name](uint16_t result) {
        if (!controls::propertySetSucceeded(result))
          Utilities::showErrorMessage(controls::propertySetErrorText(name), result);
      },
      view());
}

void ImageFormatValuesViewController::valueUpdated() {
  int32_t raw = -1, jpeg = -1;
  if (!currentParts(&raw, &jpeg)) return;
  PropertyCopy copy = propCopyValues(mPropertyCode);
  refresh(copy.get(), mRawButtonArray, raw);
  refresh(copy.get(), mJpgButtonArray, jpeg);
}
