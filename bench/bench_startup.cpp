// Start-up to the painted main page, as one process: the program starts, reads the documents
// folder, builds the window and stops once the main page has been painted. It prints the CPU
// time (user + system) and the peak resident memory of the process at that moment, then ends
// without tearing down, so a timer of the whole process measures the same span.
//
//   bench_startup window <documents folder>   the program's own window
//   bench_startup floor                       an empty Qt Widgets window of the same size
//
// bench/startup.sh makes the documents folders and runs both side by side.
#include "app/KVApplication.h"
#include "app/TFMain.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/resource.h>

namespace {

// Reports the figures after the first paint of the watched widget has been handled.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* watched) { watched->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, [] { Report(); });
        }
        return false;
    }

private:
    [[noreturn]] static void Report()
    {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        const double cpu = double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
        std::printf("cpu_s %.4f peak_rss_kib %ld\n", cpu, u.ru_maxrss);
        std::fflush(stdout);
        std::_Exit(0);
    }
    bool m_seen = false;
};

int Usage()
{
    std::fprintf(stderr, "usage: bench_startup window <documents folder> | bench_startup floor\n");
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2)
        return Usage();
    const bool floor = std::strcmp(argv[1], "floor") == 0;
    if (!floor && (std::strcmp(argv[1], "window") != 0 || argc < 3))
        return Usage();
    const QString folder = floor ? QString() : QString::fromLocal8Bit(argv[2]);

    KVApplication app(argc, argv);
    std::unique_ptr<QWidget> window;
    QWidget* watched = nullptr;
    if (floor) {
        window = std::make_unique<QWidget>();
        window->resize(480, 800);
        watched = window.get();
    } else {
        // A message at start-up (a store that does not open) makes the figures meaningless.
        auto* main = new TFMain(folder, Edition::Dutch, [](KVGlobal& g) {
            g.seams.showMessage = [](const QString& text) {
                std::fprintf(stderr, "message at start-up: %s\n", qPrintable(text));
                std::_Exit(1);
            };
        });
        window.reset(main);
        watched = main->Page(QStringLiteral("TabItemMain"));
    }
    PaintWatch watch(watched);
    window->show();
    return app.exec();
}
