// The server dies in the middle of a download and comes back: nothing is lost, nothing is
// doubled. This test kills the shared test server, so ctest runs it on its own (RUN_SERIAL).
#include "CloudTestSupport.h"
#include "store/Table.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTcpSocket>
#include <QThread>
#include <gtest/gtest.h>
#include <csignal>

namespace {
bool serverAnswers()
{
    QTcpSocket s;
    s.connectToHost(TestServer::Host(), quint16(TestServer::Port()));
    return s.waitForConnected(200);
}

void killServer()
{
    QFile pidFile(RequiredEnv("KV_TEST_MYSQL_PIDFILE"));
    ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
    const pid_t pid = pid_t(pidFile.readAll().trimmed().toLongLong());
    ASSERT_GT(pid, 0);
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    QElapsedTimer t;
    t.start();
    while (serverAnswers() && t.elapsed() < 20000)
        QThread::msleep(50);
    ASSERT_FALSE(serverAnswers());
}

void restartServer()
{
    const QStringList cmd = QProcess::splitCommand(RequiredEnv("KV_TEST_MYSQL_START"));
    ASSERT_FALSE(cmd.isEmpty());
    QProcess p;
    p.setProgram(cmd.first());
    p.setArguments(cmd.mid(1));
    // Detached, and holding none of this test's output channels.
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    ASSERT_TRUE(p.startDetached());
    QElapsedTimer t;
    t.start();
    for (;;) {
        CloudConnection probe;
        probe.SetServer(TestServer::Setting());
        probe.SetUsername(TestServer::AdminUser());
        probe.SetPassword(TestServer::AdminPassword());
        try {
            probe.Connect();
            return;
        } catch (const std::exception&) {
            ASSERT_LT(t.elapsed(), 60000) << "the server did not come back";
            QThread::msleep(100);
        }
    }
}
} // namespace

TEST(CloudFault, AServerKilledInTheMiddleOfADownloadLosesNoTicket)
{
    TestCompany company(1);
    {
        // The office sends 200 tickets to unit 1.
        TestDevice office(company, 0, {1});
        office.Start();
        for (int i = 0; i < 200; ++i) {
            const QVariantMap t = SampleRow(CloudKind::Tickets, QStringLiteral("LMKVL2FDjU6%1").arg(i, 4, 10, QLatin1Char('0')),
                                            QStringLiteral("t%1").arg(i));
            office.cloud->FanOut(CloudKind::Tickets, [&t](const QString& c) { return t.value(c); });
        }
    }
    ASSERT_EQ(company.Count("kv1"), 200);

    TestDevice unit(company, 1);
    OpenStore(unit.g);
    unit.Start();
    unit.cloud->downloadBatch = 50;
    bool killed = false;
    unit.cloud->RowMerged = [&](CloudKind, int n) {
        if (n == 120 && !killed) {
            killed = true;
            killServer();
        }
    };
    EXPECT_THROW(unit.cloud->PullInbox(CloudKind::Tickets), CloudError);
    ASSERT_TRUE(killed);
    EXPECT_FALSE(unit.cloud->UniConnectionCloud.IsConnected());
    Table& bon = unit.g.BonTable();
    EXPECT_EQ(bon.RecordCount(), 150); // the batch under way was finished locally

    restartServer();
    company.admin().Disconnect(); // its session died with the server
    EXPECT_EQ(company.Count("kv1"), 100); // two batches were deleted, the third is back

    unit.cloud->RowMerged = nullptr;
    unit.app.rec.sounds.clear();
    unit.cloud->DownloadClick(CloudKind::Tickets); // connects again by itself
    EXPECT_EQ(unit.app.rec.sounds, QStringList{"pop.mp3"});
    EXPECT_EQ(company.Count("kv1"), 0);
    QSet<QString> ids;
    for (bon.First(); !bon.Eof(); bon.Next()) {
        const QString id = bon.AsString("id");
        EXPECT_EQ(bon.AsString("bonnr"), "t" + QString::number(id.right(4).toInt()) + "-bonnr") << id.toStdString();
        ids.insert(id);
    }
    EXPECT_EQ(bon.RecordCount(), 200);
    EXPECT_EQ(ids.size(), 200);
}
