#include "KVGrid.h"

#include "Amounts.h"
#include "app/KVGlobal.h"
#include "app/Resources.h"
#include "ticket/TicketOps.h"

#include <QLocale>
#include <algorithm>

namespace {

constexpr int kColumns = 10;
constexpr int kMaxPartsRows = 13;

QString caption(const KVGlobal& g, const char* name)
{
    return g.jargon.Caption(QLatin1String(name));
}

QString capCaption(const KVGlobal& g, const char* name)
{
    return CapitalizeFirst(caption(g, name));
}

QString lowerCaption(const KVGlobal& g, const char* name)
{
    return QLocale().toLower(caption(g, name));
}

QString term(const KVGlobal& g, const char* source)
{
    return g.Translate(QString::fromUtf8(source));
}

void shade(Sheet& s, int col, int row)
{
    s.SetColor(col, row, DocumentShade);
}

// Merges and shades a label block.
void labelBlock(Sheet& s, int col, int row, int colSpan)
{
    s.Merge(col, row, colSpan, 1);
    shade(s, col, row);
}

void ensureImages(KVGlobal& g)
{
    SheetImages& images = g.sheet.images;
    if (!images.Contains(QStringLiteral("ItemChecked")))
        images.Set(QStringLiteral("ItemChecked"), ResourceImage(QStringLiteral(":/images/ItemChecked.png")));
    if (!images.Contains(QStringLiteral("ItemUnchecked")))
        images.Set(QStringLiteral("ItemUnchecked"), ResourceImage(QStringLiteral(":/images/ItemUnchecked.png")));
    if (g.logo.isNull())
        g.logo = ResourceImage(QStringLiteral(":/images/logo.png"));
    images.Set(QStringLiteral("logo"), g.logo);
}

// ---- captions, shared by the build and the relabel ----

void writeTitle(KVGlobal& g)
{
    g.sheet.SetText(7, 0, caption(g, "ListBoxItemKolvarn"));
}

void writeHeaderLabels(KVGlobal& g)
{
    Sheet& s = g.sheet;
    s.SetText(0, 5, capCaption(g, "ListBoxItemProjectNr"));
    s.SetText(5, 5, capCaption(g, "ListBoxItemOpdrachtgever"));
    s.SetText(0, 6, capCaption(g, "ListBoxItemOpdrachtNr"));
    s.SetText(5, 6, capCaption(g, "ListBoxItemContact"));
    s.SetText(0, 7, capCaption(g, "ListBoxItemCode"));
    s.SetText(5, 7, capCaption(g, "ListBoxItemAdres"));
    s.SetText(0, 8, capCaption(g, "ListBoxItemWerkLocatie"));
    s.SetText(5, 8, capCaption(g, "ListBoxItemPlaats"));
}

void writeDescriptionLabel(KVGlobal& g)
{
    g.sheet.SetText(0, 9, capCaption(g, "ListBoxItemWerkzaamheden"));
}

void writeWeekLabels(KVGlobal& g)
{
    static const char* const headings[] = {"Week", "Maandag", "Dinsdag", "Woensdag", "Donderdag",
                                           "Vrijdag", "Zaterdag", "Zondag", "Totaal", "Bedrag"};
    Sheet& s = g.sheet;
    const int w = g.rowPlan.WeekRow;
    for (int c = 0; c < kColumns; ++c)
        s.SetText(c, w, term(g, headings[c]));
    s.SetText(0, w + 1, term(g, "Datum"));
    s.SetText(0, w + 2, capCaption(g, "ListBoxItemWerktijd"));
    s.SetText(0, w + 3, capCaption(g, "ListBoxItemOverwerk"));
    s.SetText(0, w + 4, capCaption(g, "ListBoxItemReistijd"));
    s.SetText(0, w + 5, g.settings.branche.afstand);
}

void writePartsLabels(KVGlobal& g, int titleRow, const char* title)
{
    Sheet& s = g.sheet;
    s.SetText(0, titleRow, term(g, title));
    s.SetText(0, titleRow + 1, term(g, "Bestelnr"));
    s.SetText(1, titleRow + 1, term(g, "Aantal"));
    s.SetText(2, titleRow + 1, term(g, "Omschrijving"));
    s.SetText(8, titleRow + 1, term(g, "Prijs"));
}

void writeRemarksLabels(KVGlobal& g)
{
    Sheet& s = g.sheet;
    const int r = g.rowPlan.RemarksRow;
    s.SetText(0, r, term(g, "Opmerkingen"));
    s.SetText(8, r + 1, term(g, "Totaal") + QStringLiteral(" Ex"));
    s.SetText(8, r + 2, caption(g, "ListBoxItemBTW"));
    s.SetText(8, r + 3, term(g, "Totaal") + QStringLiteral(" Inc"));
}

void writeSignatureLabels(KVGlobal& g, bool relabel)
{
    Sheet& s = g.sheet;
    const int r = g.rowPlan.SignatureRow;
    s.SetText(0, r, term(g, "Handtekening") + QLatin1Char(' ') + lowerCaption(g, "ListBoxItemOpdrachtgever"));
    s.SetText(5, r, relabel ? term(g, "Naam") + QLatin1Char(' ') + lowerCaption(g, "ListBoxItemMonteur")
                            : capCaption(g, "ListBoxItemMonteur"));
}

// The title and heading rows of a parts section, and the description block of its lines.
void buildPartsSection(KVGlobal& g, int titleRow, int lines, const char* title)
{
    Sheet& s = g.sheet;
    labelBlock(s, 0, titleRow, 10);
    for (int r = titleRow + 1; r <= titleRow + 1 + lines; ++r)
        s.Merge(2, r, 6, 1);
    for (int c : {0, 1, 2, 8, 9})
        shade(s, c, titleRow + 1);
    writePartsLabels(g, titleRow, title);
}

// ---- fill ----

void clearPartsLines(Sheet& s, int firstRow, int count)
{
    for (int r = firstRow; r < firstRow + count; ++r)
        for (int c : {0, 1, 2, 8, 9})
            s.SetText(c, r, QString());
}

void fillPartsLines(KVGlobal& g, const std::array<TOnderdeel, 14>& lines, int count, int maxRows,
                    int firstRow, bool needed)
{
    Sheet& s = g.sheet;
    const bool amounts = g.bon.autocomp;
    // Never more lines than the section has rows: the rest of the sheet is not theirs.
    count = std::clamp(count, 0, std::min(maxRows, kMaxPartsRows));
    for (int i = 0; i < count; ++i) {
        const TOnderdeel& line = lines[i + 1];
        const int r = firstRow + i;
        s.SetText(0, r, line.bestelnr);
        s.SetText(1, r, QString::number(line.aantal));
        s.SetText(2, r, line.omschr);
        s.SetText(8, r, amounts ? AmountText(line.prijs) : QString());
        s.SetText(9, r, amounts && !needed ? AmountText(line.bedrag) : QString());
    }
    clearPartsLines(s, firstRow + count, maxRows - count);
}

QString hoursText(double hours)
{
    return hours > 0 ? TimeText(hours) : QString();
}

} // namespace

void RegisterDocumentCaptions(KVGlobal& g)
{
    static const std::pair<const char*, const char*> captions[] = {
        {"ListBoxItemKolvarn", "Kolvarn"},
        {"ListBoxItemProjectNr", "Projectnr"},
        {"ListBoxItemOpdrachtgever", "Opdrachtgever"},
        {"ListBoxItemOpdrachtNr", "Opdrachtnr"},
        {"ListBoxItemContact", "Contact"},
        {"ListBoxItemCode", "Code"},
        {"ListBoxItemAdres", "Adres"},
        {"ListBoxItemWerkLocatie", "Werklocatie"},
        {"ListBoxItemPlaats", "Plaats"},
        {"ListBoxItemWerkzaamheden", "Werkzaamheden"},
        {"ListBoxItemWerktijd", "Werktijd"},
        {"ListBoxItemOverwerk", "Overwerk"},
        {"ListBoxItemReistijd", "Reistijd"},
        {"ListBoxItemBTW", "BTW %"},
        {"ListBoxItemMonteur", "Monteur"},
        {"ListBoxItemRegie", "Regie"},
        {"ListBoxItemProject", "Project"},
        {"ListBoxItemInspectie", "Inspectie"},
        {"ListBoxItemMeerwerk", "Meerwerk"},
        {"ListBoxItemGereed", "Gereed"},
        {"ListBoxItemWaakdienst", "Waakdienst"},
    };
    for (const auto& [name, design] : captions)
        g.jargon.Register(QLatin1String(name), QString::fromUtf8(design));
}

void PlanDocumentRows(KVGlobal& g)
{
    int& used = g.MaxUsedRows();
    int& needed = g.MaxNeededRows();
    used = std::clamp(used, 0, kMaxPartsRows);
    needed = std::clamp(needed, 0, kMaxPartsRows - used);

    RowPlan& p = g.rowPlan;
    p.DescriptionRows = 16 - used - needed;
    p.TypesRow = p.DescriptionRows + 10;
    p.WeekRow = p.TypesRow + 5;
    p.UsedPartsRow = p.WeekRow + 6;
    p.NeededPartsRow = used != 0 ? p.UsedPartsRow + used + 2 : p.UsedPartsRow;
    p.RemarksRow = needed != 0 ? p.NeededPartsRow + needed + 2 : p.NeededPartsRow;
    p.SignatureRow = p.RemarksRow + 4;
    p.FooterRow = p.SignatureRow + 5;
}

void ClearDocument(KVGlobal& g)
{
    g.sheet.BeginUpdate();
    g.sheet.Clear();
    g.sheet.EndUpdate();
}

void BuildDocument(KVGlobal& g)
{
    RegisterDocumentCaptions(g);
    ensureImages(g);
    Sheet& s = g.sheet;
    const RowPlan& p = g.rowPlan;
    s.BeginUpdate();
    s.onGetCellLayout = [plan = &g.rowPlan](int col, int row, SheetAlign stored) {
        return DocumentCellAlignment(*plan, col, row, stored);
    };

    // 1-3: size, fonts, printing and wrapping.
    s.Resize(kColumns, p.FooterRow + 3);
    for (int r = 0; r < s.RowCount(); ++r)
        for (int c = 0; c < kColumns; ++c)
            s.SetFontSize(c, r, Sheet::DefaultFontSize);
    s.printCellBackground = PrintCellBackground::Full;
    for (int c = 0; c < kColumns; ++c)
        s.SetWordWrap(c, c == 0);

    // 4: title block.
    s.Merge(7, 0, 3, 3);
    s.SetFontSize(7, 0, 22);
    s.SetBold(7, 0, true);
    s.SetAlignment(7, 0, SheetAlign::Center);
    writeTitle(g);

    // 5: ticket number and date, office address, logo.
    s.Merge(8, 3, 2, 1);
    s.Merge(7, 4, 3, 1);
    s.Merge(0, 0, 7, 5);
    s.SetImage(0, 0, QStringLiteral("logo"), SheetAlign::Leading);

    // 6: header label and value blocks.
    for (int r = 5; r <= 8; ++r) {
        labelBlock(s, 0, r, 2);
        s.Merge(2, r, 3, 1);
        labelBlock(s, 5, r, 2);
        s.Merge(7, r, 3, 1);
    }
    writeHeaderLabels(g);

    // 7: work description.
    labelBlock(s, 0, 9, 10);
    writeDescriptionLabel(g);
    s.Merge(0, 10, 10, p.DescriptionRows);

    // 8: job types.
    labelBlock(s, 0, p.TypesRow, 10);
    for (int r = p.TypesRow + 1; r <= p.TypesRow + 3; ++r) {
        shade(s, 0, r);
        s.Merge(1, r, 3, 1);
        s.Merge(4, r, 3, 1);
        s.Merge(7, r, 3, 1);
    }
    labelBlock(s, 0, p.TypesRow + 4, 10);

    // 9: week table.
    for (int c = 0; c < kColumns; ++c)
        shade(s, c, p.WeekRow);
    for (int r = p.WeekRow + 1; r <= p.WeekRow + 5; ++r)
        shade(s, 0, r);
    writeWeekLabels(g);

    // 10-11: parts sections.
    if (g.MaxUsedRows() > 0)
        buildPartsSection(g, p.UsedPartsRow, g.MaxUsedRows(), "Gebruikte onderdelen");
    if (g.MaxNeededRows() > 0)
        buildPartsSection(g, p.NeededPartsRow, g.MaxNeededRows(), "Benodigde onderdelen");

    // 12: remarks and totals.
    s.Merge(0, p.RemarksRow, 8, 1);
    for (int c : {0, 8, 9})
        shade(s, c, p.RemarksRow);
    s.Merge(0, p.RemarksRow + 1, 8, 3);
    for (int r = p.RemarksRow + 1; r <= p.RemarksRow + 3; ++r)
        shade(s, 8, r);
    writeRemarksLabels(g);

    // 13: signatures.
    labelBlock(s, 0, p.SignatureRow, 5);
    s.Merge(0, p.SignatureRow + 1, 5, 4);
    labelBlock(s, 5, p.SignatureRow, 2);
    s.Merge(7, p.SignatureRow, 3, 1);
    s.Merge(5, p.SignatureRow + 1, 5, 4);
    writeSignatureLabels(g, false);

    // 14: footers.
    for (int r = p.FooterRow; r <= p.FooterRow + 2; ++r) {
        s.SetFontSize(0, r, 8);
        s.SetAlignment(0, r, SheetAlign::Center);
        labelBlock(s, 0, r, 10);
    }
    s.EndUpdate();
}

void RelabelDocument(KVGlobal& g)
{
    RegisterDocumentCaptions(g);
    const RowPlan& p = g.rowPlan;
    g.sheet.BeginUpdate();
    writeTitle(g);
    writeHeaderLabels(g);
    writeDescriptionLabel(g);
    writeWeekLabels(g);
    if (g.MaxUsedRows() > 0)
        writePartsLabels(g, p.UsedPartsRow, "Gebruikte onderdelen");
    if (g.MaxNeededRows() > 0)
        writePartsLabels(g, p.NeededPartsRow, "Benodigde onderdelen");
    writeRemarksLabels(g);
    writeSignatureLabels(g, true);
    g.sheet.EndUpdate();
}

void ShowDocumentLogo(KVGlobal& g)
{
    ensureImages(g);
    g.sheet.BeginUpdate();
    g.sheet.SetImage(0, 0, QStringLiteral("logo"), SheetAlign::Leading);
    g.sheet.EndUpdate();
}

bool AdjustDocumentPlanToTicket(KVGlobal& g, int numodd, int numnodig)
{
    const bool changed =
        AdjustMaxima(g.settings, std::clamp(numodd, 0, kMaxPartsRows), std::clamp(numnodig, 0, kMaxPartsRows));
    if (changed) {
        ClearDocument(g);
        PlanDocumentRows(g);
        BuildDocument(g);
    }
    return changed;
}

void FillDocument(KVGlobal& g)
{
    RegisterDocumentCaptions(g);
    Sheet& s = g.sheet;
    const RowPlan& p = g.rowPlan;
    const TBon& b = g.bon;
    s.BeginUpdate();

    // 1: the preview goes back to the width-fitted scale.
    g.PreviewZoomed = false;

    // 2-3: clear the week values, the totals and the parts lines.
    for (int r = p.WeekRow + 1; r <= p.WeekRow + 5; ++r)
        for (int c = 1; c <= 7; ++c)
            s.SetText(c, r, QString());
    for (int r = p.WeekRow + 2; r <= p.WeekRow + 5; ++r) {
        s.SetText(8, r, QString());
        s.SetText(9, r, QString());
    }
    for (int r = p.RemarksRow + 1; r <= p.RemarksRow + 3; ++r)
        s.SetText(9, r, QString());
    if (g.MaxUsedRows() > 0)
        clearPartsLines(s, p.UsedPartsRow + 2, g.MaxUsedRows());
    if (g.MaxNeededRows() > 0)
        clearPartsLines(s, p.NeededPartsRow + 2, g.MaxNeededRows());

    // 4: footers.
    s.SetText(0, p.FooterRow, g.settings.pro.footer1);
    s.SetText(0, p.FooterRow + 1, g.settings.pro.footer2);
    s.SetText(0, p.FooterRow + 2, g.settings.pro.footer3);

    // 5: amounts.
    ComputeTicketTotals(g);

    // 6: the two long texts.
    s.SetText(0, 10, b.werkzh.join(QLatin1Char('\n')));
    s.SetText(0, p.RemarksRow + 1, b.opm.join(QLatin1Char('\n')));

    // 7: header.
    s.SetText(0, p.WeekRow, term(g, "Week") + QLatin1Char(' ') + QString::number(b.week));
    s.SetText(2, 5, b.projectnr);
    s.SetText(2, 6, b.opdrachtnr);
    s.SetText(2, 7, b.code);
    s.SetText(2, 8, b.werklocatie);
    s.SetText(7, 5, b.opdrachtgever);
    s.SetText(7, 6, b.contactpers);
    s.SetText(7, 7, b.adres);
    s.SetText(7, 8, b.pcplaats);
    s.SetText(7, 4, g.settings.inst.email);
    s.SetText(7, 3, b.bonnr);
    s.SetText(8, 3, b.datum);

    // 8: job types, three per row.
    static const char* const typeCaptions[] = {"ListBoxItemRegie", "ListBoxItemProject", "ListBoxItemInspectie",
                                               "ListBoxItemMeerwerk", "ListBoxItemGereed", "ListBoxItemWaakdienst"};
    for (int k = 1; k <= 9; ++k) {
        const QString name = k <= 6 ? capCaption(g, typeCaptions[k - 1]) : b.twd[k];
        const QString box = b.tw[k] ? QStringLiteral("<img src=\"Itemchecked\"/>") : QStringLiteral("<img src=\"ItemUnchecked\"/>");
        s.SetText(1 + 3 * ((k - 1) % 3), p.TypesRow + 1 + (k - 1) / 3, box + name);
    }

    // 9: week table.
    for (int d = 1; d <= 7; ++d) {
        s.SetText(d, p.WeekRow + 1, b.dag[d].left(5));
        s.SetText(d, p.WeekRow + 2, hoursText(b.werk[d]));
        s.SetText(d, p.WeekRow + 3, hoursText(b.over[d]));
        s.SetText(d, p.WeekRow + 4, hoursText(b.reis[d]));
        s.SetText(d, p.WeekRow + 5, b.km[d] > 0 ? QString::number(b.km[d]) : QString());
    }
    for (int k = 1; k <= 3; ++k)
        s.SetText(8, p.WeekRow + 1 + k, TimeText(g.WeekTotals[k]));
    s.SetFloat(8, p.WeekRow + 5, g.WeekTotals[4]);
    if (b.autocomp)
        for (int k = 1; k <= 4; ++k)
            s.SetText(9, p.WeekRow + 1 + k, AmountText(g.WeekAmounts[k]));

    // 10: parts lines.
    if (g.MaxUsedRows() > 0)
        fillPartsLines(g, b.gebruikt, b.numodd, g.MaxUsedRows(), p.UsedPartsRow + 2, false);
    if (g.MaxNeededRows() > 0)
        fillPartsLines(g, b.benodigd, b.numnodig, g.MaxNeededRows(), p.NeededPartsRow + 2, true);

    // 11: totals.
    if (b.autocomp) {
        s.SetText(9, p.RemarksRow + 1, AmountText(g.TotalEx));
        s.SetText(9, p.RemarksRow + 2, AmountText(g.VatAmount));
        s.SetText(9, p.RemarksRow + 3, AmountText(g.TotalInc));
    }

    // 12: mechanic and signatures.
    s.SetText(7, p.SignatureRow, g.settings.inst.monteur);
    s.SetBitmap(0, p.SignatureRow + 1, b.handtekening);
    s.SetBitmap(5, p.SignatureRow + 1, b.handtekening2);
    s.EndUpdate();
}

SheetAlign DocumentCellAlignment(const RowPlan& plan, int col, int row, SheetAlign stored)
{
    if (col == 9 && row > plan.WeekRow)
        return SheetAlign::Trailing;
    if (col == 8 && row >= plan.UsedPartsRow + 1 && row <= plan.SignatureRow - 1)
        return SheetAlign::Trailing;
    return stored;
}

bool IsSignatureBlockRow(const RowPlan& plan, int row)
{
    return row > plan.SignatureRow && row <= plan.SignatureRow + 4;
}

TextFit DescriptionFit(const KVGlobal& g, const QStringList& lines)
{
    return SheetPainter(g.sheet).FitText(0, 10, lines.join(QLatin1Char('\n')));
}

TextFit RemarksFit(const KVGlobal& g, const QStringList& lines)
{
    return SheetPainter(g.sheet).FitText(0, g.rowPlan.RemarksRow + 1, lines.join(QLatin1Char('\n')));
}

QString TextFitCaption(const KVGlobal& g, const TextFit& fit)
{
    return QStringLiteral("%1 / %2 ").arg(fit.lines).arg(fit.shown) + g.Translate(QStringLiteral("regels"));
}
