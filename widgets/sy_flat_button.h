#pragma once
// The program's push and toggle button. It draws nothing itself: a background, a border, an image tinted as a
// mask and a title are layers whose colours change, animated, with the on/off state. Momentary buttons are on
// only while pressed; toggle buttons keep the state a press gave them. A disabled button is drawn at half
// opacity and lets clicks through to what lies under it.

#include <QColor>
#include <functional>
#include <memory>

#include "platform/graphics/font.h"
#include "platform/graphics/image.h"
#include "platform/ui/layer.h"

class SYFlatButton;

// Told when a press starts and when it ends (released or dragged out).
class SYFlatButtonDelegate {
 public:
  virtual ~SYFlatButtonDelegate() = default;
  virtual void buttonDown(SYFlatButton* button) { (void)button; }
  virtual void buttonUp(SYFlatButton* button) { (void)button; }
};

// Where the image goes relative to the title.
enum NSCellImagePosition : int {
  NSNoImage = 0,
  NSImageOnly = 1,
  NSImageLeft = 2,
  NSImageRight = 3,
  NSImageBelow = 4,
  NSImageAbove = 5,
  NSImageOverlaps = 6,
  NSImageLeading = 7,
  NSImageTrailing = 8,
};

class SYFlatButton : public platform::LayerHostWidget {
  Q_OBJECT
  // For interface files: colours as QColor (an invalid colour is "none"), lengths in points.
  Q_PROPERTY(bool momentary READ momentary WRITE setMomentary)
  Q_PROPERTY(qreal cornerRadius READ cornerRadius WRITE setCornerRadius)
  Q_PROPERTY(qreal borderWidth READ borderWidth WRITE setBorderWidth)
  Q_PROPERTY(qreal spacing READ spacing WRITE setSpacing)
  Q_PROPERTY(qreal onAnimateDuration READ onAnimateDuration WRITE setOnAnimateDuration)
  Q_PROPERTY(qreal offAnimateDuration READ offAnimateDuration WRITE setOffAnimateDuration)
  Q_PROPERTY(QString title READ title WRITE setTitle)
  Q_PROPERTY(int state READ state WRITE setState)
  Q_PROPERTY(int imagePosition READ imagePosition WRITE setImagePosition)
  // The control's integer tag, as interface files set it (<property name="tag">, with or without stdset="0").
  Q_PROPERTY(qint64 tag READ tag WRITE setTag)
  Q_PROPERTY(QColor borderNormalColor READ qBorderNormalColor WRITE setQBorderNormalColor)
  Q_PROPERTY(QColor borderHighlightColor READ qBorderHighlightColor WRITE setQBorderHighlightColor)
  Q_PROPERTY(QColor backgroundNormalColor READ qBackgroundNormalColor WRITE setQBackgroundNormalColor)
  Q_PROPERTY(QColor backgroundHighlightColor READ qBackgroundHighlightColor WRITE setQBackgroundHighlightColor)
  Q_PROPERTY(QColor imageNormalColor READ qImageNormalColor WRITE setQImageNormalColor)
  Q_PROPERTY(QColor imageHighlightColor READ qImageHighlightColor WRITE setQImageHighlightColor)
  Q_PROPERTY(QColor titleNormalColor READ qTitleNormalColor WRITE setQTitleNormalColor)
  Q_PROPERTY(QColor titleHighlightColor READ qTitleHighlightColor WRITE setQTitleHighlightColor)

 public:
  using OptionalColor = platform::OptionalColor;

  explicit SYFlatButton(QWidget* parent = nullptr);
  // A button with a y-up frame in its parent.
  SYFlatButton(const platform::Rect& frame, QWidget* parent);
  ~SYFlatButton() override;

  // Called for buttons loaded from an interface file: from then on the button follows the pointer going in and
  // out (mouseEntered / mouseExited). Buttons made in code never get these.
  void awakeFromNib();
  bool hasTrackingArea() const { return trackingArea_; }

  // Size of a string from the font's own glyphs: the sum of the advances by the ascent plus descent; zero by
  // zero when a character has no glyph in the font.
  static platform::Size frameSizeForString(const QString& string, const platform::Font& font);

  // Layout of the two layers.
  void setupImageLayer();
  void setupTitleLayer();
  void removeAllAnimations();
  void animateColorWithState(int state);
  void animateLayer(platform::Layer& layer, const OptionalColor& color, const std::string& keyPath, double duration);

  // The press, as the pointer handlers call it.
  void mouseDown();
  void mouseEntered();
  void mouseExited();
  void mouseUp();

  // Fields.
  bool momentary() const { return momentary_; }
  void setMomentary(bool m);
  bool isMouseDown() const { return mouseDown_; }
  void setMouseDown(bool m) { mouseDown_ = m; }
  SYFlatButtonDelegate* delegate() const { return delegate_; }
  void setDelegate(SYFlatButtonDelegate* d) { delegate_ = d; }
  double onAnimateDuration() const { return onAnimateDuration_; }
  void setOnAnimateDuration(double d) { onAnimateDuration_ = d; }
  double offAnimateDuration() const { return offAnimateDuration_; }
  void setOffAnimateDuration(double d) { offAnimateDuration_ = d; }
  double cornerRadius() const { return cornerRadius_; }
  void setCornerRadius(double r);
  double borderWidth() const { return borderWidth_; }
  void setBorderWidth(double w);
  double spacing() const { return spacing_; }
  void setSpacing(double s);
  const OptionalColor& borderNormalColor() const { return borderNormalColor_; }
  void setBorderNormalColor(const OptionalColor& c);
  const OptionalColor& borderHighlightColor() const { return borderHighlightColor_; }
  void setBorderHighlightColor(const OptionalColor& c);
  const OptionalColor& backgroundNormalColor() const { return backgroundNormalColor_; }
  void setBackgroundNormalColor(const OptionalColor& c);
  const OptionalColor& backgroundHighlightColor() const { return backgroundHighlightColor_; }
  void setBackgroundHighlightColor(const OptionalColor& c);
  const OptionalColor& imageNormalColor() const { return imageNormalColor_; }
  void setImageNormalColor(const OptionalColor& c);
  const OptionalColor& imageHighlightColor() const { return imageHighlightColor_; }
  void setImageHighlightColor(const OptionalColor& c);
  const OptionalColor& titleNormalColor() const { return titleNormalColor_; }
  void setTitleNormalColor(const OptionalColor& c);
  const OptionalColor& titleHighlightColor() const { return titleHighlightColor_; }
  void setTitleHighlightColor(const OptionalColor& c);
  const std::function<void()>& mouseDownBlock() const { return mouseDownBlock_; }
  void setMouseDownBlock(std::function<void()> block) { mouseDownBlock_ = std::move(block); }
  // Made on first use.
  platform::Layer& imageLayer();
  platform::TextLayer& titleLayer();
  void setImageLayer(std::shared_ptr<platform::Layer> layer) { imageLayer_ = std::move(layer); }
  void setTitleLayer(std::shared_ptr<platform::TextLayer> layer) { titleLayer_ = std::move(layer); }

  // The button properties it builds on.
  int state() const { return state_; }
  virtual void setState(int state);
  const QString& title() const { return title_; }
  void setTitle(const QString& title);
  const platform::Font& font() const { return font_; }
  void setFont(const platform::Font& font);
  const platform::Image& image() const { return image_; }
  virtual void setImage(const platform::Image& image);
  int imagePosition() const { return imagePosition_; }
  void setImagePosition(int position);
  // The target-action pair: called with the button when a press ends on it. The clicked() signal follows.
  void setAction(std::function<void(SYFlatButton*)> action) { action_ = std::move(action); }
  // A number the owner gives the button to tell it apart in a shared action (a value, a direction, a zoom
  // step); 0 until set. Also readable as the "tag" property, as on any other control that carries one.
  qint64 tag() const { return tag_; }
  void setTag(qint64 tag) { tag_ = tag; }
  platform::Rect frame() const;
  void setFrame(const platform::Rect& frame);

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // After the enabled state changed (alpha and hit-testing already updated).
  virtual void enabledChanged() {}

 private:
  void setup();
  void sendAction();
  void pointerInside(bool inside);
  static QColor toQ(const OptionalColor& c) { return c ? c->toQColor() : QColor(); }
  static OptionalColor fromQ(const QColor& c) {
    return c.isValid() ? OptionalColor(platform::Color::fromQColor(c)) : OptionalColor(std::nullopt);
  }
  QColor qBorderNormalColor() const { return toQ(borderNormalColor_); }
  void setQBorderNormalColor(const QColor& c) { setBorderNormalColor(fromQ(c)); }
  QColor qBorderHighlightColor() const { return toQ(borderHighlightColor_); }
  void setQBorderHighlightColor(const QColor& c) { setBorderHighlightColor(fromQ(c)); }
  QColor qBackgroundNormalColor() const { return toQ(backgroundNormalColor_); }
  void setQBackgroundNormalColor(const QColor& c) { setBackgroundNormalColor(fromQ(c)); }
  QColor qBackgroundHighlightColor() const { return toQ(backgroundHighlightColor_); }
  void setQBackgroundHighlightColor(const QColor& c) { setBackgroundHighlightColor(fromQ(c)); }
  QColor qImageNormalColor() const { return toQ(imageNormalColor_); }
  void setQImageNormalColor(const QColor& c) { setImageNormalColor(fromQ(c)); }
  QColor qImageHighlightColor() const { return toQ(imageHighlightColor_); }
  void setQImageHighlightColor(const QColor& c) { setImageHighlightColor(fromQ(c)); }
  QColor qTitleNormalColor() const { return toQ(titleNormalColor_); }
  void setQTitleNormalColor(const QColor& c) { setTitleNormalColor(fromQ(c)); }
  QColor qTitleHighlightColor() const { return toQ(titleHighlightColor_); }
  void setQTitleHighlightColor(const QColor& c) { setTitleHighlightColor(fromQ(c)); }

  bool momentary_ = false;
  bool mouseDown_ = false;
  SYFlatButtonDelegate* delegate_ = nullptr;
  double onAnimateDuration_ = 0;
  double offAnimateDuration_ = 0;
  double cornerRadius_ = 0;
  double borderWidth_ = 0;
  double spacing_ = 0;
  OptionalColor borderNormalColor_;
  OptionalColor borderHighlightColor_;
  OptionalColor backgroundNormalColor_;
  OptionalColor backgroundHighlightColor_;
  OptionalColor imageNormalColor_;
  OptionalColor imageHighlightColor_;
  OptionalColor titleNormalColor_;
  OptionalColor titleHighlightColor_;
  std::function<void()> mouseDownBlock_;
  std::shared_ptr<platform::Layer> imageLayer_;
  std::shared_ptr<platform::TextLayer> titleLayer_;

  int state_ = 0;
  QString title_;
  platform::Font font_ = platform::Font::systemFont(13);
  platform::Image image_;
  int imagePosition_ = NSNoImage;
  std::function<void(SYFlatButton*)> action_;
  qint64 tag_ = 0;
  bool trackingArea_ = false;
  bool pointerInside_ = false;
};
