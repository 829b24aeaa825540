// Number formatters on text fields, as the timer panel's two-digit minute and second fields use them: what is
// shown, what typed text is accepted, and what a refusal does (the alert with its description, the old value kept
// in the field and in the bound property).
#include "platform/ui/formatter.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "platform/ui/alert.h"
#include "platform/ui/control_binding.h"
#include "platform/ui/observable_properties.h"
#include "platform/ui/presenter.h"
#include "platform/ui/testing/offscreen_fixture.h"
#include "platform/ui/window.h"

namespace platform {
namespace {

std::shared_ptr<NumberFormatter> minutesFormatter() {
  auto f = std::make_shared<NumberFormatter>();
  f->setAllowsFloats(false);
  f->setMinimum(0);
  f->setMaximum(59);
  f->setFormat("%02d");
  return f;
}

TEST(NumberFormatterTest, ReadsOneWholeNumberWithinItsLimitsAndShowsItInItsFormat) {
  auto f = minutesFormatter();
  struct Case {
    const char* typed;
    std::optional<int64_t> value;  // accepted value, or nothing
    const char* refusal;
  };
  const Case cases[] = {
      {"7", 7, ""},
      {" 12 ", 12, ""},
      {"+5", 5, ""},
      {"0", 0, ""},
      {"59", 59, ""},
      {"7a", std::nullopt, "Could not convert to integer."},
      {"7.5", std::nullopt, "Could not convert to integer."},
      {"", std::nullopt, "Could not convert to integer."},
      {"99999999999", std::nullopt, "Could not convert to integer."},
      {"-1", std::nullopt, "Value must be 0 or greater."},
      {"60", std::nullopt, "Value must be 59 or less."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Value v;
    QString why;
    const bool ok = f->getObjectValue(&v, c.typed, &why);
    EXPECT_EQ(ok, c.value.has_value());
    if (c.value) {
      EXPECT_EQ(v, Value(*c.value));
    } else {
      EXPECT_EQ(why.toStdString(), c.refusal);
    }
  }
  EXPECT_EQ(f->stringForObjectValue(Value(7)), QString("07"));
  EXPECT_EQ(f->stringForObjectValue(Value(45)), QString("45"));
  EXPECT_EQ(f->stringForObjectValue(Value("7")), std::nullopt) << "a text is no number";

  // Numbers with a fraction, shown with one decimal.
  NumberFormatter seconds;
  seconds.setMinimum(0.1);
  seconds.setFormat("%.1f");
  Value v;
  QString why;
  EXPECT_TRUE(seconds.getObjectValue(&v, "75", &why));
  EXPECT_EQ(v, Value(75.0));
  EXPECT_EQ(seconds.stringForObjectValue(Value(75.26)), QString("75.3"));
  EXPECT_FALSE(seconds.getObjectValue(&v, "nan", &why));
  EXPECT_EQ(why, QString("Could not convert to number."));
  EXPECT_FALSE(seconds.getObjectValue(&v, "0.05", &why));
  EXPECT_EQ(why, QString("Value must be 0.1 or greater."));
}

// Answers each alert with OK, noting its message.
struct AlertWatcher : Presenter {
  std::vector<std::string> messages;
  int runModal(Window& window) override {
    Alert* alert = Alert::alertOfWindow(&window);
    messages.push_back(alert ? alert->messageText().toStdString() : std::string("?"));
    QTimer::singleShot(0, &window, [alert] {
      if (alert) alert->buttons().front()->click();
    });
    return Presenter::runModal(window);
  }
};

class FormattedFieldTest : public testing::OffscreenFixture {};

TEST_F(FormattedFieldTest, ARefusedEditShowsWhyAndTheOldValueStaysInTheFieldAndTheProperty) {
  AlertWatcher watcher;
  ScopedPresenter scoped(watcher);
  auto properties = ObservableProperties::make();
  ObservableProperty<int> minutes(properties, "initialDelayMinutes", 5);
  QLineEdit field;
  setFormatter(&field, minutesFormatter());
  ASSERT_TRUE(bind(&field, "value", {properties, "initialDelayMinutes"}));
  showAndWait(&field);
  EXPECT_EQ(field.text(), QString("05"));

  auto type = [&](const char* keys) {
    field.setFocus();
    field.selectAll();
    QTest::keyClicks(&field, keys);
    QTest::keyClick(&field, Qt::Key_Return);
  };
  type("7");
  EXPECT_EQ(minutes.get(), 7);
  EXPECT_EQ(field.text(), QString("07"));
  EXPECT_TRUE(watcher.messages.empty());

  struct Refused {
    const char* typed;
    const char* message;
  };
  for (const Refused& r : {Refused{"7a", "Could not convert to integer."}, Refused{"-1", "Value must be 0 or greater."},
                           Refused{"75", "Value must be 59 or less."}}) {
    SCOPED_TRACE(r.typed);
    watcher.messages.clear();
    type(r.typed);
    EXPECT_EQ(watcher.messages, std::vector<std::string>{r.message});
    EXPECT_EQ(field.text(), QString("07")) << "the old value is back in the field";
    EXPECT_EQ(minutes.get(), 7) << "and nothing was written";
    EXPECT_EQ(objectValue(&field), Value(7));
  }

  // Leaving the field after a refusal does not ask again; a later good edit goes through.
  watcher.messages.clear();
  emit field.editingFinished();
  type("12");
  EXPECT_TRUE(watcher.messages.empty());
  EXPECT_EQ(minutes.get(), 12);
  EXPECT_EQ(field.text(), QString("12"));
}

}  // namespace
}  // namespace platform
