#pragma once
#include <QString>
#include <QVariant>

class KVGlobal;

// The local store at start-up: open kolvarn.db3, bring its schema up to date, open the three
// cursors and repair older data. Each step works on the connection and cursors of g.

// The whole sequence. On any failure the remaining steps are skipped, the connection and its
// cursors are closed, and g.seams shows the path + " opent niet. " + "aanwezig" or
// "ontbrekend" (whether a file is at the path); returns false then. Every later store
// operation fails with a KVError until the program ends.
bool OpenDatabase(KVGlobal& g);

// The new-row handlers of the three cursors: a fresh identifier for every new row, and no
// signatures on a new ticket. OpenDatabase installs them; later handlers may wrap them.
void InstallRowEvents(KVGlobal& g);

// Adds the column with this SQL type when the table lacks it. Table, column and type must be
// plain names (the type may carry a size such as "FLOAT(10,2)"); a missing table throws.
void AddColumnIfMissing(KVGlobal& g, const QString& table, const QString& column, const QString& sqlType);
// The 43 columns that later versions added, in their order; one transaction.
void UpgradeSchema(KVGlobal& g);
// An index for each column the cursors and the overview grids sort or look up by, when it is
// missing. Older versions of the program ignore them.
void AddSortIndexes(KVGlobal& g);

// A stored column value as text: null is empty, a blob is read as UTF-8 (older units stored
// texts as blobs), anything else as its text.
QString ColumnText(const QVariant& v);

// The local tables that later versions added, when they are missing: sjabloon, the ticket
// templates (never shared with other units). Older versions of the program leave them alone.
void AddLocalTables(KVGlobal& g);
// The ticket date "DD-MM-YYYY" of a bon row as "YYYYMMDD", in the one spelling that both the
// index of AddDateIndex and every query that searches a period by it use.
QString TicketDayKeyExpression();
// An index on TicketDayKeyExpression, so that the tickets of a period are found without reading
// the others. Older versions of the program keep it up to date without knowing it.
void AddDateIndex(KVGlobal& g);

// A fresh identifier for every row of bon, opdrachtgever and onderdeel (in that order; within
// a table in the order the rows were stored) whose id is not 15 characters long, edited and
// posted through the table's cursor so that its row events run; one transaction.
void RepairIds(KVGlobal& g);
// Moves werkzh1/werkzh2 into werkzh (each line followed by CR LF) and empties them.
void MigrateWorkDescription(KVGlobal& g);
// Rewrites old ticket numbers unit-N (N up to four characters) to unit-YYYY000N.
void RenumberTickets(KVGlobal& g);
// The number RenumberTickets gives a ticket with this number and date; the number itself when
// it stays as it is.
QString RenumberedBonnr(const QString& bonnr, const QString& datum);
