// Shots taken on the body: the seeded plan, and each picture where its vendor's body puts it, with bytes of its own.
#include "devicesim/body_shots.h"

#include <gtest/gtest.h>

#include <QImage>
#include <set>

#include "devicesim/canon_camera.h"
#include "devicesim/event_records.h"
#include "devicesim/fuji_camera.h"
#include "devicesim/nikon_camera.h"
#include "devicesim/sony_camera.h"

namespace devicesim {
namespace {

TEST(BodyShots, TheSeedDecidesTheBurstsTheirKindsAndTheirPauses) {
    ShotPlan plan;
    plan.seed = 11;
    plan.pictures = 3000;
    plan.perSecond = 20;
    plan.burstMax = 6;
    plan.rawShare = 0.2;
    plan.movieShare = 0.01;
    const std::vector<PlannedBurst> bursts = planShots(plan);
    EXPECT_EQ(planShots(plan), bursts);
    ShotPlan other = plan;
    other.seed = 12;
    EXPECT_NE(planShots(other), bursts);

    size_t shots = 0, raws = 0, movies = 0;
    int64_t pauses = 0;
    for (const PlannedBurst& b : bursts) {
        ASSERT_GE(b.shots.size(), 1u);
        ASSERT_LE(b.shots.size(), 6u);
        shots += b.shots.size();
        for (ShotKind k : b.shots) {
            raws += k == ShotKind::Raw;
            movies += k == ShotKind::Movie;
        }
        pauses += b.pauseBefore.count();
    }
    EXPECT_EQ(shots, 3000u);
    EXPECT_NEAR(double(raws) / 3000, 0.2, 0.03);
    EXPECT_NEAR(double(movies) / 3000, 0.01, 0.006);
    // 3000 pictures at 20 a second: about two and a half minutes of pauses.
    EXPECT_NEAR(double(pauses) / 1000, 150.0, 15.0);
}

// Whether a body's event data since the last poll holds these bytes (a card file's name in the device's record, a
// camera object's handle in the vendor's object-added event).
bool holds(const std::vector<uint8_t>& events, const std::string& bytes) {
    return std::string(events.begin(), events.end()).find(bytes) != std::string::npos;
}

std::string le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

TEST(BodyShots, EachPictureIsWhereItsBodyPutsItWithBytesOfItsOwn) {
    struct Body {
        Vendor vendor;
        std::shared_ptr<Camera> camera;
        bool onCard;
    };
    auto card = std::make_shared<SdCard>();
    SonyCameraOptions sonyOptions;
    sonyOptions.card = card;
    auto fuji = makeFujiCamera();
    fuji->useCard(card);
    const std::vector<Body> bodies = {{Vendor::Canon, makeCanonCamera(), false},
                                      {Vendor::Nikon, makeNikonCamera(), false},
                                      {Vendor::Sony, std::make_shared<SonyCamera>(sonyOptions), true},
                                      {Vendor::Fuji, fuji, true}};
    for (const Body& body : bodies) {
        SCOPED_TRACE(int(body.vendor));
        ShotPlan plan;
        plan.movieSize = 64 * 1024;
        BodyShooter shooter(body.vendor, body.camera, card, plan);
        body.camera->pollEvents(0);  // what the body had queued before
        std::set<std::vector<uint8_t>> distinct;
        for (ShotKind kind : {ShotKind::Jpeg, ShotKind::Jpeg, ShotKind::Raw, ShotKind::Movie}) {
            const BodyPicture p = shooter.take(kind);
            ASSERT_TRUE(p.bytes);
            EXPECT_TRUE(distinct.insert(*p.bytes).second) << p.name;
            if (kind == ShotKind::Jpeg) {
                QImage image;
                EXPECT_TRUE(image.loadFromData(p.bytes->data(), int(p.bytes->size()), "JPEG")) << p.name;
            }
            const std::vector<uint8_t> events = body.camera->pollEvents(0);
            if (body.onCard) {
                EXPECT_TRUE(holds(events, p.name)) << p.name;
                ASSERT_TRUE(card->file(p.name)) << p.name;
                EXPECT_EQ(*card->file(p.name)->bytes, *p.bytes);
            } else {
                auto generic = std::dynamic_pointer_cast<GenericCamera>(body.camera);
                bool found = false;
                for (uint32_t h : generic->handles()) {
                    const auto o = generic->object(h);
                    if (o && o->name == p.name) {
                        found = true;
                        EXPECT_EQ(*o->bytes, *p.bytes);
                        EXPECT_TRUE(holds(events, le32(h))) << p.name;
                    }
                }
                EXPECT_TRUE(found) << p.name;
            }
        }
        EXPECT_EQ(shooter.pictures().size(), 4u);
    }
}

}  // namespace
}  // namespace devicesim
