// Upload: records pushed into the inboxes of the other active units.
#include "CloudTestSupport.h"

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
