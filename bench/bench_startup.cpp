// Start-up to the painted main page, as one process: the program starts on the documents
// folder given, builds the window and stops once the main page has been painted, printing the
// CPU time and the peak memory of the process at that moment (see StartupReport.h).
//
//   bench_startup <documents folder>
//
// bench/startup.sh makes the documents folders and runs it beside bench_startup_floor.
#include "StartupReport.h"
#include "app/KVApplication.h"
#include "app/TFMain.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_startup <documents folder>\n");
        return 2;
    }
    KVApplication app(argc, argv);
    // A message at start-up (a store that does not open) makes the figures meaningless.
    TFMain window(QString::fromLocal8Bit(argv[1]), Edition::Dutch, [](KVGlobal& g) {
        g.seams.showMessage = [](const QString& text) {
            std::fprintf(stderr, "message at start-up: %s\n", qPrintable(text));
            std::_Exit(1);
        };
    });
    StartupReport report(window.Page(QStringLiteral("TabItemMain")));
    window.show();
    return app.exec();
}
