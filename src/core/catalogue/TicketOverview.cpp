#include "TicketOverview.h"

#include "app/KVGlobal.h"
#include "store/Table.h"
#include "ticket/TicketOps.h"

namespace TicketOverview {

QList<GridColumn> GridColumns()
{
    return {
        {QStringLiteral("bonnr"), QStringLiteral("FNCGridKVBonnr"), QStringLiteral("Bonnr"), 100, QStringLiteral("bonnr")},
        {QStringLiteral("datum"), QStringLiteral("FNCGridKVDatum"), QStringLiteral("Datum"), 100, QStringLiteral("datum")},
        {QStringLiteral("opdrachtgever"), QStringLiteral("FNCGridKVOpdrachtgever"), QStringLiteral("Opdrachtgever"), 191,
         QStringLiteral("opdrachtgever")},
    };
}

QString CurrentId(KVGlobal& g)
{
    Table& t = g.BonTable();
    return t.IsOpen() && !t.IsEmpty() ? t.AsString(QStringLiteral("id")) : QString();
}

void Copy(KVGlobal& g) { CopyBon(g, CurrentId(g)); }

void DeleteRows(KVGlobal& g, int first, int last) { DeleteBonRows(g, first, last); }

void Upload(KVGlobal& g, int first, int last) { g.cloud.UploadTickets(first, last); }

} // namespace TicketOverview
