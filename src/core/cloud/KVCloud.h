#pragma once
#include "CloudColumns.h"
#include "CloudConnection.h"

#include <QString>
#include <QVariant>
#include <functional>

class KVGlobal;
class Table;

// The synchronisation of one device with the company's cloud database: the account and the
// connection UniConnectionCloud, the upload of records into the other units' inboxes, the
// download of the own inbox, and the periodic check with its badges.
//
// Created once per KVGlobal (by the main window, or by a test); it fills in g.cloud so that
// the ticket and catalogue code can call it, and empties it again when it goes.
//
// The connection's error event silences every database error: an operation that meets one
// ends with a CloudError (a KVAbort), which ends the calling action without a message. The
// handlers that stand alone (download buttons, manual upload, timer tick, connection test)
// catch it themselves.
class KVCloud {
public:
    explicit KVCloud(KVGlobal& g);
    ~KVCloud();
    KVCloud(const KVCloud&) = delete;
    KVCloud& operator=(const KVCloud&) = delete;

    CloudConnection UniConnectionCloud;

    // ---- account ----
    // (The user name is normalised by NormaliseCloudUser of the settings.)
    // Database and user name at start-up: the name itself when it holds "kolvarnp", else
    // "kolvarnp_" + name.
    static QString AccountName(const QString& normalisedUser);
    // Database and user name after the company page and in the connection test: always
    // "kolvarnp_" + name.
    static QString PrefixedAccountName(const QString& normalisedUser);
    // A unit may have an account of its own, typed as the company's name, a full stop and the
    // unit number ("acme.3"): the names above then give the server account ("kolvarnp_acme.3"),
    // and the company database is that name without the full stop and number. A database name
    // cannot hold a full stop, so no shared account is ever taken for a unit's.
    static QString DatabaseOf(const QString& account);

    // The last step of reading the settings: account from settings.cloud, CloudSyncEnabled
    // (user and password set), a connect whose failure is swallowed, SyncUnits.
    void ConnectAtStartUp();
    // The company page's account (settings.cloud, already normalised) onto the connection;
    // CloudSyncEnabled (user, password and server set). Does not connect.
    void ApplyAccount();
    // Number of consecutive ticket inboxes kv1, kv2, ... in the company database; 0 when closed.
    int CountUnits();
    // The connection test with the account in settings.cloud: connects with the prefixed
    // account name, counts the units into SyncUnits and shows "Verbinding met server OK.
    // Units: N", or "Geen verbinding met server." when the connect or the count fails, with a
    // second line saying why when the connection was refused for the sake of security.
    void ConnectionTest();
    // The same after taking the page's three edits as the in-memory account (user normalised).
    void TestConnection(const QString& user, const QString& password, const QString& server);
    // The second line of the connection test's failure for a refusal (translated), empty for none.
    QString RefusalText(CloudRefusal refusal, const QString& detail) const;

    // ---- upload ----
    using RowSource = std::function<QVariant(const QString& column)>;
    // The target of PushRecord, set before each push: "kv" + n, "og" + n, "od" + n.
    void SetTargetTable(CloudKind kind, int unit) { m_target = CloudColumns::TableName(kind, unit); }
    const QString& TargetTable() const { return m_target; }
    // Writes the record into the target table: updates the row with its id, or adds one.
    void PushRecord(CloudKind kind, const RowSource& row);
    // Pushes the record into the inbox of every active unit 0..SyncUnits (at most 10) except
    // the own one. Throws KVError("Connection is not connected") when there is a target and
    // the connection is closed.
    void FanOut(CloudKind kind, const RowSource& row);
    void FanOut(CloudKind kind, Table& table);
    // The manual upload of the tickets at positions startRow..endRow of BonTable, signed or
    // not; connects first when needed. Stops silently when it cannot connect.
    void UploadTickets(int startRow, int endRow);

    // ---- download ----
    // Moves the own inbox of the kind into the local table; true when at least one row came.
    // Stops silently (false) when it cannot connect; throws CloudError when the server fails
    // during the move, after which every row already handled is stored locally and every
    // other row is still in the inbox.
    bool PullInbox(CloudKind kind);
    // A download button: PullInbox, then "pop.mp3" or "nono.mp3"; silent on failure.
    void DownloadClick(CloudKind kind);
    // Rows fetched from the inbox at a time: at most downloadBatch, the first batch at most
    // FirstBatch (how large the rows are is not known yet), later ones no more than fit in
    // downloadBytes judged by the rows seen so far. Every batch is stored locally, durably,
    // before its rows are deleted in the cloud, so fewer batches mean fewer waits for the disk.
    int downloadBatch = 250;
    qint64 downloadBytes = 16 * 1024 * 1024;
    static constexpr int FirstBatch = 50;
    // Called after each row was merged into the local table (count so far in this download).
    std::function<void(CloudKind kind, int rows)> RowMerged;
    // A download or the manual upload reports its progress: once with done 0 at its start, after
    // each stored batch or pushed record, and a last time with done == total when it ends (also
    // when it ends early). Nothing else happens in between, so a view may paint at each report.
    enum class Transfer { Download, Upload };
    std::function<void(Transfer transfer, CloudKind kind, int done, int total)> Progress;

    // ---- periodic check ----
    // Rows waiting in the own inbox of the kind; -1 when the connection was closed (it is
    // opened then, for the next kind).
    int InboxCount(CloudKind kind);
    // A TCP connect to the probe host; nothing is sent.
    bool ReachabilityProbe();
    QString probeHost;           // EditionInfo::ProbeHost() unless a test says otherwise
    int probePort = 80;
    int probeTimeoutMs = 1000;   // connect and read time-out
    // The tick of Timer1. Badges are reported through SetBadge.
    void Timer1Timer();
    std::function<void(CloudKind kind, int count)> SetBadge;
    static constexpr int Timer1Interval = 300000;

private:
    void setAccount(const QString& account);
    bool connectSilently();
    void fanOutWithRules(CloudKind kind, Table& table);
    // One batch of at most limit rows; adds the bytes and rows it fetched to the two totals.
    int pullBatch(CloudKind kind, Table& local, int handledSoFar, int limit, bool* more, qint64* bytes, int* fetched);
    void mergeRow(CloudKind kind, Table& local, const CloudRow& row);
    Table& localTable(CloudKind kind);

    KVGlobal& g;
    QString m_target;
};
