#include "../core/OfficeTickets.h"
#include "TicketUi.h"
#include "app/Language.h"
#include "app/Popups.h"
#include "office/TicketReport.h"
#include "ticket/TicketTemplates.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStackedBarSeries>
#include <QTabBar>
#include <QTableView>

using namespace ticketui;
using office::Part;
using office::StoreTicket;
using office::TicketSpec;

namespace {

bool shown(Window& win, const char* popup) { return win.find<QWidget>(popup)->isVisible(); }

QString caption(Window& win, const char* item) { return win.find<KVListItem>(item)->caption(); }

// An item of the side menu, as a user reaches it: "☰", then the item; the menu closes.
void fromMenu(Window& win, const char* item)
{
    win.click("SBMenu");
    ASSERT_TRUE(win.w.ListBoxMenu()->isVisible());
    win.click(item);
    EXPECT_FALSE(win.w.ListBoxMenu()->isVisible());
}

// The maintenance ticket a mechanic saves as a template.
void fillMaintenanceTicket(Window& win)
{
    win.click("SBNew");
    TBon& b = win.g().bon;
    b.opdrachtgever = QStringLiteral("Zorgcentrum Eikenhof");
    b.werklocatie = QStringLiteral("Ketelhuis B");
    b.werkzh = {QStringLiteral("Jaarlijks onderhoud ketel")};
    b.tw[3] = true;
    b.numodd = 1;
    b.gebruikt[1] = Part(QStringLiteral("F-100"), 2, 14.95);
    b.uurprijswerk = 52.5;
}

// Tickets of March 2021 for three clients and one of February.
void storeMonthOfTickets(KVGlobal& g)
{
    const struct {
        const char* datum;
        const char* client;
        double work, overtime;
        int km;
    } tickets[] = {
        {"01-03-2021", "Bakker Installatietechniek", 8, 1, 24}, {"02-03-2021", "Gemeente Ede", 7.5, 0, 12},
        {"08-03-2021", "Bakker Installatietechniek", 6, 2, 30}, {"10-03-2021", "Visser Bouw", 4, 0, 8},
        {"16-03-2021", "Gemeente Ede", 8, 0.5, 12},             {"23-03-2021", "Zorgcentrum Eikenhof", 3.5, 0, 18},
        {"26-03-2021", "Visser Bouw", 8, 3, 40},                {"24-02-2021", "Bakker Installatietechniek", 8, 0, 24},
    };
    for (const auto& t : tickets) {
        TicketSpec s;
        s.datum = QLatin1String(t.datum);
        s.client = QLatin1String(t.client);
        s.work = t.work;
        s.overtime = t.overtime;
        s.travel = 0.5;
        s.km = t.km;
        s.used = {Part(QStringLiteral("K-1"), 1, 35)};
        s.signed_ = true;
        StoreTicket(g, s);
    }
}

QStringList categories(QChart* chart)
{
    for (QAbstractAxis* axis : chart->axes(Qt::Horizontal))
        if (auto* c = qobject_cast<QBarCategoryAxis*>(axis))
            return c->categories();
    return {};
}

} // namespace

TEST(TemplatePages, AMechanicStartsAMaintenanceTicketFromATemplateInTwoTaps)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    // Without a ticket there is nothing to save.
    win.click("ListBoxItemSjabloon");
    EXPECT_EQ(win.rec.messages.value(0), "Maak eerst nieuwe bon (+) of laad een bon uit het overzicht.");
    EXPECT_FALSE(shown(win, "PopupSjabloonNaam"));
    // Without templates "+" starts a ticket at once.
    fillMaintenanceTicket(win);
    EXPECT_FALSE(shown(win, "PopupNieuw"));
    ASSERT_EQ(win.g().bon.bonnr, "1-20200001");

    win.click("ListBoxItemSjabloon");
    ASSERT_TRUE(shown(win, "PopupSjabloonNaam"));
    EXPECT_EQ(win.find<QLineEdit>("EditNaam")->text(), "Zorgcentrum Eikenhof");
    win.find<QLineEdit>("EditNaam")->setText(QStringLiteral("Onderhoud ketel"));
    win.click("ButtonNaamOK");
    EXPECT_FALSE(shown(win, "PopupSjabloonNaam"));
    EXPECT_EQ(win.rec.messages.last(), "Sjabloon opgeslagen: Onderhoud ketel");

    // Tap one: "+" offers "Nieuw" and the template, and changes nothing yet.
    win.click("SBNew");
    ASSERT_TRUE(shown(win, "PopupNieuw"));
    EXPECT_EQ(caption(win, "ListBoxItemNieuw"), "Nieuw");
    EXPECT_EQ(caption(win, "ListBoxItemKeuze1"), "Onderhoud ketel");
    EXPECT_EQ(win.g().bon.bonnr, "1-20200001");
    // Tap two: the template.
    win.click("ListBoxItemKeuze1");
    EXPECT_FALSE(shown(win, "PopupNieuw"));
    const TBon& b = win.g().bon;
    EXPECT_EQ(b.bonnr, "1-20200002");
    EXPECT_EQ(b.opdrachtgever, "Zorgcentrum Eikenhof");
    EXPECT_EQ(b.werkzh, QStringList({"Jaarlijks onderhoud ketel"}));
    EXPECT_EQ(b.numodd, 1);
    EXPECT_EQ(b.datum, "03-03-2021");
    EXPECT_EQ(win.page(), "TabItemMain");
    EXPECT_EQ(win.w.LabelMain()->text(), "1-20200002");
    EXPECT_EQ(win.detail("ListBoxItemAlgemeen"), "03-03-2021");
    EXPECT_EQ(win.detail("ListBoxItemType"), "Inspectie ");

    // "Nieuw" is the plain new ticket; the overview's "+" offers the same choice.
    win.click("SBNew");
    win.click("ListBoxItemNieuw");
    EXPECT_EQ(win.g().bon.bonnr, "1-20200003");
    EXPECT_TRUE(win.g().bon.opdrachtgever.isEmpty());
    win.w.ShowPage(QStringLiteral("TabItemOverzicht"));
    win.click("SBAddBon");
    EXPECT_EQ(win.page(), "TabItemMain");
    EXPECT_TRUE(shown(win, "PopupNieuw"));
    // A tap beside the choice closes it, as "Terug" would; no number is used.
    QTest::mouseClick(win.find<QWidget>("PopupNieuw"), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_FALSE(shown(win, "PopupNieuw"));
    EXPECT_EQ(win.g().bon.bonnr, "1-20200003");
    // So does Esc, and the page beneath stays where it is.
    win.click("SBNew");
    ASSERT_TRUE(shown(win, "PopupNieuw"));
    QTest::keyClick(win.find<QWidget>("PopupNieuw"), Qt::Key_Escape);
    EXPECT_FALSE(shown(win, "PopupNieuw"));
    EXPECT_EQ(win.page(), "TabItemMain");
    EXPECT_EQ(win.g().bon.bonnr, "1-20200003");
}

TEST(TemplatePages, TheTemplatesPageStartsRenamesAndDeletes)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    fromMenu(win, "ListBoxItemSjablonen");
    EXPECT_EQ(win.page(), "TabItemSjablonen");
    EXPECT_TRUE(win.find<QLabel>("LabelGeenSjablonen")->isVisible());
    win.click("SBSjablonenTerug");
    EXPECT_EQ(win.page(), "TabItemMain");

    fillMaintenanceTicket(win);
    TicketTemplates::SaveCurrentTicket(win.g(), QStringLiteral("Ketel"));
    TicketTemplates::SaveCurrentTicket(win.g(), QStringLiteral("Airco"));
    fromMenu(win, "ListBoxItemSjablonen");
    EXPECT_FALSE(win.find<QLabel>("LabelGeenSjablonen")->isVisible());
    EXPECT_EQ(caption(win, "ListBoxItemSjablonen1"), "Airco");
    EXPECT_EQ(caption(win, "ListBoxItemSjablonen2"), "Ketel");
    EXPECT_EQ(win.find<KVListItem>("ListBoxItemSjablonen2")->detail(), "Zorgcentrum Eikenhof");

    // Rename: to a taken name is refused, to a free one is done.
    win.click("ListBoxItemSjablonen2");
    ASSERT_TRUE(shown(win, "PopupSjabloon"));
    EXPECT_EQ(win.find<QLabel>("PopupSjabloonTitle")->text(), "Ketel");
    win.click("ListBoxItemSjabloonHernoem");
    ASSERT_TRUE(shown(win, "PopupSjabloonNaam"));
    EXPECT_EQ(win.find<QLineEdit>("EditNaam")->text(), "Ketel");
    win.find<QLineEdit>("EditNaam")->setText(QStringLiteral("airco"));
    win.click("ButtonNaamOK");
    EXPECT_EQ(win.rec.messages.last(), "Er is al een sjabloon met deze naam. airco");
    win.click("ListBoxItemSjablonen2");
    win.click("ListBoxItemSjabloonHernoem");
    // The keys act on the name asked, not on the page beneath: Esc leaves the name and the page
    // stays; Enter in the name is its OK.
    QTest::keyClick(win.find<QLineEdit>("EditNaam"), Qt::Key_Escape);
    EXPECT_FALSE(shown(win, "PopupSjabloonNaam"));
    EXPECT_EQ(win.page(), "TabItemSjablonen");
    win.click("ListBoxItemSjablonen2");
    win.click("ListBoxItemSjabloonHernoem");
    win.find<QLineEdit>("EditNaam")->setText(QStringLiteral("CV-ketel"));
    QTest::keyClick(win.find<QLineEdit>("EditNaam"), Qt::Key_Return);
    EXPECT_EQ(caption(win, "ListBoxItemSjablonen2"), "CV-ketel");

    // Delete asks first; "no" keeps it.
    win.rec.confirmAnswer = false;
    win.click("ListBoxItemSjablonen1");
    win.click("ListBoxItemSjabloonVerwijder");
    EXPECT_EQ(win.rec.confirmations.last(), "Sjabloon verwijderen? Airco");
    EXPECT_EQ(TicketTemplates::List(win.g()).size(), 2);
    win.rec.confirmAnswer = true;
    win.click("ListBoxItemSjablonen1");
    win.click("ListBoxItemSjabloonVerwijder");
    ASSERT_EQ(TicketTemplates::List(win.g()).size(), 1);
    EXPECT_EQ(caption(win, "ListBoxItemSjablonen1"), "CV-ketel");

    // Start: a new ticket from it, on the main page.
    const QString before = win.g().bon.bonnr;
    win.click("ListBoxItemSjablonen1");
    win.click("ListBoxItemSjabloonStart");
    EXPECT_EQ(win.page(), "TabItemMain");
    EXPECT_NE(win.g().bon.bonnr, before);
    EXPECT_EQ(win.g().bon.werklocatie, "Ketelhuis B");
}

TEST(OfficePages, TheOverviewExportsItsSelection)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    win.click("SBOverzicht");
    // Nothing to export in an empty list.
    win.click("SBExportKV");
    EXPECT_EQ(win.rec.messages.value(0), "Geen bonnen om te exporteren.");
    EXPECT_FALSE(shown(win, "PopupExport"));

    storeMonthOfTickets(win.g());
    win.click("SBSelectAll");
    win.click("SBExportKV");
    ASSERT_TRUE(shown(win, "PopupExport"));
    EXPECT_EQ(win.find<QLabel>("PopupExportTitle")->text(), "8 bonnen");
    win.click("ListBoxItemExportXLSX");
    const QString workbook = docs.file("kolvarn-2021-02-24_2021-03-26.xlsx");
    EXPECT_TRUE(QFile::exists(workbook));
    EXPECT_EQ(win.rec.messages.last(), "Opgeslagen in de documentenmap:\n" + workbook);

    win.click("SBExportKV");
    win.click("ListBoxItemExportCSV");
    EXPECT_TRUE(QFile::exists(docs.file("kolvarn-2021-02-24_2021-03-26.csv")));
    EXPECT_TRUE(QFile::exists(docs.file("kolvarn-2021-02-24_2021-03-26-onderdelen.csv")));

    // The export button stands before "+", the last button of the bar.
    QHBoxLayout* bar = static_cast<KVPage*>(win.w.Page("TabItemOverzicht"))->bottomBar();
    EXPECT_EQ(bar->indexOf(win.find<QWidget>("SBExportKV")) + 1, bar->indexOf(win.find<QWidget>("SBAddBon")));
}

TEST(OfficePages, TheReportShowsTheChartTheTableAndTheTotalsOfThePeriod)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    storeMonthOfTickets(win.g());
    fromMenu(win, "ListBoxItemRapport");
    ASSERT_EQ(win.page(), "TabItemRapport");
    auto* tabs = win.find<QTabBar>("TabBarPeriode");
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), "Deze maand");

    const TicketReportData march =
        TicketReport::Compute(win.g(), {QDate(2021, 3, 1), QDate(2021, 3, 31)});
    ASSERT_EQ(march.rows.size(), 4);
    QAbstractItemModel* table = win.find<QTableView>("GridRapport")->model();
    auto cell = [table](int row, int column) { return table->index(row, column).data().toString(); };
    ASSERT_EQ(table->rowCount(), 5);
    EXPECT_EQ(cell(0, 1), "Bakker Installatietechniek");
    EXPECT_EQ(cell(0, 2), "2");
    EXPECT_EQ(cell(4, 0), "Totaal");
    EXPECT_EQ(table->headerData(3, Qt::Horizontal).toString(), "Werktijd");
    EXPECT_TRUE(table->index(4, 0).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(cell(4, 3), TimeText(march.totals.work));
    EXPECT_EQ(cell(4, 9), AmountText(march.totals.totalInc));
    const QString totals = win.find<QLabel>("LabelRapportTotalen")->text();
    EXPECT_TRUE(totals.startsWith("01-03-2021 - 31-03-2021 \u00B7 7 bonnen")) << totals.toStdString();
    EXPECT_TRUE(totals.contains("Totaal Ex " + AmountText(march.totals.totalEx))) << totals.toStdString();

    QChart* chart = win.find<QChartView>("ChartRapport")->chart();
    ASSERT_EQ(chart->series().size(), 1);
    auto* bars = qobject_cast<QStackedBarSeries*>(chart->series().first());
    ASSERT_TRUE(bars);
    ASSERT_EQ(bars->count(), 3);
    EXPECT_EQ(bars->barSets()[0]->label(), "Werktijd");
    EXPECT_EQ(chart->title(), "Uren per opdrachtgever");
    EXPECT_EQ(categories(chart).size(), 4);
    double work = 0;
    for (int i = 0; i < bars->barSets()[0]->count(); ++i)
        work += bars->barSets()[0]->at(i);
    EXPECT_DOUBLE_EQ(work, march.totals.work);

    tabs->setCurrentIndex(2); // Vorige maand
    EXPECT_EQ(table->rowCount(), 2);
    EXPECT_EQ(win.g().seams.Now().date(), QDate(2021, 3, 3));
    tabs->setCurrentIndex(3); // Periode
    EXPECT_TRUE(win.find<QDateEdit>("DateEditVan")->isVisible());
    win.find<QDateEdit>("DateEditVan")->setDate(QDate(2021, 2, 1));
    win.find<QDateEdit>("DateEditTot")->setDate(QDate(2021, 3, 31));
    EXPECT_EQ(table->rowCount(), 6);
    chart = win.find<QChartView>("ChartRapport")->chart();
    EXPECT_EQ(chart->title(), "Uren per maand");
    EXPECT_EQ(categories(chart), QStringList({"feb. 2021", "mrt. 2021"}));

    win.click("SBRapportPDF");
    const QString pdf = docs.file("kolvarn-rapport-2021-02-01_2021-03-31.pdf");
    EXPECT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(win.rec.messages.last(), "Opgeslagen in de documentenmap:\n" + pdf);

    // The captions follow the language like every other.
    ApplyLanguage(win.g(), QStringLiteral("us"));
    EXPECT_EQ(tabs->tabText(1), "This month");
    EXPECT_EQ(win.find<QLabel>("LabelRapport")->text(), "Report");
    EXPECT_EQ(caption(win, "ListBoxItemRapport"), "Report");
    EXPECT_EQ(caption(win, "ListBoxItemSjabloon"), "Save as template");
}

// ---- screenshots (only when KV_SCREENSHOT_DIR names a folder) ----

TEST(OfficePages, Screenshots)
{
    const QString dir = qEnvironmentVariable("KV_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "set KV_SCREENSHOT_DIR to write the screenshots";
    QDir().mkpath(dir);
    TempDocs docs = InstalledDocs();
    Window win(docs);
    storeMonthOfTickets(win.g());
    auto shot = [&](const char* file) {
        QTest::qWait(50);
        EXPECT_TRUE(win.w.grab().save(dir + QLatin1Char('/') + QLatin1String(file))) << file;
    };
    fromMenu(win, "ListBoxItemRapport");
    shot("report.png");
    // The report's PDF, rendered as a picture of its page.
    win.click("SBRapportPDF");
    QProcess render;
    render.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("80"), QStringLiteral("-png"),
                                              QStringLiteral("-singlefile"), docs.file("kolvarn-rapport-2021-03.pdf"),
                                              dir + QStringLiteral("/report-pdf")});
    EXPECT_TRUE(render.waitForFinished(30000));

    fillMaintenanceTicket(win);
    for (const char* name : {"Onderhoud CV-ketel", "Airco jaarlijks", "Storing lekkage"})
        TicketTemplates::SaveCurrentTicket(win.g(), QString::fromUtf8(name));
    win.w.ShowPage(QStringLiteral("TabItemMain"));
    win.click("SBNew");
    shot("template-choice.png");
    win.click("ListBoxItemKeuze2");
    fromMenu(win, "ListBoxItemSjablonen");
    shot("templates.png");
    win.click("SBOverzicht");
    win.click("SBSelectAll");
    win.click("SBExportKV");
    shot("export-choice.png");
}
