// The settings window as a user works it, with real clicks and keys against a stand-in body of each maker: the
// controls that fit the camera, every setting bound to its control, the two combo boxes that stand for numbers,
// the changes that go to the device (read back from the device's own log) and those that must not, the prefixes
// applied and refused at the close, mirror-up, the cache's confirmation, and the one window every caller shares.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "app/windows/settings_window_controller.h"

#include "app/windows/app_delegate.h"
#include "devicesim/camera_factory.h"
#include "devicesim/canon_camera.h"
#include "devicesim/fuji_camera.h"
#include "devicesim/nikon_camera.h"
#include "engine/ptp/vendor_hooks.h"
#include "engine/store/object_cache.h"
#include "guitest/gui_test.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/application_shell.h"
#include "platform/ui/window.h"
#include "session/camera_controller.h"
#include "session/notification_names.h"
#include "session/utilities.h"

namespace {

using guitest::find;

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

constexpr const char* kRefreshMenu = "JWNotification_RefreshMenu";
const std::string kEAcute = "\xC3\xA9";

std::string repeated(const std::string& piece, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

class SettingsWindowTest : public guitest::GuiTest {
 protected:
  void TearDown() override {
    // A window whose close a test left refused would outlive the harness.
    if (SettingsWindowController* open = SettingsWindowController::current()) {
      for (const char* name : {"oPrefixTextField", "oSdImagePrefixTextField"})
        if (auto* field = open->window()->findChild<QLineEdit*>(name)) field->clear();
      open->window()->close();
      settle();
    }
    guitest::GuiTest::TearDown();
  }

  // Opens the settings as the menu and the gear buttons do, and waits until the window shows.
  SettingsWindowController* open() {
    SettingsWindowController* controller = SettingsWindowController::showSettings();
    EXPECT_TRUE(guitest::showWindow(controller->window()));
    return controller;
  }
  QWidget* win() { return SettingsWindowController::current() ? SettingsWindowController::current()->window() : nullptr; }

  // Closes the window as its close button does; true when it closed.
  bool closeSettings() {
    QPointer<platform::Window> window = SettingsWindowController::current()->window();
    window->close();
    settle();
    return !window || !window->isVisible();
  }

  // A check box clicked on its box (a click at the centre of a wide one could miss its short label).
  bool tick(const char* name) {
    QWidget* box = guitest::findWidget(win(), name);
    return box && guitest::click(box, QPoint(8, box->height() / 2));
  }
  bool ticked(const char* name) { return find<QCheckBox>(win(), name)->isChecked(); }

  // Replaces a text field's text as typed (select all, type) and ends the edit with Return when asked.
  bool retype(const char* name, const QString& text, bool commit) {
    auto* field = find<QLineEdit>(win(), name);
    if (!field || !guitest::click(field)) return false;
    guitest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    guitest::keyClick(field, Qt::Key_Backspace);
    typeInto(field, text);
    if (commit) guitest::keyClick(field, Qt::Key_Return);
    return true;
  }

  // Types every character, letters with accents too (as a keyboard layout that has them sends them).
  static void typeInto(QWidget* field, const QString& text) {
    for (const QChar c : text) {
      if (c.unicode() < 0x80) guitest::typeText(field, QString(c));
      else QTest::sendKeyEvent(QTest::Click, field, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
    }
  }

  // The device's settings log from line `from` on (a session start sends the sharing switch already), once it
  // has `count` lines there.
  std::vector<std::string> deviceLogSince(size_t from, size_t count) {
    waitUntil([&] { return rig().commands().settingsLog().size() >= from + count; });
    const std::vector<std::string> all = rig().commands().settingsLog();
    return std::vector<std::string>(all.begin() + static_cast<long>(std::min(from, all.size())), all.end());
  }
  size_t deviceLogSize() { return rig().commands().settingsLog().size(); }

  // Waits until the pushes queued on the main thread so far have reached the device: a raw-saving switch sent
  // now travels the same one-at-a-time queue and comes out behind them.
  bool pushesDone() {
    const size_t before = rig().commands().settingsLog().size();
    Utilities::sendSaveFujiRaws(false);
    const bool done = waitUntil([&] {
      for (size_t i = before; i < rig().commands().settingsLog().size(); ++i)
        if (rig().commands().settingsLog()[i].rfind("save-fuji-raws", 0) == 0) return true;
      return false;
    });
    return done && waitForOverlays();
  }

  size_t alertsSaying(const std::string& message) {
    size_t n = 0;
    for (const auto& a : alerts().shown()) n += a.message == message ? 1 : 0;
    return n;
  }
};

// --- per maker: what shows, and one change that reaches the camera or the device -----------------------------

struct VendorRow {
  const char* label;
  std::function<std::shared_ptr<devicesim::Camera>()> camera;  // null: no camera ever connected
  bool fujiRaw, focusStepEnabled, mirrorUp, hostMode, sdTransfer;
};

class SettingsWindowVendorTest : public SettingsWindowTest, public ::testing::WithParamInterface<VendorRow> {};

TEST_P(SettingsWindowVendorTest, TheOneEntryPointOpensThatCamerasSettingsAndAChangeReachesIt) {
  const VendorRow& row = GetParam();
  if (row.camera) {
    ASSERT_TRUE(connect(row.camera()));
  }
  open();
  EXPECT_EQ(find<QCheckBox>(win(), "oFujiRawCheckButton")->isVisible(), row.fujiRaw);
  EXPECT_EQ(find<QComboBox>(win(), "oCanonFocusStepSizeComboBox")->isEnabled(), row.focusStepEnabled);
  EXPECT_EQ(find<QCheckBox>(win(), "oMirrorUpCheckBox")->isVisible(), row.mirrorUp);
  EXPECT_EQ(find<QCheckBox>(win(), "oConnectionModeCheckBox")->isVisible(), row.hostMode);
  EXPECT_EQ(find<QCheckBox>(win(), "oAutoSdTransferCheckBox")->isVisible(), row.sdTransfer);
  if (!row.camera) {
    // Nothing to tell: the change is only stored.
    ASSERT_TRUE(tick("oShareEnabledCheckBox"));
    EXPECT_TRUE(defaults().boolForKey("VorlaxentShareEnabled"));
    return;
  }

  const std::string label = row.label;
  if (label == "canon-dslr") {
    auto canon = rig().cameraAs<devicesim::CanonCamera>();
    ASSERT_TRUE(tick("oMirrorUpCheckBox"));
    ASSERT_TRUE(waitUntil([&] { return !canon->propertySets().requests(0xD13A).empty(); }));
    ASSERT_TRUE(waitForOverlays());
    EXPECT_EQ(canon->propertySets().requests(0xD13A).front().value, 1);
    EXPECT_TRUE(defaults().boolForKey("MirrorUp"));
    EXPECT_TRUE(ticked("oMirrorUpCheckBox"));
  } else if (label == "nikon") {
    session_testing::NotificationLog hostMode({kHostModeUpdateNotification});
    const size_t before = rig().operationCount(0x90C2);
    ASSERT_TRUE(tick("oConnectionModeCheckBox"));
    ASSERT_TRUE(waitForPosts(hostMode, kHostModeUpdateNotification));
    ASSERT_TRUE(waitForOverlays());
    // The session stores "HostMode" once the camera took it; that store is not sent again.
    EXPECT_EQ(rig().operationCount(0x90C2), before + 1);
    EXPECT_TRUE(defaults().boolForKey("HostMode"));
  } else if (label == "fuji") {
    auto fuji = rig().cameraAs<devicesim::FujiCamera>();
    const size_t sent = rig().commandCount(0xD5);
    ASSERT_TRUE(tick("oFujiRawCheckButton"));
    EXPECT_TRUE(waitUntil([&] { return rig().commandCount(0xD5) == sent + 1 && fuji->saveRawsFlag() == 0; }));
    ASSERT_TRUE(tick("oConnectionModeCheckBox"));
    ASSERT_TRUE(waitUntil([&] { return !fuji->propertySets().requests(0xD207).empty(); }));
    ASSERT_TRUE(waitForOverlays());
    EXPECT_EQ(fuji->propertySets().requests(0xD207).front().value, 2);
  } else {
    // Sharing, and then the clients' permission (enabled only while sharing is on).
    EXPECT_FALSE(find<QCheckBox>(win(), "oShareClientsCanSaveCheckBox")->isEnabled());
    const size_t from = deviceLogSize();
    ASSERT_TRUE(tick("oShareEnabledCheckBox"));
    ASSERT_TRUE(waitUntil([&] { return find<QCheckBox>(win(), "oShareClientsCanSaveCheckBox")->isEnabled(); }));
    ASSERT_TRUE(tick("oShareClientsCanSaveCheckBox"));
    EXPECT_EQ(deviceLogSince(from, 2), (std::vector<std::string>{"sharing 1", "clients-can-save 1"}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryMaker, SettingsWindowVendorTest,
    ::testing::Values(
        VendorRow{"none", nullptr, false, false, false, false, true},
        VendorRow{"canon", [] { return devicesim::makeCamera("canon"); }, false, true, false, false, true},
        VendorRow{"canon-dslr", [] { return devicesim::makeCanonCamera(devicesim::CanonBody::DslrJpegLiveView); }, false,
                  true, true, false, true},
        VendorRow{"nikon", [] { return devicesim::makeCamera("nikon"); }, false, false, false, true, true},
        VendorRow{"sony", [] { return devicesim::makeCamera("sony"); }, false, false, false, false, false},
        VendorRow{"fuji", [] { return devicesim::makeCamera("fuji"); }, true, false, false, true, false}),
    [](const auto& info) {
      std::string name = info.param.label;
      for (char& c : name)
        if (c == '-') c = '_';
      return name;
    });

// A window opened before the session brings the session's camera's controls once it starts.
TEST_F(SettingsWindowTest, ASessionStartedWhileOpenBringsItsCamerasControls) {
  open();
  EXPECT_FALSE(find<QCheckBox>(win(), "oConnectionModeCheckBox")->isVisible());
  ASSERT_TRUE(connect("nikon"));
  EXPECT_TRUE(waitUntil([&] { return find<QCheckBox>(win(), "oConnectionModeCheckBox")->isVisible(); }));
  EXPECT_FALSE(find<QComboBox>(win(), "oCanonFocusStepSizeComboBox")->isEnabled());
}

// --- every setting a user changes, bound to its control --------------------------------------------------------

TEST_F(SettingsWindowTest, EveryCheckBoxWritesItsSettingAndFollowsIt) {
  open();
  // Sharing's and the watermark's details are enabled by their switches.
  ASSERT_TRUE(tick("oShareEnabledCheckBox"));
  ASSERT_TRUE(tick("oShowWatermarkCheckBox"));
  const std::pair<const char*, const char*> boxes[] = {
      {"oAutoReconnectCheckBox", "AutoReconnect"},
      {"oQuickRawCheckBox", "QuickRawMode"},
      {"oLoadMissedImagesCheckBox", "LoadMissedImages"},
      {"oAutoReloadSessionCheckBox", "AutoReloadSession"},
      {"oPrependOriginalNameCheckBox", "PrependOriginalName"},
      {"oAutoSdTransferCheckBox", "SdCardAutoTransfer"},
      {"oShareEnabledCheckBox", "VorlaxentShareEnabled"},
      {"oShareLiveViewCheckBox", "ShareLiveView"},
      {"oShareClientsCanSaveCheckBox", "ShareClientsCanSave"},
      {"oAutoShareThumbnailsCheckBox", "AutoShareThumbnails"},
      {"oAutoShareImagesCheckBox", "AutoShareImages"},
      {"oWatermarkSaveCheckBox", "WatermarkSave"},
      {"oShowWatermarkCheckBox", "ShowWatermark"},
  };
  for (const auto& [box, key] : boxes) {
    SCOPED_TRACE(box);
    const bool was = defaults().boolForKey(key);
    EXPECT_EQ(ticked(box), was);
    ASSERT_TRUE(tick(box));
    EXPECT_EQ(defaults().boolForKey(key), !was);
    EXPECT_EQ(ticked(box), !was);
    // A change made elsewhere shows.
    defaults().setBool(was, key);
    EXPECT_TRUE(waitUntil([&] { return ticked(box) == was; }));
  }
}

TEST_F(SettingsWindowTest, TextFieldsAndChoicesWriteTheirSettings) {
  open();
  ASSERT_TRUE(retype("oIpAddressTextField", "192.168.1.20", true));
  EXPECT_EQ(defaults().stringForKey("ipAddress"), "192.168.1.20");

  EXPECT_EQ(find<QLineEdit>(win(), "oCacheSizeTextField")->text(), "2");
  ASSERT_TRUE(retype("oCacheSizeTextField", "5", true));
  EXPECT_EQ(defaults().objectForKey("CacheSizeGB"), platform::Value(5));
  // Not a size: refused by the field, the setting kept.
  ASSERT_TRUE(retype("oCacheSizeTextField", "0", true));
  ASSERT_TRUE(waitUntil([&] { return alerts().count() == 1; }));
  EXPECT_EQ(defaults().integerForKey("CacheSizeGB"), 5);

  ASSERT_TRUE(tick("oShowWatermarkCheckBox"));
  ASSERT_TRUE(retype("oWatermarkTextField", "Studio", true));
  EXPECT_EQ(defaults().stringForKey("WatermarkText"), "Studio");
  for (const auto& [name, key] : {std::pair{"oWatermarkSizeComboBox", "WatermarkSize"},
                                  std::pair{"oWatermarkLocationComboBox", "WatermarkLocation"}}) {
    auto* combo = find<QComboBox>(win(), name);
    EXPECT_EQ(combo->currentIndex(), defaults().integerForKey(key)) << name;
    guitest::keyClick(combo, Qt::Key_End);
    EXPECT_EQ(defaults().integerForKey(key), combo->count() - 1) << name;
  }
  EXPECT_EQ(find<QLabel>(win(), "oSaveFolderLabel")->text().toStdString(), harness().saveFolder());
}

TEST_F(SettingsWindowTest, AWatermarkLongerThanTheDeviceKeepsIsRefusedWhole) {
  open();
  ASSERT_TRUE(tick("oShowWatermarkCheckBox"));
  ASSERT_TRUE(retype("oWatermarkTextField", QString::fromStdString(repeated(kEAcute, 64)), true));  // 128 bytes
  EXPECT_EQ(defaults().stringForKey("WatermarkText"), repeated(kEAcute, 64));
  ASSERT_TRUE(retype("oWatermarkTextField", QString::fromStdString(repeated(kEAcute, 64) + "w"), true));
  ASSERT_TRUE(waitUntil([&] { return alerts().count() == 1; }));
  EXPECT_EQ(alerts().shown().front().message, platform::localizedString("WatermarkTextTooLong"));
  EXPECT_EQ(defaults().stringForKey("WatermarkText"), repeated(kEAcute, 64));
  EXPECT_EQ(find<QLineEdit>(win(), "oWatermarkTextField")->text().toStdString(), repeated(kEAcute, 64));
}

// --- the two combo boxes that stand for numbers ----------------------------------------------------------------

TEST_F(SettingsWindowTest, AutoViewShowsOnlyItsFourChoicesAndStoresTheIndex) {
  defaults().setInteger(7, "AutoViewImages");
  SettingsWindowController* controller = open();
  auto* combo = find<QComboBox>(win(), "oAutoViewComboBox");
  ASSERT_EQ(combo->count(), 4);
  EXPECT_EQ(combo->currentIndex(), 0);
  EXPECT_EQ(controller->autoViewValue(), combo->itemText(0).toStdString());
  EXPECT_EQ(defaults().integerForKey("AutoViewImages"), 7) << "showing a choice stores nothing";
  // Chosen with the keys: the second entry, then back to the first.
  guitest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(defaults().integerForKey("AutoViewImages"), 1);
  guitest::keyClick(combo, Qt::Key_Up);
  EXPECT_EQ(defaults().integerForKey("AutoViewImages"), 0);
  // Values stored elsewhere (the focus-stack panel sets 0) show.
  for (const auto& [stored, shown] : {std::pair{3, 3}, std::pair{2, 2}, std::pair{-1, 0}, std::pair{4, 0}}) {
    defaults().setInteger(stored, "AutoViewImages");
    EXPECT_TRUE(waitUntil([&, shown = shown] { return combo->currentIndex() == shown; })) << stored;
  }
}

TEST_F(SettingsWindowTest, CanonsFocusStepSelectsTheNearestEntryAndStoresTheSize) {
  defaults().setInteger(3, "FocusStackingIncrementSize");
  ASSERT_TRUE(connect("canon"));
  open();
  auto* combo = find<QComboBox>(win(), "oCanonFocusStepSizeComboBox");
  ASSERT_TRUE(combo->isEnabled());
  EXPECT_EQ(combo->currentIndex(), 2);
  for (const auto& [stored, shown] : {std::pair{1, 0}, std::pair{0, 0}, std::pair{-4, 0}, std::pair{9, 2}, std::pair{2, 1}}) {
    defaults().setInteger(stored, "FocusStackingIncrementSize");
    EXPECT_TRUE(waitUntil([&, shown = shown] { return combo->currentIndex() == shown; })) << stored;
  }
  guitest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(defaults().integerForKey("FocusStackingIncrementSize"), 3);
  guitest::keyClick(combo, Qt::Key_Home);
  EXPECT_EQ(defaults().integerForKey("FocusStackingIncrementSize"), 1);
}

// --- what goes to the device, and what must not ----------------------------------------------------------------

TEST_F(SettingsWindowTest, HostModeGoesToTheCameraOnlyWhileItIsConnectedAndOnceEvenWhenRefused) {
  ASSERT_TRUE(connect("nikon"));
  open();
  const size_t before = rig().operationCount(0x90C2);
  // Only the device connected: stored, nothing sent.
  Utilities::setCurrentConnectionStatus(kConnectionStatusDeviceConnected);
  ASSERT_TRUE(tick("oConnectionModeCheckBox"));
  EXPECT_TRUE(defaults().boolForKey("HostMode"));
  settle();
  EXPECT_EQ(rig().operationCount(0x90C2), before);

  // The camera connected, and refusing: the session puts the setting back, which is shown and not sent again.
  Utilities::setCurrentConnectionStatus(kConnectionStatusCameraConnected);
  rig().device().setFaultSource([](const devicesim::Exchange& e) -> std::optional<devicesim::Fault> {
    if (e.ptpOperation == 0x90C2 && e.answerBytes == 0) return devicesim::Fault::busy(0x2002);
    return std::nullopt;
  });
  ASSERT_TRUE(tick("oConnectionModeCheckBox"));  // off
  ASSERT_TRUE(waitUntil([&] { return alerts().count() == 1; }));
  ASSERT_TRUE(waitUntil([&] { return defaults().boolForKey("HostMode") && ticked("oConnectionModeCheckBox"); }));
  ASSERT_TRUE(waitForOverlays());
  settle();
  EXPECT_EQ(rig().operationCount(0x90C2), before + 1);
  EXPECT_EQ(alerts().shown().front().message.rfind(platform::localizedString("HostSetFailed"), 0), 0u)
      << alerts().shown().front().message;
  rig().device().setFaultSource(nullptr);
}

TEST_F(SettingsWindowTest, TheRawSwitchGoesToTheDeviceWhateverTheStatus) {
  ASSERT_TRUE(connect("fuji"));
  auto fuji = rig().cameraAs<devicesim::FujiCamera>();
  open();
  Utilities::setCurrentConnectionStatus(kConnectionStatusUnknown);
  const size_t sent = rig().commandCount(0xD5);
  ASSERT_TRUE(tick("oFujiRawCheckButton"));
  // The device is told the inverse: 0 keeps the raw files.
  EXPECT_TRUE(waitUntil([&] { return rig().commandCount(0xD5) == sent + 1 && fuji->saveRawsFlag() == 0; }));
  ASSERT_TRUE(tick("oFujiRawCheckButton"));
  EXPECT_TRUE(waitUntil([&] { return rig().commandCount(0xD5) == sent + 2 && fuji->saveRawsFlag() == 1; }));
}

TEST_F(SettingsWindowTest, ARefusedSharingSwitchIsTurnedOffOnceWithoutAskingTheDeviceAgain) {
  ASSERT_TRUE(connect("canon"));
  rig().commands().setSharingRefusal(0x2005);
  open();
  const size_t from = deviceLogSize();
  const size_t sent = rig().commandCount(0x70);
  ASSERT_TRUE(tick("oShareEnabledCheckBox"));
  ASSERT_TRUE(waitUntil([&] { return !defaults().boolForKey("VorlaxentShareEnabled") && !ticked("oShareEnabledCheckBox"); }));
  ASSERT_TRUE(pushesDone());
  std::vector<std::string> log = deviceLogSince(from, 0);
  ASSERT_FALSE(log.empty());
  log.pop_back();  // the fence
  EXPECT_EQ(log, (std::vector<std::string>{"sharing refused 1"}));
  EXPECT_EQ(rig().commandCount(0x70), sent + 1);
}

TEST_F(SettingsWindowTest, ADeviceSlowToAnswerNeverHoldsTheWindow) {
  ASSERT_TRUE(connect("canon"));
  // The device holds its answer to the sharing switch until the click has come back to the test: were the
  // exchange made on the main thread, the click would wait for the answer until the host's read time-out, and the
  // switch would count as refused.
  struct Gate {
    std::atomic<bool> clickReturned{false};
    std::atomic<bool> held{false};
  };
  auto gate = std::make_shared<Gate>();
  rig().device().setFaultSource([gate](const devicesim::Exchange& e) -> std::optional<devicesim::Fault> {
    if (e.command == 0x70 && e.answerBytes == 0) {
      gate->held = true;
      const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (!gate->clickReturned && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return std::nullopt;
  });
  open();
  const size_t from = deviceLogSize();
  ASSERT_TRUE(tick("oShareEnabledCheckBox"));
  gate->clickReturned = true;
  EXPECT_EQ(deviceLogSince(from, 1), (std::vector<std::string>{"sharing 1"}));
  ASSERT_TRUE(pushesDone());
  EXPECT_TRUE(gate->held);
  EXPECT_TRUE(defaults().boolForKey("VorlaxentShareEnabled")) << "the device's answer was lost";
  EXPECT_EQ(alerts().count(), 0u);
  rig().device().setFaultSource(nullptr);
}

TEST_F(SettingsWindowTest, LiveViewSharingReachesTheFramesTheDeviceShares) {
  ASSERT_TRUE(connect("canon"));
  open();
  ASSERT_TRUE(tick("oShareEnabledCheckBox"));
  ASSERT_TRUE(tick("oShareLiveViewCheckBox"));
  ASSERT_TRUE(pushesDone());
  // The frames are fetched with the wrapper that has the device relay them to its clients too.
  CameraController::instance().toggleLiveView(true, nullptr);
  EXPECT_TRUE(waitUntil([&] {
    for (const devicesim::LoggedPacket& p : rig().device().log())
      if (p.ptpOperation == kCanonLiveViewOperation && p.wrapper && p.wrapper->subCodeA == 0xA1) return true;
    return false;
  }));
  CameraController::instance().toggleLiveView(false, nullptr);
  ASSERT_TRUE(waitUntil([] { return CameraController::instance().liveViewStatus() == 0; }));
  ASSERT_TRUE(waitForOverlays());
}

// --- the prefixes, applied when the window closes --------------------------------------------------------------

TEST_F(SettingsWindowTest, ClosingStoresThePrefixesAndSendsAChangedSdPrefixOnce) {
  ASSERT_TRUE(connect("canon"));
  session_testing::NotificationLog posts({kUpdateSdTransferNotification});
  const size_t sent = rig().commandCount(0xB2);
  // Unchanged: nothing posted.
  open();
  ASSERT_TRUE(closeSettings());
  settle();
  EXPECT_EQ(posts.count(kUpdateSdTransferNotification), 0u);

  // The longest prefix the device keeps, in two-byte letters: stored and sent whole.
  const std::string sdPrefix = repeated(kEAcute, 31) + "a";
  open();
  ASSERT_TRUE(tick("oPrependOriginalNameCheckBox"));
  ASSERT_TRUE(retype("oSdImagePrefixTextField", QString::fromStdString(sdPrefix), false));
  ASSERT_TRUE(retype("oPrefixTextField", "Holiday", false));
  EXPECT_EQ(defaults().stringForKey("SdPrefix"), "") << "stored at the close";
  ASSERT_TRUE(closeSettings());
  EXPECT_EQ(defaults().stringForKey("SdPrefix"), sdPrefix);
  EXPECT_EQ(defaults().stringForKey("CustomFileName"), "Holiday");
  EXPECT_EQ(posts.count(kUpdateSdTransferNotification), 1u);
  ASSERT_TRUE(waitUntil([&] { return rig().commandCount(0xB2) == sent + 1 && rig().commands().sdTransfer().prefix == sdPrefix; }));
  ASSERT_TRUE(waitForOverlays());
  ASSERT_TRUE(waitUntil([] {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    return objCacheState().prefix == "Holiday" && objCacheState().prependOriginalName;
  }));
  // The next opening is a new window that shows them.
  SettingsWindowController* again = open();
  EXPECT_EQ(again->sdCardFilePrefixAtOpen(), sdPrefix);
  EXPECT_EQ(find<QLineEdit>(win(), "oSdImagePrefixTextField")->text().toStdString(), sdPrefix);
  EXPECT_EQ(find<QLineEdit>(win(), "oPrefixTextField")->text(), "Holiday");
}

TEST_F(SettingsWindowTest, AChangedSdPrefixWhileDisconnectedIsOnlyStored) {
  session_testing::NotificationLog posts({kUpdateSdTransferNotification});
  open();
  ASSERT_TRUE(retype("oSdImagePrefixTextField", "Trip", false));
  ASSERT_TRUE(closeSettings());
  EXPECT_EQ(defaults().stringForKey("SdPrefix"), "Trip");
  settle();
  EXPECT_EQ(posts.count(kUpdateSdTransferNotification), 0u);
}

TEST_F(SettingsWindowTest, ARefusedPrefixKeepsTheWindowOpenWithAMessage) {
  struct Row {
    const char* field;
    std::string text;
    const char* message;
  };
  const Row rows[] = {
      {"oPrefixTextField", "../Trip", "PrefixPathCharacter"},
      {"oPrefixTextField", "..", "PrefixDotName"},
      {"oSdImagePrefixTextField", ".", "PrefixDotName"},
      {"oSdImagePrefixTextField", "a/b", "PrefixPathCharacter"},
      {"oSdImagePrefixTextField", std::string(64, 'a'), "SdPrefixTooLong"},
      {"oSdImagePrefixTextField", repeated(kEAcute, 32), "SdPrefixTooLong"},  // 32 letters, 64 bytes
  };
  open();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    const size_t shown = alerts().count();
    ASSERT_TRUE(retype(row.field, QString::fromStdString(row.text), false));
    EXPECT_FALSE(closeSettings());
    ASSERT_TRUE(waitUntil([&] { return alerts().count() == shown + 1; }));
    EXPECT_EQ(alerts().shown().back().message, platform::localizedString(row.message));
    EXPECT_EQ(find<QLineEdit>(win(), row.field)->text().toStdString(), row.text) << "the text stays to be mended";
    EXPECT_EQ(defaults().stringForKey("SdPrefix"), "");
    EXPECT_EQ(defaults().stringForKey("CustomFileName"), "");
    ASSERT_TRUE(retype(row.field, "", false));
  }
  EXPECT_TRUE(closeSettings());
}

// --- mirror-up and the maintenance buttons ---------------------------------------------------------------------

TEST_F(SettingsWindowTest, MirrorUpIsRefusedWhileLiveViewRuns) {
  ASSERT_TRUE(connect(devicesim::makeCanonCamera(devicesim::CanonBody::DslrJpegLiveView)));
  auto canon = rig().cameraAs<devicesim::CanonCamera>();
  CameraController::instance().toggleLiveView(true, nullptr);
  ASSERT_TRUE(waitUntil([] { return CameraController::instance().liveViewStatus() == 1; }));
  ASSERT_TRUE(waitForOverlays());
  open();
  ASSERT_TRUE(tick("oMirrorUpCheckBox"));
  ASSERT_TRUE(waitUntil([&] { return alerts().count() == 1; }));
  EXPECT_EQ(alerts().shown().front().message, platform::localizedString("MirrorModeTLiveView"));
  EXPECT_EQ(alerts().shown().front().title, "Warning");
  EXPECT_FALSE(ticked("oMirrorUpCheckBox"));
  EXPECT_FALSE(defaults().boolForKey("MirrorUp"));
  EXPECT_TRUE(canon->propertySets().requests(0xD13A).empty());
  CameraController::instance().toggleLiveView(false, nullptr);
  ASSERT_TRUE(waitUntil([] { return CameraController::instance().liveViewStatus() == 0; }));
  ASSERT_TRUE(waitForOverlays());
}

TEST_F(SettingsWindowTest, ClearingTheCacheAsksFirst) {
  const std::string cache = Utilities::cacheFolderPath();
  ASSERT_FALSE(cache.empty());
  std::filesystem::create_directories(cache);
  const std::string kept = cache + "/IMG_0001.JPG.thumb";
  std::ofstream(kept) << "thumbnail";
  open();
  bool cancel = true;
  alerts().answer = [&](JW_Alert& alert, const session_testing::ShownAlert&) {
    if (cancel) alert.cancelAction(alert.oCancelButton);
    else alert.okAction(alert.oOkButton);
  };
  ASSERT_TRUE(guitest::click(win(), "oClearCacheButton"));
  ASSERT_TRUE(waitUntil([&] { return alerts().count() == 1; }));
  const session_testing::ShownAlert asked = alerts().shown().front();
  EXPECT_EQ(asked.style, 0u);
  EXPECT_EQ(asked.title, platform::localizedString("DeletePromptTitle"));
  EXPECT_EQ(asked.message, "Deleting the cache will delete all downloaded images. Would you like to continue?");
  EXPECT_EQ(asked.okText, platform::localizedString("Delete"));
  EXPECT_EQ(asked.cancelText, platform::localizedString("Cancel"));
  settle();
  EXPECT_TRUE(std::filesystem::exists(kept));

  cancel = false;
  ASSERT_TRUE(guitest::click(win(), "oClearCacheButton"));
  EXPECT_TRUE(waitUntil([&] { return !std::filesystem::exists(kept); }));
  ASSERT_TRUE(waitForOverlays());
  EXPECT_TRUE(std::filesystem::is_directory(cache)) << "made again, empty";
}

TEST_F(SettingsWindowTest, TheBatteryButtonAsksTheDevice) {
  ASSERT_TRUE(connect("sony"));
  rig().commands().setBatteryStatus(devicesim::DeviceCommandSet::batteryReply(4100, 80, -350, 200, 2980));
  open();
  const size_t asked = rig().commandCount(0x87);
  ASSERT_TRUE(guitest::click(win(), "oBatteryStatsButton"));
  ASSERT_TRUE(waitUntil([&] { return alerts().count() == 1; }));
  EXPECT_EQ(rig().commandCount(0x87), asked + 1);
  EXPECT_EQ(alerts().shown().front().title, platform::localizedString("BatteryInfoTitle"));
  ASSERT_TRUE(waitForOverlays());
}

// --- one window for every caller -------------------------------------------------------------------------------

TEST_F(SettingsWindowTest, EveryCallerGetsTheOneWindowWhichPassesEachChangeOnOnce) {
  ASSERT_TRUE(connect("canon"));
  session_testing::NotificationLog refresh({kRefreshMenu});
  // The menu opens it; the user starts typing; a gear button opens it again.
  SettingsWindowController* fromMenu = open();
  ASSERT_TRUE(waitForPosts(refresh, kRefreshMenu));
  const platform::Value posted = refresh.objects(kRefreshMenu).front();
  EXPECT_FALSE(posted["objectSelected"].toBool());
  EXPECT_EQ(posted["sender"].object<QObject>().get(), fromMenu);
  ASSERT_TRUE(retype("oSdImagePrefixTextField", "Trip", false));
  SettingsWindowController* fromGear = SettingsWindowController::showSettings();
  EXPECT_EQ(fromGear, fromMenu);
  AppDelegate::showSettingsWindow();  // where the menu item and the gear buttons lead
  EXPECT_EQ(SettingsWindowController::current(), fromMenu);
  settle();
  int settingsWindows = 0;
  for (QWidget* w : platform::Window::orderedWindows()) settingsWindows += w->windowTitle() == "Settings" ? 1 : 0;
  EXPECT_EQ(settingsWindows, 1);
  EXPECT_EQ(find<QLineEdit>(win(), "oSdImagePrefixTextField")->text(), "Trip") << "the typing is still there";

  const size_t sent = rig().commandCount(0x70);
  ASSERT_TRUE(tick("oShareEnabledCheckBox"));
  ASSERT_TRUE(pushesDone());
  EXPECT_EQ(rig().commandCount(0x70), sent + 1);

  QPointer<SettingsWindowController> gone(fromMenu);
  ASSERT_TRUE(closeSettings());
  EXPECT_EQ(defaults().stringForKey("SdPrefix"), "Trip");
  EXPECT_EQ(SettingsWindowController::current(), nullptr);
  settle();
  // Closed and opened again: a new window.
  EXPECT_TRUE(gone.isNull());
  EXPECT_NE(open(), nullptr);
}

}  // namespace
