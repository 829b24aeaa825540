#pragma once
// How the user picks one folder: the platform's own folder dialog, run modally (one folder, folders only, links
// resolved). The caller goes through the current chooser, so a test can put its own in place and answer for
// the user, as it does with the alert presenter.
#include <optional>
#include <string>

#include "platform/ui/seam.h"

namespace platform {

class FolderChooser {
 public:
  virtual ~FolderChooser() = default;
  // The folder the user confirmed, or nullopt when the dialog was cancelled. Main thread.
  virtual std::optional<std::string> chooseFolder(const std::string& title);
};

// The chooser in force (the platform dialog unless a test installed another), and a scope that installs one.
inline FolderChooser& currentFolderChooser() { return Seam<FolderChooser>::current(); }
using ScopedFolderChooser = Seam<FolderChooser>::Scoped;

}  // namespace platform
