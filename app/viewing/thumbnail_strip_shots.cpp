// The thumbnail strip's states for vorlaxent-window-shots: a strip of pictures with one selected, one turned by
// its orientation, the format badges (RAW, TIFF, movie), a rating and the names; and the camera window with the
// program's panels after two pictures taken on a Canon body: the second selected at the strip's end and shown in
// the image area.
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <cstring>
#include <memory>

#include "app/tools/shot_registry.h"
#include "app/viewing/still_image_view_controller.h"
#include "app/viewing/thumbnail_strip_controller.h"
#include "app/windows/camera_window_controller.h"
#include "devicesim/body_shots.h"
#include "guitest/user_actions.h"
#include "platform/ui/responder.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/window.h"
#include "session/ptp_object_info_class.h"

namespace {

using window_shots::ShotContext;

// A landscape picture whose top is marked, so that a turn shows: sky above, a red band along the top edge.
std::vector<uint8_t> picture(QColor ground, QColor sky) {
  QImage image(160, 120, QImage::Format_RGB32);
  QPainter p(&image);
  p.fillRect(image.rect(), ground);
  p.fillRect(QRect(0, 0, 160, 60), sky);
  p.fillRect(QRect(0, 0, 160, 12), QColor(220, 40, 40));
  p.setBrush(QColor(250, 220, 90));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPoint(120, 36), 14, 14);
  p.end();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPEG", 90);
  return {bytes.begin(), bytes.end()};
}

std::shared_ptr<const PtpObjectInfoClass> objectOf(uint32_t handle, const char* name, uint16_t format,
                                                   uint8_t orientation) {
  PtpObjectInfoStruct record{};
  record.objectId = handle;
  record.objectFormat = format;
  std::strncpy(record.fileName, name, sizeof record.fileName - 1);
  record.fileNameLength = uint16_t(std::strlen(record.fileName) + 1);
  record.orientation = orientation;
  return PtpObjectInfoClass::init(&record);
}

QWidget* strip(ShotContext& shot) {
  auto* window = shot.keep(std::make_unique<platform::Window>());
  window->setWindowTitle(QStringLiteral("Thumbnail strip"));
  auto* content = new QWidget();
  content->setStyleSheet(QStringLiteral("background-color: #202020;"));
  auto* scroll = new platform::ScrollView(content);
  scroll->setGeometry(0, 0, 1100, 136);
  auto* collection = new platform::CollectionView();
  collection->setCollectionViewLayout(MainThumbnailController::stripLayout());
  scroll->setDocumentView(collection);
  window->setContentView(content);
  window->setContentSize(platform::Size{1100, 136});
  guitest::showWindow(window);
  auto* controller = shot.keep(std::make_unique<MainThumbnailController>(collection, nullptr));

  const struct {
    const char* name;
    uint16_t format;
    uint8_t orientation;
    QColor ground, sky;
  } items[] = {
      {"IMG_0001.JPG", 0x3801, 1, QColor(60, 120, 60), QColor(110, 160, 220)},
      {"IMG_0002.JPG", 0x3801, 6, QColor(120, 90, 50), QColor(150, 190, 230)},  // taken upright: turned
      {"IMG_0003.CR2", 0xB103, 1, QColor(40, 80, 120), QColor(200, 200, 220)},
      {"SCAN_0004.TIF", 0x380D, 1, QColor(90, 60, 110), QColor(220, 180, 200)},
      {"MVI_0005.MOV", 0, 1, QColor(30, 30, 30), QColor(90, 90, 140)},  // a card file: its name decides the badge
      {"IMG_0006.JPG", 0x3801, 8, QColor(70, 110, 90), QColor(240, 210, 160)},
      {"DSC_0007_WITH_A_LONG_NAME.JPG", 0x3801, 1, QColor(110, 110, 60), QColor(170, 210, 240)},
      {"IMG_0008.JPG", 0x3801, 3, QColor(50, 90, 140), QColor(230, 230, 230)},
  };
  uint32_t handle = 1;
  for (const auto& item : items) {
    controller->addThumnailImage(picture(item.ground, item.sky), objectOf(handle++, item.name, item.format, item.orientation));
  }
  controller->setRating(*objectOf(1, "IMG_0001.JPG", 0x3801, 1), 3);
  controller->selectThumbnail(objectOf(2, "IMG_0002.JPG", 0x3801, 6));
  // The turns land after the cells' pause, the fades after the insert animation.
  shot.harness().waitUntil([] { return false; }, std::chrono::milliseconds(400));
  return window;
}

QWidget* cameraWindowWithPicture(ShotContext& shot) {
  CameraWindowController* camera = CameraWindowController::createAndShowWindow();
  guitest::showWindow(camera->window());
  auto* controller = dynamic_cast<MainThumbnailController*>(camera->thumbnailStrip());
  auto* area = camera->imageArea() ? dynamic_cast<StillImageViewController*>(
                                         platform::viewResponder(camera->imageArea()->view()))
                                   : nullptr;
  if (!controller || !area) {
    shot.fail("the camera window has no strip or no image area");
    return camera->window();
  }
  devicesim::BodyShooter body(devicesim::Vendor::Canon, shot.rig()->camera(), shot.rig()->commands().cardPointer(),
                              devicesim::ShotPlan{});
  body.take(devicesim::ShotKind::Jpeg);
  shot.harness().waitUntil([&] { return controller->count() == 1 && area->picturesShown() >= 1; });
  body.take(devicesim::ShotKind::Jpeg);
  const bool shown = shot.harness().waitUntil([&] {
    if (controller->count() != 2 || controller->selectedIndex() != 1 || area->picturesShown() < 2 ||
        area->workInFlight() != 0)
      return false;
    return true;
  }) && shot.harness().waitForOverlays();
  if (!shown) shot.fail("the second picture did not show");
  guitest::click(area->view()->findChild<QWidget*>(QStringLiteral("oHistogramButton")));
  shot.harness().waitUntil([] { return false; }, std::chrono::milliseconds(300));
  return camera->window();
}

const bool registered[] = {
    window_shots::registerShot({"thumbnail-strip", "",
                                "the strip: the second picture selected and turned, badges, a rating, names",
                                [](ShotContext& shot) -> QWidget* { return strip(shot); }}),
    window_shots::registerShot({"camera-window-picture", "canon",
                                "the camera window after two pictures: the second selected and in the image area",
                                [](ShotContext& shot) -> QWidget* { return cameraWindowWithPicture(shot); }}),
};

}  // namespace
