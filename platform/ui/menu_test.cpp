// Menus as the application delegate drives them: items enabled and ticked only as the program says, a tick
// item whose action flips its own state, clicks and key equivalents that reach an item only while it is enabled.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/foundation/test_application.h"
#include "platform/ui/application_shell.h"
#include "platform/ui/menu.h"
#include "platform/ui/window.h"

namespace platform {
namespace {

// A View menu with a tick item whose action does what the delegate's toggle does (reads the state, sets the
// other one), and a File menu with Save As.
struct MainMenu {
    std::unique_ptr<Menu> menu = std::make_unique<Menu>("Main");
    MenuItem* showControls = nullptr;
    MenuItem* saveAs = nullptr;
    int saveAsRuns = 0;
    std::vector<int> toggledTo;

    MainMenu() {
        auto file = std::make_unique<Menu>("File");
        saveAs = file->addItemWithTitle("Save As…", [this](MenuItem&) { ++saveAsRuns; },
                                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
        file->addSeparator();
        file->addItemWithTitle("Print…");
        auto view = std::make_unique<Menu>("View");
        showControls = view->addItemWithTitle("Show Controls", [this](MenuItem& sender) {
            const int next = sender.state() == NSControlStateValueOn ? NSControlStateValueOff : NSControlStateValueOn;
            sender.setState(next);
            toggledTo.push_back(next);
        });
        menu->addSubmenu(std::move(file));
        menu->addSubmenu(std::move(view));
    }
};

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override { ensureTestApplication(); }
};

// Clicks an item of a menu as a user does: the menu opens, the click lands on the item's row.
void clickItem(Menu& menu, MenuItem& item) {
    QMenu* qmenu = menu.qmenu();
    qmenu->popup(QPoint(100, 100));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(qmenu));
    const QRect row = qmenu->actionGeometry(item.qaction());
    ASSERT_TRUE(row.isValid());
    QTest::mouseClick(qmenu, Qt::LeftButton, {}, row.center());
    qmenu->hide();
}

TEST_F(MenuTest, TickItemIsFlippedByItsActionOnlyAndDisabledItemsDoNothing) {
    MainMenu m;
    Menu* view = m.menu->itemWithTitle("View")->submenu();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(m.showControls->menu(), view);
    EXPECT_EQ(view->supermenuItem(), m.menu->itemWithTitle("View"));

    m.showControls->setState(NSControlStateValueOn);
    EXPECT_TRUE(m.showControls->qaction()->isChecked());
    clickItem(*view, *m.showControls);
    // The platform would flip a checkable item itself; here only the action does, so one click is one flip.
    EXPECT_EQ(m.toggledTo, (std::vector<int>{NSControlStateValueOff}));
    EXPECT_EQ(m.showControls->state(), NSControlStateValueOff);
    EXPECT_FALSE(m.showControls->qaction()->isChecked());
    clickItem(*view, *m.showControls);
    EXPECT_EQ(m.toggledTo, (std::vector<int>{NSControlStateValueOff, NSControlStateValueOn}));
    EXPECT_TRUE(m.showControls->qaction()->isChecked());

    m.showControls->setEnabled(false);
    clickItem(*view, *m.showControls);
    EXPECT_EQ(m.toggledTo.size(), 2u) << "a disabled item's action never runs";
    EXPECT_FALSE(m.showControls->performAction());
    m.showControls->setEnabled(true);
    EXPECT_TRUE(m.showControls->performAction());
    EXPECT_EQ(m.toggledTo.size(), 3u);

    // A ticked item whose action leaves the state alone stays ticked.
    Menu* file = m.menu->itemWithTitle("File")->submenu();
    m.saveAs->setState(NSControlStateValueOn);
    clickItem(*file, *m.saveAs);
    EXPECT_EQ(m.saveAsRuns, 1);
    EXPECT_EQ(m.saveAs->state(), NSControlStateValueOn);
    EXPECT_TRUE(m.saveAs->qaction()->isChecked());

    // An item without an action is enabled if the program says so, and does nothing.
    MenuItem* print = file->itemWithTitle("Print…");
    ASSERT_NE(print, nullptr);
    EXPECT_FALSE(print->performAction());
}

TEST_F(MenuTest, StructureOfMenusAndTheMenuBar) {
    MainMenu m;
    Menu* file = m.menu->itemWithTitle("File")->submenu();
    ASSERT_EQ(file->numberOfItems(), 3);
    EXPECT_TRUE(file->itemAtIndex(1)->isSeparatorItem());
    EXPECT_EQ(file->indexOfItem(m.saveAs), 0);
    m.saveAs->setTag(7);
    EXPECT_EQ(file->itemWithTag(7), m.saveAs);
    EXPECT_EQ(file->itemWithTag(8), nullptr);
    EXPECT_EQ(file->itemWithTitle("Nothing"), nullptr);

    MenuItem* share = file->insertItem(std::make_unique<MenuItem>("Share"), 1);
    EXPECT_EQ(file->indexOfItem(share), 1);
    EXPECT_EQ(file->qmenu()->actions().indexOf(share->qaction()), 1) << "the shown menu keeps the same order";
    file->removeItem(share);
    EXPECT_EQ(file->numberOfItems(), 3);
    EXPECT_EQ(file->qmenu()->actions().size(), 3);
    EXPECT_EQ(file->itemAtIndex(-1), nullptr);
    EXPECT_EQ(file->itemAtIndex(3), nullptr);

    // All items, depth first: File, its three, View, its one.
    EXPECT_EQ(m.menu->allItems().size(), 6u);

    m.menu->addItemWithTitle("Loose item");  // no submenu: not a menu of the bar
    QMenuBar bar;
    m.menu->populateMenuBar(bar);
    ASSERT_EQ(bar.actions().size(), 2);
    EXPECT_EQ(bar.actions()[0]->text(), "File");
    EXPECT_EQ(bar.actions()[1]->menu(), m.showControls->menu()->qmenu());
    // One state, wherever the item shows.
    m.saveAs->setEnabled(false);
    EXPECT_FALSE(bar.actions()[0]->menu()->actions()[0]->isEnabled());
}

TEST_F(MenuTest, KeyEquivalentsAnswerInAnyWindowWhileTheItemIsEnabled) {
    Application app;
    MainMenu m;
    MenuItem* saveAs = m.saveAs;
    int& runs = m.saveAsRuns;
    app.setMainMenu(std::move(m.menu));

    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        Window window;
        window.setFrame({100, 100, 200, 120});
        window.makeKeyAndOrderFront();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        const int before = runs;
        saveAs->setEnabled(true);
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(runs, before + 1);
        saveAs->setEnabled(false);
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(runs, before + 1);
        window.close();
    }
}

}  // namespace
}  // namespace platform
