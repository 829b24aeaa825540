// States of the card browser for vorlaxent-window-shots: the camera's card, the device's SD card, the RAW filter,
// a selection, the download alert and the loading overlay.
#include <QLabel>
#include <QPainter>
#include <memory>

#include "app/tools/shot_registry.h"
#include "app/windows/app_delegate.h"
#include "app/windows/card_contents_view_controller.h"
#include "app/windows/card_contents_window_controller.h"
#include "devicesim/card_contents.h"
#include "devicesim/generic_camera.h"
#include "guitest/user_actions.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/window.h"
#include "widgets/jw_alert.h"
#include "widgets/mb_progress_hud.h"

namespace {

using window_shots::ShotContext;

void fillCards(ShotContext& shot, int rawEvery = 3) {
  auto camera = shot.rig()->cameraAs<devicesim::GenericCamera>();
  devicesim::CardFill fill;
  fill.count = 300;
  fill.rawEvery = rawEvery;
  fill.movieEvery = 7;
  if (camera) devicesim::fillCameraCard(*camera, fill);
  devicesim::SdFill sd;
  sd.count = 60;
  devicesim::fillSdCard(shot.rig()->commands().card(), sd);
}

CardContentsViewController* openBrowser(ShotContext& shot) {
  AppDelegate& app = shot.harness().appDelegate();
  app.showCardContents();
  CardContentsWindowController* wc = app.cardContentsWindowController();
  guitest::showWindow(wc->window());
  CardContentsViewController* browser = wc->cardContentsViewController();
  guitest::Harness::waitForOverlays();
  guitest::Harness::waitUntil([&] { return !browser->isLoading() && !browser->loadedRecords().empty(); });
  guitest::Harness::settle();
  return browser;
}

QWidget* picture(ShotContext& shot, const QImage& image) {
  auto* label = new QLabel;
  label->setPixmap(QPixmap::fromImage(image));
  label->setFixedSize(image.size());
  shot.keep(std::unique_ptr<QLabel>(label));
  return label;
}

const bool cardContentsShots[] = {
    window_shots::registerShot({"card-contents-camera", "nikon", "the card browser on the camera's card",
                                [](ShotContext& shot) -> QWidget* {
                                  fillCards(shot);
                                  return openBrowser(shot)->view()->window();
                                }}),
    window_shots::registerShot({"card-contents-sd", "sony", "the card browser on the device's SD card (switch fixed on)",
                                [](ShotContext& shot) -> QWidget* {
                                  fillCards(shot);
                                  return openBrowser(shot)->view()->window();
                                }}),
    window_shots::registerShot({"card-contents-filter-raw", "nikon", "the card browser with the RAW filter on",
                                [](ShotContext& shot) -> QWidget* {
                                  fillCards(shot);
                                  platform::UserDefaults::standardUserDefaults().setInteger(
                                      CardContentsViewController::kFilterRaw, "CardContentsFormatFiltering");
                                  return openBrowser(shot)->view()->window();
                                }}),
    window_shots::registerShot({"card-contents-selection", "canon", "the card browser with three items selected",
                                [](ShotContext& shot) -> QWidget* {
                                  fillCards(shot);
                                  CardContentsViewController* browser = openBrowser(shot);
                                  browser->oCollectionView->setSelectionIndexPaths(
                                      {platform::IndexPath::forItem(0), platform::IndexPath::forItem(2),
                                       platform::IndexPath::forItem(5)});
                                  browser->collectionViewDidSelectItemsAtIndexPaths(browser->oCollectionView, {});
                                  return browser->view()->window();
                                }}),
    window_shots::registerShot(
        {"card-contents-download-alert", "nikon", "the download alert over the card browser, two of five done",
         [](ShotContext& shot) -> QWidget* {
           fillCards(shot);
           QWidget* window = openBrowser(shot)->view()->window();
           auto alert = JW_Alert::jwAlertWithStyle(1);
           alert->setTitleText(QStringLiteral("Downloading Images..."));
           alert->setShowProgressIndicator(true);
           alert->setOkButtonText(QStringLiteral("Cancel"), nullptr);
           alert->setProgress(40, QStringLiteral("2 / 5"));
           alert->showNonModal();
           shot.keep(alert);
           guitest::showWindow(alert->window());
           guitest::Harness::settle();
           QImage both = guitest::render(window);
           const QImage above = guitest::render(alert->window());
           QPainter p(&both);
           p.drawImage((both.width() - above.width()) / 2, (both.height() - above.height()) / 2, above);
           p.end();
           alert->close();
           return picture(shot, both);
         }}),
    window_shots::registerShot(
        {"card-contents-loading", "nikon", "the card browser while the card's list loads (progress overlay)",
         [](ShotContext& shot) -> QWidget* {
           fillCards(shot);
           auto camera = shot.rig()->cameraAs<devicesim::GenericCamera>();
           camera->holdNext(0x1007);
           AppDelegate& app = shot.harness().appDelegate();
           app.showCardContents();
           platform::Window* window = app.cardContentsWindowController()->window();
           guitest::showWindow(window);
           guitest::Harness::waitUntil([&] { return camera->holding(); });
           guitest::Harness::waitUntil([&] {
             MBProgressHUD* hud = MBProgressHUD::HUDForView(window->contentView());
             return hud && hud->isVisible();
           });
           guitest::Harness::waitUntil([] { return false; }, std::chrono::milliseconds(300));  // the overlay fades in
           const QImage image = guitest::render(window);
           camera->releaseHeld();
           guitest::Harness::waitForOverlays();
           return picture(shot, image);
         }}),
};

}  // namespace
