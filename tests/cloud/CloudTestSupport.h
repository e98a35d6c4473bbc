#pragma once
#include "TestSupport.h"
#include "cloud/KVCloud.h"

#include <QMap>
#include <QTcpServer>
#include <QStringList>
#include <QVariantMap>
#include <memory>

// The MariaDB server that the test command started on 127.0.0.1 (a missing one fails the test).
struct TestServer {
    static QString Host() { return RequiredEnv("KV_TEST_MYSQL_HOST"); }
    static int Port() { return RequiredEnv("KV_TEST_MYSQL_PORT").toInt(); }
    static QString AdminUser() { return RequiredEnv("KV_TEST_MYSQL_ADMIN_USER"); }
    static QString AdminPassword() { return qEnvironmentVariable("KV_TEST_MYSQL_ADMIN_PASSWORD"); }
    // The "Server" setting that reaches it: "127.0.0.1:port".
    static QString Setting() { return Host() + QLatin1Char(':') + QString::number(Port()); }
};

// Runs scripts/provision-cloud.sh against the test server with these extra arguments and
// environment variables (the passwords). Returns its exit code; output gets stdout and stderr.
int RunProvision(const QStringList& args, QString* output = nullptr, const QMap<QString, QString>& env = {});

// A company provisioned for one test with the office and `units` unit inboxes, under a name of
// its own, and removed again afterwards. admin() is a connection to its database with the
// server's admin account, to seed and inspect the inboxes behind the program's back.
class TestCompany {
public:
    explicit TestCompany(int units);
    ~TestCompany();
    TestCompany(const TestCompany&) = delete;
    TestCompany& operator=(const TestCompany&) = delete;

    QString user;     // as the company types it
    QString account;  // database and account name
    QString password = QStringLiteral("geheim-\u00EB'\\x");
    // The environment that hands the password to the provisioning script.
    QMap<QString, QString> passwordEnv() const { return {{QStringLiteral("KV_CLOUD_PASSWORD"), password}}; }

    CloudConnection& admin();
    int Count(const QString& table);
    // The rows of a table, ordered by id, as text (null: a null QVariant).
    QList<QVariantMap> Rows(const QString& table, const QStringList& columns);
    void Insert(const QString& table, const QVariantMap& values);
    void Exec(const QString& sql, const QVariantList& params = {});

private:
    std::unique_ptr<CloudConnection> m_admin;
};

// One device of the company: its own documents folder and state, with the account and the
// sync slots set. unit is OwnUnit; active lists the active slots (slot 0 is always active).
struct TestDevice {
    TestDevice(TestCompany& company, int unit, const QList<int>& active = {});
    TestApp app;
    KVGlobal& g;
    std::unique_ptr<KVCloud> cloud;
    // ConnectAtStartUp with the company's account.
    void Start();
};

// A started device of units {1, 2} with its store open, the client and part events as the
// catalogues install them (a stored record is pushed or waits in the outbox) and a probe that
// answers, so that its periodic check runs.
struct LinkedDevice : TestDevice {
    LinkedDevice(TestCompany& company, int unit);
    // Stores a client as the client page does: a new one when id is empty. Returns its id.
    QString StoreClient(const QString& name, const QString& id = {});
    QTcpServer probe;
};

// The names of the device's clients, sorted.
QStringList ClientNames(KVGlobal& g);

// Opens the device's local database as the start-up does (schema brought up to date, the three
// tables open).
void OpenStore(KVGlobal& g);

// A ticket/client/part row as a column -> value map for the push, built from the column list
// with a recognisable value per column.
QVariantMap SampleRow(CloudKind kind, const QString& id, const QString& tag = QStringLiteral("x"));

// Stops the shared test server with SIGKILL and waits until it no longer answers; starts it again
// and waits until it takes connections. Only for tests that ctest runs on their own (RUN_SERIAL).
void KillServer();
void RestartServer();

// A small PNG picture.
QByteArray SamplePng(int w = 40, int h = 20, QColor color = Qt::blue);
