// View controllers: loading by interface-file name, the order of the appearance and layout calls as windows and
// popovers show and close them, presenting and dismissing, and the responder chain up to the window controller.
#include "platform/ui/view_controller.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <string>
#include <vector>

#include "platform/foundation/system_log.h"
#include "platform/ui/collection_view.h"
#include "platform/ui/interface_file_test_objects.h"
#include "platform/ui/popover.h"
#include "platform/ui/testing/offscreen_fixture.h"
#include "platform/ui/view_geometry.h"
#include "platform/ui/window.h"
#include "platform/ui/window_controller.h"
#include "ui_ViewControllerTestPanel.h"

VX_INTERFACE_FILE("ViewControllerTestPanel", Ui::ViewControllerTestPanel);

namespace platform {
namespace {

using Log = std::vector<std::string>;
using interface_test::awakeLog;

// Notes every call it gets, in order, in the shared awake log (so that it interleaves with the file's probes).
class LoggingController : public ViewController, public AwakeFromNib {
 public:
  explicit LoggingController(QString nib = "ViewControllerTestPanel", std::string name = "vc")
      : ViewController(std::move(nib)), name_(std::move(name)) {}
  void awakeFromNib() override { note("awakeFromNib"); }
  std::string handles;  // the action this controller performs, if any
  bool performAction(const Action& action) override {
    if (action.name != handles) return false;
    note("performs " + action.name);
    return true;
  }

 protected:
  void viewDidLoad() override {
    auto* title = outlet<QLabel>("oTitle");
    note("viewDidLoad sees " + (title ? title->text().toStdString() : std::string("nothing")));
  }
  void viewWillAppear() override { note("willAppear"); }
  void viewDidAppear() override { note("didAppear"); }
  void viewWillDisappear() override { note("willDisappear"); }
  void viewDidDisappear() override { note("didDisappear"); }
  void viewWillLayout() override { ++layoutsBegun; }
  void viewDidLayout() override {
    ++layoutsDone;
    if (auto* button = view()->findChild<QPushButton*>("oButton")) buttonWidthAtLayout = button->width();
  }

 public:
  int layoutsBegun = 0, layoutsDone = 0, buttonWidthAtLayout = 0;

 private:
  void note(const std::string& what) { awakeLog().push_back(name_ + " " + what); }
  std::string name_;
};

class ViewControllerTest : public testing::OffscreenFixture {
 protected:
  void SetUp() override {
    OffscreenFixture::SetUp();
    awakeLog().clear();
  }
  // The calls noted since the last look.
  Log take() { return std::exchange(awakeLog(), {}); }
  // Shows the window with a button to open popovers from.
  QPushButton* showWithButton(Window& window) {
    window.setFrame({100, 100, 500, 400});
    auto* anchor = new QPushButton("Open", window.contentView());
    anchor->setGeometry(200, 50, 100, 30);
    showAndWait(&window);
    return anchor;
  }
};

TEST_F(ViewControllerTest, LoadsItsInterfaceFileByNameWakesItThenRunsViewDidLoadOnce) {
  LoggingController controller;
  EXPECT_FALSE(controller.isViewLoaded());
  QWidget* view = controller.view();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(take(), (Log{"oProbe in ViewControllerTestPanel", "vc awakeFromNib", "vc viewDidLoad sees Test panel"}));
  EXPECT_EQ(controller.view(), view);
  EXPECT_TRUE(take().empty()) << "loaded once";
  EXPECT_NE(controller.outlet<QSlider>("oSlider"), nullptr);

  // A name the file does not have, or a class it does not match: null and a line in the log.
  std::vector<std::string> lines;
  setSystemLogSink([&](LogLevel, const std::string& line) { lines.push_back(line); });
  EXPECT_EQ(controller.outlet<QSlider>("oButton"), nullptr);
  EXPECT_EQ(controller.outlet<QLabel>("oNothing"), nullptr);
  // An unknown interface file gives a plain view and says so (and its viewDidLoad then misses its outlet).
  LoggingController orphan("NoSuchInterfaceFile", "orphan");
  EXPECT_NE(orphan.view(), nullptr);
  setSystemLogSink(nullptr);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[0].find("oButton"), std::string::npos);
  EXPECT_NE(lines[2].find("NoSuchInterfaceFile"), std::string::npos);
}

TEST_F(ViewControllerTest, AppearsAndDisappearsInOrderAsItsWindowShowsAndCloses) {
  WindowController windowController;
  auto* controller = new LoggingController();
  windowController.setContentViewController(controller);
  take();
  EXPECT_EQ(controller->parent(), &windowController) << "owned by the window controller";
  // The window takes the view's size.
  EXPECT_EQ(windowController.window()->frame().size, (Size{240, 150}));

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    windowController.showWindow();
    EXPECT_EQ(take(), Log{"vc willAppear"}) << "did-appear comes once the window is up";
    settle();
    EXPECT_EQ(take(), Log{"vc didAppear"});
    EXPECT_EQ(controller->appearance(), ViewController::Appearance::Appeared);
    windowController.close();
    EXPECT_EQ(take(), (Log{"vc willDisappear", "vc didDisappear"}));
    settle();
    EXPECT_TRUE(take().empty());
  }

  // A window closed before its did-appear was delivered still pairs every call.
  windowController.showWindow();
  windowController.close();
  settle();
  EXPECT_EQ(take(), (Log{"vc willAppear", "vc didAppear", "vc willDisappear", "vc didDisappear"}));
}

TEST_F(ViewControllerTest, AnEmbeddedViewFollowsItsWindowAndItsOwnHiding) {
  Window window;
  window.setFrame({100, 100, 400, 300});
  LoggingController child("ViewControllerTestPanel", "child");
  child.view()->setParent(window.contentView());
  take();
  window.orderFront();
  settle();
  EXPECT_EQ(take(), (Log{"child willAppear", "child didAppear"}));
  child.view()->hide();
  EXPECT_EQ(take(), (Log{"child willDisappear", "child didDisappear"}));
  child.view()->show();
  settle();
  EXPECT_EQ(take(), (Log{"child willAppear", "child didAppear"}));
  window.orderOut();
  EXPECT_EQ(take(), (Log{"child willDisappear", "child didDisappear"}));
}

TEST_F(ViewControllerTest, AppearsAfterTheFadeInOfItsPopoverAndIsGoneBeforeTheDelegateHears) {
  Window window;
  QPushButton* anchor = showWithButton(window);

  struct Delegate : PopoverDelegate {
    void popoverDidClose(Popover*) override { awakeLog().push_back("delegate popoverDidClose"); }
  } delegate;
  LoggingController picker;
  Popover popover;
  popover.setContentViewController(&picker);
  popover.setAnimates(true);
  popover.setDelegate(&delegate);
  take();

  popover.showRelativeToRect(boundsOf(anchor), anchor, RectEdge::MinY);
  EXPECT_EQ(take(), (Log{"oProbe in ViewControllerTestPanel", "vc awakeFromNib", "vc viewDidLoad sees Test panel",
                         "vc willAppear"}));
  settle();
  EXPECT_TRUE(take().empty()) << "still fading in";
  clock_->advance(Popover::kFadeDuration);
  EXPECT_EQ(take(), Log{"vc didAppear"});

  popover.close();
  EXPECT_EQ(take(), Log{"vc willDisappear"});
  EXPECT_TRUE(popover.isShown()) << "shown until the fade-out ends";
  clock_->advance(Popover::kFadeDuration);
  EXPECT_EQ(take(), (Log{"vc didDisappear", "delegate popoverDidClose"}));
  EXPECT_FALSE(popover.isShown());
  EXPECT_TRUE(picker.isViewLoaded()) << "the controller keeps its view for the next opening";
}

TEST_F(ViewControllerTest, LaysOutOncePerPassWithItsSubviewsPlacedBeforeViewDidLayout) {
  WindowController windowController;
  auto* controller = new LoggingController();
  windowController.setContentViewController(controller);
  windowController.showWindow();
  settle();
  EXPECT_EQ(controller->layoutsBegun, controller->layoutsDone);
  EXPECT_GE(controller->layoutsDone, 1) << "a first pass before the view is seen";
  const int before = controller->layoutsDone;

  // One resize, one pass; the column has placed its button by then (9-point margins of the style).
  windowController.window()->setContentSize({400, 150});
  settle();
  EXPECT_EQ(controller->layoutsDone, before + 1);
  EXPECT_EQ(controller->layoutsBegun, controller->layoutsDone);
  const QMargins m = controller->view()->layout()->contentsMargins();
  EXPECT_EQ(controller->buttonWidthAtLayout, 400 - m.left() - m.right());
}

TEST_F(ViewControllerTest, PresentsInAPopoverAndIsDismissedByEitherSide) {
  Window window;
  QPushButton* anchor = showWithButton(window);
  LoggingController host("", "host");
  LoggingController picker("ViewControllerTestPanel", "picker");

  host.presentViewControllerAsPopover(&picker, boundsOf(anchor), anchor, RectEdge::MinY,
                                      PopoverBehavior::SemiTransient);
  clock_->advance(Popover::kFadeDuration);
  EXPECT_EQ(picker.presentingViewController(), &host);
  EXPECT_EQ(host.presentedViewControllers(), std::vector<ViewController*>{&picker});
  take();

  // The presented controller asks to go (its "dismiss" button).
  picker.dismissController();
  clock_->advance(Popover::kFadeDuration);
  settle();
  EXPECT_EQ(take(), (Log{"picker willDisappear", "picker didDisappear"}));
  EXPECT_EQ(picker.presentingViewController(), nullptr);
  EXPECT_TRUE(host.presentedViewControllers().empty());

  // Presented again and closed by the user: a press elsewhere in the window ends the presentation too.
  host.presentViewControllerAsPopover(&picker, boundsOf(anchor), anchor, RectEdge::MinY,
                                      PopoverBehavior::SemiTransient);
  clock_->advance(Popover::kFadeDuration);
  click(window.contentView(), QPoint(20, 300));
  clock_->advance(Popover::kFadeDuration);
  settle();
  EXPECT_EQ(picker.presentingViewController(), nullptr);
  EXPECT_TRUE(host.presentedViewControllers().empty());

  // In a window of its own: shown, then dismissed by the presenter.
  take();
  host.presentViewControllerAsWindow(&picker);
  settle();
  EXPECT_EQ(take(), (Log{"picker willAppear", "picker didAppear"}));
  ASSERT_NE(picker.view()->window(), picker.view());
  EXPECT_TRUE(picker.view()->window()->isVisible());
  host.dismissViewController(&picker);
  settle();
  EXPECT_EQ(take(), (Log{"picker willDisappear", "picker didDisappear"}));
  EXPECT_TRUE(host.presentedViewControllers().empty());
}

// A collection item in the view of a controller hosted by a window controller: the double-click action goes
// item → its views → view controller → window controller, to the first that handles it.
TEST_F(ViewControllerTest, SendsAnActionUpTheResponderChainToTheFirstThatHandlesIt) {
  struct Item : CollectionViewItem {
    std::string handles;
    bool performAction(const Action& action) override {
      if (action.name != handles) return false;
      awakeLog().push_back("item performs " + action.name);
      return true;
    }
  };
  struct Handler : QWidget, Responder {
    using QWidget::QWidget;
    std::string handles;
    bool performAction(const Action& action) override {
      if (action.name != handles) return false;
      awakeLog().push_back("box performs " + action.name);
      return true;
    }
  };
  struct TestWindowController : WindowController {
    bool performAction(const Action& action) override {
      awakeLog().push_back("window controller performs " + action.name);
      return action.name == "collectionItemViewDoubleClick";
    }
  } windowController;
  auto* controller = new LoggingController();
  windowController.setContentViewController(controller);
  auto* box = new Handler(controller->view());
  Item item;
  item.view()->setParent(box);
  take();

  struct Case {
    std::string item, box, controller;
    std::string expected;
  };
  const Case cases[] = {
      {"collectionItemViewDoubleClick", "", "", "item performs collectionItemViewDoubleClick"},
      {"", "collectionItemViewDoubleClick", "", "box performs collectionItemViewDoubleClick"},
      {"", "", "collectionItemViewDoubleClick", "vc performs collectionItemViewDoubleClick"},
      {"", "", "", "window controller performs collectionItemViewDoubleClick"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    item.handles = c.item;
    box->handles = c.box;
    controller->handles = c.controller;
    Responder* performer = sendAction("collectionItemViewDoubleClick", &item, item.view());
    EXPECT_EQ(take(), Log{c.expected});
    EXPECT_NE(performer, nullptr);
  }

  // The handler finds its sender as the class it is; an action nobody handles comes back unperformed.
  struct Catcher : Responder {
    Item* seen = nullptr;
    bool performAction(const Action& action) override {
      seen = action.sender<Item>();
      return true;
    }
  } catcher;
  QWidget plain;
  auto* inner = new QWidget(&plain);
  setViewResponder(&plain, &catcher);
  EXPECT_EQ(sendAction("anything", &item, inner), &catcher);
  EXPECT_EQ(catcher.seen, &item);
  setViewResponder(&plain, nullptr);
  EXPECT_EQ(sendAction("unknownAction", &item, inner), nullptr);
  item.handles.clear();
  EXPECT_EQ(sendAction("unknownAction", &item, item.view()), nullptr);
  EXPECT_EQ(take(), Log{"window controller performs unknownAction"});
}

}  // namespace
}  // namespace platform
