#pragma once
#include "CursorModel.h"

#include <QString>

class KVGlobal;

// The values of the part page.
struct PartForm {
    QString bestelnr, omschr;
    double aantal = 0; // whole numbers 0..1000; rounded when it becomes a line
    double prijs = 0;  // 0..10000, two decimals

    bool operator==(const PartForm&) const = default;
};

namespace PartCatalogue {

constexpr double MaxAantal = 1000;
constexpr double MaxPrijs = 10000;

QList<GridColumn> GridColumns();

// "Laden" (or a double-click on a part): the current part with quantity 1, or an empty page
// on an empty catalogue. Clears NewCataloguePart and remembers the row (LoadedPartRow); the
// cursor stays on the part.
PartForm Load(KVGlobal& g);

// The add button: an empty page (quantity and price 0). Sets NewCataloguePart.
PartForm Add(KVGlobal& g);

// Whether the part page shows the composition pickers after the add button.
bool ShowsComposition(const KVGlobal& g);

// Writes the page into the catalogue: a new part after the add button, else the loaded part
// (a new one when the catalogue was empty). A composed description of the picker firm is not
// taken in. The quantity never goes into the catalogue.
void Store(KVGlobal& g, const PartForm& form);

// Writes the page into the catalogue part that matches an order number and description
// exactly, or into a new part when none does. Returns false for a composed description of
// the picker firm, which is not taken in.
bool StoreMatching(KVGlobal& g, const QString& bestelnr, const QString& omschr, const PartForm& form);

// The row events of OnderdeelTable (new identifier, not-synced after an edit, push after a
// store of a local change).
void InstallTableEvents(KVGlobal& g);

} // namespace PartCatalogue
