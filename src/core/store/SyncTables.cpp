#include "SyncTables.h"

#include "Database.h"
#include "Table.h"
#include "app/KVGlobal.h"

namespace {
const char* const kSyncTables[] = {
    "CREATE TABLE IF NOT EXISTS outbox (rec VARCHAR(20), kind VARCHAR(2), id VARCHAR(15), source VARCHAR(15), "
    "units VARCHAR(30), attempts INT, lasterror VARCHAR(200), queued VARCHAR(24), sent VARCHAR(24), settle BOOLEAN)",
    "CREATE TABLE IF NOT EXISTS conflicts (kind VARCHAR(2), copy VARCHAR(15), record VARCHAR(15), created VARCHAR(24))",
    "CREATE TABLE IF NOT EXISTS syncstatus (item VARCHAR(10), moment VARCHAR(24), detail VARCHAR(500))",
    // Entries and copies are looked up by their key on every store and every downloaded row.
    "CREATE INDEX IF NOT EXISTS outbox_rec ON outbox (rec)",
    "CREATE INDEX IF NOT EXISTS conflicts_copy ON conflicts (copy)",
};
}

void AddSyncTables(KVGlobal& g)
{
    g.db().InTransaction([&] {
        for (const char* sql : kSyncTables)
            g.HulpTable().ExecSQL(QLatin1String(sql));
    });
}
