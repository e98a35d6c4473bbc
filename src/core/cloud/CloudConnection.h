#pragma once
#include "app/KVError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

struct st_mysql;

// Why this side refused a connection for the sake of the password or the data: the connection
// test tells the user.
enum class CloudRefusal {
    None,
    NoTls,          // TLS is required and the server does not offer it
    Certificate,    // the TLS handshake failed: certificate not trusted, or not this server's
    CaFile,         // the CA file of the settings cannot be read
    UnsafeLogin,    // the server asked for a login that would hand over the password, or a
                    // weak hash of it
};

// A database error of the cloud connection (server refused, connection lost, statement
// failed). It is a KVAbort: unless the connection's error event asks for it to be reported,
// it ends the action under way without a message.
class CloudError : public KVAbort {
public:
    CloudError(int code, const QString& text, CloudRefusal refusal = CloudRefusal::None)
        : KVAbort(text.toStdString()), m_code(code), m_text(text), m_refusal(refusal) {}
    int code() const { return m_code; }
    const QString& text() const { return m_text; }
    CloudRefusal refusal() const { return m_refusal; }

private:
    int m_code;
    QString m_text;
    CloudRefusal m_refusal;
};

// One value as the server sent it: null, or its bytes (text in UTF-8, numbers in decimal,
// images raw). Interpreting them is the caller's business, since they come from other units.
using CloudValue = std::optional<QByteArray>;
using CloudRow = std::vector<CloudValue>;

// The connection to the company's MySQL database, over MariaDB Connector/C and TCP. Its calls
// may come from more than one thread; they take turns.
//
// Every statement is a prepared statement with bound parameters; the statements of an open
// connection are kept and reused until it closes. Parameters are QVariants: a null or invalid
// variant binds NULL, a bool binds 0/1, integers bind as 64-bit integers, doubles as doubles,
// a QByteArray as binary data, anything else as UTF-8 text.
//
// Setting a different server, database, user, password or TLS rule on an open connection closes
// it; the new values take effect at the next Connect. A lost connection (server gone, killed,
// timed out) closes it too, so the next Connect starts afresh.
//
// The session is encrypted whenever the server offers TLS. With TLS required, a server that does
// not offer it, or whose certificate the CA file (or, without one, the system's trust store) does
// not vouch for under the name connected to, is refused before anything is sent. The password
// never travels as it is: logins that would send it in clear text are refused in either case.
class CloudConnection {
public:
    static constexpr int DefaultPort = 3306;

    CloudConnection();
    ~CloudConnection();
    CloudConnection(const CloudConnection&) = delete;
    CloudConnection& operator=(const CloudConnection&) = delete;

    // The server is a host name or address, optionally followed by ":port".
    void SetServer(const QString& server);
    void SetDatabase(const QString& database);
    void SetUsername(const QString& user);
    void SetPassword(const QString& password);
    // Required: TLS with a verified certificate. caFile: PEM file of the authorities to trust;
    // empty for the system's trust store. Only used when TLS is required.
    void SetTls(bool required, const QString& caFile);
    const QString& Server() const { return m_server; }
    const QString& Database() const { return m_database; }
    const QString& Username() const { return m_user; }
    bool TlsRequired() const { return m_tlsRequired; }
    const QString& CaFile() const { return m_caFile; }

    // The logins the client takes part in, comma-separated. Each proves the password without
    // sending it; those that send it over TLS only where the server's certificate is verified.
    static QByteArray AllowedLogins(bool tlsVerified);

    // Host and port of a server setting: "host", "host:port", "[v6addr]:port".
    static std::pair<QString, int> SplitServer(const QString& server);

    // Seconds until a connect, a read or a write gives up.
    int connectTimeout = 5;
    int readTimeout = 20;
    int writeTimeout = 20;

    bool IsConnected() const
    {
        const std::lock_guard lock(m_use);
        return m_mysql != nullptr;
    }
    void Connect();      // throws on failure and stays closed
    void Disconnect();   // never throws

    QStringList TableNames();

    // Runs a statement; returns the number of rows it matched or changed (matched, for UPDATE).
    quint64 Exec(const QString& sql, const QVariantList& params = {});
    // Runs a query and returns all its rows.
    std::vector<CloudRow> Query(const QString& sql, const QVariantList& params = {});

    void StartTransaction();
    void Commit();
    void Rollback(); // never throws; closes the connection when it cannot roll back

    // The error event: sees every database error of this connection and answers whether it is
    // to reach the user (thrown as KVError with the error's text) or not (thrown as CloudError).
    // Unset, every error is reported.
    std::function<bool(int code, const QString& text)> OnError;

private:
    struct Statement;
    Statement& prepare(const QString& sql);
    [[noreturn]] void fail(int code, const QString& text, CloudRefusal refusal = CloudRefusal::None);
    void closeStatements();

    // One thread at a time uses the session: a download sends a batch's deletes from a thread
    // of its own while the batch is stored.
    mutable std::recursive_mutex m_use;
    st_mysql* m_mysql = nullptr;
    std::unordered_map<QString, std::unique_ptr<Statement>> m_statements;
    QString m_server, m_database, m_user, m_password, m_caFile;
    bool m_tlsRequired = false;
};
