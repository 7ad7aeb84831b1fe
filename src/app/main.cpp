// Quorvel: start-up. The data module comes first (it may connect and talk to
// the user before any window exists), then the main window, then the start
// menu inside it; the program ends when the main window closes.

#include "MainU.h"
#include "MenuU.h"
#include "QtUserPort.h"

#include "DataU.h"
#include "widgets/ErrorGuard.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(applicationTitle());

    QtUserPort port;
    TData data(QCoreApplication::applicationFilePath(), port);

    TfrmMain mainWindow(data, QCoreApplication::arguments().mid(1));
    mainWindow.showMaximized();
    new TfrmMenu(mainWindow); // owned by the main window's client area

    return QApplication::exec();
}
