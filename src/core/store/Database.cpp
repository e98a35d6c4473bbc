#include "Database.h"

#include "app/KVError.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

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
    m_path = path;
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    m_db.setDatabaseName(path);
    // Read-write, never create: a missing file must fail to open.
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    m_db.setDatabaseName(QStringLiteral("file:%1?mode=rw").arg(path));
    if (!m_db.open())
        throw KVError(m_db.lastError().text());
}

void Database::Close()
{
    if (m_db.isValid() && m_db.isOpen())
        m_db.close();
}

bool Database::IsOpen() const { return m_db.isValid() && m_db.isOpen(); }

void Database::RequireOpen(const char* what) const
{
    if (!IsOpen())
        throw KVError(QStringLiteral("%1: database is not open").arg(QLatin1String(what)));
}

void Database::begin()
{
    RequireOpen("transaction");
    if (!m_db.transaction())
        throw KVError(m_db.lastError().text());
}

void Database::commit()
{
    if (!m_db.commit())
        throw KVError(m_db.lastError().text());
}

void Database::rollback() { m_db.rollback(); }
