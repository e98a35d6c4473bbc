// The server dies in the middle of a download or of sending what waited, and comes back:
// nothing is lost, nothing is doubled. This test kills the shared test server, so ctest runs it
// on its own (RUN_SERIAL).
#include "CloudTestSupport.h"
#include "cloud/CloudOutbox.h"
#include "store/Table.h"
#include "ticket/TicketOps.h"

#include <QSet>
#include <gtest/gtest.h>

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
            KillServer();
        }
    };
    EXPECT_THROW(unit.cloud->PullInbox(CloudKind::Tickets), CloudError);
    ASSERT_TRUE(killed);
    EXPECT_FALSE(unit.cloud->UniConnectionCloud.IsConnected());
    Table& bon = unit.g.BonTable();
    EXPECT_EQ(bon.RecordCount(), 150); // the batch under way was finished locally

    RestartServer();
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


TEST(CloudFault, WorkStoredWhileTheServerIsDownReachesEveryUnitOnceItIsBack)
{
    TestCompany company(2);
    LinkedDevice unit1(company, 1);
    ASSERT_EQ(unit1.g.SyncUnits, 2);
    KillServer();

    // The session still looks open: each push meets the lost connection, and waits.
    EXPECT_NO_THROW(unit1.StoreClient(QString::fromUtf8("Bakkerij Müller")));
    EXPECT_NO_THROW(unit1.StoreClient("Garage Jansen"));
    NewBon(unit1.g);
    unit1.g.bon.ondertekend = true;
    EXPECT_NO_THROW(FinishBon(unit1.g));
    EXPECT_EQ(unit1.cloud->Outbox().Waiting(), 3);
    EXPECT_TRUE(unit1.app.rec.messages.isEmpty());
    EXPECT_FALSE(unit1.app.rec.sounds.contains("woosh.mp3"));

    RestartServer();
    company.admin().Disconnect(); // its session died with the server
    unit1.cloud->Timer1Timer();
    EXPECT_EQ(unit1.cloud->Outbox().Waiting(), 0);
    EXPECT_TRUE(unit1.app.rec.sounds.contains("woosh.mp3"));
    for (const char* table : {"og0", "og2"})
        EXPECT_EQ(company.Count(table), 2) << table;
    for (const char* table : {"kv0", "kv2"})
        EXPECT_EQ(company.Count(table), 1) << table;
    EXPECT_EQ(company.Count("og1") + company.Count("kv1"), 0);

    for (int unit : {0, 2}) {
        TestDevice other(company, unit, {1, 2});
        OpenStore(other.g);
        other.Start();
        other.cloud->DownloadClick(CloudKind::Clients);
        other.cloud->DownloadClick(CloudKind::Tickets);
        EXPECT_EQ(ClientNames(other.g), QStringList({QString::fromUtf8("Bakkerij Müller"), "Garage Jansen"})) << unit;
        EXPECT_EQ(other.g.BonTable().RecordCount(), 1) << unit;
    }
    // A later tick sends nothing again.
    unit1.cloud->Timer1Timer();
    EXPECT_EQ(company.Count("og0") + company.Count("kv2"), 0);
}

TEST(CloudFault, AServerKilledWhileWaitingRecordsAreSentLosesNoneAndDoublesNone)
{
    TestCompany company(2);
    LinkedDevice unit1(company, 1);
    unit1.cloud->UniConnectionCloud.Disconnect();
    QStringList stored;
    for (int i = 0; i < 30; ++i) {
        stored << QStringLiteral("client %1").arg(i, 2, 10, QLatin1Char('0'));
        unit1.StoreClient(stored.last());
    }
    ASSERT_EQ(unit1.cloud->Outbox().Waiting(), 30);

    int pushes = 0;
    unit1.cloud->Outbox().Delivered = [&](CloudKind, const QString&, int) {
        if (++pushes == 25)
            KillServer();
    };
    unit1.cloud->Timer1Timer(); // connects, then sends until the server dies
    ASSERT_GE(pushes, 25);
    const int left = unit1.cloud->Outbox().Waiting();
    EXPECT_GT(left, 0);
    EXPECT_LT(left, 30);

    RestartServer();
    company.admin().Disconnect();
    unit1.cloud->Outbox().Delivered = nullptr;
    unit1.cloud->Timer1Timer();
    EXPECT_EQ(unit1.cloud->Outbox().Waiting(), 0);

    for (int unit : {0, 2}) {
        EXPECT_EQ(company.Count(QStringLiteral("og%1").arg(unit)), 30) << unit;
        TestDevice other(company, unit, {1, 2});
        OpenStore(other.g);
        other.Start();
        other.cloud->DownloadClick(CloudKind::Clients);
        EXPECT_EQ(ClientNames(other.g), stored) << unit;
    }
}
