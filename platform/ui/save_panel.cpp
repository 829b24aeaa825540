#include "platform/ui/save_panel.h"

#include <QDir>
#include <QFileDialog>
#include <QStringList>

namespace platform {

std::string pathWithAllowedExtension(const std::string& path, const std::vector<std::string>& allowed) {
    if (allowed.empty()) return path;
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1)) {
        const QString extension = QString::fromStdString(path.substr(dot + 1));
        for (const std::string& type : allowed) {
            if (extension.compare(QString::fromStdString(type), Qt::CaseInsensitive) == 0) return path;
        }
    }
    return path + "." + allowed.front();
}

void configureSaveDialog(QFileDialog& dialog, const SavePanelOptions& options) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setWindowTitle(QString::fromStdString(options.title));
    if (!options.directory.empty()) dialog.setDirectory(QString::fromStdString(options.directory));
    if (!options.allowedFileTypes.empty()) {
        QStringList patterns;
        for (const std::string& type : options.allowedFileTypes) patterns << "*." + QString::fromStdString(type);
        dialog.setNameFilter(patterns.join(' '));
        dialog.setDefaultSuffix(QString::fromStdString(options.allowedFileTypes.front()));
    }
    if (!options.proposedName.empty()) dialog.selectFile(QString::fromStdString(options.proposedName));
}

std::optional<std::string> SavePanel::runSavePanel(const SavePanelOptions& options) {
    QFileDialog dialog;
    configureSaveDialog(dialog, options);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return pathWithAllowedExtension(QDir::cleanPath(dialog.selectedFiles().front()).toStdString(),
                                    options.allowedFileTypes);
}

}  // namespace platform
