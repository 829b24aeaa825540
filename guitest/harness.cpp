#include "guitest/harness.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <mutex>

#include "app/application_start.h"
#include "app/windows/app_delegate.h"
#include "engine/store/object_cache.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/property_list.h"
#include "platform/foundation/resources.h"
#include "platform/foundation/test_application.h"
#include "platform/foundation/user_defaults.h"
#include "session/utilities.h"
#include "widgets/mb_progress_hud.h"

namespace guitest {
namespace {

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

std::string canonicalPath(const QString& path) { return QDir(path).canonicalPath().toStdString(); }

}  // namespace

Harness::Harness() {
  platform::ensureTestApplication();
  scopedExit_.emplace(exitRecorder_);
  appDelegate_ = std::make_unique<AppDelegate>();
  application_ = std::make_unique<platform::Application>(appDelegate_.get());

  clock_ = std::make_shared<ScaledTimeSource>(kTimeScale);
  scopedClock_.emplace(clock_);
  scopedWaitClock_.emplace(platform::realWaitClock(kTimeScale));
  scopedAlerts_.emplace(alerts_);
  clearSettings();
  clearDocuments();
  keepSaveFolder();
  // As the program starts: the main menu from the main interface file, the default fonts, then launching.
  appDelegate_->loadMainMenu();
  platform::Application::applyDefaultFonts();
  application_->finishLaunching();
  if (exitRecorder_.status) {
    const std::vector<std::string> missing = platform::missingRequiredFonts(requiredApplicationFonts());
    for (const std::string& font : missing) startError_ += (startError_.empty() ? "" : "; ") + ("missing font " + font);
    startError_ += (startError_.empty() ? "" : "; ") + ("the application exited with " + std::to_string(*exitRecorder_.status));
  }
  if (!appDelegate_->isLaunched() && startError_.empty()) startError_ = "the application did not finish launching";
  waitForSaveFolder();
  for (QWidget* w : QApplication::topLevelWidgets()) windowsBefore_.insert(w);
}

Harness::~Harness() {
  closeWindows();
  settle();
  rig_.reset();
  settle();
  // The delegate tidies up as at termination; its windows go with it.
  appDelegate_->applicationWillTerminate();
  application_->setDelegate(nullptr);
  appDelegate_.reset();
  settle();
  objCacheReset();
  clearSettings();
  clearDocuments();
  scopedAlerts_.reset();
  scopedWaitClock_.reset();
  scopedClock_.reset();
  application_.reset();
  scopedExit_.reset();
}

// The save folder a user chose on an earlier run, so that the start-up's folder check opens it.
void Harness::keepSaveFolder() {
  folders_.emplace(QDir::tempPath() + "/vx_guitest_XXXXXX");
  if (!folders_->isValid() || !QDir(folders_->path()).mkpath("Save")) {
    startError_ += (startError_.empty() ? "" : "; ") + std::string("no temporary save folder");
    return;
  }
  saveFolder_ = canonicalPath(folders_->path() + "/Save");
  defaults().setData(platform::Data(saveFolder_.begin(), saveFolder_.end()), "SandboxBookmark");
}

// The start-up's folder check has opened the kept folder and configured the object cache with it.
void Harness::waitForSaveFolder() {
  if (saveFolder_.empty()) return;
  const bool opened = waitUntil([this] {
    std::lock_guard<std::mutex> lock(objCacheMutex());
    return objCacheState().saveFolder == saveFolder_;
  });
  if (!opened) startError_ += (startError_.empty() ? "" : "; ") + std::string("the save folder was not opened");
}

void Harness::clearSettings() {
  defaults().synchronize();  // the file holds every setting made so far
  const platform::PropertyList::Result stored = platform::PropertyList::read(platform::UserDefaults::standardPath());
  if (!stored.ok()) return;  // no file: nothing was set
  for (const auto& [key, value] : stored.value.toDictionary()) defaults().removeObjectForKey(key);
  defaults().synchronize();
}

// Only a documents folder inside the temporary folder is emptied: never a user's own.
void Harness::clearDocuments() {
  const std::string documents = platform::documentsFolder();
  const std::string temporary = canonicalPath(QDir::tempPath());
  if (documents.empty() || temporary.empty() || canonicalPath(QString::fromStdString(documents)).rfind(temporary + "/", 0) != 0)
    return;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(documents, ec))
    std::filesystem::remove_all(entry.path(), ec);
}

void Harness::closeWindows() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (windowsBefore_.contains(w) || !w->isVisible()) continue;
    QPointer<QWidget> window(w);
    window->close();
    // Refused (a window that asks first): hidden all the same, so that the next test does not see it.
    if (window && window->isVisible()) window->hide();
  }
  settle();
}

bool Harness::connect(const std::string& vendor, std::string* why) {
  prepareCamera(vendor);
  return finishConnect(why);
}

bool Harness::connect(std::shared_ptr<devicesim::Camera> camera, std::string* why) {
  prepareCamera(std::move(camera));
  return finishConnect(why);
}

CameraRig& Harness::prepareCamera(const std::string& vendor) {
  rig_.reset();
  return rig_.emplace(vendor);
}

CameraRig& Harness::prepareCamera(std::shared_ptr<devicesim::Camera> camera) {
  rig_.reset();
  return rig_.emplace(std::move(camera));
}

void Harness::endCamera() { rig_.reset(); }

bool Harness::finishConnect(std::string* why) {
  if (rig_->connect(why)) return true;
  if (why) {
    for (const session_testing::ShownAlert& alert : alerts_.shown())
      *why += "; alert \"" + alert.title + "\": " + alert.message;
  }
  return false;
}

bool Harness::waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  return platform::runMainUntil(condition, limit);
}

bool Harness::waitForPosts(const session_testing::NotificationLog& log, const std::string& name, size_t count) {
  return waitUntil([&] { return log.count(name) >= count; });
}

bool Harness::waitForOverlays() {
  return waitUntil([] {
    for (QWidget* window : QApplication::topLevelWidgets())
      for (const MBProgressHUD* hud : window->findChildren<MBProgressHUD*>())
        if (hud->isVisible()) return false;
    return true;
  });
}

void Harness::settle() {
  bool drained = false;
  platform::mainQueue().async([&drained] { drained = true; });
  platform::runMainUntil([&drained] { return drained; }, kWaitLimit);
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
}

}  // namespace guitest
