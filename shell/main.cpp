// egm2008-gui: the desktop program.
#include <QApplication>

#include <clocale>

#include "shell/egm2008_app.hpp"

namespace {
egm2008::CEGM2008App theApp;
}

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Qt takes the user's locale; numbers in fields and files are read and
    // written in the "C" locale whatever it is.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("egm2008"));
    QApplication::setDesktopFileName(QStringLiteral("egm2008"));
    theApp.InitInstance(QApplication::arguments());
    return 0;
}
