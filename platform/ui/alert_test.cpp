// The alert that asks for a line of text, answered as a user answers it: typing over the proposed text, then OK,
// Return, Cancel or Escape.
#include "platform/ui/alert.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "platform/ui/presenter.h"
#include "platform/ui/testing/offscreen_fixture.h"
#include "platform/ui/window.h"

namespace platform {
namespace {

// Types into the alert's field and ends it with a key or a button, as the user would.
struct TextAnswerer : Presenter {
  QString typed;      // typed over the selected text; empty: leave it
  Qt::Key key = Qt::Key_unknown;
  QString button;     // clicked when no key is given
  QString message, proposed;
  QSize fieldSize;
  QStringList buttons;
  int runModal(Window& window) override {
    Alert* alert = Alert::alertOfWindow(&window);
    EXPECT_NE(alert, nullptr);
    auto* field = alert ? qobject_cast<QLineEdit*>(alert->accessoryView()) : nullptr;
    EXPECT_NE(field, nullptr);
    if (alert && field) {
      message = alert->messageText();
      proposed = field->text();
      fieldSize = field->size();
      for (QPushButton* b : alert->buttons()) buttons << b->text();
    }
    QTimer::singleShot(0, &window, [this, &window, alert, field] {
      if (!alert || !field) return;
      EXPECT_TRUE(QTest::qWaitForWindowActive(&window));  // keys reach the window the user works in
      EXPECT_EQ(field->window()->focusWidget(), field) << "the field is ready to be typed in";
      EXPECT_EQ(field->selectedText(), field->text()) << "typing replaces the proposed text";
      if (!typed.isEmpty()) QTest::keyClicks(field, typed);
      if (key != Qt::Key_unknown) {
        QTest::keyClick(field, key);
        return;
      }
      for (QPushButton* b : alert->buttons()) {
        if (b->text() == button) QTest::mouseClick(b, Qt::LeftButton);
      }
    });
    return Presenter::runModal(window);
  }
};

class TextInputAlertTest : public testing::OffscreenFixture {};

TEST_F(TextInputAlertTest, OkOrReturnGiveTheTypedTextAndCancelOrEscapeGiveNothing) {
  struct Case {
    const char* typed;
    Qt::Key key;
    const char* button;
    std::optional<QString> expected;
  };
  const Case cases[] = {
      {"75", Qt::Key_unknown, "OK", QString("75")},
      {"", Qt::Key_unknown, "OK", QString("0.1")},  // the proposed text when nothing is typed
      {"12.5", Qt::Key_Return, "", QString("12.5")},
      {"75", Qt::Key_unknown, "Cancel", std::nullopt},
      {"75", Qt::Key_Escape, "", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.typed) + " " + c.button + " " + std::to_string(int(c.key)));
    TextAnswerer answerer;
    answerer.typed = c.typed;
    answerer.key = c.key;
    answerer.button = c.button;
    ScopedPresenter scoped(answerer);
    const std::optional<QString> result = runTextInputAlert("Please enter the bulb duration, in seconds.", "0.1");
    EXPECT_EQ(result, c.expected);
    EXPECT_EQ(answerer.message, QString("Please enter the bulb duration, in seconds."));
    EXPECT_EQ(answerer.proposed, QString("0.1"));
    EXPECT_EQ(answerer.fieldSize, QSize(200, 24));
    EXPECT_EQ(answerer.buttons, (QStringList{"OK", "Cancel"}));
  }
}

}  // namespace
}  // namespace platform
