// The application delegate: the start-up without its fonts, the menu's enabling and ticks as windows report, the
// single card-contents and settings windows, and the connection window brought back when a session window closes.
#include <QPushButton>
#include <QTimer>

#include "app/windows/app_delegate.h"
#include "app/windows/app_notifications.h"
#include "app/windows/camera_window_controller.h"
#include "app/windows/card_contents_window_controller.h"
#include "app/windows/connection_view_controller.h"
#include "engine/link/link.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/vendor_state.h"
#include "guitest/gui_test.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/alert.h"
#include "platform/ui/menu.h"
#include "platform/ui/presenter.h"
#include "platform/ui/window.h"
#include "widgets/sy_flat_button.h"

namespace {

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

class AppDelegateTest : public guitest::GuiTest {
 protected:
  AppDelegate& delegate() { return harness().appDelegate(); }
};

// Answers the platform's plain alerts with their first button, noting their texts.
class PlainAlertAnswerer : public platform::Presenter {
 public:
  std::vector<std::string> messages;
  std::vector<std::string> buttons;
  int runModal(platform::Window& window) override {
    platform::Alert* alert = platform::Alert::alertOfWindow(&window);
    if (alert) {
      messages.push_back(alert->messageText().toStdString() + " | " + alert->informativeText().toStdString());
      for (QPushButton* b : alert->buttons()) buttons.push_back(b->text().toStdString());
      QTimer::singleShot(0, alert->buttons().front(), &QPushButton::click);
    }
    return Presenter::runModal(window);
  }
};

struct ExitNoter : platform::ProcessExit {
  std::optional<int> status;
  void exit(int s) override { status = s; }
};

TEST_F(AppDelegateTest, AMissingFontEndsTheStartWithAnAlertAndStatusOne) {
  // Nothing may be registered or observed: a registered value that the start would replace tells.
  defaults().registerDefaults({{"ControlsVisibility", platform::Value("left alone")}});
  PlainAlertAnswerer answerer;
  platform::ScopedPresenter presenting(answerer);
  ExitNoter exit;
  platform::ScopedProcessExit exiting(exit);
  AppDelegate starting;
  platform::MenuItem saveAs("Save As");
  saveAs.setEnabled(false);
  starting.oSaveAsMenuItem = &saveAs;
  starting.setRequiredFonts({"ArialMT", "NoSuchFontAnywhere-Bold"});

  starting.applicationDidFinishLaunching();

  ASSERT_EQ(answerer.messages.size(), 1u);
  EXPECT_EQ(answerer.messages[0].rfind("The Arial font must be installed to continue. | ", 0), 0u) << answerer.messages[0];
  EXPECT_NE(answerer.messages[0].find("support@"), std::string::npos) << "the support address";
  EXPECT_EQ(answerer.buttons, std::vector<std::string>{"Exit"});
  EXPECT_EQ(exit.status, std::optional<int>(1)) << "a start that cannot go on is a failure";
  EXPECT_FALSE(starting.isLaunched());
  EXPECT_EQ(defaults().objectForKey("ControlsVisibility").toString(), "left alone") << "defaults were registered";
  postRefreshMenu(nullptr, true);
  EXPECT_FALSE(saveAs.isEnabled()) << "the refresh is observed";
  defaults().registerDefaultsFromResource("DefaultValues");
}

TEST_F(AppDelegateTest, TheMenuIsEnabledAsTheWindowInFrontReports) {
  CameraWindowController camera;
  CardContentsWindowController card;
  ConnectionViewController connection(nullptr);
  QObject settings;  // the settings window posts with itself as the sender
  struct Case {
    const char* name;
    bool selected;
    VendorType vendor;
    const QObject* sender;
    bool imageItems, sdTransfer, cameraItems;
  };
  const std::vector<Case> cases = {
      {"Canon camera window, image shown", true, VENDOR_CANON, &camera, true, true, true},
      {"Nikon camera window, image shown", true, VENDOR_NIKON, &camera, true, true, true},
      {"Sony camera window, image shown", true, VENDOR_SONY, &camera, true, false, true},
      {"Fujifilm camera window, image shown", true, VENDOR_FUJI, &camera, true, false, true},
      {"Canon camera window, nothing shown", false, VENDOR_CANON, &camera, false, false, true},
      {"card contents window", false, VENDOR_CANON, &card, false, false, true},
      {"connection window", false, VENDOR_CANON, &connection, false, false, false},
      {"settings window", false, VENDOR_NIKON, &settings, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    camSetVendor(c.vendor);
    postRefreshMenu(c.sender, c.selected);
    for (platform::MenuItem* item : {delegate().oSaveAsMenuItem, delegate().oShareMenuItem, delegate().oPrintMenuItem})
      EXPECT_EQ(item->isEnabled(), c.imageItems) << item->title().toStdString();
    EXPECT_EQ(delegate().oSdTransferMenuItem->isEnabled(), c.sdTransfer);
    for (platform::MenuItem* item :
         {delegate().oShowControlsMenuItem, delegate().oShowThumbnailsMenuItem, delegate().oCardcontentsMenuItem})
      EXPECT_EQ(item->isEnabled(), c.cameraItems) << item->title().toStdString();
  }
  camSetVendor(VENDOR_NONE);
}

TEST_F(AppDelegateTest, TheShowItemsTickAndStoreTheirSettingByKey) {
  // Ticks as the settings were at launch.
  EXPECT_EQ(delegate().oShowControlsMenuItem->state(), platform::NSControlStateValueOn);
  EXPECT_EQ(delegate().oShowThumbnailsMenuItem->state(), platform::NSControlStateValueOn);
  platform::Window window;
  window.setContentSize({300, 200});
  ASSERT_TRUE(guitest::showWindow(&window));
  CameraWindowController camera;
  postRefreshMenu(&camera, false);

  ASSERT_TRUE(guitest::keyClick(nullptr, Qt::Key_C, Qt::ControlModifier | Qt::AltModifier));
  EXPECT_FALSE(defaults().boolForKey("ControlsVisibility"));
  EXPECT_EQ(delegate().oShowControlsMenuItem->state(), platform::NSControlStateValueOff);
  EXPECT_TRUE(defaults().boolForKey("ThumbnailStripVisibility")) << "only its own setting";
  ASSERT_TRUE(guitest::keyClick(nullptr, Qt::Key_C, Qt::ControlModifier | Qt::AltModifier));
  EXPECT_TRUE(defaults().boolForKey("ControlsVisibility"));
  EXPECT_EQ(delegate().oShowControlsMenuItem->state(), platform::NSControlStateValueOn);
  ASSERT_TRUE(guitest::keyClick(nullptr, Qt::Key_T, Qt::ControlModifier | Qt::AltModifier));
  EXPECT_FALSE(defaults().boolForKey("ThumbnailStripVisibility"));
  EXPECT_EQ(delegate().oShowThumbnailsMenuItem->state(), platform::NSControlStateValueOff);

  // Disabled (the connection window in front): the key does nothing.
  postRefreshMenu(nullptr, false);
  ASSERT_TRUE(guitest::keyClick(nullptr, Qt::Key_T, Qt::ControlModifier | Qt::AltModifier));
  EXPECT_FALSE(defaults().boolForKey("ThumbnailStripVisibility"));
}

TEST_F(AppDelegateTest, OneCardContentsWindowAndOneWayToTheSettings) {
  delegate().showCardContents();
  CardContentsWindowController* first = delegate().cardContentsWindowController();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->window()->isVisible());
  first->close();
  settle();
  EXPECT_FALSE(first->window()->isVisible());
  delegate().showCardContents();
  EXPECT_EQ(delegate().cardContentsWindowController(), first) << "the same window again";
  EXPECT_TRUE(first->window()->isVisible());

  // The menu item and both gear buttons open the settings window through the one entry point.
  int opened = 0;
  AppDelegate::setSettingsWindowOpener([&opened] { ++opened; });
  delegate().loadMainWindow();
  ConnectionWindowController* connection = delegate().connectionWindowController();
  connection->showWindow();
  ASSERT_TRUE(guitest::showWindow(connection->window()));
  ASSERT_TRUE(guitest::click(connection->window(), "oSettingsButton"));
  ASSERT_TRUE(guitest::keyClick(nullptr, Qt::Key_Comma, Qt::ControlModifier));
  EXPECT_EQ(opened, 2);
  AppDelegate::setSettingsWindowOpener(nullptr);
}

TEST_F(AppDelegateTest, ClosingTheCameraWindowBringsTheConnectionWindowBackAndKeepsTheLink) {
  ASSERT_TRUE(connect("canon"));
  delegate().loadMainWindow();
  platform::Window* main = delegate().window();
  main->orderOut();
  CameraWindowController* camera = CameraWindowController::createAndShowWindow();
  ASSERT_TRUE(guitest::showWindow(camera->window()));
  ASSERT_TRUE(camEventThreadRunning());
  EXPECT_EQ(delegate().adoptedWindowControllers(), std::vector<platform::WindowController*>{camera});

  ASSERT_TRUE(guitest::keyClick(nullptr, Qt::Key_W, Qt::ControlModifier));  // Close Window
  ASSERT_TRUE(waitUntil([&] { return delegate().adoptedWindowControllers().empty() && !camEventThreadRunning(); }));
  settle();
  EXPECT_TRUE(main->isVisible());
  EXPECT_TRUE(main->isKeyWindow());
  EXPECT_TRUE(linkIsConnected()) << "the device link stays open";
  EXPECT_EQ(harness().exitStatus(), std::nullopt) << "the application did not quit";
}

}  // namespace
