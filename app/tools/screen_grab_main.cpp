// vorlaxent-screen-grab FILE: writes what the screen of the current display shows into FILE (a PNG), for looking
// at a real window under a virtual X server (scripts/run under xvfb-run).
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vorlaxent-screen-grab FILE.png\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) {
    std::fprintf(stderr, "vorlaxent-screen-grab: no screen\n");
    return 1;
  }
  const QPixmap shot = screen->grabWindow(0);
  if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "vorlaxent-screen-grab: cannot grab or write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
