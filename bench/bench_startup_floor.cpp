// The floor of bench_startup: an empty Qt Widgets window of the main window's size, in a
// program that links Qt Widgets and nothing else, started and painted once.
#include "StartupReport.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(480, 800);
    StartupReport report(&window);
    window.show();
    return app.exec();
}
