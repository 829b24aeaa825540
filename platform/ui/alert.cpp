#include "platform/ui/alert.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <QVariant>

#include "platform/ui/modal_session.h"
#include "platform/ui/presenter.h"
#include "platform/ui/window.h"

namespace platform {

namespace {

constexpr const char* kAlertProperty = "vxAlert";
constexpr double kWidth = 420;

}  // namespace

Alert::Alert() : window_(std::make_unique<Window>(false)) {
    window_->setProperty(kAlertProperty, QVariant::fromValue(static_cast<void*>(this)));
    QWidget* content = window_->contentView();
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(20, 16, 20, 16);
    column->setSpacing(8);
    auto* message = new QLabel(content);
    message->setObjectName("messageText");
    message->setWordWrap(true);
    QFont bold = message->font();
    bold.setBold(true);
    message->setFont(bold);
    auto* informative = new QLabel(content);
    informative->setObjectName("informativeText");
    informative->setWordWrap(true);
    informative->hide();
    auto* row = new QHBoxLayout();
    row->setObjectName("buttons");
    row->addStretch(1);
    column->addWidget(message);
    column->addWidget(informative);
    column->addSpacing(8);
    column->addLayout(row);
}

Alert::~Alert() = default;

Alert* Alert::alertOfWindow(const Window* window) {
    if (window == nullptr) return nullptr;
    return static_cast<Alert*>(window->property(kAlertProperty).value<void*>());
}

void Alert::setMessageText(const QString& text) {
    window_->contentView()->findChild<QLabel*>("messageText")->setText(text);
}

void Alert::setInformativeText(const QString& text) {
    auto* label = window_->contentView()->findChild<QLabel*>("informativeText");
    label->setText(text);
    label->setVisible(!text.isEmpty());
}

QString Alert::messageText() const { return window_->contentView()->findChild<QLabel*>("messageText")->text(); }
QString Alert::informativeText() const {
    return window_->contentView()->findChild<QLabel*>("informativeText")->text();
}

void Alert::setAccessoryView(QWidget* view) {
    if (view == accessory_) return;
    auto* column = static_cast<QVBoxLayout*>(window_->contentView()->layout());
    if (accessory_) {
        column->removeWidget(accessory_);
        delete accessory_;
    }
    accessory_ = view;
    if (!view) return;
    view->setParent(window_->contentView());
    view->setFixedSize(view->size());
    // Below the texts, above the gap before the buttons.
    column->insertWidget(2, view, 0, Qt::AlignLeft);
}

QWidget* Alert::accessoryView() const { return accessory_; }

QPushButton* Alert::addButtonWithTitle(const QString& title) {
    auto* row = window_->contentView()->findChild<QHBoxLayout*>("buttons");
    auto* button = new QPushButton(title, window_->contentView());
    const int response = NSAlertFirstButtonReturn + int(buttons_.size());
    QObject::connect(button, &QPushButton::clicked, button, [response] { stopModal(response); });
    // The first button is the default one and sits at the right end; later ones line up to its left.
    if (buttons_.empty()) {
        button->setDefault(true);
        row->addWidget(button);
    } else {
        row->insertWidget(1, button);
    }
    buttons_.push_back(button);
    return button;
}

int Alert::runModal() {
    // An alert always has a way out.
    if (buttons_.empty()) addButtonWithTitle(QStringLiteral("OK"));
    // Return presses the first button, Escape the one titled "Cancel" (when there is one).
    if (window_->findChildren<QShortcut*>().isEmpty()) {
        QPushButton* first = buttons_.front();
        for (QKeySequence key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
            QObject::connect(new QShortcut(key, window_.get()), &QShortcut::activated, first, &QPushButton::click);
        }
        for (QPushButton* button : buttons_) {
            if (button->text() != QLatin1String("Cancel")) continue;
            QObject::connect(new QShortcut(QKeySequence(Qt::Key_Escape), window_.get()), &QShortcut::activated,
                             button, &QPushButton::click);
            break;
        }
    }
    QWidget* content = window_->contentView();
    content->layout()->activate();
    const int height = content->layout()->heightForWidth(int(kWidth));
    window_->setContentSize({kWidth, double(height > 0 ? height : content->sizeHint().height())});
    if (accessory_) {
        accessory_->setFocus();
        if (auto* field = qobject_cast<QLineEdit*>(accessory_)) field->selectAll();
    }
    const int response = currentPresenter().runModal(*window_);
    window_->orderOut();
    return response;
}

std::optional<QString> runTextInputAlert(const QString& message, const QString& text) {
    Alert alert;
    alert.setMessageText(message);
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.addButtonWithTitle(QStringLiteral("Cancel"));
    auto* field = new QLineEdit(text);
    field->resize(kTextInputFieldWidth, kTextInputFieldHeight);
    alert.setAccessoryView(field);
    if (alert.runModal() != NSAlertFirstButtonReturn) return std::nullopt;
    return field->text();
}

}  // namespace platform
