#include "platform/ui/save_panel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include "platform/foundation/test_application.h"

namespace platform {
namespace {

class SavePanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureTestApplication();
        ASSERT_TRUE(folder.isValid());
    }
    std::string inFolder(const std::string& name) const { return folder.path().toStdString() + "/" + name; }
    QTemporaryDir folder;
};

TEST_F(SavePanelTest, TheChosenPathAlwaysEndsInAnAllowedExtension) {
    struct Case {
        std::string path;
        std::vector<std::string> allowed;
        std::string expected;
    };
    const Case cases[] = {
        {"/p/IMG_0001.CR3", {"CR3"}, "/p/IMG_0001.CR3"},
        {"/p/IMG_0001.jpg", {"JPG"}, "/p/IMG_0001.jpg"},        // letter case does not matter
        {"/p/IMG_0001.tif", {"jpg", "tif"}, "/p/IMG_0001.tif"},  // any allowed one is kept
        {"/p/IMG_0001", {"jpg"}, "/p/IMG_0001.jpg"},
        {"/p/shot.png", {"jpg"}, "/p/shot.png.jpg"},  // never claims a format it is not in
        {"/p.d/shot", {"jpg"}, "/p.d/shot.jpg"},      // a dot in a folder name is no extension
        {"/p/.jpg", {"jpg"}, "/p/.jpg.jpg"},          // a hidden file's name is no extension
        {"/p/shot.", {"jpg"}, "/p/shot..jpg"},
        {"/p/shot.png", {}, "/p/shot.png"},  // no list allows anything
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pathWithAllowedExtension(c.path, c.allowed), c.expected) << c.path;
    }
}

TEST_F(SavePanelTest, TheDialogOpensInTheFolderWithTheProposedNameAndOnlyTheAllowedType) {
    QFileDialog dialog;
    configureSaveDialog(dialog, {"Save Current Image", folder.path().toStdString(), "IMG_0042.NEF", {"jpg"}});
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.windowTitle(), "Save Current Image");
    EXPECT_EQ(dialog.directory().absolutePath(), folder.path());
    ASSERT_EQ(dialog.selectedFiles().size(), 1);
    EXPECT_EQ(dialog.selectedFiles().front().toStdString(), inFolder("IMG_0042.NEF"));
    EXPECT_EQ(dialog.nameFilters(), QStringList{"*.jpg"});
    EXPECT_EQ(dialog.defaultSuffix(), "jpg");
}

// The platform dialog itself, run modally and answered as a user would.
TEST_F(SavePanelTest, ThePlatformPanelReturnsTheConfirmedPathOrNothingOnCancel) {
    struct Case {
        const char* what;
        std::string typed;  // empty: the user cancels
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"a name with the allowed type", "keep.jpg", inFolder("keep.jpg")},
        {"a name of another type", "other.png", inFolder("other.png.jpg")},
        {"cancelled", "", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool answered = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            answered = true;
            if (c.typed.empty()) {
                dialog->reject();
            } else {
                dialog->selectFile(QString::fromStdString(inFolder(c.typed)));
                QMetaObject::invokeMethod(dialog, "accept");
            }
        });
        SavePanel plain;
        const auto chosen = plain.runSavePanel({"Save", folder.path().toStdString(), "proposed.jpg", {"jpg"}});
        EXPECT_TRUE(answered);
        EXPECT_EQ(chosen, c.expected);
    }
}

TEST_F(SavePanelTest, ATestPanelStandsInWhileInstalledAndNestedOnesUnwind) {
    struct Canned : SavePanel {
        std::optional<std::string> answer;
        SavePanelOptions asked;
        std::optional<std::string> runSavePanel(const SavePanelOptions& options) override {
            asked = options;
            return answer;
        }
    };
    Canned outer, inner;
    outer.answer = "/outer.jpg";
    SavePanel* plain = &currentSavePanel();
    {
        ScopedSavePanel a(outer);
        {
            ScopedSavePanel b(inner);
            EXPECT_EQ(currentSavePanel().runSavePanel({"T", "", "x", {}}), std::nullopt);
            EXPECT_EQ(inner.asked.title, "T");
        }
        EXPECT_EQ(currentSavePanel().runSavePanel({}), "/outer.jpg");
    }
    EXPECT_EQ(&currentSavePanel(), plain);
}

}  // namespace
}  // namespace platform
