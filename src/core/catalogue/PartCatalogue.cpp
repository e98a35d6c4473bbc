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
    } else if (t.IsEmpty()) {
        t.Append();
    } else {
        t.Edit();
    }
    writePart(t, f);
}

bool StoreMatching(KVGlobal& g, const QString& bestelnr, const QString& omschr, const PartForm& f)
{
    if (Composition::IsComposedForFirm(g.settings.pro.bedrijf, f.omschr))
        return false;
    Table& t = g.OnderdeelTable();
    if (t.Locate({{QStringLiteral("bestelnr"), bestelnr}, {QStringLiteral("omschr"), omschr}}))
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
