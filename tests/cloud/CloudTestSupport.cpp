#include "CloudTestSupport.h"
#include "app/SettingsStore.h"
#include "catalogue/CatalogueEvents.h"
#include "store/Table.h"
#include "store/LocalStore.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QThread>
#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <csignal>

int RunProvision(const QStringList& args, QString* output, const QMap<QString, QString>& extra)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KV_ADMIN_PASSWORD"), TestServer::AdminPassword());
    for (auto it = extra.begin(); it != extra.end(); ++it)
        env.insert(it.key(), it.value());
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    QStringList all{QStringLiteral(KV_SOURCE_DIR "/scripts/provision-cloud.sh")};
    all << args << QStringLiteral("--host") << TestServer::Host() << QStringLiteral("--port")
        << QString::number(TestServer::Port()) << QStringLiteral("--admin-user") << TestServer::AdminUser();
    p.start(QStringLiteral("bash"), all);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    const QString out = QString::fromUtf8(p.readAll());
    if (output)
        *output = out;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

TestCompany::TestCompany(int units)
{
    static int counter = 0;
    user = QStringLiteral("t%1_%2_%3")
               .arg(QCoreApplication::applicationPid())
               .arg(++counter)
               .arg(QRandomGenerator::global()->generate() % 100000);
    account = KVCloud::PrefixedAccountName(user);
    QString out;
    const int rc = RunProvision({QStringLiteral("--company"), user, QStringLiteral("--units"), QString::number(units)},
                                &out, passwordEnv());
    if (rc != 0)
        ADD_FAILURE() << "provisioning failed: " << out.toStdString();
}

TestCompany::~TestCompany()
{
    m_admin.reset();
    RunProvision({QStringLiteral("--company"), user, QStringLiteral("--drop")});
}

CloudConnection& TestCompany::admin()
{
    if (!m_admin) {
        m_admin = std::make_unique<CloudConnection>();
        m_admin->SetServer(TestServer::Setting());
        m_admin->SetUsername(TestServer::AdminUser());
        m_admin->SetPassword(TestServer::AdminPassword());
        m_admin->SetDatabase(account);
    }
    if (!m_admin->IsConnected())
        m_admin->Connect();
    return *m_admin;
}

int TestCompany::Count(const QString& table)
{
    const auto rows = admin().Query(QStringLiteral("SELECT COUNT(*) FROM `%1`").arg(table));
    return rows.at(0).at(0)->toInt();
}

QList<QVariantMap> TestCompany::Rows(const QString& table, const QStringList& columns)
{
    QStringList quoted;
    for (const QString& c : columns)
        quoted << QLatin1Char('`') + c + QLatin1Char('`');
    const auto rows = admin().Query(QStringLiteral("SELECT %1 FROM `%2` ORDER BY `id`").arg(quoted.join(','), table));
    QList<QVariantMap> out;
    for (const CloudRow& r : rows) {
        QVariantMap m;
        for (int i = 0; i < columns.size(); ++i)
            m[columns[i]] = r[size_t(i)] ? QVariant(QString::fromUtf8(*r[size_t(i)])) : QVariant();
        out << m;
    }
    return out;
}

void TestCompany::Insert(const QString& table, const QVariantMap& values)
{
    QStringList cols, marks;
    QVariantList params;
    for (auto it = values.begin(); it != values.end(); ++it) {
        cols << QLatin1Char('`') + it.key() + QLatin1Char('`');
        marks << QStringLiteral("?");
        params << it.value();
    }
    admin().Exec(QStringLiteral("INSERT INTO `%1` (%2) VALUES (%3)").arg(table, cols.join(','), marks.join(',')), params);
}

void TestCompany::Exec(const QString& sql, const QVariantList& params) { admin().Exec(sql, params); }

TestDevice::TestDevice(TestCompany& company, int unit, const QList<int>& active) : g(*app.g)
{
    ReadSettings(g); // a fresh installation: every default, the identifier inputs
    g.settings.inst.unit = unit;
    g.settings.cloud.user = company.user;
    g.settings.cloud.ww = company.password;
    g.settings.cloud.server = TestServer::Setting();
    g.SyncDevs()[0].actief = true;
    for (int n : active)
        g.SyncDevs()[size_t(n)].actief = true;
    cloud = std::make_unique<KVCloud>(g);
}

void OpenStore(KVGlobal& g)
{
    if (!OpenDatabase(g))
        ADD_FAILURE() << "the local database did not open";
}

void TestDevice::Start() { cloud->ConnectAtStartUp(); }

LinkedDevice::LinkedDevice(TestCompany& company, int unit) : TestDevice(company, unit, {1, 2})
{
    // Each device its own machine letter, as installed devices have: their new records never
    // share an identifier, even on the tests' fixed clock.
    g.ids.IdMachine = QString(QLatin1Char(char('a' + unit)));
    OpenStore(g);
    Start();
    probe.listen(QHostAddress::LocalHost);
    cloud->probePort = probe.serverPort();
    InstallCatalogueEvents(g, g.OpdrachtgeverTable(), "og");
    InstallCatalogueEvents(g, g.OnderdeelTable(), "od");
}

QString LinkedDevice::StoreClient(const QString& name, const QString& id)
{
    Table& t = g.OpdrachtgeverTable();
    if (id.isEmpty()) {
        t.Append();
    } else {
        EXPECT_TRUE(t.Locate("id", id));
        t.Edit();
    }
    t.SetString("naam", name);
    t.Post();
    return t.AsString("id");
}

QStringList ClientNames(KVGlobal& g)
{
    QStringList names;
    Table& t = g.OpdrachtgeverTable();
    for (t.First(); !t.Eof(); t.Next())
        names << t.AsString("naam");
    names.sort();
    return names;
}

QVariantMap SampleRow(CloudKind kind, const QString& id, const QString& tag)
{
    QVariantMap m;
    int i = 0;
    for (const CloudColumns::Column& c : CloudColumns::Columns(kind)) {
        ++i;
        switch (c.kind) {
        case CloudColumns::ValueKind::Text:
            m[c.name] = c.name == QLatin1String("id") ? id : QString(tag + QLatin1Char('-') + c.name).left(c.maxLength);
            break;
        case CloudColumns::ValueKind::Boolean: m[c.name] = i % 2 == 0; break;
        case CloudColumns::ValueKind::Integer: m[c.name] = qint64(std::min<double>(i, c.high)); break;
        case CloudColumns::ValueKind::Decimal: m[c.name] = i + 0.25; break;
        case CloudColumns::ValueKind::Image: m[c.name] = SamplePng(); break;
        }
    }
    return m;
}

QByteArray SamplePng(int w, int h, QColor color)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(color);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
}

static bool serverAnswers()
{
    QTcpSocket s;
    s.connectToHost(TestServer::Host(), quint16(TestServer::Port()));
    return s.waitForConnected(200);
}

void KillServer()
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

void RestartServer()
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
