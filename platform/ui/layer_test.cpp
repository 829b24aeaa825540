// The layer model: explicit and implicit animations on a clock the test advances, completion handlers, and
// what a host widget paints for a layer tree.
#include <QImage>
#include <algorithm>
#include <cmath>
#include <QPainter>
#include <gtest/gtest.h>

#include "platform/foundation/test_application.h"
#include "platform/graphics/canvas.h"
#include "platform/ui/layer.h"
#include "platform/ui/testing/manual_time_source.h"

namespace platform {
namespace {

class LayerTest : public ::testing::Test {
 protected:
  void SetUp() override { ensureTestApplication(); }

  std::shared_ptr<testing::ManualTimeSource> clock_ = std::make_shared<testing::ManualTimeSource>();
  ScopedTimeSource scoped_{clock_};

  static QImage render(const Layer& root, int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    Canvas c(img);
    root.render(c);
    return img;
  }
  static QColor at(const QImage& img, int x, int yUp) { return img.pixelColor(x, img.height() - 1 - yUp); }
};

BasicAnimation colorAnimation(const char* keyPath, OptionalColor from, OptionalColor to, double duration) {
  BasicAnimation a;
  a.keyPath = keyPath;
  a.fromValue = from;
  a.toValue = to;
  a.duration = duration;
  a.timing = TimingFunction::Linear;
  return a;
}

TEST_F(LayerTest, ExplicitColorAnimationRunsOnTheClockAndReportsItsEnd) {
  auto layer = Layer::make();
  layer->setBackgroundColor(Color::blackColor());
  std::vector<bool> stops;
  BasicAnimation a = colorAnimation("backgroundColor", Color::blackColor(), Color::whiteColor(), 1.0);
  a.didStop = [&](bool finished) { stops.push_back(finished); };
  layer->addAnimation(a, "backgroundColor");
  layer->setBackgroundColor(Color::whiteColor());
  EXPECT_NEAR(layer->presentationColor("backgroundColor")->red, 0.0, 1e-9);
  clock_->advance(0.5);
  EXPECT_NEAR(layer->presentationColor("backgroundColor")->red, 0.5, 0.02);
  EXPECT_TRUE(stops.empty());
  clock_->advance(0.6);
  EXPECT_EQ(layer->presentationColor("backgroundColor"), Color::whiteColor());
  ASSERT_EQ(stops.size(), 1u);
  EXPECT_TRUE(stops[0]);
  EXPECT_EQ(layer->animationForKey("backgroundColor"), nullptr) << "removed on completion by default";
}

TEST_F(LayerTest, AnimationKeptAfterCompletionWhenAskedAndReplacedByKey) {
  auto layer = Layer::make();
  std::vector<bool> stops;
  BasicAnimation a = colorAnimation("borderColor", Color::blackColor(), Color::redColor(), 1.0);
  a.removedOnCompletion = false;
  a.didStop = [&](bool finished) { stops.push_back(finished); };
  layer->addAnimation(a, "borderColor");
  layer->setBorderColor(Color::redColor());
  clock_->advance(0.25);
  // A second animation under the same key cuts the first off.
  BasicAnimation b = colorAnimation("borderColor", Color::redColor(), Color::whiteColor(), 1.0);
  b.removedOnCompletion = false;
  layer->addAnimation(b, "borderColor");
  layer->setBorderColor(Color::whiteColor());
  ASSERT_EQ(stops.size(), 1u);
  EXPECT_FALSE(stops[0]);
  EXPECT_EQ(layer->presentationColor("borderColor"), Color::redColor()) << "starts from its own from-value";
  clock_->advance(2);
  EXPECT_NE(layer->animationForKey("borderColor"), nullptr);
  EXPECT_EQ(layer->presentationColor("borderColor"), Color::whiteColor());
  layer->removeAllAnimations();
  EXPECT_TRUE(layer->animationKeys().empty());
}

TEST_F(LayerTest, ImplicitAnimationsOnlyInsideAGroupAndTheGroupCompletesOnce) {
  auto layer = TextLayer::make();
  layer->setForegroundColor(Color::blackColor());
  EXPECT_TRUE(layer->animationKeys().empty()) << "outside a group a change is immediate";
  int completions = 0;
  AnimationContext::run(
      0.3, TimingFunction::Linear,
      [&] {
        layer->setForegroundColor(Color::whiteColor());
        layer->setFrame({10, 10, 100, 20});
        layer->setOpacity(0.5);
      },
      [&] { ++completions; });
  EXPECT_EQ(layer->animationKeys().size(), 3u);
  clock_->advance(0.15);
  EXPECT_NEAR(layer->presentationColor("foregroundColor")->green, 0.5, 0.02);
  EXPECT_NEAR(layer->presentationFrame().x(), 5, 0.2);
  EXPECT_NEAR(layer->presentationOpacity(), 0.75, 0.01);
  EXPECT_EQ(completions, 0);
  clock_->advance(0.2);
  EXPECT_EQ(completions, 1);
  EXPECT_EQ(layer->presentationFrame(), Rect(10, 10, 100, 20));
  {
    DisableActions off;
    AnimationContext::run(0.3, [&] { layer->setOpacity(1); }, [&] { ++completions; });
  }
  EXPECT_TRUE(layer->animationKeys().empty()) << "actions disabled";
  clock_->advance(0.05);
  EXPECT_EQ(completions, 2) << "an empty group still completes";
}

TEST_F(LayerTest, TimingCurvesShapeTheProgress) {
  EXPECT_DOUBLE_EQ(applyTiming(TimingFunction::Linear, 0.3), 0.3);
  for (TimingFunction f : {TimingFunction::EaseIn, TimingFunction::EaseOut, TimingFunction::EaseInEaseOut,
                           TimingFunction::Default}) {
    EXPECT_NEAR(applyTiming(f, 0), 0, 1e-6);
    EXPECT_NEAR(applyTiming(f, 1), 1, 1e-6);
    double last = 0;
    for (double t = 0.05; t < 1; t += 0.05) {
      const double v = applyTiming(f, t);
      EXPECT_GE(v, last);
      last = v;
    }
  }
  EXPECT_LT(applyTiming(TimingFunction::EaseIn, 0.25), 0.25);
  EXPECT_GT(applyTiming(TimingFunction::EaseOut, 0.25), 0.25);
  EXPECT_NEAR(applyTiming(TimingFunction::EaseInEaseOut, 0.5), 0.5, 1e-6);
}

TEST_F(LayerTest, PaintsBackgroundBorderCornersAndSublayersInYUp) {
  auto root = Layer::make();
  root->setFrame({0, 0, 100, 100});
  auto box = Layer::make();
  box->setFrame({10, 10, 60, 40});
  box->setBackgroundColor(Color::redColor());
  box->setBorderColor(Color::rgb(0, 0, 1));
  box->setBorderWidth(4);
  box->setCornerRadius(10);
  root->addSublayer(box);
  auto inner = Layer::make();
  inner->setFrame({20, 10, 10, 10});  // in box's coordinates
  inner->setBackgroundColor(Color::rgb(0, 1, 0));
  box->addSublayer(inner);
  const QImage img = render(*root, 100, 100);
  EXPECT_EQ(at(img, 40, 20), QColor(Qt::red));
  EXPECT_EQ(at(img, 35, 25), QColor(Qt::green)) << "sublayer at (10+20, 10+10)";
  EXPECT_EQ(at(img, 40, 11), QColor(Qt::blue)) << "border along the bottom edge";
  EXPECT_EQ(at(img, 10, 10).alpha(), 0) << "rounded corner";
  EXPECT_EQ(at(img, 40, 60).alpha(), 0);
}

TEST_F(LayerTest, MaskShowsOnlyWhereTheMaskIsOpaqueAndOpacityAppliesToTheGroup) {
  auto root = Layer::make();
  root->setFrame({0, 0, 100, 100});
  auto tinted = Layer::make();
  tinted->setFrame({0, 0, 100, 100});
  tinted->setBackgroundColor(Color::whiteColor());
  auto mask = Layer::make();
  mask->setFrame({20, 20, 20, 20});
  mask->setContents(Image::withSize({20, 20}, [](Canvas& c, const Rect& r) {
    c.setFillColor(Color::blackColor());
    c.fillEllipse(r);
    return true;
  }));
  tinted->setMask(mask);
  root->addSublayer(tinted);
  QImage img = render(*root, 100, 100);
  EXPECT_EQ(at(img, 30, 30), QColor(Qt::white));
  EXPECT_EQ(at(img, 21, 21).alpha(), 0) << "outside the circle of the mask image";
  EXPECT_EQ(at(img, 70, 70).alpha(), 0) << "outside the mask layer";
  tinted->setOpacity(0.5);
  img = render(*root, 100, 100);
  EXPECT_NEAR(at(img, 30, 30).alpha(), 128, 2);
}

TEST_F(LayerTest, ShadowFollowsTheLayersShape) {
  auto root = Layer::make();
  root->setFrame({0, 0, 100, 100});
  auto box = Layer::make();
  box->setFrame({20, 40, 40, 40});
  box->setBackgroundColor(Color::whiteColor());
  box->setShadow(Color::blackColor(), 1.0, {10, -10}, 0);
  root->addSublayer(box);
  const QImage img = render(*root, 100, 100);
  EXPECT_EQ(at(img, 40, 60), QColor(Qt::white));
  EXPECT_EQ(at(img, 65, 35), QColor(Qt::black));
  EXPECT_EQ(at(img, 15, 85).alpha(), 0);
}

// A horizontal stroke whose centre line runs through the middle of pixel row 50 (y-up).
std::shared_ptr<ShapeLayer> horizontalStroke(double fromX, double toX, double width) {
  auto shape = ShapeLayer::make();
  shape->setFrame({0, 0, 100, 100});
  Path line;
  line.moveTo({fromX, 50.5});
  line.lineTo({toX, 50.5});
  shape->setPath(line);
  shape->setFillColor(std::nullopt);
  shape->setStrokeColor(Color::rgb(0, 0, 1));
  shape->setLineWidth(width);
  return shape;
}

TEST_F(LayerTest, DashesAreMeasuredInPointsFromThePhaseWhateverTheLineWidth) {
  struct Case {
    const char* what;
    double width;
    std::vector<double> pattern;
    double phase;
    double on, off;  // the repeating stretch expected: painted then unpainted (off 0: a solid line)
  };
  const Case cases[] = {
      {"thin", 2, {10, 10}, 0, 10, 10},
      {"thick: lengths do not grow with the width", 6, {10, 10}, 0, 10, 10},
      {"phase shifts the pattern back", 2, {10, 10}, 5, 10, 10},
      {"uneven stretches", 3, {12, 4}, 0, 12, 4},
      {"an odd count repeats", 2, {6}, 0, 6, 6},
      {"a negative length draws solid", 2, {5, -1}, 0, 1, 0},
      {"nothing above zero draws solid", 2, {0, 0}, 0, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto shape = horizontalStroke(10, 90, c.width);
    shape->setLineDashPattern(c.pattern);
    shape->setLineDashPhase(c.phase);
    const QImage img = render(*shape, 100, 100);
    int checked = 0;
    for (int x = 11; x < 89; ++x) {
      bool painted = true;
      if (c.off > 0) {
        const double period = c.on + c.off;
        const double d = std::fmod(x + 0.5 - 10 + c.phase, period);
        if (std::min({std::abs(d), std::abs(d - c.on), std::abs(d - period)}) < 1.5) continue;  // an edge
        painted = d < c.on;
      }
      ++checked;
      EXPECT_EQ(at(img, x, 50).alpha() > 200, painted) << "x " << x;
      EXPECT_EQ(at(img, x, 50).alpha() < 50, !painted) << "x " << x;
    }
    EXPECT_GT(checked, 20);
  }
}

TEST_F(LayerTest, LineCapsReachPastTheEndsAsTheirShapeSays) {
  struct Case {
    LineCap cap;
    bool pastTheEnd;  // 3 points beyond the end, on the centre line
    bool inTheCorner;  // 4.5 beyond the end and 4 off the centre line: inside a square, outside a round cap
  };
  const Case cases[] = {
      {LineCap::Butt, false, false},
      {LineCap::Round, true, false},
      {LineCap::Square, true, true},
  };
  for (bool dashed : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << "cap " << static_cast<int>(c.cap) << (dashed ? " dashed" : ""));
      auto shape = horizontalStroke(30, 70, 10);
      shape->setLineCap(c.cap);
      if (dashed) shape->setLineDashPattern({15, 10});  // the first dash starts at the line's start
      const QImage img = render(*shape, 100, 100);
      EXPECT_GT(at(img, 35, 50).alpha(), 200);
      EXPECT_EQ(at(img, 26, 50).alpha() > 200, c.pastTheEnd);
      EXPECT_EQ(at(img, 26, 50).alpha() < 50, !c.pastTheEnd);
      EXPECT_EQ(at(img, 25, 54).alpha() > 200, c.inTheCorner);
      EXPECT_EQ(at(img, 25, 54).alpha() < 50, !c.inTheCorner);
    }
  }
}

TEST_F(LayerTest, HostWidgetPaintsThePresentationValue) {
  LayerHostWidget host;
  host.resize(40, 40);
  host.layer().setBackgroundColor(Color::blackColor());
  BasicAnimation a = colorAnimation("backgroundColor", Color::blackColor(), Color::whiteColor(), 1.0);
  host.layer().addAnimation(a, "bg");
  host.layer().setBackgroundColor(Color::whiteColor());
  clock_->advance(0.5);
  QImage img = host.grab().toImage();
  EXPECT_NEAR(img.pixelColor(20, 20).red(), 128, 8);
  clock_->advance(0.6);
  img = host.grab().toImage();
  EXPECT_EQ(img.pixelColor(20, 20), QColor(Qt::white));
}

TEST_F(LayerTest, RepeatingTimerKeepsItsPeriodAndCanStopItself) {
  Timer t;
  std::vector<double> fired;
  t.start(0.05, true, [&] {
    fired.push_back(clock_->now());
    if (fired.size() == 4) t.invalidate();
  });
  clock_->advance(1.0);
  ASSERT_EQ(fired.size(), 4u);
  for (size_t i = 1; i < fired.size(); ++i) EXPECT_NEAR(fired[i] - fired[i - 1], 0.05, 1e-9);
  EXPECT_FALSE(t.isValid());
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

TEST_F(LayerTest, TransformsTurnAboutTheCentreAndHitTestingFollowsThem) {
  auto root = Layer::make();
  root->setFrame({0, 0, 100, 100});
  auto bar = Layer::make();
  bar->setFrame({20, 45, 60, 10});  // a horizontal bar through the centre
  bar->setBackgroundColor(Color::redColor());
  root->addSublayer(bar);
  bar->setTransform(Transform3D::rotation(M_PI / 2, 0, 0, 1));  // now vertical
  const QImage img = render(*root, 100, 100);
  EXPECT_EQ(at(img, 50, 75), QColor(Qt::red));
  EXPECT_EQ(at(img, 25, 50).alpha(), 0);
  EXPECT_EQ(root->hitTest({50, 75}), bar.get());
  EXPECT_EQ(root->hitTest({25, 50}), root.get());
  EXPECT_EQ(root->hitTest({150, 50}), nullptr);
  // Drawing order follows zPosition.
  auto cover = Layer::make();
  cover->setFrame({0, 0, 100, 100});
  cover->setBackgroundColor(Color::rgb(0, 0, 1));
  cover->setZPosition(-1);
  root->addSublayer(cover);
  EXPECT_EQ(at(render(*root, 100, 100), 50, 75), QColor(Qt::red)) << "the later sublayer lies below";
  EXPECT_EQ(root->hitTest({50, 75}), bar.get());
}

TEST_F(LayerTest, PerspectiveMakesTheNearSideLarger) {
  // Turned about the y axis with perspective: one vertical edge comes nearer and grows, the other shrinks.
  const QTransform t = Transform3D::rotation(0.5, 0, 1, 0).withPerspective(-1.0 / 200).toQTransform();
  EXPECT_TRUE(t.type() == QTransform::TxProject);
  const QPointF left = t.map(QPointF(-50, 50)), right = t.map(QPointF(50, 50));
  EXPECT_NE(std::abs(left.y()), std::abs(right.y()));
  EXPECT_TRUE(Transform3D::identity().isIdentity());
  EXPECT_EQ(Transform3D::translation(3, 4, 0).toQTransform().map(QPointF(1, 1)), QPointF(4, 5));
}

}  // namespace
}  // namespace platform
