#include "TestSupport.h"
#include "app/KVWidgets.h"
#include "app/TFMain.h"
#include "catalogue/ClientCatalogue.h"
#include "catalogue/CursorModel.h"
#include "catalogue/PartCatalogue.h"
#include "document/KVGrid.h"
#include "store/Database.h"
#include "store/Table.h"
#include "ticket/TicketOps.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {
struct Window {
    Window() : w(docs.path(), Edition::Dutch, [this](KVGlobal& g) { rec.Attach(g); })
    {
        w.resize(480, 800);
        w.show();
        rec.messages.clear();
    }
    TempDocs docs = [] { TempDocs d; d.InstallTemplateDatabase(); d.InstallSounds(); return d; }();
    SeamRecorder rec;
    TFMain w;

    KVGlobal& g() { return w.global(); }
    template <class T = QWidget> T* find(const char* name)
    {
        T* found = w.findChild<T*>(QLatin1String(name));
        EXPECT_TRUE(found) << name;
        return found;
    }
    void click(const char* name)
    {
        auto* b = find<QAbstractButton>(name);
        ASSERT_TRUE(b);
        b->click();
    }
    // A mouse click on a row of a grid, as a user makes it.
    void clickRow(const char* grid, int row)
    {
        auto* view = find<QTableView>(grid);
        ASSERT_TRUE(view);
        view->scrollTo(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(row, 0)).center());
    }
    void addPart(const QString& bestelnr, const QString& omschr, double prijs)
    {
        g().NewCataloguePart = true;
        PartCatalogue::Store(g(), {bestelnr, omschr, 0, prijs});
    }
    void addClient(const QString& naam, const QString& contact, const QString& email = {})
    {
        ClientForm f;
        f.naam = naam;
        f.contactpers = contact;
        f.email = email;
        g().NewCatalogueClient = true;
        ClientCatalogue::Store(g(), f);
    }
    QString page() const { return w.CurrentPageName(); }
    void newTicket() { click("SBNew"); }
};
} // namespace

TEST(CataloguePages, APartFromTheCatalogueBecomesALineOfTheTicket)
{
    Window win;
    ASSERT_TRUE(win.g().db().IsOpen());
    win.addPart("B-22", "Bocht 22", 1.75);
    win.addPart("K-15", "Knie 15", 2.5);
    win.addPart("T-28", "T-stuk 28", 4);
    win.newTicket();
    ASSERT_TRUE(win.g().bon.IsCurrent());

    win.click("ListBoxItemGebruikt");
    EXPECT_EQ(win.page(), "TabItemGB");
    EXPECT_EQ(win.find<QLabel>("LabelGB")->text(), "Gebruikt");
    win.click("SBAddGB");
    EXPECT_EQ(win.page(), "TabItemDBOnderdelen");
    EXPECT_FALSE(win.g().CatalogueMode);

    // Sorted by description: Bocht, Knie, T-stuk. Pick Knie with the mouse.
    win.clickRow("FNCGridOD", 1);
    EXPECT_EQ(win.g().OnderdeelTable().AsString("omschr"), "Knie 15");
    win.click("SBLoadOnderdeel");
    EXPECT_EQ(win.page(), "TabItemOnderdeel");
    EXPECT_EQ(win.find<QLineEdit>("EditOmschr")->text(), "Knie 15");
    EXPECT_EQ(win.find<QDoubleSpinBox>("NumberBoxAantal")->value(), 1);
    win.click("ButtonPlusAantal");
    win.click("SBOnderdeelOK");

    EXPECT_EQ(win.page(), "TabItemGB");
    auto* list = win.find<QListView>("TableViewGB");
    ASSERT_EQ(list->model()->rowCount(), 1);
    EXPECT_EQ(list->model()->index(0, 0).data().toString(), "Knie 15");

    win.click("SBGBOK");
    EXPECT_EQ(win.page(), "TabItemMain");
    Table& bon = win.g().BonTable();
    ASSERT_EQ(bon.RecordCount(), 1);
    EXPECT_EQ(bon.AsInteger("numodd"), 1);
    EXPECT_EQ(bon.AsString("omschr1"), "Knie 15");
    EXPECT_EQ(bon.AsInteger("aantal1"), 2);

    // The line is on the document.
    FillDocument(win.g());
    bool onDocument = false;
    for (int row = 0; row < win.g().sheet.RowCount(); ++row)
        for (int col = 0; col < 10; ++col)
            onDocument |= win.g().sheet.Text(col, row) == "Knie 15";
    EXPECT_TRUE(onDocument);
}

TEST(CataloguePages, ThePartsListNeedsACurrentTicket)
{
    Window win;
    win.click("ListBoxItemGebruikt");
    EXPECT_EQ(win.page(), "TabItemMain");
    EXPECT_EQ(win.rec.messages, QStringList{"Maak eerst nieuwe bon (+) of laad een bon uit het overzicht."});
}

TEST(CataloguePages, GridAndCursorMoveTogether)
{
    Window win;
    for (const auto& [nr, d] : {std::pair{"300", "Afsluiter"}, std::pair{"100", "Bocht"}, std::pair{"200", "Clip"}})
        win.addPart(nr, d, 1);
    win.click("ListBoxItemOD");
    EXPECT_TRUE(win.g().CatalogueMode);
    auto* grid = win.find<QTableView>("FNCGridOD");
    Table& parts = win.g().OnderdeelTable();

    QTest::keyClicks(win.find<QLineEdit>("SearchEditOD"), "Bz");
    EXPECT_EQ(parts.AsString("omschr"), "Clip");
    EXPECT_EQ(grid->currentIndex().row(), 2);

    // "Bestelnr" header: the order follows the order numbers; the found part stays current.
    QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(grid->horizontalHeader()->sectionViewportPosition(0) + 5, 5));
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(), "100");
    EXPECT_EQ(grid->currentIndex().row(), 1);
    EXPECT_EQ(parts.AsString("omschr"), "Clip");

    win.click("BindNavigatorODFirst");
    EXPECT_EQ(grid->currentIndex().row(), 0);
    win.click("BindNavigatorODNext");
    win.click("BindNavigatorODNext");
    EXPECT_EQ(parts.AsString("bestelnr"), "300");
    EXPECT_EQ(grid->currentIndex().row(), 2);

    win.click("SBSelectAllOdd");
    win.click("SBDeleteOnderdeelDB");
    EXPECT_EQ(parts.RecordCount(), 0);
    EXPECT_EQ(grid->model()->rowCount(), 0);
    win.click("SBDBOnderdeelTerug");
    EXPECT_EQ(win.page(), "TabItemMain");
    EXPECT_FALSE(win.g().CatalogueMode);
}

TEST(CataloguePages, ClientCatalogueBuildsAListAndPicksAClientForTheTicket)
{
    Window win;
    win.click("ListBoxItemOG");
    EXPECT_EQ(win.page(), "TabItemDBOpdrachtgevers");
    EXPECT_TRUE(win.g().ClientCatalogueMode);
    for (const char* name : {"Visser", "Bakker"}) {
        win.click("SBAddOpdrachtgeverDB");
        EXPECT_EQ(win.page(), "TabItemOpdrachtgever");
        win.find<QLineEdit>("EditXOpdrachtgever")->setText(name);
        win.find<QLineEdit>("EditXPC")->setText("1234 AB");
        win.find<QLineEdit>("EditXPlaats")->setText("Ede");
        win.click("ButtonOGPlusPrijsWerk");
        win.click("SBOpdrachtgeverOK");
        EXPECT_EQ(win.page(), "TabItemDBOpdrachtgevers");
    }
    auto* grid = win.find<QTableView>("FNCGridOG");
    ASSERT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(), "Bakker");
    win.click("SBDBOpdrachtgeverTerug");
    EXPECT_EQ(win.page(), "TabItemMain");
    EXPECT_FALSE(win.g().ClientCatalogueMode);

    // Picking for the ticket: the catalogue is reached from the ticket's client field.
    win.newTicket();
    win.click("ListBoxItemAlgemeen");
    ASSERT_EQ(win.page(), "TabItemAlgemeen");
    auto* clientField = win.find<QLineEdit>("EditOpdrachtgever");
    QTest::mouseClick(clientField, Qt::LeftButton);
    EXPECT_EQ(win.page(), "TabItemDBOpdrachtgevers");
    EXPECT_FALSE(win.g().ClientCatalogueMode);
    win.clickRow("FNCGridOG", 1);
    win.click("SBLoadOpdrachtgever");
    EXPECT_EQ(win.find<QLineEdit>("EditXOpdrachtgever")->text(), "Visser");
    win.click("SBOpdrachtgeverOK");
    EXPECT_EQ(win.page(), "TabItemAlgemeen");
    EXPECT_EQ(win.g().bon.pcplaats, "1234 AB Ede");
    EXPECT_DOUBLE_EQ(win.g().bon.uurprijswerk, win.g().settings.inst.werk + 1);
    EXPECT_EQ(clientField->text(), "Visser");
    EXPECT_EQ(win.g().OpdrachtgeverTable().RecordCount(), 2);
    // The general page's OK takes the name into the stored ticket.
    win.click("SBAlgemeenOK");
    EXPECT_EQ(win.g().bon.opdrachtgever, "Visser");
    ASSERT_TRUE(win.g().BonTable().Locate("id", win.g().bon.id));
    EXPECT_EQ(win.g().BonTable().AsString("pcplaats"), "1234 AB Ede");
}

TEST(CataloguePages, CompositionRowsFollowTheCompanyOnEachAdd)
{
    Window win;
    win.click("ListBoxItemOD");
    auto* row = win.find("ListBoxLeiding");
    for (const auto& [bedrijf, shown] : {std::pair{"Pelmont", true}, std::pair{"PELMONT", false}, std::pair{"Pelmont", true}}) {
        win.g().settings.pro.bedrijf = bedrijf;
        win.click("SBAddOnderdeelDB");
        EXPECT_EQ(!row->isHidden(), shown) << bedrijf;
        EXPECT_TRUE(win.g().NewCataloguePart);
        win.click("SBOnderdeelTerug");
        EXPECT_EQ(win.page(), "TabItemDBOnderdelen");
    }
    // Compose: the chosen entries and points, then the pickers are reset.
    win.click("SBAddOnderdeelDB");
    win.find<QComboBox>("ComboBoxLeiding")->setCurrentText("CV");
    win.find<QComboBox>("ComboBoxMaat")->setCurrentText("22");
    win.find<QComboBox>("ComboBoxMateriaal")->setCurrentText("Elastomeer");
    win.click("ButtonSamenstellingOK");
    EXPECT_EQ(win.find<QLineEdit>("EditOmschr")->text(), "CV/22/././Elastomeer/.");
    EXPECT_EQ(win.find<QComboBox>("ComboBoxLeiding")->currentIndex(), -1);
    win.click("SBOnderdeelOK");
    EXPECT_EQ(win.page(), "TabItemDBOnderdelen");
    EXPECT_EQ(win.g().OnderdeelTable().RecordCount(), 0); // composed: not in the firm's catalogue
}

TEST(CataloguePages, OverviewFindsCopiesAndDeletesTickets)
{
    Window win;
    for (const char* client : {"Visser", "Bakker", "Jansen"}) {
        win.newTicket();
        win.g().bon.opdrachtgever = client;
        win.g().bon.datum = "01-03-2021";
        StoreBon(win.g());
    }
    win.click("SBOverzicht");
    EXPECT_EQ(win.page(), "TabItemOverzicht");
    auto* grid = win.find<QTableView>("FNCGridKV");
    ASSERT_EQ(grid->model()->rowCount(), 3);
    Table& bon = win.g().BonTable();

    // Sort on the client, then find by the start of a name.
    QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(grid->horizontalHeader()->sectionViewportPosition(2) + 5, 5));
    QTest::keyClicks(win.find<QLineEdit>("SearchEditKV"), "Ja");
    EXPECT_EQ(bon.AsString("opdrachtgever"), "Jansen");
    EXPECT_EQ(grid->currentIndex().row(), 1);

    win.click("SBCopyBon");
    EXPECT_EQ(grid->model()->rowCount(), 4);
    win.clickRow("FNCGridKV", 0);
    win.click("SBDeleteBon");
    EXPECT_EQ(grid->model()->rowCount(), 3);

    win.clickRow("FNCGridKV", 0);
    const QString bonnr = bon.AsString("bonnr");
    win.click("SBLoad");
    EXPECT_EQ(win.page(), "TabItemMain");
    EXPECT_EQ(win.g().bon.bonnr, bonnr);
    EXPECT_EQ(win.w.LabelMain()->text(), bonnr);

    win.click("SBOverzicht");
    win.click("SBSelectAll");
    win.click("SBDeleteBon");
    EXPECT_EQ(bon.RecordCount(), 0);
    EXPECT_EQ(grid->model()->rowCount(), 0);
}

// Screenshots of the three list pages, written when KV_SCREENSHOT_DIR names a folder.
TEST(CataloguePages, Screenshots)
{
    const QString dir = QString::fromLocal8Bit(qgetenv("KV_SCREENSHOT_DIR"));
    if (dir.isEmpty())
        GTEST_SKIP() << "KV_SCREENSHOT_DIR not set";
    Window win;
    win.w.resize(420, 760);
    const std::tuple<const char*, const char*, const char*> clients[] = {
        {"Bakker Installatietechniek", "Johan Bakker", "johan@bakker-it.nl"},
        {"De Vries Klimaat", "Anouk de Vries", "anouk@devriesklimaat.nl"},
        {"Gemeente Ede", "Facilitair bureau", "facilitair@ede.nl"},
        {"Jansen & Zonen", "Piet Jansen", "piet@jansenzonen.nl"},
        {"Mulder Vastgoed", "Sanne Mulder", "s.mulder@muldervastgoed.nl"},
        {"Visser Bouw", "Kees Visser", "kees@visserbouw.nl"}};
    for (auto [n, c, e] : clients)
        win.addClient(n, c, e);
    const std::tuple<const char*, const char*, double> parts[] = {
        {"KV-1501", "Knie 15 mm koper", 1.35},        {"KV-2201", "Knie 22 mm koper", 1.95},
        {"AF-0022", "Kogelafsluiter 22 mm", 12.5},    {"EL-1322", "Elastomeer 13x22", 3.2},
        {"PO-0025", "Circulatiepomp 25-60", 189},     {"TS-2828", "T-stuk 28 mm", 2.9}};
    for (auto [nr, d, p] : parts)
        win.addPart(nr, d, p);
    for (const char* client : {"Bakker Installatietechniek", "Gemeente Ede", "Visser Bouw"}) {
        win.newTicket();
        win.g().bon.opdrachtgever = client;
        win.g().bon.datum = "15-02-2021";
        StoreBon(win.g());
    }
    QDir().mkpath(dir);
    for (const auto& [button, file] : {std::pair{"ListBoxItemOG", "clients.png"}, std::pair{"ListBoxItemOD", "parts.png"},
                                       std::pair{"SBOverzicht", "overview.png"}}) {
        win.click(button);
        QTest::qWait(50);
        EXPECT_TRUE(win.w.grab().save(dir + "/" + file));
    }
}
