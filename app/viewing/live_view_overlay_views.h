#pragma once
// The small views the live-view display lays over its picture: a line of text with a shadow (the movie time, the
// audio channels' letters) and a nudge arrow button. Main thread only.
#include <QString>
#include <functional>

#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/graphics/image.h"
#include "platform/ui/view.h"

// A line of text, not selectable, on a clear background, with a black shadow.
class LiveViewTextView : public platform::View {
 public:
  LiveViewTextView(const platform::Rect& frame, QWidget* parent);

  const QString& string() const { return string_; }
  void setString(const QString& string);
  void setTextColor(const platform::Color& color);
  void setFont(const platform::Font& font);
  // The shadow's offset (y up) and blur.
  void setTextShadow(platform::Size offset, double blur);

 protected:
  void drawRect(platform::Canvas& canvas, const platform::Rect& bounds) override;
  bool drawsContent() const override { return !string_.isEmpty(); }

 private:
  QString string_;
  platform::Color color_ = platform::Color::whiteColor();
  platform::Font font_ = platform::Font::systemFont(14);
  platform::Size shadowOffset_{1, 1};
  double shadowBlur_ = 1;
};

// A button that shows an image and, when clicked, sends its tag to its action.
class LiveViewNudgeButton : public platform::View {
 public:
  LiveViewNudgeButton(const platform::Rect& frame, int tag, QWidget* parent);

  int tag() const { return tag_; }
  const platform::Image& image() const { return image_; }
  void setImage(const platform::Image& image);
  void setAction(std::function<void(int tag)> action) { action_ = std::move(action); }

 protected:
  void drawRect(platform::Canvas& canvas, const platform::Rect& bounds) override;
  bool drawsContent() const override { return !image_.isNull(); }
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int tag_;
  platform::Image image_;
  std::function<void(int)> action_;
  bool pressed_ = false;
};
