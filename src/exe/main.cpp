#include "app/KVApplication.h"
#include "app/TFMain.h"

#include <QStandardPaths>

// EnglishEdition is a compile-time constant of each executable.
static constexpr bool EnglishEdition = KV_ENGLISH_EDITION;

int main(int argc, char* argv[])
{
    KVApplication app(argc, argv);
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    TFMain FMain(docs, EnglishEdition ? Edition::English : Edition::Dutch);
    // Another program runs on this documents folder: it said so, and this one does not open.
    if (!FMain.Started())
        return 1;
    FMain.show();
    return app.exec();
}
