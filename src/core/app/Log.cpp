#include "Log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStringList>
#include <cstdio>

Q_LOGGING_CATEGORY(logApp, "kolvarn.app", QtInfoMsg)
Q_LOGGING_CATEGORY(logStore, "kolvarn.store", QtInfoMsg)
Q_LOGGING_CATEGORY(logSettings, "kolvarn.settings", QtInfoMsg)
Q_LOGGING_CATEGORY(logCloud, "kolvarn.cloud", QtInfoMsg)
Q_LOGGING_CATEGORY(logMail, "kolvarn.mail", QtInfoMsg)
Q_LOGGING_CATEGORY(logDocument, "kolvarn.document", QtInfoMsg)

namespace {
constexpr int kKeptFiles = 3;

struct LogState {
    QMutex mutex;
    QFile file;
    QString path;
    qint64 maxBytes = 0;
    bool verbose = false;
    QStringList secrets;
    QtMessageHandler previous = nullptr;
};

LogState& state()
{
    static LogState s;
    return s;
}

const char* levelName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg: return "debug";
    case QtInfoMsg: return "info";
    case QtWarningMsg: return "warning";
    case QtCriticalMsg: return "critical";
    case QtFatalMsg: return "fatal";
    }
    return "message";
}

// kolvarn.log -> .1 -> .2 -> .3; the oldest goes.
void rotate(LogState& s)
{
    s.file.close();
    QFile::remove(s.path + QStringLiteral(".%1").arg(kKeptFiles));
    for (int i = kKeptFiles - 1; i >= 1; --i)
        QFile::rename(s.path + QStringLiteral(".%1").arg(i), s.path + QStringLiteral(".%1").arg(i + 1));
    QFile::rename(s.path, s.path + QStringLiteral(".1"));
}

bool openFile(LogState& s)
{
    s.file.setFileName(s.path);
    if (!s.file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return false;
    s.file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

void handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    LogState& s = state();
    QString text = message;
    QByteArray line;
    {
        QMutexLocker lock(&s.mutex);
        for (const QString& secret : std::as_const(s.secrets))
            text.replace(secret, QStringLiteral("***"));
        const char* category = context.category ? context.category : "default";
        line = QStringLiteral("%1 %2 %3: %4\n")
                   .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs), QLatin1String(category),
                        QLatin1String(levelName(type)), text)
                   .toUtf8();
        if (s.file.isOpen()) {
            if (s.file.size() + line.size() > s.maxBytes) {
                rotate(s);
                openFile(s);
            }
            if (s.file.isOpen()) {
                s.file.write(line);
                s.file.flush();
            }
        }
    }
    if (s.verbose || !s.file.isOpen() || type == QtFatalMsg) {
        std::fputs(line.constData(), stderr);
        std::fflush(stderr);
    }
}
} // namespace

QString Log::DefaultFolder()
{
    QString base = QString::fromLocal8Bit(qgetenv("XDG_STATE_HOME"));
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/kolvarn/");
}

void Log::Install(const QString& folder, bool verbose, qint64 maxBytes)
{
    LogState& s = state();
    {
        QMutexLocker lock(&s.mutex);
        if (s.file.isOpen())
            s.file.close();
        s.verbose = verbose;
        s.maxBytes = std::max<qint64>(maxBytes, 4096);
        QString dir = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
        s.path = dir + QStringLiteral("kolvarn.log");
        if (QDir().mkpath(dir)) {
            QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            if (QFileInfo(s.path).size() > s.maxBytes)
                rotate(s);
            openFile(s);
        }
    }
    QLoggingCategory::setFilterRules(verbose ? QStringLiteral("kolvarn.*.debug=true") : QString());
    QtMessageHandler previous = qInstallMessageHandler(handler);
    if (previous != handler)
        s.previous = previous;
}

void Log::Uninstall()
{
    LogState& s = state();
    qInstallMessageHandler(s.previous);
    QMutexLocker lock(&s.mutex);
    s.file.close();
    s.path.clear();
    s.secrets.clear();
}

void Log::AddSecret(const QString& secret)
{
    if (secret.size() < 4)
        return;
    LogState& s = state();
    QMutexLocker lock(&s.mutex);
    if (!s.secrets.contains(secret))
        s.secrets << secret;
}

QString Log::FilePath()
{
    LogState& s = state();
    QMutexLocker lock(&s.mutex);
    return s.path;
}
