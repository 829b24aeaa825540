#include "app/windows/main_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "platform/ui/interface_file.h"
#include "ui_MainMenu.h"

VX_INTERFACE_FILE("MainMenu", Ui::MainMenu);

namespace {

void addActions(const QMenu& from, platform::Menu& to, MainMenu& out) {
  for (QAction* action : from.actions()) {
    if (action->isSeparator()) {
      to.addSeparator();
    } else if (action->menu()) {
      auto sub = std::make_unique<platform::Menu>(action->menu()->title());
      addActions(*action->menu(), *sub, out);
      to.addSubmenu(std::move(sub));
    } else {
      platform::MenuItem* item = to.addItemWithTitle(action->text(), {}, action->shortcut());
      item->qaction()->setObjectName(action->objectName());
      out.items[action->objectName()] = item;
    }
  }
}

}  // namespace

platform::MenuItem* MainMenu::item(const char* name) const {
  auto it = items.find(QString::fromLatin1(name));
  return it == items.end() ? nullptr : it->second;
}

MainMenu mainMenuFromMenuBar(const QMenuBar& bar) {
  MainMenu out;
  out.menu = std::make_unique<platform::Menu>();
  for (QAction* action : bar.actions()) {
    if (!action->menu()) continue;
    auto sub = std::make_unique<platform::Menu>(action->menu()->title());
    addActions(*action->menu(), *sub, out);
    out.menu->addSubmenu(std::move(sub));
  }
  return out;
}

MainMenu loadMainMenu() {
  std::unique_ptr<QWidget> root(platform::loadInterfaceRoot(QStringLiteral("MainMenu")));
  const QMenuBar* bar = root ? root->findChild<QMenuBar*>(QStringLiteral("oMainMenuBar")) : nullptr;
  if (!bar) {
    MainMenu empty;
    empty.menu = std::make_unique<platform::Menu>();
    return empty;
  }
  return mainMenuFromMenuBar(*bar);
}
