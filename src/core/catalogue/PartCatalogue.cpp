#include "PartCatalogue.h"

#include "CatalogueEvents.h"
#include "Composition.h"
#include "app/KVGlobal.h"
#include "store/Table.h"

namespace PartCatalogue {

namespace {
void writePart(Table& t, const PartForm& f)
{
    t.SetString(QStringLiteral("bestelnr"), f.bestelnr);
    t.SetString(QStringLiteral("omschr"), f.omschr);
    t.SetFloat(QStringLiteral("prijs"), f.prijs);
    t.Post();
}

// Makes the part with exactly this order number and description current. The description has
// an index; only when its first match has another order number are the rows read in one pass.
bool locatePart(Table& t, const QString& bestelnr, const QString& omschr)
{
    if (!t.Locate(QStringLiteral("omschr"), omschr))
        return false;
    if (t.AsString(QStringLiteral("bestelnr")) == bestelnr)
        return true;
    qint64 found = -1;
    t.Scan({QStringLiteral("bestelnr"), QStringLiteral("omschr")}, [&](qint64 rowid, const QVector<QVariant>& v) {
        if (found < 0 && v[0].toString() == bestelnr && v[1].toString() == omschr)
            found = rowid;
    });
    return found >= 0 && t.GotoRowId(found);
}
} // namespace

QList<GridColumn> GridColumns()
{
    return {
        {QStringLiteral("bestelnr"), QStringLiteral("FNCGridODBestelnr"), QStringLiteral("Bestelnr"), 68,
         QStringLiteral("bestelnr")},
        {QStringLiteral("omschr"), QStringLiteral("FNCGridODOmschr"), QStringLiteral("Omschr"), 323, QStringLiteral("omschr")},
    };
}

PartForm Load(KVGlobal& g)
{
    PartForm f;
    Table& t = g.OnderdeelTable();
    if (t.IsOpen() && !t.IsEmpty()) {
        f.bestelnr = t.AsString(QStringLiteral("bestelnr"));
        f.omschr = t.AsString(QStringLiteral("omschr"));
        f.prijs = t.AsFloat(QStringLiteral("prijs"));
    }
    g.LoadedPartRow = t.IsOpen() ? t.CurrentRowId() : -1;
    f.aantal = 1;
    g.NewCataloguePart = false;
    return f;
}

PartForm Add(KVGlobal& g)
{
    g.NewCataloguePart = true;
    return {};
}

bool ShowsComposition(const KVGlobal& g) { return Composition::ShowsPickers(g.settings.pro.bedrijf); }

void Store(KVGlobal& g, const PartForm& f)
{
    if (Composition::IsComposedForFirm(g.settings.pro.bedrijf, f.omschr))
        return;
    Table& t = g.OnderdeelTable();
    if (g.NewCataloguePart) {
        g.NewCataloguePart = false;
        t.Append();
    } else {
        EditLoadedRow(t, g.LoadedPartRow);
    }
    writePart(t, f);
}

bool StoreMatching(KVGlobal& g, const QString& bestelnr, const QString& omschr, const PartForm& f)
{
    if (Composition::IsComposedForFirm(g.settings.pro.bedrijf, f.omschr))
        return false;
    Table& t = g.OnderdeelTable();
    if (locatePart(t, bestelnr, omschr))
        t.Edit();
    else
        t.Append();
    writePart(t, f);
    return true;
}

void InstallTableEvents(KVGlobal& g)
{
    InstallCatalogueEvents(g, g.OnderdeelTable(), QStringLiteral("od"));
}

} // namespace PartCatalogue
