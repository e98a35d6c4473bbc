#pragma once
#include <QString>

class KVGlobal;
class Table;

// The row events shared by the client and the parts catalogue: an edit marks the row as not
// synced, and a store of a row that did not come from the cloud is pushed to the other units
// (kind "og" or "od") with the "woosh.mp3" sound once it went out (it waits in the outbox while
// it cannot). The new-row event (a fresh identifier) is the
// store's own and is installed when the database opens.
void InstallCatalogueEvents(KVGlobal& g, Table& table, const QString& kind);

// Puts the row a page was loaded with (its rowid, -1 for none) into edit mode, wherever the
// cursor is by now; without that row (an empty catalogue then, or the row deleted since) a new
// row takes the page's values instead of whichever row is current.
void EditLoadedRow(Table& table, qint64 rowid);
