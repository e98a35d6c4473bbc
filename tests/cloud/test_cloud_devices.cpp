// Three devices of one company, each with its own documents folder, against one server: the
// office and two units.
#include "CloudTestSupport.h"
#include "cloud/CloudConflicts.h"
#include "cloud/CloudOutbox.h"
#include "store/Table.h"
#include "ticket/TicketOps.h"

#include <gtest/gtest.h>

namespace {
using Device = LinkedDevice;

// Every column that travels, as the local row holds it.
QVariantMap travelling(Table& t, const QString& id, CloudKind kind)
{
    QVariantMap m;
    EXPECT_TRUE(t.Locate("id", id));
    using K = CloudColumns::ValueKind;
    for (const CloudColumns::Column& c : CloudColumns::Columns(kind)) {
        if (!c.takenOver)
            continue;
        switch (c.kind) {
        case K::Text: m[c.name] = t.AsString(c.name); break;
        case K::Boolean: m[c.name] = t.AsBoolean(c.name); break;
        case K::Integer: m[c.name] = t.AsInteger(c.name); break;
        case K::Decimal: m[c.name] = t.AsFloat(c.name); break;
        case K::Image: m[c.name] = t.AsBytes(c.name); break;
        }
    }
    return m;
}

void expectSameRecord(const QVariantMap& a, const QVariantMap& b)
{
    for (auto it = a.begin(); it != a.end(); ++it) {
        // Same kinds on both sides: a plain comparison.
        EXPECT_EQ(it.value(), b.value(it.key())) << it.key().toStdString();
    }
}
} // namespace

TEST(CloudDevices, ASignedTicketAndAChangedClientReachEveryDevice)
{
    TestCompany company(2);
    Device office(company, 0), unit1(company, 1), unit2(company, 2);
    for (Device* d : {&office, &unit1, &unit2})
        ASSERT_EQ(d->g.SyncUnits, 2);

    // Unit 1 fills a ticket in every column, then signs it and stores it as the editor does.
    Table& bon1 = unit1.g.BonTable();
    NewBon(unit1.g);
    ASSERT_FALSE(FinishBon(unit1.g)); // unsigned: stored here only
    const QString id = unit1.g.bon.id;
    ASSERT_TRUE(bon1.Locate("id", id));
    const QVariantMap sample = SampleRow(CloudKind::Tickets, id, QString::fromUtf8("ë€"));
    bon1.Edit();
    for (auto it = sample.begin(); it != sample.end(); ++it)
        if (it.key() != QLatin1String("id") && it.key() != QLatin1String("bonnr"))
            bon1.SetValue(it.key(), it.value());
    bon1.SetString("foto1", "foto-1-20210001-134530.jpg");
    bon1.Post();
    ASSERT_TRUE(LoadBon(unit1.g, id).found);
    unit1.g.bon.ondertekend = true;
    EXPECT_EQ(company.Count("kv0") + company.Count("kv2"), 0);
    ASSERT_TRUE(FinishBon(unit1.g));
    EXPECT_EQ(unit1.app.rec.sounds, QStringList{"woosh.mp3"});
    EXPECT_EQ(company.Count("kv0"), 1);
    EXPECT_EQ(company.Count("kv2"), 1);
    EXPECT_EQ(company.Count("kv1"), 0);

    office.cloud->Timer1Timer();
    unit2.cloud->Timer1Timer();
    EXPECT_EQ(company.Count("kv0") + company.Count("kv2"), 0);
    const QVariantMap sent = travelling(bon1, id, CloudKind::Tickets);
    for (Device* d : {&office, &unit2}) {
        Table& bon = d->g.BonTable();
        expectSameRecord(sent, travelling(bon, id, CloudKind::Tickets));
        EXPECT_EQ(bon.AsString("foto1"), ""); // the photo stays on unit 1
        EXPECT_TRUE(bon.AsBoolean("synced"));
        EXPECT_EQ(d->app.rec.sounds, QStringList{"pop.mp3"});
        // Loaded there, it is the ticket unit 1 signed.
        ASSERT_TRUE(LoadBon(d->g, id).found);
        const TBon &mine = unit1.g.bon, &theirs = d->g.bon;
        EXPECT_EQ(theirs.bonnr, mine.bonnr);
        EXPECT_EQ(theirs.opdrachtgever, mine.opdrachtgever);
        EXPECT_EQ(theirs.werkzh, mine.werkzh);
        EXPECT_EQ(theirs.gebruikt[1].omschr, mine.gebruikt[1].omschr);
        EXPECT_EQ(theirs.werk[3], mine.werk[3]);
        EXPECT_TRUE(theirs.ondertekend);
        EXPECT_EQ(theirs.handtekening, mine.handtekening);
        EXPECT_EQ(theirs.numfoto, 0);
    }

    // The office changes a client; both units receive it and send nothing back.
    Table& og = office.g.OpdrachtgeverTable();
    og.Append();
    og.SetString("naam", QString::fromUtf8("Müller B.V."));
    og.SetFloat("uurprijswerk", 55.5);
    og.Post();
    const QString client = og.AsString("id");
    EXPECT_EQ(company.Count("og1") + company.Count("og2"), 2);
    og.Edit();
    og.SetString("plaats", "Utrecht");
    og.Post();
    EXPECT_EQ(company.Count("og1") + company.Count("og2"), 2);

    for (Device* d : {&unit1, &unit2}) {
        d->app.rec.sounds.clear();
        d->cloud->Timer1Timer();
        Table& local = d->g.OpdrachtgeverTable();
        expectSameRecord(travelling(og, client, CloudKind::Clients), travelling(local, client, CloudKind::Clients));
        EXPECT_EQ(local.AsString("plaats"), "Utrecht");
        EXPECT_TRUE(local.AsBoolean("synced"));
        EXPECT_EQ(d->app.rec.sounds, QStringList{"pop.mp3"});
    }
    EXPECT_EQ(company.Count("og0") + company.Count("og1") + company.Count("og2"), 0);
}

TEST(CloudDevices, ADayOfflineOnEveryDeviceEndsWithEveryChangeEverywhereAndTheConflictListed)
{
    TestCompany company(2);
    Device office(company, 0), unit1(company, 1), unit2(company, 2);
    // The office's part list reaches both units first.
    Table& parts0 = office.g.OnderdeelTable();
    parts0.Append();
    parts0.SetString("omschr", "Thermostaat");
    parts0.SetFloat("prijs", 80);
    parts0.Post();
    const QString part = parts0.AsString("id");
    for (Device* d : {&unit1, &unit2})
        d->cloud->Timer1Timer();

    for (Device* d : {&office, &unit1, &unit2})
        d->cloud->UniConnectionCloud.Disconnect();
    // The day: a new client everywhere, the part's price changed at the office and on unit 1,
    // a signed ticket on unit 2.
    office.StoreClient("Klant kantoor");
    unit1.StoreClient("Klant bus 1");
    unit2.StoreClient(QString::fromUtf8("Klant bus 2 ë"));
    const auto setPrice = [&](Device& d, double price) {
        Table& t = d.g.OnderdeelTable();
        ASSERT_TRUE(t.Locate("id", part));
        t.Edit();
        t.SetFloat("prijs", price);
        t.Post();
    };
    setPrice(office, 85);
    setPrice(unit1, 92.5);
    NewBon(unit2.g);
    unit2.g.bon.ondertekend = true;
    FinishBon(unit2.g);
    const QString ticket = unit2.g.bon.id;
    EXPECT_EQ(office.cloud->Outbox().Waiting(), 2);
    EXPECT_EQ(unit1.cloud->Outbox().Waiting(), 2);
    EXPECT_EQ(unit2.cloud->Outbox().Waiting(), 2);

    // Back, one after the other; a few periodic checks.
    for (int round = 0; round < 3; ++round)
        for (Device* d : {&unit2, &office, &unit1})
            d->cloud->Timer1Timer();

    const QStringList clients{QString::fromUtf8("Klant bus 1"), QString::fromUtf8("Klant bus 2 ë"), "Klant kantoor"};
    for (Device* d : {&office, &unit1, &unit2}) {
        SCOPED_TRACE(d->g.OwnUnit());
        EXPECT_EQ(ClientNames(d->g), clients);
        EXPECT_EQ(d->cloud->Outbox().Waiting(), 0);
        EXPECT_TRUE(d->g.BonTable().Locate("id", ticket));
    }
    // The two prices met on the office and on unit 1: each holds the other's and keeps its own.
    const auto prices = [&](Device& d) {
        QStringList seen;
        Table& t = d.g.OnderdeelTable();
        for (t.First(); !t.Eof(); t.Next())
            seen << t.AsString("omschr") + " " + QString::number(t.AsFloat("prijs"));
        seen.sort();
        return seen;
    };
    const QString mark = CloudConflicts::Mark();
    EXPECT_EQ(prices(office), QStringList({"Thermostaat" + mark + " 85", "Thermostaat 92.5"}));
    EXPECT_EQ(prices(unit1), QStringList({"Thermostaat" + mark + " 92.5", "Thermostaat 85"}));
    EXPECT_EQ(office.cloud->Conflicts().Count(), 1);
    EXPECT_EQ(unit1.cloud->Conflicts().Count(), 1);
    EXPECT_EQ(unit2.cloud->Conflicts().Count(), 0);
    EXPECT_EQ(prices(unit2).size(), 1);
}
