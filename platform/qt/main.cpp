// The Linux program's entry point. Apart from the backend so that tests can
// link the backend and run the program's objects themselves.
#include <QApplication>

#include "platform/afxwin.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return AfxWinMain(QCoreApplication::applicationFilePath().toUtf8().toStdString());
}
