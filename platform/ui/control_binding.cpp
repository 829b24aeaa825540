#include "platform/ui/control_binding.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QSignalBlocker>

namespace platform {

namespace {

constexpr const char* kBinding = "value";
constexpr const char* kHolderName = "vxValueBindings";

// Holds a control's bindings as its child, so that they end with it.
class BindingHolder : public QObject {
public:
    explicit BindingHolder(QWidget* control) : QObject(control) { setObjectName(kHolderName); }
    Bindings bindings;
};

BindingHolder* holderOf(const QWidget* control) {
    return control->findChild<BindingHolder*>(kHolderName, Qt::FindDirectChildrenOnly);
}

BindingHolder& ensureHolder(QWidget* control) {
    if (BindingHolder* h = holderOf(control)) return *h;
    return *new BindingHolder(control);
}

}  // namespace

void bindValue(QAbstractButton* button, BindingInfo info) {
    BindingHolder& holder = ensureHolder(button);
    // Connections of an earlier binding go with the holder's context; one user action writes once.
    QObject::disconnect(button, nullptr, &holder, nullptr);
    holder.bindings.bind(kBinding, std::move(info), [button](const Value& v) {
        const QSignalBlocker quiet(button);
        button->setChecked(v.toBool());
    });
    QObject::connect(button, &QAbstractButton::clicked, &holder, [button, &holder] {
        holder.bindings.propagateValue(Value(button->isChecked()), kBinding, "bindValue(button)");
    });
}

void bindValue(QLineEdit* field, BindingInfo info) {
    BindingHolder& holder = ensureHolder(field);
    QObject::disconnect(field, nullptr, &holder, nullptr);
    holder.bindings.bind(kBinding, std::move(info), [field](const Value& v) {
        const QSignalBlocker quiet(field);
        field->setText(QString::fromStdString(v.toString()));  // also clears the user's modified flag
    });
    QObject::connect(field, &QLineEdit::editingFinished, &holder, [field, &holder] {
        // Leaving a field the user did not change writes nothing.
        if (!field->isModified()) return;
        field->setModified(false);
        holder.bindings.propagateValue(Value(field->text().toStdString()), kBinding, "bindValue(field)");
    });
}

void unbindValue(QWidget* control) {
    if (BindingHolder* h = holderOf(control)) {
        QObject::disconnect(control, nullptr, h, nullptr);
        h->bindings.unbind(kBinding);
    }
}

std::optional<BindingInfo> valueBindingInfo(const QWidget* control) {
    BindingHolder* h = holderOf(control);
    return h ? h->bindings.infoForBinding(kBinding) : std::nullopt;
}

}  // namespace platform
