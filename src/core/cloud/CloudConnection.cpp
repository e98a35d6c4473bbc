#include "CloudConnection.h"
#include "app/Log.h"

#include <mysql.h>
#include <errmsg.h>
#include <mysqld_error.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace {

// Errors after which the session is gone; the connection is closed so that the next Connect
// starts a new one instead of failing on a dead socket for ever.
bool sessionLost(int code)
{
    switch (code) {
    case CR_CONNECTION_ERROR:
    case CR_CONN_HOST_ERROR:
    case CR_SERVER_GONE_ERROR:
    case CR_SERVER_LOST:
    case CR_SERVER_LOST_EXTENDED:
    case CR_COMMANDS_OUT_OF_SYNC:
    case ER_CONNECTION_KILLED:
    case 4031: // disconnected by the server because of inactivity (MySQL 8)
        return true;
    default:
        return false;
    }
}

bool isBlobField(const MYSQL_FIELD& f)
{
    switch (f.type) {
    case MYSQL_TYPE_TINY_BLOB:
    case MYSQL_TYPE_MEDIUM_BLOB:
    case MYSQL_TYPE_LONG_BLOB:
    case MYSQL_TYPE_BLOB:
        return true;
    default:
        return false;
    }
}

// The parameter buffers of one execution. Every vector is sized once, so the pointers the
// binds hold stay valid until execution has finished.
struct Params {
    explicit Params(const QVariantList& values)
        : binds(values.size()), bytes(values.size()), ints(values.size()), doubles(values.size()),
          lengths(values.size())
    {
        for (qsizetype i = 0; i < values.size(); ++i) {
            const QVariant& v = values[i];
            MYSQL_BIND& b = binds[i];
            b = MYSQL_BIND{};
            if (!v.isValid() || v.isNull()) {
                b.buffer_type = MYSQL_TYPE_NULL;
                continue;
            }
            switch (v.typeId()) {
            case QMetaType::Bool:
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::Long:
            case QMetaType::LongLong:
            case QMetaType::Short:
            case QMetaType::Char:
                ints[i] = v.toLongLong();
                b.buffer_type = MYSQL_TYPE_LONGLONG;
                b.buffer = &ints[i];
                break;
            case QMetaType::ULongLong:
            case QMetaType::ULong:
                ints[i] = static_cast<long long>(v.toULongLong());
                b.buffer_type = MYSQL_TYPE_LONGLONG;
                b.is_unsigned = 1;
                b.buffer = &ints[i];
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                doubles[i] = v.toDouble();
                b.buffer_type = MYSQL_TYPE_DOUBLE;
                b.buffer = &doubles[i];
                break;
            case QMetaType::QByteArray:
                bytes[i] = v.toByteArray();
                b.buffer_type = MYSQL_TYPE_BLOB;
                break;
            default:
                bytes[i] = v.toString().toUtf8();
                b.buffer_type = MYSQL_TYPE_STRING;
                break;
            }
            if (b.buffer_type == MYSQL_TYPE_BLOB || b.buffer_type == MYSQL_TYPE_STRING) {
                lengths[i] = static_cast<unsigned long>(bytes[i].size());
                b.buffer = bytes[i].data();
                b.buffer_length = lengths[i];
                b.length = &lengths[i];
            }
        }
    }
    std::vector<MYSQL_BIND> binds;
    std::vector<QByteArray> bytes;
    std::vector<long long> ints;
    std::vector<double> doubles;
    std::vector<unsigned long> lengths;
};

// What a refused connect means for the user, from the client library's error.
CloudRefusal refusalOf(int code, const char* text)
{
    if (code == CR_PLUGIN_NOT_ALLOWED)
        return CloudRefusal::UnsafeLogin;
    if (code == CR_SSL_CONNECTION_ERROR)
        return std::strstr(text, "does not support") ? CloudRefusal::NoTls : CloudRefusal::Certificate;
    return CloudRefusal::None;
}

} // namespace

struct CloudConnection::Statement {
    MYSQL_STMT* stmt = nullptr;
    ~Statement()
    {
        if (stmt)
            mysql_stmt_close(stmt);
    }
};

CloudConnection::CloudConnection() = default;

CloudConnection::~CloudConnection() { Disconnect(); }

void CloudConnection::SetServer(const QString& server)
{
    if (server != m_server)
        Disconnect();
    m_server = server;
}

void CloudConnection::SetDatabase(const QString& database)
{
    if (database != m_database)
        Disconnect();
    m_database = database;
}

void CloudConnection::SetUsername(const QString& user)
{
    if (user != m_user)
        Disconnect();
    m_user = user;
}

void CloudConnection::SetPassword(const QString& password)
{
    if (password != m_password)
        Disconnect();
    m_password = password;
}

void CloudConnection::SetTls(bool required, const QString& caFile)
{
    if (required != m_tlsRequired || caFile != m_caFile)
        Disconnect();
    m_tlsRequired = required;
    m_caFile = caFile;
}

QByteArray CloudConnection::AllowedLogins(bool tlsVerified)
{
    // mysql_native_password and client_ed25519 answer a challenge; GSSAPI hands over a ticket.
    // caching_sha2_password and sha256_password send the password itself when the session is
    // encrypted, and encrypt it with a key the server sends otherwise: safe only when the
    // server has proved who it is. mysql_clear_password, dialog and mysql_old_password never are.
    QByteArray logins = "mysql_native_password,client_ed25519,auth_gssapi_client";
    if (tlsVerified)
        logins += ",caching_sha2_password,sha256_password";
    return logins;
}

std::pair<QString, int> CloudConnection::SplitServer(const QString& server)
{
    const QString s = server.trimmed();
    auto portOf = [](const QString& digits) {
        bool ok = false;
        const int p = digits.toInt(&ok);
        return ok && p > 0 && p <= 65535 ? p : -1;
    };
    if (s.startsWith(QLatin1Char('['))) {
        const qsizetype close = s.indexOf(QLatin1Char(']'));
        if (close > 0) {
            const QString host = s.mid(1, close - 1);
            const QString rest = s.mid(close + 1);
            if (rest.isEmpty())
                return {host, DefaultPort};
            if (rest.startsWith(QLatin1Char(':')) && portOf(rest.mid(1)) > 0)
                return {host, portOf(rest.mid(1))};
        }
        return {s, DefaultPort};
    }
    const qsizetype colon = s.lastIndexOf(QLatin1Char(':'));
    // One colon only: "host:port". Several colons without brackets is a bare IPv6 address.
    if (colon > 0 && s.indexOf(QLatin1Char(':')) == colon && portOf(s.mid(colon + 1)) > 0)
        return {s.left(colon), portOf(s.mid(colon + 1))};
    return {s, DefaultPort};
}

void CloudConnection::Connect()
{
    const std::lock_guard lock(m_use);
    Disconnect();
    const auto [host, port] = SplitServer(m_server);
    // An empty server would make the client library fall back to the local machine.
    if (host.isEmpty())
        fail(CR_CONN_HOST_ERROR, QStringLiteral("No server given"));

    const QByteArray ca = QFile::encodeName(m_caFile);
    if (m_tlsRequired && !m_caFile.isEmpty() && !QFileInfo(m_caFile).isReadable())
        fail(CR_SSL_CONNECTION_ERROR, QStringLiteral("CA file cannot be read: ") + m_caFile, CloudRefusal::CaFile);

    MYSQL* m = mysql_init(nullptr);
    if (!m)
        fail(CR_OUT_OF_MEMORY, QStringLiteral("Out of memory"));
    const unsigned int connectSecs = static_cast<unsigned>(std::max(1, connectTimeout));
    const unsigned int readSecs = static_cast<unsigned>(std::max(1, readTimeout));
    const unsigned int writeSecs = static_cast<unsigned>(std::max(1, writeTimeout));
    const unsigned int tcp = MYSQL_PROTOCOL_TCP;
    const unsigned int noLocalFiles = 0;
    const my_bool noReconnect = 0;
    mysql_options(m, MYSQL_OPT_CONNECT_TIMEOUT, &connectSecs);
    mysql_options(m, MYSQL_OPT_READ_TIMEOUT, &readSecs);
    mysql_options(m, MYSQL_OPT_WRITE_TIMEOUT, &writeSecs);
    // TCP always: "localhost" must not silently turn into a Unix socket.
    mysql_options(m, MYSQL_OPT_PROTOCOL, &tcp);
    // The server may not ask this client for local files (LOAD DATA LOCAL).
    mysql_options(m, MYSQL_OPT_LOCAL_INFILE, &noLocalFiles);
    mysql_options(m, MYSQL_OPT_RECONNECT, &noReconnect);
    mysql_options(m, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    // TLS whenever the server offers it; required, it must be offered and its certificate verified
    // for the host name connected to.
    const my_bool useTls = 1, verify = m_tlsRequired ? 1 : 0;
    mysql_optionsv(m, MYSQL_OPT_SSL_ENFORCE, &useTls);
    mysql_optionsv(m, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &verify);
    if (m_tlsRequired && !ca.isEmpty())
        mysql_optionsv(m, MYSQL_OPT_SSL_CA, ca.constData());
    // The first answer is a challenge response, whatever login the server names in its greeting;
    // a server that wants another one must ask, and only the allowed ones are given.
    const QByteArray logins = AllowedLogins(m_tlsRequired);
    mysql_optionsv(m, MYSQL_DEFAULT_AUTH, "mysql_native_password");
    mysql_optionsv(m, MARIADB_OPT_RESTRICTED_AUTH, logins.constData());

    const QByteArray h = host.toUtf8(), u = m_user.toUtf8(), p = m_password.toUtf8(), d = m_database.toUtf8();
    // CLIENT_FOUND_ROWS: an UPDATE reports the rows it matched, also when the values were equal.
    if (!mysql_real_connect(m, h.constData(), u.constData(), p.constData(), d.isEmpty() ? nullptr : d.constData(),
                            static_cast<unsigned>(port), nullptr, CLIENT_FOUND_ROWS)) {
        const int code = static_cast<int>(mysql_errno(m));
        const QString text = QString::fromUtf8(mysql_error(m));
        const CloudRefusal refusal = refusalOf(code, mysql_error(m));
        mysql_close(m);
        fail(code, text, refusal);
    }
    m_mysql = m;
    // A push that waits for a row being downloaded gives up before the client's read time-out.
    const QByteArray lockWait = "SET SESSION innodb_lock_wait_timeout = " + QByteArray::number(std::max(1, readTimeout / 2));
    if (mysql_real_query(m_mysql, lockWait.constData(), static_cast<unsigned long>(lockWait.size())) != 0) {
        const int code = static_cast<int>(mysql_errno(m_mysql));
        if (sessionLost(code))
            fail(code, QString::fromUtf8(mysql_error(m_mysql)));
    }
}

void CloudConnection::closeStatements()
{
    m_statements.clear();
}

void CloudConnection::Disconnect()
{
    const std::lock_guard lock(m_use);
    closeStatements();
    if (m_mysql) {
        mysql_close(m_mysql);
        m_mysql = nullptr;
    }
}

void CloudConnection::fail(int code, const QString& text, CloudRefusal refusal)
{
    if (sessionLost(code))
        Disconnect();
    qCWarning(logCloud).noquote() << "cloud error" << code << (sessionLost(code) ? "(session lost, disconnected):" : ":")
                                  << text;
    if (!OnError || OnError(code, text))
        throw KVError(text);
    throw CloudError(code, text, refusal);
}

CloudConnection::Statement& CloudConnection::prepare(const QString& sql)
{
    if (!m_mysql)
        fail(CR_SERVER_GONE_ERROR, QStringLiteral("Connection is not connected"));
    auto it = m_statements.find(sql);
    if (it != m_statements.end())
        return *it->second;
    auto s = std::make_unique<Statement>();
    s->stmt = mysql_stmt_init(m_mysql);
    if (!s->stmt)
        fail(static_cast<int>(mysql_errno(m_mysql)), QString::fromUtf8(mysql_error(m_mysql)));
    const QByteArray text = sql.toUtf8();
    if (mysql_stmt_prepare(s->stmt, text.constData(), static_cast<unsigned long>(text.size())) != 0) {
        const int code = static_cast<int>(mysql_stmt_errno(s->stmt));
        const QString message = QString::fromUtf8(mysql_stmt_error(s->stmt));
        s.reset();
        fail(code, message);
    }
    Statement& ref = *s;
    m_statements.emplace(sql, std::move(s));
    return ref;
}

namespace {
// Binds the parameters and executes; returns the error code, 0 on success.
int execute(MYSQL_STMT* stmt, const QVariantList& params, QString* message)
{
    if (mysql_stmt_param_count(stmt) != static_cast<unsigned long>(params.size())) {
        *message = QStringLiteral("Statement expects %1 parameters, %2 given")
                       .arg(mysql_stmt_param_count(stmt)).arg(params.size());
        return CR_PARAMS_NOT_BOUND;
    }
    Params p(params);
    if ((!params.isEmpty() && mysql_stmt_bind_param(stmt, p.binds.data()) != 0) || mysql_stmt_execute(stmt) != 0) {
        *message = QString::fromUtf8(mysql_stmt_error(stmt));
        return static_cast<int>(mysql_stmt_errno(stmt));
    }
    return 0;
}
} // namespace

quint64 CloudConnection::Exec(const QString& sql, const QVariantList& params)
{
    const std::lock_guard lock(m_use);
    MYSQL_STMT* stmt = prepare(sql).stmt;
    QString message;
    if (const int code = execute(stmt, params, &message))
        fail(code, message);
    const quint64 rows = mysql_stmt_affected_rows(stmt);
    if (mysql_stmt_field_count(stmt) > 0)
        mysql_stmt_free_result(stmt);
    return rows == static_cast<quint64>(-1) ? 0 : rows;
}

std::vector<CloudRow> CloudConnection::Query(const QString& sql, const QVariantList& params)
{
    const std::lock_guard lock(m_use);
    MYSQL_STMT* stmt = prepare(sql).stmt;
    const my_bool updateMaxLength = 1;
    mysql_stmt_attr_set(stmt, STMT_ATTR_UPDATE_MAX_LENGTH, &updateMaxLength);
    QString message;
    if (const int code = execute(stmt, params, &message))
        fail(code, message);

    std::unique_ptr<MYSQL_RES, decltype(&mysql_free_result)> meta(mysql_stmt_result_metadata(stmt), &mysql_free_result);
    if (!meta)
        return {};
    if (mysql_stmt_store_result(stmt) != 0)
        fail(static_cast<int>(mysql_stmt_errno(stmt)), QString::fromUtf8(mysql_stmt_error(stmt)));
    struct FreeResult {
        MYSQL_STMT* s;
        ~FreeResult() { mysql_stmt_free_result(s); }
    } freeResult{stmt};

    const unsigned n = mysql_num_fields(meta.get());
    const MYSQL_FIELD* fields = mysql_fetch_fields(meta.get());
    std::vector<MYSQL_BIND> binds(n);
    std::vector<QByteArray> buffers(n);
    std::vector<unsigned long> lengths(n);
    std::vector<my_bool> nulls(n), errors(n);
    for (unsigned i = 0; i < n; ++i) {
        // Numbers arrive converted to text; 64 bytes hold any of them.
        const unsigned long size = std::max<unsigned long>(fields[i].max_length, 64) + 1;
        buffers[i].resize(static_cast<qsizetype>(size));
        MYSQL_BIND& b = binds[i];
        b = MYSQL_BIND{};
        b.buffer_type = isBlobField(fields[i]) ? MYSQL_TYPE_BLOB : MYSQL_TYPE_STRING;
        b.buffer = buffers[i].data();
        b.buffer_length = size;
        b.length = &lengths[i];
        b.is_null = &nulls[i];
        b.error = &errors[i];
    }
    if (mysql_stmt_bind_result(stmt, binds.data()) != 0)
        fail(static_cast<int>(mysql_stmt_errno(stmt)), QString::fromUtf8(mysql_stmt_error(stmt)));

    std::vector<CloudRow> rows;
    rows.reserve(static_cast<size_t>(mysql_stmt_num_rows(stmt)));
    for (;;) {
        const int r = mysql_stmt_fetch(stmt);
        if (r == MYSQL_NO_DATA)
            break;
        if (r != 0 && r != MYSQL_DATA_TRUNCATED)
            fail(static_cast<int>(mysql_stmt_errno(stmt)), QString::fromUtf8(mysql_stmt_error(stmt)));
        CloudRow row(n);
        for (unsigned i = 0; i < n; ++i) {
            if (nulls[i])
                continue;
            if (lengths[i] <= binds[i].buffer_length) {
                row[i] = QByteArray(buffers[i].constData(), static_cast<qsizetype>(lengths[i]));
                continue;
            }
            // Longer than the bound buffer: fetch this column on its own.
            QByteArray whole(static_cast<qsizetype>(lengths[i] + 1), Qt::Uninitialized);
            MYSQL_BIND one = binds[i];
            unsigned long len = 0;
            one.buffer = whole.data();
            one.buffer_length = lengths[i] + 1;
            one.length = &len;
            if (mysql_stmt_fetch_column(stmt, &one, i, 0) != 0)
                fail(static_cast<int>(mysql_stmt_errno(stmt)), QString::fromUtf8(mysql_stmt_error(stmt)));
            whole.truncate(static_cast<qsizetype>(std::min(len, lengths[i])));
            row[i] = whole;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

QStringList CloudConnection::TableNames()
{
    const std::lock_guard lock(m_use);
    if (!m_mysql)
        fail(CR_SERVER_GONE_ERROR, QStringLiteral("Connection is not connected"));
    static const char sql[] = "SHOW TABLES";
    if (mysql_real_query(m_mysql, sql, sizeof sql - 1) != 0)
        fail(static_cast<int>(mysql_errno(m_mysql)), QString::fromUtf8(mysql_error(m_mysql)));
    std::unique_ptr<MYSQL_RES, decltype(&mysql_free_result)> res(mysql_store_result(m_mysql), &mysql_free_result);
    if (!res)
        fail(static_cast<int>(mysql_errno(m_mysql)), QString::fromUtf8(mysql_error(m_mysql)));
    QStringList names;
    while (MYSQL_ROW r = mysql_fetch_row(res.get())) {
        const unsigned long* len = mysql_fetch_lengths(res.get());
        if (r[0])
            names << QString::fromUtf8(r[0], static_cast<qsizetype>(len[0]));
    }
    return names;
}

void CloudConnection::StartTransaction()
{
    const std::lock_guard lock(m_use);
    if (!m_mysql)
        fail(CR_SERVER_GONE_ERROR, QStringLiteral("Connection is not connected"));
    static const char sql[] = "START TRANSACTION";
    if (mysql_real_query(m_mysql, sql, sizeof sql - 1) != 0)
        fail(static_cast<int>(mysql_errno(m_mysql)), QString::fromUtf8(mysql_error(m_mysql)));
}

void CloudConnection::Commit()
{
    const std::lock_guard lock(m_use);
    if (!m_mysql)
        fail(CR_SERVER_GONE_ERROR, QStringLiteral("Connection is not connected"));
    if (mysql_commit(m_mysql) != 0)
        fail(static_cast<int>(mysql_errno(m_mysql)), QString::fromUtf8(mysql_error(m_mysql)));
}

void CloudConnection::Rollback()
{
    const std::lock_guard lock(m_use);
    if (m_mysql && mysql_rollback(m_mysql) != 0)
        Disconnect(); // the server rolls back what a closed session left open
}
