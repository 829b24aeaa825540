#include "platform/ui/menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

namespace platform {

// --- items ---

MenuItem::MenuItem(const QString& title, Action action, const QKeySequence& keyEquivalent)
    : qaction_(new QAction(title)), action_(std::move(action)) {
    // Key equivalents answer in whichever window of the application is active.
    qaction_->setShortcutContext(Qt::ApplicationShortcut);
    qaction_->setShortcut(keyEquivalent);
    connectAction();
}

MenuItem::MenuItem(SeparatorTag) : qaction_(new QAction()), separator_(true) { qaction_->setSeparator(true); }

std::unique_ptr<MenuItem> MenuItem::separatorItem() { return std::unique_ptr<MenuItem>(new MenuItem(SeparatorTag{})); }

MenuItem::~MenuItem() {
    // The submenu goes first: its menu is shown through this item's action.
    qaction_->setMenu(static_cast<QMenu*>(nullptr));
    if (submenu_) submenu_->supermenuItem_ = nullptr;
    submenu_.reset();
    delete qaction_;
}

void MenuItem::connectAction() {
    QObject::connect(qaction_, &QAction::triggered, qaction_, [this] {
        // Qt flips a checkable action before it reports the trigger; the tick is the program's to change.
        qaction_->setChecked(state_ != NSControlStateValueOff);
        performAction();
    });
}

bool MenuItem::performAction() {
    if (separator_ || !action_ || !isEnabled()) return false;
    // The action may replace this item's action or remove the item: run a copy.
    Action run = action_;
    run(*this);
    return true;
}

QString MenuItem::title() const { return qaction_->text(); }
void MenuItem::setTitle(const QString& title) { qaction_->setText(title); }
QKeySequence MenuItem::keyEquivalent() const { return qaction_->shortcut(); }
void MenuItem::setKeyEquivalent(const QKeySequence& key) { qaction_->setShortcut(key); }
bool MenuItem::isEnabled() const { return qaction_->isEnabled(); }
void MenuItem::setEnabled(bool enabled) { qaction_->setEnabled(enabled); }
bool MenuItem::isHidden() const { return !qaction_->isVisible(); }
void MenuItem::setHidden(bool hidden) { qaction_->setVisible(!hidden); }

void MenuItem::setState(int state) {
    state_ = state;
    const bool on = state != NSControlStateValueOff;
    // Only a ticked item is checkable, so that styles leave no empty box beside the others.
    qaction_->setCheckable(on);
    qaction_->setChecked(on);
}

void MenuItem::setSubmenu(std::unique_ptr<Menu> submenu) {
    qaction_->setMenu(static_cast<QMenu*>(nullptr));
    if (submenu_) submenu_->supermenuItem_ = nullptr;
    submenu_ = std::move(submenu);
    if (submenu_) {
        submenu_->supermenuItem_ = this;
        qaction_->setMenu(submenu_->qmenu());
    }
}

// --- menus ---

Menu::Menu(const QString& title) : menu_(std::make_unique<QMenu>(title)) {}

Menu::~Menu() {
    // Items detach their actions from the menu as they go.
    for (auto& item : items_) menu_->removeAction(item->qaction());
    items_.clear();
}

QString Menu::title() const { return menu_->title(); }
void Menu::setTitle(const QString& title) {
    menu_->setTitle(title);
    if (supermenuItem_) supermenuItem_->setTitle(title);
}

MenuItem* Menu::addItem(std::unique_ptr<MenuItem> item) { return insertItem(std::move(item), numberOfItems()); }

MenuItem* Menu::insertItem(std::unique_ptr<MenuItem> item, int index) {
    if (!item) return nullptr;
    index = std::clamp(index, 0, numberOfItems());
    MenuItem* raw = item.get();
    raw->menu_ = this;
    QAction* before = index < numberOfItems() ? items_[size_t(index)]->qaction() : nullptr;
    menu_->insertAction(before, raw->qaction());
    items_.insert(items_.begin() + index, std::move(item));
    return raw;
}

MenuItem* Menu::addItemWithTitle(const QString& title, MenuItem::Action action, const QKeySequence& keyEquivalent) {
    return addItem(std::make_unique<MenuItem>(title, std::move(action), keyEquivalent));
}

MenuItem* Menu::addSubmenu(std::unique_ptr<Menu> submenu) {
    if (!submenu) return nullptr;
    auto item = std::make_unique<MenuItem>(submenu->title());
    item->setSubmenu(std::move(submenu));
    return addItem(std::move(item));
}

void Menu::addSeparator() { addItem(MenuItem::separatorItem()); }

void Menu::removeItem(MenuItem* item) {
    auto it = std::find_if(items_.begin(), items_.end(), [item](const auto& p) { return p.get() == item; });
    if (it == items_.end()) return;
    menu_->removeAction(item->qaction());
    items_.erase(it);
}

MenuItem* Menu::itemAtIndex(int index) const {
    return index >= 0 && index < numberOfItems() ? items_[size_t(index)].get() : nullptr;
}

int Menu::indexOfItem(const MenuItem* item) const {
    for (int i = 0; i < numberOfItems(); ++i)
        if (items_[size_t(i)].get() == item) return i;
    return -1;
}

MenuItem* Menu::itemWithTitle(const QString& title) const {
    for (const auto& item : items_)
        if (!item->isSeparatorItem() && item->title() == title) return item.get();
    return nullptr;
}

MenuItem* Menu::itemWithTag(int tag) const {
    for (const auto& item : items_)
        if (!item->isSeparatorItem() && item->tag() == tag) return item.get();
    return nullptr;
}

std::vector<MenuItem*> Menu::allItems() const {
    std::vector<MenuItem*> all;
    for (const auto& item : items_) {
        all.push_back(item.get());
        if (item->submenu()) {
            const std::vector<MenuItem*> inner = item->submenu()->allItems();
            all.insert(all.end(), inner.begin(), inner.end());
        }
    }
    return all;
}

void Menu::populateMenuBar(QMenuBar& bar) const {
    for (const auto& item : items_)
        if (item->submenu()) bar.addAction(item->qaction());
}

}  // namespace platform
