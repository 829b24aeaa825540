#pragma once
// For end-to-end tests and window shots of the live-view display (header only): a parent view that hosts the
// display as the still-image viewer does. The display is made with the host's bounds on the first frame of
// "JWNotification_LiveViewImage" (vendor code from the session's camera: 13 Canon, 15 Nikon, 14 Sony, 12 Fujifilm,
// else 0); "JWNotification_LiveViewToggled" or "JWNotification_MovieModeToggled" with YES clears the area (the
// display goes, the next frame makes a new one), with NO puts the veil over the display. Main thread.
#include <QPointer>
#include <memory>
#include <string>

#include "app/viewing/live_view_image_view.h"
#include "devicesim/canon_camera.h"
#include "devicesim/fuji_camera.h"
#include "devicesim/nikon_camera.h"
#include "devicesim/sony_camera.h"
#include "engine/ptp/vendor_state.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/autoresizing.h"
#include "platform/ui/view.h"
#include "platform/ui/view_geometry.h"
#include "session/notification_names.h"

namespace live_view_testing {

// The stand-in body of a vendor that shows the most of the display: a Canon DSLR (it lists the level's operation),
// a Nikon with the 384-byte header of a D800 (whose audio levels the camera module passes on), the Sony and
// Fujifilm default bodies.
inline std::shared_ptr<devicesim::Camera> standInBody(const std::string& vendor) {
  if (vendor == "canon") {
    devicesim::CanonCameraOptions o;
    o.body = devicesim::CanonBody::DslrJpegLiveView;
    o.liveViewJpegSize = 40 * 1024;
    return std::make_shared<devicesim::CanonCamera>(o);
  }
  if (vendor == "nikon") {
    devicesim::NikonCameraOptions o;
    o.body = devicesim::NikonBody::D7000;
    o.model = "D800";
    return std::make_shared<devicesim::NikonCamera>(o);
  }
  if (vendor == "sony") return std::make_shared<devicesim::SonyCamera>();
  return std::make_shared<devicesim::FujiCamera>();
}

class LiveViewTestHost : public platform::View {
 public:
  explicit LiveViewTestHost(const platform::Rect& frame, QWidget* parent = nullptr) : View(parent) {
    platform::setFrame(this, frame);
    layer().setBackgroundColor(platform::Color::white(0.08));
    std::weak_ptr<bool> alive = alive_;
    auto onMain = [alive](std::function<void()> f) {
      platform::mainQueue().async([alive, f = std::move(f)] {
        if (!alive.expired()) f();
      });
    };
    platform::NotificationCenter& centre = platform::NotificationCenter::defaultCenter();
    tokens_.push_back(centre.addObserverForName(
        kLiveViewImageNotification, nullptr, [this, onMain](const platform::Notification& n) {
          if (platform::isMainThread()) return frameArrived(n.object.toData());
          onMain([this, data = n.object.toData()] { frameArrived(data); });
        }));
    for (const char* name : {kLiveViewToggledNotification, kMovieModeToggledNotification})
      tokens_.push_back(centre.addObserverForName(name, nullptr, [this, onMain](const platform::Notification& n) {
        const bool on = n.object.toBool();
        onMain([this, on] { toggled(on); });
      }));
  }
  ~LiveViewTestHost() override {
    alive_.reset();
    for (const platform::ObserverToken& token : tokens_) platform::NotificationCenter::defaultCenter().removeObserver(token);
  }

  LiveViewImageView* display() const { return display_; }
  uint64_t framesShown() const { return display_ ? display_->framesShown() : 0; }

  static uint8_t vendorCode() {
    if (camIsCanon()) return kLiveViewVendorCanon;
    if (camIsNikon()) return kLiveViewVendorNikon;
    if (camIsSony()) return kLiveViewVendorSony;
    if (camIsFuji()) return kLiveViewVendorFuji;
    return 0;
  }

 private:
  void frameArrived(const platform::Data& frame) {
    if (!display_) {
      display_ = new LiveViewImageView(platform::boundsOf(this), this);
      platform::setAutoresizingMask(display_, platform::ViewWidthSizable | platform::ViewHeightSizable);
      display_->show();
    }
    display_->setLiveViewImage(frame, {}, vendorCode());
  }
  void toggled(bool on) {
    if (!display_) return;
    if (on) {
      display_->removeFromSuperview();
      display_ = nullptr;
    } else {
      display_->setDisabled();
    }
  }

  QPointer<LiveViewImageView> display_;
  std::vector<platform::ObserverToken> tokens_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace live_view_testing
