// Upload: records pushed into the inboxes of the other active units.
#include "CloudTestSupport.h"
#include "catalogue/CatalogueEvents.h"
#include "store/Table.h"
#include "ticket/TicketOps.h"

#include <gtest/gtest.h>

namespace {
KVCloud::RowSource fromMap(const QVariantMap& m)
{
    return [m](const QString& column) { return m.value(column); };
}
const QString kId = QStringLiteral("LMKVL2FDjU63001");
}

TEST(CloudUpload, FanOutSkipsTheOwnUnitAndInactiveSlots)
{
    TestCompany company(5);
    TestDevice dev(company, 2, {1, 2, 3, 5});
    dev.Start();
    ASSERT_EQ(dev.g.SyncUnits, 5);
    dev.g.SyncUnits = 3; // slot 5 lies beyond the units taking part
    dev.g.SyncDevs()[4].actief = false;
    const QVariantMap client = SampleRow(CloudKind::Clients, kId, "Jansen");
    dev.cloud->FanOut(CloudKind::Clients, fromMap(client));
    for (const auto& [table, rows] : {std::pair{"og0", 1}, {"og1", 1}, {"og2", 0}, {"og3", 1}, {"og4", 0}, {"og5", 0}})
        EXPECT_EQ(company.Count(table), rows) << table;
    EXPECT_EQ(company.Count("kv0") + company.Count("od0"), 0);

    // Every column arrives with its value.
    QStringList names;
    for (const auto& c : CloudColumns::Columns(CloudKind::Clients))
        names << c.name;
    const QVariantMap got = company.Rows("og3", names).at(0);
    for (const auto& c : CloudColumns::Columns(CloudKind::Clients)) {
        const QVariant want = client[c.name];
        if (c.kind == CloudColumns::ValueKind::Text)
            EXPECT_EQ(got[c.name].toString(), want.toString()) << c.name.toStdString();
        else
            EXPECT_EQ(got[c.name].toDouble(), want.toDouble()) << c.name.toStdString();
    }
}

TEST(CloudUpload, TheOfficeNeverWritesToItsOwnInboxAndAtMostTenUnitsTakePart)
{
    TestCompany company(11);
    TestDevice dev(company, 0);
    for (auto& slot : dev.g.SyncDevs())
        slot.actief = true;
    dev.Start();
    EXPECT_EQ(dev.g.SyncUnits, 11);
    dev.cloud->FanOut(CloudKind::Parts, fromMap(SampleRow(CloudKind::Parts, kId)));
    EXPECT_EQ(company.Count("od0"), 0);
    for (int n = 1; n <= 10; ++n)
        EXPECT_EQ(company.Count(QStringLiteral("od%1").arg(n)), 1) << n;
    EXPECT_EQ(company.Count("od11"), 0);
}

TEST(CloudUpload, APushUpdatesTheRowWithItsIdAndAddsNoOther)
{
    TestCompany company(1);
    TestDevice dev(company, 1);
    dev.Start();
    QVariantMap part = SampleRow(CloudKind::Parts, kId);
    // A record whose id differs only in letter case is another record.
    QVariantMap other = SampleRow(CloudKind::Parts, "LMKVL2FDJU63001", "other");
    dev.cloud->FanOut(CloudKind::Parts, fromMap(other));
    dev.cloud->FanOut(CloudKind::Parts, fromMap(part));
    part["omschr"] = QString::fromUtf8("Kraan ë €");
    part["prijs"] = 12.5;
    dev.cloud->FanOut(CloudKind::Parts, fromMap(part));
    const auto rows = company.Rows("od0", {"id", "omschr", "prijs"});
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0]["id"].toString(), "LMKVL2FDJU63001");
    EXPECT_EQ(rows[0]["omschr"].toString(), "other-omschr");
    EXPECT_EQ(rows[1]["omschr"].toString(), QString::fromUtf8("Kraan ë €"));
    EXPECT_EQ(rows[1]["prijs"].toDouble(), 12.5);
}

TEST(CloudUpload, ATicketCarriesItsImagesAndARemovedSignatureIsClearedThere)
{
    TestCompany company(1);
    TestDevice dev(company, 1);
    dev.Start();
    QVariantMap ticket = SampleRow(CloudKind::Tickets, kId);
    // Over-long local texts are cut to the cloud's columns instead of failing the push.
    ticket["bestelnr1"] = QString(45, 'b');
    dev.cloud->FanOut(CloudKind::Tickets, fromMap(ticket));
    auto rows = company.admin().Query("SELECT `handtekening`, `handtekening2`, `bestelnr1`, `foto1`, `numfoto` FROM `kv0`");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(*rows[0][0], ticket["handtekening"].toByteArray());
    EXPECT_EQ(*rows[0][1], ticket["handtekening2"].toByteArray());
    EXPECT_EQ(*rows[0][2], QByteArray(30, 'b'));
    EXPECT_EQ(*rows[0][3], "x-foto1"); // photo names travel
    ticket["handtekening"] = QByteArray();
    dev.cloud->FanOut(CloudKind::Tickets, fromMap(ticket));
    rows = company.admin().Query("SELECT `handtekening`, `handtekening2` FROM `kv0`");
    EXPECT_FALSE(rows[0][0].has_value());
    EXPECT_TRUE(rows[0][1].has_value());
}

TEST(CloudUpload, AClosedConnectionStopsTheFanOutWithItsError)
{
    TestCompany company(2);
    TestDevice dev(company, 1, {2});
    dev.Start();
    dev.cloud->UniConnectionCloud.Disconnect();
    try {
        dev.cloud->FanOut(CloudKind::Clients, fromMap(SampleRow(CloudKind::Clients, kId)));
        FAIL() << "pushed without a connection";
    } catch (const KVAbort&) {
        FAIL() << "the error must reach the user";
    } catch (const KVError& e) {
        EXPECT_EQ(e.text(), "Connection is not connected");
    }
    EXPECT_EQ(company.Count("og0") + company.Count("og2"), 0);
    // With no unit to push to there is nothing to fail.
    dev.g.SyncDevs()[0].actief = dev.g.SyncDevs()[2].actief = false;
    EXPECT_NO_THROW(dev.cloud->FanOut(CloudKind::Clients, fromMap(SampleRow(CloudKind::Clients, kId))));
}

TEST(CloudUpload, AServerErrorEndsTheFanOutSilentlyAndKeepsWhatWasWritten)
{
    TestCompany company(3);
    TestDevice dev(company, 3, {1, 2});
    dev.Start();
    company.Exec("DROP TABLE `og1`");
    EXPECT_THROW(dev.cloud->FanOut(CloudKind::Clients, fromMap(SampleRow(CloudKind::Clients, kId))), CloudError);
    EXPECT_EQ(company.Count("og0"), 1);
    EXPECT_EQ(company.Count("og2"), 0);
    EXPECT_TRUE(dev.app.rec.messages.isEmpty());
    EXPECT_TRUE(dev.cloud->UniConnectionCloud.IsConnected());
}

// ---- with the local tables --------------------------------------------------------------

namespace {
// The client cursor's events as the client catalogue installs them: an edit clears synced, a
// store runs the upload rule.
void installClientEvents(KVGlobal& g)
{
    InstallCatalogueEvents(g, g.OpdrachtgeverTable(), "og");
}

void storeTicket(Table& bon, const QString& bonnr, bool signed_)
{
    if (!bon.Locate("bonnr", bonnr)) {
        bon.Append();
        bon.SetString("bonnr", bonnr);
    } else {
        bon.Edit();
    }
    bon.SetBoolean("ondertekend", signed_);
    bon.SetString("opdrachtgever", QString::fromUtf8("Bäcker & Zn"));
    bon.Post();
}
} // namespace

TEST(CloudUpload, ADownloadedClientIsNotSentBackUntilItIsEditedHere)
{
    TestCompany company(2);
    TestDevice dev(company, 1, {2});
    OpenStore(dev.g);
    dev.Start();
    installClientEvents(dev.g);
    company.Insert("og1", SampleRow(CloudKind::Clients, kId, "Jansen"));

    EXPECT_TRUE(dev.cloud->PullInbox(CloudKind::Clients));
    EXPECT_EQ(company.Count("og0") + company.Count("og2"), 0);
    EXPECT_TRUE(dev.app.rec.sounds.isEmpty());

    Table& og = dev.g.OpdrachtgeverTable();
    ASSERT_TRUE(og.Locate("id", kId));
    og.Edit();
    og.SetString("telnr", "0612345678");
    og.Post();
    EXPECT_EQ(dev.app.rec.sounds, QStringList{"woosh.mp3"});
    for (const char* table : {"og0", "og2"}) {
        const auto rows = company.Rows(table, {"id", "telnr", "naam"});
        ASSERT_EQ(rows.size(), 1) << table;
        EXPECT_EQ(rows[0]["telnr"].toString(), "0612345678");
        EXPECT_EQ(rows[0]["naam"].toString(), "Jansen-naam");
    }
    EXPECT_EQ(company.Count("og1"), 0);

    // A closed connection: the store itself is done, the error reaches the user.
    dev.cloud->UniConnectionCloud.Disconnect();
    og.Edit();
    og.SetString("telnr", "0699999999");
    EXPECT_THROW(og.Post(), KVError);
    ASSERT_TRUE(og.Locate("id", kId));
    EXPECT_EQ(og.AsString("telnr"), "0699999999");
    EXPECT_FALSE(og.AsBoolean("synced"));
}

TEST(CloudUpload, OnlyASignedTicketIsSentWhenStored)
{
    TestCompany company(2);
    TestDevice dev(company, 2, {1});
    OpenStore(dev.g);
    dev.Start();
    KVGlobal& g = dev.g;
    NewBon(g);
    g.bon.opdrachtgever = QString::fromUtf8("Bäcker & Zn");
    EXPECT_FALSE(FinishBon(g));
    EXPECT_FALSE(FinishBon(g));
    EXPECT_EQ(company.Count("kv0") + company.Count("kv1"), 0);
    EXPECT_TRUE(dev.app.rec.sounds.isEmpty());

    g.bon.ondertekend = true;
    EXPECT_TRUE(FinishBon(g));
    EXPECT_EQ(dev.app.rec.sounds, QStringList{"woosh.mp3"});
    const auto rows = company.Rows("kv1", {"id", "bonnr", "opdrachtgever", "ondertekend"});
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]["id"].toString(), g.bon.id);
    EXPECT_EQ(rows[0]["bonnr"].toString(), g.bon.bonnr);
    EXPECT_EQ(rows[0]["opdrachtgever"].toString(), QString::fromUtf8("Bäcker & Zn"));
    EXPECT_EQ(rows[0]["ondertekend"].toString(), "1");
    EXPECT_EQ(company.Count("kv0"), 1);
    EXPECT_EQ(company.Count("kv2"), 0);
    // Nothing changes locally.
    EXPECT_FALSE(g.BonTable().AsBoolean("synced"));

    // Without a complete account, even a signed ticket stays here.
    g.CloudSyncEnabled = false;
    NewBon(g);
    g.bon.ondertekend = true;
    EXPECT_FALSE(FinishBon(g));
    EXPECT_EQ(company.Count("kv1"), 1);
}

TEST(CloudUpload, TheManualUploadSendsEverySelectedTicket)
{
    TestCompany company(3);
    TestDevice dev(company, 1, {1, 3});
    OpenStore(dev.g);
    dev.Start();
    dev.g.CloudSyncEnabled = false; // not consulted by the manual upload
    Table& bon = dev.g.BonTable();
    for (const char* n : {"1-20210001", "1-20210002", "1-20210003", "1-20210004"})
        storeTicket(bon, QString::fromLatin1(n), false);
    dev.cloud->UniConnectionCloud.Disconnect(); // it connects by itself

    dev.cloud->UploadTickets(1, 3);
    EXPECT_EQ(dev.app.rec.sounds, QStringList({"woosh.mp3", "woosh.mp3", "woosh.mp3"}));
    for (const char* table : {"kv0", "kv3"}) {
        QStringList numbers;
        for (const QVariantMap& r : company.Rows(table, {"id", "bonnr"}))
            numbers << r["bonnr"].toString();
        numbers.sort();
        EXPECT_EQ(numbers, QStringList({"1-20210002", "1-20210003", "1-20210004"})) << table;
    }
    EXPECT_EQ(company.Count("kv1") + company.Count("kv2"), 0);

    // An empty range selects the first ticket and sends nothing.
    dev.app.rec.sounds.clear();
    dev.cloud->UploadTickets(2, 1);
    EXPECT_TRUE(dev.app.rec.sounds.isEmpty());
    EXPECT_EQ(bon.RecNo(), 2);
}

// The manual upload tells its progress after each ticket and once more at its end.
TEST(CloudUpload, TheManualUploadReportsItsProgress)
{
    TestCompany company(1);
    TestDevice dev(company, 1);
    OpenStore(dev.g);
    dev.Start();
    Table& bon = dev.g.BonTable();
    for (const char* n : {"1-20210001", "1-20210002", "1-20210003"})
        storeTicket(bon, QString::fromLatin1(n), false);
    QStringList reports;
    dev.cloud->Progress = [&](KVCloud::Transfer t, CloudKind kind, int done, int total) {
        EXPECT_EQ(t, KVCloud::Transfer::Upload);
        EXPECT_EQ(kind, CloudKind::Tickets);
        reports << QString("%1/%2").arg(done).arg(total);
    };
    dev.cloud->UploadTickets(0, 5); // past the end: the three there are
    EXPECT_EQ(reports, QStringList({"0/3", "1/3", "2/3", "3/3"}));
    EXPECT_EQ(company.Count("kv0"), 3);
}

TEST(CloudUpload, TheManualUploadStopsSilentlyWithoutAConnection)
{
    TestCompany company(1);
    TestDevice dev(company, 1);
    OpenStore(dev.g);
    dev.g.settings.cloud.ww = "wrong";
    dev.Start();
    storeTicket(dev.g.BonTable(), "1-20210001", true);
    dev.cloud->UploadTickets(0, 0);
    EXPECT_TRUE(dev.app.rec.sounds.isEmpty());
    EXPECT_TRUE(dev.app.rec.messages.isEmpty());
    EXPECT_EQ(company.Count("kv0"), 0);
}
