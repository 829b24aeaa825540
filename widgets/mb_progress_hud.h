#pragma once
// The progress overlay: a view laid over the whole of another view that swallows the clicks falling on it and
// draws a translucent rounded box in its centre holding an indicator, a main label, a details label and, when
// asked, one push button. Shows after an optional grace time, stays at least an optional minimum time, fades
// in and out, and can remove itself when hidden. Main thread only; its observed properties may be set from
// other threads (the change is passed to the main thread without waiting).
//
// Its alpha (platform::setAlphaValue) is applied while it paints, not by an opacity effect over the whole
// overlay: a fade then repaints only the box, and the subviews that do not paint it themselves (the indicator,
// the button, a custom view that is no View) take a small effect of their own while it is below 1.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/time_source.h"
#include "platform/ui/view_geometry.h"

class MBProgressHUD;
class SYFlatButton;

// Optional hooks.
class MBProgressHUDDelegate {
 public:
  virtual ~MBProgressHUDDelegate() = default;
  // After a hide has completed.
  virtual void hudWasHidden(MBProgressHUD* hud) { (void)hud; }
  // After a click dismissed a dismissible overlay.
  virtual void hudWasTapped(MBProgressHUD* hud) { (void)hud; }
};

enum MBProgressHUDMode : int {
  MBProgressHUDModeIndeterminate = 0,
  MBProgressHUDModeDeterminate = 1,
  MBProgressHUDModeDeterminateHorizontalBar = 2,
  MBProgressHUDModeAnnularDeterminate = 3,
  MBProgressHUDModeCustomView = 4,
  MBProgressHUDModeText = 5,
};

enum MBProgressHUDAnimation : int { MBProgressHUDAnimationFade = 0 };

class MBProgressHUD : public QWidget, public platform::AppliesOwnAlpha {
  Q_OBJECT

 public:
  // An overlay of the given y-up frame in `parent` (not shown: alpha 0).
  MBProgressHUD(const platform::Rect& frame, QWidget* parent);
  // initWithView: an overlay the size of the view's frame, at (0, 0). It is not added to the view.
  explicit MBProgressHUD(QWidget* view);
  ~MBProgressHUD() override;

  // Creates an overlay over the view, adds it as its subview, shows it and returns it.
  static MBProgressHUD* showHUDAddedTo(QWidget* view, bool animated);
  // Hides the topmost overlay of the view (removing it when hidden); false when there is none.
  static bool hideHUDForView(QWidget* view, bool animated);
  // Hides every overlay of the view; returns how many.
  static int hideAllHUDsForView(QWidget* view, bool animated);
  static MBProgressHUD* HUDForView(QWidget* view);
  static std::vector<MBProgressHUD*> allHUDsForView(QWidget* view);

  void show(bool animated);
  void hide(bool animated);
  void hide(bool animated, double delay);  // hide:afterDelay:
  // Adds the push button (80 x 36, red, momentary) whose press runs `clickBlock`.
  void setupButton(const QString& title, std::function<void()> clickBlock);

  // Observed properties.
  int mode() const { return mode_; }
  void setMode(int mode);
  QWidget* customView() const { return customView_; }
  void setCustomView(QWidget* view);
  const std::optional<QString>& labelText() const { return labelText_; }
  void setLabelText(const std::optional<QString>& text);
  const std::optional<QString>& detailsLabelText() const { return detailsLabelText_; }
  void setDetailsLabelText(const std::optional<QString>& text);
  const platform::Font& labelFont() const { return labelFont_; }
  void setLabelFont(const platform::Font& font);
  const platform::Color& labelColor() const { return labelColor_; }
  void setLabelColor(const platform::Color& color);
  const platform::Font& detailsLabelFont() const { return detailsLabelFont_; }
  void setDetailsLabelFont(const platform::Font& font);
  const platform::Color& detailsLabelColor() const { return detailsLabelColor_; }
  void setDetailsLabelColor(const platform::Color& color);
  float progress() const { return progress_; }
  void setProgress(float progress);

  // Plain properties.
  int animationType() const { return animationType_; }
  void setAnimationType(int t) { animationType_ = t; }
  float opacity() const { return opacity_; }
  void setOpacity(float o) { opacity_ = o; update(); }
  const std::optional<platform::Color>& color() const { return color_; }
  void setColor(const std::optional<platform::Color>& c) { color_ = c; update(); }
  float xOffset() const { return xOffset_; }
  void setXOffset(float x) { xOffset_ = x; layoutSubviews(); }
  float yOffset() const { return yOffset_; }
  void setYOffset(float y) { yOffset_ = y; layoutSubviews(); }
  bool dimBackground() const { return dimBackground_; }
  void setDimBackground(bool d) { dimBackground_ = d; update(); }
  bool dismissible() const { return dismissible_; }
  void setDismissible(bool d) { dismissible_ = d; }
  float spinsize() const { return spinsize_; }
  void setSpinsize(float s) { spinsize_ = s; }
  float margin() const { return margin_; }
  void setMargin(float m) { margin_ = m; layoutSubviews(); }
  float cornerRadius() const { return cornerRadius_; }
  void setCornerRadius(float r) { cornerRadius_ = r; update(); }
  float graceTime() const { return graceTime_; }
  void setGraceTime(float t) { graceTime_ = t; }
  float minShowTime() const { return minShowTime_; }
  void setMinShowTime(float t) { minShowTime_ = t; }
  bool taskInProgress() const { return taskInProgress_; }
  void setTaskInProgress(bool t) { taskInProgress_ = t; }
  bool removeFromSuperViewOnHide() const { return removeFromSuperViewOnHide_; }
  void setRemoveFromSuperViewOnHide(bool r) { removeFromSuperViewOnHide_ = r; }
  const platform::Size& minSize() const { return minSize_; }
  void setMinSize(const platform::Size& s) { minSize_ = s; layoutSubviews(); }
  bool isSquare() const { return square_; }
  void setSquare(bool s) { square_ = s; layoutSubviews(); }
  MBProgressHUDDelegate* delegate() const { return delegate_; }
  void setDelegate(MBProgressHUDDelegate* d) { delegate_ = d; }
  const std::function<void()>& completionBlock() const { return completionBlock_; }
  void setCompletionBlock(std::function<void()> block) { completionBlock_ = std::move(block); }
  // The box size computed by the last layout.
  const platform::Size& size() const { return size_; }

  // State, for those who check it.
  QWidget* indicator() const { return indicator_; }
  SYFlatButton* button() const { return button_; }
  bool isFinished() const { return isFinished_; }
  bool hasButton() const { return mHasButton; }
  bool hasShowStarted() const { return showStarted_.has_value(); }
  bool hasGraceTimer() const { return graceTimer_.isValid(); }
  bool hasMinShowTimer() const { return minShowTimer_.isValid(); }
  // Frames (y-up, in the overlay) of the two labels.
  platform::Rect labelFrame() const;
  platform::Rect detailsLabelFrame() const;
  // The box as drawn (y-up, in the overlay).
  platform::Rect boxFrame() const;

  void layoutSubviews();

  // The alpha as drawn now (platform::AppliesOwnAlpha).
  double presentedAlpha() const override { return presentedAlpha_; }
  void setPresentedAlpha(double alpha) override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  class Label;
  void setupLabels();
  void updateIndicators();
  void showUsingAnimation(bool animated);
  void hideUsingAnimation(bool animated);
  void done();
  void handleGraceTimer();
  void cleanUp();
  void cancelDelayedPerforms();
  void changed();  // mark for layout and redisplay
  // Gives the subviews that do not apply the overlay's alpha themselves an effect at that alpha (none at 1).
  void fadeSubviews();
  // What a change of alpha repaints: the box and the subviews, or all of it when the background is dimmed.
  QRect alphaDirtyRect() const;
  // Runs `fn` here when on the main thread, else passes it there without waiting.
  bool forwardToMain(std::function<void()> fn);

  bool useAnimation_ = false;
  Label* label_ = nullptr;
  Label* detailsLabel_ = nullptr;
  bool mHasButton = false;
  bool isFinished_ = false;
  bool square_ = false;
  bool dimBackground_ = false;
  bool dismissible_ = false;
  bool taskInProgress_ = false;
  bool removeFromSuperViewOnHide_ = false;
  int animationType_ = MBProgressHUDAnimationFade;
  int mode_ = MBProgressHUDModeIndeterminate;
  float opacity_ = 0.8f;
  float xOffset_ = 0;
  float yOffset_ = 0;
  float spinsize_ = 60;
  float margin_ = 20;
  float graceTime_ = 0;
  float minShowTime_ = 0;
  float progress_ = 0;
  float cornerRadius_ = 10;
  double presentedAlpha_ = 1;
  QRect laidOut_;  // what the box and the subviews took as of the last layout (alphaDirtyRect)
  MBProgressHUDDelegate* delegate_ = nullptr;
  std::optional<platform::Color> color_;
  platform::Font labelFont_ = platform::Font::boldSystemFont(16);
  platform::Color labelColor_ = platform::Color::whiteColor();
  platform::Font detailsLabelFont_ = platform::Font::boldSystemFont(12);
  platform::Color detailsLabelColor_ = platform::Color::whiteColor();
  QPointer<QWidget> indicator_;
  platform::Timer graceTimer_;
  platform::Timer minShowTimer_;
  platform::Timer delayedHideTimer_;
  QPointer<QWidget> customView_;
  std::optional<double> showStarted_;
  std::optional<QString> labelText_;
  std::optional<QString> detailsLabelText_;
  std::function<void()> completionBlock_;
  platform::Size minSize_;
  platform::Size size_;
  SYFlatButton* button_ = nullptr;
};
