#include "Database.h"

#include "OrderIndex.h"
#include "Table.h"
#include "app/KVError.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>
#include <algorithm>

Database::Database() : m_name(QStringLiteral("kolvarn-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

Database::~Database()
{
    Close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

void Database::Open(const QString& path)
{
    Close();
    for (auto& [name, state] : m_shared)
        state->reset();
    m_path = path;
    if (!m_db.isValid())
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    // Read-write, never create: a missing file must fail to open. The path travels as a file
    // URI, so a blank, '?' or '#' in a folder name is escaped instead of read as URI syntax.
    QUrl uri = QUrl::fromLocalFile(path);
    uri.setQuery(QStringLiteral("mode=rw"));
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    m_db.setDatabaseName(uri.toString(QUrl::FullyEncoded));
    if (!m_db.open())
        throw KVError(m_db.lastError().text());
    // SQLite reads the file only when it is first asked something; a file that is not a
    // database must fail here, not at the first cursor.
    QSqlQuery probe(m_db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))
        // Walking a large table along a sort index reads its pages out of order; a page cache
        // of up to 32 MB keeps a second pass (a re-sort, a search) off the disk.
        || !probe.exec(QStringLiteral("PRAGMA cache_size = -32768"))) {
        const QString text = probe.lastError().text();
        probe = QSqlQuery();
        m_db.close();
        throw KVError(text);
    }
}

void Database::Close()
{
    for (Table* t : std::vector<Table*>(m_tables))
        t->Close();
    if (m_db.isValid() && m_db.isOpen()) {
        if (m_depth > 0)
            m_db.rollback();
        m_db.close();
    }
    m_depth = 0;
    m_pendingReports.clear();
    for (auto& [name, state] : m_shared)
        state->reset();
}

bool Database::IsOpen() const { return m_db.isValid() && m_db.isOpen(); }

void Database::RequireOpen(const char* what) const { RequireOpen(QLatin1String(what)); }

void Database::RequireOpen(const QString& what) const
{
    if (!IsOpen())
        throw KVError(QStringLiteral("%1: database is not open").arg(what));
}

void Database::attach(Table* t) { m_tables.push_back(t); }

void Database::detach(Table* t)
{
    m_tables.erase(std::remove(m_tables.begin(), m_tables.end(), t), m_tables.end());
    m_pendingReports.erase(std::remove(m_pendingReports.begin(), m_pendingReports.end(), t), m_pendingReports.end());
}

SharedTableState& Database::sharedState(const QString& table)
{
    // Entries are never removed, so a cursor may keep the reference while the database lives.
    std::unique_ptr<SharedTableState>& state = m_shared[table.toLower()];
    if (!state)
        state = std::make_unique<SharedTableState>();
    return *state;
}

bool Database::anotherCursorOpen(const Table* t) const
{
    return std::any_of(m_tables.begin(), m_tables.end(), [t](const Table* other) {
        return other != t && other->IsOpen() && other->tableName().compare(t->tableName(), Qt::CaseInsensitive) == 0;
    });
}

void Database::rowChanged(const QString& table, const Table* source, qint64 rowid)
{
    for (Table* t : std::vector<Table*>(m_tables))
        if (t != source && t->IsOpen() && t->tableName().compare(table, Qt::CaseInsensitive) == 0)
            t->rowChangedElsewhere(rowid);
}

void Database::everythingChanged(const Table* source)
{
    for (auto& [name, state] : m_shared)
        state->reset();
    for (Table* t : std::vector<Table*>(m_tables))
        if (t != source && t->IsOpen())
            t->everythingChangedElsewhere();
}

void Database::reportLater(Table* t)
{
    if (std::find(m_pendingReports.begin(), m_pendingReports.end(), t) == m_pendingReports.end())
        m_pendingReports.push_back(t);
}

void Database::reportPending()
{
    // A slot may start the next transaction, or close a cursor: take the list first.
    std::vector<Table*> pending;
    pending.swap(m_pendingReports);
    for (Table* t : pending)
        if (std::find(m_tables.begin(), m_tables.end(), t) != m_tables.end())
            emit t->RowsChanged();
}

void Database::begin()
{
    RequireOpen("transaction");
    if (m_depth == 0 && !m_db.transaction())
        throw KVError(m_db.lastError().text());
    ++m_depth;
}

void Database::commit()
{
    if (m_depth <= 0)
        return;
    if (--m_depth > 0)
        return;
    if (!m_db.commit()) {
        const QString text = m_db.lastError().text();
        m_db.rollback();
        m_pendingReports.clear();
        everythingChanged(nullptr);
        throw KVError(text);
    }
    reportPending();
}

void Database::rollback()
{
    if (m_depth <= 0)
        return;
    if (--m_depth > 0)
        return; // the outer transaction decides
    if (IsOpen())
        m_db.rollback();
    m_pendingReports.clear();
    everythingChanged(nullptr);
}
