#include "TicketOps.h"

#include "document/KVGrid.h"

#include "app/KVError.h"
#include "app/KVGlobal.h"
#include "app/SettingsStore.h"
#include "store/Table.h"

#include <QBuffer>
#include <QRegularExpression>
#include <algorithm>
#include <limits>

namespace {

constexpr int kPartGroups = 13;
constexpr int kPhotos = 4;
// The highest unit number the settings page offers.
constexpr int kMaxUnit = 1000;

QString col(const char* stem, int k) { return QLatin1String(stem) + QString::number(k); }

// The captions of kinds 1..6.
const char* const kTypeItems[] = {"ListBoxItemRegie",   "ListBoxItemProject", "ListBoxItemInspectie",
                                  "ListBoxItemMeerwerk", "ListBoxItemGereed",  "ListBoxItemWaakdienst"};

QByteArray pngOf(const QImage& picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

void clearLine(TOnderdeel& line) { line = TOnderdeel(); }

void writeLine(Table& t, int group, const TOnderdeel& line)
{
    t.SetString(col("bestelnr", group), line.bestelnr);
    t.SetInteger(col("aantal", group), line.aantal);
    t.SetString(col("omschr", group), line.omschr);
    t.SetFloat(col("prijs", group), line.prijs);
}

void writeNullLine(Table& t, int group)
{
    for (const char* stem : {"bestelnr", "aantal", "omschr", "prijs"})
        t.SetNull(col(stem, group));
}

TOnderdeel readLine(const Table& t, int group)
{
    TOnderdeel line;
    line.bestelnr = t.AsString(col("bestelnr", group));
    line.aantal = static_cast<qint32>(t.AsInteger(col("aantal", group)));
    line.omschr = t.AsString(col("omschr", group));
    line.prijs = t.AsFloat(col("prijs", group));
    line.bedrag = line.aantal * line.prijs;
    return line;
}

// The picture stored in a signature column, or a blank one of the pad's size.
QImage storedSignature(const Table& t, const QString& column, SignatureCapture& pad)
{
    QImage picture;
    if (!t.IsNull(column))
        picture = QImage::fromData(t.AsBytes(column));
    return SignatureCapture::OnWhite(picture, pad.PictureSize());
}

void writeColumns(KVGlobal& g, Table& t)
{
    TBon& b = g.bon;
    t.SetString(QStringLiteral("bonnr"), b.bonnr);
    t.SetBytes(QStringLiteral("handtekening"), pngOf(g.pads.Client().Picture()));
    t.SetBytes(QStringLiteral("handtekening2"), pngOf(g.pads.Mechanic().Picture()));
    t.SetBoolean(QStringLiteral("ondertekend"), b.ondertekend);
    const std::pair<const char*, const QString*> texts[] = {
        {"projectnr", &b.projectnr},     {"werklocatie", &b.werklocatie}, {"contactpers", &b.contactpers},
        {"opdrachtgever", &b.opdrachtgever}, {"email", &b.email},       {"opdrachtnr", &b.opdrachtnr},
        {"code", &b.code},               {"adres", &b.adres},             {"pcplaats", &b.pcplaats},
        {"datum", &b.datum}};
    for (const auto& [column, value] : texts)
        t.SetString(QLatin1String(column), *value);
    t.SetString(QStringLiteral("werkzh"), JoinLines(b.werkzh));
    t.SetString(QStringLiteral("opm"), JoinLines(b.opm));
    for (int k = 1; k <= 10; ++k)
        t.SetBoolean(col("tw", k), b.tw[k]);
    for (int k = 7; k <= 10; ++k)
        t.SetString(col("twd", k), b.twd[k]);
    for (int d = 1; d <= 7; ++d) {
        t.SetString(col("dag", d), b.dag[d]);
        t.SetFloat(col("werk", d), b.werk[d]);
        t.SetFloat(col("over", d), b.over[d]);
        t.SetFloat(col("reis", d), b.reis[d]);
        t.SetInteger(col("km", d), b.km[d]);
    }
    WritePartsLines(t, b);
    const int photos = std::clamp(b.numfoto, 0, kPhotos);
    t.SetInteger(QStringLiteral("numfoto"), photos);
    for (int k = 1; k <= kPhotos; ++k) {
        if (k <= photos) {
            t.SetString(col("foto", k), b.foto[k]);
            t.SetString(col("desc", k), b.desc[k]);
        } else {
            t.SetNull(col("foto", k));
            t.SetNull(col("desc", k));
        }
    }
    t.SetFloat(QStringLiteral("uurprijswerk"), b.uurprijswerk);
    t.SetFloat(QStringLiteral("uurprijsover"), b.uurprijsover);
    t.SetFloat(QStringLiteral("uurprijsreis"), b.uurprijsreis);
    t.SetFloat(QStringLiteral("kmprijs"), b.kmprijs);
    t.SetFloat(QStringLiteral("percob"), b.percob);
    t.SetBoolean(QStringLiteral("autocomp"), b.autocomp);
    t.SetBoolean(QStringLiteral("prijsinc"), b.prijsinc);
}

// Columns that CopyBon carries over, by the kind it reads and writes them as.
enum class Kind { Text, Integer, Float, Boolean, Raw };
struct CopyColumn {
    QString name;
    Kind kind;
};

const QList<CopyColumn>& copyColumns()
{
    static const QList<CopyColumn> columns = [] {
        QList<CopyColumn> c;
        auto add = [&c](const QString& name, Kind kind) { c.append({name, kind}); };
        for (const char* n : {"projectnr", "werklocatie", "contactpers", "opdrachtgever", "email", "opdrachtnr",
                              "datum", "werkzh1", "werkzh2"})
            add(QLatin1String(n), Kind::Text);
        for (int k = 1; k <= 10; ++k)
            add(col("tw", k), Kind::Boolean);
        for (int k = 7; k <= 10; ++k)
            add(col("twd", k), Kind::Text);
        for (int d = 1; d <= 7; ++d)
            add(col("dag", d), Kind::Text);
        for (const char* stem : {"werk", "over", "reis"})
            for (int d = 1; d <= 7; ++d)
                add(col(stem, d), Kind::Float);
        for (int d = 1; d <= 7; ++d)
            add(col("km", d), Kind::Integer);
        for (int k = 1; k <= kPartGroups; ++k)
            add(col("bestelnr", k), Kind::Text);
        for (int k = 1; k <= kPartGroups; ++k)
            add(col("aantal", k), Kind::Integer);
        for (int k = 1; k <= kPartGroups; ++k)
            add(col("omschr", k), Kind::Text);
        for (int k = 1; k <= kPartGroups; ++k)
            add(col("prijs", k), Kind::Float);
        add(QStringLiteral("numodd"), Kind::Integer);
        for (int k = 1; k <= kPhotos; ++k)
            add(col("foto", k), Kind::Text);
        // The descriptions travel with the photo names, so the copy's photos keep their texts.
        for (int k = 1; k <= kPhotos; ++k)
            add(col("desc", k), Kind::Text);
        add(QStringLiteral("numfoto"), Kind::Integer);
        add(QStringLiteral("ondertekend"), Kind::Boolean);
        add(QStringLiteral("code"), Kind::Text);
        add(QStringLiteral("werkzh"), Kind::Raw);
        add(QStringLiteral("opm"), Kind::Raw);
        add(QStringLiteral("adres"), Kind::Text);
        add(QStringLiteral("pcplaats"), Kind::Text);
        for (const char* n : {"uurprijswerk", "uurprijsover", "uurprijsreis", "kmprijs", "percob"})
            add(QLatin1String(n), Kind::Float);
        add(QStringLiteral("autocomp"), Kind::Boolean);
        add(QStringLiteral("prijsinc"), Kind::Boolean);
        add(QStringLiteral("monteur"), Kind::Text);
        add(QStringLiteral("numnodig"), Kind::Integer);
        return c;
    }();
    return columns;
}

QVariant readAs(const Table& t, const CopyColumn& c)
{
    switch (c.kind) {
    case Kind::Text: return t.AsString(c.name);
    case Kind::Integer: return t.AsInteger(c.name);
    case Kind::Float: return t.AsFloat(c.name);
    case Kind::Boolean: return t.AsBoolean(c.name) ? 1 : 0;
    case Kind::Raw: return t.Value(c.name);
    }
    return {};
}

// Runs fn on a cursor in Edit or Insert state; a failure cancels the change before it goes on,
// so the cursor is never left half-edited.
template <class F> void changing(Table& t, F&& fn)
{
    try {
        fn();
    } catch (...) {
        t.Cancel();
        throw;
    }
}

} // namespace

QString NoDetail() { return QStringLiteral("...."); }

void WritePartsLines(Table& t, const TBon& b)
{
    // Used lines first, then the needed lines, then empty groups; the counts are held inside
    // the 13 groups so that a count out of range cannot name a column that does not exist.
    const int used = std::clamp(b.numodd, 0, kPartGroups);
    const int needed = std::clamp(b.numnodig, 0, kPartGroups - used);
    t.SetInteger(QStringLiteral("numodd"), used);
    t.SetInteger(QStringLiteral("numnodig"), needed);
    for (int k = 1; k <= used; ++k)
        writeLine(t, k, b.gebruikt[k]);
    for (int k = 1; k <= needed; ++k)
        writeLine(t, used + k, b.benodigd[k]);
    for (int k = used + needed + 1; k <= kPartGroups; ++k)
        writeNullLine(t, k);
}

void ReadPartsLines(const Table& t, TBon& b)
{
    // Counts from another unit are held inside the 13 groups.
    b.numodd = static_cast<int>(std::clamp<qint64>(t.AsInteger(QStringLiteral("numodd")), 0, kPartGroups));
    b.numnodig = static_cast<int>(
        std::clamp<qint64>(t.AsInteger(QStringLiteral("numnodig")), 0, kPartGroups - b.numodd));
    for (int k = 1; k <= kPartGroups; ++k) {
        if (k <= b.numodd)
            b.gebruikt[k] = readLine(t, k);
        else
            clearLine(b.gebruikt[k]);
        if (k <= b.numnodig)
            b.benodigd[k] = readLine(t, b.numodd + k);
        else
            clearLine(b.benodigd[k]);
    }
}

QString UseTicketNumber(KVGlobal& g)
{
    Settings::Inst& inst = g.settings.inst;
    // A unit the settings page could not have set, or a counter that cannot count on, would
    // give numbers like "1--5" or, at the top, numbers that come round again.
    if (inst.unit < 0 || inst.unit > kMaxUnit || inst.bon < 0 || inst.bon == std::numeric_limits<int>::max()) {
        g.seams.ShowMessage(g.Translate(QStringLiteral("Geen nieuw bonnummer: unit of bonteller ligt buiten het bereik."))
                            + QStringLiteral(" (") + QString::number(inst.unit) + QStringLiteral(", ")
                            + QString::number(inst.bon) + QStringLiteral(") ")
                            + g.Translate(QStringLiteral("Pas ze aan in de instellingen.")));
        throw KVAbort("ticket number out of range");
    }
    const QString number = QString::number(inst.unit) + QLatin1Char('-') + QString::number(inst.bon);
    ++inst.bon;
    WriteTicketCounter(g);
    return number;
}

TicketDetails NewBon(KVGlobal& g)
{
    TBon& b = g.bon;
    // The number first: when none can be had, the current ticket stays as it was.
    const QString number = UseTicketNumber(g);
    b.id = QStringLiteral("NEWNEW");
    b.bonnr = number;
    for (QString* s : {&b.projectnr, &b.werklocatie, &b.contactpers, &b.opdrachtgever, &b.opdrachtnr, &b.datum,
                       // The client's mail address and address belong to the previous ticket's
                       // client: a new ticket starts without them, so no mail goes astray.
                       &b.email, &b.code, &b.adres, &b.pcplaats})
        s->clear();
    b.werkzh.clear();
    b.opm.clear();
    b.tw.fill(false);
    for (QString& s : b.twd)
        s.clear();
    for (int d = 1; d <= 7; ++d) {
        b.dag[d].clear();
        b.werk[d] = b.over[d] = b.reis[d] = 0;
        b.km[d] = 0;
    }
    b.numodd = 0;
    b.numnodig = 0;
    for (int k = 1; k <= kPartGroups; ++k) {
        clearLine(b.gebruikt[k]);
        clearLine(b.benodigd[k]);
    }
    b.numfoto = 0;
    for (int k = 1; k <= kPhotos; ++k) {
        b.foto[k].clear();
        b.desc[k].clear();
    }
    TakeDefaultPrices(b, g.settings.inst);
    b.ondertekend = false;
    g.pads.Client().Clear();
    g.pads.Mechanic().Clear();
    b.handtekening = g.pads.Client().Picture();
    b.handtekening2 = g.pads.Mechanic().Picture();

    TicketDetails details;
    details.algemeen = details.type = details.ondertekening = NoDetail();
    for (int d = 1; d <= 7; ++d)
        details.dag[d] = NoDetail();
    return details;
}

LoadResult LoadBon(KVGlobal& g, const QString& id)
{
    LoadResult result;
    Table& t = g.BonTable();
    if (!t.Locate(QStringLiteral("id"), id))
        return result;
    result.found = true;
    TBon& b = g.bon;
    TicketDetails& details = result.details;

    b.id = t.AsString(QStringLiteral("id"));
    b.bonnr = t.AsString(QStringLiteral("bonnr"));
    b.ondertekend = t.AsBoolean(QStringLiteral("ondertekend"));
    b.projectnr = t.AsString(QStringLiteral("projectnr"));
    b.werklocatie = t.AsString(QStringLiteral("werklocatie"));
    b.contactpers = t.AsString(QStringLiteral("contactpers"));
    b.opdrachtgever = t.AsString(QStringLiteral("opdrachtgever"));
    b.email = t.AsString(QStringLiteral("email"));
    b.opdrachtnr = t.AsString(QStringLiteral("opdrachtnr"));
    b.datum = t.AsString(QStringLiteral("datum"));
    if (!b.datum.isEmpty()) {
        try {
            b.week = ParseDatum(b.datum).weekNumber();
        } catch (const KVError&) {
            // an unreadable date keeps the week it had
        }
    }
    b.code = t.AsString(QStringLiteral("code"));
    b.adres = t.AsString(QStringLiteral("adres"));
    b.pcplaats = t.AsString(QStringLiteral("pcplaats"));
    details.algemeen = b.datum.isEmpty() ? NoDetail() : b.datum;

    for (auto [column, lines] : {std::pair{"werkzh", &b.werkzh}, std::pair{"opm", &b.opm}}) {
        try {
            *lines = SplitLines(t.AsString(QLatin1String(column)));
        } catch (const KVError&) {
            lines->clear();
        }
    }

    if (b.ondertekend) {
        for (auto [column, image, pad] :
             {std::tuple{"handtekening", &b.handtekening, &g.pads.Client()},
              std::tuple{"handtekening2", &b.handtekening2, &g.pads.Mechanic()}}) {
            *image = storedSignature(t, QLatin1String(column), *pad);
            pad->SetPicture(*image);
        }
        details.ondertekening = b.opdrachtgever;
    } else {
        g.pads.Client().Clear();
        g.pads.Mechanic().Clear();
        b.handtekening = g.pads.Client().Picture();
        b.handtekening2 = g.pads.Mechanic().Picture();
        details.ondertekening = NoDetail();
    }

    for (int k = 1; k <= 10; ++k)
        b.tw[k] = t.AsBoolean(col("tw", k));
    for (int k = 7; k <= 10; ++k)
        b.twd[k] = t.AsString(col("twd", k));
    const QString summary = TypeSummary(g);
    details.type = summary.isEmpty() ? NoDetail() : summary;

    for (int d = 1; d <= 7; ++d) {
        b.dag[d] = t.AsString(col("dag", d));
        b.werk[d] = t.AsFloat(col("werk", d));
        b.over[d] = t.AsFloat(col("over", d));
        b.reis[d] = t.AsFloat(col("reis", d));
        b.km[d] = static_cast<int>(t.AsInteger(col("km", d)));
        details.dag[d] = DayDetail(b, d);
    }

    ReadPartsLines(t, b);
    // The document reserves rows for at least the lines of the loaded ticket.
    result.maximaChanged = AdjustDocumentPlanToTicket(g, b.numodd, b.numnodig);

    b.numfoto = static_cast<int>(std::clamp<qint64>(t.AsInteger(QStringLiteral("numfoto")), 0, kPhotos));
    for (int k = 1; k <= kPhotos; ++k) {
        b.foto[k] = k <= b.numfoto ? t.AsString(col("foto", k)) : QString();
        b.desc[k] = k <= b.numfoto ? t.AsString(col("desc", k)) : QString();
    }

    b.uurprijswerk = t.AsFloat(QStringLiteral("uurprijswerk"));
    b.uurprijsover = t.AsFloat(QStringLiteral("uurprijsover"));
    b.uurprijsreis = t.AsFloat(QStringLiteral("uurprijsreis"));
    b.kmprijs = t.AsFloat(QStringLiteral("kmprijs"));
    b.percob = t.AsFloat(QStringLiteral("percob"));
    b.autocomp = t.AsBoolean(QStringLiteral("autocomp"));
    b.prijsinc = t.AsBoolean(QStringLiteral("prijsinc"));
    return result;
}

void StoreBon(KVGlobal& g)
{
    Table& t = g.BonTable();
    if (t.Locate(QStringLiteral("id"), g.bon.id)) {
        t.Edit();
    } else {
        t.Append(); // the new row's id comes from the row initialisation
        changing(t, [&] { g.bon.id = t.AsString(QStringLiteral("id")); });
    }
    changing(t, [&] {
        writeColumns(g, t);
        t.Post();
    });
}

bool FinishBon(KVGlobal& g)
{
    StoreBon(g);
    if (!g.CloudSyncEnabled || !g.BonTable().AsBoolean(QStringLiteral("ondertekend")))
        return false;
    if (g.cloud.FanOut(QStringLiteral("kv"), g.BonTable()))
        g.PlaySound(QStringLiteral("woosh.mp3"));
    return true;
}

bool CopyBon(KVGlobal& g, const QString& id)
{
    Table& source = g.HulpTable();
    source.Close();
    source.SetTableName(QStringLiteral("bon"));
    source.Open();
    QList<QVariant> values;
    try {
        if (!source.Locate(QStringLiteral("id"), id)) {
            source.Close();
            return false;
        }
        for (const CopyColumn& c : copyColumns())
            values.append(readAs(source, c));
    } catch (...) {
        source.Close();
        throw;
    }
    source.Close();

    const QString number = UseTicketNumber(g);
    Table& t = g.BonTable();
    t.Append(); // a new id and null signatures
    changing(t, [&] {
        t.SetString(QStringLiteral("bonnr"), number);
        const QList<CopyColumn>& columns = copyColumns();
        for (int i = 0; i < columns.size(); ++i)
            t.SetValue(columns[i].name, values[i]);
        t.Post();
    });
    return true;
}

void DeleteBonRows(KVGlobal& g, int first, int last)
{
    Table& t = g.BonTable();
    // Only rows that exist: past the end, a delete would move on to the rows before first.
    last = std::min(last, t.RecordCount() - 1);
    if (first < 0 || last < first)
        return;
    t.MoveTo(first);
    for (int i = first; i <= last; ++i)
        t.Delete(); // the following row becomes current
}

void CreateSignatureImages(KVGlobal& g)
{
    g.bon.handtekening = SignatureCapture::BlankPicture(g.pads.Client().PictureSize());
    g.bon.handtekening2 = SignatureCapture::BlankPicture(g.pads.Mechanic().PictureSize());
}

QDate ParseDatum(const QString& text)
{
    auto number = [&text](int from, int length) {
        const QString part = text.mid(from, length);
        bool digits = part.size() == length;
        for (QChar c : part)
            digits = digits && c.isDigit() && c.unicode() < 128;
        if (!digits)
            throw KVError(QStringLiteral("'%1' is not a valid date").arg(text));
        return part.toInt();
    };
    const QDate date(number(6, 4), number(3, 2), number(0, 2));
    if (!date.isValid())
        throw KVError(QStringLiteral("'%1' is not a valid date").arg(text));
    return date;
}

QString FormatDatum(const QDate& date) { return date.toString(QStringLiteral("dd-MM-yyyy")); }

QString TypeText(const KVGlobal& g, int k)
{
    if (k >= 1 && k <= 6)
        return g.jargon.Caption(QLatin1String(kTypeItems[k - 1]));
    if (k >= 7 && k <= 10)
        return g.bon.twd[k];
    return {};
}

QString TypeSummary(const KVGlobal& g)
{
    QString summary;
    for (int k = 1; k <= 10; ++k)
        if (g.bon.tw[k])
            summary += TypeText(g, k) + QLatin1Char(' ');
    return summary;
}

QString DayDetail(const TBon& b, int d)
{
    const bool used = b.werk[d] > 0 || b.over[d] > 0 || b.reis[d] > 0 || b.km[d] > 0;
    return used ? b.dag[d] : NoDetail();
}

QString JoinLines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

QStringList SplitLines(const QString& text)
{
    if (text.isEmpty())
        return {};
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(breaks);
    if (lines.last().isEmpty())
        lines.removeLast(); // the break after the last line
    return lines;
}

bool AdjustMaxima(Settings& settings, int numodd, int numnodig)
{
    int& used = settings.inst.maxgebruikt;
    int& needed = settings.inst.maxnodig;
    const int oldUsed = used, oldNeeded = needed;
    if (numodd > used) {
        used = numodd;
        needed = kPartGroups - numodd;
    }
    if (numnodig > needed) {
        needed = numnodig;
        used = kPartGroups - numnodig;
    }
    return used != oldUsed || needed != oldNeeded;
}
