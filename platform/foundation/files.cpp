#include "platform/foundation/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace platform {

std::string writeFileAtomically(const std::string& path, const void* bytes, size_t size) {
    QString qpath = QString::fromStdString(path);
    QFileInfo info(qpath);
    if (!QDir().mkpath(info.absolutePath())) return "cannot create the folder " + info.absolutePath().toStdString();
    QSaveFile file(qpath);
    if (!file.open(QIODevice::WriteOnly)) return "cannot write " + path + ": " + file.errorString().toStdString();
    if (size > 0 && file.write(static_cast<const char*>(bytes), static_cast<qint64>(size)) != static_cast<qint64>(size)) {
        std::string error = "cannot write " + path + ": " + file.errorString().toStdString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit()) return "cannot write " + path + ": " + file.errorString().toStdString();
    return {};
}

std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path, size_t maxSize, std::string* error) {
    auto fail = [&](std::string why) -> std::optional<std::vector<uint8_t>> {
        if (error != nullptr) *error = std::move(why);
        return std::nullopt;
    };
    QFile file(QString::fromStdString(path));
    if (!file.exists()) return fail("no such file: " + path);
    if (!file.open(QIODevice::ReadOnly)) return fail("cannot read " + path + ": " + file.errorString().toStdString());
    std::vector<uint8_t> bytes;
    char buf[65536];
    for (;;) {
        qint64 n = file.read(buf, sizeof buf);
        if (n < 0) return fail("cannot read " + path + ": " + file.errorString().toStdString());
        if (n == 0) break;
        if (bytes.size() + static_cast<size_t>(n) > maxSize) return fail(path + " is too large");
        bytes.insert(bytes.end(), buf, buf + n);
    }
    return bytes;
}

bool createFolder(const std::string& path) { return QDir().mkpath(QString::fromStdString(path)); }

}  // namespace platform
