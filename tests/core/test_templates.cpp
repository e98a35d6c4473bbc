#include "OfficeTickets.h"
#include "app/KVError.h"
#include "app/Language.h"
#include "document/KVGrid.h"
#include "store/Database.h"
#include "ticket/TicketTemplates.h"

#include <QSqlQuery>

using namespace office;

namespace {

// A maintenance ticket with everything a template keeps and everything it does not.
struct MaintenanceTicket : StoreApp {
    MaintenanceTicket()
    {
        ApplyLanguageIndex(*g, g->settings.branche.taal);
        RegisterDocumentCaptions(*g);
        PlanDocumentRows(*g);
        BuildDocument(*g);
        TicketSpec s;
        s.datum = QStringLiteral("12-01-2021");
        s.client = QString::fromUtf8("Zorgcentrum Ëikenhof");
        s.location = QStringLiteral("Ketelhuis B");
        s.work = 2;
        s.km = 30;
        s.used = {Part(QStringLiteral("F-100"), 2, 14.95, QString::fromUtf8("Filter € 15 – ß"))};
        s.needed = {Part(QStringLiteral("V-7"), 1, 89)};
        s.rate = 52.5;
        s.prijsinc = true;
        s.signed_ = true;
        StoreTicket(*g, s);
        TBon& b = g->bon;
        b.werkzh = {QStringLiteral("Jaarlijks onderhoud ketel"), QString::fromUtf8("Filters vervangen, ë ü")};
        b.opm = {QStringLiteral("Opmerking van deze keer")};
        b.tw[3] = b.tw[7] = true;
        b.twd[7] = QStringLiteral("Onderhoud");
        b.email = QStringLiteral("beheer@eikenhof.nl");
        b.adres = QStringLiteral("Dorpsstraat 1");
        b.pcplaats = QStringLiteral("6711 AA Ede");
        b.contactpers = QStringLiteral("J. Jansen");
        b.code = QStringLiteral("K-17");
        b.projectnr = QStringLiteral("P-2021");
        b.numfoto = 1;
        b.foto[1] = QStringLiteral("foto-1-1.jpg");
        StoreBon(*g);
        source = b;
    }
    int storedTickets() { return g->BonTable().RecordCount(); }
    TBon source;
};

} // namespace

TEST(TicketTemplates, ANewTicketFromATemplateTakesItsContentsAFreshNumberAndToday)
{
    MaintenanceTicket app;
    KVGlobal& g = *app.g;
    const QString id = TicketTemplates::SaveCurrentTicket(g, QStringLiteral("  Onderhoud Eikenhof "));
    ASSERT_EQ(TicketTemplates::List(g).size(), 1);
    EXPECT_EQ(TicketTemplates::List(g)[0].naam, "Onderhoud Eikenhof");
    EXPECT_EQ(TicketTemplates::List(g)[0].opdrachtgever, app.source.opdrachtgever);

    const int counter = g.settings.inst.bon;
    const int stored = app.storedTickets();
    const std::optional<TicketDetails> details = TicketTemplates::NewBonFromTemplate(g, id);
    ASSERT_TRUE(details);
    const TBon& b = g.bon;
    EXPECT_EQ(b.id, "NEWNEW");
    EXPECT_EQ(b.bonnr, QStringLiteral("1-%1").arg(counter));
    EXPECT_EQ(g.settings.inst.bon, counter + 1);
    EXPECT_EQ(b.datum, "15-02-2021"); // the recorder's clock
    EXPECT_EQ(b.week, 7);
    EXPECT_EQ(details->algemeen, "15-02-2021");
    EXPECT_EQ(details->type, "Inspectie Onderhoud ");
    // What the template keeps.
    for (QString TBon::*f : {&TBon::opdrachtgever, &TBon::werklocatie, &TBon::email, &TBon::adres, &TBon::pcplaats,
                             &TBon::contactpers})
        EXPECT_EQ(b.*f, app.source.*f);
    EXPECT_EQ(b.werkzh, app.source.werkzh);
    EXPECT_EQ(b.tw, app.source.tw);
    EXPECT_EQ(b.twd[7], "Onderhoud");
    ASSERT_EQ(b.numodd, 1);
    EXPECT_EQ(b.gebruikt[1].omschr, app.source.gebruikt[1].omschr);
    EXPECT_DOUBLE_EQ(b.gebruikt[1].bedrag, 2 * 14.95);
    ASSERT_EQ(b.numnodig, 1);
    EXPECT_EQ(b.benodigd[1].bestelnr, "V-7");
    EXPECT_DOUBLE_EQ(b.uurprijswerk, 52.5);
    EXPECT_TRUE(b.prijsinc);
    // What a new ticket starts without.
    EXPECT_TRUE(b.opm.isEmpty());
    EXPECT_TRUE(b.code.isEmpty());
    EXPECT_TRUE(b.projectnr.isEmpty());
    EXPECT_DOUBLE_EQ(b.werk[1], 0);
    EXPECT_EQ(b.km[1], 0);
    EXPECT_EQ(b.numfoto, 0);
    EXPECT_FALSE(b.ondertekend);
    EXPECT_EQ(details->ondertekening, NoDetail());

    // Nothing is stored until a page is confirmed; then it is a row of its own.
    EXPECT_EQ(app.storedTickets(), stored);
    StoreBon(g);
    EXPECT_EQ(app.storedTickets(), stored + 1);
    EXPECT_NE(g.bon.id, "NEWNEW");
}

TEST(TicketTemplates, SaveReplacesByNameRenameRefusesATakenNameRemoveDeletes)
{
    MaintenanceTicket app;
    KVGlobal& g = *app.g;
    const QString first = TicketTemplates::SaveCurrentTicket(g, QStringLiteral("Ketel"));
    g.bon.werkzh = {QStringLiteral("Alleen de ketel")};
    EXPECT_EQ(TicketTemplates::SaveCurrentTicket(g, QStringLiteral("KETEL")), first); // same name, other case
    const QString second = TicketTemplates::SaveCurrentTicket(g, QStringLiteral("Airco"));
    ASSERT_EQ(TicketTemplates::List(g).size(), 2);
    EXPECT_EQ(TicketTemplates::List(g)[0].naam, "Airco");
    EXPECT_EQ(TicketTemplates::List(g)[1].naam, "KETEL");
    ASSERT_TRUE(TicketTemplates::NewBonFromTemplate(g, first));
    EXPECT_EQ(g.bon.werkzh, QStringList({"Alleen de ketel"}));

    EXPECT_FALSE(TicketTemplates::Rename(g, second, QStringLiteral("ketel")));
    EXPECT_FALSE(TicketTemplates::Rename(g, second, QStringLiteral("  ")));
    EXPECT_TRUE(TicketTemplates::Rename(g, second, QStringLiteral("Airco groot")));
    EXPECT_TRUE(TicketTemplates::Rename(g, first, QStringLiteral("Ketel"))); // its own name, other case
    EXPECT_EQ(TicketTemplates::Find(g, QStringLiteral("airco GROOT"))->id, second);

    EXPECT_TRUE(TicketTemplates::Remove(g, first));
    EXPECT_FALSE(TicketTemplates::Remove(g, first));
    ASSERT_EQ(TicketTemplates::List(g).size(), 1);
    EXPECT_THROW(TicketTemplates::SaveCurrentTicket(g, QStringLiteral(" ")), KVError);

    // A template that is gone starts nothing and uses no number.
    const int counter = g.settings.inst.bon;
    const QString before = g.bon.bonnr;
    EXPECT_FALSE(TicketTemplates::NewBonFromTemplate(g, first));
    EXPECT_EQ(g.settings.inst.bon, counter);
    EXPECT_EQ(g.bon.bonnr, before);
}

TEST(TicketTemplates, ATemplateWithMoreLinesThanThePlanWidensTheDocument)
{
    MaintenanceTicket app;
    KVGlobal& g = *app.g;
    g.bon.numodd = 10;
    for (int k = 1; k <= 10; ++k)
        g.bon.gebruikt[k] = Part(QString::number(k), 1, k);
    g.bon.numnodig = 0;
    const QString id = TicketTemplates::SaveCurrentTicket(g, QStringLiteral("Groot"));
    g.settings.inst.maxgebruikt = 8;
    g.settings.inst.maxnodig = 5;
    PlanDocumentRows(g);
    BuildDocument(g);
    ASSERT_TRUE(TicketTemplates::NewBonFromTemplate(g, id));
    EXPECT_EQ(g.settings.inst.maxgebruikt, 10);
    EXPECT_EQ(g.settings.inst.maxnodig, 3);
    EXPECT_EQ(g.rowPlan.UsedPartsRow + 2 + 10, g.rowPlan.NeededPartsRow);
}

TEST(TicketTemplates, TheTableIsLocalKeptOverARestartAndNeverPushed)
{
    MaintenanceTicket app;
    KVGlobal& g = *app.g;
    int pushes = 0;
    g.cloud.fanOut = [&pushes](const QString&, Table&) { ++pushes; return true; };
    g.CloudSyncEnabled = true;
    TicketTemplates::SaveCurrentTicket(g, QStringLiteral("Ketel"));
    EXPECT_EQ(pushes, 0);

    // The next start finds the table as it was and adds nothing twice.
    KVGlobal again(Edition::Dutch, app.docs.path());
    app.rec.Attach(again);
    ReadSettings(again);
    ASSERT_TRUE(OpenDatabase(again));
    ASSERT_EQ(TicketTemplates::List(again).size(), 1);
    EXPECT_EQ(TicketTemplates::List(again)[0].naam, "Ketel");
    QSqlQuery q(again.db().connection());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name LIKE 'kv_sjabloon%' OR name = 'sjabloon'")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 3);
}
