#include "platform/ui/folder_chooser.h"

#include <QFileDialog>
#include <atomic>

namespace platform {

namespace {

FolderChooser& plainChooser() {
  static FolderChooser chooser;
  return chooser;
}

std::atomic<FolderChooser*>& installed() {
  static std::atomic<FolderChooser*> chooser{nullptr};
  return chooser;
}

}  // namespace

std::optional<std::string> FolderChooser::chooseFolder(const std::string& title) {
  // Without DontResolveSymlinks the dialog hands back the folder a chosen link leads to.
  const QString folder =
      QFileDialog::getExistingDirectory(nullptr, QString::fromStdString(title), QString(), QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return std::nullopt;
  return folder.toStdString();
}

FolderChooser& currentFolderChooser() {
  FolderChooser* chooser = installed().load();
  return chooser ? *chooser : plainChooser();
}

ScopedFolderChooser::ScopedFolderChooser(FolderChooser& chooser) : previous_(installed().exchange(&chooser)) {}

ScopedFolderChooser::~ScopedFolderChooser() { installed().store(previous_); }

}  // namespace platform
