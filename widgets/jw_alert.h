#pragma once
// The program's own alert: a window loaded from the interface file "JW_Alert" with an icon for its style, the
// application's icon, a title, an information text, up to three buttons each with its own block, an optional
// help button that opens a popover with a help text, and an optional progress indicator.
//
// Shown application-modal (show), non-modal (showNonModal), non-modal for a time (showAndDismiss), or for a
// background thread that waits for the answer (blockingShow). Responses: 1 after the first button, 0 after the
// second, -1001 after the third. Made with jwAlertWithStyle and held by shared pointers; whichever thread lets
// the last one go, the alert is destroyed on the main thread.

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QString>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/foundation/dispatch.h"
#include "platform/ui/window_controller.h"

class JW_Alert;
class SFBPopover;
class SYFlatButton;

// The root view of the interface file: it receives the buttons' actions and hands them to its alert.
class JW_AlertView : public QWidget {
  Q_OBJECT

 public:
  explicit JW_AlertView(QWidget* parent = nullptr) : QWidget(parent) {}
  JW_Alert* alert = nullptr;

 public slots:
  void okAction();
  void cancelAction();
  void thirdAction();
  void helpAction();

 protected:
  void paintEvent(QPaintEvent* event) override;
};

class JW_Alert : public platform::WindowController, public std::enable_shared_from_this<JW_Alert> {
  Q_OBJECT

 public:
  using ActionHandler = std::function<void(QObject* sender)>;

  static constexpr std::int64_t kOkResponse = 1;
  static constexpr std::int64_t kCancelResponse = 0;
  static constexpr std::int64_t kThirdResponse = -1001;
  // What blockingShow answers at once on the main thread.
  static constexpr std::int64_t kBlockingOnMainThread = -1001;

  static std::shared_ptr<JW_Alert> jwAlertWithStyle(std::uint64_t style);
  static std::shared_ptr<JW_Alert> initWithWindowNibName(const QString& windowNibName, std::uint64_t alertStyle);
  ~JW_Alert() override;

  // Texts; an absent (nil) text is ignored.
  void setTitleText(const std::optional<QString>& text);
  void setInformationText(const std::optional<QString>& text);
  void setOkButtonText(const QString& text, ActionHandler handler);
  void setCancelButtonText(const QString& text, ActionHandler handler);
  void setThirdButtonText(const QString& text, ActionHandler handler);
  void setHelpText(const QString& text);
  void setShowProgressIndicator(bool show);

  // Application-modal: returns when a button has ended the session. Main thread.
  void show();
  void showNonModal();
  // Non-modal; after `seconds` the window is ordered out (without a response) and the alert let go.
  void showAndDismiss(double seconds);
  // For background threads: shows the alert on the main thread and waits for a button; returns its response.
  // On the main thread it returns -1001 at once without showing anything.
  std::int64_t blockingShow();
  // Waits without limit for a button press, then returns the response.
  std::int64_t waitForButton();
  std::int64_t response() const { return mResponse; }
  void close() override;
  void setStyle(std::uint64_t style);
  void setCheckBoxHidden(bool hidden);
  void setCancelHidden(bool hidden);
  QProgressBar* progressIndicator();
  void setProgress(double value, const QString& progressLabelText);

  // Actions of the buttons.
  void okAction(QObject* sender);
  void cancelAction(QObject* sender);
  void thirdAction(QObject* sender);
  void helpAction(QObject* sender);

  // Outlets (connected when the window is loaded).
  SYFlatButton* oOkButton = nullptr;
  SYFlatButton* oCancelButton = nullptr;
  SYFlatButton* oThirdButton = nullptr;
  SYFlatButton* oHelpButton = nullptr;
  QLabel* oTitleTextField = nullptr;
  QLabel* oInformationTextField = nullptr;
  QCheckBox* oCheckButton = nullptr;
  QLabel* oImageView = nullptr;
  QLabel* oLogoImageView = nullptr;
  SFBPopover* oHelpPopover = nullptr;
  QLabel* oHelpTextField = nullptr;
  QProgressBar* oProgressIndicator = nullptr;

  std::uint64_t alertStyle() const { return mAlertStyle; }
  bool isModal() const { return mIsModal; }

 protected:
  JW_Alert(const QString& windowNibName, std::uint64_t alertStyle);
  platform::Window* makeWindow() override;
  void windowDidLoad() override;

 private:
  void finishButton(std::int64_t response, const ActionHandler& handler, QObject* sender, bool stopsModal);
  // Centres the window over the window in front (else the screen) and makes it that window's transient.
  void placeOverFrontWindow();
  // The window manager asks to close the window: answers whether it may.
  bool closeRequested();

  ActionHandler mOkHandler;
  ActionHandler mCancelHandler;
  ActionHandler mThirdHandler;
  QString mTitleText;
  QString mInformationText;
  QString mHelpText;
  bool mIsCheckBoxHidden = true;
  QString mOkButtonText = QStringLiteral("OK");
  QString mCancelButtonText;
  QString mThirdButtonText;
  std::uint64_t mAlertStyle = 0;
  bool mShowProgressIndicator = false;
  bool mIsModal = false;
  platform::Semaphore mSemaphore{0};
  std::atomic<std::int64_t> mResponse{0};
  QWidget* helpContentView_ = nullptr;
};
