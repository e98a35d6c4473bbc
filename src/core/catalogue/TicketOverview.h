#pragma once
#include "CursorModel.h"

class KVGlobal;

// The list of stored tickets. The ticket operations themselves belong to the ticket code;
// this routes the overview's buttons to them on the overview's current row and selection.
namespace TicketOverview {

QList<GridColumn> GridColumns();

// The id of the overview's current ticket, empty on an empty list.
QString CurrentId(KVGlobal& g);

// Copies the current ticket into a new row with the next number.
void Copy(KVGlobal& g);
// Deletes the tickets of rows first..last (0-based, inclusive), locally and without asking.
void DeleteRows(KVGlobal& g, int first, int last);
// Pushes the tickets of rows first..last to the other units.
void Upload(KVGlobal& g, int first, int last);

} // namespace TicketOverview
