// Download: the own inbox merged into the local tables by id, then emptied.
#include "CloudTestSupport.h"
#include "cloud/CloudStatus.h"
#include "store/Table.h"

#include <QElapsedTimer>
#include <QSet>
#include <QThread>
#include <gtest/gtest.h>

namespace {
const QString kA = QStringLiteral("LMKVL2FDjU63001"), kB = QStringLiteral("LMKVL2FDjU63002");

struct Unit1 : TestDevice {
    explicit Unit1(TestCompany& c) : TestDevice(c, 1)
    {
        OpenStore(g);
        Start();
    }
};

// Adds a local row with these values (synced stays unset, as for a locally made record).
void addLocal(Table& t, const QVariantMap& values)
{
    t.Append();
    for (auto it = values.begin(); it != values.end(); ++it)
        t.SetValue(it.key(), it.value());
    t.Post();
}

// Puts n parts into unit 1's inbox, "Deel 0" and on, with ids in the order of their numbers.
void addParts(TestCompany& company, int n)
{
    for (int i = 0; i < n; ++i)
        company.Insert("od1", {{"id", QStringLiteral("LMKVL2FDjU6%1").arg(i, 4, 10, QLatin1Char('0'))},
                               {"omschr", QStringLiteral("Deel %1").arg(i)}});
}

QVariantMap local(Table& t, const QString& id)
{
    QVariantMap m;
    if (!t.Locate("id", id))
        return m;
    for (const QString& c : t.Columns())
        m[c.toLower()] = t.Value(c);
    return m;
}
} // namespace

TEST(CloudDownload, MergesByIdMarksSyncedAndEmptiesTheInbox)
{
    TestCompany company(1);
    Unit1 dev(company);
    Table& og = dev.g.OpdrachtgeverTable();
    addLocal(og, {{"id", kA}, {"naam", "Oud"}, {"plaats", "Ergens"}});
    const int before = og.RecordCount();
    company.Insert("og1", SampleRow(CloudKind::Clients, kA, QString::fromUtf8("Nieuw ë")));
    company.Insert("og1", SampleRow(CloudKind::Clients, kB, "Ander"));

    dev.cloud->DownloadClick(CloudKind::Clients);
    EXPECT_EQ(dev.app.rec.sounds, QStringList{"pop.mp3"});
    EXPECT_EQ(og.RecordCount(), before + 1);
    const QVariantMap a = local(og, kA), b = local(og, kB);
    EXPECT_EQ(a["naam"].toString(), QString::fromUtf8("Nieuw ë-naam"));
    EXPECT_EQ(a["plaats"].toString(), QString::fromUtf8("Nieuw ë-plaats")); // the cloud wins every column
    EXPECT_EQ(b["naam"].toString(), "Ander-naam");
    EXPECT_DOUBLE_EQ(b["percob"].toDouble(), SampleRow(CloudKind::Clients, kB)["percob"].toDouble());
    EXPECT_TRUE(a["synced"].toBool());
    EXPECT_TRUE(b["synced"].toBool());
    EXPECT_EQ(company.Count("og1"), 0);

    // At once again: nothing waits, nothing changes.
    dev.app.rec.sounds.clear();
    dev.cloud->DownloadClick(CloudKind::Clients);
    EXPECT_EQ(dev.app.rec.sounds, QStringList{"nono.mp3"});
    EXPECT_EQ(og.RecordCount(), before + 1);
}

TEST(CloudDownload, ATicketKeepsItsLocalPhotos)
{
    TestCompany company(1);
    Unit1 dev(company);
    Table& bon = dev.g.BonTable();
    addLocal(bon, {{"id", kA}, {"bonnr", "1-20210001"}, {"foto1", "foto-1-20210001-1.jpg"}, {"numfoto", 1},
                   {"desc1", "Meterkast"}, {"handtekening", SamplePng()}});
    QVariantMap sent = SampleRow(CloudKind::Tickets, kA, "c");
    sent["foto1"] = "../../etc/passwd";
    sent["numfoto"] = 4;
    sent["handtekening"] = QVariant(); // the client's signature was removed there
    sent["handtekening2"] = QByteArray("GIF89a but no picture");
    company.Insert("kv1", sent);
    company.Insert("kv1", SampleRow(CloudKind::Tickets, kB, "n"));

    EXPECT_TRUE(dev.cloud->PullInbox(CloudKind::Tickets));
    const QVariantMap a = local(bon, kA), b = local(bon, kB);
    EXPECT_EQ(a["foto1"].toString(), "foto-1-20210001-1.jpg");
    EXPECT_EQ(a["numfoto"].toInt(), 1);
    EXPECT_EQ(a["desc1"].toString(), "Meterkast");
    EXPECT_EQ(a["bonnr"].toString(), "c-bonnr");
    EXPECT_TRUE(a["handtekening"].isNull() || a["handtekening"].toByteArray().isEmpty());
    EXPECT_TRUE(a["handtekening2"].isNull() || a["handtekening2"].toByteArray().isEmpty());
    EXPECT_TRUE(a["synced"].toBool());
    // A new ticket has no photos here.
    EXPECT_EQ(b["foto1"].toString(), "");
    EXPECT_EQ(b["numfoto"].toInt(), 0);
    EXPECT_EQ(b["handtekening2"].toByteArray(), SamplePng());
    EXPECT_EQ(b["numodd"].toInt(), SampleRow(CloudKind::Tickets, kB)["numodd"].toInt());
}

TEST(CloudDownload, AHostileRowCannotBreakTheDevice)
{
    TestCompany company(1);
    Unit1 dev(company);
    // The operator's columns may be wider than ours: a unit can write anything into them.
    company.Exec("ALTER TABLE `kv1` MODIFY `bonnr` TEXT, MODIFY `numodd` TEXT, MODIFY `aantal1` TEXT, "
                 "MODIFY `werk1` TEXT, MODIFY `email` TEXT");
    company.Insert("kv1", {{"id", kA}, {"bonnr", "../../kolvarn\\x/" + QString(50, 'n')}, {"numodd", "99999"},
                           {"aantal1", "1e30"}, {"werk1", "NaN"}, {"email", "a@b.nl\r\nBcc: x@y.nl"},
                           {"handtekening", QByteArray(5000, '\0')},
                           // A picture followed by megabytes: the server does not even send it.
                           {"handtekening2", SamplePng() + QByteArray(3 * 1024 * 1024, 'x')}});
    company.Insert("kv1", {{"id", "17"}, {"bonnr", "no proper id"}});
    company.Insert("kv1", {{"id", QString::fromUtf8("LMKVL2FDjU6300")}, {"bonnr", "too short"}});

    EXPECT_TRUE(dev.cloud->PullInbox(CloudKind::Tickets));
    Table& bon = dev.g.BonTable();
    EXPECT_EQ(bon.RecordCount(), 1); // the rows without an identifier are dropped
    const QVariantMap a = local(bon, kA);
    EXPECT_EQ(a["bonnr"].toString(), ".._.._kolvarn_x_nnnn");
    EXPECT_EQ(a["numodd"].toInt(), 13);
    EXPECT_EQ(a["aantal1"].toLongLong(), 2147483647);
    EXPECT_EQ(a["werk1"].toDouble(), 0);
    EXPECT_EQ(a["email"].toString(), "a@b.nl Bcc: x@y.nl");
    EXPECT_TRUE(a["handtekening"].isNull() || a["handtekening"].toByteArray().isEmpty());
    EXPECT_TRUE(a["handtekening2"].isNull() || a["handtekening2"].toByteArray().isEmpty());
    EXPECT_EQ(company.Count("kv1"), 0);
}

TEST(CloudDownload, NoInboxNoConnection)
{
    TestCompany company(1);
    {
        // Unit 5 has no inbox in a company of one unit: nothing came.
        TestDevice dev(company, 5);
        OpenStore(dev.g);
        dev.Start();
        dev.cloud->DownloadClick(CloudKind::Tickets);
        EXPECT_EQ(dev.app.rec.sounds, QStringList{"nono.mp3"});
    }
    {
        // No connection at all: the action ends without a word or a sound.
        TestDevice dev(company, 1);
        OpenStore(dev.g);
        dev.g.settings.cloud.ww = "wrong";
        dev.Start();
        company.Insert("og1", {{"id", kA}});
        dev.cloud->DownloadClick(CloudKind::Clients);
        EXPECT_TRUE(dev.app.rec.sounds.isEmpty());
        EXPECT_TRUE(dev.app.rec.messages.isEmpty());
        EXPECT_EQ(company.Count("og1"), 1);
    }
}

TEST(CloudDownload, ADroppedConnectionLosesNothing)
{
    TestCompany company(1);
    addParts(company, 80);
    Unit1 dev(company);
    dev.cloud->downloadBatch = 25;
    dev.cloud->RowMerged = [&](CloudKind, int n) {
        if (n != 30)
            return;
        // The server drops the device's session half-way through the second batch.
        const auto ids = company.admin().Query("SELECT `ID` FROM information_schema.PROCESSLIST WHERE `USER` = ?",
                                               {company.account});
        for (const CloudRow& r : ids)
            company.Exec("KILL CONNECTION " + QString::fromUtf8(*r[0]));
    };
    EXPECT_THROW(dev.cloud->PullInbox(CloudKind::Parts), CloudError);
    EXPECT_FALSE(dev.cloud->UniConnectionCloud.IsConnected());
    Table& od = dev.g.OnderdeelTable();
    // The first batch is stored and gone; the second is stored and still waiting too.
    EXPECT_EQ(od.RecordCount(), 50);
    EXPECT_EQ(company.Count("od1"), 55);

    dev.cloud->RowMerged = nullptr;
    EXPECT_TRUE(dev.cloud->PullInbox(CloudKind::Parts));
    EXPECT_EQ(company.Count("od1"), 0);
    QSet<QString> ids;
    for (od.First(); !od.Eof(); od.Next())
        ids.insert(od.AsString("id"));
    EXPECT_EQ(od.RecordCount(), 80);
    EXPECT_EQ(ids.size(), 80);
}

TEST(CloudDownload, ALocalFailureLeavesTheBatchInTheInbox)
{
    TestCompany company(1);
    addParts(company, 50);
    Unit1 dev(company);
    dev.cloud->downloadBatch = 25;
    // Rows the server has deleted, committed or not.
    auto deletedRows = [&company] {
        return company.admin().Query("SELECT `VARIABLE_VALUE` FROM information_schema.GLOBAL_STATUS "
                                     "WHERE `VARIABLE_NAME` = 'HANDLER_DELETE'").at(0).at(0)->toLongLong();
    };
    const qint64 before = deletedRows();
    qint64 deleted = -1;
    dev.cloud->RowMerged = [&](CloudKind, int n) {
        if (n != 50)
            return;
        // The second batch is stored but not yet committed here: once the server holds its
        // deletes too (uncommitted), the local store fails.
        QElapsedTimer t;
        t.start();
        while ((deleted = deletedRows() - before) < 50 && t.elapsed() < 5000)
            QThread::msleep(10);
        throw KVError("the disk is full");
    };
    EXPECT_THROW(dev.cloud->PullInbox(CloudKind::Parts), KVError);
    Table& od = dev.g.OnderdeelTable();
    // The first batch is stored and gone; the second was neither stored nor deleted.
    EXPECT_EQ(od.RecordCount(), 25);
    EXPECT_EQ(company.Count("od1"), 25) << "rows the server had deleted when the store failed: " << deleted;

    dev.cloud->RowMerged = nullptr;
    EXPECT_TRUE(dev.cloud->PullInbox(CloudKind::Parts));
    EXPECT_EQ(od.RecordCount(), 50);
    EXPECT_EQ(company.Count("od1"), 0);
}

// A delete that the server refuses fails on the thread that sends the deletes: the download ends
// with the server's error, the rows stay in the inbox, and the sync page's last error (kept in the
// local database, which only the interface thread may use) holds the server's own text.
TEST(CloudDownload, ARefusedDeleteIsReportedAndTheRowsStay)
{
    TestCompany company(1);
    addParts(company, 30);
    company.Exec(QStringLiteral("CREATE TRIGGER `keep_od1` BEFORE DELETE ON `od1` FOR EACH ROW "
                                "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'no deleting here'"));
    Unit1 dev(company);
    EXPECT_THROW(dev.cloud->PullInbox(CloudKind::Parts), CloudError);
    EXPECT_EQ(company.Count("od1"), 30);
    EXPECT_TRUE(dev.cloud->Status().LastError().detail.contains("no deleting here"))
        << dev.cloud->Status().LastError().detail.toStdString();

    // Once the server lets them go, the next download merges the same rows by id, once.
    company.Exec(QStringLiteral("DROP TRIGGER `keep_od1`"));
    EXPECT_TRUE(dev.cloud->PullInbox(CloudKind::Parts));
    EXPECT_EQ(dev.g.OnderdeelTable().RecordCount(), 30);
    EXPECT_EQ(company.Count("od1"), 0);
}

TEST(CloudDownload, LaterBatchesHoldAsManyRowsAsFitInTheByteBudget)
{
    struct Case {
        const char* name;
        qint64 budget;
        int inboxAtRow12; // what is still in the inbox when the 12th row is merged
    };
    // 12 parts, at most 10 per batch: the first batch takes 10; with room to spare the next
    // takes the other 2 at once, with rows larger than the budget one at a time.
    for (const Case c : {Case{"room to spare", 16 << 20, 2}, Case{"rows above the budget", 10, 1}}) {
        TestCompany company(1);
        addParts(company, 12);
        Unit1 dev(company);
        dev.cloud->downloadBatch = 10;
        dev.cloud->downloadBytes = c.budget;
        int inbox = -1;
        dev.cloud->RowMerged = [&](CloudKind, int n) {
            if (n == 12)
                inbox = company.Count("od1");
        };
        EXPECT_TRUE(dev.cloud->PullInbox(CloudKind::Parts)) << c.name;
        EXPECT_EQ(inbox, c.inboxAtRow12) << c.name;
        EXPECT_EQ(company.Count("od1"), 0) << c.name;
        EXPECT_EQ(dev.g.OnderdeelTable().RecordCount(), 12) << c.name;
    }
}
