#pragma once
// The exposure scale of the capture panel: a passive strip that shows six stops around the camera's exposure
// compensation (the ticks and numbers of its inner ExposureCompImageView), a centre line, one bar per bracketed
// shot (an arrow at the edge for a shot beyond the window) and the overflow arrows of a reading off the scale. The
// panel feeds it; it never talks to the camera.
//
// The setters may be called on any thread: off the main thread they hop to the main queue, so that the values
// are only ever touched there, and nothing queued reaches a scale that is gone. Bracket marks are replaced in one
// step on the main thread (replaceBrackets), so that the drawing never sees a half-filled list.
//
//   scale->initialize();                      // once, after loading: the inner view and the centre line
//   scale->setSpacing(camExposureCompCount());
//   scale->setExposureOffset(-0.3333f);
//   scale->replaceBrackets({-1.0f, 1.0f});    // two bars a stop either side of the centre
#include <QPointer>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/view.h"

class ExposureCompImageView;

class ExposureCompView : public platform::View {
 public:
  explicit ExposureCompView(QWidget* parent = nullptr);
  ~ExposureCompView() override;

  // Builds the parts: the inner view on the lower three quarters and the centre line, see-through (parts made
  // before go first).
  void initialize();

  // Each stores its value and asks for a redraw (on the main thread; from another thread it hops there).
  void setMinExposureComp(float stops);
  void setMaxExposureComp(float stops);
  void setMinExposureBracket(float stops);
  void setMaxExposureBracket(float stops);
  void setExposureOffset(float stops);
  void setSpacing(int32_t marksPerStop);
  // Greys the ticks and numbers at once, the centre line and bars at the next updateBrackets. Also enables or
  // disables the view itself.
  void setEnabled(bool enabled);

  // Bracket marks. addBracket appends a shot's offset (stops from the centre) and turns the overflow arrows off;
  // clearBrackets empties the list (and redraws the marks when asked); updateBrackets draws the marks of the
  // list. replaceBrackets does clear, add and draw in one step.
  bool addBracket(float stops);
  void clearBrackets(bool redraw);
  void updateBrackets();
  void replaceBrackets(std::vector<float> stops);
  // An arrow at that edge for a reading beyond the scale: turns the other one off and clears the marks.
  void setLeftOverflow(bool on);
  void setRightOverflow(bool on);

  float minExposureComp() const { return minExposureComp_; }
  float maxExposureComp() const { return maxExposureComp_; }
  float minExposureBracket() const { return minExposureBracket_; }
  float maxExposureBracket() const { return maxExposureBracket_; }
  float exposureOffset() const { return exposureOffset_; }
  int32_t spacing() const { return spacing_; }
  bool isScaleEnabled() const { return mIsEnabled; }
  bool leftOverflow() const { return mLeftOverflow; }
  bool rightOverflow() const { return mRightOverflow; }
  const std::vector<float>& bracketValues() const { return mBracketValuesArray; }
  // What is drawn for brackets and overflow, in drawing order (image views for arrows, plain views for bars).
  std::vector<QWidget*> bracketViews() const;
  ExposureCompImageView* imageView() const { return mImageView; }
  QWidget* centerLine() const { return mCenterLine; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Runs `f` on the main thread with this scale: now, or queued when called elsewhere (dropped if the scale is
  // gone by then).
  template <class F>
  bool onMain(F f);
  // Hands the values to the inner view and asks it to redraw.
  void setNeedsDisplay();
  void drawBrackets();
  void placeParts();

  float minExposureComp_ = 0, maxExposureComp_ = 0, minExposureBracket_ = 0, maxExposureBracket_ = 0;
  float exposureOffset_ = 0;
  int32_t spacing_ = 0;
  bool mIsEnabled = true;
  bool mLeftOverflow = false, mRightOverflow = false;
  std::vector<float> mBracketValuesArray;
  std::vector<QPointer<QWidget>> mBracketViewsArray;
  ExposureCompImageView* mImageView = nullptr;
  platform::View* mCenterLine = nullptr;
  bool built_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
