// What protects the company's password and data on the way to the cloud: TLS when the server
// offers it or as the settings require it, logins that never hand over the password (a fake
// server asks for them), and the accounts of single units. Against the MariaDB server of the
// test command, which has a certificate of the test authority for 127.0.0.1.
#include "CloudTestSupport.h"
#include "store/Table.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

const QString kNoConnection = QStringLiteral("Geen verbinding met server.");
// The server's refusals of a table and of a column (ER_TABLEACCESS_DENIED_ERROR and
// ER_COLUMNACCESS_DENIED_ERROR).
constexpr int kTableDenied = 1142, kColumnDenied = 1143;

QString Cipher(CloudConnection& c)
{
    const auto rows = c.Query(QStringLiteral("SHOW STATUS LIKE 'Ssl_cipher'"));
    return rows.size() == 1 && rows[0][1] ? QString::fromUtf8(*rows[0][1]) : QString();
}

// tests/cloud/fake_mysql.py on a port of its own, for one test.
class FakeServer {
public:
    // plugin: the account's login method; greeting: the one the greeting names (empty: the same).
    explicit FakeServer(const QString& plugin, const QString& greeting = {})
    {
        QStringList args{QStringLiteral(KV_SOURCE_DIR "/tests/cloud/fake_mysql.py"), QStringLiteral("--log"), log(),
                         QStringLiteral("--plugin"), plugin};
        if (!greeting.isEmpty())
            args << QStringLiteral("--greeting") << greeting;
        m_process.start(QStringLiteral("/usr/bin/python3"), args);
        if (!m_process.waitForReadyRead(10000))
            ADD_FAILURE() << "the fake server did not start: " << m_process.readAllStandardError().toStdString();
        m_port = m_process.readLine().trimmed().toInt();
    }
    ~FakeServer()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    QString Setting() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    // The connections it has seen, each recorded once the client is gone.
    QList<QJsonObject> Connections(int atLeast = 1) const
    {
        QList<QJsonObject> seen;
        QElapsedTimer clock;
        clock.start();
        do {
            seen.clear();
            QFile f(log());
            if (f.open(QIODevice::ReadOnly)) {
                for (const QByteArray& line : f.readAll().split('\n'))
                    if (!line.isEmpty())
                        seen << QJsonDocument::fromJson(line).object();
            }
            if (seen.size() >= atLeast)
                break;
            QThread::msleep(20);
        } while (clock.elapsed() < 5000);
        return seen;
    }
    // Everything the clients sent, as one byte string.
    QByteArray Received() const
    {
        QByteArray all;
        for (const QJsonObject& c : Connections())
            for (const QJsonValue& p : c.value("packets").toArray())
                all += QByteArray::fromHex(p.toString().toLatin1());
        return all;
    }

private:
    QString log() const { return m_dir.filePath(QStringLiteral("connections.jsonl")); }
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};

} // namespace

TEST(CloudTls, TheSessionIsEncryptedWhenTheServerOffersIt)
{
    TestCompany company(1);
    TestDevice dev(company, 1);
    dev.Start(); // the default: TLS when offered, no certificate asked for
    ASSERT_TRUE(dev.cloud->UniConnectionCloud.IsConnected());
    EXPECT_FALSE(Cipher(dev.cloud->UniConnectionCloud).isEmpty());
}

TEST(CloudTls, RequiredTlsTrustsOnlyAVerifiedCertificate)
{
    TestCompany company(2);
    const QString ca = RequiredEnv("KV_TEST_TLS_CA");
    const QString certificate = QStringLiteral("Het certificaat van de server wordt niet vertrouwd of hoort niet bij deze server.");
    struct Case {
        const char* name;
        QString ca, server;
        QString why; // the second line of the failure; empty: connects
    } cases[] = {
        {"the test authority", ca, TestServer::Setting(), {}},
        {"a CA file in the documents folder", QStringLiteral("firma-ca.pem"), TestServer::Setting(), {}},
        {"another authority", RequiredEnv("KV_TEST_TLS_OTHER_CA"), TestServer::Setting(), certificate},
        {"the system's trust store", QString(), TestServer::Setting(), certificate},
        // The certificate names 127.0.0.1 only.
        {"another name of the host", ca, QStringLiteral("localhost:%1").arg(TestServer::Port()), certificate},
        {"a CA file that is not there", QStringLiteral("/nonexistent/ca.pem"), TestServer::Setting(),
         QStringLiteral("Het CA-bestand kan niet gelezen worden: /nonexistent/ca.pem")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDevice dev(company, 1);
        QFile::copy(ca, dev.app.docs.file("firma-ca.pem"));
        dev.g.settings.cloud.tlsRequired = true;
        dev.g.settings.cloud.ca = c.ca;
        dev.g.settings.cloud.server = c.server;

        // At start-up a refusal is as silent as an unreachable server.
        dev.Start();
        EXPECT_EQ(dev.cloud->UniConnectionCloud.IsConnected(), c.why.isEmpty());
        EXPECT_TRUE(dev.app.rec.messages.isEmpty());
        if (c.why.isEmpty()) {
            EXPECT_EQ(dev.g.SyncUnits, 2);
            EXPECT_FALSE(Cipher(dev.cloud->UniConnectionCloud).isEmpty());
        }

        // The connection test says why.
        dev.cloud->TestConnection(company.user, company.password, c.server);
        ASSERT_EQ(dev.app.rec.messages.size(), 1);
        const QString shown = dev.app.rec.messages[0];
        if (c.why.isEmpty()) {
            EXPECT_EQ(shown, "Verbinding met server OK. Units: 2");
        } else {
            EXPECT_TRUE(shown.startsWith(kNoConnection + QLatin1Char('\n') + c.why)) << shown.toStdString();
            EXPECT_FALSE(dev.cloud->UniConnectionCloud.IsConnected());
        }
    }
}

// Without a CA file the system's authorities decide; OpenSSL lets a test stand in for them.
TEST(CloudTls, WithoutACaFileTheSystemsAuthoritiesDecide)
{
    TestCompany company(1);
    const QByteArray old = qgetenv("SSL_CERT_FILE");
    qputenv("SSL_CERT_FILE", RequiredEnv("KV_TEST_TLS_CA").toUtf8());
    TestDevice dev(company, 1);
    dev.g.settings.cloud.tlsRequired = true;
    dev.Start();
    EXPECT_TRUE(dev.cloud->UniConnectionCloud.IsConnected());
    if (old.isEmpty())
        qunsetenv("SSL_CERT_FILE");
    else
        qputenv("SSL_CERT_FILE", old);
}

TEST(CloudTls, RequiredTlsLeavesAServerWithoutItBeforeSayingAWord)
{
    TestCompany company(1);
    FakeServer fake(QStringLiteral("mysql_native_password"));
    TestDevice dev(company, 1);
    dev.g.settings.cloud.tlsRequired = true;
    dev.cloud->TestConnection(company.user, company.password, fake.Setting());
    EXPECT_EQ(dev.app.rec.messages,
              QStringList{kNoConnection + QStringLiteral("\nDe server biedt geen versleutelde verbinding (TLS) aan.")});
    const QList<QJsonObject> seen = fake.Connections();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].value("ended").toString(), "closed before answering");
    EXPECT_TRUE(fake.Received().isEmpty()) << "not even the user name";
}

// A fake server asks for every login that would hand it the password, or a weak hash of it.
// The connection gives up when asked, and the password never leaves the device.
TEST(CloudLogin, NoPasswordReachesAServerThatAsksForIt)
{
    struct Case {
        const char* plugin;
        const char* greeting;
    } cases[] = {
        {"mysql_clear_password", "mysql_native_password"},
        {"mysql_clear_password", "mysql_clear_password"},
        {"dialog", "mysql_native_password"},
        {"caching_sha2_password", "caching_sha2_password"},
        {"sha256_password", "mysql_native_password"},
        {"mysql_old_password", "mysql_native_password"},
    };
    TestCompany company(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.plugin + std::string(" greeted as ") + c.greeting);
        FakeServer fake(QString::fromLatin1(c.plugin), QString::fromLatin1(c.greeting));
        TestDevice dev(company, 1);
        dev.g.settings.cloud.server = fake.Setting();
        dev.Start();
        EXPECT_FALSE(dev.cloud->UniConnectionCloud.IsConnected());
        EXPECT_TRUE(dev.app.rec.messages.isEmpty());
        dev.cloud->TestConnection(company.user, company.password, fake.Setting());
        EXPECT_EQ(dev.app.rec.messages,
                  QStringList{kNoConnection + QStringLiteral("\nDe server vraagt om een onveilige aanmelding; het "
                                                             "wachtwoord is niet verstuurd.")});

        const QList<QJsonObject> seen = fake.Connections(2);
        ASSERT_EQ(seen.size(), 2);
        for (const QJsonObject& s : seen) {
            EXPECT_EQ(s.value("ended").toString(), "closed when asked to switch");
            EXPECT_EQ(s.value("packets").toArray().size(), 1) << "an answer to the switch";
        }
        EXPECT_FALSE(fake.Received().contains(company.password.toUtf8()));
    }
}

// The ordinary challenge of MariaDB's default login is answered, and a refusal is no refusal
// of this side's: the connection test says no more than the plain message.
TEST(CloudLogin, TheChallengeOfTheDefaultLoginIsAnswered)
{
    TestCompany company(1);
    FakeServer fake(QStringLiteral("mysql_native_password"), QStringLiteral("caching_sha2_password"));
    TestDevice dev(company, 1);
    dev.cloud->TestConnection(company.user, company.password, fake.Setting());
    EXPECT_EQ(dev.app.rec.messages, QStringList{kNoConnection});
    const QList<QJsonObject> seen = fake.Connections();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].value("ended").toString(), "refused");
    EXPECT_EQ(seen[0].value("user").toString(), company.account);
    EXPECT_FALSE(fake.Received().contains(company.password.toUtf8()));
}

// ---- accounts of single units ----

namespace {
// A company with an account for each unit besides the shared one.
struct UnitCompany : TestCompany {
    explicit UnitCompany(int units) : TestCompany(units)
    {
        QMap<QString, QString> env = passwordEnv();
        for (int n = 0; n <= units; ++n)
            env[QStringLiteral("KV_UNIT_PASSWORD_%1").arg(n)] = UnitPassword(n);
        QString out;
        if (RunProvision({"--company", user, "--units", QString::number(units), "--unit-accounts"}, &out, env) != 0)
            ADD_FAILURE() << "unit accounts: " << out.toStdString();
    }
    static QString UnitPassword(int n) { return QStringLiteral("unit-%1-p\u00E4ss'\\").arg(n); }
    QString UnitUser(int n) const { return user + QLatin1Char('.') + QString::number(n); }
    // A device of unit n that signs in with its own account.
    std::unique_ptr<TestDevice> Device(int n, const QList<int>& active = {})
    {
        auto dev = std::make_unique<TestDevice>(*this, n, active);
        dev->g.settings.cloud.user = UnitUser(n);
        dev->g.settings.cloud.ww = UnitPassword(n);
        return dev;
    }
};

// Runs one statement on the connection; returns the server's error code, 0 when it ran.
int Refusal(CloudConnection& c, const QString& sql)
{
    try {
        c.Query(sql);
        return 0;
    } catch (const CloudError& e) {
        return e.code();
    }
}
} // namespace

TEST(CloudAccount, AUnitAccountNamesTheCompanysDatabase)
{
    struct Case {
        const char* account;
        const char* database;
    } cases[] = {
        {"kolvarnp_acme", "kolvarnp_acme"},
        {"kolvarnp_acme.3", "kolvarnp_acme"},
        {"kolvarnp_acme.10", "kolvarnp_acme"},
        {"kolvarnp_kolvarnp_acme.0", "kolvarnp_kolvarnp_acme"},
        // Only a full stop and a unit number make a unit's account.
        {"kolvarnp_acme.x", "kolvarnp_acme.x"},
        {"kolvarnp_acme.", "kolvarnp_acme."},
        {"kolvarnp_acme.12345", "kolvarnp_acme.12345"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KVCloud::DatabaseOf(QString::fromLatin1(c.account)), c.database) << c.account;
}

TEST(CloudUnitAccounts, UnitsShareRecordsThroughTheirOwnAccounts)
{
    UnitCompany company(2);
    auto office = company.Device(0);
    auto one = company.Device(1, {2});
    auto two = company.Device(2);
    for (auto* dev : {office.get(), one.get(), two.get()}) {
        OpenStore(dev->g);
        dev->Start();
        ASSERT_TRUE(dev->cloud->UniConnectionCloud.IsConnected());
        EXPECT_EQ(dev->cloud->UniConnectionCloud.Username(), company.account + "." + QString::number(dev->g.OwnUnit()));
        EXPECT_EQ(dev->cloud->UniConnectionCloud.Database(), company.account);
        EXPECT_EQ(dev->g.SyncUnits, 2) << "every inbox is listed";
    }

    // Unit 1 sends a client twice (the second time it updates the row it added).
    for (const char* naam : {"Jansen", "Jansen BV"}) {
        QVariantMap row = SampleRow(CloudKind::Clients, "LMKVL2FDjU63001");
        row["naam"] = naam;
        one->cloud->FanOut(CloudKind::Clients, [&](const QString& col) { return row.value(col); });
    }
    EXPECT_EQ(company.Count("og0"), 1);
    EXPECT_EQ(company.Count("og2"), 1);
    EXPECT_EQ(company.Rows("og2", {"naam"}).value(0).value("naam").toString(), "Jansen BV");

    // Each unit counts and empties its own inbox.
    EXPECT_EQ(two->cloud->InboxCount(CloudKind::Clients), 1);
    EXPECT_TRUE(two->cloud->PullInbox(CloudKind::Clients));
    EXPECT_TRUE(office->cloud->PullInbox(CloudKind::Clients));
    EXPECT_EQ(company.Count("og0"), 0);
    EXPECT_EQ(company.Count("og2"), 0);
    EXPECT_TRUE(two->g.OpdrachtgeverTable().Locate("id", "LMKVL2FDjU63001"));
}

TEST(CloudUnitAccounts, AUnitCannotReadOrEmptyAnotherUnitsInbox)
{
    UnitCompany company(2);
    company.Insert("kv2", {{"id", "LMKVL2FDjU63001"}, {"bonnr", "2-20200001"}, {"opm", "secret"}});
    company.Insert("kv1", {{"id", "LMKVL2FDjU63002"}, {"bonnr", "1-20200001"}});
    CloudConnection one;
    one.SetServer(TestServer::Setting());
    one.SetDatabase(company.account);
    one.SetUsername(company.account + ".1");
    one.SetPassword(UnitCompany::UnitPassword(1));
    one.OnError = [](int, const QString&) { return false; };
    one.Connect();

    // Another unit's inbox: no column but the identifier, and nothing removed.
    for (const char* sql : {"SELECT * FROM `kv2`", "SELECT `opm` FROM `kv2`", "SELECT COUNT(`opm`) FROM `kv2`",
                            "DELETE FROM `kv2`", "DELETE FROM `kv2` WHERE `id` = 'LMKVL2FDjU63001'",
                            "TRUNCATE TABLE `kv2`", "DROP TABLE `kv2`", "SELECT * FROM `kv0`", "DELETE FROM `og0`"}) {
        const int code = Refusal(one, QString::fromLatin1(sql));
        EXPECT_TRUE(code == kTableDenied || code == kColumnDenied) << sql << ": " << code;
    }
    EXPECT_EQ(company.Count("kv2"), 1);
    EXPECT_EQ(company.Rows("kv2", {"opm"}).value(0).value("opm").toString(), "secret");
    // Nor may it reach the company's other databases or make accounts.
    EXPECT_EQ(Refusal(one, "SELECT * FROM mysql.user"), kTableDenied);
    EXPECT_NE(Refusal(one, "CREATE TABLE `kv9` (id INT)"), 0);

    // Its own inbox: read and emptied.
    EXPECT_EQ(Refusal(one, "SELECT * FROM `kv1`"), 0);
    EXPECT_EQ(one.Exec("DELETE FROM `kv1`"), 1u);
}

TEST(CloudUnitAccounts, WithoutTheSharedAccountOnlyUnitsSignIn)
{
    UnitCompany company(1);
    QMap<QString, QString> env{{"KV_UNIT_PASSWORD_0", UnitCompany::UnitPassword(0)},
                               {"KV_UNIT_PASSWORD_1", UnitCompany::UnitPassword(1)}};
    ASSERT_EQ(RunProvision({"--company", company.user, "--units", "1", "--unit-accounts", "--no-shared-account"},
                           nullptr, env),
              0);
    TestDevice shared(company, 1);
    shared.Start();
    EXPECT_FALSE(shared.cloud->UniConnectionCloud.IsConnected());
    auto unit = company.Device(1);
    unit->Start();
    EXPECT_TRUE(unit->cloud->UniConnectionCloud.IsConnected());
    // More than the program's ten units cannot have accounts; a missing password stops it all.
    QString out;
    EXPECT_EQ(RunProvision({"--company", company.user, "--units", "11", "--unit-accounts"}, &out, env), 2);
    EXPECT_EQ(RunProvision({"--company", company.user, "--units", "2", "--unit-accounts", "--no-shared-account"}, &out, env),
              2);
    EXPECT_TRUE(out.contains("KV_UNIT_PASSWORD_2")) << out.toStdString();
}
