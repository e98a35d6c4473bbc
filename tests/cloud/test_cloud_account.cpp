// The company account, the connection to its database, the count of units and the
// connection test, against the MariaDB server of the test command.
#include "CloudTestSupport.h"
#include "app/SettingsStore.h"

#include <gtest/gtest.h>

TEST(CloudAccount, NamesOfDatabaseAndUser)
{
    struct Case {
        const char* typed;
        const char* atStartUp;
        const char* prefixed;
    } cases[] = {
        {"acme", "kolvarnp_acme", "kolvarnp_acme"},
        {"qurimsa_acme", "kolvarnp_acme", "kolvarnp_acme"},
        {"kolvarnp_acme", "kolvarnp_acme", "kolvarnp_kolvarnp_acme"},
        {"xqurimsa_y", "kolvarnp_xqurimsa_y", "kolvarnp_xqurimsa_y"},
    };
    for (const Case& c : cases) {
        const QString user = NormaliseCloudUser(QString::fromLatin1(c.typed));
        EXPECT_EQ(KVCloud::AccountName(user), c.atStartUp) << c.typed;
        EXPECT_EQ(KVCloud::PrefixedAccountName(user), c.prefixed) << c.typed;
    }
}

TEST(CloudAccount, ServerSettingMayCarryAPort)
{
    using P = std::pair<QString, int>;
    EXPECT_EQ(CloudConnection::SplitServer("db.example.org"), P("db.example.org", 3306));
    EXPECT_EQ(CloudConnection::SplitServer(" 127.0.0.1:4406 "), P("127.0.0.1", 4406));
    EXPECT_EQ(CloudConnection::SplitServer("host:0"), P("host:0", 3306));
    EXPECT_EQ(CloudConnection::SplitServer("host:x"), P("host:x", 3306));
    EXPECT_EQ(CloudConnection::SplitServer("[::1]:4406"), P("::1", 4406));
    EXPECT_EQ(CloudConnection::SplitServer("::1"), P("::1", 3306));
}

TEST(CloudAccount, StartUpConnectsAndCountsUnits)
{
    TestCompany company(3);
    TestDevice dev(company, 1);
    dev.Start();
    EXPECT_TRUE(dev.g.CloudSyncEnabled);
    EXPECT_TRUE(dev.cloud->UniConnectionCloud.IsConnected());
    EXPECT_EQ(dev.cloud->UniConnectionCloud.Database(), company.account);
    EXPECT_EQ(dev.g.SyncUnits, 3);
    EXPECT_TRUE(dev.app.rec.messages.isEmpty());
}

TEST(CloudAccount, StartUpFailuresAreSwallowed)
{
    TestCompany company(2);
    struct Case {
        QString user, ww, server;
        bool enabled;
    } cases[] = {
        {company.user, QStringLiteral("wrong"), TestServer::Setting(), true},
        // An empty server still counts as configured at start-up.
        {company.user, company.password, QString(), true},
        {QString(), company.password, TestServer::Setting(), false},
        // Nothing listens on port 1 of the loopback address.
        {company.user, company.password, QStringLiteral("127.0.0.1:1"), true},
    };
    for (const Case& c : cases) {
        TestDevice dev(company, 1);
        dev.g.settings.cloud = {c.user, c.ww, c.server};
        dev.g.SyncUnits = 7;
        dev.Start();
        EXPECT_EQ(dev.g.CloudSyncEnabled, c.enabled) << c.server.toStdString();
        EXPECT_FALSE(dev.cloud->UniConnectionCloud.IsConnected());
        EXPECT_EQ(dev.g.SyncUnits, 0);
        EXPECT_TRUE(dev.app.rec.messages.isEmpty());
    }
}

TEST(CloudAccount, TheStartUpNameHoldingThePrefixIsUsedAsItIs)
{
    TestCompany company(1);
    TestDevice dev(company, 1);
    dev.g.settings.cloud.user = company.account; // "kolvarnp_..." typed in full
    dev.Start();
    EXPECT_TRUE(dev.cloud->UniConnectionCloud.IsConnected());
    // The connection test always prefixes, so the same name fails there.
    dev.cloud->ConnectionTest();
    EXPECT_EQ(dev.app.rec.messages, QStringList{"Geen verbinding met server."});
}

TEST(CloudAccount, CountUnitsStopsAtTheFirstGap)
{
    TestCompany company(4);
    TestDevice dev(company, 1);
    dev.Start();
    EXPECT_EQ(dev.cloud->CountUnits(), 4);
    company.Exec("DROP TABLE `kv3`");
    EXPECT_EQ(dev.cloud->CountUnits(), 2); // kv1, kv2, kv4
    company.Exec("DROP TABLE `kv1`");
    EXPECT_EQ(dev.cloud->CountUnits(), 0);
    dev.cloud->UniConnectionCloud.Disconnect();
    EXPECT_EQ(dev.cloud->CountUnits(), 0);
}

TEST(CloudAccount, ConnectionTestReportsUnitsOrNoConnection)
{
    TestCompany company(2);
    TestDevice dev(company, 1);
    dev.g.CloudSyncEnabled = false;
    dev.cloud->TestConnection("qurimsa_" + company.user, company.password, TestServer::Setting());
    EXPECT_EQ(dev.app.rec.messages, QStringList{"Verbinding met server OK. Units: 2"});
    EXPECT_EQ(dev.g.SyncUnits, 2);
    EXPECT_EQ(dev.g.settings.cloud.user, company.user);
    EXPECT_FALSE(dev.g.CloudSyncEnabled); // the test changes the account in memory only
    EXPECT_FALSE(QFile::exists(dev.app.docs.file("kvrn.ini")));

    dev.app.rec.messages.clear();
    dev.cloud->TestConnection(company.user, "wrong", TestServer::Setting());
    EXPECT_EQ(dev.app.rec.messages, QStringList{"Geen verbinding met server."});
    EXPECT_FALSE(dev.cloud->UniConnectionCloud.IsConnected());
    EXPECT_EQ(dev.g.SyncUnits, 2); // kept until a test succeeds
}

TEST(CloudAccount, ApplyAccountSetsThePrefixedNameWithoutConnecting)
{
    TestCompany company(1);
    TestDevice dev(company, 1);
    dev.Start();
    ASSERT_TRUE(dev.cloud->UniConnectionCloud.IsConnected());
    for (const auto& [server, enabled] : {std::pair{TestServer::Setting(), true}, std::pair{QString(), false}}) {
        dev.g.settings.cloud = {"kolvarnp_acme", "pw", server};
        dev.cloud->ApplyAccount();
        EXPECT_EQ(dev.g.CloudSyncEnabled, enabled);
        EXPECT_EQ(dev.cloud->UniConnectionCloud.Database(), "kolvarnp_kolvarnp_acme");
        EXPECT_EQ(dev.cloud->UniConnectionCloud.Username(), "kolvarnp_kolvarnp_acme");
        // A changed account closes the open connection.
        EXPECT_FALSE(dev.cloud->UniConnectionCloud.IsConnected());
    }
}

TEST(CloudConnection, ErrorsGoThroughTheErrorEvent)
{
    TestCompany company(0);
    CloudConnection& c = company.admin();
    // Unset, an error reaches the user with its own text.
    try {
        c.Exec("SELECT * FROM `kv9`");
        FAIL() << "no error";
    } catch (const KVAbort&) {
        FAIL() << "silenced without an error event";
    } catch (const KVError& e) {
        EXPECT_TRUE(e.text().contains("kv9")) << e.text().toStdString();
    }
    QList<int> seen;
    c.OnError = [&](int code, const QString&) { seen << code; return false; };
    EXPECT_THROW(c.Exec("SELECT * FROM `kv9`"), CloudError);
    EXPECT_EQ(seen, QList<int>{1146}); // no such table
    // The connection survives a statement error.
    EXPECT_TRUE(c.IsConnected());
    EXPECT_EQ(company.Count("kv0"), 0);
}

TEST(CloudConnection, ValuesTravelAsBoundParameters)
{
    TestCompany company(0);
    CloudConnection& c = company.admin();
    const QString nasty = QString::fromUtf8("O'Brien \"; DROP TABLE og0; -- \\ ë € 😀");
    c.Exec("INSERT INTO `og0` (`id`, `naam`, `percob`, `autocomp`) VALUES (?, ?, ?, ?)",
           {"LMKVL2FDjU63001", nasty, 21.5, true});
    c.Exec("INSERT INTO `og0` (`id`, `naam`) VALUES (?, ?)", {"LMKVL2FDju63001", QVariant()});
    const auto rows = company.Rows("og0", {"id", "naam", "percob", "autocomp"});
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0]["naam"].toString(), nasty);
    EXPECT_EQ(rows[0]["percob"].toDouble(), 21.5);
    EXPECT_EQ(rows[0]["autocomp"].toString(), "1");
    EXPECT_FALSE(rows[1]["naam"].isValid());
    // Identifiers that differ in case only are different rows.
    EXPECT_EQ(c.Exec("UPDATE `og0` SET `naam` = ? WHERE `id` = ?", {"x", "LMKVL2FDju63001"}), 1u);
    // A large value arrives whole.
    const QByteArray big(3 * 1024 * 1024, 'z');
    c.Exec("INSERT INTO `kv0` (`id`, `handtekening`) VALUES (?, ?)", {"LMKVL2FDjU63002", big});
    const auto img = c.Query("SELECT `handtekening`, `numodd` FROM `kv0`");
    ASSERT_EQ(img.size(), 1u);
    EXPECT_EQ(*img[0][0], big);
    EXPECT_FALSE(img[0][1].has_value());
}

TEST(CloudProvisioning, RefusesNamesThatAreNotPlainWords)
{
    const QMap<QString, QString> pw{{"KV_CLOUD_PASSWORD", "x"}};
    for (const char* bad : {"a'b", "a b", "a;b", "", "a`b", "a.1", "a\\b"}) {
        QString out;
        EXPECT_EQ(RunProvision({"--company", QString::fromLatin1(bad), "--units", "1"}, &out, pw), 2) << bad;
    }
    QString out;
    EXPECT_EQ(RunProvision({"--company", "ok", "--units", "11111"}, &out, pw), 2);
    EXPECT_EQ(RunProvision({"--company", "ok", "--units", "1", "--account-host", "x'y"}, &out, pw), 2);
    EXPECT_EQ(RunProvision({"--company", "ok", "--units", "1"}, &out), 2) << "no password";
    // A password on the command line is refused before anything runs.
    EXPECT_EQ(RunProvision({"--company", "ok", "--units", "1", "--password", "x"}, &out, pw), 2);
    EXPECT_TRUE(out.contains("environment")) << out.toStdString();
}

TEST(CloudProvisioning, RunningAgainAddsUnitsAndKeepsRows)
{
    TestCompany company(1);
    company.Insert("og1", {{"id", "LMKVL2FDjU63001"}, {"naam", "Jansen"}});
    ASSERT_EQ(RunProvision({"--company", company.user, "--units", "3"}, nullptr, company.passwordEnv()), 0);
    TestDevice dev(company, 1);
    dev.Start();
    EXPECT_EQ(dev.g.SyncUnits, 3);
    EXPECT_EQ(company.Count("og1"), 1);
}
