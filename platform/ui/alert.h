#pragma once
// The platform's plain alert: a message, an informative text below it, an optional accessory view and buttons,
// run application-modal through the current presenter (so a test answers it as it answers the program's own
// alerts). The first button added is the default one, on the right, pressed by Return; Escape presses a button
// titled "Cancel".
//
//   // Asking for one value (the timer panel's bulb duration):
//   std::optional<QString> typed = platform::runTextInputAlert("Please enter the bulb duration, in seconds.",
//                                                               QString::asprintf("%.1f", seconds));
//   // A test answers it: Alert::alertOfWindow(&window)->accessoryView() is the QLineEdit to type into.
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QLineEdit;
class QPushButton;
class QWidget;

namespace platform {

class Window;

// What runModal returns for the first, second, third... button.
enum ModalResponse : int { NSAlertFirstButtonReturn = 1000, NSAlertSecondButtonReturn = 1001,
                           NSAlertThirdButtonReturn = 1002 };

class Alert {
public:
    Alert();
    ~Alert();
    Alert(const Alert&) = delete;
    Alert& operator=(const Alert&) = delete;

    void setMessageText(const QString& text);
    void setInformativeText(const QString& text);
    QString messageText() const;
    QString informativeText() const;
    QPushButton* addButtonWithTitle(const QString& title);
    const std::vector<QPushButton*>& buttons() const { return buttons_; }
    // A view shown at its own size between the texts and the buttons (null removes it); the alert takes it over.
    // It has the keyboard focus when the alert shows (a field with its text selected, ready to be typed over).
    void setAccessoryView(QWidget* view);
    QWidget* accessoryView() const;

    // Shows the alert modal and returns the pressed button's response (NSAlertFirstButtonReturn + its index).
    // Main thread.
    int runModal();

    Window* window() const { return window_.get(); }
    // The alert a window shows, or null when it shows none.
    static Alert* alertOfWindow(const Window* window);

private:
    std::unique_ptr<Window> window_;
    QWidget* accessory_ = nullptr;
    std::vector<QPushButton*> buttons_;
};

// The size of the text field of runTextInputAlert.
inline constexpr int kTextInputFieldWidth = 200;
inline constexpr int kTextInputFieldHeight = 24;

// A modal alert that asks for one line of text: `message`, a 200 x 24 field holding `text`, and the buttons
// "OK" and "Cancel". The field's text after OK (or Return); nothing after Cancel (or Escape). Main thread.
std::optional<QString> runTextInputAlert(const QString& message, const QString& text);

}  // namespace platform
