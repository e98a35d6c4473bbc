#include "DataFiles.h"

#include "app/KVGlobal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
const QString kDatabase = QStringLiteral("kolvarn.db3");
const char* const kSounds[] = {"woosh.mp3", "pop.mp3", "nono.mp3"};

QString withSlash(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// Copies through a temporary file that is renamed only once every byte is on disk, so a full disk
// never leaves a truncated database that the next start would take for a damaged one.
bool copyWhole(const QString& from, const QString& to, QString* error)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = in.errorString();
        return false;
    }
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly)) {
        *error = out.errorString();
        return false;
    }
    const QByteArray bytes = in.readAll();
    if (out.write(bytes) != bytes.size() || !out.commit()) {
        *error = out.errorString();
        out.cancelWriting();
        return false;
    }
    return true;
}
} // namespace

QString InstalledDataFolder()
{
    const QString besideProgram =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/kolvarn"));
    for (const QString& folder : {besideProgram, QStringLiteral(KV_DATA_DIR)})
        if (!folder.isEmpty() && QFileInfo(folder + QLatin1Char('/') + kDatabase).isFile())
            return withSlash(folder);
    return {};
}

bool OfferInstalledDataFiles(KVGlobal& g, const QString& dataFolder)
{
    if (dataFolder.isEmpty() || QFileInfo::exists(g.DatabasePath()))
        return false;
    const QString data = withSlash(dataFolder);
    if (!QFileInfo(data + kDatabase).isFile())
        return false;
    const QString question =
        g.Translate(QStringLiteral("Er staat nog geen database in de documentenmap. Een lege database en de geluiden daar neerzetten?"));
    if (!g.seams.Confirm(question + QStringLiteral("\n") + g.DocumentsFolder()))
        return false;
    QString error;
    if (!QDir().mkpath(g.DocumentsFolder()) || !copyWhole(data + kDatabase, g.DatabasePath(), &error)) {
        g.seams.ShowMessage(QStringLiteral("Unable to write to %1").arg(g.DatabasePath()) +
                            (error.isEmpty() ? QString() : QStringLiteral(": ") + error));
        return false;
    }
    for (const char* sound : kSounds) {
        const QString name = QLatin1String(sound);
        if (!QFileInfo::exists(g.DocumentsFolder() + name) && QFileInfo(data + name).isFile())
            copyWhole(data + name, g.DocumentsFolder() + name, &error); // a missing sound only stays silent
    }
    return true;
}
