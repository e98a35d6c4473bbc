#include "TestSupport.h"
#include "app/SettingsStore.h"
#include "catalogue/ClientCatalogue.h"
#include "catalogue/Composition.h"
#include "catalogue/CursorModel.h"
#include "catalogue/PartCatalogue.h"
#include "catalogue/PartsLines.h"
#include "store/Database.h"
#include "store/LocalStore.h"
#include "store/Table.h"

#include <gtest/gtest.h>

namespace {

// A state with an opened local store and the catalogue events in place.
struct Store : TestApp {
    Store()
    {
        ReadSettings(*g, {});
        ClientCatalogue::InstallTableEvents(*g);
        PartCatalogue::InstallTableEvents(*g);
        OpenDatabase(*g);
        rec.messages.clear();
    }
    Table& clients() { return g->OpdrachtgeverTable(); }
    Table& parts() { return g->OnderdeelTable(); }

    void addClient(const QString& naam, const QString& contact = {}, const QString& email = {})
    {
        ClientForm f;
        f.naam = naam;
        f.contactpers = contact;
        f.email = email;
        g->NewCatalogueClient = true;
        ClientCatalogue::Store(*g, f);
    }
    void addPart(const QString& bestelnr, const QString& omschr, double prijs)
    {
        g->NewCataloguePart = true;
        PartCatalogue::Store(*g, {bestelnr, omschr, 0, prijs});
    }
    // The values of one column in the cursor's order.
    static QStringList column(Table& t, const QString& name)
    {
        QStringList out;
        const int keep = t.RecNo();
        for (t.First(); !t.Eof(); t.Next())
            out << t.AsString(name);
        if (keep >= 0)
            t.MoveTo(keep);
        return out;
    }
};

QString currentName(Table& t) { return t.AsString(QStringLiteral("naam")); }

} // namespace

// ---- grids on the cursors -------------------------------------------------------------------

TEST(CatalogueGrid, SearchFindsTheNearestKeyUnderTheCurrentSort)
{
    Store s;
    s.addClient("Aa", "Zeger", "a@x");
    s.addClient("Bb", "Yvonne", "b@x");
    s.addClient("Cc", "Xander", "c@x");
    CursorModel model(s.clients(), ClientCatalogue::GridColumns(), s.g->jargon);
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.data(model.index(1, 0)).toString(), "Bb");

    struct Case {
        int header; // -1: no header click
        const char* text;
        const char* found;
    };
    const Case cases[] = {
        {-1, "B", "Bb"},   {-1, "Bz", "Cc"},  {-1, "", "Aa"}, {-1, "Zz", "Cc"}, {-1, "Bb", "Bb"},
        {1, "Y", "Bb"},    {1, "Z", "Aa"},    {1, "", "Cc"},  {1, "Zz", "Aa"},
        {2, "Xa", "Cc"}, // the e-mail header keeps the contact order
        {0, "C", "Cc"},
    };
    for (const Case& c : cases) {
        if (c.header >= 0)
            model.HeaderClick(c.header);
        model.Search(QString::fromUtf8(c.text));
        EXPECT_EQ(currentName(s.clients()), c.found) << "header " << c.header << " text '" << c.text << "'";
        EXPECT_EQ(model.CurrentRow(), s.clients().RecNo());
    }
    // After the last click the list is in name order again.
    EXPECT_EQ(Store::column(s.clients(), "naam"), QStringList({"Aa", "Bb", "Cc"}));
}

TEST(CatalogueGrid, HeaderClickOrdersTheRowsAndKeepsTheCurrentRecord)
{
    Store s;
    s.addClient("Aa", "Zeger");
    s.addClient("Bb", "Yvonne");
    s.addClient("Cc", "Xander");
    CursorModel model(s.clients(), ClientCatalogue::GridColumns(), s.g->jargon);
    QList<int> moves;
    QObject::connect(&model, &CursorModel::CurrentRowChanged, [&](int row) { moves << row; });
    model.SetCurrentRow(0); // Aa
    model.HeaderClick(1);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), "Cc");
    EXPECT_EQ(currentName(s.clients()), "Aa");
    EXPECT_EQ(model.CurrentRow(), 2);
    ASSERT_FALSE(moves.isEmpty());
    EXPECT_EQ(moves.last(), 2); // the grid follows the record to its new row
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Contactpers");
}

TEST(CatalogueGrid, DeletingABlockRemovesExactlyThoseRows)
{
    Store s;
    for (const char* n : {"A1", "A2", "A3", "A4", "A5", "A6", "A7"})
        s.addClient(n);
    CursorModel model(s.clients(), ClientCatalogue::GridColumns(), s.g->jargon, &s.g->db());
    int resets = 0;
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++resets; });
    model.DeleteRows(2, 4); // grid rows 3 to 5
    EXPECT_EQ(resets, 1);
    EXPECT_FALSE(s.g->db().InTransaction());
    EXPECT_EQ(Store::column(s.clients(), "naam"), QStringList({"A1", "A2", "A6", "A7"}));
    EXPECT_EQ(model.rowCount(), 4);

    // A block reaching the last row, and an empty block, delete nothing beyond it.
    model.DeleteRows(2, 3);
    EXPECT_EQ(Store::column(s.clients(), "naam"), QStringList({"A1", "A2"}));
    model.DeleteRows(1, 0);
    model.DeleteRows(-1, -1);
    EXPECT_EQ(Store::column(s.clients(), "naam"), QStringList({"A1", "A2"}));
}

TEST(CatalogueGrid, NavigatorDeleteAsksFirst)
{
    Store s;
    s.addClient("Aa");
    s.addClient("Bb");
    CursorModel model(s.clients(), ClientCatalogue::GridColumns(), s.g->jargon);
    model.First();
    s.rec.confirmAnswer = false;
    model.DeleteCurrent(s.g->seams);
    EXPECT_EQ(s.clients().RecordCount(), 2);
    s.rec.confirmAnswer = true;
    model.DeleteCurrent(s.g->seams);
    EXPECT_EQ(s.rec.confirmations, QStringList({"Delete record?", "Delete record?"}));
    EXPECT_EQ(Store::column(s.clients(), "naam"), QStringList({"Bb"}));
    model.Last();
    model.Prior();
    EXPECT_EQ(currentName(s.clients()), "Bb");
}

// ---- client catalogue -----------------------------------------------------------------------

TEST(ClientCatalogue, PickingCopiesDataAndRatesIntoTheTicketAndStoresTheClientAgain)
{
    Store s;
    ClientForm f;
    f.naam = "Jansen Installaties";
    f.contactpers = "Piet";
    f.email = "piet@jansen.nl";
    f.adres = "Dorpsstraat 1";
    f.pc = "1234 AB";
    f.plaats = "Ede";
    f.prijsinc = true;
    f.autocomp = false;
    f.uurprijswerk = 45.5;
    f.uurprijsover = 60;
    f.uurprijsreis = 30;
    f.kmprijs = 0.35;
    f.percob = 9;
    s.g->NewCatalogueClient = true;
    ClientCatalogue::Store(*s.g, f);
    // As if it had just arrived from the cloud.
    s.clients().Edit();
    s.clients().SetBoolean("synced", true);
    s.clients().Post();
    const QString id = s.clients().AsString("id");

    s.g->ClientCatalogueMode = false;
    const ClientForm loaded = ClientCatalogue::Load(*s.g);
    EXPECT_EQ(loaded, f);
    const PickedClient picked = ClientCatalogue::CopyIntoTicket(*s.g, loaded);
    ClientCatalogue::Store(*s.g, loaded);

    EXPECT_EQ(picked.opdrachtgever, "Jansen Installaties");
    EXPECT_EQ(picked.contactpers, "Piet");
    EXPECT_EQ(picked.email, "piet@jansen.nl");
    const TBon& b = s.g->bon;
    EXPECT_EQ(b.adres, "Dorpsstraat 1");
    EXPECT_EQ(b.pcplaats, "1234 AB Ede");
    EXPECT_DOUBLE_EQ(b.uurprijswerk, 45.5);
    EXPECT_DOUBLE_EQ(b.uurprijsover, 60);
    EXPECT_DOUBLE_EQ(b.uurprijsreis, 30);
    EXPECT_DOUBLE_EQ(b.kmprijs, 0.35);
    EXPECT_DOUBLE_EQ(b.percob, 9);
    EXPECT_TRUE(b.prijsinc);
    EXPECT_FALSE(b.autocomp);
    // Stored again: same row, no longer marked as received.
    EXPECT_EQ(s.clients().RecordCount(), 1);
    EXPECT_EQ(s.clients().AsString("id"), id);
    EXPECT_FALSE(s.clients().AsBoolean("synced"));
    EXPECT_EQ(ClientCatalogue::JoinPostcodePlace({}, {}), " ");
}

TEST(ClientCatalogue, LoadOnAnEmptyCatalogueGivesAnEmptyPageAndOkCreatesAClient)
{
    Store s;
    const ClientForm f = ClientCatalogue::Load(*s.g);
    EXPECT_EQ(f, ClientForm{});
    ClientCatalogue::Store(*s.g, f);
    ASSERT_EQ(s.clients().RecordCount(), 1);
    EXPECT_EQ(s.clients().AsString("id").size(), 15);
}

TEST(ClientCatalogue, AddThenBackThenLoadEditsTheLoadedClient)
{
    Store s;
    s.addClient("Aa");
    s.addClient("Bb");
    const ClientForm fresh = ClientCatalogue::Add(*s.g);
    EXPECT_TRUE(s.g->NewCatalogueClient);
    EXPECT_DOUBLE_EQ(fresh.percob, s.g->settings.inst.btw);
    // "Terug" on the client page changes nothing; "Laden" on Bb, then OK.
    s.clients().Locate("naam", "Bb");
    ClientForm f = ClientCatalogue::Load(*s.g);
    f.land = "NL";
    ClientCatalogue::Store(*s.g, f);
    EXPECT_EQ(s.clients().RecordCount(), 2);
    ASSERT_TRUE(s.clients().Locate("naam", "Bb"));
    EXPECT_EQ(s.clients().AsString("land"), "NL");
}

TEST(ClientCatalogue, OkEditsTheLoadedClientWhereverTheCursorIsAndKeepsThePageWhenItWentAway)
{
    Store s;
    s.addClient("Aa");
    s.addClient("Bb");
    ASSERT_TRUE(s.clients().Locate("naam", "Bb"));
    ClientForm f = ClientCatalogue::Load(*s.g);
    // Something else moves the cursor while the page is open.
    ASSERT_TRUE(s.clients().Locate("naam", "Aa"));
    f.naam = "Bb gewijzigd";
    ClientCatalogue::Store(*s.g, f);
    EXPECT_EQ(Store::column(s.clients(), "naam"), QStringList({"Aa", "Bb gewijzigd"}));

    // The loaded client deleted meanwhile: the page's values become a client of their own.
    ASSERT_TRUE(s.clients().Locate("naam", "Bb gewijzigd"));
    f = ClientCatalogue::Load(*s.g);
    s.clients().Delete();
    f.naam = "Cc";
    ClientCatalogue::Store(*s.g, f);
    EXPECT_EQ(Store::column(s.clients(), "naam"), QStringList({"Aa", "Cc"}));
}

TEST(CatalogueEvents, AStoreIsPushedOnlyWhenSyncIsOnAndTheRowIsLocal)
{
    struct Case {
        const char* name;
        bool cloud;
        bool fromCloud;
        bool pushed;
    };
    for (const Case c : {Case{"sync off", false, false, false}, Case{"local change", true, false, true},
                         Case{"downloaded row", true, true, false}}) {
        for (const char* kind : {"og", "od"}) {
            Store s;
            QStringList pushes;
            s.g->cloud.fanOut = [&](const QString& k, Table& t) {
                pushes << k + ":" + t.AsString("id");
                return true; // went out
            };
            s.g->CloudSyncEnabled = c.cloud;
            Table& t = QString(kind) == "og" ? s.clients() : s.parts();
            t.Append();
            t.SetString(QString(kind) == "og" ? "naam" : "omschr", "x");
            if (c.fromCloud)
                t.SetBoolean("synced", true);
            t.Post();
            const QString id = t.AsString("id");
            EXPECT_EQ(id.size(), 15) << c.name;
            EXPECT_EQ(pushes, c.pushed ? QStringList{QString(kind) + ":" + id} : QStringList()) << c.name << kind;
            EXPECT_EQ(s.rec.sounds, c.pushed ? QStringList{"woosh.mp3"} : QStringList()) << c.name << kind;
            // Any local edit marks the row as not synced again.
            t.Edit();
            EXPECT_FALSE(t.AsBoolean("synced"));
            t.Cancel();
        }
    }
}

// ---- parts catalogue and the composition pickers --------------------------------------------

TEST(PartCatalogue, LoadSetsQuantityOneAndAddClearsThePage)
{
    Store s;
    EXPECT_EQ(PartCatalogue::Load(*s.g), (PartForm{"", "", 1, 0}));
    s.addPart("B-7", "Bocht 22", 3.25);
    EXPECT_EQ(PartCatalogue::Load(*s.g), (PartForm{"B-7", "Bocht 22", 1, 3.25}));
    EXPECT_FALSE(s.g->NewCataloguePart);
    EXPECT_EQ(PartCatalogue::Add(*s.g), PartForm{});
    EXPECT_TRUE(s.g->NewCataloguePart);
}

TEST(PartCatalogue, PickerFirmKeepsComposedDescriptionsOutOfTheCatalogue)
{
    struct Case {
        const char* bedrijf;
        const char* omschr;
        bool stored;
    };
    const Case cases[] = {
        {"Pelmont", "CV/22/13/./Elastomeer", true},       // four "/"
        {"Pelmont", "CV/22/13/./Elastomeer/.", false},    // five: composed
        {"Pelmont", "CV/22/13/./Elastomeer/./x", true},   // six
        {"pelmont", "CV/22/13/./Elastomeer/.", true},     // other letter case: not the firm
        {"Jansen BV", "CV/22/13/./Elastomeer/.", true},
    };
    for (const Case& c : cases) {
        Store s;
        s.g->settings.pro.bedrijf = c.bedrijf;
        EXPECT_EQ(PartCatalogue::ShowsComposition(*s.g), QString(c.bedrijf) == "Pelmont");
        s.g->NewCataloguePart = true;
        PartCatalogue::Store(*s.g, {"", c.omschr, 2, 1.5});
        EXPECT_EQ(s.parts().RecordCount(), c.stored ? 1 : 0) << c.bedrijf << " " << c.omschr;
    }
}

TEST(Composition, ComposesSixFieldsWithPointsForEmptyChoices)
{
    using namespace Composition;
    EXPECT_EQ(Compose({}), "./././././.");
    EXPECT_EQ(Compose({"CV", "22", "", "", "Elastomeer", ""}), "CV/22/././Elastomeer/.");
    // Every entry of every picker keeps a composed text at five "/".
    const std::pair<Picker, int> sizes[] = {{Leiding, 31}, {Maat, 64}, {Dikte, 19}, {Rond, 23}, {Materiaal, 23}, {Afwerking, 4}};
    for (auto [picker, size] : sizes) {
        EXPECT_EQ(Entries(picker).size(), size) << picker;
        for (const QString& e : Entries(picker))
            EXPECT_FALSE(e.contains('/')) << e.toStdString();
    }
    EXPECT_EQ(Entries(Leiding).first(), "GKW");
    EXPECT_EQ(Entries(Leiding).last(), "Prefab");
    EXPECT_EQ(Entries(Maat)[29], "0-25");
    EXPECT_EQ(Entries(Maat).last(), "1000 ltr");
    EXPECT_TRUE(Entries(Materiaal).contains("Wol rol "));
    EXPECT_TRUE(Entries(Materiaal).contains("Soundac "));
    EXPECT_EQ(Entries(Afwerking), QStringList({"Aluminiumplaat", "Isogenopak", "Eindmanchet", "Mylarfolie"}));
}

// ---- parts lines on a ticket ----------------------------------------------------------------

namespace {
struct Lines : Store {
    Lines() : lines(*g)
    {
        g->bon.bonnr = "1-20200001";
        g->bon.id = "NEWNEW";
    }
    // Add, choose the current catalogue part, OK.
    void addFromCatalogue(double aantal = 1, double prijs = -1)
    {
        ASSERT_TRUE(lines.AddLine());
        PartForm f = lines.LoadFromCatalogue();
        f.aantal = aantal;
        if (prijs >= 0)
            f.prijs = prijs;
        ASSERT_EQ(lines.ConfirmPart(f), PartPageExit::PartsList);
    }
    QStringList shown()
    {
        QStringList out;
        for (int i = 0; i < lines.model().count(); ++i)
            out << lines.model().item(i).caption;
        return out;
    }
    PartsLines lines;
};
} // namespace

TEST(PartsLines, AddingAPartFromTheCatalogueMakesALineAndStoresThePartAgain)
{
    Lines l;
    l.addPart("K-15", "Knie 15", 2.5);
    l.parts().Edit();
    l.parts().SetBoolean("synced", true);
    l.parts().Post();
    l.lines.FillPartsList(1);
    l.addFromCatalogue();

    ASSERT_EQ(l.lines.model().count(), 1);
    EXPECT_EQ(l.lines.model().item(0).caption, "Knie 15");
    EXPECT_EQ(l.lines.model().item(0).description, "K-15");
    EXPECT_EQ(l.lines.model().item(0).badge, "1 x");
    const TOnderdeel& line = l.g->bon.gebruikt[1];
    EXPECT_EQ(line.aantal, 1);
    EXPECT_DOUBLE_EQ(line.prijs, 2.5);
    EXPECT_DOUBLE_EQ(line.bedrag, 2.5);
    EXPECT_EQ(l.g->bon.numodd, 1);
    EXPECT_FALSE(l.g->AddingLine[1]);
    EXPECT_EQ(l.parts().RecordCount(), 1);
    EXPECT_FALSE(l.parts().AsBoolean("synced")); // stored again

    // A changed price reaches the catalogue part too; quantities round halves to even.
    l.addFromCatalogue(2.5, 4.0);
    EXPECT_EQ(l.g->bon.gebruikt[2].aantal, 2);
    EXPECT_DOUBLE_EQ(l.g->bon.gebruikt[2].bedrag, 8.0);
    EXPECT_DOUBLE_EQ(l.parts().AsFloat("prijs"), 4.0);
    EXPECT_EQ(l.parts().RecordCount(), 1);
}

TEST(PartsLines, BackFromTheCatalogueOrThePartPageLeavesTheListAsItWas)
{
    Lines l;
    l.addPart("A", "Alpha", 1);
    l.lines.FillPartsList(1);
    l.addFromCatalogue();
    const QStringList before = l.shown();

    ASSERT_TRUE(l.lines.AddLine());
    EXPECT_EQ(l.lines.model().count(), 2);
    EXPECT_FALSE(l.lines.LeaveCatalogue()); // back to the parts list
    EXPECT_EQ(l.shown(), before);
    EXPECT_FALSE(l.g->AddingLine[1]);

    ASSERT_TRUE(l.lines.AddLine());
    l.lines.NewCataloguePart();
    EXPECT_EQ(l.lines.LeavePartPage(), PartPageExit::PartsList);
    EXPECT_EQ(l.shown(), before);
    l.lines.TakeCount();
    EXPECT_EQ(l.g->bon.numodd, 1);
    EXPECT_EQ(l.parts().RecordCount(), 1);
}

TEST(PartsLines, DeletingLineTwoOfFourMovesTheLaterLinesUp)
{
    Lines l;
    l.lines.FillPartsList(1);
    for (const char* d : {"L1", "L2", "L3", "L4"}) {
        l.addPart(d, d, 1);
        l.addFromCatalogue();
    }
    ASSERT_EQ(l.shown(), QStringList({"L1", "L2", "L3", "L4"}));
    l.lines.DeleteLine(1);
    l.lines.DeleteLine(-1);
    EXPECT_EQ(l.shown(), QStringList({"L1", "L3", "L4"}));
    EXPECT_EQ(l.g->bon.gebruikt[2].omschr, "L3");
    EXPECT_EQ(l.g->bon.gebruikt[3].omschr, "L4");
    EXPECT_EQ(l.g->bon.numodd, 4); // the count follows when the page is left
    l.lines.TakeCount();
    EXPECT_EQ(l.g->bon.numodd, 3);
}

TEST(PartsLines, TheMaximaStopTheAddButton)
{
    struct Case {
        int maxUsed, maxNeeded, list, allowed;
        const char* message;
    };
    const Case cases[] = {
        {13, 0, 1, 13, "Maximum aantal gebruikte onderdelen op kolvarn."},
        {11, 2, 2, 2, "Maximum aantal benodigde onderdelen op kolvarn."},
        {13, 0, 2, 0, "Maximum aantal benodigde onderdelen op kolvarn."},
    };
    for (const Case& c : cases) {
        Lines l;
        l.g->settings.inst.maxgebruikt = c.maxUsed;
        l.g->settings.inst.maxnodig = c.maxNeeded;
        l.lines.FillPartsList(c.list);
        for (int i = 0; i < c.allowed; ++i) {
            ASSERT_TRUE(l.lines.AddLine());
            l.lines.ConfirmPart({"x", "x", 1, 0});
        }
        EXPECT_TRUE(l.rec.messages.isEmpty());
        EXPECT_FALSE(l.lines.AddLine());
        EXPECT_EQ(l.rec.messages, QStringList{c.message});
        EXPECT_EQ(l.lines.model().count(), c.allowed);
    }
}

TEST(PartsLines, AnOpenedLineUpdatesThePartItCameFromAndNothingElse)
{
    Lines l;
    l.addPart("P-1", "Pomp", 100);
    l.addPart("F-1", "Filter", 10);
    l.lines.FillPartsList(1);
    ASSERT_TRUE(l.parts().Locate("omschr", "Pomp"));
    l.addFromCatalogue();
    // The catalogue's cursor moves on to another part before the line is opened again.
    ASSERT_TRUE(l.parts().Locate("omschr", "Filter"));

    auto form = l.lines.OpenLine(0);
    ASSERT_TRUE(form);
    EXPECT_EQ(*form, (PartForm{"P-1", "Pomp", 1, 100}));
    form->prijs = 120;
    l.lines.ConfirmPart(*form);
    ASSERT_TRUE(l.parts().Locate("omschr", "Pomp"));
    EXPECT_DOUBLE_EQ(l.parts().AsFloat("prijs"), 120);
    ASSERT_TRUE(l.parts().Locate("omschr", "Filter"));
    EXPECT_DOUBLE_EQ(l.parts().AsFloat("prijs"), 10);
    EXPECT_EQ(l.parts().RecordCount(), 2);

    // A line whose part is no longer in the catalogue brings it back, even after an add that
    // was left with "Terug".
    ASSERT_TRUE(l.parts().Locate("omschr", "Pomp"));
    l.parts().Delete();
    ASSERT_TRUE(l.lines.AddLine());
    l.lines.NewCataloguePart();
    l.lines.LeavePartPage();
    form = l.lines.OpenLine(0);
    l.lines.ConfirmPart(*form);
    EXPECT_EQ(l.parts().RecordCount(), 2);
    EXPECT_TRUE(l.parts().Locate("omschr", "Pomp"));
    EXPECT_FALSE(l.g->NewCataloguePart);
    EXPECT_FALSE(l.lines.OpenLine(5));
}
