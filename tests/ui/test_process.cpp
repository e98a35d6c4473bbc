#include "TestSupport.h"
#include "app/Log.h"
#include "app/TerminationSignals.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>

namespace {
// The program as a user starts it, offscreen, with its log in a folder of the test.
struct Program {
    explicit Program(const char* exe = KV_EXE_NL) : exe(QString::fromUtf8(exe))
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_STATE_HOME", state.path());
        process.setProcessEnvironment(env);
    }
    // Runs to the end; returns the exit code.
    int Run(const QStringList& args)
    {
        process.start(exe, args);
        process.waitForFinished(30000);
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    QString Out() { return QString::fromUtf8(process.readAllStandardOutput()); }
    QString Err() { return QString::fromUtf8(process.readAllStandardError()); }
    QString Log() const { return QString::fromUtf8(state.ReadFile("kolvarn/kolvarn.log")); }
    // Waits until the log says the window is up.
    bool WaitStarted()
    {
        if (!process.waitForStarted(10000))
            return false;
        for (int i = 0; i < 300 && process.state() == QProcess::Running; ++i) {
            if (Log().contains("started on"))
                return true;
            process.waitForFinished(100);
        }
        return false;
    }
    QString exe;
    TempDocs state;
    QProcess process;
};
} // namespace

TEST(CommandLine, HelpVersionAndWrongArgumentsNeedNoDisplay)
{
    struct Case { const char* exe; QStringList args; int code; const char* out; const char* err; };
    const QList<Case> cases = {
        {KV_EXE_NL, {"--help"}, 0, "--documents <folder>", ""},
        {KV_EXE_NL, {"--version"}, 0, "KolVarnPro 3.12", ""},
        {KV_EXE_EN, {"-v"}, 0, "TralVenorPro 3.12", ""},
        {KV_EXE_NL, {"--documents", "/no/such/folder"}, 2, "", "the folder '/no/such/folder' does not exist"},
        {KV_EXE_NL, {"--bogus"}, 2, "", "Unknown option 'bogus'"},
        {KV_EXE_NL, {"stray"}, 2, "", "unexpected argument 'stray'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        Program p(c.exe);
        QProcessEnvironment env = p.process.processEnvironment();
        env.remove("QT_QPA_PLATFORM");
        env.remove("DISPLAY");
        p.process.setProcessEnvironment(env);
        EXPECT_EQ(p.Run(c.args), c.code);
        EXPECT_TRUE(p.Out().contains(c.out));
        EXPECT_TRUE(p.Err().contains(c.err));
    }
}

// A logout (SIGTERM) or Ctrl+C (SIGINT) closes the window as its close button does: the close
// step writes the main settings into the chosen documents folder, and the program ends normally.
TEST(CommandLine, TerminationSignalRunsTheCloseStepOnTheChosenFolder)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        TempDocs docs;
        docs.InstallTemplateDatabase();
        Program p;
        p.process.start(p.exe, {"--documents", docs.path()});
        ASSERT_TRUE(p.WaitStarted()) << p.Err().toStdString();
        EXPECT_FALSE(QFile::exists(docs.file("kvrn.ini")));
        ::kill(p.process.processId(), signal);
        ASSERT_TRUE(p.process.waitForFinished(20000));
        EXPECT_EQ(p.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.process.exitCode(), 0);
        const QString ini = QString::fromUtf8(docs.ReadFile("kvrn.ini"));
        EXPECT_TRUE(ini.contains("[INST]") && ini.contains("[MAIL]")) << ini.toStdString();
        EXPECT_TRUE(p.Log().contains(QString("closing the window on signal %1").arg(signal)));
        EXPECT_TRUE(p.Log().contains("ended"));
    }
}

// The signal arrives while a question waits for its answer in a loop of its own: the question is
// answered "no", the window closes and the application's loop ends.
TEST(CommandLine, TerminationSignalDuringAQuestionAnswersNoAndCloses)
{
    struct Window : QWidget {
        bool closed = false;
        void closeEvent(QCloseEvent* e) override { closed = true; e->accept(); }
    } window;
    TerminationSignals closeOnSignal(window);
    window.show();
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(200, [] { ::raise(SIGTERM); });
        answer = QMessageBox::question(&window, "Kolvarn", "Delete record?");
    });
    QTimer::singleShot(10000, [] { qApp->exit(3); }); // a guard: the test fails instead of hanging
    EXPECT_EQ(qApp->exec(), 0);
    EXPECT_NE(answer, QMessageBox::Yes);
    EXPECT_TRUE(window.closed);
}

// With every account set and an unreachable cloud server, a whole run from start to close leaves a
// log that holds none of the passwords.
TEST(Log, NoPasswordReachesTheLog)
{
    TempDocs docs;
    docs.InstallTemplateDatabase();
    docs.WriteFile("kvrn.ini", "[MAIL]\nsmtp=127.0.0.1\nport=1\nuser=monteur\nww=Mail-Geheim-7\nstd=0\n"
                               "[CLOUD]\nuser=bedrijf\nww=Cloud-Geheim-8\nserver=127.0.0.1:1\n");
    Program p;
    p.process.start(p.exe, {"--documents", docs.path(), "--verbose"});
    ASSERT_TRUE(p.WaitStarted()) << p.Err().toStdString();
    ::kill(p.process.processId(), SIGTERM);
    ASSERT_TRUE(p.process.waitForFinished(20000));
    const QString everything = p.Log() + p.Err();
    EXPECT_TRUE(everything.contains("started on"));
    for (const char* secret : {"Mail-Geheim-7", "Cloud-Geheim-8"})
        EXPECT_FALSE(everything.contains(secret)) << secret;
    // The sync that could not reach its server says so, and why.
    EXPECT_TRUE(p.Log().contains("kolvarn.cloud")) << p.Log().toStdString();
}

// A database that does not open leaves a line with the file and the reason, besides the message
// on the screen (answered here by the logout that closes the window).
TEST(Log, ADatabaseThatDoesNotOpenLeavesItsReason)
{
    TempDocs docs;
    docs.WriteFile("kolvarn.db3", "not a database, but a text someone saved over it");
    Program p;
    p.process.start(p.exe, {"--documents", docs.path()});
    ASSERT_TRUE(p.process.waitForStarted(10000));
    for (int i = 0; i < 300 && !p.Log().contains("not opened"); ++i)
        p.process.waitForFinished(100);
    ::kill(p.process.processId(), SIGTERM);
    ASSERT_TRUE(p.process.waitForFinished(20000));
    const QString log = p.Log();
    EXPECT_TRUE(log.contains("kolvarn.store")) << log.toStdString();
    EXPECT_TRUE(log.contains(docs.file("kolvarn.db3") + " present but not opened: ")) << log.toStdString();
}

// Lines go to the file, a full file is rotated and only the last few are kept; a secret handed
// to the log is masked.
TEST(Log, FileIsCappedRotatedAndMasksSecrets)
{
    TempDocs folder;
    Log::Install(folder.path(), false, 4096);
    Log::AddSecret("Geheim-99");
    for (int i = 0; i < 400; ++i)
        qCInfo(logCloud) << "line" << i << "with Geheim-99 in it";
    Log::Uninstall();
    const QString current = QString::fromUtf8(folder.ReadFile("kolvarn.log"));
    EXPECT_TRUE(current.contains("kolvarn.cloud info: line 399 with *** in it"));
    EXPECT_LE(current.size(), 4096);
    for (const char* old : {"kolvarn.log.1", "kolvarn.log.2", "kolvarn.log.3"})
        EXPECT_TRUE(QFile::exists(folder.file(old))) << old;
    EXPECT_FALSE(QFile::exists(folder.file("kolvarn.log.4")));
    QString all = current;
    for (const char* old : {"kolvarn.log.1", "kolvarn.log.2", "kolvarn.log.3"})
        all += QString::fromUtf8(folder.ReadFile(old));
    EXPECT_FALSE(all.contains("Geheim-99"));
    EXPECT_EQ(QFileInfo(folder.file("kolvarn.log")).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
