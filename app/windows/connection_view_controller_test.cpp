// The connection window: its state machine row by row (statuses posted as the session controller posts them, the
// session's steps recorded), the tripod offer, the missing-camera report asked of the device off the main thread,
// and whole connections against the stand-in device: Connect pressed, a session, a lost link reconnected.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <thread>

#include "app/windows/app_delegate.h"
#include "app/windows/camera_window_controller.h"
#include "app/windows/connection_state_machine.h"
#include "app/windows/connection_view_controller.h"
#include "app/windows/status_bar_view_controller.h"
#include "app/windows/tripod_window_controller.h"
#include "app/windows/window_test_support.h"
#include "guitest/gui_test.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/window.h"
#include "session/notification_names.h"
#include "session/utilities.h"
#include "widgets/jw_alert.h"
#include "widgets/sy_flat_button.h"

namespace {

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

void postStatus(int32_t status) {
  platform::NotificationCenter::defaultCenter().postNotificationName(kVorlaxentConnectionStatusNotification,
                                                                     platform::Value(status));
}

// The session controller and the device as the state machine sees them: every step recorded, the device's
// answers as the test sets them.
class RecordingSession : public ConnectionSession {
 public:
  std::atomic<int> dialled{0}, askedForCamera{0}, sessionsStarted{0};
  std::atomic<bool> tripodHead{false};
  std::optional<std::string> usbReport;
  void connectToVorlaxent() override { ++dialled; }
  void connectToCamera() override { ++askedForCamera; }
  void startSession() override { ++sessionsStarted; }
  void toggleHostMode(bool) override {}
  bool tripodHeadAnswers() override { return tripodHead; }
  std::optional<std::string> usbPortReport() override { return usbReport; }
  bool isKnownModel(const std::string& model) override { return model == "Canon EOS R5"; }
};

class ConnectionViewTest : public guitest::GuiTest {
 protected:
  // The program's alerts shown so far (the presenter also sees windows and the help popover go up).
  std::vector<session_testing::ShownAlert> shownAlerts() { return window_testing::programAlerts(alerts()); }
  size_t alertCount() { return shownAlerts().size(); }

  void SetUp() override {
    GuiTest::SetUp();
    // Help texts are read as a user would: the help button pressed before OK.
    alerts().answer = [this](JW_Alert& alert, const session_testing::ShownAlert& shown) {
      if (alert.oHelpButton && !alert.oHelpButton->isHidden()) {
        alert.helpAction(alert.oHelpButton);
        helps_.push_back(alert.oHelpTextField->text().toStdString());
      } else {
        helps_.push_back("");
      }
      if (shown.cancelText == "Exit" && declineOffer_) {
        alert.cancelAction(alert.oCancelButton);
      } else {
        alert.okAction(alert.oOkButton);
      }
    };
  }
  std::vector<std::string> helps_;
  bool declineOffer_ = false;
};

TEST_F(ConnectionViewTest, EveryStatusMovesTheStateAsTheTableSays) {
  enum Step { Press = -1 };
  struct Row {
    const char* name;
    std::vector<int> before;  // statuses posted (or Press: the Connect button) to reach the state
    int32_t status;
    bool autoReconnect;
    bool tripodHead;
    std::optional<std::string> usbReport;
    std::string message;  // empty: none
    std::string help;
    bool modal;
    int32_t state;
    int askedForCamera, sessionsStarted;
    bool reconnect;
  };
  const std::string wifi = connection_texts::wifiHelp(), camera = connection_texts::cameraHelp();
  const std::string unable = "Unable to connect to Vorlaxent. Please join the Vorlaxent WiFi network within your "
                             "computer's System Preferences";
  const std::string firmware = "Camera may be supported, but a Vorlaxent firmware update may be required. This can be "
                               "done in the System section of the Vorlaxent 2 app settings.";
  const std::vector<Row> rows = {
      {"0 whatever the state", {5}, 0, true, false, {}, "Unknown Connection Status", "", true, 0, 0, 0, false},
      {"2 after Connect: never retried", {Press}, 2, true, false, {}, unable, wifi, true, 2, 0, 0, false},
      {"2 again in 2: nothing", {}, 2, true, false, {}, "", "", false, 2, 0, 0, false},
      {"2 in a session, reconnecting", {5}, 2, true, false, {}, "Connection to Vorlaxent lost.", "", false, 2, 0, 0, true},
      {"2 in a session, no reconnecting", {5}, 2, false, false, {}, "Connection to Vorlaxent lost.", "", true, 2, 0, 0, false},
      {"3: the camera asked for", {}, 3, true, false, {}, "", "", false, 4, 1, 0, false},
      {"3 in a session: looked for again", {5}, 3, true, false, {}, "", "", false, 4, 1, 0, false},
      {"no camera, a known model", {Press, 3}, 3, true, false, "Canon EOS R5", firmware, "", true, 3, 0, 0, false},
      {"no camera, an unknown model", {Press, 3}, 3, true, false, "Leica M11", "Camera not connected.", camera, true, 3, 0, 0, false},
      {"no camera, the report fails", {Press, 3}, 3, true, false, {}, "Camera not connected.", camera, true, 3, 0, 0, false},
      {"camera lost, reconnecting", {5, 3}, 3, true, true, {}, "Camera not connected.", "", false, 3, 0, 0, true},
      {"camera lost, no reconnecting", {5, 3}, 3, false, true, {}, "Camera not connected.", camera, true, 3, 0, 0, false},
      {"5: the session started", {}, 5, true, false, {}, "", "", false, 5, 0, 1, false},
      {"4: the view's own state", {}, 4, true, false, {}, "", "", false, 4, 0, 0, false},
      {"7: kept as it is", {}, 7, true, false, {}, "", "", false, 7, 0, 0, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RecordingSession session;
    ScopedConnectionSession recording(session);
    session.tripodHead = row.tripodHead;
    session.usbReport = row.usbReport;
    defaults().setBool(row.autoReconnect, "AutoReconnect");
    Utilities::setCurrentConnectionStatus(0);
    ConnectionViewController view(nullptr);
    view.view();
    for (int step : row.before) {
      if (step == Press) {
        view.connectAction();
      } else {
        postStatus(step);
      }
    }
    settle();
    const size_t shownBefore = alertCount();
    helps_.clear();
    const int asked = session.askedForCamera, started = session.sessionsStarted;

    postStatus(row.status);
    if (!row.message.empty()) {
      ASSERT_TRUE(waitUntil([&] { return alertCount() > shownBefore; }));
    }
    settle();

    const std::vector<session_testing::ShownAlert> shown = shownAlerts();
    if (row.message.empty()) {
      EXPECT_EQ(shown.size(), shownBefore) << shown.back().message;
    } else {
      ASSERT_EQ(shown.size(), shownBefore + 1);
      EXPECT_EQ(shown.back().title, "Error");
      EXPECT_EQ(shown.back().message, row.message);
      EXPECT_EQ(shown.back().modal, row.modal);
      if (row.modal) {
        EXPECT_EQ(helps_, std::vector<std::string>{row.help});
      }
    }
    EXPECT_EQ(view.currentConnectionStatus(), row.state);
    EXPECT_EQ(Utilities::currentConnectionStatus(), row.state);
    EXPECT_EQ(session.askedForCamera - asked, row.askedForCamera);
    EXPECT_EQ(session.sessionsStarted - started, row.sessionsStarted);
    EXPECT_EQ(view.isReconnectPending(), row.reconnect);
    EXPECT_EQ(view.runsAutoReconnect(), row.reconnect);
    harness().closeWindows();
  }
}

TEST_F(ConnectionViewTest, AScheduledReconnectionDialsOnceAndNotAfterConnectIsPressed) {
  RecordingSession session;
  ScopedConnectionSession recording(session);
  ConnectionViewController view(nullptr);
  view.view();
  postStatus(5);
  postStatus(2);  // lost: shown for a while, the device called again 6 s later
  postStatus(0);  // a second message while the first attempt waits
  EXPECT_TRUE(view.isReconnectPending());
  ASSERT_TRUE(waitUntil([&] { return session.dialled > 0; }));
  QElapsedTimer quiet;
  quiet.start();
  waitUntil([] { return false; }, std::chrono::milliseconds(900));  // past another 6 s at the harness's pace
  EXPECT_EQ(session.dialled, 1) << "two messages dialled twice";

  // Connect pressed while an attempt waits: the attempt does nothing.
  postStatus(5);
  postStatus(2);
  ASSERT_TRUE(view.isReconnectPending());
  view.connectAction();
  EXPECT_EQ(session.dialled, 2);
  waitUntil([] { return false; }, std::chrono::milliseconds(900));
  EXPECT_EQ(session.dialled, 2);
}

TEST_F(ConnectionViewTest, TheTripodOfferOpensTheTripodWindowOrLeavesEverythingAsItWas) {
  RecordingSession session;
  ScopedConnectionSession recording(session);
  session.tripodHead = true;
  for (bool take : {true, false}) {
    SCOPED_TRACE(take ? "Use Tripod" : "Exit");
    declineOffer_ = !take;
    ConnectionViewController view(nullptr);
    view.view();
    view.connectAction();
    postStatus(3);
    const size_t before = alertCount();
    const int32_t applicationWide = Utilities::currentConnectionStatus();
    postStatus(3);
    ASSERT_TRUE(waitUntil([&] { return alertCount() > before; }));
    settle();
    // The offer is the first alert since; the tripod panel may follow it with its own (this session has no device).
    const session_testing::ShownAlert offer = shownAlerts().at(before);
    EXPECT_EQ(offer.style, 1u);
    EXPECT_EQ(offer.title, platform::localizedString("ShowTripodOnlyTitle"));
    EXPECT_EQ(offer.message, platform::localizedString("ShowTripodOnlyMessage"));
    EXPECT_EQ(offer.okText, "Use Tripod");
    EXPECT_EQ(offer.cancelText, "Exit");
    EXPECT_EQ(view.currentConnectionStatus(), 4);
    EXPECT_EQ(Utilities::currentConnectionStatus(), applicationWide) << "the application-wide status is left as it was";
    DocumentWindowController* opened = view.sessionWindowController();
    EXPECT_EQ(opened != nullptr && qobject_cast<TripodWindowController*>(opened) != nullptr, take);
    if (take) {
      EXPECT_TRUE(opened->window()->isVisible());
    }
    harness().closeWindows();
  }
}

TEST_F(ConnectionViewTest, TheMissingCameraIsAskedOfTheDeviceOffTheMainThread) {
  guitest::CameraRig& rig = harness().prepareCamera(std::shared_ptr<devicesim::Camera>());  // a device, no camera
  rig.commands().setUsbPortReport(std::string("Canon EOS R5"));
  // The device takes its time over the report.
  rig.device().setCommandDelay(0xD7, std::chrono::milliseconds(1500));
  rig.tripod().setAttached(false);
  harness().appDelegate().loadMainWindow();
  platform::Window* window = harness().appDelegate().window();
  harness().appDelegate().connectionWindowController()->showWindow();
  ASSERT_TRUE(guitest::showWindow(window));

  // The main loop's longest pause while the device is asked.
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0, longest = 0;
  QTimer beat;
  QObject::connect(&beat, &QTimer::timeout, [&] {
    longest = std::max(longest, clock.elapsed() - last);
    last = clock.elapsed();
  });
  beat.start(5);
  ASSERT_TRUE(guitest::click(window, "oConnectButton"));
  ASSERT_TRUE(waitUntil([&] { return alertCount() > 0; }));
  beat.stop();
  EXPECT_EQ(shownAlerts().back().message,
            "Camera may be supported, but a Vorlaxent firmware update may be required. This can be done in the System "
            "section of the Vorlaxent 2 app settings.");
  EXPECT_EQ(rig.commandCount(0xD7), 1u);
  EXPECT_LT(longest, 700) << "the main loop waited for the device";
  EXPECT_EQ(rig.statuses(), (std::vector<int32_t>{kConnectionStatusDeviceConnected, kConnectionStatusDeviceConnected}));
}

std::vector<CameraWindowController*> cameraWindows(AppDelegate& delegate) {
  std::vector<CameraWindowController*> out;
  for (platform::WindowController* c : delegate.adoptedWindowControllers())
    if (auto* camera = qobject_cast<CameraWindowController*>(c); camera && camera->window()->isVisible()) out.push_back(camera);
  return out;
}

class ConnectionEndToEndTest : public ConnectionViewTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ConnectionEndToEndTest, ConnectStartsTheSessionAndALostLinkIsReconnected) {
  guitest::CameraRig& rig = harness().prepareCamera(GetParam());
  ASSERT_EQ(rig.error(), "");
  AppDelegate& delegate = harness().appDelegate();
  delegate.loadMainWindow();
  platform::Window* main = delegate.window();
  delegate.connectionWindowController()->showWindow();
  ASSERT_TRUE(guitest::showWindow(main));
  session_testing::NotificationLog log({kSessionStartedNotification, kHostModeUpdateNotification});

  ASSERT_TRUE(guitest::click(main, "oConnectButton"));
  ASSERT_TRUE(waitForPosts(log, kSessionStartedNotification, 1));
  ASSERT_TRUE(waitUntil([&] { return cameraWindows(delegate).size() == 1; }));
  // Nikon and Fujifilm bodies get the host-mode setting as the window opens: that exchange ends first.
  const std::string vendor = GetParam();
  if (vendor == "nikon" || vendor == "fuji") {
    ASSERT_TRUE(waitForPosts(log, kHostModeUpdateNotification, 1));
  }
  EXPECT_EQ(rig.statuses(), (std::vector<int32_t>{3, 5}));
  EXPECT_FALSE(main->isVisible()) << "the connection window makes way for the camera window";
  EXPECT_EQ(cameraWindows(delegate).front()->window()->windowTitle().toStdString(), "Vorlaxent 2: 127.0.0.1");
  EXPECT_EQ(alertCount(), 0u) << shownAlerts().front().message;
  // The status bar's first look at the device's card has its answer: a link dropped while it waits fails that read
  // too, and its alert would come before the loss's.
  StatusBarViewController* bar = cameraWindows(delegate).front()->statusBarViewController();
  ASSERT_TRUE(waitUntil([&] { return !bar->oVorlaxentSdCardNumShotsTextField->text().isEmpty(); }));

  // The device drops the link: the camera window closes, the loss is shown for a while, the device is called
  // again and a new session opens a new camera window.
  ASSERT_TRUE(defaults().boolForKey("AutoReconnect"));
  rig.device().dropClient();
  ASSERT_TRUE(waitUntil([&] { return alertCount() > 0; }));
  EXPECT_EQ(shownAlerts().front().message, "Connection to Vorlaxent lost.");
  EXPECT_FALSE(shownAlerts().front().modal);
  ASSERT_TRUE(waitForPosts(log, kSessionStartedNotification, 2));
  ASSERT_TRUE(waitUntil([&] { return cameraWindows(delegate).size() == 1; }));
  EXPECT_EQ(rig.statuses(), (std::vector<int32_t>{3, 5, 2, 3, 5}));
  EXPECT_EQ(alertCount(), 1u) << shownAlerts().back().message;
}

INSTANTIATE_TEST_SUITE_P(EveryVendor, ConnectionEndToEndTest, ::testing::Values("canon", "nikon", "sony", "fuji"),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(ConnectionViewTest, ADeviceWithATripodHeadAndNoCameraOffersTheTripodWindow) {
  guitest::CameraRig& rig = harness().prepareCamera(std::shared_ptr<devicesim::Camera>());
  // A charged head: the tripod panel has no warning to show over its window.
  rig.tripod().setBatteryLevel(4600);
  AppDelegate& delegate = harness().appDelegate();
  delegate.loadMainWindow();
  platform::Window* main = delegate.window();
  delegate.connectionWindowController()->showWindow();
  ASSERT_TRUE(guitest::showWindow(main));
  ASSERT_TRUE(guitest::click(main, "oConnectButton"));
  ASSERT_TRUE(waitUntil([&] {
    for (platform::WindowController* c : delegate.adoptedWindowControllers())
      if (qobject_cast<TripodWindowController*>(c)) return true;
    return false;
  }));
  EXPECT_FALSE(main->isVisible());
  EXPECT_EQ(rig.commandCount(0xD7), 0u) << "the head answered: no report is asked for";
  ASSERT_EQ(alertCount(), 1u);
  EXPECT_EQ(shownAlerts().front().okText, "Use Tripod");

  // Closed: the connection window is back, and nothing quits.
  ASSERT_TRUE(guitest::keyClick(nullptr, Qt::Key_W, Qt::ControlModifier));
  ASSERT_TRUE(waitUntil([&] { return main->isVisible(); }));
  EXPECT_EQ(harness().exitStatus(), std::nullopt);
}

}  // namespace
