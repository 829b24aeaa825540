#pragma once
// Interface files: forms compiled by uic, known by name. Loading one sets up its form on a root widget, then
// calls awakeFromNib once on every object of the loaded tree that asks for it (its controls first, the root last),
// so that code which needs the whole file in place runs without a hand-written call after each load.
//
// A form is registered under its name once, in the .cpp file of the class that loads it:
//   VX_INTERFACE_FILE("TripodView", Ui::TripodView)
// and loaded with loadInterfaceFile("TripodView", root); window controllers whose window has a registered
// interface file load it into their window's content view.
#include <QString>
#include <QWidget>
#include <functional>
#include <type_traits>

namespace platform {

// Objects of an interface file that finish their setup once the whole file is loaded and connected.
class AwakeFromNib {
public:
    virtual void awakeFromNib() = 0;

protected:
    ~AwakeFromNib() = default;
};

// Sets up a form on a root; false when the root is not of the form's root class (nothing is then made).
using InterfaceSetup = std::function<bool(QWidget* root)>;
// Makes a new, parentless root of the form's root class.
using InterfaceRootMaker = std::function<QWidget*()>;

// Registers the form of the interface file `name`; a later registration of the same name replaces it.
// Returns true, for use in a static initialiser. Without a root maker, loadInterfaceRoot makes a QWidget.
bool registerInterfaceFile(const QString& name, InterfaceSetup setup, InterfaceRootMaker makeRoot = {});
bool hasInterfaceFile(const QString& name);

// Sets up the interface file `name` on `root` and wakes the objects loaded. False, with nothing done, for a name
// that is not registered or a root of another class than the form's.
bool loadInterfaceFile(const QString& name, QWidget* root);
// Makes a root of the form's class, sets the interface file `name` up on it and wakes its objects; the caller
// owns the root. Null for a name that is not registered.
QWidget* loadInterfaceRoot(const QString& name);

// Calls awakeFromNib on every object under `root` that implements AwakeFromNib and has not been woken yet:
// descendants in tree order first, the root last. Each object is woken at most once in its life.
void awakeLoadedObjects(QObject* root);

namespace interface_detail {
template <class Form, class Root>
Root* rootOf(void (Form::*)(Root*));
}  // namespace interface_detail

// The setup of a uic form class, for registerInterfaceFile.
template <class Form>
InterfaceSetup interfaceSetupOf() {
    return [](QWidget* root) {
        using Root = std::remove_pointer_t<decltype(interface_detail::rootOf(&Form::setupUi))>;
        auto* typed = dynamic_cast<Root*>(root);
        if (!typed) return false;
        Form form;
        form.setupUi(typed);
        return true;
    };
}

// The maker of a uic form class's root, for registerInterfaceFile.
template <class Form>
InterfaceRootMaker interfaceRootMakerOf() {
    return []() -> QWidget* {
        using Root = std::remove_pointer_t<decltype(interface_detail::rootOf(&Form::setupUi))>;
        return new Root();
    };
}

}  // namespace platform

#define VX_INTERFACE_FILE_CAT2(a, b) a##b
#define VX_INTERFACE_FILE_CAT(a, b) VX_INTERFACE_FILE_CAT2(a, b)
#define VX_INTERFACE_FILE(name, Form)                                                   \
    [[maybe_unused]] static const bool VX_INTERFACE_FILE_CAT(vxInterfaceFile, __LINE__) = \
        ::platform::registerInterfaceFile(name, ::platform::interfaceSetupOf<Form>(),       \
                                          ::platform::interfaceRootMakerOf<Form>())
