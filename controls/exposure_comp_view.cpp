#include "controls/exposure_comp_view.h"

#include <utility>

#include "controls/exposure_comp_image_view.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/dispatch.h"
#include "platform/ui/image_view.h"
#include "platform/ui/view_geometry.h"

using platform::Color;
using platform::Rect;
using platform::Size;

ExposureCompView::ExposureCompView(QWidget* parent) : View(parent) {
  layer().setBackgroundColor(Color::clear());
  // Made with the view, so that a scale that is never initialised still has its parts.
  mImageView = new ExposureCompImageView(this);
  mCenterLine = new platform::View(this);
  built_ = true;
  placeParts();
}

ExposureCompView::~ExposureCompView() { *alive_ = false; }

template <class F>
bool ExposureCompView::onMain(F f) {
  if (platform::isMainThread()) return false;
  platform::mainQueue().async([alive = alive_, self = this, f = std::move(f)]() mutable {
    if (*alive) f(*self);
  });
  return true;
}

void ExposureCompView::initialize() {
  if (onMain([](ExposureCompView& v) { v.initialize(); })) return;
  delete mImageView;
  delete mCenterLine;
  mBracketValuesArray.clear();
  for (const QPointer<QWidget>& v : mBracketViewsArray) delete v.data();
  mBracketViewsArray.clear();
  mLeftOverflow = mRightOverflow = false;
  mImageView = new ExposureCompImageView(this);
  mImageView->initialize();
  mCenterLine = new platform::View(this);
  built_ = true;
  layer().setBackgroundColor(Color::clear());
  placeParts();
  mImageView->show();
  mCenterLine->show();
  setNeedsDisplay();
}

void ExposureCompView::placeParts() {
  const Rect b = platform::boundsOf(this);
  const double w = b.size.width, h = b.size.height;
  if (mImageView) platform::setFrame(mImageView, Rect{0, 0, w, 0.75 * h});
  if (mCenterLine) {
    platform::setFrame(mCenterLine, Rect{w / 2 - 2, 0, 4, h / 4});
    mCenterLine->layer().setBackgroundColor(ExposureCompImageView::markColor(mIsEnabled));
  }
}

void ExposureCompView::resizeEvent(QResizeEvent* event) {
  View::resizeEvent(event);
  placeParts();
  drawBrackets();
}

void ExposureCompView::setNeedsDisplay() {
  if (onMain([](ExposureCompView& v) { v.setNeedsDisplay(); })) return;
  if (mImageView) {
    mImageView->setScaleEnabled(mIsEnabled);
    mImageView->setCenterExposure(exposureOffset_);
    mImageView->setSpacing(spacing_);
    mImageView->setMinExposureComp(minExposureComp_);
    mImageView->setMaxExposureComp(maxExposureComp_);
    mImageView->setMaxLeftStop(minExposureComp_ + minExposureBracket_);
    mImageView->setMaxRightStop(maxExposureComp_ + maxExposureBracket_);
  }
  update();
}

void ExposureCompView::setMinExposureComp(float stops) {
  if (onMain([stops](ExposureCompView& v) { v.setMinExposureComp(stops); })) return;
  minExposureComp_ = stops;
  setNeedsDisplay();
}

void ExposureCompView::setMaxExposureComp(float stops) {
  if (onMain([stops](ExposureCompView& v) { v.setMaxExposureComp(stops); })) return;
  maxExposureComp_ = stops;
  setNeedsDisplay();
}

void ExposureCompView::setMinExposureBracket(float stops) {
  if (onMain([stops](ExposureCompView& v) { v.setMinExposureBracket(stops); })) return;
  minExposureBracket_ = stops;
  setNeedsDisplay();
}

void ExposureCompView::setMaxExposureBracket(float stops) {
  if (onMain([stops](ExposureCompView& v) { v.setMaxExposureBracket(stops); })) return;
  maxExposureBracket_ = stops;
  setNeedsDisplay();
}

void ExposureCompView::setExposureOffset(float stops) {
  if (onMain([stops](ExposureCompView& v) { v.setExposureOffset(stops); })) return;
  exposureOffset_ = stops;
  setNeedsDisplay();
}

void ExposureCompView::setSpacing(int32_t marksPerStop) {
  if (onMain([marksPerStop](ExposureCompView& v) { v.setSpacing(marksPerStop); })) return;
  spacing_ = marksPerStop;
  setNeedsDisplay();
}

void ExposureCompView::setEnabled(bool enabled) {
  if (onMain([enabled](ExposureCompView& v) { v.setEnabled(enabled); })) return;
  mIsEnabled = enabled;
  QWidget::setEnabled(enabled);
  setNeedsDisplay();
}

bool ExposureCompView::addBracket(float stops) {
  if (onMain([stops](ExposureCompView& v) { v.addBracket(stops); })) return true;
  mBracketValuesArray.push_back(stops);
  mLeftOverflow = mRightOverflow = false;
  return true;
}

void ExposureCompView::clearBrackets(bool redraw) {
  if (onMain([redraw](ExposureCompView& v) { v.clearBrackets(redraw); })) return;
  mBracketValuesArray.clear();
  if (redraw) updateBrackets();
}

void ExposureCompView::updateBrackets() {
  if (onMain([](ExposureCompView& v) { v.updateBrackets(); })) return;
  drawBrackets();
}

void ExposureCompView::replaceBrackets(std::vector<float> stops) {
  if (onMain([stops](ExposureCompView& v) mutable { v.replaceBrackets(std::move(stops)); })) return;
  mBracketValuesArray = std::move(stops);
  mLeftOverflow = mRightOverflow = false;
  drawBrackets();
}

void ExposureCompView::setLeftOverflow(bool on) {
  if (onMain([on](ExposureCompView& v) { v.setLeftOverflow(on); })) return;
  mLeftOverflow = on;
  mRightOverflow = false;
  clearBrackets(true);
}

void ExposureCompView::setRightOverflow(bool on) {
  if (onMain([on](ExposureCompView& v) { v.setRightOverflow(on); })) return;
  mRightOverflow = on;
  mLeftOverflow = false;
  clearBrackets(true);
}

std::vector<QWidget*> ExposureCompView::bracketViews() const {
  std::vector<QWidget*> out;
  for (const QPointer<QWidget>& v : mBracketViewsArray)
    if (v) out.push_back(v.data());
  return out;
}

void ExposureCompView::drawBrackets() {
  if (!built_) return;
  const Rect b = platform::boundsOf(this);
  const double w = b.size.width, h = b.size.height;
  const Color color = ExposureCompImageView::markColor(mIsEnabled);
  if (mCenterLine) {
    platform::setFrame(mCenterLine, Rect{w / 2 - 2, 0, 4, h / 4});
    mCenterLine->layer().setBackgroundColor(color);
  }
  for (const QPointer<QWidget>& v : mBracketViewsArray) delete v.data();
  mBracketViewsArray.clear();

  const auto arrow = [&](const Rect& frame, bool left) {
    auto* view = new platform::ImageView(this);
    platform::setFrame(view, frame);
    view->setImageScaling(platform::ImageScaling::ProportionallyUpOrDown);
    const Size size{frame.size.height, frame.size.height};
    view->setImage(left ? VorlaxentStyleKit::imageOfArrowLeftWithSize(size, false, true)
                        : VorlaxentStyleKit::imageOfArrowRightWithSize(size, false, true));
    view->show();
    mBracketViewsArray.emplace_back(view);
  };
  if (mLeftOverflow)
    arrow(Rect{4, 2, h / 4, h / 4}, true);
  else if (mRightOverflow)
    arrow(Rect{w - h / 4, 2, h / 4, h / 4}, false);

  for (float v : mBracketValuesArray) {
    const double x = w / 2 + (0.95 * w) * v / 6;
    if (x < 0) {
      arrow(Rect{4 - h / 4, 2, 0.75 * h, h / 4}, true);
    } else if (x > w) {
      // The mirror of the left edge's arrow, so that it shows inside the scale as that one does.
      arrow(Rect{w - 4 - h / 2, 2, 0.75 * h, h / 4}, false);
    } else {
      auto* bar = new platform::View(this);
      platform::setFrame(bar, Rect{x - 2, 0, 4, h / 4});
      bar->layer().setBackgroundColor(color);
      bar->show();
      mBracketViewsArray.emplace_back(bar);
    }
  }
}
