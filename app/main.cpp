// The entry: reads the command line (answering --help and --version before any window system is touched), hands
// control to the platform's application object with the application delegate, and returns its status.
#include <QApplication>
#include <cstdio>

#include "app/application_start.h"
#include "app/windows/app_delegate.h"
#include "platform/foundation/allocator_tuning.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/files.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/application_shell.h"
#include "platform/ui/window.h"
#include "app/windows/connection_view_controller.h"

namespace {

// A first run has no save folder: this one is taken (and made), so that the start-up does not have to ask.
void useSaveFolderUnlessChosen(const std::string& folder) {
  platform::UserDefaults& defaults = platform::UserDefaults::standardUserDefaults();
  if (!defaults.dataForKey("SandboxBookmark").empty()) return;
  if (!platform::createFolder(folder)) {
    std::fprintf(stderr, "vorlaxent: cannot make the save folder %s\n", folder.c_str());
    return;
  }
  defaults.setData(platform::Data(folder.begin(), folder.end()), "SandboxBookmark");
  defaults.synchronize();
  std::printf("vorlaxent: pictures are saved in %s\n", folder.c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  platform::keepLargeAllocationsInProcess();
  const CommandLine line = parseCommandLine(argc, argv);
  switch (line.action) {
    case CommandLine::Action::Help:
      std::fputs(usageText().c_str(), stdout);
      return 0;
    case CommandLine::Action::Version:
      std::printf("vorlaxent %s\n", VX_VERSION);
      return 0;
    case CommandLine::Action::Error:
      std::fprintf(stderr, "vorlaxent: %s\n%s", line.error.c_str(), usageText().c_str());
      return 2;
    case CommandLine::Action::Run:
      break;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("Vorlaxent");
  QApplication::setOrganizationName("Vorlaxent");
  QApplication::setApplicationVersion(VX_VERSION);
  platform::prepareMainQueue();
  AppDelegate delegate;
  platform::Application application(&delegate);

  if (line.ipAddress) {
    // The device to use instead of discovering one; an empty address means discovery.
    platform::UserDefaults& defaults = platform::UserDefaults::standardUserDefaults();
    defaults.setString(QString::fromStdString(*line.ipAddress).trimmed().toStdString(), "ipAddress");
    if (!defaults.synchronize())
      std::fprintf(stderr, "vorlaxent: cannot store the address: %s\n", defaults.lastError().c_str());
  }
  if (line.saveFolder) useSaveFolderUnlessChosen(*line.saveFolder);
  // The main interface file: the menu, and the connection window, shown as the application starts.
  delegate.loadMainMenu();
  delegate.loadMainWindow();
  delegate.connectionWindowController()->showWindow();
  delegate.window()->makeKeyAndOrderFront();
  delegate.setConnectOnLaunch(line.connect);
  return application.run();
}
