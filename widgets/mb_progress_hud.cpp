#include "widgets/mb_progress_hud.h"

#include <QGraphicsOpacityEffect>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/foundation/dispatch.h"
#include "platform/graphics/canvas.h"
#include "platform/ui/animation.h"
#include "platform/ui/view.h"
#include "platform/ui/view_geometry.h"
#include "widgets/mb_progress_views.h"
#include "widgets/sy_flat_button.h"
#include "widgets/yrk_spinning_progress_indicator.h"

using platform::Canvas;
using platform::Color;
using platform::Font;
using platform::Rect;
using platform::roundHalfAway;
using platform::Size;

namespace {
constexpr double kPadding = 4;
constexpr double kFadeDuration = 0.3;
constexpr double kButtonRoom = 40;
constexpr double kHiddenAlpha = 0.2;  // where the fade-out ends before the overlay is taken away

// The effect the overlay gives a subview while it fades, told apart from one the subview's owner gave it.
class FadeEffect : public QGraphicsOpacityEffect {
 public:
  using QGraphicsOpacityEffect::QGraphicsOpacityEffect;
};

// Repaints `area` (in the view) of the view and of every view within it there. A repaint asked of a view alone
// leaves out its subviews that paint all of themselves (their pixels are kept as they were), and what the
// overlay drew lies over those as well.
void repaintBeneath(QWidget* view, const QRect& area) {
  view->update(area);
  for (QObject* child : view->children()) {
    auto* sub = qobject_cast<QWidget*>(child);
    if (!sub || sub->isWindow() || !sub->isVisible()) continue;
    const QRect inSub = area.translated(-sub->pos()) & sub->rect();
    if (!inSub.isEmpty()) repaintBeneath(sub, inSub);
  }
}
}  // namespace

// The two text views: one line of centred text in a font and colour.
class MBProgressHUD::Label : public QWidget {
 public:
  explicit Label(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }
  Color color = Color::whiteColor();

  const QString& text() const { return text_; }
  void setText(const QString& text) {
    text_ = text;
    measured_.reset();
  }
  void setFont(const Font& font) {
    font_ = font;
    measured_.reset();
  }

  // Measured once per text and font: the overlay lays itself out on every repaint, a fade's frames included.
  Size measured() const {
    if (!measured_) measured_ = text_.isEmpty() ? Size{0, 0} : font_.sizeOfString(text_);
    return *measured_;
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (text_.isEmpty()) return;
    const double alpha = platform::effectiveAlpha(this);
    if (alpha <= 0) return;
    QPainter painter(this);
    painter.setOpacity(alpha);
    Canvas c(painter, {double(width()), double(height())});
    c.clipToRect(c.bounds());
    const Size s = measured();
    // Centred; text wider than the view is cut on both sides.
    const double x = (width() - s.width) / 2;
    c.drawString(text_, platform::Point{x, height() - s.height}, font_, color);
  }

 private:
  QString text_;
  Font font_;
  mutable std::optional<Size> measured_;
};

MBProgressHUD::MBProgressHUD(const Rect& frame, QWidget* parent) : QWidget(parent) {
  platform::setFrame(this, frame);
  setAttribute(Qt::WA_TranslucentBackground);
  setAutoFillBackground(false);
  platform::setAlphaValue(this, 0);
  taskInProgress_ = false;
  setupLabels();
}

MBProgressHUD::MBProgressHUD(QWidget* view) : MBProgressHUD(Rect{0, 0, 0, 0}, nullptr) {
  resize(view ? view->size() : QSize());
}

MBProgressHUD::~MBProgressHUD() = default;

void MBProgressHUD::setupLabels() {
  label_ = new Label(this);
  label_->setFont(labelFont_);
  label_->color = labelColor_;
  label_->setGeometry(rect());
  detailsLabel_ = new Label(this);
  detailsLabel_->setFont(detailsLabelFont_);
  detailsLabel_->color = detailsLabelColor_;
  detailsLabel_->setGeometry(rect());
}

// --- class operations ---

MBProgressHUD* MBProgressHUD::showHUDAddedTo(QWidget* view, bool animated) {
  auto* hud = new MBProgressHUD(view);
  hud->setParent(view);
  hud->raise();  // while hidden: raising a shown overlay would repaint the whole view
  hud->QWidget::show();
  hud->layoutSubviews();
  hud->show(animated);
  return hud;
}

std::vector<MBProgressHUD*> MBProgressHUD::allHUDsForView(QWidget* view) {
  std::vector<MBProgressHUD*> out;
  if (!view) return out;
  for (QObject* child : view->children()) {
    if (auto* hud = qobject_cast<MBProgressHUD*>(child)) out.push_back(hud);
  }
  return out;
}

MBProgressHUD* MBProgressHUD::HUDForView(QWidget* view) {
  const auto all = allHUDsForView(view);
  return all.empty() ? nullptr : all.back();
}

bool MBProgressHUD::hideHUDForView(QWidget* view, bool animated) {
  MBProgressHUD* hud = HUDForView(view);
  if (!hud) return false;
  hud->setRemoveFromSuperViewOnHide(true);
  hud->hide(animated);
  return true;
}

int MBProgressHUD::hideAllHUDsForView(QWidget* view, bool animated) {
  const auto all = allHUDsForView(view);
  for (MBProgressHUD* hud : all) {
    hud->setRemoveFromSuperViewOnHide(true);
    hud->hide(animated);
  }
  return int(all.size());
}

// --- showing and hiding ---

void MBProgressHUD::show(bool animated) {
  updateIndicators();
  useAnimation_ = animated;
  if (graceTime_ > 0) {
    graceTimer_.start(graceTime_, false, [this] { handleGraceTimer(); });
    return;
  }
  showUsingAnimation(useAnimation_);
}

void MBProgressHUD::handleGraceTimer() {
  // Shown only if the task is still running by now.
  if (taskInProgress_) showUsingAnimation(useAnimation_);
}

void MBProgressHUD::showUsingAnimation(bool animated) {
  changed();
  showStarted_ = platform::currentTimeSource()->now();
  setHidden(false);
  if (animated) {
    platform::AnimationContext::run(kFadeDuration, [this] { platform::setAlphaValue(this, 1.0); });
  } else {
    platform::setAlphaValue(this, 1.0);
  }
}

void MBProgressHUD::hide(bool animated) {
  useAnimation_ = animated;
  cancelDelayedPerforms();
  // A hide before the grace time has passed means the overlay is not wanted any more: it must not appear
  // afterwards and stay for good.
  graceTimer_.invalidate();
  if (minShowTime_ > 0 && showStarted_) {
    const double shown = platform::currentTimeSource()->now() - *showStarted_;
    if (shown < minShowTime_) {
      minShowTimer_.start(minShowTime_ - shown, false, [this] { hideUsingAnimation(useAnimation_); });
      return;
    }
  }
  hideUsingAnimation(useAnimation_);
}

void MBProgressHUD::hide(bool animated, double delay) {
  delayedHideTimer_.start(delay, false, [this, animated] { hide(animated); });
}

void MBProgressHUD::cancelDelayedPerforms() { delayedHideTimer_.invalidate(); }

void MBProgressHUD::hideUsingAnimation(bool animated) {
  cancelDelayedPerforms();
  if (animated && showStarted_) {
    QPointer<MBProgressHUD> self(this);
    platform::AnimationContext::run(
        kFadeDuration, [this] { platform::setAlphaValue(this, kHiddenAlpha); },
        [self] {
          if (self) self->done();
        });
  } else {
    platform::setAlphaValue(this, 0);
    done();
  }
  showStarted_.reset();
}

void MBProgressHUD::done() {
  if (isFinished_) return;
  isFinished_ = true;
  {
    platform::DisableActions immediate;
    platform::setAlphaValue(this, 0);
  }
  // Hiding would repaint all of the view beneath; only what the overlay drew needs it. (A repaint asked of the
  // overlay itself is dropped once it is hidden: the views beneath are asked.)
  const QRect drawn = (laidOut_ | alphaDirtyRect()).translated(pos());
  setUpdatesEnabled(false);
  setHidden(true);
  setUpdatesEnabled(true);
  laidOut_ = QRect();
  if (QWidget* view = parentWidget()) repaintBeneath(view, drawn);
  const bool remove = removeFromSuperViewOnHide_;
  if (remove) setParent(nullptr);
  if (completionBlock_) {
    auto block = std::move(completionBlock_);
    completionBlock_ = nullptr;
    block();
  }
  if (delegate_) delegate_->hudWasHidden(this);
  // Out of its view nothing holds it any more.
  if (remove) deleteLater();
}

// --- indicator, labels, button ---

void MBProgressHUD::updateIndicators() {
  switch (mode_) {
    case MBProgressHUDModeIndeterminate: {
      if (qobject_cast<YRKSpinningProgressIndicator*>(indicator_)) break;
      delete indicator_;
      auto* spinner = new YRKSpinningProgressIndicator(this);
      platform::setFrame(spinner, {20, 20, spinsize_, spinsize_});
      spinner->setColor(Color::whiteColor());
      spinner->setUsesThreadedAnimation(false);
      spinner->startAnimation();
      spinner->show();
      indicator_ = spinner;
      break;
    }
    case MBProgressHUDModeDeterminateHorizontalBar: {
      delete indicator_;
      auto* bar = new MBBarProgressView(this);
      bar->setProgress(progress_);
      bar->show();
      indicator_ = bar;
      break;
    }
    case MBProgressHUDModeDeterminate:
    case MBProgressHUDModeAnnularDeterminate: {
      auto* round = qobject_cast<MBRoundProgressView*>(indicator_);
      if (!round) {
        delete indicator_;
        round = new MBRoundProgressView(this);
        round->resize(int(spinsize_), int(spinsize_));
        round->setProgress(progress_);
        round->show();
        indicator_ = round;
      }
      if (mode_ == MBProgressHUDModeAnnularDeterminate) round->setAnnular(true);
      break;
    }
    case MBProgressHUDModeCustomView:
      if (indicator_ != customView_) {
        // The custom view is the caller's: take it off us without deleting it.
        if (indicator_) {
          if (indicator_ == customView_) indicator_->setParent(nullptr);
          else delete indicator_;
        }
        indicator_ = customView_;
        if (customView_) {
          customView_->setParent(this);
          customView_->show();
        }
      }
      break;
    case MBProgressHUDModeText:
      delete indicator_;
      indicator_ = nullptr;
      break;
    default:
      break;
  }
  fadeSubviews();
}

void MBProgressHUD::setupButton(const QString& title, std::function<void()> clickBlock) {
  mHasButton = true;
  const double W = width(), H = height();
  auto* b = new SYFlatButton(Rect{(W - 80) / 2, H / 2 - 50, 80, 36}, this);
  b->setBackgroundNormalColor(Color::rgb(0.8, 0, 0, 1));
  b->setBackgroundHighlightColor(Color::rgb(1, 0, 0, 1));
  b->setCornerRadius(4);
  b->setOnAnimateDuration(0.25);
  b->setOffAnimateDuration(0.25);
  b->setMomentary(true);
  b->setTitleNormalColor(Color::whiteColor());
  b->setTitleHighlightColor(Color::whiteColor());
  b->setFont(Font::named(QStringLiteral("AvenirNext-Medium"), 16));
  b->setTitle(title);
  b->setMouseDownBlock(std::move(clickBlock));
  b->show();
  button_ = b;
  fadeSubviews();
  layoutSubviews();
}

// --- observed properties ---

bool MBProgressHUD::forwardToMain(std::function<void()> fn) {
  if (platform::isMainThread()) return false;
  QPointer<MBProgressHUD> self(this);
  platform::mainQueue().async([self, fn = std::move(fn)] {
    if (self) fn();
  });
  return true;
}

void MBProgressHUD::changed() {
  layoutSubviews();  // repaints where the box was, if it moved
  update(alphaDirtyRect());
}

void MBProgressHUD::setMode(int mode) {
  if (forwardToMain([this, mode] { setMode(mode); })) return;
  mode_ = mode;
  updateIndicators();
  changed();
}

void MBProgressHUD::setCustomView(QWidget* view) {
  QPointer<QWidget> guarded(view);
  if (forwardToMain([this, guarded] { setCustomView(guarded); })) return;
  customView_ = view;
  updateIndicators();
  changed();
}

void MBProgressHUD::setLabelText(const std::optional<QString>& text) {
  if (forwardToMain([this, text] { setLabelText(text); })) return;
  labelText_ = text;
  label_->setText(text.value_or(QString()));
  label_->update();
  changed();
}

void MBProgressHUD::setDetailsLabelText(const std::optional<QString>& text) {
  if (forwardToMain([this, text] { setDetailsLabelText(text); })) return;
  detailsLabelText_ = text;
  detailsLabel_->setText(text.value_or(QString()));
  detailsLabel_->update();
  changed();
}

void MBProgressHUD::setLabelFont(const Font& font) {
  if (forwardToMain([this, font] { setLabelFont(font); })) return;
  labelFont_ = font;
  label_->setFont(font);
  changed();
}

void MBProgressHUD::setLabelColor(const Color& color) {
  if (forwardToMain([this, color] { setLabelColor(color); })) return;
  labelColor_ = color;
  label_->color = color;
  label_->update();
  changed();
}

void MBProgressHUD::setDetailsLabelFont(const Font& font) {
  if (forwardToMain([this, font] { setDetailsLabelFont(font); })) return;
  detailsLabelFont_ = font;
  detailsLabel_->setFont(font);
  changed();
}

void MBProgressHUD::setDetailsLabelColor(const Color& color) {
  if (forwardToMain([this, color] { setDetailsLabelColor(color); })) return;
  detailsLabelColor_ = color;
  detailsLabel_->color = color;
  detailsLabel_->update();
  changed();
}

void MBProgressHUD::setProgress(float progress) {
  if (forwardToMain([this, progress] { setProgress(progress); })) return;
  progress_ = progress;
  // Only indicators that show a progress take it; nothing else changes.
  if (auto* bar = qobject_cast<MBBarProgressView*>(indicator_)) bar->setProgress(progress);
  else if (auto* round = qobject_cast<MBRoundProgressView*>(indicator_)) round->setProgress(progress);
}

// --- layout and drawing ---

bool MBProgressHUD::event(QEvent* event) {
  if (event->type() == QEvent::UpdateLater) {
    // Posted when shown, for the whole overlay (and all of the view beneath, which shows through); only the
    // box and the subviews draw anything.
    update(alphaDirtyRect());
    return true;
  }
  return QWidget::event(event);
}

void MBProgressHUD::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutSubviews();
}

void MBProgressHUD::layoutSubviews() {
  if (QWidget* parent = parentWidget()) {
    if (geometry() != parent->rect()) setGeometry(parent->rect());
  }
  const double W = width(), H = height();
  const double m = margin_;
  const double maxWidth = W - 4 * m;

  double iw = 0, ih = 0;
  if (indicator_) {
    iw = std::min(double(indicator_->width()), maxWidth);
    ih = indicator_->height();
  }
  auto measure = [maxWidth](const Label* l) {
    Size s = l->measured();
    if (s.width > 0) s.width = std::min(s.width + 10, maxWidth);
    return s;
  };
  const Size ls = measure(label_);
  const Size ds = measure(detailsLabel_);
  const double lw = ls.width, lh = ls.height, dw = ds.width, dh = ds.height;

  double contentWidth = std::max({iw, lw, dw});
  // The button sits in the box too: a short label must not leave it hanging over the box's edges.
  if (mHasButton && button_) contentWidth = std::max(contentWidth, double(button_->width()));
  double contentHeight = ih + lh + dh;
  if (ih > 0 && lh > 0) contentHeight += kPadding;
  if (dh > 0 && (lh > 0 || ih > 0)) contentHeight += kPadding;
  if (mHasButton) contentHeight += kButtonRoom;

  double boxW = contentWidth + 2 * m;
  double boxH = contentHeight + 2 * m;

  const double baseY = m + roundHalfAway((H - boxH) / 2) - yOffset_;
  double indicatorY = baseY;
  if (lh > 0 && ih > 0) indicatorY += lh + kPadding;
  if (dh > 0 && (lh > 0 || ih > 0)) indicatorY += dh + kPadding;
  if (mHasButton) indicatorY += kButtonRoom;
  if (indicator_) {
    platform::setFrame(indicator_, {roundHalfAway((W - iw) / 2) + xOffset_, indicatorY, iw, ih});
  }
  const double labelY = (lh > 0 && ih > 0) ? indicatorY - (lh + kPadding) : indicatorY;
  platform::setFrame(label_, {roundHalfAway((W - lw) / 2) + xOffset_, labelY, lw, lh});
  const double detailsY = (dh > 0 && (lh > 0 || ih > 0)) ? labelY - (dh + kPadding) : labelY;
  platform::setFrame(detailsLabel_, {roundHalfAway((W - dw) / 2) + xOffset_, detailsY, dw, dh});

  if (square_) {
    const double s = std::max(boxW, boxH);
    if (s <= W - 2 * m) boxW = s;
    if (s <= H - 2 * m) boxH = s;
  }
  boxW = std::max(boxW, minSize_.width);
  boxH = std::max(boxH, minSize_.height);
  size_ = {boxW, boxH};

  // A fade frame repaints only where the box and the subviews are now: where they were before this layout is
  // repainted here, and where they are, in case nothing else asks (an offset, a margin or a button changed).
  if (const QRect drawn = alphaDirtyRect(); drawn != laidOut_) {
    update(QRegion(laidOut_) + drawn);
    laidOut_ = drawn;
  }
}

Rect MBProgressHUD::labelFrame() const { return platform::frameOf(label_); }
Rect MBProgressHUD::detailsLabelFrame() const { return platform::frameOf(detailsLabel_); }

Rect MBProgressHUD::boxFrame() const {
  const double W = width(), H = height();
  return {roundHalfAway((W - size_.width) / 2) + xOffset_, roundHalfAway((H - size_.height) / 2) - yOffset_,
          size_.width, size_.height};
}

void MBProgressHUD::paintEvent(QPaintEvent*) {
  layoutSubviews();
  const double alpha = platform::effectiveAlpha(this);
  if (alpha <= 0) return;
  QPainter painter(this);
  painter.setOpacity(alpha);
  Canvas c(painter, {double(width()), double(height())});
  c.saveGState();
  if (dimBackground_) {
    const platform::Gradient g({{0.0, Color::blackColor().withAlpha(0)}, {1.0, Color::blackColor().withAlpha(0.75)}});
    const platform::Point centre{width() / 2.0, height() / 2.0};
    c.drawRadialGradient(g, centre, 0, centre, std::min(width(), height()), platform::kGradientDrawsAfterEnd);
  }
  c.setFillColor(color_ ? *color_ : Color::white(0, opacity_));
  const Rect box = boxFrame();
  const double r = std::min<double>(cornerRadius_, std::min(box.width(), box.height()) / 2);
  c.fillPath(platform::Path::roundedRect(box, r, r));
  c.restoreGState();
}

// --- alpha ---

void MBProgressHUD::setPresentedAlpha(double alpha) {
  alpha = std::clamp(alpha, 0.0, 1.0);
  if (alpha == presentedAlpha_) return;
  presentedAlpha_ = alpha;
  fadeSubviews();
  update(alphaDirtyRect());
}

void MBProgressHUD::fadeSubviews() {
  for (QObject* child : children()) {
    auto* sub = qobject_cast<QWidget*>(child);
    // The labels and Views paint the overlay's alpha themselves (effectiveAlpha).
    if (!sub || sub == label_ || sub == detailsLabel_ || dynamic_cast<platform::View*>(sub)) continue;
    QGraphicsEffect* effect = sub->graphicsEffect();
    auto* ours = dynamic_cast<FadeEffect*>(effect);
    if (effect && !ours) continue;  // its owner's effect stays
    if (presentedAlpha_ >= 1) {
      if (ours) sub->setGraphicsEffect(nullptr);  // drawn directly again
      continue;
    }
    if (!ours) {
      ours = new FadeEffect(sub);
      sub->setGraphicsEffect(ours);
    }
    ours->setOpacity(presentedAlpha_);
  }
}

QRect MBProgressHUD::alphaDirtyRect() const {
  if (dimBackground_) return rect();
  QRect dirty = platform::toQt(boxFrame(), height()).toAlignedRect();
  for (QObject* child : children()) {
    if (auto* sub = qobject_cast<QWidget*>(child); sub && !sub->isHidden()) dirty |= sub->geometry();
  }
  // The box's edge is smoothed half a point beyond it.
  return dirty.adjusted(-1, -1, 1, 1) & rect();
}

// --- clicks ---

void MBProgressHUD::cleanUp() {
  taskInProgress_ = false;
  hide(useAnimation_);
}

void MBProgressHUD::mousePressEvent(QMouseEvent* event) {
  if (isFinished_) {
    event->ignore();  // to the view behind, as an ordinary view would
    return;
  }
  event->accept();  // swallowed: nothing behind the overlay gets it
  if (dismissible_) {
    cleanUp();
    if (delegate_) delegate_->hudWasTapped(this);
  }
}

void MBProgressHUD::mouseReleaseEvent(QMouseEvent* event) {
  if (isFinished_) event->ignore();
  else event->accept();
}

void MBProgressHUD::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }
