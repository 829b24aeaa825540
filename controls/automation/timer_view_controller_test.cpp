// The timer panel end to end, in the widget-kit popover as the capture panel shows it, against a stand-in body
// of each maker with the device's automation side paced by the test: fields typed with the keyboard, the
// questions answered through the presenter, the request's bytes, the countdown that follows the device's reports,
// cancel (with the bulb closed on a body in bulb), the bulb timer, an HDR bracket per shot with the sequence delay
// in whole seconds, the refusals before a start, and the fields kept in "TimerValues".
#include "controls/automation/timer_view_controller.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <cstring>

#include "controls/automation/hdr_panel_test_fixture.h"
#include "devicesim/canon_camera.h"
#include "devicesim/nikon_camera.h"
#include "engine/automation/automation_checks.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/response_code.h"
#include "engine/ptp/session_open.h"
#include "engine/vendors/dispatch.h"
#include "platform/ui/alert.h"
#include "session/notification_names.h"
#include "widgets/it_switch.h"
#include "widgets/jw_alert.h"
#include "widgets/sy_flat_button.h"

namespace {

using automation_testing::current;
using automation_testing::defaults;
using devicesim::SequenceRequest;

// The bytes of a request as the device's table gives them, little-endian.
struct Bytes {
  std::vector<uint8_t> b;
  Bytes& u8(uint8_t v) {
    b.push_back(v);
    return *this;
  }
  Bytes& u16(uint16_t v) { return u8(uint8_t(v)).u8(uint8_t(v >> 8)); }
  Bytes& u32(uint32_t v) { return u16(uint16_t(v)).u16(uint16_t(v >> 16)); }
  Bytes& f32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return u32(bits);
  }
};

class TimerPanelTest : public automation_testing::PanelTest<TimerViewController> {
 protected:
  QLineEdit* field(const char* name) { return panel_->view()->findChild<QLineEdit*>(QString::fromLatin1(name)); }
  // Types into a field as a user does: everything selected and typed over, then Return.
  bool type(const char* name, const QString& text) {
    QLineEdit* f = field(name);
    if (!f || !guitest::click(f)) return false;
    return guitest::keyClick(f, Qt::Key_A, Qt::ControlModifier) && guitest::typeText(f, text) &&
           guitest::keyClick(f, Qt::Key_Return);
  }
  bool press(const char* name) {
    return waitForOverlays() && guitest::click(panel_->view()->findChild<SYFlatButton*>(QString::fromLatin1(name)));
  }
  // Answers the bulb-duration question by typing `text`.
  void answerDurationWith(const QString& text) {
    alerts().answerPlatformAlert = [text](platform::Alert& alert, const session_testing::ShownAlert& a) {
      if (a.title != "Please enter the bulb duration, in seconds.") {
        alert.buttons().front()->click();
        return;
      }
      auto* f = qobject_cast<QLineEdit*>(alert.accessoryView());
      ASSERT_NE(f, nullptr);
      guitest::typeText(f, text);
      guitest::keyClick(f, Qt::Key_Return);
    };
  }
};

class TimerPanelVendorTest : public TimerPanelTest, public ::testing::WithParamInterface<const char*> {};

// Three shots five seconds apart after two: every question answered with its first button, the plan confirmed,
// the request's bytes, the countdown of the time left that the device's reports restart, and cancel.
TEST_P(TimerPanelVendorTest, TimeLapseIsConfirmedSentCountedDownAndCancelled) {
  connectBody(GetParam());
  openPanel();
  ASSERT_TRUE(type("oNumShotsField", "3"));
  ASSERT_TRUE(type("oInitialDelaySecondsField", "2"));
  ASSERT_TRUE(type("oShotDelaySecondsField", "5"));
  EXPECT_EQ(field("oInitialDelaySecondsField")->text(), "02");
  EXPECT_EQ(panel_->numberShots(), 3);
  // 2 s + 2 x 5 s; the shutter's three exposures make less than half a second.
  EXPECT_EQ(panel_->durationStatusInfo(), "Duration: 0 h 0 min 12 s   Movie at 24 fps: 0 min 0 s");

  ASSERT_TRUE(press("oStartButton"));
  ASSERT_TRUE(waitForRequests(1)) << lastShown();
  EXPECT_EQ(lastShown(), "Start Time-Lapse");
  EXPECT_TRUE(alerts().sawMessage("After a delay of 00:02, take 3 shots with 00:05 between them."));
  const std::vector<uint8_t> expected =
      Bytes{}.u8(1).u8(1).u32(17).u16(3).f32(2).f32(5).f32(0).u16(0).u8(0).b;  // time-lapse only, manual focus off
  EXPECT_EQ(requests().front().raw, expected);

  // Before the first shot: 3 x (5 + 1) s, the initial delay in place of one interval.
  ASSERT_TRUE(waitUntil([&] { return panel_->isFeedbackShown(); }));
  EXPECT_EQ(panel_->feedbackShotsRemainingString(), "0 of 3 shots taken");
  EXPECT_EQ(panel_->totalSeconds(), 3 * 6 + 2 - 5);
  ASSERT_TRUE(waitUntil([&] { return panel_->totalSeconds() == 14; })) << "the countdown runs";
  EXPECT_EQ(panel_->feedbackTimeRemainingString(), "Time remaining: 0 h 0 min 14 s");
  rig().automation().releaseShots(1);
  ASSERT_TRUE(waitUntil([&] { return panel_->feedbackShotsRemainingString() == "1 of 3 shots taken"; }));
  EXPECT_EQ(panel_->totalSeconds(), 2 * 6);
  EXPECT_FLOAT_EQ(panel_->feedbackPercent(), 1.0f / 3);
  EXPECT_TRUE(panel_->isCountingDown());

  ASSERT_TRUE(press("oCancelButton"));
  ASSERT_TRUE(waitForEnds(1));
  EXPECT_FALSE(panel_->isCountingDown());
  EXPECT_EQ(rig().automation().cancels(), 1);
  EXPECT_FALSE(sawShown("The time-lapse could not be cancelled."));
}

INSTANTIATE_TEST_SUITE_P(EveryVendor, TimerPanelVendorTest, ::testing::Values("canon", "nikon", "sony", "fuji"),
                         [](const auto& info) { return std::string(info.param); });

// A continuous drive is asked about: Yes sets single-shot drive on the camera, No keeps it; either way the plan
// is confirmed and sent.
TEST_F(TimerPanelTest, DriveQuestionYesSetsSingleDriveAndNoKeepsIt) {
  connectBody("canon");
  auto canon = rig().cameraAs<devicesim::CanonCamera>();
  ASSERT_EQ(camSetManualFocus(1, false), PTP_RC_OK);  // a Canon burst only spoils a sequence in manual focus
  canon->changeOnCamera(0xD106, 1);
  ASSERT_TRUE(waitUntil([] { return current(0xD106) == 1; }));
  openPanel();
  ASSERT_TRUE(type("oNumShotsField", "2"));
  ASSERT_TRUE(type("oShotDelaySecondsField", "1"));

  ASSERT_TRUE(press("oStartButton"));  // Yes: the first button
  ASSERT_TRUE(waitForRequests(1)) << lastShown();
  EXPECT_EQ(shown(), (std::vector<std::string>{"Continuous Shooting", "Start Time-Lapse"}));
  EXPECT_EQ(canon->propertyValue(0xD106), 0u);
  EXPECT_EQ(requests().front().timeLapseManualFocus, 1);
  rig().automation().releaseShots(2);
  ASSERT_TRUE(waitForEnds(1));

  canon->changeOnCamera(0xD106, 1);
  ASSERT_TRUE(waitUntil([] { return current(0xD106) == 1; }));
  alerts().answer = [](JW_Alert& alert, const session_testing::ShownAlert& a) {
    if (a.title == "Continuous Shooting")
      alert.thirdAction(alert.oThirdButton);  // No
    else
      alert.okAction(alert.oOkButton);
  };
  ASSERT_TRUE(press("oStartButton"));
  ASSERT_TRUE(waitForRequests(2)) << lastShown();
  EXPECT_EQ(canon->propertyValue(0xD106), 1u);
  rig().automation().releaseShots(2);
  ASSERT_TRUE(rig().automation().waitUntilIdle(std::chrono::seconds(20)));
}

// A Nikon body in bulb: the bulb controls are usable, a typed duration is checked (nonsense refused, the old one
// kept), one bulb shot needs no confirmation, and cancel closes the bulb on the camera. The bulb timer then sends
// its single exposure.
TEST_F(TimerPanelTest, BulbTimeLapseCancelClosesTheBulbAndTheBulbTimerStarts) {
  connectBody("nikon");
  rig().cameraAs<devicesim::NikonCamera>()->turnDial(0xD100, 0xFFFFFFFF);
  ASSERT_TRUE(waitUntil([] { return camIsBulbMode(); }));
  openPanel();
  EXPECT_TRUE(panel_->isBulbEnabled());
  EXPECT_TRUE(panel_->oBulbDisabledLabel->isHidden());

  for (const char* nonsense : {"nan", "0", "-2", "1e9"}) {
    answerDurationWith(nonsense);
    ASSERT_TRUE(press("oBulbDurationButton"));
    ASSERT_TRUE(waitUntil([&] {
      return alerts().sawMessage("Enter a number of seconds from 0.1 to 86400 (24 hours).");
    })) << nonsense;
    EXPECT_FLOAT_EQ(panel_->bulbDurationSeconds(), 0.1f) << nonsense;
  }
  answerDurationWith("75");
  ASSERT_TRUE(press("oBulbDurationButton"));
  ASSERT_TRUE(waitUntil([&] { return panel_->bulbDurationString() == "01:15.0"; }));
  EXPECT_FLOAT_EQ(panel_->bulbDurationSeconds(), 75.0f);
  EXPECT_EQ(panel_->oBulbDurationLabel->text(), "01:15.0");

  ASSERT_TRUE(type("oNumShotsField", "1"));  // one shot, interval 0:00: accepted
  const size_t questionsBefore = shown().size();
  ASSERT_TRUE(press("oStartButton"));
  ASSERT_TRUE(waitForRequests(1)) << lastShown();
  for (size_t i = questionsBefore; i < shown().size(); ++i) EXPECT_NE(shown()[i], "Start Time-Lapse");
  const SequenceRequest r = requests().front();
  EXPECT_TRUE(r.hasTimeLapse);
  EXPECT_FALSE(r.hasHdr);
  EXPECT_EQ(r.timeLapseShots, 1);
  EXPECT_FLOAT_EQ(r.bulbTime, 75.0f);
  EXPECT_FLOAT_EQ(r.interval, 0.0f);

  const size_t bulbEnds = rig().operationCount(0x910C);
  ASSERT_TRUE(waitUntil([&] { return panel_->isFeedbackShown(); }));
  ASSERT_TRUE(press("oCancelButton"));
  ASSERT_TRUE(waitForEnds(1));
  EXPECT_EQ(rig().automation().cancels(), 1);
  // The bulb is closed on the camera once the device has taken the cancel.
  EXPECT_TRUE(waitUntil([&] { return rig().operationCount(0x910C) == bulbEnds + 1; }));
  ASSERT_TRUE(waitForOverlays());

  ASSERT_TRUE(type("oBulbInitialDelaySecondsField", "3"));
  ASSERT_TRUE(press("oStartBulbButton"));
  ASSERT_TRUE(waitForRequests(2)) << lastShown();
  const SequenceRequest bulb = requests().back();
  EXPECT_EQ(bulb.raw, Bytes{}.u8(1).u8(0).u32(17).u16(1).f32(3).f32(0).f32(75).u16(0).u8(0).b);
  ASSERT_TRUE(waitUntil([&] { return alerts().sawMessage("Bulb exposure started."); }));
  rig().automation().releaseShots(1);
  ASSERT_TRUE(rig().automation().waitUntilIdle(std::chrono::seconds(20)));
}

// With the HDR switch on, each shot is the HDR panel's bracket: both sections go out, the order from "HdrStartPoint"
// and the sequence delay in whole seconds (1.5 reaches the device as 1). A saved start value of 0 is refused.
TEST_F(TimerPanelTest, HdrTimeLapseSendsBothSectionsWithTheDelayInWholeSeconds) {
  connectBody("canon");
  defaults().setDouble(1.5, "SequenceDelay");
  defaults().setInteger(1, "HdrStartPoint");
  const auto saveBracket = [](int64_t start) {
    defaults().setDictionary({{"PropertyCode", platform::Value(int64_t{0xD102})},
                              {"StepSize", platform::Value(int64_t{2})},
                              {"NumberShots", platform::Value(int64_t{3})},
                              {"PropertyValue", platform::Value(start)}},
                             "HdrValues");
  };
  saveBracket(0x60);
  openPanel();
  ASSERT_TRUE(panel_->oHdrSwitch->isEnabled()) << "manual exposure and a saved bracket";
  ASSERT_TRUE(guitest::click(panel_->oHdrSwitch));
  ASSERT_TRUE(waitUntil([&] { return panel_->oHdrSwitch->checked(); }));
  ASSERT_TRUE(type("oNumShotsField", "2"));
  ASSERT_TRUE(type("oShotDelaySecondsField", "3"));

  ASSERT_TRUE(press("oStartButton"));
  ASSERT_TRUE(waitForRequests(1)) << lastShown();
  bool confirmed = false;
  for (const auto& a : alerts().shown())
    confirmed |=
        a.message.rfind("After a delay of 00:00, take 2 HDR brackets with 00:03 between them, each of 3 shots of ",
                        0) == 0;
  EXPECT_TRUE(confirmed) << lastShown();
  const SequenceRequest r = requests().front();
  EXPECT_EQ(r.sections, 3);
  EXPECT_EQ(r.length, 39u);
  EXPECT_EQ(r.hdrProperty, 0xD102u);
  EXPECT_EQ(r.hdrStart, 0x60u);
  EXPECT_EQ(r.hdrStep, 2u);
  EXPECT_EQ(r.hdrShots, 3);
  EXPECT_EQ(r.hdrOrder, 1);
  EXPECT_FLOAT_EQ(r.hdrDelay, 1.0f);
  EXPECT_EQ(r.timeLapseShots, 2);
  EXPECT_FLOAT_EQ(r.interval, 3.0f);
  rig().automation().releaseShots(6);
  ASSERT_TRUE(waitForEnds(1));

  saveBracket(0);
  ASSERT_TRUE(press("oStartButton"));
  ASSERT_TRUE(waitUntil([&] { return alerts().sawMessage("Set up the HDR bracket in the HDR panel first."); }));
  EXPECT_EQ(requests().size(), 1u);
}

// Refusals before anything is asked or sent: no shots, no interval between several shots; a minute field refuses
// what is not a whole number within its bounds and keeps its value.
TEST_F(TimerPanelTest, RefusalsComeBeforeAnyQuestion) {
  connectBody("canon");
  openPanel();
  ASSERT_TRUE(type("oNumShotsField", "0"));
  ASSERT_TRUE(press("oStartButton"));
  ASSERT_TRUE(waitUntil([&] { return alerts().sawMessage("Enter the number of shots."); }));
  ASSERT_TRUE(type("oNumShotsField", "4"));
  ASSERT_TRUE(press("oStartButton"));
  ASSERT_TRUE(waitUntil([&] { return alerts().sawMessage("Enter the time between shots."); }));
  EXPECT_EQ(shown().size(), 2u) << lastShown();

  // Values from a damaged "TimerValues" that the fields' formatters never let through are refused as well.
  const auto reopenWith = [&](int64_t shots, int64_t interval) {
    ASSERT_TRUE(press("oCloseButton"));
    ASSERT_TRUE(automation_testing::PanelHost::waitUntilGone(panel_.get()));
    defaults().setDictionary(
        {{"TimerNumberShots", platform::Value(shots)}, {"TimerShotDelaySeconds", platform::Value(interval)}},
        "TimerValues");
    panel_ = std::make_unique<TimerViewController>();
    openPanel();
  };
  reopenWith(70000, 5);
  ASSERT_TRUE(press("oStartButton"));
  ASSERT_TRUE(waitUntil([&] { return shown().size() == 3; }));
  EXPECT_EQ(lastShown(), "Enter the number of shots.");
  reopenWith(2, -5);
  ASSERT_TRUE(press("oStartButton"));
  ASSERT_TRUE(waitUntil([&] { return shown().size() == 4; }));
  EXPECT_EQ(lastShown(), "Enter the time between shots.");

  ASSERT_TRUE(type("oShotDelayMinutesField", "7"));
  EXPECT_EQ(field("oShotDelayMinutesField")->text(), "07");
  for (const auto& [typed, refusal] : {std::pair<const char*, const char*>{"7a", "Could not convert to integer."},
                                       {"-1", "Value must be 0 or greater."}}) {
    ASSERT_TRUE(type("oShotDelayMinutesField", typed));
    ASSERT_TRUE(waitUntil([&, refusal = refusal] { return sawShown(refusal); })) << typed;
    EXPECT_EQ(panel_->shotDelayMinutes(), 7) << typed;
    EXPECT_EQ(field("oShotDelayMinutesField")->text(), "07") << typed;
  }
  EXPECT_TRUE(requests().empty());
}

// What the panel shows is kept in "TimerValues" when the popover closes and comes back in a new panel.
TEST_F(TimerPanelTest, TimerValuesRestoreEveryField) {
  connectBody("nikon");
  rig().cameraAs<devicesim::NikonCamera>()->turnDial(0xD100, 0xFFFFFFFF);
  ASSERT_TRUE(waitUntil([] { return camIsBulbMode(); }));
  openPanel();
  const std::pair<const char*, const char*> typed[] = {{"oNumShotsField", "240"},
                                                       {"oInitialDelayMinutesField", "1"},
                                                       {"oInitialDelaySecondsField", "5"},
                                                       {"oShotDelayMinutesField", "2"},
                                                       {"oShotDelaySecondsField", "30"},
                                                       {"oBulbInitialDelayMinutesField", "3"},
                                                       {"oBulbInitialDelaySecondsField", "9"}};
  for (const auto& [name, text] : typed) ASSERT_TRUE(type(name, text)) << name;
  answerDurationWith("2.5");
  ASSERT_TRUE(press("oBulbDurationButton"));
  ASSERT_TRUE(waitUntil([&] { return panel_->bulbDurationString() == "00:02.5"; }));
  ASSERT_TRUE(press("oCloseButton"));
  ASSERT_TRUE(automation_testing::PanelHost::waitUntilGone(panel_.get()));

  panel_ = std::make_unique<TimerViewController>();
  openPanel();
  EXPECT_EQ(panel_->numberShots(), 240);
  EXPECT_EQ(panel_->initialDelayMinutes(), 1);
  EXPECT_EQ(panel_->initialDelaySeconds(), 5);
  EXPECT_EQ(panel_->shotDelayMinutes(), 2);
  EXPECT_EQ(panel_->shotDelaySeconds(), 30);
  EXPECT_EQ(panel_->bulbInitialDelayMinutes(), 3);
  EXPECT_EQ(panel_->bulbInitialDelaySeconds(), 9);
  EXPECT_FLOAT_EQ(panel_->bulbDurationSeconds(), 2.5f);
  EXPECT_EQ(panel_->bulbDurationString(), "00:02.5");
  EXPECT_EQ(field("oBulbInitialDelaySecondsField")->text(), "09");
  EXPECT_EQ(field("oNumShotsField")->text(), "240");
}

}  // namespace
