#include "Table.h"

#include "Database.h"
#include "app/KVError.h"

// Placeholder until the cursor lands: every operation reports that the store is not there.
struct Table::Impl {};

namespace {
[[noreturn]] void notYet() { throw KVError(QStringLiteral("The local store is not available")); }
}

Table::Table(Database& db, QString tableName, QString sortColumn, QObject* parent)
    : QObject(parent), d(std::make_unique<Impl>()), m_db(db), m_table(std::move(tableName)), m_sort(std::move(sortColumn)) {}
Table::~Table() = default;
void Table::SetTableName(const QString& name) { m_table = name; }
void Table::Open() { notYet(); }
void Table::Close() { m_state = State::Inactive; }
bool Table::IsOpen() const { return false; }
void Table::SetSortColumn(const QString& column) { m_sort = column; }
int Table::RecordCount() const { return 0; }
int Table::RecNo() const { return -1; }
void Table::First() { notYet(); }
void Table::Last() { notYet(); }
void Table::Next() { notYet(); }
void Table::Prior() { notYet(); }
void Table::MoveTo(int) { notYet(); }
bool Table::Locate(const QString&, const QVariant&) { notYet(); }
void Table::FindNearest(const QString&) { notYet(); }
void Table::Edit() { notYet(); }
void Table::Append() { notYet(); }
void Table::Insert() { notYet(); }
void Table::Post() { notYet(); }
void Table::Cancel() {}
void Table::Delete() { notYet(); }
QStringList Table::Columns() const { return {}; }
bool Table::HasColumn(const QString&) const { return false; }
QVariant Table::Value(const QString&) const { notYet(); }
bool Table::IsNull(const QString&) const { notYet(); }
QString Table::AsString(const QString&) const { notYet(); }
qint64 Table::AsInteger(const QString&) const { notYet(); }
double Table::AsFloat(const QString&) const { notYet(); }
bool Table::AsBoolean(const QString&) const { notYet(); }
QByteArray Table::AsBytes(const QString&) const { notYet(); }
void Table::SetValue(const QString&, const QVariant&) { notYet(); }
void Table::ExecSQL(const QString&) { notYet(); }
