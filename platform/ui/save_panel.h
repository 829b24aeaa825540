#pragma once
// How the user picks the path to save a file under: the platform's own save dialog, run modally. Callers go
// through the current save panel, so a test can put its own in place and answer for the user, as with the
// folder chooser and the alert presenter.
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/seam.h"

class QFileDialog;

namespace platform {

struct SavePanelOptions {
    std::string title;
    // The folder the dialog opens in; empty for the dialog's own choice.
    std::string directory;
    // The file name proposed in the name field.
    std::string proposedName;
    // File name extensions without the dot ("jpg"); empty allows any. The chosen path always ends in one of them.
    std::vector<std::string> allowedFileTypes;
};

class SavePanel {
public:
    virtual ~SavePanel() = default;
    // The full path the user confirmed, or nullopt when the dialog was cancelled. Main thread.
    virtual std::optional<std::string> runSavePanel(const SavePanelOptions& options);
};

// The save panel in force (the platform dialog unless a test installed another), and a scope that installs one.
inline SavePanel& currentSavePanel() { return Seam<SavePanel>::current(); }
using ScopedSavePanel = Seam<SavePanel>::Scoped;

// The path with an allowed extension: kept when its extension is one of `allowed` (in any letter case), else
// the first allowed extension is added (a name typed as "shot.png" where only "jpg" is allowed becomes
// "shot.png.jpg", so that the file never claims a format it is not in).
std::string pathWithAllowedExtension(const std::string& path, const std::vector<std::string>& allowed);

// Sets a save dialog up from the options (used by the platform panel; separate so that it can be checked
// without running the dialog).
void configureSaveDialog(QFileDialog& dialog, const SavePanelOptions& options);

}  // namespace platform
