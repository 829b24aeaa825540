#pragma once
// Menus and their items. An item has a title, an action, a key equivalent, a tag, and the enabled and tick
// (state) flags that the program sets: nothing enables, disables or ticks an item by itself, and choosing a
// ticked item does not untick it (its action decides). Each item stands on a QAction, so one menu can be shown
// in any number of menu bars and its key equivalents work in every window the application puts them in.
#include <QKeySequence>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;

namespace platform {

class Menu;

// The states of an item (and of a button): on is 1, off is 0.
enum ControlStateValue : int { NSControlStateValueOff = 0, NSControlStateValueOn = 1 };

class MenuItem {
public:
    using Action = std::function<void(MenuItem& sender)>;

    explicit MenuItem(const QString& title, Action action = {}, const QKeySequence& keyEquivalent = {});
    static std::unique_ptr<MenuItem> separatorItem();
    ~MenuItem();
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    QString title() const;
    void setTitle(const QString& title);
    void setAction(Action action) { action_ = std::move(action); }
    bool hasAction() const { return static_cast<bool>(action_); }
    QKeySequence keyEquivalent() const;
    void setKeyEquivalent(const QKeySequence& key);
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    bool isEnabled() const;
    void setEnabled(bool enabled);
    // Off or on; any other value counts as on. On shows a tick.
    int state() const { return state_; }
    void setState(int state);
    bool isHidden() const;
    void setHidden(bool hidden);
    bool isSeparatorItem() const { return separator_; }

    // An item with a submenu opens it; the item owns it.
    Menu* submenu() const { return submenu_.get(); }
    void setSubmenu(std::unique_ptr<Menu> submenu);
    // The menu that holds the item, or null.
    Menu* menu() const { return menu_; }

    // What a click or the key equivalent does: the action, when the item is enabled and has one. True when it ran.
    // The action may change its item (title, state, enabling) but not remove it from its menu.
    bool performAction();

    QAction* qaction() const { return qaction_; }

private:
    friend class Menu;
    struct SeparatorTag {};
    explicit MenuItem(SeparatorTag);
    void connectAction();

    QAction* qaction_;
    Action action_;
    int tag_ = 0;
    int state_ = NSControlStateValueOff;
    bool separator_ = false;
    std::unique_ptr<Menu> submenu_;
    Menu* menu_ = nullptr;
};

class Menu {
public:
    explicit Menu(const QString& title = {});
    ~Menu();
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    QString title() const;
    void setTitle(const QString& title);

    // Adds at the end (or at `index`, clamped to the item count) and returns the item, which the menu owns.
    MenuItem* addItem(std::unique_ptr<MenuItem> item);
    MenuItem* insertItem(std::unique_ptr<MenuItem> item, int index);
    MenuItem* addItemWithTitle(const QString& title, MenuItem::Action action = {},
                               const QKeySequence& keyEquivalent = {});
    // A titled item that opens `submenu`.
    MenuItem* addSubmenu(std::unique_ptr<Menu> submenu);
    void addSeparator();
    // Removes and destroys the item; nothing when it is not in this menu.
    void removeItem(MenuItem* item);

    int numberOfItems() const { return int(items_.size()); }
    MenuItem* itemAtIndex(int index) const;
    int indexOfItem(const MenuItem* item) const;  // -1 when absent
    // The first item with that title or tag, in this menu only; null when none.
    MenuItem* itemWithTitle(const QString& title) const;
    MenuItem* itemWithTag(int tag) const;
    // Every item of this menu and its submenus, depth first.
    std::vector<MenuItem*> allItems() const;
    // The item holding this menu as its submenu, or null.
    MenuItem* supermenuItem() const { return supermenuItem_; }

    QMenu* qmenu() const { return menu_.get(); }
    // Shows this menu's submenus as the menus of a menu bar (items without a submenu are left out).
    void populateMenuBar(QMenuBar& bar) const;

private:
    friend class MenuItem;
    std::unique_ptr<QMenu> menu_;
    std::vector<std::unique_ptr<MenuItem>> items_;
    MenuItem* supermenuItem_ = nullptr;
};

}  // namespace platform
