#include "guitest/test_panel.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "engine/ptp/datasets.h"
#include "engine/ptp/response_code.h"
#include "engine/ptp/standard_operations.h"
#include "platform/ui/interface_file.h"
#include "session/command.h"
#include "ui_HarnessTestPanel.h"

VX_INTERFACE_FILE("HarnessTestPanel", Ui::HarnessTestPanel);

namespace guitest {

TestPanel::TestPanel(QWidget* parent) : QWidget(parent) {
  platform::loadInterfaceFile("HarnessTestPanel", this);
  oButton = findChild<QPushButton*>("oButton");
  oAnswer = findChild<QLabel*>("oAnswer");
  if (auto* swatch = findChild<QWidget*>("oSwatch")) {
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, kSwatchColour);
    swatch->setPalette(palette);
    swatch->setAutoFillBackground(true);
  }
  connect(oButton, &QPushButton::clicked, this, [this] { askCamera(); });
}

void TestPanel::askCamera() {
  ++presses_;
  auto model = std::make_shared<std::string>();
  CommandBlockArray commands;
  commands.emplace_back(
      [model] {
        DeviceInfoRecord info;
        const ResponseCode rc = ptpGetDeviceInfo(&info);
        if (rc == PTP_RC_OK) *model = std::string(info.model, strnlen(info.model, sizeof info.model));
        return int32_t{rc};
      },
      std::string("Asking the camera"));
  QPointer<TestPanel> self(this);
  Command::runCommands(std::move(commands), [self, model](int32_t result) {
    if (!self) return;
    char text[64];
    std::snprintf(text, sizeof text, "No answer (0x%04X)", static_cast<unsigned>(result));
    self->oAnswer->setText(result == PTP_RC_OK ? QString::fromStdString(*model) : QString::fromLatin1(text));
    emit self->answered();
  });
}

}  // namespace guitest
