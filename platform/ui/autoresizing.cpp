#include "platform/ui/autoresizing.h"

#include <QEvent>
#include <QResizeEvent>
#include <QVariant>

namespace platform {
namespace {

constexpr const char* kMaskProperty = "_vx_autoresizingMask";

// One axis: the leading margin, the size and the trailing margin share the change among their flexible ones.
void resizeAxis(double& lead, double& size, double oldParent, double newParent, bool leadFlex, bool sizeFlex,
                bool trailFlex) {
    const int flexible = int(leadFlex) + int(sizeFlex) + int(trailFlex);
    if (flexible == 0) return;
    const double share = (newParent - oldParent) / flexible;
    if (leadFlex) lead += share;
    if (sizeFlex) size += share;
}

// Follows the resizes of every parent it is installed on.
class ParentWatcher : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Resize || !watched->isWidgetType()) return false;
        const auto* resize = static_cast<QResizeEvent*>(event);
        const QSize oldSize = resize->oldSize();
        if (!oldSize.isValid()) return false;  // the first size a widget gets is no change
        const Size oldParent{double(oldSize.width()), double(oldSize.height())};
        const Size newParent{double(resize->size().width()), double(resize->size().height())};
        for (QObject* child : watched->children()) {
            if (!child->isWidgetType()) continue;
            const QVariant maskValue = child->property(kMaskProperty);
            if (!maskValue.isValid()) continue;  // never given a mask: left to its own code
            const unsigned mask = maskValue.toUInt();
            auto* view = static_cast<QWidget*>(child);
            // y-up frame against the old parent height, so that the bottom margin is the one it had.
            const QRect g = view->geometry();
            const Rect frame{double(g.x()), oldParent.height - g.y() - g.height(), double(g.width()),
                             double(g.height())};
            const Rect next = autoresizedFrame(frame, mask, oldParent, newParent);
            view->setGeometry(qRound(next.x()), qRound(newParent.height - next.y() - next.height()),
                              qRound(next.width()), qRound(next.height()));
        }
        return false;
    }
};

ParentWatcher& watcher() {
    static ParentWatcher instance;
    return instance;
}

}  // namespace

Rect autoresizedFrame(const Rect& frame, unsigned mask, Size oldParent, Size newParent) {
    double x = frame.x(), y = frame.y(), w = frame.width(), h = frame.height();
    resizeAxis(x, w, oldParent.width, newParent.width, mask & ViewMinXMargin, mask & ViewWidthSizable,
               mask & ViewMaxXMargin);
    resizeAxis(y, h, oldParent.height, newParent.height, mask & ViewMinYMargin, mask & ViewHeightSizable,
               mask & ViewMaxYMargin);
    return {x, y, w, h};
}

void setAutoresizingMask(QWidget* view, unsigned mask) {
    if (!view) return;
    view->setProperty(kMaskProperty, mask);
    if (QWidget* parent = view->parentWidget()) parent->installEventFilter(&watcher());
}

unsigned autoresizingMask(const QWidget* view) { return view ? view->property(kMaskProperty).toUInt() : 0; }

}  // namespace platform
