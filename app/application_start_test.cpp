// The command line: read before any window system is touched, so that --help and --version answer on a machine
// without a display; the window system's own options pass, anything else unknown is refused with the usage.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <string>
#include <vector>

#include "app/application_start.h"

namespace {

CommandLine parse(std::vector<std::string> args) {
  args.insert(args.begin(), "vorlaxent");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  return parseCommandLine(int(argv.size()), argv.data());
}

TEST(CommandLineTest, OptionsAreReadAsTheUsageSays) {
  using A = CommandLine::Action;
  struct Case {
    std::vector<std::string> args;
    A action;
    std::optional<std::string> ipAddress;
    bool connect;
  };
  const std::vector<Case> cases = {
      {{}, A::Run, std::nullopt, false},
      {{"--help"}, A::Help, std::nullopt, false},
      {{"-h"}, A::Help, std::nullopt, false},
      {{"--connect", "--version"}, A::Version, std::nullopt, true},
      {{"--ipAddress", "10.0.0.7", "--connect"}, A::Run, "10.0.0.7", true},
      {{"--ipAddress="}, A::Run, "", false},  // empty: discovery
      {{"-platform", "offscreen", "--connect"}, A::Run, std::nullopt, true},  // the window system's own
      {{"--style", "Fusion", "-reverse"}, A::Run, std::nullopt, false},
      {{"--ipAddress"}, A::Error, std::nullopt, false},
      {{"--saveFolder"}, A::Error, std::nullopt, false},
      {{"-platform"}, A::Error, std::nullopt, false},
      {{"--bogus"}, A::Error, std::nullopt, false},
      {{"stray"}, A::Error, std::nullopt, false},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const std::string& a : c.args) joined += a + " ";
    SCOPED_TRACE(joined);
    const CommandLine line = parse(c.args);
    EXPECT_EQ(line.action, c.action);
    if (c.action == A::Error) {
      EXPECT_FALSE(line.error.empty());
      continue;
    }
    EXPECT_EQ(line.ipAddress, c.ipAddress);
    EXPECT_EQ(line.connect, c.connect);
  }
  EXPECT_EQ(parse({"--saveFolder", "/tmp/x"}).saveFolder, std::optional<std::string>("/tmp/x"));
}

struct ProgramRun {
  int status;
  std::string out, err;
};

// The program with no display at all: a window system it touched would fail to connect.
ProgramRun runWithoutDisplay(const QStringList& args) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  env.insert("QT_QPA_PLATFORM", "xcb");
  process.setProcessEnvironment(env);
  process.start(QStringLiteral(VX_APP_BINARY), args);
  if (!process.waitForFinished(60000)) return {-1, "", "did not finish"};
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

TEST(CommandLineTest, TheProgramAnswersWithoutADisplay) {
  const ProgramRun help = runWithoutDisplay({"--help"});
  EXPECT_EQ(help.status, 0) << help.err;
  EXPECT_EQ(help.out.rfind("usage: vorlaxent", 0), 0u) << help.out;
  EXPECT_EQ(help.err, "");

  const ProgramRun version = runWithoutDisplay({"--version"});
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_EQ(version.out.rfind("vorlaxent ", 0), 0u) << version.out;

  const ProgramRun unknown = runWithoutDisplay({"--ipAddress", "127.0.0.1", "--frobnicate"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.out, "");
  EXPECT_NE(unknown.err.find("--frobnicate"), std::string::npos) << unknown.err;
  EXPECT_NE(unknown.err.find("usage: vorlaxent"), std::string::npos) << unknown.err;
}

}  // namespace
