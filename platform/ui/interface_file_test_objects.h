#pragma once
// Classes that the test interface files name: each records its awakeFromNib calls, with what it could see then.
#include <QLabel>
#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "platform/ui/interface_file.h"

namespace platform::interface_test {

inline std::vector<std::string>& awakeLog() {
    static std::vector<std::string> log;
    return log;
}

// A control of the file: records its name and its parent's name, which the form has set by then.
class AwakeProbe : public QWidget, public AwakeFromNib {
public:
    explicit AwakeProbe(QWidget* parent = nullptr) : QWidget(parent) {}
    void awakeFromNib() override {
        awakeLog().push_back(objectName().toStdString() + " in " +
                             (parentWidget() ? parentWidget()->objectName().toStdString() : std::string("none")));
    }
};

// A root class of its own: on waking it reads an outlet the form filled in.
class ProbePanel : public QWidget, public AwakeFromNib {
public:
    explicit ProbePanel(QWidget* parent = nullptr) : QWidget(parent) {}
    void awakeFromNib() override {
        auto* title = findChild<QLabel*>("oTitle");
        awakeLog().push_back("panel sees " + (title ? title->text().toStdString() : std::string("no title")));
    }
};

}  // namespace platform::interface_test
