#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vorlaxent");
    QApplication::setOrganizationName("Vorlaxent");
    QApplication::setApplicationVersion(VX_VERSION);

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);  // --version prints and exits here
    return 0;
}
