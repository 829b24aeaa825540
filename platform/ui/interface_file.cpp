#include "platform/ui/interface_file.h"

#include <QHash>
#include <QPointer>
#include <QVariant>
#include <vector>

namespace platform {
namespace {

struct Registration {
    InterfaceSetup setup;
    InterfaceRootMaker makeRoot;
};

QHash<QString, Registration>& registry() {
    static QHash<QString, Registration> files;
    return files;
}

constexpr const char* kAwokenProperty = "_vx_awoken";

void collect(QObject* object, std::vector<QPointer<QObject>>& out) {
    for (QObject* child : object->children()) {
        out.emplace_back(child);
        collect(child, out);
    }
}

}  // namespace

bool registerInterfaceFile(const QString& name, InterfaceSetup setup, InterfaceRootMaker makeRoot) {
    registry().insert(name, Registration{std::move(setup), std::move(makeRoot)});
    return true;
}

bool hasInterfaceFile(const QString& name) { return registry().contains(name); }

bool loadInterfaceFile(const QString& name, QWidget* root) {
    const auto it = registry().constFind(name);
    if (!root || it == registry().constEnd()) return false;
    if (!it->setup(root)) return false;
    awakeLoadedObjects(root);
    return true;
}

QWidget* loadInterfaceRoot(const QString& name) {
    const auto it = registry().constFind(name);
    if (it == registry().constEnd()) return nullptr;
    QWidget* root = it->makeRoot ? it->makeRoot() : new QWidget();
    if (!loadInterfaceFile(name, root)) {
        delete root;
        return nullptr;
    }
    return root;
}

void awakeLoadedObjects(QObject* root) {
    if (!root) return;
    // Gathered before any hook runs: a hook may add or delete objects, and those it adds are its own to set up.
    std::vector<QPointer<QObject>> objects;
    collect(root, objects);
    objects.emplace_back(root);
    for (const QPointer<QObject>& object : objects) {
        if (!object || object->property(kAwokenProperty).toBool()) continue;
        auto* awakable = dynamic_cast<AwakeFromNib*>(object.data());
        if (!awakable) continue;
        object->setProperty(kAwokenProperty, true);
        awakable->awakeFromNib();
    }
}

}  // namespace platform
