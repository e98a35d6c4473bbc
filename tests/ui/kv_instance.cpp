// The program as the executable starts it, on the documents folder given as its argument, with
// the message seam writing to stdout: "message: <text>" for every message, then "open" once the
// window shows. Exits with 3 when the start-up refused the folder. Runs until it is killed.
#include "app/KVApplication.h"
#include "app/TFMain.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kv_instance <documents folder>\n");
        return 2;
    }
    KVApplication app(argc, argv);
    TFMain w(QString::fromLocal8Bit(argv[1]), Edition::Dutch, [](KVGlobal& g) {
        g.seams.showMessage = [](const QString& text) {
            std::printf("message: %s\n", text.toUtf8().constData());
            std::fflush(stdout);
        };
    });
    if (!w.Started())
        return 3;
    w.show();
    std::printf("open\n");
    std::fflush(stdout);
    return app.exec();
}
