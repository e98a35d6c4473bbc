#include "SampleTicket.h"
#include "TestSupport.h"
#include "document/Amounts.h"
#include "document/KVGrid.h"

#include <gtest/gtest.h>

namespace {

// A KVGlobal with the sheet planned and built for the given plan sizes.
struct Built : TestApp {
    Built(int used, int needed) : TestApp(Edition::Dutch, false)
    {
        g->MaxUsedRows() = used;
        g->MaxNeededRows() = needed;
        PlanDocumentRows(*g);
        BuildDocument(*g);
    }
    Sheet& s() { return g->sheet; }
};

bool shaded(const Sheet& s, int c, int r) { return s.Cell(c, r).color == DocumentShade; }

} // namespace

TEST(DocumentPlan, RowPlansForThePlanSizes)
{
    struct Case { int used, needed; RowPlan plan; int rows; };
    const Case cases[] = {
        {13, 0, {3, 13, 18, 24, 39, 39, 43, 48}, 51},
        {0, 0, {16, 26, 31, 37, 37, 37, 41, 46}, 49},
        {5, 5, {6, 16, 21, 27, 34, 41, 45, 50}, 53},
        {9, 4, {3, 13, 18, 24, 35, 41, 45, 50}, 53},
        {0, 7, {9, 19, 24, 30, 30, 39, 43, 48}, 51},
    };
    for (const Case& c : cases) {
        Built b(c.used, c.needed);
        const RowPlan& p = b.g->rowPlan;
        const int got[] = {p.DescriptionRows, p.TypesRow, p.WeekRow, p.UsedPartsRow, p.NeededPartsRow, p.RemarksRow, p.SignatureRow, p.FooterRow};
        const int want[] = {c.plan.DescriptionRows, c.plan.TypesRow, c.plan.WeekRow, c.plan.UsedPartsRow,
                            c.plan.NeededPartsRow, c.plan.RemarksRow, c.plan.SignatureRow, c.plan.FooterRow};
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(got[i], want[i]) << c.used << "/" << c.needed << " member " << i;
        EXPECT_EQ(b.s().RowCount(), c.rows);
        EXPECT_EQ(b.s().ColumnCount(), 10);
        EXPECT_EQ(b.s().Cell(0, 10).rowSpan, c.plan.DescriptionRows);
    }
}

TEST(DocumentPlan, SizesOutsideTheInvariantAreBroughtBack)
{
    TestApp app(Edition::Dutch, false);
    app.g->MaxUsedRows() = 20;
    app.g->MaxNeededRows() = -2;
    PlanDocumentRows(*app.g);
    EXPECT_EQ(app.g->MaxUsedRows(), 13);
    EXPECT_EQ(app.g->MaxNeededRows(), 0);
    EXPECT_EQ(app.g->rowPlan.DescriptionRows, 3);
}

TEST(DocumentPlan, TicketLoadAdjustsThePlanWhenItsLinesDoNotFit)
{
    struct Case { int used, needed, numodd, numnodig; bool changed; int newUsed, newNeeded; };
    const Case cases[] = {
        {5, 5, 13, 0, true, 13, 0},
        {13, 0, 0, 4, true, 9, 4},
        {8, 5, 10, 0, true, 10, 3},
        {10, 3, 10, 0, false, 10, 3},
        {13, 0, 3, 0, false, 13, 0},
        {11, 2, 2, 3, true, 10, 3},
    };
    for (const Case& c : cases) {
        Built b(c.used, c.needed);
        b.s().SetText(0, 10, QStringLiteral("left from before"));
        EXPECT_EQ(AdjustDocumentPlanToTicket(*b.g, c.numodd, c.numnodig), c.changed) << c.used << "/" << c.needed;
        EXPECT_EQ(b.g->MaxUsedRows(), c.newUsed);
        EXPECT_EQ(b.g->MaxNeededRows(), c.newNeeded);
        EXPECT_EQ(b.s().RowCount(), b.g->rowPlan.FooterRow + 3);
        EXPECT_EQ(b.s().Text(0, 10).isEmpty(), c.changed); // a rebuild starts from an empty sheet
    }
    // 13 used lines under 5/5: the needed-parts section is gone.
    Built b(5, 5);
    AdjustDocumentPlanToTicket(*b.g, 13, 0);
    const RowPlan& p = b.g->rowPlan;
    EXPECT_EQ(p.NeededPartsRow, p.RemarksRow);
    EXPECT_EQ(b.s().Text(0, p.RemarksRow), QStringLiteral("Opmerkingen"));
}

// Every block of the built sheet with the defaults (13, 0), cell by cell.
TEST(DocumentBuild, BlocksShadingAndCaptionsOfTheDefaultSheet)
{
    Built b(13, 0);
    const Sheet& s = b.s();
    struct Case { int col, row, colSpan, rowSpan; bool shade; const char* text; int size; };
    const Case cases[] = {
        {0, 0, 7, 5, false, "", 11},
        {7, 0, 3, 3, false, "Kolvarn", 22},
        {7, 3, 1, 1, false, "", 11},
        {8, 3, 2, 1, false, "", 11},
        {7, 4, 3, 1, false, "", 11},
        {0, 5, 2, 1, true, "Projectnr", 11},
        {2, 5, 3, 1, false, "", 11},
        {5, 5, 2, 1, true, "Opdrachtgever", 11},
        {7, 5, 3, 1, false, "", 11},
        {0, 6, 2, 1, true, "Opdrachtnr", 11},
        {5, 6, 2, 1, true, "Contact", 11},
        {0, 7, 2, 1, true, "Code", 11},
        {5, 7, 2, 1, true, "Adres", 11},
        {0, 8, 2, 1, true, "Werklocatie", 11},
        {5, 8, 2, 1, true, "Plaats", 11},
        {7, 8, 3, 1, false, "", 11},
        {0, 9, 10, 1, true, "Werkzaamheden", 11},
        {0, 10, 10, 3, false, "", 11},
        {0, 13, 10, 1, true, "", 11},
        {0, 14, 1, 1, true, "", 11},
        {1, 14, 3, 1, false, "", 11},
        {4, 15, 3, 1, false, "", 11},
        {7, 16, 3, 1, false, "", 11},
        {0, 17, 10, 1, true, "", 11},
        {0, 18, 1, 1, true, "Week", 11},
        {1, 18, 1, 1, true, "Maandag", 11},
        {7, 18, 1, 1, true, "Zondag", 11},
        {8, 18, 1, 1, true, "Totaal", 11},
        {9, 18, 1, 1, true, "Bedrag", 11},
        {0, 19, 1, 1, true, "Datum", 11},
        {1, 19, 1, 1, false, "", 11},
        {0, 20, 1, 1, true, "Werktijd", 11},
        {0, 21, 1, 1, true, "Overwerk", 11},
        {0, 22, 1, 1, true, "Reistijd", 11},
        {0, 23, 1, 1, true, "Km", 11},
        {9, 23, 1, 1, false, "", 11},
        {0, 24, 10, 1, true, "Gebruikte onderdelen", 11},
        {0, 25, 1, 1, true, "Bestelnr", 11},
        {1, 25, 1, 1, true, "Aantal", 11},
        {2, 25, 6, 1, true, "Omschrijving", 11},
        {8, 25, 1, 1, true, "Prijs", 11},
        {9, 25, 1, 1, true, "", 11},
        {0, 26, 1, 1, false, "", 11},
        {2, 26, 6, 1, false, "", 11},
        {2, 38, 6, 1, false, "", 11},
        {0, 39, 8, 1, true, "Opmerkingen", 11},
        {8, 39, 1, 1, true, "", 11},
        {9, 39, 1, 1, true, "", 11},
        {0, 40, 8, 3, false, "", 11},
        {8, 40, 1, 1, true, "Totaal Ex", 11},
        {8, 41, 1, 1, true, "BTW %", 11},
        {8, 42, 1, 1, true, "Totaal Inc", 11},
        {9, 42, 1, 1, false, "", 11},
        {0, 43, 5, 1, true, "Handtekening opdrachtgever", 11},
        {5, 43, 2, 1, true, "Monteur", 11},
        {7, 43, 3, 1, false, "", 11},
        {0, 44, 5, 4, false, "", 11},
        {5, 44, 5, 4, false, "", 11},
        {0, 48, 10, 1, true, "", 8},
        {0, 50, 10, 1, true, "", 8},
    };
    for (const Case& c : cases) {
        const SheetCell& cell = s.Cell(c.col, c.row);
        SCOPED_TRACE(testing::Message() << "cell (" << c.col << ", " << c.row << ")");
        EXPECT_FALSE(cell.IsCovered());
        EXPECT_EQ(cell.colSpan, c.colSpan);
        EXPECT_EQ(cell.rowSpan, c.rowSpan);
        EXPECT_EQ(shaded(s, c.col, c.row), c.shade);
        EXPECT_EQ(cell.text, QString::fromUtf8(c.text));
        EXPECT_EQ(cell.fontSize, c.size);
    }
    EXPECT_TRUE(s.Cell(7, 0).bold);
    EXPECT_EQ(s.Cell(7, 0).align, SheetAlign::Center);
    EXPECT_EQ(s.Cell(0, 49).align, SheetAlign::Center);
    EXPECT_EQ(s.Cell(0, 0).imageName, QStringLiteral("logo"));
    EXPECT_FALSE(s.images.Find(QStringLiteral("LOGO")).isNull());
    EXPECT_EQ(s.images.Find(QStringLiteral("itemchecked")).size(), QSize(13, 13));
    EXPECT_EQ(s.images.Find(QStringLiteral("ItemUnchecked")).size(), QSize(13, 13));
    EXPECT_EQ(s.printCellBackground, PrintCellBackground::Full);
    EXPECT_TRUE(s.WordWrap(0));
    EXPECT_FALSE(s.WordWrap(1));
    // Nothing else is shaded: 10 week headings, 5 week labels and the rest of the table above.
    int shadedCells = 0;
    for (int r = 0; r < s.RowCount(); ++r)
        for (int c = 0; c < 10; ++c)
            shadedCells += shaded(s, c, r);
    EXPECT_EQ(shadedCells, 8 + 1 + 1 + 3 + 1 + 10 + 5 + 1 + 5 + 3 + 3 + 2 + 3);
}

TEST(DocumentBuild, NeededPartsSectionHasItsOwnTitleAndHeadings)
{
    Built b(5, 5);
    const Sheet& s = b.s();
    EXPECT_EQ(s.Text(0, 34), QStringLiteral("Benodigde onderdelen"));
    EXPECT_EQ(s.Text(8, 35), QStringLiteral("Prijs"));
    EXPECT_EQ(s.Cell(2, 40).colSpan, 6); // last needed line
    EXPECT_EQ(s.Text(0, 41), QStringLiteral("Opmerkingen"));
}

TEST(DocumentBuild, DisplayAlignmentOfAmountColumns)
{
    Built b(13, 0); // WeekRow 18, UsedPartsRow 24, SignatureRow 43
    struct Case { int col, row; SheetAlign want; };
    const Case cases[] = {
        {9, 18, SheetAlign::Leading},  {9, 19, SheetAlign::Trailing}, {9, 42, SheetAlign::Trailing},
        {8, 24, SheetAlign::Leading},  {8, 25, SheetAlign::Trailing}, {8, 42, SheetAlign::Trailing},
        {8, 43, SheetAlign::Leading},  {8, 20, SheetAlign::Leading},  {1, 30, SheetAlign::Leading},
        {7, 0, SheetAlign::Center},    {0, 48, SheetAlign::Center},
    };
    for (const Case& c : cases)
        EXPECT_EQ(b.s().DisplayAlignment(c.col, c.row), c.want) << c.col << ", " << c.row;
}

TEST(DocumentBuild, RelabelRewritesTheCaptionsAndKeepsTheLayout)
{
    Built b(13, 0);
    b.s().SetText(7, 3, QStringLiteral("1-20200001")); // a fill value stays
    KVJargon& j = b.g->jargon;
    j.SetCaption(QStringLiteral("ListBoxItemKolvarn"), QStringLiteral("Werkbon"));
    j.SetCaption(QStringLiteral("ListBoxItemOpdrachtgever"), QStringLiteral("Klant"));
    j.SetCaption(QStringLiteral("ListBoxItemWerktijd"), QStringLiteral("uren"));
    j.SetCaption(QStringLiteral("ListBoxItemMonteur"), QStringLiteral("Technicus"));
    j.SetCaption(QStringLiteral("ListBoxItemAdres"), QStringLiteral("Straat"));
    b.g->settings.branche.afstand = QStringLiteral("Mijl");
    RelabelDocument(*b.g);
    const Sheet& s = b.s();
    EXPECT_EQ(s.Text(7, 0), QStringLiteral("Werkbon"));
    EXPECT_EQ(s.Text(5, 5), QStringLiteral("Klant"));
    EXPECT_EQ(s.Text(5, 7), QStringLiteral("Straat"));
    EXPECT_EQ(s.Text(0, 20), QStringLiteral("Uren"));
    EXPECT_EQ(s.Text(0, 23), QStringLiteral("Mijl"));
    EXPECT_EQ(s.Text(1, 18), QStringLiteral("Maandag"));
    EXPECT_EQ(s.Text(0, 43), QStringLiteral("Handtekening klant"));
    EXPECT_EQ(s.Text(5, 43), QStringLiteral("Naam technicus")); // the relabel's own form
    EXPECT_EQ(s.Text(7, 3), QStringLiteral("1-20200001"));
    EXPECT_EQ(s.Cell(0, 10).rowSpan, 3);
    EXPECT_EQ(s.Cell(5, 43).colSpan, 2);
    EXPECT_TRUE(shaded(s, 0, 39));
    EXPECT_EQ(s.Cell(7, 0).fontSize, 22);
}

TEST(DocumentBuild, CustomisedCaptionsInCapitals)
{
    TestApp app(Edition::Dutch, false);
    KVGlobal& g = *app.g;
    g.jargon.SetCaption(QStringLiteral("ListBoxItemWerktijd"), QStringLiteral("UREN"));
    g.jargon.SetCaption(QStringLiteral("ListBoxItemKolvarn"), QStringLiteral("WERKBON"));
    g.jargon.SetCaption(QStringLiteral("ListBoxItemBTW"), QStringLiteral("BTW 21%"));
    g.jargon.SetCaption(QStringLiteral("ListBoxItemOpdrachtgever"), QStringLiteral("KLANT"));
    g.settings.branche.afstand = QStringLiteral("mijl");
    PlanDocumentRows(g);
    BuildDocument(g);
    EXPECT_EQ(g.sheet.Text(0, 20), QStringLiteral("Uren"));
    EXPECT_EQ(g.sheet.Text(7, 0), QStringLiteral("WERKBON"));
    EXPECT_EQ(g.sheet.Text(8, 41), QStringLiteral("BTW 21%"));
    EXPECT_EQ(g.sheet.Text(0, 23), QStringLiteral("mijl"));
    EXPECT_EQ(g.sheet.Text(5, 5), QStringLiteral("Klant"));
    EXPECT_EQ(g.sheet.Text(0, 43), QStringLiteral("Handtekening klant"));
}

TEST(DocumentBuild, CapitalizeFirst)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", ""}, {"opdrachtgever", "Opdrachtgever"}, {"OPDRACHTGEVER", "Opdrachtgever"},
        {"wERKTIJD", "Werktijd"}, {"ëlan ÜBER", "Ëlan über"}, {"x", "X"}, {"1e KLANT", "1e klant"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(CapitalizeFirst(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

TEST(DocumentBuild, ShowDocumentLogoUsesTheNewLogo)
{
    Built b(13, 0);
    QImage mine(60, 10, QImage::Format_RGB32);
    mine.fill(Qt::darkRed);
    b.g->logo = mine;
    b.s().RemoveImages(0, 0);
    ShowDocumentLogo(*b.g);
    EXPECT_EQ(b.s().Cell(0, 0).imageName, QStringLiteral("logo"));
    EXPECT_EQ(b.s().Cell(0, 0).imageAlign, SheetAlign::Leading);
    EXPECT_EQ(b.s().images.Find(QStringLiteral("logo")), mine);
}

// ---- fill ----

TEST(DocumentFill, WritesEveryPartOfTheSampleTicket)
{
    TestApp app(Edition::Dutch, false);
    KVGlobal& g = *app.g;
    MakeSampleTicket(g); // plan 8/5: WeekRow 18, used 24, needed 34, remarks 41, signature 45, footer 50
    g.PreviewZoomed = true;
    FillDocument(g);
    const Sheet& s = g.sheet;
    EXPECT_FALSE(g.PreviewZoomed);
    struct Case { int col, row; const char* text; };
    const Case cases[] = {
        {7, 3, "1-20200042"}, {8, 3, "17-02-2021"}, {7, 4, "kantoor@voorbeeld.nl"},
        {2, 5, "P-2021-ë17"}, {2, 6, "OR-55231"}, {2, 7, "ZÜ-3"}, {2, 8, "Schiedamseweg 12, Rotterdam"},
        {7, 5, "Bakkerij Groß & Zonen"}, {7, 6, "Noël de Vries"}, {7, 7, "Straße van Brabant 1"}, {7, 8, "3011 AB Rotterdam"},
        {1, 14, "<img src=\"Itemchecked\"/>Regie"}, {4, 14, "<img src=\"ItemUnchecked\"/>Project"},
        {7, 15, "<img src=\"ItemUnchecked\"/>Waakdienst"}, {1, 16, "<img src=\"Itemchecked\"/>Storingsdienst"},
        {4, 16, "<img src=\"Itemchecked\"/>Garantie"},
        {0, 18, "Week 7"}, {1, 19, "15-02"}, {7, 19, "21-02"},
        {1, 20, "08:00"}, {3, 20, "08:15"}, {6, 20, ""}, {8, 20, "34:30"}, {9, 20, "1811,25"},
        {2, 21, ""}, {8, 21, "06:45"}, {8, 22, "04:30"}, {1, 23, "42"}, {7, 23, ""}, {8, 23, "245"}, {9, 23, "93,10"},
        {0, 26, "RL-2201"}, {1, 26, "2"}, {2, 26, "Relais 230 V, 16 A"}, {8, 26, "14,95"}, {9, 26, "29,90"},
        {0, 33, "KIT-SIL"}, {9, 33, "18,90"},
        {0, 36, "DR-VC12"}, {1, 36, "1"}, {8, 36, "10,50"}, {9, 36, ""}, {8, 40, "50,50"},
        {9, 42, "2975,16"}, {9, 43, "624,78"}, {9, 44, "3599,94"},
        {7, 45, "Jürgen Weiß"},
        {0, 52, "Bedankt voor uw opdracht. IBAN NL00 BANK 0123 4567 89"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(s.Text(c.col, c.row), QString::fromUtf8(c.text)) << "cell (" << c.col << ", " << c.row << ")";
    EXPECT_EQ(s.Text(0, 10), g.bon.werkzh.join(QLatin1Char('\n')));
    EXPECT_EQ(s.Text(0, 42), g.bon.opm.join(QLatin1Char('\n')));
    EXPECT_EQ(s.Cell(0, 46).image, g.bon.handtekening);
    EXPECT_EQ(s.Cell(5, 46).image, g.bon.handtekening2);
}

TEST(DocumentFill, AllHoursZero)
{
    Built b(13, 0);
    KVGlobal& g = *b.g;
    g.bon.bonnr = QStringLiteral("1-1");
    FillDocument(g);
    for (int r = 20; r <= 23; ++r)
        for (int c = 1; c <= 7; ++c)
            EXPECT_TRUE(b.s().Text(c, r).isEmpty()) << c << ", " << r;
    for (int r = 20; r <= 22; ++r)
        EXPECT_EQ(b.s().Text(8, r), QStringLiteral("00:00"));
    EXPECT_EQ(b.s().Text(8, 23), QStringLiteral("0"));
    for (int r = 20; r <= 23; ++r)
        EXPECT_EQ(b.s().Text(9, r), QStringLiteral("0,00"));
    for (int r = 40; r <= 42; ++r)
        EXPECT_EQ(b.s().Text(9, r), QStringLiteral("0,00"));
}

TEST(DocumentFill, WithoutAutocompNoAmountIsShown)
{
    TestApp app(Edition::Dutch, false);
    KVGlobal& g = *app.g;
    MakeSampleTicket(g);
    FillDocument(g);            // amounts first, so the second fill must clear them
    g.bon.autocomp = false;
    FillDocument(g);
    const Sheet& s = g.sheet;
    for (int r = 20; r <= 23; ++r)
        EXPECT_TRUE(s.Text(9, r).isEmpty()) << r;
    for (int r = 26; r <= 40; ++r) {
        EXPECT_TRUE(s.Text(8, r).isEmpty() || r == 35) << r; // 35: the needed-parts price heading
        EXPECT_TRUE(s.Text(9, r).isEmpty()) << r;
    }
    for (int r = 42; r <= 44; ++r)
        EXPECT_TRUE(s.Text(9, r).isEmpty()) << r;
    EXPECT_EQ(s.Text(8, 20), QStringLiteral("34:30"));
    EXPECT_EQ(s.Text(8, 23), QStringLiteral("245"));
    EXPECT_EQ(s.Text(1, 26), QStringLiteral("2"));
}

TEST(DocumentFill, FewerLinesLeaveTheOtherLineRowsEmpty)
{
    Built b(13, 0);
    KVGlobal& g = *b.g;
    g.bon.bonnr = QStringLiteral("1-1");
    for (int r = 26; r <= 38; ++r)
        b.s().SetText(2, r, QStringLiteral("from the previous ticket"));
    g.bon.numodd = 3;
    for (int i = 1; i <= 3; ++i)
        g.bon.gebruikt[i] = {QStringLiteral("N%1").arg(i), i, QStringLiteral("part %1").arg(i), 1.0, double(i)};
    FillDocument(g);
    EXPECT_EQ(b.s().Text(2, 28), QStringLiteral("part 3"));
    for (int r = 29; r <= 38; ++r)
        for (int c : {0, 1, 2, 8, 9})
            EXPECT_TRUE(b.s().Text(c, r).isEmpty()) << c << ", " << r;
}

TEST(DocumentFill, MoreLinesThanTheSectionHoldsStayInsideIt)
{
    Built b(2, 0);
    KVGlobal& g = *b.g;
    g.bon.numodd = 5;
    for (int i = 1; i <= 5; ++i)
        g.bon.gebruikt[i].omschr = QStringLiteral("part %1").arg(i);
    FillDocument(g);
    const RowPlan& p = g.rowPlan;
    EXPECT_EQ(b.s().Text(2, p.UsedPartsRow + 3), QStringLiteral("part 2"));
    EXPECT_EQ(b.s().Text(0, p.RemarksRow), QStringLiteral("Opmerkingen"));
}

TEST(DocumentFill, TickedUserTypeWithoutANameShowsTheBoxAlone)
{
    Built b(13, 0);
    b.g->bon.tw[7] = true;
    FillDocument(*b.g);
    EXPECT_EQ(b.s().Text(1, 16), QStringLiteral("<img src=\"Itemchecked\"/>"));
    EXPECT_EQ(b.s().Text(7, 16), QStringLiteral("<img src=\"ItemUnchecked\"/>"));
}
