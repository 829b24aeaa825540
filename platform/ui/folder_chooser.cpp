#include "platform/ui/folder_chooser.h"

#include <QFileDialog>

namespace platform {

std::optional<std::string> FolderChooser::chooseFolder(const std::string& title) {
  // Without DontResolveSymlinks the dialog hands back the folder a chosen link leads to.
  const QString folder =
      QFileDialog::getExistingDirectory(nullptr, QString::fromStdString(title), QString(), QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return std::nullopt;
  return folder.toStdString();
}

}  // namespace platform
