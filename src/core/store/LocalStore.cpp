#include "LocalStore.h"

#include "Database.h"
#include "KVid.h"
#include "SyncTables.h"
#include "Table.h"
#include "app/KVError.h"
#include "app/KVGlobal.h"
#include "app/Log.h"
#include "ticket/BonStore.h"

#include <QFileInfo>
#include <QList>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVector>
#include <algorithm>
#include <array>
#include <functional>
#include <utility>

namespace {

struct AddedColumn {
    const char* table;
    const char* column;
    const char* type;
};

// The columns later versions introduced, in the order they came. The type strings go to
// SQLite exactly as written; they give the affinities the program reads and writes by.
constexpr AddedColumn kAddedColumns[] = {
    {"bon", "foto1", "CHAR(50)"},
    {"bon", "foto2", "CHAR(50)"},
    {"bon", "foto3", "CHAR(50)"},
    {"bon", "foto4", "CHAR(50)"},
    {"bon", "numfoto", "INT(2)"},
    {"bon", "ondertekend", "BOOLEAN"},
    {"bon", "code", "CHAR(15)"},
    {"opdrachtgever", "adres", "CHAR(50)"},
    {"opdrachtgever", "pc", "CHAR(50)"},
    {"opdrachtgever", "plaats", "CHAR(50)"},
    {"opdrachtgever", "land", "CHAR(50)"},
    {"opdrachtgever", "btwnr", "CHAR(15)"},
    {"opdrachtgever", "debnr", "CHAR(15)"},
    {"opdrachtgever", "telnr", "CHAR(15)"},
    {"opdrachtgever", "mobnr", "CHAR(15)"},
    {"bon", "werkzh", "BLOB_TEXT"},
    {"bon", "opm", "BLOB_TEXT"},
    {"bon", "adres", "CHAR(50)"},
    {"bon", "pcplaats", "CHAR(50)"},
    {"opdrachtgever", "uurprijswerk", "FLOAT(10,2)"},
    {"opdrachtgever", "uurprijsover", "FLOAT(10,2)"},
    {"opdrachtgever", "uurprijsreis", "FLOAT(10,2)"},
    {"opdrachtgever", "kmprijs", "FLOAT(10,2)"},
    {"opdrachtgever", "percob", "FLOAT(10,2)"},
    {"opdrachtgever", "autocomp", "BOOLEAN"},
    {"opdrachtgever", "prijsinc", "BOOLEAN"},
    {"bon", "uurprijswerk", "FLOAT(10,2)"},
    {"bon", "uurprijsover", "FLOAT(10,2)"},
    {"bon", "uurprijsreis", "FLOAT(10,2)"},
    {"bon", "kmprijs", "FLOAT(10,2)"},
    {"bon", "percob", "FLOAT(10,2)"},
    {"bon", "autocomp", "BOOLEAN"},
    {"bon", "prijsinc", "BOOLEAN"},
    {"bon", "monteur", "CHAR(50)"},
    {"bon", "handtekening2", "BLOB"},
    {"bon", "numnodig", "INT(2)"},
    {"bon", "desc1", "CHAR(100)"},
    {"bon", "desc2", "CHAR(100)"},
    {"bon", "desc3", "CHAR(100)"},
    {"bon", "desc4", "CHAR(100)"},
    {"bon", "synced", "BOOLEAN"},
    {"opdrachtgever", "synced", "BOOLEAN"},
    {"onderdeel", "synced", "BOOLEAN"},
};
static_assert(std::size(kAddedColumns) == 43);

// The sort keys of the three cursors and of the overview grids, and the identifier that
// records are located by.
constexpr std::pair<const char*, const char*> kSortIndexes[] = {
    {"bon", "bonnr"},
    {"bon", "id"},
    {"bon", "opdrachtgever"},
    {"bon", "datum"},
    {"opdrachtgever", "naam"},
    {"opdrachtgever", "contactpers"},
    {"opdrachtgever", "id"},
    {"onderdeel", "omschr"},
    {"onderdeel", "bestelnr"},
    {"onderdeel", "id"},
};

// The rows each start-up repair may have to change, as SQL conditions. Each has a partial index
// that holds exactly those rows, so a start finds them in time proportional to their number,
// not to the table's. A condition may take in more rows than need the repair (the repair itself
// decides on each row), never fewer.
struct RepairRows {
    const char* index;
    const char* table;
    const char* column;    // the column the index is on
    const char* condition;
};

// An id needs a repair unless it is 15 characters as text. A 15-character ASCII text is the one
// kind the index leaves out: any other character, a number, a blob or a null is looked at.
constexpr const char* kIdCondition =
    "length(id) IS NOT 15 OR length(CAST(id AS BLOB)) IS NOT 15 OR typeof(id) IS NOT 'text'";
constexpr RepairRows kIdRepairs[] = {
    {"kv_bon_idrepair", "bon", "id", kIdCondition},
    {"kv_opdrachtgever_idrepair", "opdrachtgever", "id", kIdCondition},
    {"kv_onderdeel_idrepair", "onderdeel", "id", kIdCondition},
};
// A ticket still holding the old two-line description.
constexpr RepairRows kOldDescription = {"kv_bon_werkzhmigrate", "bon", "werkzh1",
                                        "length(CAST(werkzh1 AS BLOB)) > 0 OR length(CAST(werkzh2 AS BLOB)) > 0"};
// A ticket number with at most four characters after its first hyphen.
constexpr RepairRows kOldNumber = {"kv_bon_renumber", "bon", "bonnr",
                                   "instr(bonnr, '-') > 0 AND length(bonnr) - instr(bonnr, '-') <= 4"};

void exec(QSqlQuery& q, const QString& sql)
{
    if (!q.exec(sql))
        throw KVError(q.lastError().text());
}

// Calls fn with the rowid and the values of columns of every row the condition takes in, in
// the order the rows were stored. Creates the partial index first when it is missing.
void ForCandidateRows(KVGlobal& g, const RepairRows& rows, const QStringList& columns,
                      const std::function<void(qint64 rowid, const QVector<QVariant>& values)>& fn)
{
    g.db().RequireOpen(rows.table);
    const QString table = QLatin1String(rows.table), index = QLatin1String(rows.index);
    const QString condition = QLatin1String(rows.condition);
    QList<std::pair<qint64, QVector<QVariant>>> found;
    {
        QSqlQuery q(g.db().connection());
        exec(q, QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3) WHERE %4").arg(index, table, QLatin1String(rows.column), condition));
        q.setForwardOnly(true);
        exec(q, QStringLiteral("SELECT rowid, %1 FROM %2 INDEXED BY %3 WHERE %4").arg(columns.join(QStringLiteral(", ")), table, index, condition));
        while (q.next()) {
            QVector<QVariant> values;
            values.reserve(columns.size());
            for (int i = 0; i < columns.size(); ++i)
                values << q.value(i + 1);
            found.append({q.value(0).toLongLong(), std::move(values)});
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [rowid, values] : found)
        fn(rowid, values);
}

// Edits the collected rows one by one through the cursor, so that its row events run, and
// leaves the cursor where a walk from the first row to the end would: on the last row.
//
// The after-post event of a client or part pushes the row to the other units. A push that
// cannot happen now (no network at start-up, a server error) is no failure of the repair: the
// row is stored with synced false and travels with a later upload.
template <class Change>
void EditRows(Table& t, const QList<qint64>& rowids, Change&& change)
{
    const std::function<void(Table&)> afterPost = t.AfterPost;
    if (afterPost)
        t.AfterPost = [&afterPost](Table& row) {
            try {
                afterPost(row);
            } catch (const std::exception&) {
                // the share waits; the local change stands
            }
        };
    const auto restore = qScopeGuard([&] { t.AfterPost = afterPost; });
    for (int i = 0; i < rowids.size(); ++i) {
        if (!t.GotoRowId(rowids[i]))
            continue;
        t.Edit();
        change(t, i);
        t.Post();
    }
    t.Last();
}

// The columns of the table; a missing table fails as opening a cursor on it would.
QStringList ColumnsOf(KVGlobal& g, const QString& table)
{
    g.db().RequireOpen(table);
    QSqlQuery q(g.db().connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)"));
    q.addBindValue(table);
    if (!q.exec())
        throw KVError(q.lastError().text());
    QStringList columns;
    while (q.next())
        columns << q.value(0).toString();
    if (columns.isEmpty())
        throw KVError(QStringLiteral("no such table: %1").arg(table));
    return columns;
}

void AddColumn(KVGlobal& g, const QString& table, const QString& column, const QString& sqlType)
{
    static const QRegularExpression type(QStringLiteral("^[A-Za-z_]+(\\([0-9]+(,[0-9]+)?\\))?$"));
    if (!Table::IsValidIdentifier(table) || !Table::IsValidIdentifier(column) || !type.match(sqlType).hasMatch())
        throw KVError(QStringLiteral("cannot add column \"%1\" \"%2\" \"%3\"").arg(table, column, sqlType));
    g.HulpTable().ExecSQL(QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD ") + column + QLatin1Char(' ') + sqlType);
}

}

QString ColumnText(const QVariant& v)
{
    if (v.isNull())
        return QString();
    if (v.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(v.toByteArray());
    return v.toString();
}

void InstallRowEvents(KVGlobal& g)
{
    g.BonTable().OnNewRecord = [&g](Table& t) { BonTableNewRecord(g, t); };
    const auto newId = [&g](Table& t) { t.SetString(QStringLiteral("id"), NewRecordId(g)); };
    g.OpdrachtgeverTable().OnNewRecord = newId;
    g.OnderdeelTable().OnNewRecord = newId;
}

void AddColumnIfMissing(KVGlobal& g, const QString& table, const QString& column, const QString& sqlType)
{
    if (!Table::IsValidIdentifier(table))
        throw KVError(QStringLiteral("cannot add column \"%1\" \"%2\" \"%3\"").arg(table, column, sqlType));
    if (!ColumnsOf(g, table).contains(column, Qt::CaseInsensitive))
        AddColumn(g, table, column, sqlType);
}

void UpgradeSchema(KVGlobal& g)
{
    g.db().InTransaction([&] {
        // Each table's columns are read once; its missing columns follow in their order.
        for (const char* table : {"bon", "opdrachtgever", "onderdeel"}) {
            const QString name = QLatin1String(table);
            const QStringList present = ColumnsOf(g, name);
            for (const AddedColumn& c : kAddedColumns)
                if (name == QLatin1String(c.table) && !present.contains(QLatin1String(c.column), Qt::CaseInsensitive))
                    AddColumn(g, name, QLatin1String(c.column), QLatin1String(c.type));
        }
    });
}

void AddSortIndexes(KVGlobal& g)
{
    g.db().InTransaction([&] {
        for (const auto& [table, column] : kSortIndexes)
            g.HulpTable().ExecSQL(QStringLiteral("CREATE INDEX IF NOT EXISTS kv_%1_%2 ON %1 (%2)").arg(QLatin1String(table), QLatin1String(column)));
    });
}

void AddLocalTables(KVGlobal& g)
{
    // A template keeps the client, the work location, the work description, the kinds of
    // work, the parts lines and the rates of a ticket, in columns of the same names and types.
    QStringList columns = {QStringLiteral("id VARCHAR(15)"),           QStringLiteral("naam VARCHAR(100)"),
                           QStringLiteral("opdrachtgever VARCHAR(100)"), QStringLiteral("contactpers VARCHAR(100)"),
                           QStringLiteral("email VARCHAR(100)"),       QStringLiteral("adres CHAR(50)"),
                           QStringLiteral("pcplaats CHAR(50)"),        QStringLiteral("werklocatie VARCHAR(100)"),
                           QStringLiteral("werkzh BLOB_TEXT")};
    auto numbered = [&columns](const char* stem, int from, int to, const char* type) {
        for (int k = from; k <= to; ++k)
            columns << QStringLiteral("%1%2 %3").arg(QLatin1String(stem)).arg(k).arg(QLatin1String(type));
    };
    numbered("tw", 1, 10, "BOOLEAN");
    numbered("twd", 7, 10, "VARCHAR(30)");
    columns << QStringLiteral("numodd INTEGER") << QStringLiteral("numnodig INT(2)");
    numbered("bestelnr", 1, 13, "VARCHAR(30)");
    numbered("aantal", 1, 13, "INTEGER");
    numbered("omschr", 1, 13, "VARCHAR(100)");
    numbered("prijs", 1, 13, "FLOAT");
    for (const char* rate : {"uurprijswerk", "uurprijsover", "uurprijsreis", "kmprijs", "percob"})
        columns << QLatin1String(rate) + QStringLiteral(" FLOAT(10,2)");
    columns << QStringLiteral("autocomp BOOLEAN") << QStringLiteral("prijsinc BOOLEAN");
    g.db().InTransaction([&] {
        g.HulpTable().ExecSQL(QStringLiteral("CREATE TABLE IF NOT EXISTS sjabloon (") + columns.join(QStringLiteral(", "))
                              + QLatin1Char(')'));
        g.HulpTable().ExecSQL(QStringLiteral("CREATE INDEX IF NOT EXISTS kv_sjabloon_naam ON sjabloon (naam)"));
        g.HulpTable().ExecSQL(QStringLiteral("CREATE INDEX IF NOT EXISTS kv_sjabloon_id ON sjabloon (id)"));
    });
}

QString TicketDayKeyExpression()
{
    return QStringLiteral("(substr(datum,7,4)||substr(datum,4,2)||substr(datum,1,2))");
}

void AddDateIndex(KVGlobal& g)
{
    g.HulpTable().ExecSQL(QStringLiteral("CREATE INDEX IF NOT EXISTS kv_bon_dagsleutel ON bon ")
                          + TicketDayKeyExpression());
}

void RepairIds(KVGlobal& g)
{
    g.db().InTransaction([&] {
        const std::array<Table*, 3> tables = {&g.BonTable(), &g.OpdrachtgeverTable(), &g.OnderdeelTable()};
        for (size_t i = 0; i < tables.size(); ++i) {
            QList<qint64> rowids;
            ForCandidateRows(g, kIdRepairs[i], {QStringLiteral("ID")}, [&](qint64 rowid, const QVector<QVariant>& v) {
                if (ColumnText(v[0]).length() != 15)
                    rowids << rowid;
            });
            EditRows(*tables[i], rowids, [&g](Table& row, int) { row.SetString(QStringLiteral("id"), NewRecordId(g)); });
        }
    });
}

void MigrateWorkDescription(KVGlobal& g)
{
    Table& bon = g.BonTable();
    g.db().InTransaction([&] {
        QList<qint64> rowids;
        QStringList texts;
        ForCandidateRows(g, kOldDescription, {QStringLiteral("werkzh1"), QStringLiteral("werkzh2")}, [&](qint64 rowid, const QVector<QVariant>& v) {
            const QString w1 = ColumnText(v[0]), w2 = ColumnText(v[1]);
            if (w1.isEmpty() && w2.isEmpty())
                return;
            rowids << rowid;
            // The two old lines become two lines of the description, the second one also when empty.
            texts << w1 + QStringLiteral("\r\n") + w2 + QStringLiteral("\r\n");
        });
        EditRows(bon, rowids, [&](Table& row, int i) {
            row.SetString(QStringLiteral("werkzh"), texts[i]);
            row.SetString(QStringLiteral("werkzh1"), QLatin1String(""));
            row.SetString(QStringLiteral("werkzh2"), QLatin1String(""));
        });
    });
}

QString RenumberedBonnr(const QString& bonnr, const QString& datum)
{
    const int p = int(bonnr.indexOf(QLatin1Char('-'))) + 1; // 1-based, 0 when there is none
    if (p == 0)
        return bonnr;
    const QString prefix = bonnr.left(p - 1);
    const QString tail = bonnr.mid(p, 13);
    const int L = int(tail.length());
    if (L > 4)
        return bonnr;
    const QString year = datum.mid(6, 4);
    // Without a readable year the number would become unit-000N, or take up whatever stands
    // where the year belongs; it is left for a start-up at which the ticket has its date.
    static const QRegularExpression fourDigits(QStringLiteral("^[0-9]{4}$"));
    if (!fourDigits.match(year).hasMatch())
        return bonnr;
    const QString zeros = L < 4 ? QString(4 - L, QLatin1Char('0')) : QString();
    return prefix + QLatin1Char('-') + year + zeros + tail;
}

void RenumberTickets(KVGlobal& g)
{
    Table& bon = g.BonTable();
    g.db().InTransaction([&] {
        // Collected first: a renumbered ticket moves in the bonnr order, and a walk along that
        // order would pass some rows twice and others not at all.
        QList<qint64> rowids;
        QStringList numbers;
        ForCandidateRows(g, kOldNumber, {QStringLiteral("bonnr"), QStringLiteral("datum")}, [&](qint64 rowid, const QVector<QVariant>& v) {
            const QString bonnr = ColumnText(v[0]);
            const QString renumbered = RenumberedBonnr(bonnr, ColumnText(v[1]));
            if (renumbered != bonnr) {
                rowids << rowid;
                numbers << renumbered;
            }
        });
        EditRows(bon, rowids, [&](Table& row, int i) { row.SetString(QStringLiteral("bonnr"), numbers[i]); });
    });
}

bool OpenDatabase(KVGlobal& g)
{
    const QString path = g.DatabasePath();
    InstallRowEvents(g);
    QString reason;
    try {
        g.db().Open(path);
        UpgradeSchema(g);
        AddSortIndexes(g);
        AddSyncTables(g);
        AddLocalTables(g);
        AddDateIndex(g);
        g.BonTable().Open();
        g.OpdrachtgeverTable().Open();
        g.OnderdeelTable().Open();
        RepairIds(g);
        MigrateWorkDescription(g);
        if (g.settings.inst.correctie)
            RenumberTickets(g);
        return true;
    } catch (const std::exception& e) {
        reason = QString::fromUtf8(e.what());
    } catch (...) {
        reason = QStringLiteral("an unknown error");
    }
    // Closed before the message is up, so that nothing reaches a half-opened store while the
    // message waits for its OK.
    g.db().Close();
    const bool present = QFileInfo(path).isFile();
    qCWarning(logStore).noquote() << "database" << path << (present ? "present" : "missing") << "but not opened:" << reason;
    g.seams.ShowMessage(path + QStringLiteral(" opent niet. ") + (present ? QStringLiteral("aanwezig") : QStringLiteral("ontbrekend")));
    return false;
}
