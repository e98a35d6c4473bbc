// Provisioning on a server whose SQL mode changes how text is quoted. The mode is the server's
// own (SET GLOBAL), so this program runs while no other test does.
#include "CloudTestSupport.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// The server's SQL mode for the sessions started while it lives; the old one comes back after.
class ServerSqlMode {
public:
    explicit ServerSqlMode(const QString& mode)
    {
        m_admin.SetServer(TestServer::Setting());
        m_admin.SetUsername(TestServer::AdminUser());
        m_admin.SetPassword(TestServer::AdminPassword());
        m_admin.Connect();
        m_old = QString::fromUtf8(*m_admin.Query(QStringLiteral("SELECT @@GLOBAL.sql_mode")).at(0).at(0));
        set(mode);
    }
    ~ServerSqlMode() { set(m_old); }
    CloudConnection& admin() { return m_admin; }

private:
    // A SET takes no parameters; a mode is a list of flag names.
    void set(const QString& mode)
    {
        static const QRegularExpression flags(QStringLiteral("^[A-Z_,]*$"));
        ASSERT_TRUE(flags.match(mode).hasMatch()) << mode.toStdString();
        m_admin.Exec(QStringLiteral("SET GLOBAL sql_mode = '%1'").arg(mode));
    }
    CloudConnection m_admin;
    QString m_old;
};

bool DatabaseExists(CloudConnection& admin, const QString& name)
{
    const auto rows = admin.Query(QStringLiteral("SELECT COUNT(*) FROM information_schema.SCHEMATA WHERE SCHEMA_NAME = ?"), {name});
    return rows.at(0).at(0)->toInt() == 1;
}

} // namespace

// Passwords written to break out of a quoted literal, one way for each way of quoting; had
// any of them become SQL, it would drop the canary database with administrator rights.
TEST(CloudProvisioning, NoPasswordBecomesSqlInAnyMode)
{
    const QString canary = QStringLiteral("kvcanary_%1").arg(QCoreApplication::applicationPid());
    const QString drop = QStringLiteral("; DROP DATABASE %1; -- ").arg(canary);
    const QStringList passwords{
        QStringLiteral("x\\'") + drop,        // backslash escapes off: the quote ends the literal
        QStringLiteral("x'") + drop,          // a plain quote
        QStringLiteral("x\"") + drop,         // double quotes, as ANSI_QUOTES reads them
        QStringLiteral("x\\") ,               // a backslash at the very end
        QStringLiteral("`x`; \u00EB\u20AC") + drop,
    };
    for (const char* mode : {"NO_BACKSLASH_ESCAPES", "ANSI_QUOTES", "NO_BACKSLASH_ESCAPES,ANSI_QUOTES,ORACLE"}) {
        SCOPED_TRACE(mode);
        ServerSqlMode sqlMode(QString::fromLatin1(mode));
        sqlMode.admin().Exec(QStringLiteral("CREATE DATABASE IF NOT EXISTS `%1`").arg(canary));
        for (const QString& pw : passwords) {
            SCOPED_TRACE(pw.toStdString());
            TestCompany company(1);
            company.password = pw;
            QMap<QString, QString> env = company.passwordEnv();
            env["KV_UNIT_PASSWORD_0"] = pw;
            env["KV_UNIT_PASSWORD_1"] = pw + QLatin1Char('1');
            QString out;
            ASSERT_EQ(RunProvision({"--company", company.user, "--units", "1", "--unit-accounts"}, &out, env), 0)
                << out.toStdString();
            EXPECT_TRUE(DatabaseExists(sqlMode.admin(), canary));

            // The accounts take the passwords exactly as they were given.
            TestDevice dev(company, 1);
            dev.Start();
            EXPECT_TRUE(dev.cloud->UniConnectionCloud.IsConnected());
            EXPECT_EQ(dev.g.SyncUnits, 1);
            TestDevice unit(company, 1);
            unit.g.settings.cloud.user = company.user + ".1";
            unit.g.settings.cloud.ww = pw + QLatin1Char('1');
            unit.Start();
            EXPECT_TRUE(unit.cloud->UniConnectionCloud.IsConnected());
        }
        sqlMode.admin().Exec(QStringLiteral("DROP DATABASE `%1`").arg(canary));
    }
}

// What the script sends holds no password, only its hash.
TEST(CloudProvisioning, PrintedSqlHoldsNoPassword)
{
    QString out;
    const QString pw = QStringLiteral("zeer-geheim-\u00EB");
    ASSERT_EQ(RunProvision({"--company", "acme", "--units", "1", "--unit-accounts", "--print"}, &out,
                           {{"KV_CLOUD_PASSWORD", pw}, {"KV_UNIT_PASSWORD_0", pw}, {"KV_UNIT_PASSWORD_1", pw}}),
              0);
    EXPECT_FALSE(out.contains(pw));
    EXPECT_FALSE(out.contains(QString::fromLatin1(pw.toUtf8().toHex())));
    EXPECT_TRUE(out.contains("IDENTIFIED WITH mysql_native_password AS '*")) << out.toStdString();
}
