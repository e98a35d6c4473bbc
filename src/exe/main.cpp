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
    FMain.show();
    return app.exec();
}
