// The periodic check: is the internet there, what waits in the own inbox, fetch it.
#include "KVCloud.h"

#include "CloudStatus.h"
#include "app/KVGlobal.h"

#include <QTcpSocket>

#include <limits>

int KVCloud::InboxCount(CloudKind kind)
{
    if (!UniConnectionCloud.IsConnected()) {
        // This kind is skipped; the next ones find the connection open.
        connectSilently();
        return -1;
    }
    const QString sql = QStringLiteral("SELECT COUNT(*) FROM ") + CloudColumns::Quoted(CloudColumns::TableName(kind, g.OwnUnit()));
    const std::vector<CloudRow> rows = UniConnectionCloud.Query(sql);
    if (rows.empty() || rows.front().empty() || !rows.front().front())
        return 0;
    const qint64 n = rows.front().front()->toLongLong();
    return static_cast<int>(std::min<qint64>(n, std::numeric_limits<int>::max()));
}

bool KVCloud::ReachabilityProbe()
{
    QTcpSocket socket;
    socket.connectToHost(probeHost, static_cast<quint16>(probePort));
    const bool reached = socket.waitForConnected(probeTimeoutMs);
    socket.abort();
    return reached;
}

void KVCloud::Timer1Timer()
{
    if (!g.CloudSyncEnabled)
        return;
    if (!ReachabilityProbe()) {
        UniConnectionCloud.Disconnect();
        m_status->NoteUnreachable();
        return;
    }
    try {
        for (CloudKind kind : {CloudKind::Tickets, CloudKind::Clients, CloudKind::Parts}) {
            const int n = InboxCount(kind);
            if (n < 0)
                continue;
            if (SetBadge)
                SetBadge(kind, n);
            if (PullInbox(kind))
                g.PlaySound(QStringLiteral("pop.mp3"));
        }
    } catch (const KVAbort&) {
        return; // a silenced database error ends the tick
    }
    // After the downloads, so that a version another unit sent meanwhile is seen as a conflict
    // before this device's own goes out.
    if (!UniConnectionCloud.IsConnected())
        return;
    deliverOutbox();
    if (UniConnectionCloud.IsConnected())
        m_status->NoteExchange();
}
