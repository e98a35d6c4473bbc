#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <gtest/gtest.h>

TempDocs::TempDocs()
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

QString TempDocs::path() const { return m_dir.path() + QLatin1Char('/'); }

void TempDocs::InstallTemplateDatabase() const
{
    QFile schema(QStringLiteral(KV_SOURCE_DIR "/resources/schema.sql"));
    if (!schema.open(QIODevice::ReadOnly))
        throw std::runtime_error("schema.sql not found");
    const QString sql = QString::fromUtf8(schema.readAll());
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file(QStringLiteral("kolvarn.db3")));
        if (!db.open())
            throw std::runtime_error(db.lastError().text().toStdString());
        QString statement;
        for (const QString& line : sql.split(QLatin1Char('\n'))) {
            if (line.trimmed().startsWith(QLatin1String("--")))
                continue;
            statement += line + QLatin1Char('\n');
            if (line.trimmed().endsWith(QLatin1Char(';'))) {
                QSqlQuery q(db);
                if (!q.exec(statement))
                    throw std::runtime_error(q.lastError().text().toStdString());
                statement.clear();
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void TempDocs::InstallSounds() const
{
    for (const char* s : {"woosh.mp3", "pop.mp3", "nono.mp3"})
        QFile::copy(QStringLiteral(KV_SOURCE_DIR "/resources/sounds/") + QLatin1String(s), file(QLatin1String(s)));
}

void TempDocs::WriteFile(const QString& name, const QByteArray& content) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write test file");
    f.write(content);
}

QByteArray TempDocs::ReadFile(const QString& name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void SeamRecorder::Attach(KVGlobal& g)
{
    g.seams.showMessage = [this](const QString& t) { messages << t; };
    g.seams.confirm = [this](const QString& t) { confirmations << t; return confirmAnswer; };
    g.seams.playSound = [this](const QString& p) { sounds << QFileInfo(p).fileName(); };
    g.seams.now = [this]() { const QDateTime t = clock; clock = clock.addMSecs(clockStepMs); return t; };
    g.seams.runMailApp = [this](const QString& program, const QStringList& args) {
        mailAppCalls.append({program, args});
        return mailAppResult;
    };
    g.seams.openUrl = [this](const QUrl& u) { openedUrls << u; return true; };
    g.seams.installedDataFolder = [this] { return installedDataFolder; };
}

TestApp::TestApp(Edition edition, bool withDatabase)
{
    if (withDatabase)
        docs.InstallTemplateDatabase();
    docs.InstallSounds();
    g = std::make_unique<KVGlobal>(edition, docs.path());
    rec.Attach(*g);
}

QString RequiredEnv(const char* name)
{
    const QByteArray v = qgetenv(name);
    if (v.isEmpty())
        ADD_FAILURE() << name << " is not set: run the tests through the test command, which starts the servers";
    return QString::fromUtf8(v);
}
