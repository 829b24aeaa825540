// The progress overlay: clicks swallowed while it is up, grace and minimum-show times on a clock the test
// advances, fades, the layout rules, the button, and changes made from other threads.
#include <QCoreApplication>
#include <QGraphicsEffect>
#include <QScreen>
#include <gtest/gtest.h>
#include <functional>
#include <thread>

#include "platform/foundation/dispatch.h"
#include "platform/ui/view.h"
#include "platform/ui/view_geometry.h"
#include "widgets/mb_progress_hud.h"
#include "widgets/mb_progress_views.h"
#include "widgets/sy_flat_button.h"
#include "widgets/testing/widget_fixture.h"
#include "widgets/yrk_spinning_progress_indicator.h"

using platform::Color;
using platform::Rect;
using widgets_testing::near;

namespace {

struct Target : QWidget {
  using QWidget::QWidget;
  int presses = 0;
  void mousePressEvent(QMouseEvent* e) override {
    ++presses;
    e->accept();
  }
};

// Counts the times it is painted.
struct PaintCounter : QWidget {
  using QWidget::QWidget;
  int paints = 0;
  void paintEvent(QPaintEvent*) override { ++paints; }
};

struct Hooks : MBProgressHUDDelegate {
  int hidden = 0, tapped = 0;
  void hudWasHidden(MBProgressHUD*) override { ++hidden; }
  void hudWasTapped(MBProgressHUD*) override { ++tapped; }
};

class HudTest : public widgets_testing::WidgetFixture {
 protected:
  void SetUp() override {
    WidgetFixture::SetUp();
    content_ = new Target(window());
    content_->setGeometry(window()->rect());
    behind_ = new Target(content_);
    behind_->setGeometry(20, 20, 100, 40);
  }
  void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
  // Runs the repaints that are due, as the event loop would.
  void flushPaints() {
    for (int i = 0; i < 3; ++i) QCoreApplication::sendPostedEvents();
  }
  // What the window shows: its backing store as last painted (not a fresh rendering, as grabWindow is).
  QImage onScreen() {
    flushPaints();
    return window()->screen()->grabWindow(window()->winId()).toImage().convertToFormat(QImage::Format_ARGB32);
  }
  Target* content_ = nullptr;
  Target* behind_ = nullptr;
};

TEST_F(HudTest, SwallowsClicksWhileUpAndLetsThemThroughOnceHidden) {
  showWindow();
  QPointer<MBProgressHUD> hud = MBProgressHUD::showHUDAddedTo(content_, false);
  EXPECT_EQ(hud->geometry(), content_->rect()) << "laid over the whole view";
  EXPECT_EQ(platform::alphaValue(hud), 1.0);
  hud->setRemoveFromSuperViewOnHide(true);
  click(inWindow(behind_));
  click(inWindow(content_, {300, 250}));
  EXPECT_EQ(behind_->presses, 0);
  EXPECT_EQ(content_->presses, 0);
  hud->hide(false);
  EXPECT_TRUE(hud->isFinished());
  EXPECT_FALSE(hud->isVisible());
  flushDeletes();
  EXPECT_TRUE(hud.isNull()) << "removed from its view when hidden";
  click(inWindow(behind_));
  EXPECT_EQ(behind_->presses, 1);
}

TEST_F(HudTest, FinishedOverlayPassesClicksOnToItsView) {
  showWindow();
  auto* hud = MBProgressHUD::showHUDAddedTo(content_, false);
  hud->hide(false);
  hud->QWidget::show();  // even if it were still on screen, a finished overlay no longer swallows
  click(inWindow(content_, {300, 250}));
  EXPECT_EQ(content_->presses, 1);
}

TEST_F(HudTest, GraceTimeDelaysTheShowAndNeedsATaskInProgress) {
  for (bool task : {true, false}) {
    SCOPED_TRACE(task ? "task in progress" : "no task");
    auto* hud = new MBProgressHUD(content_);
    hud->setParent(content_);
    hud->setGraceTime(1.0);
    hud->setTaskInProgress(task);
    hud->show(false);
    EXPECT_TRUE(hud->hasGraceTimer());
    EXPECT_EQ(platform::alphaValue(hud), 0.0);
    clock_->advance(0.99);
    EXPECT_FALSE(hud->hasShowStarted());
    clock_->advance(0.02);
    EXPECT_EQ(hud->hasShowStarted(), task);
    EXPECT_EQ(platform::alphaValue(hud), task ? 1.0 : 0.0);
    delete hud;
  }
}

TEST_F(HudTest, HideBeforeTheGraceTimeKeepsItFromShowingLater) {
  auto* hud = new MBProgressHUD(content_);
  hud->setParent(content_);
  hud->setGraceTime(1.0);
  hud->setTaskInProgress(true);
  hud->show(true);
  clock_->advance(0.5);
  hud->hide(true);
  EXPECT_TRUE(hud->isFinished());
  clock_->advance(5);
  EXPECT_FALSE(hud->hasShowStarted());
  EXPECT_FALSE(hud->isVisible());
}

TEST_F(HudTest, MinimumShowTimeHoldsTheHideBack) {
  Hooks hooks;
  auto* hud = MBProgressHUD::showHUDAddedTo(content_, false);
  hud->setDelegate(&hooks);
  hud->setMinShowTime(2.0);
  hud->hide(false);  // at once: shown for less than 2 s
  EXPECT_TRUE(hud->hasMinShowTimer());
  EXPECT_FALSE(hud->isFinished());
  clock_->advance(0.5);
  hud->hide(false);  // asking again restarts the wait for the rest of the time
  clock_->advance(1.49);
  EXPECT_FALSE(hud->isFinished());
  EXPECT_EQ(platform::alphaValue(hud), 1.0);
  clock_->advance(0.02);
  EXPECT_TRUE(hud->isFinished());
  EXPECT_EQ(hooks.hidden, 1);

  // Past the minimum time a hide is immediate.
  auto* later = MBProgressHUD::showHUDAddedTo(content_, false);
  later->setMinShowTime(2.0);
  clock_->advance(2.5);
  later->hide(false);
  EXPECT_TRUE(later->isFinished());
}

TEST_F(HudTest, AnimatedShowAndHideFadeOverAThirdOfASecond) {
  Hooks hooks;
  int completions = 0;
  auto* hud = MBProgressHUD::showHUDAddedTo(content_, true);
  hud->setDelegate(&hooks);
  hud->setCompletionBlock([&] { ++completions; });
  clock_->advance(0.15);
  const double mid = platform::alphaValue(hud);
  EXPECT_EQ(mid, 1.0) << "the model value is set at once";
  clock_->advance(0.2);
  hud->hide(true);
  clock_->advance(0.15);
  EXPECT_FALSE(hud->isFinished());
  EXPECT_FALSE(hud->isHidden());
  clock_->advance(0.2);
  EXPECT_TRUE(hud->isFinished());
  EXPECT_TRUE(hud->isHidden());
  EXPECT_EQ(completions, 1);
  EXPECT_EQ(hooks.hidden, 1);
  EXPECT_FALSE(hud->completionBlock()) << "run once, then cleared";
}

TEST_F(HudTest, FadeIsVisibleInWhatIsDrawn) {
  showWindow();
  auto* hud = MBProgressHUD::showHUDAddedTo(content_, true);
  hud->setMode(MBProgressHUDModeText);
  hud->setLabelText(QStringLiteral("Busy"));
  QPoint centre = inWindow(hud);
  auto boxPixel = [&] { return grabWindow().pixelColor(centre + QPoint(0, 30)); };
  const QColor start = boxPixel();
  clock_->advance(0.15);
  const QColor half = boxPixel();
  clock_->advance(0.3);
  const QColor full = boxPixel();
  EXPECT_TRUE(near(start, QColor(20, 20, 20), 2)) << "nothing yet";
  EXPECT_LT(half.red(), 20);
  EXPECT_GT(half.red(), full.red());
  EXPECT_TRUE(near(full, QColor(4, 4, 4), 2)) << "black at 0.8 over the window's grey";
}

TEST_F(HudTest, FadingRepaintsTheBoxNotTheViewBeneath) {
  // A widget in the view's corner, far from the box: nothing the overlay does while it shows, fades in and out
  // and goes away needs it painted again (a fade over the whole overlay would repaint it on every frame).
  auto* corner = new PaintCounter(content_);
  corner->setGeometry(4, 4, 30, 30);
  showWindow();
  flushPaints();
  corner->paints = 0;
  QPointer<MBProgressHUD> hud = MBProgressHUD::showHUDAddedTo(content_, true);
  hud->setRemoveFromSuperViewOnHide(true);
  hud->setLabelText(QStringLiteral("Connecting"));
  for (int frame = 0; frame < 30; ++frame) {
    clock_->advance(1.0 / 60);
    flushPaints();
  }
  hud->hide(true);
  for (int frame = 0; frame < 30 && hud && !hud->isFinished(); ++frame) {
    clock_->advance(1.0 / 60);
    flushPaints();
  }
  ASSERT_TRUE(hud.isNull() || hud->isFinished());
  flushPaints();
  EXPECT_EQ(corner->paints, 0);
  content_->update();  // the count does see a repaint of the view
  flushPaints();
  EXPECT_GT(corner->paints, 0);
}

TEST_F(HudTest, HiddenOverlayLeavesNothingOnScreen) {
  showWindow();
  for (bool animated : {false, true}) {
    SCOPED_TRACE(animated ? "animated" : "at once");
    auto* hud = MBProgressHUD::showHUDAddedTo(content_, animated);
    hud->setMode(MBProgressHUDModeText);
    hud->setLabelText(QStringLiteral("Busy"));
    clock_->advance(0.5);
    const QPoint inBox = inWindow(hud) + QPoint(0, 30);
    EXPECT_TRUE(near(onScreen().pixelColor(inBox), QColor(4, 4, 4), 2)) << "the box";
    hud->hide(animated);
    clock_->advance(0.5);
    ASSERT_TRUE(hud->isFinished());
    EXPECT_TRUE(near(onScreen().pixelColor(inBox), QColor(20, 20, 20), 2)) << "the window again";
    delete hud;
  }
}

TEST_F(HudTest, WhatTheWindowShowsMatchesAFreshRenderingAfterEachChange) {
  // The overlay repaints only what it draws; whatever it did to the screen must be what painting the window
  // afresh gives. Beneath the box: a view that paints all of itself (the window system does not repaint such a
  // view for a repaint of its superview) and one nested in a view that does not.
  struct Case {
    const char* name;
    std::function<void(MBProgressHUD*)> change;
  };
  const Case cases[] = {
      {"hidden at once", [](MBProgressHUD* hud) { hud->hide(false); }},
      {"faded out", [](MBProgressHUD* hud) { hud->hide(true); }},
      {"moved by an offset", [](MBProgressHUD* hud) { hud->setYOffset(70); }},
      {"margin grown", [](MBProgressHUD* hud) { hud->setMargin(50); }},
      {"made square", [](MBProgressHUD* hud) { hud->setSquare(true); }},
      {"given a minimum size", [](MBProgressHUD* hud) { hud->setMinSize({300, 60}); }},
      {"button added", [](MBProgressHUD* hud) { hud->setupButton(QStringLiteral("Stop"), [] {}); }},
      {"label shortened", [](MBProgressHUD* hud) { hud->setLabelText(QStringLiteral("B")); }},
      {"custom view resized by its owner",
       [](MBProgressHUD* hud) {
         auto* custom = new QWidget;
         custom->resize(30, 30);
         hud->setCustomView(custom);
         hud->setMode(MBProgressHUDModeCustomView);
         QCoreApplication::sendPostedEvents();
         custom->resize(120, 90);
       }},
  };
  auto opaque = [](QWidget* parent, QRect geometry, QColor colour) {
    auto* w = new QWidget(parent);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, colour);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
    w->setGeometry(geometry);
    return w;
  };
  opaque(content_, {60, 110, 280, 30}, QColor(58, 123, 213));
  auto* plain = new QWidget(content_);
  plain->setGeometry(60, 150, 280, 40);
  opaque(plain, plain->rect(), QColor(200, 150, 40));
  showWindow();
  // Where the window's backing store differs from painting the window again now.
  auto stale = [this] {
    const QImage shown = onScreen();
    const QImage fresh = grabWindow();
    QRect area;
    for (int y = 0; y < fresh.height(); ++y)
      for (int x = 0; x < fresh.width(); ++x)
        if (!near(shown.pixelColor(x, y), fresh.pixelColor(x, y), 2)) area |= QRect(x, y, 1, 1);
    return area;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QPointer<MBProgressHUD> hud = MBProgressHUD::showHUDAddedTo(content_, true);
    hud->setLabelText(QStringLiteral("Asking the camera"));
    for (int frame = 0; frame < 24; ++frame) {
      clock_->advance(1.0 / 60);
      flushPaints();
    }
    ASSERT_EQ(platform::effectiveAlpha(hud), 1.0);
    ASSERT_EQ(stale(), QRect()) << "shown";
    c.change(hud);
    for (int frame = 0; frame < 24; ++frame) {
      clock_->advance(1.0 / 60);
      flushPaints();
    }
    const QRect area = stale();
    EXPECT_EQ(area, QRect()) << "stale at " << area.x() << "," << area.y() << " " << area.width() << "x"
                             << area.height();
    delete hud;
    flushPaints();
  }
}

TEST_F(HudTest, SubviewsFadeWithTheOverlay) {
  showWindow();
  auto* hud = MBProgressHUD::showHUDAddedTo(content_, true);
  hud->setMode(MBProgressHUDModeText);
  hud->setLabelText(QStringLiteral("Busy"));
  hud->setupButton(QStringLiteral("Cancel"), [] {});
  SYFlatButton* button = hud->button();
  clock_->advance(0.15);
  const int midRed = pixel(grabWindow(), button, {3, 18}).red();
  EXPECT_GT(midRed, 40);
  EXPECT_LT(midRed, 180) << "the button is half faded in, as the box is";
  clock_->advance(0.3);
  EXPECT_TRUE(near(pixel(grabWindow(), button, {3, 18}), QColor(204, 0, 0), 3));
  EXPECT_EQ(button->graphicsEffect(), nullptr) << "drawn directly once the fade is over";

  // A View as the custom view fades itself, reading the overlay's alpha.
  auto* other = MBProgressHUD::showHUDAddedTo(content_, true);
  auto* custom = new platform::View();
  custom->resize(37, 37);
  other->setCustomView(custom);
  other->setMode(MBProgressHUDModeCustomView);
  clock_->advance(0.15);
  const double mid = platform::effectiveAlpha(custom);
  EXPECT_GT(mid, 0.1);
  EXPECT_LT(mid, 0.9);
  EXPECT_EQ(custom->graphicsEffect(), nullptr);
  clock_->advance(0.3);
  EXPECT_EQ(platform::effectiveAlpha(custom), 1.0);
}

TEST_F(HudTest, LayoutFollowsTheRules) {
  auto* hud = new MBProgressHUD(content_);
  hud->setParent(content_);
  hud->setMode(MBProgressHUDModeText);
  hud->show(false);
  hud->layoutSubviews();
  EXPECT_EQ(hud->size(), (platform::Size{40, 40})) << "twice the margin without content";
  hud->setMinSize({100, 50});
  EXPECT_EQ(hud->size(), (platform::Size{100, 50}));
  hud->setMinSize({0, 0});

  // A label: its measured width + 10, its height; centred.
  hud->setLabelText(QStringLiteral("Connecting"));
  const platform::Size ls = hud->labelFont().sizeOfString(QStringLiteral("Connecting"));
  EXPECT_NEAR(hud->labelFrame().width(), std::round(ls.width + 10), 1);
  EXPECT_NEAR(hud->size().height, ls.height + 40, 1);
  // An empty details label adds neither height nor padding.
  hud->setDetailsLabelText(QString());
  EXPECT_NEAR(hud->size().height, ls.height + 40, 1);
  // A very long label is cut to W - 4m.
  hud->setLabelText(QString(400, QLatin1Char('W')));
  EXPECT_NEAR(hud->labelFrame().width(), 400 - 4 * 20, 1);
  EXPECT_NEAR(hud->size().width, 400 - 2 * 20, 1);
  // With a button and a label only, the content height is the label height + 40.
  hud->setLabelText(QStringLiteral("Downloading"));
  hud->setupButton(QStringLiteral("Cancel"), [] {});
  EXPECT_NEAR(hud->size().height, ls.height + 40 + 40, 1);
  EXPECT_NEAR(hud->labelFrame().y(), 20 + std::round((300 - hud->size().height) / 2) + 40, 1)
      << "the label sits above the button's room";
  // Square boxes where they fit.
  hud->setSquare(true);
  EXPECT_EQ(hud->size().width, hud->size().height);
}

TEST_F(HudTest, IndicatorLabelAndDetailsStackDownwardsInTheBox) {
  auto* hud = MBProgressHUD::showHUDAddedTo(content_, false);
  hud->setLabelText(QStringLiteral("Main"));
  hud->setDetailsLabelText(QStringLiteral("Details"));
  auto* spinner = qobject_cast<YRKSpinningProgressIndicator*>(hud->indicator());
  ASSERT_NE(spinner, nullptr);
  EXPECT_TRUE(spinner->isAnimating());
  EXPECT_FALSE(spinner->usesThreadedAnimation());
  const Rect ind = platform::frameOf(spinner);
  const Rect lab = hud->labelFrame();
  const Rect det = hud->detailsLabelFrame();
  EXPECT_EQ(ind.size, (platform::Size{60, 60}));
  EXPECT_EQ(ind.x(), 170);
  // (Frames of views are whole points; the line heights are not.)
  EXPECT_NEAR(lab.y(), ind.y() - lab.height() - 4, 1);
  EXPECT_NEAR(det.y(), lab.y() - det.height() - 4, 1);
  const Rect box = hud->boxFrame();
  EXPECT_NEAR(det.y(), box.y() + 20, 1) << "the bottom margin";
  EXPECT_NEAR(ind.maxY(), box.maxY() - 20, 1) << "the top margin";
  hud->setYOffset(30);  // positive moves it down
  EXPECT_NEAR(platform::frameOf(spinner).y(), ind.y() - 30, 0.5);
}

TEST_F(HudTest, ProgressReachesOnlyIndicatorsThatShowIt) {
  showWindow();
  auto* hud = MBProgressHUD::showHUDAddedTo(content_, false);
  QWidget* spinner = hud->indicator();
  hud->setProgress(0.5f);
  EXPECT_EQ(hud->indicator(), spinner) << "the spinner ignores progress";
  hud->setMode(MBProgressHUDModeDeterminateHorizontalBar);
  auto* bar = qobject_cast<MBBarProgressView*>(hud->indicator());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->size(), QSize(120, 20));
  EXPECT_EQ(bar->progress(), 0.5f) << "takes the overlay's progress when made";
  hud->setProgress(0.25f);
  EXPECT_EQ(bar->progress(), 0.25f);
  const QImage img = grabWindow();
  EXPECT_TRUE(near(pixel(img, bar, {20, 10}), Qt::white)) << "filled from the left";
  EXPECT_FALSE(near(pixel(img, bar, {80, 10}), Qt::white, 60)) << "not beyond a quarter";
  EXPECT_TRUE(near(pixel(img, bar, {80, 2}), Qt::white, 60)) << "the outline";
}

TEST_F(HudTest, DismissibleOverlayHidesOnAClick) {
  Hooks hooks;
  showWindow();
  auto* hud = MBProgressHUD::showHUDAddedTo(content_, false);
  hud->setDelegate(&hooks);
  hud->setDismissible(true);
  hud->setTaskInProgress(true);
  click(inWindow(behind_));
  EXPECT_EQ(behind_->presses, 0);
  EXPECT_TRUE(hud->isFinished());
  EXPECT_FALSE(hud->taskInProgress());
  EXPECT_EQ(hooks.tapped, 1);
  EXPECT_EQ(hooks.hidden, 1);
}

TEST_F(HudTest, ButtonRunsItsBlockOnPress) {
  showWindow();
  auto* hud = MBProgressHUD::showHUDAddedTo(content_, false);
  hud->setMode(MBProgressHUDModeDeterminateHorizontalBar);
  hud->setLabelText(QStringLiteral("0%"));
  int cancels = 0;
  hud->setupButton(QStringLiteral("Cancel"), [&] { ++cancels; });
  SYFlatButton* b = hud->button();
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->frame(), Rect(160, 100, 80, 36));
  EXPECT_TRUE(b->momentary());
  press(inWindow(b));
  EXPECT_EQ(cancels, 1) << "on the press, not the release";
  release(inWindow(b));
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(b->state(), 0);
  clock_->advance(1);
  const QImage img = grabWindow();
  EXPECT_TRUE(near(pixel(img, b, {3, 18}), QColor(204, 0, 0), 3)) << "dark red at rest";
}

TEST_F(HudTest, ChangesFromAnotherThreadArriveOnTheMainThread) {
  auto* hud = MBProgressHUD::showHUDAddedTo(content_, false);
  hud->setMode(MBProgressHUDModeDeterminateHorizontalBar);
  std::thread worker([hud] {
    hud->setLabelText(QStringLiteral("42%"));
    hud->setProgress(0.42f);
  });
  worker.join();
  EXPECT_FALSE(hud->labelText().has_value()) << "not applied on the worker";
  EXPECT_TRUE(platform::runMainUntil([&] { return hud->labelText() == QStringLiteral("42%"); },
                                     std::chrono::seconds(10)));
  EXPECT_TRUE(platform::runMainUntil([&] { return hud->progress() == 0.42f; }, std::chrono::seconds(10)));
  EXPECT_EQ(qobject_cast<MBBarProgressView*>(hud->indicator())->progress(), 0.42f);
}

TEST_F(HudTest, ClassOperationsFindHideAndCountOverlays) {
  auto* a = MBProgressHUD::showHUDAddedTo(content_, false);
  auto* b = MBProgressHUD::showHUDAddedTo(content_, false);
  EXPECT_EQ(MBProgressHUD::HUDForView(content_), b);
  EXPECT_EQ(MBProgressHUD::allHUDsForView(content_), (std::vector<MBProgressHUD*>{a, b}));
  EXPECT_TRUE(MBProgressHUD::hideHUDForView(content_, false));
  flushDeletes();
  EXPECT_EQ(MBProgressHUD::allHUDsForView(content_), (std::vector<MBProgressHUD*>{a}));
  EXPECT_EQ(MBProgressHUD::hideAllHUDsForView(content_, false), 1);
  flushDeletes();
  EXPECT_FALSE(MBProgressHUD::hideHUDForView(content_, false));
}

TEST_F(HudTest, HideAfterDelayIsCancelledByAnotherHide) {
  auto* hud = MBProgressHUD::showHUDAddedTo(content_, false);
  hud->setMinShowTime(1.0);
  hud->hide(false, 3.0);
  clock_->advance(0.5);
  hud->hide(false);  // waits for the minimum time, and cancels the delayed hide
  clock_->advance(0.6);
  EXPECT_TRUE(hud->isFinished());
  // Shown again before the cancelled hide was due: it stays up past that time.
  hud->show(false);
  EXPECT_EQ(platform::alphaValue(hud), 1.0);
  clock_->advance(3.0);
  EXPECT_FALSE(hud->isHidden()) << "the cancelled delayed hide did not fire";
  EXPECT_EQ(platform::alphaValue(hud), 1.0);
}

TEST_F(HudTest, BoxWithAButtonIsAtLeastAsWideAsTheButtonAndItsMargins) {
  auto* hud = MBProgressHUD::showHUDAddedTo(content_, false);
  hud->setMode(MBProgressHUDModeText);
  hud->setLabelText(QStringLiteral("1%"));
  const double narrow = hud->size().width;
  hud->setupButton(QStringLiteral("Cancel"), [] {});
  ASSERT_NE(hud->button(), nullptr);
  EXPECT_LT(narrow, 80 + 2 * 20) << "the label alone makes a narrower box";
  EXPECT_GE(hud->size().width, hud->button()->width() + 2 * hud->margin());
  // Drawn: the box (light) shows on both sides of the button, at the button's middle height.
  showWindow();
  const QImage img = grabWindow();
  const QRect b = hud->button()->geometry();
  const QColor outside = img.pixelColor(hud->mapTo(window(), QPoint(2, 2)));
  for (int x : {b.left() - 4, b.right() + 4}) {
    const QColor c = img.pixelColor(hud->mapTo(window(), QPoint(x, b.center().y())));
    EXPECT_FALSE(near(c, outside, 8)) << "x " << x << " lies inside the box";
  }
}

TEST_F(HudTest, DimmedBackgroundDarkensTowardsTheEdges) {
  showWindow();
  auto* hud = MBProgressHUD::showHUDAddedTo(content_, false);
  hud->setMode(MBProgressHUDModeText);
  hud->setDimBackground(true);
  const QImage img = grabWindow();
  const int corner = img.pixelColor(2, 2).red();
  const int nearBox = img.pixelColor(200, 100).red();
  EXPECT_LT(corner, nearBox);
  EXPECT_LT(corner, 12);
}

}  // namespace
