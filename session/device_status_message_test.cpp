// The handler of the device's asynchronous messages, fed whole packets on a thread of its own as the link does.
#include <gtest/gtest.h>

#include <thread>

#include "devicesim/device.h"
#include "engine/link/byte_order.h"
#include "platform/foundation/localized_strings.h"
#include "session/camera_controller.h"
#include "session/camera_controller_test_fixture.h"
#include "session/ptp_errors.h"

namespace {

using devicesim::Device;
using session_testing::AnsweringPresenter;
using session_testing::NotificationLog;
using Bytes = std::vector<uint8_t>;

Bytes feedback(uint8_t flags, uint16_t status, size_t payloadLength) {
  Bytes payload(payloadLength);
  for (size_t i = 0; i < payloadLength; ++i) payload[i] = static_cast<uint8_t>(i * 7 + 1);
  return Device::automationFeedbackPacket(flags, status, payload);
}

// The packet with its u32 at `offset` changed by `delta`.
Bytes adjusted(Bytes packet, size_t offset, int delta) {
  writeLe32(packet.data() + offset, readLe32(packet.data() + offset) + static_cast<uint32_t>(delta));
  return packet;
}

Bytes sdStatus(uint16_t status, uint8_t marker = 0xFE) {
  Bytes p = Device::sdCardStatusPacket(status);
  p[9] = marker;
  return p;
}

Bytes withoutLastByte(Bytes packet) {
  packet.pop_back();
  return packet;
}

std::string failure(const std::string& message, uint16_t code) { return PtpErrors::appendString(message + " ", code); }

class DeviceStatusMessageTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ensureTestApplication(); }

  // Hands the packet to the handler on another thread, then lets the main queue show what it was given.
  void deliver(const Bytes& packet) {
    std::thread link([&packet] { handleDeviceStatusMessage(HeapBlock::copyOf(packet)); });
    link.join();
    bool done = false;
    platform::mainQueue().async([&done] { done = true; });
    ASSERT_TRUE(platform::runMainUntil([&done] { return done; }, std::chrono::seconds(10)));
  }

  AnsweringPresenter presenter;
  platform::ScopedPresenter scoped{presenter};
};

TEST_F(DeviceStatusMessageTest, EachMessageLeadsToItsNotificationsAndAlerts) {
  const std::string progress = kIntervalometerFeedbackNotification, hdr = kHdrFeedbackNotification,
                    removed = kAutomateRemoveFeedbackNotification, card = kSdCardStatusNotification;
  struct Alert {
    uint64_t style;
    std::string message;
  };
  struct Case {
    const char* what;
    Bytes packet;
    std::vector<std::string> posted;
    std::vector<Alert> alerts;
  };
  const Case cases[] = {
      {"time-lapse progress wins over HDR", feedback(0x03, 0xFF40, 17), {progress}, {}},
      {"time-lapse progress of 16 bytes", feedback(0x01, 0xFF40, 16), {}, {}},
      {"HDR progress of 21 bytes", feedback(0x02, 0xFF40, 21), {}, {}},
      {"HDR progress of 22 bytes", feedback(0x02, 0xFF40, 22), {hdr}, {}},
      {"progress without a kind", feedback(0x04, 0xFF40, 40), {}, {}},
      {"time-lapse completed",
       feedback(0x01, 0xFF43, 0),
       {removed},
       {{1, platform::localizedString("SuccessfullyCompleted") + " intervalometer."}}},
      {"HDR completed: no alert", feedback(0x03, 0xFF43, 4), {removed}, {}},
      {"cancelled", feedback(0x02, 0xFF42, 0), {removed}, {{0, "Automation Cancelled."}}},
      {"failed",
       feedback(0x04, 0x2019, 0),
       {removed},
       {{2, failure(platform::localizedString("FailedToComplete") + " bulb ramping.", 0x2019)}}},
      // The payload length is checked against the packet before anything of it is used.
      {"progress payload past the packet", adjusted(feedback(0x01, 0xFF40, 17), 8, 1), {}, {}},
      {"completion with a payload past the packet", adjusted(feedback(0x01, 0xFF43, 0), 8, 0x7FFFFFFF), {}, {}},
      {"header length above the bytes that arrived", adjusted(feedback(0x01, 0xFF40, 17), 0, 1), {}, {}},
      {"header length below 12", adjusted(sdStatus(0x2001), 0, -1), {}, {}},
      {"packet of 11 bytes", withoutLastByte(sdStatus(0x2001)), {}, {}},
      {"type below 0x10", Device::packet(0x0D, Bytes(12, 0)), {}, {}},
      {"type not known", Device::packet(0x42, Bytes(12, 0)), {}, {}},
      {"card present", sdStatus(0x2001), {card}, {}},
      {"card missing", sdStatus(0xFF16), {card}, {}},
      {"card error", sdStatus(0x5505), {}, {{2, platform::localizedString("SdCardError")}}},
      {"not a card report", sdStatus(0x5505, 0x00), {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NotificationLog log({progress, hdr, removed, card});
    const size_t before = presenter.count();
    deliver(c.packet);
    EXPECT_EQ(log.names(), c.posted);
    const auto shown = presenter.shown();
    ASSERT_EQ(shown.size() - before, c.alerts.size());
    for (size_t i = 0; i < c.alerts.size(); ++i) {
      EXPECT_EQ(shown[before + i].style, c.alerts[i].style);
      EXPECT_EQ(shown[before + i].message, c.alerts[i].message);
    }
  }
}

TEST_F(DeviceStatusMessageTest, ProgressAndCardNotificationsCarryTheirPayloads) {
  NotificationLog log({kIntervalometerFeedbackNotification, kHdrFeedbackNotification, kSdCardStatusNotification});
  const Bytes timeLapse = feedback(0x01, 0xFF40, 17), bracket = feedback(0x02, 0xFF40, 30);
  deliver(timeLapse);
  deliver(bracket);
  deliver(sdStatus(0x2001));
  deliver(sdStatus(0xFF16));
  ASSERT_EQ(log.count(kIntervalometerFeedbackNotification), 1u);
  EXPECT_EQ(log.objects(kIntervalometerFeedbackNotification)[0].toData(), Bytes(timeLapse.begin() + 12, timeLapse.end()));
  ASSERT_EQ(log.count(kHdrFeedbackNotification), 1u);
  EXPECT_EQ(log.objects(kHdrFeedbackNotification)[0].toData(), Bytes(bracket.begin() + 12, bracket.end()));
  const auto cards = log.objects(kSdCardStatusNotification);
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_TRUE(cards[0].toBool());
  EXPECT_FALSE(cards[1].toBool());
}

// A packet that carries more bytes than its header claims is read only up to its own length.
TEST_F(DeviceStatusMessageTest, BytesBeyondThePacketsOwnLengthAreNotRead) {
  NotificationLog log({kIntervalometerFeedbackNotification});
  Bytes packet = feedback(0x01, 0xFF40, 17);
  writeLe32(packet.data() + 8, 20);            // the payload claims 20 bytes ...
  packet.insert(packet.end(), {9, 9, 9});      // ... and 3 more bytes arrived behind the packet's own 29
  deliver(packet);
  EXPECT_EQ(log.count(kIntervalometerFeedbackNotification), 0u);
}

}  // namespace
