#pragma once
#include "app/KVGlobal.h"

#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <ostream>

// Lets GoogleTest print a QString as text in its failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// A temporary documents folder, removed at the end of the test.
class TempDocs {
public:
    TempDocs();
    QString path() const; // ends in "/"
    QString file(const QString& name) const { return path() + name; }
    // Creates kolvarn.db3 from the installed schema (the oldest form) in this folder.
    void InstallTemplateDatabase() const;
    // Copies the three sound files.
    void InstallSounds() const;
    void WriteFile(const QString& name, const QByteArray& content) const;
    QByteArray ReadFile(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

// Records what the core hands to its seams.
struct SeamRecorder {
    QStringList messages;
    QStringList sounds;      // file names only, without the folder
    QStringList confirmations;
    bool confirmAnswer = true;
    QDateTime clock = QDateTime(QDate(2021, 2, 15), QTime(13, 45, 30, 123));
    int clockStepMs = 0;     // added to the clock after every read
    struct MailAppCall { QString program; QStringList args; };
    QList<MailAppCall> mailAppCalls;
    int mailAppResult = 0;
    QList<QUrl> openedUrls;
    QString installedDataFolder; // none: the program runs from its build folder

    // Points every seam of g at this recorder.
    void Attach(KVGlobal& g);
};

// A KVGlobal on its own temporary documents folder with its seams recorded.
struct TestApp {
    explicit TestApp(Edition edition = Edition::Dutch, bool withDatabase = true);
    TempDocs docs;
    SeamRecorder rec;
    std::unique_ptr<KVGlobal> g;
};

// The environment variable, or a test failure when the test command did not set it.
QString RequiredEnv(const char* name);
