#include <QApplication>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    // Answered before any window system is touched, so that it works on a machine without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("vorlaxent %s\n", VX_VERSION);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vorlaxent");
    QApplication::setOrganizationName("Vorlaxent");
    QApplication::setApplicationVersion(VX_VERSION);
    return 0;
}
