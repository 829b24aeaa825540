#include "app/viewing/thumbnail_view_cell.h"

#include <QFont>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <numbers>

#include "engine/store/image_files.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/dispatch.h"
#include "platform/graphics/canvas.h"
#include "platform/ui/image_view.h"
#include "platform/ui/responder.h"
#include "platform/ui/transform3d.h"
#include "platform/ui/view_geometry.h"
#include "session/ptp_object_info_class.h"
#include "widgets/adjustable_font_size_text_field.h"
#include "widgets/color_view.h"
#include "widgets/jw_text_field_cell.h"

namespace {

constexpr double kItemSide = 120;
constexpr double kPictureSide = 100;
constexpr double kBorderWidth = 3;
constexpr double kBorderRadius = 5;
constexpr double kBadgeSide = 12;
constexpr double kStarsSide = 28;
constexpr double kLabelHeight = 26;
constexpr double kMinimumFontSize = 2;

QFont nameFont(double itemWidth) {
  QFont font(QStringLiteral("AvenirNext-Regular"));
  font.setPointSizeF(std::max(1.0, itemWidth / 8));
  return font;
}

std::string lowercase(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

// The rating's place on the picture, at its origin (lower left): one small star per point, drawn along the
// view's top so that the name along the picture's bottom edge leaves them in sight.
class StarsView : public platform::View {
 public:
  explicit StarsView(QWidget* parent) : platform::View(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }
  void setCount(int count) {
    count_ = count;
    update();
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    platform::View::paintEvent(event);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f = font();
    f.setPixelSize(std::max(4, height() / 3));
    p.setFont(f);
    p.setPen(QColor(255, 214, 0));
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignTop, QString(count_, QChar(0x2605)));
  }

 private:
  int count_ = 0;
};

// The name in white over its shadow, black, one point right and down, unblurred. The shadow is the text drawn
// once more: a graphics effect would render every name offscreen at every paint, which cost a browser grid of
// thirty items most of its frame. Both are drawn once into a picture of the field, kept until the text, the font,
// the colour or the size changes: laying the text out twice at every paint cost a scrolled grid a fifth of its
// frame.
class ShadowedNameField : public AdjustableFontSizeTextField {
 public:
  using AdjustableFontSizeTextField::AdjustableFontSizeTextField;

 protected:
  void paintEvent(QPaintEvent*) override {
    const QColor colour = palette().color(foregroundRole());
    const Qt::Alignment horizontal = alignment() & Qt::AlignHorizontal_Mask;
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(int(std::ceil(width() * ratio)), int(std::ceil(height() * ratio)));
    if (pixels.isEmpty()) return;
    const QString fontKey = font().key();
    if (drawn_.size() != pixels || drawn_.devicePixelRatio() != ratio || drawnText_ != text() ||
        drawnFont_ != fontKey || drawnColour_ != colour || drawnAlignment_ != horizontal ||
        drawnDpi_ != QPoint(logicalDpiX(), logicalDpiY())) {
      drawn_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
      drawn_.setDevicePixelRatio(ratio);
      // Points turn into pixels at the field's own resolution, as they would drawn straight onto it.
      drawn_.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
      drawn_.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
      drawn_.fill(Qt::transparent);
      QPainter p(&drawn_);
      const QRectF frame(contentsRect());
      JWTextFieldCell::drawInteriorWithFrame(p, frame.translated(1, 1), text(), font(), Qt::black, horizontal);
      JWTextFieldCell::drawInteriorWithFrame(p, frame, text(), font(), colour, horizontal);
      drawnText_ = text();
      drawnFont_ = fontKey;
      drawnColour_ = colour;
      drawnAlignment_ = horizontal;
      drawnDpi_ = QPoint(logicalDpiX(), logicalDpiY());
    }
    QPainter p(this);
    p.drawImage(QPointF(0, 0), drawn_);
  }

 private:
  QImage drawn_;
  QString drawnText_;
  QString drawnFont_;
  QColor drawnColour_;
  Qt::Alignment drawnAlignment_;
  QPoint drawnDpi_;
};

// The picture's view. A picture kept at the size it shows (as the strip's and the grid's thumbnails are) is
// copied onto the device pixel for pixel when nothing turns it, and an opaque one as a plain copy of its rows.
// Drawn through the view's flipped transform with smooth scaling asked for, it would be resampled at every
// paint, and a picture of a hundred lines or more is then split among worker threads that the painting thread
// waits for: on a busy machine that cost a grid of thirty items most of its frame.
class PictureView : public platform::ImageView {
 public:
  using platform::ImageView::ImageView;

 protected:
  void drawRect(platform::Canvas& canvas, const platform::Rect& bounds) override {
    const platform::Image& picture = image();
    if (picture.isNull() || picture.hasDrawingHandler()) return platform::ImageView::drawRect(canvas, bounds);
    QPainter& painter = canvas.painter();
    const QTransform t = painter.deviceTransform();
    const QImage& bitmap = picture.bitmap();
    const platform::Rect rect = platform::imageRectFor(picture.size(), bounds, imageScaling());
    // Unturned, upright on the device (the canvas flips y) and at one device pixel per pixel of the picture.
    const bool plain = t.type() <= QTransform::TxScale && t.m11() == 1 && t.m22() == -1 &&
                       bitmap.devicePixelRatio() == 1 && std::lround(rect.width()) == bitmap.width() &&
                       std::lround(rect.height()) == bitmap.height();
    if (!plain) return platform::ImageView::drawRect(canvas, bounds);
    // Where the rectangle lies once the painter's own transform is reset (its combined transform leaves out the
    // offset of a view painted inside its window, which resetting keeps).
    const QRectF logical = painter.combinedTransform().mapRect(QRectF(rect.x(), rect.y(), rect.width(), rect.height()));
    painter.save();
    painter.setOpacity(painter.opacity() * canvas.alpha());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.resetTransform();
    painter.drawImage(QPointF(std::round(logical.x()), std::round(logical.y())), drawable(bitmap));
    painter.restore();
  }

 private:
  // The bitmap, or an opaque copy of it when none of its pixels is see-through (made once per bitmap).
  const QImage& drawable(const QImage& bitmap) {
    if (bitmap.cacheKey() != sourceKey_) {
      sourceKey_ = bitmap.cacheKey();
      opaque_ = isOpaque(bitmap) ? bitmap.convertToFormat(QImage::Format_RGB32) : QImage();
    }
    return opaque_.isNull() ? bitmap : opaque_;
  }

  static bool isOpaque(const QImage& bitmap) {
    if (!bitmap.hasAlphaChannel()) return true;
    if (bitmap.format() != QImage::Format_ARGB32_Premultiplied) return false;
    for (int y = 0; y < bitmap.height(); ++y) {
      const auto* row = reinterpret_cast<const QRgb*>(bitmap.constScanLine(y));
      for (int x = 0; x < bitmap.width(); ++x)
        if (qAlpha(row[x]) != 255) return false;
    }
    return true;
  }

  qint64 sourceKey_ = 0;
  QImage opaque_;
};

}  // namespace

ThumbnailViewCell::ThumbnailViewCell() = default;

ThumbnailViewCell::~ThumbnailViewCell() {
  *mAlive = false;
  mTurnTimer.invalidate();
}

void ThumbnailViewCell::loadView() {
  auto* item = new ColorView();
  item->resize(int(kItemSide), int(kItemSide));
  item->setBackgroundColor(platform::Color::clear());

  mImageView = new PictureView(item);
  mImageView->setImageScaling(platform::ImageScaling::ProportionallyUpOrDown);
  mImageView->setGeometry(0, 0, int(kPictureSide), int(kPictureSide));
  mImageView->setAttribute(Qt::WA_TransparentForMouseEvents);

  mBorderBackground = new ColorView(item);
  mBorderBackground->setGeometry(0, 0, int(kPictureSide), int(kPictureSide));
  mBorderBackground->setBackgroundColor(platform::Color::clear());
  mBorderBackground->setBorderWidth(kBorderWidth);
  mBorderBackground->setBorderColor(platform::Color::rgb(1, 1, 0, 1));
  mBorderBackground->setCornerRadius(kBorderRadius);
  mBorderBackground->setAttribute(Qt::WA_TransparentForMouseEvents);
  mBorderBackground->hide();

  mFileNameLabel = new ShadowedNameField(item);
  mFileNameLabel->setGeometry(0, 0, int(kPictureSide), 200);
  mFileNameLabel->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
  mFileNameLabel->setTextInteractionFlags(Qt::NoTextInteraction);
  mFileNameLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
  mFileNameLabel->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
  mFileNameLabel->setFont(nameFont(kItemSide));
  mFileNameLabel->setAdjustsFontSizeToFit(true);
  mFileNameLabel->setMinimumFontSize(kMinimumFontSize);
  mFileNameLabel->hide();

  mBadgeImageView = new platform::ImageView(item);
  mBadgeImageView->setImageScaling(platform::ImageScaling::ProportionallyUpOrDown);
  mBadgeImageView->setGeometry(0, 0, 20, 20);
  mBadgeImageView->setAttribute(Qt::WA_TransparentForMouseEvents);
  mBadgeImageView->hide();

  setView(item);
}

void ThumbnailViewCell::setThumbnailImage(const QImage& image) {
  mThumbnailImage = image;
  if (!image.isNull()) viewDidLayout();
}

void ThumbnailViewCell::setObjectInfo(std::shared_ptr<const PtpObjectInfoClass> object) {
  mObjectInfo = std::move(object);
  mOrientation = mObjectInfo ? mObjectInfo->orientation() : 0;
  loadBadgeImage();
}

void ThumbnailViewCell::setShowFilename(bool show) {
  mShowFilename = show;
  if (!show && mFileNameLabel) mFileNameLabel->hide();
}

std::string ThumbnailViewCell::fileNameBytes(const PtpObjectInfoStruct& record) {
  return std::string(record.fileName, strnlen(record.fileName, sizeof record.fileName));
}

ThumbnailViewCell::Badge ThumbnailViewCell::badgeFor(uint16_t format, const std::string& fileName) {
  if (format == 0) {
    if (fileName.empty()) return Badge::None;
    if (fileIsRaw(fileName.c_str())) return Badge::Raw;
    const std::string lower = lowercase(fileName);
    if (lower.find(".tif") != std::string::npos) return Badge::Tiff;
    if (lower.find(".mov") != std::string::npos) return Badge::Movie;
    return Badge::None;
  }
  if (format == 0x380D) return Badge::Tiff;
  if (formatIsRaw(format)) return Badge::Raw;
  if (formatIsMovie(format)) return Badge::Movie;
  return Badge::None;
}

void ThumbnailViewCell::loadBadgeImage() {
  mBadge = mObjectInfo ? badgeFor(mObjectInfo->objectFormat(), fileNameBytes(*mObjectInfo->origObjectInfo()))
                       : Badge::None;
  if (!mBadgeImageView) view();
  const platform::Size side{24, 24};
  switch (mBadge) {
    case Badge::None: mBadgeImageView->setImage({}); break;
    case Badge::Raw: mBadgeImageView->setImage(VorlaxentStyleKit::imageOfRawWithSize(side, 21.6)); break;
    case Badge::Tiff: mBadgeImageView->setImage(VorlaxentStyleKit::imageOfTiffWithSize(side, 21.6)); break;
    case Badge::Movie: mBadgeImageView->setImage(VorlaxentStyleKit::imageOfMovieIconWithSize(side)); break;
  }
}

double ThumbnailViewCell::rotationAngleFor(uint8_t orientation) {
  switch (orientation) {
    case 8: return std::numbers::pi / 2;
    case 3: return std::numbers::pi;
    case 6: return 3 * std::numbers::pi / 2;
    default: return 0;
  }
}

void ThumbnailViewCell::viewDidLayout() {
  if (mThumbnailImage.isNull() || !mObjectInfo) return;
  QWidget* item = view();
  const double fw = item->width(), fh = item->height();
  const double iw = mThumbnailImage.width(), ih = mThumbnailImage.height();
  if (iw <= 0 || ih <= 0 || fw <= 10 || fh <= 10) return;

  // The picture fitted into the item less the margin on each side, centred.
  double W, H;
  if (iw > ih) {
    W = std::trunc(fw - 2 * kPictureMargin);
    H = std::trunc(W * ih / iw);
  } else {
    H = std::trunc(fh - 2 * kPictureMargin);
    W = std::trunc(H * iw / ih);
  }
  platform::setFrame(mImageView, {std::trunc((fw - W) / 2), std::trunc((fh - H) / 2), W, H});
  mImageView->setImage(platform::Image::fromBitmap(mThumbnailImage));

  // What the eye sees once the picture is turned: a quarter turn swaps its sides.
  const bool quarter = mOrientation == 6 || mOrientation == 8;
  const double A = quarter ? H : W, B = quarter ? W : H;
  const double X = std::trunc((fw - A) / 2), Y = std::trunc((fh - B) / 2);

  const double angle = rotationAngleFor(mOrientation);
  std::weak_ptr<bool> alive = mAlive;
  mTurnTimer.start(kTurnDelay, false, [this, alive, angle] {
    if (auto a = alive.lock(); a && *a) applyTurn(angle);
  });

  if (mStarsView) {
    mStarsView->setParent(mImageView);
    platform::setFrame(mStarsView, {0, 0, kStarsSide, kStarsSide});
    mStarsView->show();
  }

  platform::setFrame(mBorderBackground,
                     {X - kPictureMargin, Y - kPictureMargin, A + 2 * kPictureMargin, B + 2 * kPictureMargin});

  const std::string name = fileNameBytes(*mObjectInfo->origObjectInfo());
  if (mShowFilename && !name.empty()) {
    platform::setFrame(mFileNameLabel, {X, Y, A, kLabelHeight});
    mFileNameLabel->setFont(nameFont(fw));
    mFileNameLabel->setAdjustsFontSizeToFit(true);
    mFileNameLabel->setMinimumFontSize(kMinimumFontSize);
    const auto& text = mObjectInfo->fileName();
    mFileNameLabel->setStringValue(QString::fromStdString(text ? *text : name));
    mFileNameLabel->show();
    mFileNameLabel->raise();
  } else {
    // A reused item must not keep the name of the object it showed before.
    mFileNameLabel->hide();
  }

  if (mBadge != Badge::None) {
    platform::setFrame(mBadgeImageView, {X + A - kBadgeSide, Y + B - kBadgeSide, kBadgeSide, kBadgeSide});
    mBadgeImageView->show();
    mBadgeImageView->raise();
  } else {
    mBadgeImageView->hide();
  }
}

void ThumbnailViewCell::applyTurn(double angle) {
  if (!mImageView) return;
  const platform::Rect frame = platform::frameOf(mImageView);
  platform::Layer& layer = mImageView->layer();
  layer.setAnchorPoint({0.5, 0.5});
  layer.setPosition({frame.midX(), frame.midY()});
  layer.setTransform(angle == 0 ? platform::Transform3D::identity()
                                : platform::Transform3D::rotation(angle, 0, 0, 1));
}

void ThumbnailViewCell::setSelected(bool selected) {
  if (!platform::isMainThread()) {
    std::weak_ptr<bool> alive = mAlive;
    platform::mainQueue().async([this, alive, selected] {
      if (auto a = alive.lock(); a && *a) setSelected(selected);
    });
    return;
  }
  platform::CollectionViewItem::setSelected(selected);
  if (!mBorderBackground) view();
  mBorderBackground->setVisible(selected);
}

void ThumbnailViewCell::setRating(int64_t rating) {
  mRating = rating;
  if (!mImageView) view();
  if (rating >= 1 && rating <= 5) {
    if (!mStarsView) {
      auto* stars = new StarsView(mImageView);
      platform::setFrame(stars, {0, 0, kStarsSide, kStarsSide});
      stars->show();
      mStarsView = stars;
    }
    static_cast<StarsView*>(mStarsView)->setCount(int(rating));
  } else if (mStarsView) {
    delete mStarsView;
    mStarsView = nullptr;
  }
}

void ThumbnailViewCell::prepareForReuse() {
  mTurnTimer.invalidate();
  if (mImageView) applyTurn(0);
  mThumbnailImage = QImage();
  mObjectInfo.reset();
  mFullImagePath.clear();
  setRating(0);
  // A reused item shows nothing of the object it held before until its next object is laid out (a picture
  // that does not lay out, for want of an image, must not leave the old one in sight).
  if (mImageView) mImageView->setImage({});
  if (mBadgeImageView) mBadgeImageView->hide();
  if (mFileNameLabel) mFileNameLabel->hide();
  mBadge = Badge::None;
}

void ThumbnailViewCell::mouseDown(QMouseEvent*, int clickCount) {
  if (clickCount == 2) {
    platform::sendAction("collectionItemViewDoubleClick", this, view());
    return;
  }
  if (clickCount != 1) return;
  platform::CollectionView* collection = collectionView();
  const bool nowSelected = !isSelected();
  setSelected(nowSelected);
  if (!collection) return;
  const std::optional<platform::IndexPath> path = collection->indexPathForItem(this);
  if (!path) return;
  if (nowSelected) {
    collection->selectItemsAtIndexPaths({*path}, platform::ScrollPosition::None);
    if (auto* delegate = collection->delegate()) delegate->collectionViewDidSelectItemsAtIndexPaths(collection, {*path});
  } else {
    collection->deselectItemsAtIndexPaths({*path});
    // The card browser's bar buttons follow the selection: they hear of a removal as of an addition.
    if (auto* delegate = collection->delegate()) delegate->collectionViewDidDeselectItemsAtIndexPaths(collection, {*path});
  }
}
