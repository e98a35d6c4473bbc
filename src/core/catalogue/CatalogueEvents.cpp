#include "CatalogueEvents.h"

#include "app/KVGlobal.h"
#include "store/Table.h"

void InstallCatalogueEvents(KVGlobal& g, Table& table, const QString& kind)
{
    table.AfterEdit = [](Table& t) { t.SetBoolean(QStringLiteral("synced"), false); };
    table.AfterPost = [&g, kind](Table& t) {
        // A row stored by the download carries synced true and is not sent back.
        if (!g.CloudSyncEnabled || t.AsBoolean(QStringLiteral("synced")))
            return;
        // The sound only when it went out: a record that waits for the connection is sent later.
        if (g.cloud.FanOut(kind, t))
            g.PlaySound(QStringLiteral("woosh.mp3"));
    };
}

void EditLoadedRow(Table& table, qint64 rowid)
{
    if (rowid >= 0 && table.GotoRowId(rowid))
        table.Edit();
    else
        table.Append();
}
