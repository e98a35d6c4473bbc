#include "app/CommandLine.h"
#include "app/KVApplication.h"
#include "app/Log.h"
#include "app/TFMain.h"
#include "app/TerminationSignals.h"

// EnglishEdition is a compile-time constant of each executable.
static constexpr bool EnglishEdition = KV_ENGLISH_EDITION;

int main(int argc, char* argv[])
{
    const Edition edition = EnglishEdition ? Edition::English : Edition::Dutch;
    const CommandLineOptions options = ParseCommandLine(argc, argv, edition);
    KVApplication app(argc, argv);
    Log::Install(Log::DefaultFolder(), options.verbose);
    TFMain FMain(options.documentsFolder, edition);
    // Another program runs on this documents folder: it said so, and this one does not open.
    if (!FMain.Started())
        return 1;
    TerminationSignals closeOnSignal(FMain);
    FMain.PlaceOnScreen();
    FMain.show();
    qCInfo(logApp).noquote() << EditionInfo::ProductName(edition) << EditionInfo::Version() << "started on"
                             << FMain.global().DocumentsFolder();
    const int code = app.exec();
    qCInfo(logApp) << "ended";
    return code;
}
