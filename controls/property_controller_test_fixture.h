#pragma once
// For the property-button and picker tests (header only): the offscreen application with a clock the test
// advances, a camera property store filled by hand for a vendor (records with allowed values, current value and
// enabled flag; the vendor's role codes), a Sony-shaped vendor double whose sets answer what the test says, a
// presenter that notes every alert, and a plain window holding a panel view with buttons, as the capture panel
// hosts property buttons.
#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/vendor_test_doubles.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/user_defaults.h"
#include "platform/graphics/font.h"
#include "platform/ui/presenter.h"
#include "platform/ui/testing/offscreen_fixture.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/window.h"
#include "session/utilities_alert_recorder.h"
#include "widgets/sy_flat_button.h"

namespace controls_testing {

// One allowed value with its display name.
struct Allowed {
  uint32_t value;
  const char* name;
};

// A panel view in a window: the parent controller of the buttons under test.
class TestPanel : public platform::ViewController {
 protected:
  void loadView() override {
    auto* root = new QWidget();
    root->resize(300, 400);
    setView(root);
  }
};

class PropertyStoreFixture : public platform::testing::OffscreenFixture {
 protected:
  void SetUp() override {
    OffscreenFixture::SetUp();
    resetEngine();
    defaults().setBool(true, "NagSonyFujiRaw");
    window_ = std::make_unique<platform::Window>();
    window_->setFrame({100, 100, 300, 400});
    window_->contentView()->resize(300, 400);
    panel_.view()->setParent(window_->contentView());
    panel_.view()->setGeometry(0, 0, 300, 400);
    panel_.view()->show();
  }

  void TearDown() override {
    drainMainQueue();
    window_.reset();
    resetEngine();
    defaults().removeObjectForKey("NagSonyFujiRaw");
  }

  static void resetEngine() {
    test_vendor::resetCoreState();
    vendorStateReset();
    propSetNameTable(nullptr, 0);
  }

  static platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

  // The vendor of the session and its role codes (from the records made so far: make the records first).
  static void useVendor(VendorType vendor, uint8_t modelIndex = 0) {
    camSetVendor(vendor);
    camSetModelIndex(modelIndex);
    camFillVendorPropertyCodes();
  }

  // A record with allowed values (a list), its current value and enabled flag.
  static PropertyStruct* addRecord(uint32_t code, std::initializer_list<Allowed> allowed, uint32_t current,
                                   uint8_t enabled = 1) {
    PropertyStruct* r = propCreate(code, true);
    EXPECT_NE(r, nullptr);
    if (!r) return nullptr;
    std::vector<PropertyValueNamesStruct> list;
    for (const Allowed& a : allowed) {
      PropertyValueNamesStruct entry{};
      propCopyText(entry.name, sizeof entry.name, a.name);
      entry.value = a.value;
      list.push_back(entry);
    }
    propSetValueList(r, list.data(), static_cast<uint16_t>(list.size()));
    r->kind = PTP_DTC_UINT16;
    r->form = kPropFormEnumeration;
    r->value = current;
    r->enabled = enabled;
    propUnlock(r);
    return r;
  }

  // Changes a record as the event thread does, under its lock.
  static void setRecord(uint32_t code, uint32_t value, uint8_t enabled = 1) {
    test_vendor::applyRecordValue(code, value, enabled, false);
  }

  // Posts a change notification from another thread, as the engine's event thread does, and waits for it.
  static void postFromEventThread(const std::string& name, const platform::Value& object = {}) {
    std::thread poster([name, object] { platform::NotificationCenter::defaultCenter().postNotificationName(name, object); });
    poster.join();
  }

  // A flat button on the panel, styled as the panel's setting buttons.
  SYFlatButton* addButton(int x, int y, int width = 80, int height = 40) {
    auto* button = new SYFlatButton(panel_.view());
    button->setGeometry(x, y, width, height);
    button->setMomentary(true);
    button->setFont(platform::Font::named("AvenirNext-Regular", 14));
    button->show();
    return button;
  }

  void showWindow() { showAndWait(window_.get()); }

  static bool waitFor(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    return platform::runMainUntil(condition, limit);
  }

  // Runs the main queue until every block queued so far has run.
  static void drainMainQueue() {
    bool done = false;
    platform::mainQueue().async([&done] { done = true; });
    ASSERT_TRUE(platform::runMainUntil([&done] { return done; }, std::chrono::seconds(20)));
  }

  // The alerts shown so far (the recorder also notes the popovers' windows, which have no title).
  std::vector<session_testing::ShownAlert> alerts() const {
    std::vector<session_testing::ShownAlert> out;
    for (const session_testing::ShownAlert& a : alerts_.shown())
      if (!a.title.empty()) out.push_back(a);
    return out;
  }
  size_t alertCount() const { return alerts().size(); }

  session_testing::AlertRecorder alerts_;
  platform::ScopedPresenter scopedPresenter_{alerts_};
  TestPanel panel_;
  std::unique_ptr<platform::Window> window_;
};

// A Sony-shaped vendor double registered for the test's life: sets answer `setAnswer`.
class AnsweringSony {
 public:
  AnsweringSony() { vendorRegisterSony(&sony); }
  ~AnsweringSony() { vendorRegisterSony(nullptr); }
  test_vendor::FakeSony sony;
};

// A Fujifilm-shaped vendor double registered for the test's life (the dispatch answers Fujifilm questions only
// with a module in place).
class RegisteredFuji {
 public:
  RegisteredFuji() { vendorRegisterFuji(&fuji); }
  ~RegisteredFuji() { vendorRegisterFuji(nullptr); }
  test_vendor::FakeFuji fuji;
};

}  // namespace controls_testing
