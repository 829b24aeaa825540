#include "platform/foundation/resources.h"

#include <QFile>
#include <QStandardPaths>

#include "platform/foundation/files.h"

namespace platform {

std::string resourcePath(const std::string& name, const std::string& type) {
    std::string path = ":/" + name;
    if (!type.empty()) path += "." + type;
    return path;
}

bool resourceExists(const std::string& name, const std::string& type) {
    return QFile::exists(QString::fromStdString(resourcePath(name, type)));
}

std::optional<Data> resourceData(const std::string& name, const std::string& type) {
    // Resources are ours, but a cap still keeps a mistake from exhausting memory.
    return readWholeFile(resourcePath(name, type), size_t(1) << 30);
}

std::string documentsFolder() {
    std::string path = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
    if (path.empty() || !createFolder(path)) return {};
    return path;
}

}  // namespace platform
