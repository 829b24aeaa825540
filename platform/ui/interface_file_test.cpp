#include "platform/ui/interface_file.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/test_application.h"
#include "platform/ui/interface_file_test_objects.h"
#include "platform/ui/presenter.h"
#include "platform/ui/window.h"
#include "platform/ui/window_controller.h"
#include "ui_InterfaceTestPanel.h"
#include "ui_InterfaceTestWindow.h"

VX_INTERFACE_FILE("InterfaceTestWindow", Ui::InterfaceTestWindow);
VX_INTERFACE_FILE("InterfaceTestPanel", Ui::InterfaceTestPanel);

namespace platform {
namespace {

using interface_test::awakeLog;
using Log = std::vector<std::string>;

class InterfaceFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureTestApplication();
        awakeLog().clear();
    }
};

// A controller that owns its file: woken after the file's objects, before windowDidLoad.
class TestWindowController : public WindowController, public AwakeFromNib {
public:
    using WindowController::WindowController;
    void awakeFromNib() override { awakeLog().push_back("controller"); }

protected:
    void windowDidLoad() override {
        auto* title = window()->contentView()->findChild<QLabel*>("oTitle");
        awakeLog().push_back("windowDidLoad sees " + (title ? title->text().toStdString() : std::string("nothing")));
    }
};

// Shows nothing: the test only needs the window made.
class QuietPresenter : public Presenter {
public:
    void present(Window&, bool) override {}
};

TEST_F(InterfaceFileTest, AWindowLoadedByNameWakesEachObjectOnceWithoutACallOfItsOwn) {
    QuietPresenter quiet;
    ScopedPresenter scoped(quiet);
    TestWindowController controller("InterfaceTestWindow");
    Window* window = controller.window();
    ASSERT_NE(window, nullptr);
    const Log expected{"oInnerProbe in oBox", "oOuterProbe in InterfaceTestWindow", "controller",
                       "windowDidLoad sees Window title"};
    EXPECT_EQ(awakeLog(), expected);

    // Using the window again, showing it, or waking its tree by hand wakes nobody a second time.
    controller.window();
    controller.showWindow();
    awakeLoadedObjects(window);
    awakeLoadedObjects(&controller);
    EXPECT_EQ(awakeLog(), expected);
}

TEST_F(InterfaceFileTest, APanelOfItsOwnClassIsWokenAfterItsControlsWithItsOutletsSet) {
    interface_test::ProbePanel first, second;
    ASSERT_TRUE(loadInterfaceFile("InterfaceTestPanel", &first));
    ASSERT_TRUE(loadInterfaceFile("InterfaceTestPanel", &second));
    // Each load wakes its own objects, once.
    const std::string panel = "oProbe in InterfaceTestPanel";
    EXPECT_EQ(awakeLog(), (Log{panel, "panel sees Panel title", panel, "panel sees Panel title"}));
}

TEST_F(InterfaceFileTest, UnknownNamesAndRootsOfAnotherClassLoadNothing) {
    struct Case {
        const char* what;
        QString name;
        bool customRoot;
    };
    const Case cases[] = {
        {"unregistered name", "NoSuchPanel", true},
        {"plain root for a form whose root is a class of its own", "InterfaceTestPanel", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        awakeLog().clear();
        std::unique_ptr<QWidget> root =
            c.customRoot ? std::make_unique<interface_test::ProbePanel>() : std::make_unique<QWidget>();
        EXPECT_FALSE(loadInterfaceFile(c.name, root.get()));
        EXPECT_TRUE(root->children().isEmpty());
        EXPECT_TRUE(awakeLog().empty());
    }
    EXPECT_FALSE(loadInterfaceFile("InterfaceTestPanel", nullptr));

    // A controller whose name has no file still gets its plain window, and is not woken.
    TestWindowController controller("NoSuchWindow");
    ASSERT_NE(controller.window(), nullptr);
    EXPECT_EQ(awakeLog(), (Log{"windowDidLoad sees nothing"}));
}

}  // namespace
}  // namespace platform
