// The five-minute check while the user is at work: a tick that downloads while a page is open
// leaves the page's record where it was, and a tick that comes while a question is open waits
// for the answer.
#include "CloudTestSupport.h"
#include "app/TFMain.h"
#include "catalogue/ClientCatalogue.h"
#include "catalogue/PartCatalogue.h"
#include "cloud/PeriodicCheck.h"
#include "store/Table.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QTableView>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString kArrivingClient = QStringLiteral("LMKVL2FDjU6C001");
const QString kArrivingPart = QStringLiteral("LMKVL2FDjU6D001");

// Unit 1 of a company with units 0..2, all active: a store pushes into og0/og2 and od0/od2.
// Its own inbox holds one new client and one new part; its local catalogues hold two of each.
struct Unit1 {
    explicit Unit1(TestCompany& c) : company(c)
    {
        docs.InstallTemplateDatabase();
        docs.InstallSounds();
        docs.WriteFile("kvrn.ini", "[INST]\nunit=1\n[CLOUD]\nUser=" + company.user.toUtf8() + "\nWW=" + company.password.toUtf8() +
                                       "\nServer=" + TestServer::Setting().toUtf8() + "\n[SYNC]\nACT2=1\n");
        w = std::make_unique<TFMain>(docs.path(), Edition::Dutch, [this](KVGlobal& g) { rec.Attach(g); });
        w->resize(480, 800);
        w->show();
        probe.listen(QHostAddress::LocalHost);
        w->cloud().probeHost = QStringLiteral("127.0.0.1");
        w->cloud().probePort = probe.serverPort();
        EXPECT_TRUE(g().CloudSyncEnabled);

        // Stored while nothing is pushed yet, so that the inboxes hold only what the tests do.
        g().CloudSyncEnabled = false;
        for (const char* naam : {"Aa", "Bb"}) {
            ClientForm f;
            f.naam = QLatin1String(naam);
            g().NewCatalogueClient = true;
            ClientCatalogue::Store(g(), f);
        }
        for (const auto& [nr, omschr] : {std::pair{"A-1", "Afsluiter"}, std::pair{"B-1", "Bocht"}}) {
            g().NewCataloguePart = true;
            PartCatalogue::Store(g(), {QLatin1String(nr), QLatin1String(omschr), 0, 2.5});
        }
        g().CloudSyncEnabled = true;
        company.Insert("og1", {{"id", kArrivingClient}, {"naam", "Cc uit de cloud"}});
        company.Insert("od1", {{"id", kArrivingPart}, {"bestelnr", "Z-1"}, {"omschr", "Zegel"}, {"prijs", 9}});
    }
    KVGlobal& g() { return w->global(); }
    template <class T = QWidget> T* find(const char* name)
    {
        T* found = w->findChild<T*>(QLatin1String(name));
        EXPECT_TRUE(found) << name;
        return found;
    }
    void click(const char* name)
    {
        if (auto* b = find<QAbstractButton>(name))
            b->click();
    }
    void clickRow(const char* grid, int row)
    {
        auto* view = find<QTableView>(grid);
        const QModelIndex index = view->model()->index(row, 0);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }
    void tick() { w->periodicCheck()->Timer1Timer(); }
    QString id(Table& t, const QString& column, const QString& value)
    {
        return t.Locate(column, value) ? t.AsString(QStringLiteral("id")) : QString();
    }

    TestCompany& company;
    TempDocs docs;
    SeamRecorder rec;
    std::unique_ptr<TFMain> w;
    QTcpServer probe;
};

// What a kind's test looks at: the local table, its inboxes, its key column.
struct Kind {
    const char* inbox;  // the own inbox, "og1" / "od1"
    const char* pushed; // one of the other units' inboxes
    const char* column; // shown in the grid's first sorted column
    QString arriving;
};
const Kind kClients{"og1", "og2", "naam", kArrivingClient};
const Kind kParts{"od1", "od2", "omschr", kArrivingPart};

struct PageCase {
    const char* name;
    const Kind& kind;
    // From the main page to the open page, with the user's change made; returns the key the
    // edited record should have afterwards.
    std::function<QString(Unit1&)> open;
    const char* ok;
};

QString loadClient(Unit1& u)
{
    u.clickRow("FNCGridOG", 1); // Bb
    u.click("SBLoadOpdrachtgever");
    EXPECT_EQ(u.w->CurrentPageName(), "TabItemOpdrachtgever");
    u.find<QLineEdit>("EditXOpdrachtgever")->setText("Bb gewijzigd");
    return "Bb gewijzigd";
}

QString loadPart(Unit1& u)
{
    u.clickRow("FNCGridOD", 1); // Bocht
    u.click("SBLoadOnderdeel");
    EXPECT_EQ(u.w->CurrentPageName(), "TabItemOnderdeel");
    EXPECT_EQ(u.find<QLineEdit>("EditOmschr")->text(), "Bocht");
    u.find<QLineEdit>("EditOmschr")->setText("Bocht 90");
    return "Bocht 90";
}

const PageCase kPageCases[] = {
    {"client page opened with Laden", kClients,
     [](Unit1& u) {
         u.click("ListBoxItemOG");
         return loadClient(u);
     },
     "SBOpdrachtgeverOK"},
    {"client picked into a ticket", kClients,
     [](Unit1& u) {
         u.click("SBNew");
         u.click("ListBoxItemAlgemeen");
         QTest::mouseClick(u.find<QLineEdit>("EditOpdrachtgever"), Qt::LeftButton);
         EXPECT_EQ(u.w->CurrentPageName(), "TabItemDBOpdrachtgevers");
         return loadClient(u);
     },
     "SBOpdrachtgeverOK"},
    {"part page opened with Laden", kParts,
     [](Unit1& u) {
         u.click("ListBoxItemOD");
         return loadPart(u);
     },
     "SBOnderdeelOK"},
    {"part chosen for a new parts line", kParts,
     [](Unit1& u) {
         u.click("SBNew");
         u.click("ListBoxItemGebruikt");
         u.click("SBAddGB");
         EXPECT_EQ(u.w->CurrentPageName(), "TabItemDBOnderdelen");
         return loadPart(u);
     },
     "SBOnderdeelOK"},
    {"parts line opened from the ticket", kParts,
     [](Unit1& u) {
         u.click("SBNew");
         u.click("ListBoxItemGebruikt");
         u.click("SBAddGB");
         u.clickRow("FNCGridOD", 1);
         u.click("SBLoadOnderdeel");
         u.click("SBOnderdeelOK");
         // The line is there; opening it again shows the part page with its values.
         auto* lines = u.find<QListView>("TableViewGB");
         QApplication::processEvents(); // the list lays out its line
         const QModelIndex line = lines->model()->index(0, 0);
         QTest::mouseClick(lines->viewport(), Qt::LeftButton, {}, lines->visualRect(line).center());
         QTest::mouseDClick(lines->viewport(), Qt::LeftButton, {}, lines->visualRect(line).center());
         EXPECT_EQ(u.w->CurrentPageName(), "TabItemOnderdeel");
         u.find<QLineEdit>("EditOmschr")->setText("Bocht 90");
         return QStringLiteral("Bocht 90");
     },
     "SBOnderdeelOK"},
};

} // namespace

TEST(CloudTick, ATickWhileAPageIsOpenLeavesThePagesRecordToThePage)
{
    for (const PageCase& c : kPageCases) {
        SCOPED_TRACE(c.name);
        TestCompany company(2);
        Unit1 u(company);
        const bool clients = &c.kind == &kClients;
        Table& t = clients ? u.g().OpdrachtgeverTable() : u.g().OnderdeelTable();
        const QString column = QLatin1String(c.kind.column);
        const QString edited = u.id(t, column, clients ? "Bb" : "Bocht");
        const QString other = u.id(t, column, clients ? "Aa" : "Afsluiter");
        // Whatever the open page pushed before the tick is not what this test looks at.
        const QString changed = c.open(u);
        company.Exec(QStringLiteral("DELETE FROM `%1`").arg(QLatin1String(c.kind.pushed)));

        u.tick();
        ASSERT_EQ(company.Count(c.kind.inbox), 0) << "the tick downloads";
        u.click(c.ok);

        // The record the page was opened on has the page's values; the others are as they were.
        ASSERT_TRUE(t.Locate("id", edited));
        EXPECT_EQ(t.AsString(column), changed);
        ASSERT_TRUE(t.Locate("id", other));
        EXPECT_EQ(t.AsString(column), clients ? "Aa" : "Afsluiter");
        ASSERT_TRUE(t.Locate("id", c.kind.arriving));
        EXPECT_EQ(t.AsString(column), clients ? "Cc uit de cloud" : "Zegel");
        EXPECT_TRUE(t.AsBoolean("synced"));
        EXPECT_EQ(t.RecordCount(), 3);
        // Only the edited record went to the other units, with the page's values.
        const QList<QVariantMap> pushed = company.Rows(QLatin1String(c.kind.pushed), {"id", column});
        ASSERT_EQ(pushed.size(), 1);
        EXPECT_EQ(pushed[0]["id"].toString(), edited);
        EXPECT_EQ(pushed[0][column].toString(), changed);
        if (std::string(c.name) == "client picked into a ticket")
            EXPECT_EQ(u.find<QLineEdit>("EditOpdrachtgever")->text(), "Bb gewijzigd");
        if (std::string(c.name).find("line") != std::string::npos)
            EXPECT_EQ(u.g().bon.gebruikt[1].omschr, "Bocht 90");
    }
}

TEST(CloudTick, ATickDuringTheDeleteQuestionWaitsAndTheAskedRecordIsDeleted)
{
    TestCompany company(2);
    Unit1 u(company);
    // The question as the program asks it: a modal box with its own event loop.
    u.g().seams.confirm = [&u](const QString& text) {
        return QMessageBox::question(u.w.get(), QString(), text) == QMessageBox::Yes;
    };
    Table& t = u.g().OpdrachtgeverTable();
    const QString asked = u.id(t, "naam", "Aa");
    const QString other = u.id(t, "naam", "Bb");
    u.click("ListBoxItemOG");
    u.clickRow("FNCGridOG", 0); // Aa
    ASSERT_EQ(t.AsString("id"), asked);

    QTimer* timer = u.w->periodicCheck()->Timer1();
    int inboxWhileAsked = -1;
    bool answered = false;
    QTimer::singleShot(0, [&] {
        // The box is up: the timer comes due at once, inside the box's loop.
        ASSERT_TRUE(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
        timer->start(0);
        QTimer::singleShot(300, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            EXPECT_EQ(box->text(), "Delete record?");
            inboxWhileAsked = company.Count("og1");
            timer->start(KVCloud::Timer1Interval);
            answered = true;
            box->button(QMessageBox::Yes)->click();
        });
    });
    u.click("BindNavigatorOGDelete");
    ASSERT_TRUE(answered);
    EXPECT_EQ(inboxWhileAsked, 1) << "no tick ran inside the question";

    // The waiting tick runs once the box has gone.
    EXPECT_TRUE(QTest::qWaitFor([&] { return company.Count("og1") == 0; }, 5000));
    EXPECT_FALSE(t.Locate("id", asked));
    EXPECT_TRUE(t.Locate("id", other));
    EXPECT_TRUE(t.Locate("id", kArrivingClient));
    EXPECT_EQ(t.RecordCount(), 2);
    EXPECT_EQ(company.Count("og0") + company.Count("og2"), 0) << "a delete and a download push nothing";
}
