#pragma once
// The application's menu, made from the menu bar of the main interface file: each menu of the bar becomes a
// submenu, each of its actions an item with the action's title and key equivalent, found by the action's name.
#include <QString>
#include <map>
#include <memory>

#include "platform/ui/menu.h"

class QMenuBar;

struct MainMenu {
  std::unique_ptr<platform::Menu> menu;
  std::map<QString, platform::MenuItem*> items;  // by the action's object name

  // The item made from the action `name`; null when the file has none.
  platform::MenuItem* item(const char* name) const;
};

MainMenu mainMenuFromMenuBar(const QMenuBar& bar);
// The main interface file's menu ("MainMenu"); an empty menu when the file cannot be loaded.
MainMenu loadMainMenu();
