#include "TicketTemplates.h"

#include "app/KVError.h"
#include "app/KVGlobal.h"
#include "document/KVGrid.h"
#include "store/KVid.h"
#include "store/Table.h"

#include <algorithm>

namespace TicketTemplates {
namespace {

const QString kTable = QStringLiteral("sjabloon");

QString col(const char* stem, int k) { return QLatin1String(stem) + QString::number(k); }

// The client's texts and the work location: what a template keeps of the general page.
const std::pair<const char*, QString TBon::*> kTexts[] = {
    {"opdrachtgever", &TBon::opdrachtgever}, {"contactpers", &TBon::contactpers}, {"email", &TBon::email},
    {"adres", &TBon::adres},                 {"pcplaats", &TBon::pcplaats},       {"werklocatie", &TBon::werklocatie},
};
// The client's rates, which picking the client puts into a ticket.
const std::pair<const char*, double TBon::*> kRates[] = {
    {"uurprijswerk", &TBon::uurprijswerk}, {"uurprijsover", &TBon::uurprijsover}, {"uurprijsreis", &TBon::uurprijsreis},
    {"kmprijs", &TBon::kmprijs},           {"percob", &TBon::percob},
};

// A cursor of its own over the templates: no other cursor of the program moves with it.
struct Templates {
    explicit Templates(KVGlobal& g) : table(g.db(), kTable, QStringLiteral("naam")) { table.Open(); }
    Table table;
};

void writeContents(Table& t, const TBon& b)
{
    for (const auto& [column, field] : kTexts)
        t.SetString(QLatin1String(column), b.*field);
    t.SetString(QStringLiteral("werkzh"), JoinLines(b.werkzh));
    for (int k = 1; k <= 10; ++k)
        t.SetBoolean(col("tw", k), b.tw[k]);
    for (int k = 7; k <= 10; ++k)
        t.SetString(col("twd", k), b.twd[k]);
    WritePartsLines(t, b);
    for (const auto& [column, field] : kRates)
        t.SetFloat(QLatin1String(column), b.*field);
    t.SetBoolean(QStringLiteral("autocomp"), b.autocomp);
    t.SetBoolean(QStringLiteral("prijsinc"), b.prijsinc);
}

// The template's contents onto a ticket; the other fields of the ticket stay as they are.
void readContents(const Table& t, TBon& b)
{
    for (const auto& [column, field] : kTexts)
        b.*field = t.AsString(QLatin1String(column));
    b.werkzh = SplitLines(t.AsString(QStringLiteral("werkzh")));
    for (int k = 1; k <= 10; ++k)
        b.tw[k] = t.AsBoolean(col("tw", k));
    for (int k = 7; k <= 10; ++k)
        b.twd[k] = t.AsString(col("twd", k));
    ReadPartsLines(t, b);
    for (const auto& [column, field] : kRates)
        b.*field = t.AsFloat(QLatin1String(column));
    b.autocomp = t.AsBoolean(QStringLiteral("autocomp"));
    b.prijsinc = t.AsBoolean(QStringLiteral("prijsinc"));
}

// Runs a change of the current row; a failure cancels it before it goes on.
template <class F> void changing(Table& t, F&& change)
{
    try {
        change();
        t.Post();
    } catch (...) {
        t.Cancel();
        throw;
    }
}

} // namespace

QList<TicketTemplate> List(KVGlobal& g)
{
    Templates templates(g);
    Table& t = templates.table;
    QList<TicketTemplate> list;
    for (t.First(); !t.IsEmpty() && !t.Eof(); t.Next())
        list.append({t.AsString(QStringLiteral("id")), t.AsString(QStringLiteral("naam")),
                     t.AsString(QStringLiteral("opdrachtgever"))});
    std::stable_sort(list.begin(), list.end(), [](const TicketTemplate& a, const TicketTemplate& b) {
        return a.naam.localeAwareCompare(b.naam) < 0;
    });
    return list;
}

std::optional<TicketTemplate> Find(KVGlobal& g, const QString& name)
{
    const QString wanted = name.trimmed();
    for (const TicketTemplate& t : List(g))
        if (t.naam.trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            return t;
    return std::nullopt;
}

QString SaveCurrentTicket(KVGlobal& g, const QString& name)
{
    const QString naam = name.trimmed();
    if (naam.isEmpty())
        throw KVError(g.Translate(QStringLiteral("Geef het sjabloon een naam.")));
    const std::optional<TicketTemplate> existing = Find(g, naam);
    Templates templates(g);
    Table& t = templates.table;
    QString id;
    if (existing && t.Locate(QStringLiteral("id"), existing->id)) {
        id = existing->id;
        t.Edit();
    } else {
        id = NewRecordId(g);
        t.Append();
    }
    changing(t, [&] {
        t.SetString(QStringLiteral("id"), id);
        t.SetString(QStringLiteral("naam"), naam);
        writeContents(t, g.bon);
    });
    return id;
}

bool Rename(KVGlobal& g, const QString& id, const QString& name)
{
    const QString naam = name.trimmed();
    if (naam.isEmpty())
        return false;
    const std::optional<TicketTemplate> same = Find(g, naam);
    if (same && same->id != id)
        return false;
    Templates templates(g);
    Table& t = templates.table;
    if (!t.Locate(QStringLiteral("id"), id))
        return false;
    t.Edit();
    changing(t, [&] { t.SetString(QStringLiteral("naam"), naam); });
    return true;
}

bool Remove(KVGlobal& g, const QString& id)
{
    Templates templates(g);
    Table& t = templates.table;
    if (!t.Locate(QStringLiteral("id"), id))
        return false;
    t.Delete();
    return true;
}

std::optional<TicketDetails> NewBonFromTemplate(KVGlobal& g, const QString& id)
{
    TBon contents;
    {
        Templates templates(g);
        Table& t = templates.table;
        if (!t.Locate(QStringLiteral("id"), id))
            return std::nullopt;
        readContents(t, contents);
    }
    TicketDetails details = NewBon(g);
    TBon& b = g.bon;
    for (const auto& [column, field] : kTexts)
        b.*field = contents.*field;
    b.werkzh = contents.werkzh;
    b.tw = contents.tw;
    b.twd = contents.twd;
    b.numodd = contents.numodd;
    b.numnodig = contents.numnodig;
    b.gebruikt = contents.gebruikt;
    b.benodigd = contents.benodigd;
    for (const auto& [column, field] : kRates)
        b.*field = contents.*field;
    b.autocomp = contents.autocomp;
    b.prijsinc = contents.prijsinc;

    const QDate today = g.seams.Now().date();
    b.datum = FormatDatum(today);
    b.week = today.weekNumber();
    details.algemeen = b.datum;
    const QString summary = TypeSummary(g);
    details.type = summary.isEmpty() ? NoDetail() : summary;
    // The document reserves rows for at least the template's lines, as on a load.
    AdjustDocumentPlanToTicket(g, b.numodd, b.numnodig);
    return details;
}

} // namespace TicketTemplates
