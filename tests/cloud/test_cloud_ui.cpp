// The window's side of the synchronisation: the sync page, Timer1 and the badges.
#include "CloudTestSupport.h"
#include "app/KVWidgets.h"
#include "app/TFMain.h"
#include "app/ProgressOverlay.h"
#include "cloud/PeriodicCheck.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
// A window whose settings file holds the company's account, so that its start-up connects.
struct Window {
    Window(TestCompany& company, int unit, const QByteArray& sync = {})
    {
        docs.InstallTemplateDatabase();
        docs.InstallSounds();
        docs.WriteFile("kvrn.ini", "[INST]\nunit=" + QByteArray::number(unit) + "\n[CLOUD]\nUser=" + company.user.toUtf8() +
                                       "\nWW=" + company.password.toUtf8() + "\nServer=" + TestServer::Setting().toUtf8() +
                                       "\n[SYNC]\n" + sync);
        w = std::make_unique<TFMain>(docs.path(), Edition::Dutch, [this](KVGlobal& g) { rec.Attach(g); });
        w->show();
    }
    template <class T> T* find(const QString& name) const
    {
        T* c = w->findChild<T*>(name);
        EXPECT_TRUE(c) << name.toStdString();
        return c;
    }
    void click(const QString& name) { QTest::mouseClick(find<QWidget>(name), Qt::LeftButton); }
    TempDocs docs;
    SeamRecorder rec;
    std::unique_ptr<TFMain> w;
};
} // namespace

TEST(CloudWindow, StartUpConnectsAndTheSyncPageShowsTheUnitsFound)
{
    TestCompany company(2);
    Window win(company, 1, "DEV1=Bus 1\nACT1=1\nDEV4=Bus 4\nACT4=1\n");
    KVGlobal& g = win.w->global();
    EXPECT_TRUE(win.w->cloud().UniConnectionCloud.IsConnected());
    EXPECT_EQ(g.SyncUnits, 2);

    win.click("SBSync");
    EXPECT_EQ(win.w->CurrentPageName(), "TabItemSync");
    for (int n = 0; n <= 10; ++n) {
        auto* row = win.find<KVListItem>(QStringLiteral("ListBoxSyncItem%1").arg(n));
        EXPECT_EQ(row->isVisible(), n <= 2) << n;
        EXPECT_EQ(row->caption(), QString::number(n));
    }
    EXPECT_EQ(win.find<QLineEdit>("EditSync0")->text(), "Kantoor");
    EXPECT_TRUE(win.find<QCheckBox>("CheckBoxSync0")->isChecked());
    EXPECT_EQ(win.find<QLineEdit>("EditSync1")->text(), "Bus 1");
    // Hidden rows hold their slot too.
    EXPECT_EQ(win.find<QLineEdit>("EditSync4")->text(), "Bus 4");
    EXPECT_TRUE(win.find<QCheckBox>("CheckBoxSync4")->isChecked());

    // "Terug" keeps the slots as they were.
    win.find<QLineEdit>("EditSync1")->setText("Veranderd");
    win.find<QCheckBox>("CheckBoxSync1")->setChecked(false);
    win.click("SBSyncTerug");
    EXPECT_EQ(win.w->CurrentPageName(), "TabItemMain");
    EXPECT_EQ(g.SyncDevs()[1].naam, "Bus 1");
    EXPECT_TRUE(g.SyncDevs()[1].actief);

    // Opening again refills the rows; "OK" takes all eleven and writes them.
    win.click("SBSync");
    EXPECT_EQ(win.find<QLineEdit>("EditSync1")->text(), "Bus 1");
    win.find<QLineEdit>("EditSync2")->setText(QString::fromUtf8("Bus twee ë"));
    win.find<QCheckBox>("CheckBoxSync2")->setChecked(true);
    win.find<QCheckBox>("CheckBoxSync0")->setChecked(false);
    win.click("SBSyncOK");
    EXPECT_EQ(win.w->CurrentPageName(), "TabItemMain");
    EXPECT_EQ(g.SyncDevs()[2].naam, QString::fromUtf8("Bus twee ë"));
    EXPECT_TRUE(g.SyncDevs()[2].actief);
    EXPECT_FALSE(g.SyncDevs()[0].actief); // until the next start
    const QString ini = QString::fromUtf8(win.docs.ReadFile("kvrn.ini"));
    EXPECT_TRUE(ini.contains(QString::fromUtf8("DEV2=Bus twee ë"))) << ini.toStdString();
    EXPECT_TRUE(ini.contains("DEV4=Bus 4")) << ini.toStdString();
}

TEST(CloudWindow, WithoutUnitInboxesOnlyTheOfficeRowIsShown)
{
    TestCompany company(0);
    Window win(company, 1);
    EXPECT_EQ(win.w->global().SyncUnits, 0);
    win.click("SBSync");
    EXPECT_TRUE(win.find<KVListItem>("ListBoxSyncItem0")->isVisible());
    EXPECT_FALSE(win.find<KVListItem>("ListBoxSyncItem1")->isVisible());
}

TEST(CloudWindow, TimerRunsEveryFiveMinutesAndBadgesStartAtZero)
{
    TestCompany company(1);
    Window win(company, 1);
    QTimer* timer = win.w->periodicCheck()->Timer1();
    EXPECT_EQ(timer->objectName(), "Timer1");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 300000);
    for (const char* badge : {"BadgeKV", "BadgeOG", "BadgeOD"}) {
        EXPECT_EQ(win.find<QLabel>(badge)->text(), "0") << badge;
        EXPECT_TRUE(win.find<QLabel>(badge)->isVisible()) << badge;
    }
}

TEST(CloudWindow, ABadgeOpensItsListAsItsControlDoes)
{
    TestCompany company(1);
    Window win(company, 1);
    for (const auto& [badge, opener] : {std::pair{"SBBadgeKV", "SBOverzicht"}, std::pair{"SBBadgeOG", "ListBoxItemOG"},
                                        std::pair{"SBBadgeOD", "ListBoxItemOD"}}) {
        int opened = 0;
        auto* target = win.find<QAbstractButton>(opener);
        auto c = QObject::connect(target, &QAbstractButton::clicked, [&] { ++opened; });
        win.click(badge);
        // A click on the count itself reaches the button under it.
        QTest::mouseClick(win.find<QLabel>(QString::fromLatin1(badge).mid(2)), Qt::LeftButton);
        EXPECT_EQ(opened, 2) << badge;
        QObject::disconnect(c);
    }
}

TEST(CloudWindow, TheConnectionTestOfTheCompanyPageUsesItsEdits)
{
    TestCompany company(3);
    TestCompany other(1);
    Window win(other, 1);
    const QByteArray ini = win.docs.ReadFile("kvrn.ini");
    win.click("SBPro");
    ASSERT_EQ(win.w->CurrentPageName(), "TabItemPro");
    win.find<QLineEdit>("EditGebruiker")->setText("qurimsa_" + company.user);
    win.find<QLineEdit>("Editwachtwoord")->setText(company.password);
    win.find<QLineEdit>("EditServer")->setText(TestServer::Setting());
    win.click("ListBoxItem47");
    EXPECT_EQ(win.rec.messages, QStringList{"Verbinding met server OK. Units: 3"});
    EXPECT_EQ(win.w->global().settings.cloud.user, company.user);
    EXPECT_EQ(win.docs.ReadFile("kvrn.ini"), ini); // nothing written

    win.rec.messages.clear();
    win.find<QLineEdit>("Editwachtwoord")->setText("wrong");
    win.click("ListBoxItem47");
    EXPECT_EQ(win.rec.messages, QStringList{"Geen verbinding met server."});
}

// A download of many tickets shows how far it is in a band that is painted after every stored
// batch (the work runs on the interface thread), and the band goes when the download ends.
TEST(CloudWindow, ALongDownloadShowsItsProgressPaintedBetweenBatches)
{
    TestCompany company(1);
    Window win(company, 1);
    for (int i = 0; i < 60; ++i)
        company.Insert("kv1", SampleRow(CloudKind::Tickets, QString("LMKVL2FDjU6%1").arg(i, 4, 10, QChar('0'))));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(win.w.get()));
    ProgressOverlay* band = win.w->Progress();
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override { paints += e->type() == QEvent::Paint; return false; }
    } counter;
    band->installEventFilter(&counter);
    KVCloud& cloud = win.w->cloud();
    cloud.downloadBatch = 20;
    cloud.downloadBytes = 1; // batches of one row after the first: many reports
    QStringList shown;
    QList<int> paintsAtReport;
    const auto show = cloud.Progress;
    cloud.Progress = [&](KVCloud::Transfer t, CloudKind k, int done, int total) {
        show(t, k, done, total);
        shown << band->text();
        paintsAtReport << counter.paints;
    };
    cloud.DownloadClick(CloudKind::Tickets);
    EXPECT_EQ(win.rec.sounds, QStringList{"pop.mp3"});
    ASSERT_GE(shown.size(), 3);
    EXPECT_EQ(shown.first(), "Ontvangen 0 / 60");
    EXPECT_TRUE(shown.contains("Ontvangen 20 / 60")) << shown.join('|').toStdString();
    EXPECT_EQ(shown.last(), ""); // the band is gone at the end
    EXPECT_FALSE(band->isVisible());
    // Every report while the band showed painted it at once.
    for (int i = 1; i + 1 < paintsAtReport.size(); ++i)
        EXPECT_GT(paintsAtReport[i], paintsAtReport[i - 1]) << i;
}
