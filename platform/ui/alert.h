#pragma once
// The platform's plain alert: a message, an informative text below it and buttons, run application-modal
// through the current presenter (so a test answers it as it answers the program's own alerts). The first
// button added is the default one, on the right, pressed by Return; Escape presses a button titled "Cancel".
#include <QString>
#include <memory>
#include <vector>

class QPushButton;

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

    // Shows the alert modal and returns the pressed button's response (NSAlertFirstButtonReturn + its index).
    // Main thread.
    int runModal();

    Window* window() const { return window_.get(); }
    // The alert a window shows, or null when it shows none.
    static Alert* alertOfWindow(const Window* window);

private:
    std::unique_ptr<Window> window_;
    std::vector<QPushButton*> buttons_;
};

}  // namespace platform
