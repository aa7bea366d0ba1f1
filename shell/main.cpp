// egm2008-gui: the desktop program.
#include <QApplication>

#include "shell/egm2008_app.hpp"

namespace {
egm2008::CEGM2008App theApp;
}

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("egm2008"));
    QApplication::setDesktopFileName(QStringLiteral("egm2008"));
    theApp.InitInstance(QApplication::arguments());
    return 0;
}
