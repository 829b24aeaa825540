// The on/off switch driven by real pointer and key events: clicks, drags, keys, the action it sends, the
// layers' geometry and colours, its overshooting move, and its "checked" binding to the settings.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/system_log.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/binding.h"
#include "widgets/it_switch.h"
#include "widgets/testing/widget_fixture.h"

using platform::Color;
using platform::Rect;
using widgets_testing::near;

namespace {

constexpr double kW = 60, kH = 30;
// The knob at rest and while pressed, from the track's size: (w - 2) / golden ratio and (w - 2) / 1.38.
const double kRestWidth = (kW - 2) / 1.618034;
const double kPressedWidth = (kW - 2) / 1.38;

class SwitchTest : public widgets_testing::WidgetFixture {
 protected:
  void SetUp() override {
    WidgetFixture::SetUp();
    sw_ = new ITSwitch(window());
    sw_->setGeometry(50, 50, int(kW), int(kH));
    sw_->setAction([this](ITSwitch*) { ++actions_; });
    showWindow();
    settle();
  }
  void settle() { clock_->advance(1); }
  QPoint at(double x) { return inWindow(sw_, QPoint(int(x), int(kH / 2))); }
  void drag(std::vector<double> xs) {
    press(at(xs.front()));
    for (std::size_t i = 1; i < xs.size(); ++i) {
      QMouseEvent e(QEvent::MouseMove, QPointF(xs[i], kH / 2), sw_->mapToGlobal(QPointF(xs[i], kH / 2)),
                    Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(sw_, &e);
    }
    release(at(xs.back()));
  }
  double knobX() { return sw_->knobLayer().presentationFrame().x(); }
  ITSwitch* sw_ = nullptr;
  int actions_ = 0;
};

TEST_F(SwitchTest, ClickTogglesOnceAndSendsOneAction) {
  for (bool initial : {false, true}) {
    SCOPED_TRACE(initial);
    sw_->setChecked(initial);
    settle();
    actions_ = 0;
    click(at(kW / 2));
    settle();
    EXPECT_EQ(sw_->checked(), !initial);
    EXPECT_EQ(actions_, 1);
    const Rect knob = sw_->knobLayer().frame();
    EXPECT_NEAR(knob.width(), kRestWidth, 1e-4);
    EXPECT_NEAR(knob.x(), initial ? 1 : kW - kRestWidth - 1, 1e-4);
    EXPECT_EQ(knob.height(), kH - 2);
  }
}

TEST_F(SwitchTest, DragsEndOnTheSideThePointerIsOn) {
  struct Case {
    const char* name;
    bool initial;
    std::vector<double> xs;
    bool expected;
    int actions;
  };
  const Case cases[] = {
      {"off, dragged right: on", false, {10, 30, 55}, true, 1},
      {"on, dragged left: off", true, {50, 20, 5}, false, 1},
      {"off, dragged right and back: nothing", false, {10, 50, 8}, false, 0},
      {"on, dragged within the on half: nothing", true, {45, 55, 40}, true, 0},
      {"off, ending exactly at the middle counts as on", false, {10, kW / 2}, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sw_->setChecked(c.initial);
    settle();
    actions_ = 0;
    drag(c.xs);
    settle();
    EXPECT_EQ(sw_->checked(), c.expected);
    EXPECT_EQ(actions_, c.actions);
    EXPECT_FALSE(sw_->hasDragged());
    EXPECT_FALSE(sw_->isActive());
  }
}

TEST_F(SwitchTest, KnobWidensWhilePressedAndFollowsTheDrag) {
  press(at(10));
  settle();
  EXPECT_TRUE(sw_->isActive());
  EXPECT_NEAR(sw_->knobLayer().frame().width(), kPressedWidth, 1e-4);
  EXPECT_EQ(sw_->knobLayer().frame().x(), 1);
  QMouseEvent e(QEvent::MouseMove, QPointF(50, 15), sw_->mapToGlobal(QPointF(50, 15)), Qt::NoButton, Qt::LeftButton,
                Qt::NoModifier);
  QCoreApplication::sendEvent(sw_, &e);
  settle();
  EXPECT_TRUE(sw_->isDraggingTowardsOn());
  EXPECT_NEAR(sw_->knobLayer().frame().x(), kW - kPressedWidth - 1, 1e-4);
  EXPECT_EQ(sw_->backgroundLayer().backgroundColor(), sw_->tintColor()) << "the track fills while towards on";
  release(at(50));
}

TEST_F(SwitchTest, ArrowsSetAndSpaceToggles) {
  sw_->setFocus();
  ASSERT_TRUE(sw_->hasFocus());
  struct Step {
    Qt::Key key;
    bool expected;
    int actions;
  };
  const Step steps[] = {
      {Qt::Key_Left, false, 0},   // already off
      {Qt::Key_Right, true, 1},
      {Qt::Key_Right, true, 1},   // already on
      {Qt::Key_Space, false, 2},
      {Qt::Key_Space, true, 3},
      {Qt::Key_Left, false, 4},
      {Qt::Key_A, false, 4},      // other keys do nothing
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(int(s.key));
    QTest::keyClick(sw_, s.key);
    EXPECT_EQ(sw_->checked(), s.expected);
    EXPECT_EQ(actions_, s.actions);
  }
  // Without the focus the space bar is not the switch's.
  sw_->clearFocus();
  QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  EXPECT_FALSE(sw_->performKeyEquivalent(&space));
}

TEST_F(SwitchTest, ProgramChangeMovesTheKnobWithAnOvershootAndSendsNothing) {
  const double end = kW - kRestWidth - 1;
  sw_->setChecked(true);
  double furthest = 0;
  for (int i = 0; i < 24; ++i) {
    clock_->advance(1.0 / 60);
    furthest = std::max(furthest, knobX());
  }
  EXPECT_GT(furthest, end + 0.5) << "runs a little past its end";
  settle();
  EXPECT_NEAR(knobX(), end, 1e-6);
  EXPECT_EQ(actions_, 0);
  const QImage img = grabWindow();
  EXPECT_TRUE(near(pixel(img, sw_, {8, int(kH / 2)}), QColor::fromRgbF(0.27f, 0.86f, 0.36f), 6)) << "tinted track";
  EXPECT_TRUE(near(pixel(img, sw_, {int(end + kRestWidth / 2), int(kH / 2)}), Qt::white, 6)) << "the knob";
}

TEST_F(SwitchTest, DisabledIsHalfTransparentAndIgnoresTheMouse) {
  sw_->setEnabled(false);
  settle();
  EXPECT_EQ(sw_->rootLayer()->opacity(), 0.5);
  click(at(kW / 2));
  drag({10, 55});
  EXPECT_FALSE(sw_->checked());
  EXPECT_EQ(actions_, 0);
  sw_->setEnabled(true);
  settle();
  EXPECT_EQ(sw_->rootLayer()->opacity(), 1.0);
}

TEST_F(SwitchTest, ResizingReroundsTrackAndKnobAtOnce) {
  sw_->resize(100, 40);
  EXPECT_TRUE(sw_->knobLayer().animationKeys().empty()) << "no animation";
  EXPECT_EQ(sw_->backgroundLayer().frame(), Rect(0, 0, 100, 40));
  EXPECT_EQ(sw_->backgroundLayer().cornerRadius(), 20);
  EXPECT_EQ(sw_->knobLayer().cornerRadius(), 19);
  EXPECT_EQ(sw_->knobInsideLayer().cornerRadius(), 19);
  EXPECT_NEAR(sw_->knobLayer().frame().width(), 98 / 1.618034, 1e-4);
}

class SwitchBindingTest : public SwitchTest {
 protected:
  void SetUp() override {
    SwitchTest::SetUp();
    defaults_ = std::make_unique<platform::UserDefaults>(dir_.filePath("settings.plist").toStdString());
    controller_ = std::make_shared<platform::UserDefaultsController>(*defaults_);
    platform::setSystemLogSink([this](platform::LogLevel, const std::string& line) { log_.push_back(line); });
  }
  void TearDown() override {
    platform::setSystemLogSink(nullptr);
    SwitchTest::TearDown();
  }
  platform::BindingInfo info(std::optional<platform::BindingOptions> options = std::nullopt) {
    return {controller_, "values.AutoTransfer", std::move(options)};
  }
  QTemporaryDir dir_;
  std::unique_ptr<platform::UserDefaults> defaults_;
  std::shared_ptr<platform::UserDefaultsController> controller_;
  std::vector<std::string> log_;
};

TEST_F(SwitchBindingTest, ShowsTheSettingAndWritesTheUsersChange) {
  defaults_->setBool(true, "AutoTransfer");
  sw_->bind("checked", info());
  EXPECT_TRUE(sw_->checked()) << "shows the bound value";
  click(at(kW / 2));
  EXPECT_FALSE(defaults_->boolForKey("AutoTransfer"));
  defaults_->setBool(true, "AutoTransfer");
  EXPECT_TRUE(sw_->checked()) << "follows the setting";
  EXPECT_EQ(actions_, 1) << "a change of the setting is no user action";
  EXPECT_TRUE(log_.empty());
}

TEST_F(SwitchBindingTest, ValueTransformerWorksBothWays) {
  struct Case {
    const char* name;
    platform::BindingOptions options;
  };
  const Case cases[] = {
      {"by name", {nullptr, "NSNegateBoolean"}},
      {"as an object", {platform::ValueTransformer::valueTransformerForName("NSNegateBoolean"), "NoSuchName"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    defaults_->setBool(false, "AutoTransfer");
    sw_->bind("checked", info(c.options));
    EXPECT_TRUE(sw_->checked()) << "false shown negated";
    click(at(kW / 2));
    EXPECT_FALSE(sw_->checked());
    EXPECT_TRUE(defaults_->boolForKey("AutoTransfer")) << "written back through the reverse transformation";
    sw_->unbind("checked");
  }
}

TEST_F(SwitchBindingTest, ProblemsOfTheBindingAreLoggedNotFatal) {
  // A transformer that cannot go back: the value goes through as it is, with a warning.
  struct OneWay : platform::ValueTransformer {
    bool allowsReverseTransformation() const override { return false; }
    platform::Value transformedValue(const platform::Value& v) const override { return platform::Value(!v.toBool()); }
  };
  defaults_->setBool(false, "AutoTransfer");
  sw_->bind("checked", info(platform::BindingOptions{std::make_shared<OneWay>(), ""}));
  ASSERT_TRUE(sw_->checked());
  click(at(kW / 2));
  EXPECT_FALSE(defaults_->boolForKey("AutoTransfer")) << "untransformed";
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_NE(log_[0].find("WARNING: binding \"checked\" has value transformer, but it doesn't allow reverse"),
            std::string::npos);
  log_.clear();
  // No observed object, then no key path.
  sw_->bind("checked", platform::BindingInfo{nullptr, "values.AutoTransfer", std::nullopt});
  click(at(kW / 2));
  sw_->bind("checked", platform::BindingInfo{controller_, "", std::nullopt});
  click(at(kW / 2));
  ASSERT_EQ(log_.size(), 2u);
  EXPECT_NE(log_[0].find("ERROR: NSObservedObjectKey was nil for binding \"checked\""), std::string::npos);
  EXPECT_NE(log_[1].find("ERROR: NSObservedKeyPathKey was nil for binding \"checked\""), std::string::npos);
  EXPECT_EQ(actions_, 3) << "the switch works all the same";
}

TEST_F(SwitchBindingTest, SameValueAgainLeavesTheSettingAlone) {
  sw_->bind("checked", info());
  ASSERT_FALSE(sw_->checked());
  int writes = 0;
  defaults_->addObserver(this, "AutoTransfer", [&](const std::string&, const platform::Value&) { ++writes; });
  sw_->setChecked(false);
  EXPECT_EQ(writes, 0);
  sw_->setChecked(true);
  EXPECT_EQ(writes, 1);
  EXPECT_TRUE(defaults_->boolForKey("AutoTransfer"));
  defaults_->removeObserver(this);
}

}  // namespace
