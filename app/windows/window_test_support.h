#pragma once
// For the window tests (header only): panels that stand in for the image area and the thumbnail strip and note
// what the camera window asks of them, pictures taken on the stand-in body of any vendor with the bytes the camera
// holds for them, and the files of a folder.
#include <QImage>
#include <QLabel>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/windows/camera_window_panels.h"
#include "devicesim/canon_camera.h"
#include "devicesim/fuji_camera.h"
#include "devicesim/nikon_camera.h"
#include "devicesim/sony_camera.h"
#include "guitest/camera_rig.h"
#include "session/session_harness.h"
#include "session/ptp_object_info_class.h"

namespace window_testing {

// The program's own alerts among what the presenter saw go up (it also sees windows and popovers).
inline std::vector<session_testing::ShownAlert> programAlerts(const session_testing::AnsweringPresenter& presenter) {
  std::vector<session_testing::ShownAlert> out;
  for (const session_testing::ShownAlert& a : presenter.shown())
    if (!a.okText.empty()) out.push_back(a);
  return out;
}

// What the camera window did with its image area; outlives the panel (a call after the panel has gone shows).
struct ImageAreaLog {
  int setImages = 0, clears = 0;
  bool panelGone = false;
  std::shared_ptr<const PtpObjectInfoClass> current;
  std::vector<uint8_t> shownBytes;
};

class TestImageArea : public CameraWindowImageArea {
 public:
  explicit TestImageArea(std::shared_ptr<ImageAreaLog> log) : log_(std::move(log)) {
    view_->setObjectName(QStringLiteral("oTestImageArea"));
  }
  ~TestImageArea() override { log_->panelGone = true; }
  QWidget* view() override { return view_; }  // the window owns it once embedded
  void setImage(const std::vector<uint8_t>& data, std::shared_ptr<const PtpObjectInfoClass> object) override {
    ++log_->setImages;
    log_->current = std::move(object);
    log_->shownBytes = data;
  }
  void clearImage() override {
    ++log_->clears;
    log_->current.reset();
  }
  std::shared_ptr<const PtpObjectInfoClass> currentObjectInfo() const override { return log_->current; }

 private:
  std::shared_ptr<ImageAreaLog> log_;
  QLabel* view_ = new QLabel;
};

// A strip that, like the real one, keeps only thumbnails it can decode, and shows a selected item through its
// delegate.
struct StripLog {
  std::vector<std::shared_ptr<const PtpObjectInfoClass>> items;
  int refusedThumbnails = 0, selections = 0, clearedSelections = 0;
};

class TestStrip : public CameraWindowThumbnailStrip {
 public:
  TestStrip(std::shared_ptr<StripLog> log, ThumbnailControllerDelegate* delegate)
      : log_(std::move(log)), delegate_(delegate) {}
  void addThumnailImage(const std::vector<uint8_t>& data, std::shared_ptr<const PtpObjectInfoClass> object) override {
    if (QImage::fromData(data.data(), int(data.size())).isNull()) {
      ++log_->refusedThumbnails;
      return;
    }
    if (find(*object) == log_->items.end()) log_->items.push_back(std::move(object));
  }
  bool selectThumbnail(std::shared_ptr<const PtpObjectInfoClass> object) override {
    auto it = find(*object);
    if (it == log_->items.end()) return false;
    ++log_->selections;
    delegate_->thumbnailSelected(*it);
    return true;
  }
  void deleteThumbnail(const PtpObjectInfoStruct& record) override {
    auto it = find(PtpObjectInfoClass(record));
    if (it != log_->items.end()) log_->items.erase(it);
  }
  void clearSelection() override { ++log_->clearedSelections; }

 private:
  std::vector<std::shared_ptr<const PtpObjectInfoClass>>::iterator find(const PtpObjectInfoClass& object) {
    for (auto it = log_->items.begin(); it != log_->items.end(); ++it)
      if ((*it)->isEqual(&object)) return it;
    return log_->items.end();
  }
  std::shared_ptr<StripLog> log_;
  ThumbnailControllerDelegate* delegate_;
};

// The image area and the strip above in place of the program's (which has none yet).
struct TestPanels {
  std::shared_ptr<ImageAreaLog> imageArea = std::make_shared<ImageAreaLog>();
  std::shared_ptr<StripLog> strip = std::make_shared<StripLog>();
  std::unique_ptr<ScopedCameraWindowPanels> scope;

  explicit TestPanels(bool withStrip = true) {
    CameraWindowPanels panels;
    panels.makeImageArea = [log = imageArea] { return std::make_unique<TestImageArea>(log); };
    if (withStrip)
      panels.makeThumbnailStrip = [log = strip](platform::CollectionView*, ThumbnailControllerDelegate* delegate) {
        return std::make_unique<TestStrip>(log, delegate);
      };
    scope = std::make_unique<ScopedCameraWindowPanels>(std::move(panels));
  }
};

// Takes `count` pictures on the rig's camera as its own shutter button does; returns the bytes the camera (or,
// for Sony and Fujifilm, the device's card) holds for each, once they are there.
inline std::vector<std::vector<uint8_t>> captureOnCamera(guitest::CameraRig& rig, int count = 1) {
  std::vector<std::vector<uint8_t>> out;
  if (auto canon = rig.cameraAs<devicesim::CanonCamera>()) {
    const size_t before = canon->captured().size();
    canon->shootOnCamera(count);
    const std::vector<uint32_t> handles = canon->captured();
    for (size_t i = before; i < handles.size(); ++i) out.push_back(*canon->object(handles[i])->bytes);
  } else if (auto nikon = rig.cameraAs<devicesim::NikonCamera>()) {
    const size_t before = nikon->captured().size();
    nikon->shootOnCamera(count);
    const std::vector<uint32_t> handles = nikon->captured();
    for (size_t i = before; i < handles.size(); ++i) out.push_back(*nikon->object(handles[i])->bytes);
  } else if (auto sony = rig.cameraAs<devicesim::SonyCamera>()) {
    const size_t before = sony->pictures().size();
    sony->shootOnCamera(count);
    sony->waitForPictures();
    const std::vector<std::string> names = sony->pictures();
    for (size_t i = before; i < names.size(); ++i) out.push_back(*rig.commands().card().file(names[i])->bytes);
  } else if (auto fuji = rig.cameraAs<devicesim::FujiCamera>()) {
    const size_t before = fuji->shots();
    fuji->shootOnCamera(count);
    (void)before;
  }
  return out;
}

// The Fujifilm pictures reach the card only when the device takes them over: their bytes, once there.
inline std::vector<std::vector<uint8_t>> fujiPicturesOnCard(guitest::CameraRig& rig, size_t from) {
  std::vector<std::vector<uint8_t>> out;
  auto fuji = rig.cameraAs<devicesim::FujiCamera>();
  if (!fuji) return out;
  const std::vector<std::string> names = fuji->filesTaken();
  for (size_t i = from; i < names.size(); ++i)
    if (auto file = rig.commands().card().file(names[i])) out.push_back(*file->bytes);
  return out;
}

// Every regular file of a folder by name, with its bytes; files still being written (hidden temporary names)
// are left out.
inline std::map<std::string, std::vector<uint8_t>> filesIn(const std::string& folder) {
  std::map<std::string, std::vector<uint8_t>> out;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (!entry.is_regular_file(ec) || entry.path().filename().string().rfind('.', 0) == 0) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    out[entry.path().filename().string()] = std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  return out;
}

// How many whole files the folder holds (names only: cheap enough to poll).
inline size_t fileCount(const std::string& folder) {
  size_t n = 0;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
    if (entry.is_regular_file(ec) && entry.path().filename().string().rfind('.', 0) != 0) ++n;
  return n;
}

// Whether the folder holds a file with exactly these bytes.
inline bool folderHolds(const std::string& folder, const std::vector<uint8_t>& bytes) {
  for (const auto& [name, content] : filesIn(folder))
    if (content == bytes) return true;
  return false;
}

}  // namespace window_testing
