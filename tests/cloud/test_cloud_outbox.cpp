// Offline work: what cannot be sent waits and goes out later, and a record changed on two units
// while apart keeps both versions until the user chooses.
#include "CloudTestSupport.h"
#include "cloud/CloudConflicts.h"
#include "cloud/CloudOutbox.h"
#include "cloud/CloudStatus.h"
#include "store/Table.h"
#include "ticket/TicketOps.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {
// A linked device that goes "offline" by dropping its connection (the push never connects) and
// comes back with its next periodic check.
struct Device : LinkedDevice {
    using LinkedDevice::LinkedDevice;
    void GoOffline() { cloud->UniConnectionCloud.Disconnect(); }
    void Tick() { cloud->Timer1Timer(); }
    QStringList Clients() { return ClientNames(g); }
    QString NameOf(const QString& id)
    {
        Table& t = g.OpdrachtgeverTable();
        return t.Locate("id", id) ? t.AsString("naam") : QStringLiteral("<none>");
    }
};

QStringList inboxNames(TestCompany& company, const QString& table)
{
    QStringList names;
    for (const QVariantMap& r : company.Rows(table, {"id", "naam"}))
        names << r["naam"].toString();
    names.sort();
    return names;
}

// A row written into an inbox by hand with the mariadb client, as a unit of an older version
// leaves it: the same table, the same columns.
void insertWithClient(TestCompany& company, const QString& sql)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("MYSQL_PWD", TestServer::AdminPassword());
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start("mariadb", {"--no-defaults", "--protocol=TCP", "-h", TestServer::Host(), "-P", QString::number(TestServer::Port()),
                        "-u", TestServer::AdminUser(), "--default-character-set=utf8mb4", company.account, "-e", sql});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
}
} // namespace

TEST(CloudOutbox, ARecordStoredAgainWhileWaitingGoesOutOnceWithItsLatestValues)
{
    TestCompany company(2);
    Device unit1(company, 1);
    unit1.GoOffline();
    const QString id = unit1.StoreClient("Jansen");
    unit1.StoreClient("Jansen BV", id);
    const QString part = [&] {
        Table& t = unit1.g.OnderdeelTable();
        t.Append();
        t.SetString("omschr", QString::fromUtf8("Kogelkraan ½\""));
        t.Post();
        return t.AsString("id");
    }();
    EXPECT_EQ(unit1.cloud->Outbox().Waiting(), 2);
    EXPECT_TRUE(unit1.app.rec.messages.isEmpty()); // waiting is no error for the user
    EXPECT_FALSE(unit1.app.rec.sounds.contains("woosh.mp3"));

    // A new cloud object on the same folder, as after a restart: the outbox is in the local store.
    unit1.cloud.reset();
    unit1.cloud = std::make_unique<KVCloud>(unit1.g);
    unit1.cloud->probePort = unit1.probe.serverPort();
    unit1.Start();
    EXPECT_EQ(unit1.cloud->Outbox().Waiting(), 2);

    unit1.Tick();
    EXPECT_EQ(unit1.cloud->Outbox().Waiting(), 0);
    EXPECT_TRUE(unit1.app.rec.sounds.contains("woosh.mp3"));
    for (const char* table : {"og0", "og2"})
        EXPECT_EQ(inboxNames(company, table), QStringList{"Jansen BV"}) << table;
    EXPECT_EQ(company.Count("od0") + company.Count("od2"), 2);
    EXPECT_EQ(company.Count("og1") + company.Count("od1"), 0); // never to the own unit
    EXPECT_TRUE(company.Rows("od2", {"id"}).value(0)["id"] == part);
    unit1.Tick();
    EXPECT_EQ(company.Count("og0"), 1);
}

TEST(CloudOutbox, AUnitWithoutItsInboxWaitsAloneAndTheSyncPageSaysWhy)
{
    TestCompany company(2);
    Device unit1(company, 1);
    unit1.Tick();
    EXPECT_TRUE(unit1.cloud->Status().LastExchange().at.isValid());
    EXPECT_FALSE(unit1.cloud->Status().LastError().at.isValid());

    company.Exec("RENAME TABLE `og2` TO `og2_away`");
    unit1.StoreClient("Jansen");
    EXPECT_EQ(company.Count("og0"), 1);          // the others have it at once
    EXPECT_EQ(unit1.cloud->Outbox().Waiting(), 1); // unit 2 waits
    const CloudStatus::Event error = unit1.cloud->Status().LastError();
    EXPECT_TRUE(error.at.isValid());
    EXPECT_TRUE(error.detail.startsWith("Een inbox ontbreekt op de server.")) << error.detail.toStdString();

    company.Exec("RENAME TABLE `og2_away` TO `og2`");
    unit1.Tick();
    EXPECT_EQ(unit1.cloud->Outbox().Waiting(), 0);
    EXPECT_EQ(company.Count("og2"), 1);
    EXPECT_EQ(company.Count("og0"), 1);
}

TEST(CloudOutbox, TwoUnitsThatChangedOneClientApartEachKeepBothUntilOneChooses)
{
    TestCompany company(2);
    Device office(company, 0), unit1(company, 1), unit2(company, 2);
    const QString id = unit1.StoreClient("Jansen");
    unit2.Tick();
    office.Tick();
    ASSERT_EQ(unit2.NameOf(id), "Jansen");

    unit1.GoOffline();
    unit2.GoOffline();
    unit1.StoreClient("Jansen BV", id);
    unit2.StoreClient(QString::fromUtf8("Jansen & Zn ë"), id);
    unit1.Tick(); // back first: its version goes out
    unit2.Tick(); // finds it, keeps its own as a copy, and sends its own
    unit1.Tick(); // finds unit 2's, keeps its own as a copy

    const QString mark = CloudConflicts::Mark();
    EXPECT_EQ(unit1.NameOf(id), QString::fromUtf8("Jansen & Zn ë"));
    EXPECT_EQ(unit1.Clients(), QStringList({QString::fromUtf8("Jansen & Zn ë"), "Jansen BV" + mark}));
    EXPECT_EQ(unit2.NameOf(id), "Jansen BV");
    EXPECT_EQ(unit2.Clients(), QStringList({QString::fromUtf8("Jansen & Zn ë") + mark, "Jansen BV"}));
    for (Device* d : {&unit1, &unit2}) {
        EXPECT_EQ(d->cloud->Conflicts().Count(), 1);
        EXPECT_EQ(d->cloud->Outbox().Waiting(), 0);
    }
    // A copy never travels: only the record's id is in any inbox.
    for (const char* table : {"og0", "og1", "og2"})
        for (const QVariantMap& r : company.Rows(table, {"id"}))
            EXPECT_EQ(r["id"].toString(), id) << table;

    const QList<CloudConflict> list = unit1.cloud->Conflicts().List();
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].record, id);
    EXPECT_EQ(list[0].title, "Jansen BV");
    const QList<ConflictField> fields = unit1.cloud->Conflicts().Differences(list[0]);
    ASSERT_EQ(fields.size(), 1);
    EXPECT_EQ(fields[0].column, "naam");
    EXPECT_EQ(fields[0].mine, "Jansen BV");
    EXPECT_EQ(fields[0].theirs, QString::fromUtf8("Jansen & Zn ë"));

    // Unit 1 takes unit 2's version: unit 2's copy is then the same as what arrives, and goes.
    unit1.cloud->Conflicts().Resolve(list[0], ConflictChoice::KeepTheirs);
    for (int round = 0; round < 2; ++round)
        for (Device* d : {&unit2, &unit1, &office})
            d->Tick();
    for (Device* d : {&office, &unit1, &unit2}) {
        EXPECT_EQ(d->Clients(), QStringList{QString::fromUtf8("Jansen & Zn ë")}) << d->g.OwnUnit();
        EXPECT_EQ(d->cloud->Conflicts().Count(), 0) << d->g.OwnUnit();
        EXPECT_EQ(d->cloud->Outbox().Waiting(), 0) << d->g.OwnUnit();
    }
}

TEST(CloudOutbox, EachChoiceOfTheUserKeepsWhatItSaysAndSendsIt)
{
    struct Case {
        ConflictChoice choice;
        QStringList clients; // on the unit afterwards
        QStringList sent;    // in another unit's inbox afterwards
    };
    const Case cases[] = {
        {ConflictChoice::KeepMine, {"mine"}, {"mine"}},
        {ConflictChoice::KeepTheirs, {"theirs"}, {"theirs"}},
        {ConflictChoice::KeepBoth, {"mine", "theirs"}, {"mine", "theirs"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.choice));
        TestCompany company(2);
        Device unit1(company, 1);
        const QString id = unit1.StoreClient("first");
        unit1.GoOffline();
        unit1.StoreClient("mine", id);
        // Another unit's version arrives while this one waits.
        QVariantMap theirs = SampleRow(CloudKind::Clients, id);
        theirs["naam"] = "theirs";
        company.Insert("og1", theirs);
        unit1.Tick();
        ASSERT_EQ(unit1.cloud->Conflicts().Count(), 1);
        company.Exec("DELETE FROM `og2`");

        unit1.cloud->Conflicts().Resolve(unit1.cloud->Conflicts().List().value(0), c.choice);
        EXPECT_EQ(unit1.Clients(), c.clients);
        EXPECT_EQ(unit1.cloud->Conflicts().Count(), 0);
        EXPECT_EQ(unit1.cloud->Outbox().Waiting(), 0);
        EXPECT_EQ(inboxNames(company, "og2"), c.sent);
    }
}

TEST(CloudOutbox, ATicketSignedApartKeepsItsOwnVersionUnderItsMarkedNumber)
{
    TestCompany company(2);
    Device unit1(company, 1);
    unit1.GoOffline();
    NewBon(unit1.g);
    unit1.g.bon.ondertekend = true;
    FinishBon(unit1.g);
    const QString id = unit1.g.bon.id, number = unit1.g.bon.bonnr;
    ASSERT_EQ(unit1.cloud->Outbox().Waiting(), 1);

    const QVariantMap theirs = SampleRow(CloudKind::Tickets, id, "t");
    company.Insert("kv1", theirs);
    // The check that reconnects skips the tickets' inbox and sends first; the next one finds the
    // other version while this device's own is still settling.
    unit1.Tick();
    unit1.Tick();
    ASSERT_EQ(unit1.cloud->Conflicts().Count(), 1);
    Table& bon = unit1.g.BonTable();
    ASSERT_EQ(bon.RecordCount(), 2);
    ASSERT_TRUE(bon.Locate("id", id));
    EXPECT_EQ(bon.AsString("bonnr"), theirs["bonnr"].toString());
    ASSERT_TRUE(bon.Locate("bonnr", number + CloudConflicts::Mark()));
    EXPECT_TRUE(bon.AsBoolean("ondertekend"));
    // Only the record's id travels, with this device's number.
    for (const char* table : {"kv0", "kv2"}) {
        const QList<QVariantMap> rows = company.Rows(table, {"id", "bonnr"});
        ASSERT_EQ(rows.size(), 1) << table;
        EXPECT_EQ(rows[0]["id"].toString(), id);
        EXPECT_EQ(rows[0]["bonnr"].toString(), number);
    }

    unit1.cloud->Conflicts().Resolve(unit1.cloud->Conflicts().List().value(0), ConflictChoice::KeepMine);
    EXPECT_EQ(bon.RecordCount(), 1);
    ASSERT_TRUE(bon.Locate("id", id));
    EXPECT_EQ(bon.AsString("bonnr"), number);
}

TEST(CloudOutbox, RowsOfAnOlderUnitMergeAsBefore)
{
    TestCompany company(2);
    Device unit1(company, 1);
    const QString known = unit1.StoreClient("Jansen");
    company.Exec("DELETE FROM `og0`");
    company.Exec("DELETE FROM `og2`");

    insertWithClient(company, QStringLiteral("INSERT INTO og1 (id, naam, plaats, uurprijswerk, autocomp) VALUES "
                                             "('%1', 'Jansen BV', 'Zwolle', 52.5, 1), "
                                             "('LMKVL2FDjU60001', 'Bakkerij Müller', 'Köln', 48, 0)")
                                  .arg(known));
    unit1.cloud->DownloadClick(CloudKind::Clients);
    EXPECT_EQ(unit1.Clients(), QStringList({QString::fromUtf8("Bakkerij Müller"), "Jansen BV"}));
    Table& t = unit1.g.OpdrachtgeverTable();
    ASSERT_TRUE(t.Locate("id", "LMKVL2FDjU60001"));
    EXPECT_EQ(t.AsString("plaats"), QString::fromUtf8("Köln"));
    EXPECT_TRUE(t.AsBoolean("synced"));
    EXPECT_EQ(unit1.cloud->Conflicts().Count(), 0);
    EXPECT_EQ(unit1.cloud->Outbox().Waiting(), 0);
    EXPECT_EQ(company.Count("og1") + company.Count("og0") + company.Count("og2"), 0); // nothing sent back
}
