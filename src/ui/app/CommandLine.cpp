#include "CommandLine.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>

CommandLineOptions ParseCommandLine(int argc, char* argv[], Edition edition)
{
    // Qt's own options (-platform, -style, ...) are left to the application object.
    static const QStringList qtWithValue = {"-platform", "-platformpluginpath", "-platformtheme", "-plugin",
                                            "-style", "-stylesheet", "-session", "-display", "-geometry",
                                            "-qwindowgeometry", "-qwindowtitle", "-qwindowicon", "-name", "-title"};
    static const QStringList qtFlags = {"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"};
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (i > 0 && qtWithValue.contains(a)) {
            ++i;
            continue;
        }
        if (i > 0 && qtFlags.contains(a))
            continue;
        arguments << a;
    }
    const QString program = QFileInfo(arguments.value(0)).fileName();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        EditionInfo::ProductName(edition) +
        QStringLiteral(": job tickets for service mechanics, laid out as a one-page PDF, mailed and shared "
                       "with the office."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    parser.addOption(help);
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    parser.addOption(version);
    const QCommandLineOption documents(
        QStringLiteral("documents"),
        QStringLiteral("Works on the files in <folder> (database, settings, photos, PDFs) instead of the documents folder."),
        QStringLiteral("folder"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Writes the log to standard error too, with debug lines."));
    parser.addOption(documents);
    parser.addOption(verbose);
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(program), qPrintable(parser.errorText()));
        std::exit(2);
    }
    if (parser.isSet(help)) {
        std::printf("%s", qPrintable(parser.helpText().replace(QStringLiteral("<executable_name>"), program)));
        std::exit(0);
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qPrintable(EditionInfo::ProductName(edition)), qPrintable(EditionInfo::Version()));
        std::exit(0);
    }

    CommandLineOptions options;
    options.verbose = parser.isSet(verbose);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "%s: unexpected argument '%s'\n", qPrintable(program),
                     qPrintable(parser.positionalArguments().first()));
        std::exit(2);
    }
    if (parser.isSet(documents)) {
        const QFileInfo folder(parser.value(documents));
        if (!folder.isDir()) {
            std::fprintf(stderr, "%s: the folder '%s' does not exist\n", qPrintable(program),
                         qPrintable(parser.value(documents)));
            std::exit(2);
        }
        options.documentsFolder = folder.absoluteFilePath();
    } else {
        options.documentsFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }
    return options;
}
