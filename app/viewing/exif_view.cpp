#include "app/viewing/exif_view.h"

#include <QPalette>
#include <QPointer>
#include <string>
#include <vector>

#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/dispatch.h"
#include "platform/graphics/font.h"
#include "platform/ui/image_view.h"
#include "platform/ui/view_geometry.h"
#include "session/exif.h"

using platform::Rect;
using platform::Size;

namespace {

constexpr double kGap = 8;
constexpr Size kIconSize{20, 20};
constexpr const char* kFieldSeparator = "   ";

// The summary's fields: the exposure compensation only when there is one; a text the picture does not have (its
// size when that is 0) is left out rather than shown as a gap.
QString summaryOf(Exif& exif) {
  std::vector<std::string> fields = {exif.shutterSpeedString(), exif.apertureString(), exif.isoString()};
  if (!exif.exposureCompensationString().empty()) fields.push_back(exif.exposureCompensationString());
  fields.push_back(exif.focalLengthString());
  fields.push_back(exif.sizeString());
  std::string text;
  for (const std::string& field : fields) {
    if (field.empty()) continue;
    if (!text.empty()) text += kFieldSeparator;
    text += field;
  }
  return QString::fromStdString(text);
}

platform::ImageView* iconView(QWidget* parent, const icons::PropertyVisual& visual, double x) {
  auto* view = new platform::ImageView(parent);
  platform::setFrame(view, Rect(x, 2, kIconSize.width, kIconSize.height));
  if (visual.isImage()) view->setImage(visual.image);
  view->show();
  return view;
}

}  // namespace

ExifView::ExifView(QWidget* parent) : platform::View(parent) {}

ExifView::ExifView(std::shared_ptr<Exif> exif, QWidget* parent) : platform::View(parent) {
  resize(200, 24);
  setExif(std::move(exif));
}

void ExifView::setExif(std::shared_ptr<Exif> exif) {
  if (!platform::isMainThread()) {
    QPointer<ExifView> self(this);
    platform::mainQueue().async([self, exif = std::move(exif)]() mutable {
      if (self) self->setExif(std::move(exif));
    });
    return;
  }
  mExif = std::move(exif);
  populateValues();
}

void ExifView::populateValues() {
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) delete child;
  mTextField = nullptr;
  mMeteringView = mWhiteBalanceView = nullptr;
  mMeteringVisual = mWhiteBalanceVisual = icons::PropertyVisual::none();
  if (!mExif) return;

  mTextField = new QLabel(this);
  mTextField->setObjectName("oExifTextField");
  mTextField->setAutoFillBackground(false);
  mTextField->setAttribute(Qt::WA_TranslucentBackground);
  mTextField->setFont(platform::Font::systemFont(12).qfont());
  QPalette palette = mTextField->palette();
  palette.setColor(QPalette::WindowText, Qt::white);
  mTextField->setPalette(palette);
  mTextField->setFrameStyle(QFrame::NoFrame);
  mTextField->setText(summaryOf(*mExif));
  // Sized to fit its text, its lower left corner kept at (8, 4).
  const QSize fits = mTextField->sizeHint();
  platform::setFrame(mTextField, Rect(kGap, 4, fits.width(), fits.height()));
  mTextField->show();

  const uint8_t make = mExif->cameraMake();
  const bool standardCodes = make == Exif::kMakeNikon || make == Exif::kMakeSony;
  const uint32_t meteringCode = standardCodes ? 0x500B : 0xD107;
  const uint32_t whiteBalanceCode = standardCodes ? 0x5005 : 0xD109;
  mMeteringVisual = VorlaxentStyleKit::imageOfMeteringMode_WithSize(kIconSize, meteringCode, mExif->meteringMode(),
                                                                    false, false, false);
  mWhiteBalanceVisual = VorlaxentStyleKit::imageOfWhiteBalance_WithSize(kIconSize, whiteBalanceCode,
                                                                        mExif->whiteBalance(), false, false, false);
  const double meteringX = platform::frameOf(mTextField).maxX() + kGap;
  mMeteringView = iconView(this, mMeteringVisual, meteringX);
  mWhiteBalanceView = iconView(this, mWhiteBalanceVisual, meteringX + kIconSize.width + kGap);

  Rect frame = platform::frameOf(this);
  frame.size.width = platform::frameOf(mWhiteBalanceView).maxX() + kGap;
  platform::setFrame(this, frame);
}
