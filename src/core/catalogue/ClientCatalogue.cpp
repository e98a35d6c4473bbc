#include "ClientCatalogue.h"

#include "CatalogueEvents.h"
#include "app/KVGlobal.h"
#include "store/Table.h"

namespace ClientCatalogue {

QList<GridColumn> GridColumns()
{
    return {
        {QStringLiteral("naam"), QStringLiteral("FNCGridOGNaam"), QStringLiteral("Naam"), 100, QStringLiteral("naam")},
        {QStringLiteral("contactpers"), QStringLiteral("FNCGridOGContactpers"), QStringLiteral("Contactpers"), 100,
         QStringLiteral("contactpers")},
        // The e-mail header changes nothing.
        {QStringLiteral("email"), QStringLiteral("FNCGridOGEmail"), QStringLiteral("Email"), 191, QString()},
    };
}

ClientForm Load(KVGlobal& g)
{
    ClientForm f;
    Table& t = g.OpdrachtgeverTable();
    if (t.IsOpen() && !t.IsEmpty()) {
        f.naam = t.AsString(QStringLiteral("naam"));
        f.contactpers = t.AsString(QStringLiteral("contactpers"));
        f.email = t.AsString(QStringLiteral("email"));
        f.adres = t.AsString(QStringLiteral("adres"));
        f.pc = t.AsString(QStringLiteral("pc"));
        f.plaats = t.AsString(QStringLiteral("plaats"));
        f.land = t.AsString(QStringLiteral("land"));
        f.btwnr = t.AsString(QStringLiteral("btwnr"));
        f.debnr = t.AsString(QStringLiteral("debnr"));
        f.telnr = t.AsString(QStringLiteral("telnr"));
        f.mobnr = t.AsString(QStringLiteral("mobnr"));
        f.prijsinc = t.AsBoolean(QStringLiteral("prijsinc"));
        f.autocomp = t.AsBoolean(QStringLiteral("autocomp"));
        f.uurprijswerk = t.AsFloat(QStringLiteral("uurprijswerk"));
        f.uurprijsover = t.AsFloat(QStringLiteral("uurprijsover"));
        f.uurprijsreis = t.AsFloat(QStringLiteral("uurprijsreis"));
        f.kmprijs = t.AsFloat(QStringLiteral("kmprijs"));
        f.percob = t.AsFloat(QStringLiteral("percob"));
    }
    g.LoadedClientRow = t.IsOpen() ? t.CurrentRowId() : -1;
    g.NewCatalogueClient = false;
    return f;
}

ClientForm Add(KVGlobal& g)
{
    const Settings::Inst& d = g.settings.inst;
    ClientForm f;
    f.prijsinc = d.prijsinc;
    f.uurprijswerk = d.werk;
    f.uurprijsover = d.over;
    f.uurprijsreis = d.reis;
    f.kmprijs = d.km;
    f.percob = d.btw;
    f.autocomp = d.autoComp;
    g.NewCatalogueClient = true;
    return f;
}

QString JoinPostcodePlace(const QString& pc, const QString& plaats)
{
    return pc + QLatin1Char(' ') + plaats;
}

PickedClient CopyIntoTicket(KVGlobal& g, const ClientForm& f)
{
    TBon& b = g.bon;
    b.adres = f.adres;
    b.pcplaats = JoinPostcodePlace(f.pc, f.plaats);
    b.uurprijswerk = f.uurprijswerk;
    b.uurprijsover = f.uurprijsover;
    b.uurprijsreis = f.uurprijsreis;
    b.kmprijs = f.kmprijs;
    b.percob = f.percob;
    b.prijsinc = f.prijsinc;
    b.autocomp = f.autocomp;
    return {f.naam, f.contactpers, f.email};
}

void Store(KVGlobal& g, const ClientForm& f)
{
    Table& t = g.OpdrachtgeverTable();
    if (g.NewCatalogueClient) {
        g.NewCatalogueClient = false;
        t.Append();
    } else {
        EditLoadedRow(t, g.LoadedClientRow);
    }
    t.SetString(QStringLiteral("naam"), f.naam);
    t.SetString(QStringLiteral("contactpers"), f.contactpers);
    t.SetString(QStringLiteral("email"), f.email);
    t.SetString(QStringLiteral("adres"), f.adres);
    t.SetString(QStringLiteral("pc"), f.pc);
    t.SetString(QStringLiteral("plaats"), f.plaats);
    t.SetString(QStringLiteral("land"), f.land);
    t.SetString(QStringLiteral("btwnr"), f.btwnr);
    t.SetString(QStringLiteral("debnr"), f.debnr);
    t.SetString(QStringLiteral("telnr"), f.telnr);
    t.SetString(QStringLiteral("mobnr"), f.mobnr);
    t.SetBoolean(QStringLiteral("prijsinc"), f.prijsinc);
    t.SetBoolean(QStringLiteral("autocomp"), f.autocomp);
    t.SetFloat(QStringLiteral("uurprijswerk"), f.uurprijswerk);
    t.SetFloat(QStringLiteral("uurprijsover"), f.uurprijsover);
    t.SetFloat(QStringLiteral("uurprijsreis"), f.uurprijsreis);
    t.SetFloat(QStringLiteral("kmprijs"), f.kmprijs);
    t.SetFloat(QStringLiteral("percob"), f.percob);
    t.Post();
}

void InstallTableEvents(KVGlobal& g)
{
    InstallCatalogueEvents(g, g.OpdrachtgeverTable(), QStringLiteral("og"));
}

} // namespace ClientCatalogue
