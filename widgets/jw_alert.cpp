#include "widgets/jw_alert.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <QPainter>
#include <QPixmap>
#include <QIcon>
#include <QStyleOption>
#include <functional>
#include <vector>

#include "platform/ui/modal_session.h"
#include "platform/ui/presenter.h"
#include "platform/ui/time_source.h"
#include "platform/ui/view_geometry.h"
#include "platform/ui/window.h"
#include "ui_JW_Alert.h"
#include "widgets/alert_icons.h"
#include "widgets/sfb_popover.h"
#include "widgets/sy_flat_button.h"

using platform::Color;
using platform::Font;
using platform::FontWeight;

namespace {

constexpr double kHelpWidth = 260;

QPixmap pixmapOf(const platform::Image& image, QSize size, double ratio) {
  platform::Image scaled = platform::Image::withSize({double(size.width()), double(size.height())},
                                                     [image](platform::Canvas& c, const platform::Rect& r) {
                                                       c.drawImage(image, r);
                                                       return true;
                                                     });
  return QPixmap::fromImage(scaled.render(ratio));
}

// The icons as the image views show them, by what was drawn and at which size and scale. Drawing an icon anew
// for every alert took a third of a millisecond of the main thread while the alert opened, often while a worker
// that had just started needed the processor. The application's icon is told apart by its window icon, which may
// be set at any time. Main thread only.
QPixmap cachedPixmapOf(const QString& name, qint64 iconKey, const std::function<platform::Image()>& image, QSize size,
                       double ratio) {
  struct Made {
    QString name;
    qint64 iconKey;
    QSize size;
    double ratio;
    QPixmap pixmap;
  };
  static std::vector<Made> made;
  for (const Made& m : made)
    if (m.name == name && m.iconKey == iconKey && m.size == size && m.ratio == ratio) return m.pixmap;
  QPixmap pixmap = pixmapOf(image(), size, ratio);
  // Three styles and the application's icon at one or two scales: a handful, unless the icon keeps changing.
  if (made.size() >= 16) made.erase(made.begin());
  made.push_back({name, iconKey, size, ratio, pixmap});
  return pixmap;
}

QFont qtFont(const Font& f) { return f.qfont(); }

}  // namespace

// --- the root view ---

void JW_AlertView::okAction() {
  if (alert) alert->okAction(sender());
}
void JW_AlertView::cancelAction() {
  if (alert) alert->cancelAction(sender());
}
void JW_AlertView::thirdAction() {
  if (alert) alert->thirdAction(sender());
}
void JW_AlertView::helpAction() {
  if (alert) alert->helpAction(sender());
}

void JW_AlertView::paintEvent(QPaintEvent*) {
  // Lets the style sheet paint the background of this custom widget.
  QStyleOption option;
  option.initFrom(this);
  QPainter painter(this);
  style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

// --- construction ---

std::shared_ptr<JW_Alert> JW_Alert::jwAlertWithStyle(std::uint64_t style) {
  auto alert = initWithWindowNibName(QStringLiteral("JW_Alert"), style);
  alert->setStyle(style);
  return alert;
}

std::shared_ptr<JW_Alert> JW_Alert::initWithWindowNibName(const QString& windowNibName, std::uint64_t alertStyle) {
  // Widgets live and die on the main thread: when a worker lets the last reference go, the alert is deleted
  // there.
  return std::shared_ptr<JW_Alert>(new JW_Alert(windowNibName, alertStyle), [](JW_Alert* a) {
    if (platform::isMainThread() || !QCoreApplication::instance()) {
      delete a;
    } else {
      platform::mainQueue().async([a] { delete a; });
    }
  });
}

JW_Alert::JW_Alert(const QString& windowNibName, std::uint64_t alertStyle)
    : platform::WindowController(windowNibName), mAlertStyle(alertStyle) {}

JW_Alert::~JW_Alert() { delete oHelpPopover; }

platform::Window* JW_Alert::makeWindow() {
  auto* window = new platform::Window(false);
  window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  auto* view = new JW_AlertView();
  view->alert = this;
  Ui::JW_Alert ui;
  ui.setupUi(view);
  oOkButton = ui.oOkButton;
  oCancelButton = ui.oCancelButton;
  oThirdButton = ui.oThirdButton;
  oHelpButton = ui.oHelpButton;
  oTitleTextField = ui.oTitleTextField;
  oInformationTextField = ui.oInformationTextField;
  oCheckButton = ui.oCheckButton;
  oImageView = ui.oImageView;
  oLogoImageView = ui.oLogoImageView;
  oHelpTextField = ui.oHelpTextField;
  oProgressIndicator = ui.oProgressIndicator;
  for (SYFlatButton* b : {oOkButton, oCancelButton, oThirdButton, oHelpButton}) b->awakeFromNib();
  // The help text lives in a popover of its own, not in the window.
  helpContentView_ = ui.oHelpContentView;
  ui.mainLayout->removeWidget(helpContentView_);
  helpContentView_->setParent(nullptr);
  helpContentView_->setStyleSheet(QStringLiteral("QLabel { color: #ffffff; }"));  // out of the window's sheet
  helpContentView_->resize(int(kHelpWidth), 60);
  window->setContentView(view);
  window->resize(view->size());
  window->setCloseRequestHandler([this] { return closeRequested(); });
  window->setHasShadow(true);
  return window;
}

void JW_Alert::windowDidLoad() {
  window()->setWindowTitle(mTitleText);
  oTitleTextField->setText(mTitleText);
  oTitleTextField->setTextInteractionFlags(Qt::NoTextInteraction);
  oTitleTextField->setFont(qtFont(Font::systemFont(15, FontWeight::Bold)));
  oInformationTextField->setText(mInformationText);
  oInformationTextField->setTextInteractionFlags(Qt::NoTextInteraction);
  oInformationTextField->setFont(qtFont(Font::systemFont(13)));
  oCheckButton->setHidden(mIsCheckBoxHidden);

  oOkButton->setTitle(mOkButtonText);
  oOkButton->setTitleNormalColor(Color::whiteColor());
  oOkButton->setFont(Font::systemFont(13, FontWeight::Semibold));
  oCancelButton->setFont(Font::systemFont(13, FontWeight::Semibold));
  oThirdButton->setFont(Font::systemFont(13, FontWeight::Semibold));
  oHelpButton->setFont(Font::systemFont(14, FontWeight::Bold));
  oHelpTextField->setFont(qtFont(Font::systemFont(12, FontWeight::Semibold)));

  oCancelButton->setHidden(mCancelButtonText.isEmpty());
  oCancelButton->setTitle(mCancelButtonText);
  oThirdButton->setHidden(mThirdButtonText.isEmpty());
  oThirdButton->setTitle(mThirdButtonText);
  oHelpButton->setHidden(mHelpText.isEmpty());

  oProgressIndicator->setHidden(!mShowProgressIndicator);
  oProgressIndicator->setRange(0, 0);  // indeterminate and running

  oHelpPopover = new SFBPopover(helpContentView_);
  oHelpPopover->setPosition(SFBPopoverPositionTop);
  oHelpPopover->setBorderColor(Color::white(1.0, 0.15));
  oHelpPopover->setBorderWidth(1);
  oHelpPopover->setDistance(4);
  oHelpPopover->setBackgroundColor(Color::white(0.08, 0.95));

  setStyle(mAlertStyle);
  window()->contentView()->adjustSize();
  window()->resize(window()->contentView()->sizeHint().expandedTo(window()->contentView()->minimumSize()));
}

// --- configuration ---

void JW_Alert::setTitleText(const std::optional<QString>& text) {
  if (!text) return;
  mTitleText = *text;
}

void JW_Alert::setInformationText(const std::optional<QString>& text) {
  if (!text) return;
  mInformationText = *text;
  if (isWindowLoaded()) oInformationTextField->setText(mInformationText);
}

void JW_Alert::setOkButtonText(const QString& text, ActionHandler handler) {
  mOkButtonText = text;
  mOkHandler = std::move(handler);
}

void JW_Alert::setCancelButtonText(const QString& text, ActionHandler handler) {
  mCancelButtonText = text;
  mCancelHandler = std::move(handler);
}

void JW_Alert::setThirdButtonText(const QString& text, ActionHandler handler) {
  mThirdButtonText = text;
  mThirdHandler = std::move(handler);
}

void JW_Alert::setHelpText(const QString& text) { mHelpText = text; }

void JW_Alert::setShowProgressIndicator(bool show) {
  mShowProgressIndicator = show;
  if (isWindowLoaded()) oProgressIndicator->setHidden(!show);
}

void JW_Alert::setStyle(std::uint64_t style) {
  mAlertStyle = style;
  if (!oImageView) return;  // not loaded yet: loading applies it
  const double ratio = oImageView->devicePixelRatioF();
  const QString icon = alertIconNameForStyle(style);
  oImageView->setPixmap(cachedPixmapOf(icon, 0, [&icon] { return alertIconNamed(icon); }, oImageView->minimumSize(), ratio));
  oLogoImageView->setPixmap(cachedPixmapOf(QStringLiteral("application"), QGuiApplication::windowIcon().cacheKey(),
                                           applicationIconImage, oLogoImageView->minimumSize(), ratio));
}

void JW_Alert::setCheckBoxHidden(bool hidden) {
  mIsCheckBoxHidden = hidden;
  if (isWindowLoaded()) oCheckButton->setHidden(hidden);
}

void JW_Alert::setCancelHidden(bool hidden) {
  window();
  oCancelButton->setHidden(hidden);
}

QProgressBar* JW_Alert::progressIndicator() {
  window();
  return oProgressIndicator;
}

void JW_Alert::setProgress(double value, const QString& progressLabelText) {
  window();
  oProgressIndicator->setRange(0, 100);
  oProgressIndicator->setValue(int(value));
  setInformationText(progressLabelText);
}

// --- showing ---

void JW_Alert::placeOverFrontWindow() {
  platform::Window* w = window();
  QWidget* front = nullptr;
  for (QWidget* candidate : platform::Window::orderedWindows()) {
    if (candidate != w) {
      front = candidate;
      break;
    }
  }
  if (!w->windowHandle()) w->winId();
  QRect over;
  if (front) {
    if (!front->windowHandle()) front->winId();
    // Belongs to the window it answers for: no task-bar entry of its own, kept above it.
    w->windowHandle()->setTransientParent(front->windowHandle());
    over = front->frameGeometry();
  } else {
    w->windowHandle()->setTransientParent(nullptr);
    if (QScreen* screen = QGuiApplication::primaryScreen()) over = screen->availableGeometry();
  }
  if (over.isValid()) {
    // move() places the frame, title bar included.
    QRect g = w->frameGeometry();
    g.moveCenter(over.center());
    w->move(g.topLeft());
  }
}

void JW_Alert::show() {
  mIsModal = true;
  platform::Window* w = window();
  auto keep = shared_from_this();  // alive until the session is over
  placeOverFrontWindow();
  platform::currentPresenter().runModal(*w);
}

void JW_Alert::showNonModal() {
  mIsModal = false;
  placeOverFrontWindow();
  platform::currentPresenter().present(*window(), true);
}

bool JW_Alert::closeRequested() {
  // Closing answers like the second button; an alert with one button answers with it; otherwise the user must
  // choose a button, and the request is refused. Either way a waiting session or worker is not left hanging.
  if (!oCancelButton->isHidden()) {
    cancelAction(window());
    return true;
  }
  if (oThirdButton->isHidden()) {
    okAction(window());
    return true;
  }
  return false;
}

void JW_Alert::showAndDismiss(double seconds) {
  showNonModal();
  auto keep = shared_from_this();
  platform::currentTimeSource()->schedule(seconds, [keep] {
    if (keep->isWindowLoaded() && keep->window()->isVisible()) platform::currentPresenter().dismiss(*keep->window());
  });
}

std::int64_t JW_Alert::blockingShow() {
  if (platform::isMainThread()) return kBlockingOnMainThread;
  auto keep = shared_from_this();
  platform::mainQueue().async([keep] { keep->show(); });
  return waitForButton();
}

std::int64_t JW_Alert::waitForButton() {
  mSemaphore.wait();
  return mResponse;
}

void JW_Alert::close() {
  if (isWindowLoaded()) {
    if (oHelpPopover && oHelpPopover->isVisible()) {
      oHelpPopover->setAnimates(false);
      oHelpPopover->closePopover();
    }
    platform::WindowController::close();
  }
  if (mIsModal && platform::modalWindow() == window()) platform::stopModal(0);
}

// --- buttons ---

void JW_Alert::finishButton(std::int64_t response, const ActionHandler& handler, QObject* sender, bool stopsModal) {
  auto keep = shared_from_this();  // a block may let the alert go
  mResponse = response;
  if (handler) handler(sender);
  close();
  if (stopsModal && mIsModal && platform::modalWindow() == window()) platform::stopModal(0);
  mSemaphore.signal();
}

void JW_Alert::okAction(QObject* sender) { finishButton(kOkResponse, mOkHandler, sender, false); }
void JW_Alert::cancelAction(QObject* sender) { finishButton(kCancelResponse, mCancelHandler, sender, true); }
void JW_Alert::thirdAction(QObject* sender) { finishButton(kThirdResponse, mThirdHandler, sender, true); }

void JW_Alert::helpAction(QObject*) {
  if (mHelpText.isEmpty()) return;
  if (oHelpPopover->isVisible()) {
    oHelpPopover->closePopover();
    return;
  }
  oHelpTextField->setText(mHelpText);
  oHelpTextField->setFixedWidth(int(kHelpWidth) - 24);
  helpContentView_->adjustSize();
  const QSize size(int(kHelpWidth), helpContentView_->sizeHint().height());
  helpContentView_->resize(size);
  oHelpPopover->popoverWindow()->setContentSize({double(size.width()), double(size.height())});
  oHelpPopover->popoverWindow()->popoverWindowFrame()->placeContentView(
      helpContentView_, oHelpPopover->popoverWindow()->contentRectForFrameRect(
                            {{0, 0}, oHelpPopover->popoverWindow()->frame().size}));
  // Above the help button, its arrow on the middle of the button's top edge.
  const platform::Rect b = platform::boundsOf(oHelpButton);
  const platform::Point top = platform::convertPoint({b.midX(), b.maxY()}, oHelpButton, nullptr);
  oHelpPopover->displayPopoverInWindow(window(), top);
}
