#pragma once
// Shared pieces of the bracket tests (header only, for focus_stack_bracket*_test.cpp): the job, what a check reads
// off a simulated body, the device-log walk that finds the value set at each picture, and the checks every body
// passes: a property bracket, a bulb bracket and a cancel during a bulb exposure.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "devicesim/device.h"
#include "engine/automation/focus_stack.h"
#include "engine/automation/focus_stack_bracket.h"
#include "engine/link/byte_order.h"
#include "engine/ptp/event_thread.h"

namespace bracket_test {

using Clock = std::chrono::steady_clock;
using devicesim::LoggedPacket;

// What the shared checks read off a body.
struct BracketBody {
    std::function<void()> clearLog;
    std::function<int()> shots;
    std::function<bool()> shutterOpen;    // a bulb exposure under way
    std::function<int()> exposuresEnded;  // bulb exposures closed so far
    std::function<bool()> idle;           // no button held, no exposure open
    // From the device's log: the value of `property` last set when each picture was taken.
    std::function<std::vector<uint32_t>(uint32_t)> valueAtEachShot;
};

inline HdrBracketRecord job(uint32_t property, uint32_t start, uint32_t step, uint16_t shots, uint8_t order) {
    HdrBracketRecord j;
    j.property = property;
    j.startValue = start;
    j.step = step;
    j.shots = shots;
    j.order = order;
    return j;
}

// The data phase of a PTP operation as the device received it (the packet's 5-byte header, the command container,
// then the data container's 12-byte header and the data); empty when the operation carried none.
inline std::vector<uint8_t> dataOf(const LoggedPacket& p) {
    if (p.bytes.size() < 9) return {};
    const size_t command = readLe32(p.bytes.data() + 5);
    if (command > p.bytes.size() - 5 || p.bytes.size() - 5 - command < 12) return {};
    return {p.bytes.begin() + static_cast<std::ptrdiff_t>(5 + command + 12), p.bytes.end()};
}

// A little-endian value of up to four bytes (the property's own width).
inline uint32_t valueOf(const std::vector<uint8_t>& data) {
    uint32_t v = 0;
    for (size_t i = 0; i < data.size() && i < 4; ++i) v |= static_cast<uint32_t>(data[i]) << (8 * i);
    return v;
}

inline bool isOperation(const LoggedPacket& p, uint16_t op, uint32_t firstParameter) {
    return p.ptpOperation && *p.ptpOperation == op && !p.ptpParams.empty() && p.ptpParams[0] == firstParameter;
}

// Walks the log: `setOp` with the property as its first parameter sets the value; `isShot` marks a picture.
inline std::vector<uint32_t> valuesAtShots(const std::vector<LoggedPacket>& log, uint16_t setOp, uint32_t property,
                                           const std::function<bool(const LoggedPacket&)>& isShot) {
    std::vector<uint32_t> out;
    uint32_t current = 0xDEADBEEF;
    for (const LoggedPacket& p : log) {
        if (isOperation(p, setOp, property)) current = valueOf(dataOf(p));
        if (isShot(p)) out.push_back(current);
    }
    return out;
}

// A property bracket: a picture at each value, in the bracket's order, nothing held after.
inline void expectPropertyBracket(const BracketBody& body, HdrBracketRecord j, const std::vector<uint32_t>& expected) {
    const int shots0 = body.shots();
    body.clearLog();
    j.delay = 0.01f;
    EXPECT_EQ(focusStackRun(&j), PTP_RC_OK);
    EXPECT_EQ(j.shotsTaken, expected.size());
    EXPECT_EQ(body.shots(), shots0 + static_cast<int>(expected.size()));
    EXPECT_EQ(body.valueAtEachShot(j.property), expected);
    EXPECT_EQ(focusBracketRunning(), 0);
    EXPECT_TRUE(body.idle());
    EXPECT_FALSE(camEventsPaused());
}

// A bulb bracket of 200, 400 and 800 ms. A watcher notes when each exposure ends: the time from one end (or the
// start) to the next is that exposure's time plus link traffic. Each is longer than half its time and shorter than
// twice it (the neighbours are one EV away, so either bound catches an exposure held for the wrong step, whatever the
// load adds); the whole run lasts at least the three times.
inline void expectBulbBracket(const BracketBody& body) {
    const int shots0 = body.shots();
    std::atomic<bool> done{false};
    std::atomic<uint8_t> runningSeen{0};
    std::vector<Clock::time_point> ends;
    std::thread watcher([&] {
        int seen = body.exposuresEnded();
        while (!done.load()) {
            if (focusBracketRunning()) runningSeen.store(focusBracketRunning());
            for (const int now = body.exposuresEnded(); seen < now; ++seen) ends.push_back(Clock::now());
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        for (const int now = body.exposuresEnded(); seen < now; ++seen) ends.push_back(Clock::now());
    });
    HdrBracketRecord j = job(kHdrBulbProperty, 400, 3, 3, 0);
    const Clock::time_point start = Clock::now();
    ResponseCode rc = focusStackRun(&j);
    const Clock::time_point end = Clock::now();
    done.store(true);
    watcher.join();
    EXPECT_EQ(rc, PTP_RC_OK);
    EXPECT_EQ(j.shotsTaken, 3);
    EXPECT_EQ(body.shots(), shots0 + 3);
    EXPECT_EQ(runningSeen.load(), 2);
    EXPECT_EQ(focusBracketRunning(), 0);
    EXPECT_TRUE(body.idle());
    EXPECT_FALSE(camEventsPaused());
    EXPECT_GE(end - start, std::chrono::milliseconds(200 + 400 + 800));
    const long long expected[] = {200, 400, 800};
    ASSERT_EQ(ends.size(), 3u);
    EXPECT_GE(ends[0] - start, std::chrono::milliseconds(expected[0]));
    Clock::time_point from = start;
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(ends[i] - from).count();
        EXPECT_GT(ms, expected[i] / 2);
        EXPECT_LT(ms, expected[i] * 2);
        from = ends[i];
    }
}

// A cancel during a 30 s exposure closes the shutter at once and ends the run with 0xFF16; the next run has a
// wake-up of its own and is not stopped by the old cancel.
inline void expectCancelDuringBulb(const BracketBody& body) {
    const int shots0 = body.shots();
    std::atomic<bool> sawOpen{false};
    std::thread canceller([&] {
        const auto limit = Clock::now() + std::chrono::seconds(10);
        while (!body.shutterOpen() && Clock::now() < limit) std::this_thread::yield();
        sawOpen.store(body.shutterOpen());
        focusStackCancel();
    });
    HdrBracketRecord j = job(kHdrBulbProperty, 30000, 3, 3, 0);
    const auto start = Clock::now();
    ResponseCode rc = focusStackRun(&j);
    canceller.join();
    EXPECT_TRUE(sawOpen.load());
    EXPECT_EQ(rc, ERROR_CANCELLED);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(j.shotsTaken, 0);
    EXPECT_FALSE(body.shutterOpen());
    EXPECT_TRUE(body.idle());
    EXPECT_EQ(focusBracketRunning(), 0);
    EXPECT_FALSE(camEventsPaused());
    HdrBracketRecord next = job(kHdrBulbProperty, 40, 3, 1, 0);
    EXPECT_EQ(focusStackRun(&next), PTP_RC_OK);
    EXPECT_EQ(next.shotsTaken, 1);
    EXPECT_FALSE(body.shutterOpen());
    EXPECT_GE(body.shots(), shots0 + 1);
}

}  // namespace bracket_test
