#include "KVCloud.h"

#include "CloudConflicts.h"
#include "CloudOutbox.h"
#include "CloudStatus.h"
#include "app/KVGlobal.h"
#include "app/SettingsStore.h"
#include "store/Table.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>

#include <thread>

KVCloud::KVCloud(KVGlobal& global)
    : probeHost(EditionInfo::ProbeHost()), g(global), m_status(std::make_unique<CloudStatus>(global)),
      m_outbox(std::make_unique<CloudOutbox>(global, *this)), m_conflicts(std::make_unique<CloudConflicts>(global, *this))
{
    // The connection's error event (UniConnectionCloudError): no database error of this
    // connection is reported; the operation under way ends and its caller's recovery applies.
    // The sync page shows the last one.
    // An error on the download's delete thread is noted once its batch is back on this thread:
    // the status lives in the local database, which only this thread may use.
    UniConnectionCloud.OnError = [this, home = std::this_thread::get_id()](int code, const QString& text) {
        if (std::this_thread::get_id() == home)
            m_status->NoteError(code, text);
        return false;
    };

    auto withKind = [](const QString& code, const std::function<void(CloudKind)>& fn) {
        CloudKind kind;
        if (CloudColumns::KindOfCode(code, &kind))
            fn(kind);
    };
    CloudSeam& s = g.cloud;
    s.fanOut = [this](const QString& code, Table& t) {
        CloudKind kind;
        return !CloudColumns::KindOfCode(code, &kind) || m_outbox->Send(kind, t.AsString(QStringLiteral("id")));
    };
    s.applyAccount = [this] { ApplyAccount(); };
    s.connectionTest = [this] { ConnectionTest(); };
    s.uploadTickets = [this](int start, int end) { UploadTickets(start, end); };
    s.download = [this, withKind](const QString& code) { withKind(code, [&](CloudKind k) { DownloadClick(k); }); };
}

KVCloud::~KVCloud() { g.cloud = CloudSeam{}; }

// ---- account ------------------------------------------------------------------------------

QString KVCloud::AccountName(const QString& normalisedUser)
{
    return normalisedUser.contains(QLatin1String("kolvarnp")) ? normalisedUser : PrefixedAccountName(normalisedUser);
}

QString KVCloud::PrefixedAccountName(const QString& normalisedUser)
{
    return QStringLiteral("kolvarnp_") + normalisedUser;
}

QString KVCloud::DatabaseOf(const QString& account)
{
    static const QRegularExpression unit(QStringLiteral("\\.[0-9]{1,4}$"));
    const QRegularExpressionMatch m = unit.match(account);
    return m.hasMatch() ? account.left(m.capturedStart()) : account;
}

bool KVCloud::connectSilently()
{
    try {
        UniConnectionCloud.Connect();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void KVCloud::setAccount(const QString& account)
{
    // The account name is the user name and, but for a unit's own account, the database;
    // server, password and TLS rule from the settings. A CA file without a folder lies in the
    // documents folder.
    const Settings::Cloud& c = g.settings.cloud;
    UniConnectionCloud.SetDatabase(DatabaseOf(account));
    UniConnectionCloud.SetUsername(account);
    UniConnectionCloud.SetPassword(c.ww);
    UniConnectionCloud.SetServer(c.server);
    const QString ca = c.ca.trimmed();
    UniConnectionCloud.SetTls(c.tlsRequired, ca.isEmpty() || !QDir::isRelativePath(ca) ? ca : g.DocumentsFolder() + ca);
}

void KVCloud::ConnectAtStartUp()
{
    const Settings::Cloud& c = g.settings.cloud;
    g.CloudSyncEnabled = !c.user.isEmpty() && !c.ww.isEmpty();
    setAccount(AccountName(c.user));
    // Tried even with an incomplete account; a failure leaves the connection closed.
    connectSilently();
    try {
        g.SyncUnits = CountUnits();
        m_unitsCounted = UniConnectionCloud.IsConnected();
    } catch (const std::exception&) {
        g.SyncUnits = 0;
    }
}

void KVCloud::EnsureUnitsCounted()
{
    if (m_unitsCounted || !UniConnectionCloud.IsConnected())
        return;
    try {
        g.SyncUnits = CountUnits();
        m_unitsCounted = true;
    } catch (const CloudError&) {
        // counted at the next connection
    }
}

void KVCloud::ApplyAccount()
{
    const Settings::Cloud& c = g.settings.cloud;
    setAccount(PrefixedAccountName(c.user));
    g.CloudSyncEnabled = !c.user.isEmpty() && !c.ww.isEmpty() && !c.server.isEmpty();
}

int KVCloud::CountUnits()
{
    if (!UniConnectionCloud.IsConnected())
        return 0;
    QSet<QString> names;
    for (const QString& t : UniConnectionCloud.TableNames())
        names.insert(t.toLower());
    int n = 1;
    while (names.contains(CloudColumns::TableName(CloudKind::Tickets, n)))
        ++n;
    return n - 1;
}

void KVCloud::TestConnection(const QString& user, const QString& password, const QString& server)
{
    // The page's values become the in-memory account; the file and CloudSyncEnabled stay.
    Settings::Cloud& c = g.settings.cloud;
    c.user = NormaliseCloudUser(user);
    c.ww = password;
    c.server = server;
    ConnectionTest();
}

void KVCloud::ConnectionTest()
{
    setAccount(PrefixedAccountName(g.settings.cloud.user));
    int units = 0;
    try {
        UniConnectionCloud.Connect();
        units = CountUnits();
    } catch (const std::exception& e) {
        const auto* refused = dynamic_cast<const CloudError*>(&e);
        const QString why = refused ? RefusalText(refused->refusal(), refused->text()) : QString();
        g.seams.ShowMessage(g.Translate(QStringLiteral("Geen verbinding met server.")) +
                            (why.isEmpty() ? QString() : QLatin1Char('\n') + why));
        return;
    }
    g.SyncUnits = units;
    m_unitsCounted = true;
    g.seams.ShowMessage(g.Translate(QStringLiteral("Verbinding met server OK. Units:")) + QLatin1Char(' ') +
                        QString::number(units));
}

QString KVCloud::RefusalText(CloudRefusal refusal, const QString& detail) const
{
    switch (refusal) {
    case CloudRefusal::None:
        break;
    case CloudRefusal::NoTls:
        return g.Translate(QStringLiteral("De server biedt geen versleutelde verbinding (TLS) aan."));
    case CloudRefusal::Certificate:
        return g.Translate(QStringLiteral("Het certificaat van de server wordt niet vertrouwd of hoort niet bij deze server.")) +
               QStringLiteral(" (") + detail + QLatin1Char(')');
    case CloudRefusal::CaFile:
        return g.Translate(QStringLiteral("Het CA-bestand kan niet gelezen worden:")) + QLatin1Char(' ') +
               UniConnectionCloud.CaFile();
    case CloudRefusal::UnsafeLogin:
        return g.Translate(QStringLiteral("De server vraagt om een onveilige aanmelding; het wachtwoord is niet verstuurd."));
    }
    return {};
}

Table& KVCloud::localTable(CloudKind kind)
{
    switch (kind) {
    case CloudKind::Tickets: return g.BonTable();
    case CloudKind::Clients: return g.OpdrachtgeverTable();
    case CloudKind::Parts: break;
    }
    return g.OnderdeelTable();
}
