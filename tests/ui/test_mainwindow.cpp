#include "TestSupport.h"
#include "app/KVWidgets.h"
#include "app/TFMain.h"
#include "store/Table.h"

#include <QLabel>
#include <QStackedWidget>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QProcess>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
struct Window {
    explicit Window(Edition e = Edition::Dutch) : w(docs.path(), e, [this](KVGlobal& g) { rec.Attach(g); })
    {
        w.show();
    }
    TempDocs docs = [] { TempDocs d; d.InstallTemplateDatabase(); d.InstallSounds(); return d; }();
    SeamRecorder rec;
    TFMain w;
};
}

TEST(MainWindow, ShowsProductNameOfEachEdition)
{
    for (auto [edition, name] : {std::pair{Edition::Dutch, "KolVarnPro"}, std::pair{Edition::English, "TralVenorPro"}}) {
        Window win(edition);
        EXPECT_EQ(win.w.LabelMain()->text(), name);
        EXPECT_EQ(win.w.CurrentPageName(), "TabItemMain");
    }
}

TEST(MainWindow, SideMenuHidesTitleAndBottomBarAndClosesOnListClick)
{
    Window win;
    auto* bottom = win.w.findChild<QWidget*>("ToolBarMainBottom");
    ASSERT_TRUE(bottom);
    EXPECT_FALSE(win.w.ListBoxMenu()->isVisible());

    QTest::mouseClick(win.w.findChild<QWidget*>("SBMenu"), Qt::LeftButton);
    EXPECT_TRUE(win.w.ListBoxMenu()->isVisible());
    EXPECT_FALSE(win.w.LabelMain()->isVisible());
    EXPECT_FALSE(bottom->isVisible());

    // A tap on an empty area of the main list closes the menu and opens no page.
    auto* list = win.w.ListBoxMain();
    QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(list->width() - 5, list->height() - 5));
    EXPECT_FALSE(win.w.ListBoxMenu()->isVisible());
    EXPECT_TRUE(win.w.LabelMain()->isVisible());
    EXPECT_TRUE(bottom->isVisible());
    EXPECT_EQ(win.w.CurrentPageName(), "TabItemMain");
}

TEST(MainWindow, EveryPageOfThePageMapIsInTheStack)
{
    Window win;
    for (const char* page : {"TabItemMain", "TabItemAlgemeen", "TabItemType", "TabItemSpecificatie", "TabItemDag",
                             "TabItemGB", "TabItemOnderdeel", "TabItemFoto", "TabItemImage", "TabItemInfo", "TabItemSign",
                             "TabItemOverzicht", "TabItemDBOpdrachtgevers", "TabItemOpdrachtgever",
                             "TabItemDBOnderdelen", "TabItemConfig", "TabItemPro", "TabItemSync", "TabItemAbout"})
        EXPECT_TRUE(win.w.Page(page)) << page;
    for (const char* button : {"SBMenu", "SBNew", "SBOverzicht", "SBConfig", "SBSync", "SBPro", "SBAbout", "SBBadgeKV",
                               "SBBadgeOG", "SBBadgeOD", "SBAlgemeenOK", "SBInfoEmail", "SBUploadKV", "SBAboutOK"})
        EXPECT_TRUE(win.w.findChild<QWidget*>(button)) << button;
}

TEST(MainWindow, KeyboardLiftsOnlyACoveredField)
{
    Window win;
    win.w.resize(400, 700);
    QTest::qWait(10);
    auto* field = new QLineEdit(win.w.ListBoxMain());
    field->setGeometry(10, 500, 200, 30);
    field->show();
    field->setFocus();
    QTest::qWait(10);
    const int fieldBottom = field->mapTo(&win.w, QPoint(0, 0)).y() + field->height();

    // A keyboard below the field: nothing moves.
    win.w.KeyboardShown(QRectF(win.w.mapToGlobal(QPoint(0, 650)), QSizeF(400, 50)));
    EXPECT_FALSE(win.w.FNeedOffset());

    // A keyboard over the field: lifted by exactly the covered height.
    const int kbTop = 400;
    win.w.KeyboardShown(QRectF(win.w.mapToGlobal(QPoint(0, kbTop)), QSizeF(400, 300)));
    EXPECT_TRUE(win.w.FNeedOffset());
    EXPECT_EQ(win.w.VertScrollBox1()->verticalScrollBar()->value(), fieldBottom - kbTop);

    win.w.KeyboardHidden();
    EXPECT_FALSE(win.w.FNeedOffset());
    EXPECT_EQ(win.w.VertScrollBox1()->verticalScrollBar()->value(), 0);
}

TEST(MainWindow, CloseWritesTheMainSections)
{
    Window win;
    win.w.close();
    const QString ini = QString::fromUtf8(win.docs.ReadFile("kvrn.ini"));
    for (const char* section : {"[INST]", "[MAIL]", "[mailtekst]"})
        EXPECT_TRUE(ini.contains(section)) << section;
    EXPECT_FALSE(ini.contains("[PRO]"));
}

TEST(MainWindow, LanguageOfTheSettingsReachesTheCaptions)
{
    TempDocs docs;
    docs.InstallTemplateDatabase();
    docs.WriteFile("kvrn.ini", "[BRANCHE]\ntaal=1\n");
    SeamRecorder rec;
    TFMain w(docs.path(), Edition::Dutch, [&](KVGlobal& g) { rec.Attach(g); });
    EXPECT_EQ(w.ListBoxMain()->item("ListBoxItemAlgemeen")->caption(), "General");
    EXPECT_EQ(w.findChild<QToolButton*>("SBOverzicht")->text(), "Summary");
}

// Terms come before the language, and the captions built from both come last: a user term
// outside the table stays as written, and the signature caption is built from the result.
TEST(MainWindow, StartUpAppliesTermsThenLanguageThenBuiltCaptions)
{
    TempDocs docs;
    docs.InstallTemplateDatabase();
    docs.WriteFile("kvrn.ini", "[BRANCHE]\ntaal=1\nafstand=mijl\n");
    docs.WriteFile("jargon.ini", "[Jargon]\nOpdrachtgever=Klant\nKolvarn=Opdracht\n");
    SeamRecorder rec;
    TFMain w(docs.path(), Edition::Dutch, [&](KVGlobal& g) { rec.Attach(g); });
    KVJargon& j = w.global().jargon;
    EXPECT_EQ(j.Caption("ListBoxItemOpdrachtgever"), "Klant");
    EXPECT_EQ(j.Caption("ListBoxItemKolvarn"), "Opdracht");
    EXPECT_EQ(j.Caption("ListBoxItemWerktijd"), "Working");
    EXPECT_EQ(j.Caption("TMSFMXSignatureCapture1"), "If agreement signature klant");
    EXPECT_EQ(j.Caption("TMSFMXSignatureCapture2"), "If agreement signature mechanic");
    EXPECT_EQ(j.Caption("ListBoxItemAfstand"), "Mijl");
    EXPECT_EQ(j.Caption("ListBoxItemAfstandPrijs"), "Price per mijl");
}

TEST(MainWindow, StartUpWithoutDatabaseReportsItAndGoesOn)
{
    TempDocs docs;
    SeamRecorder rec;
    TFMain w(docs.path(), Edition::Dutch, [&](KVGlobal& g) { rec.Attach(g); });
    ASSERT_EQ(rec.messages.size(), 1);
    EXPECT_EQ(rec.messages.first(), docs.file("kolvarn.db3") + " opent niet. ontbrekend");
    EXPECT_FALSE(QFile::exists(docs.file("kolvarn.db3")));
    // Start-up went on to the document and the main page.
    EXPECT_EQ(w.CurrentPageName(), "TabItemMain");
    EXPECT_GT(w.global().sheet.RowCount(), 0);
}

// An installed program's first start on an empty documents folder offers the installed template
// database and sounds: yes puts them in place (an existing sound is kept) and the store opens;
// no leaves the folder as it was and reports the missing database as before.
TEST(MainWindow, FirstStartOffersTheInstalledDatabase)
{
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "yes" : "no");
        TempDocs installed;
        installed.InstallTemplateDatabase();
        installed.InstallSounds();
        TempDocs docs;
        docs.WriteFile("pop.mp3", "own sound");
        SeamRecorder rec;
        rec.installedDataFolder = installed.path();
        rec.confirmAnswer = yes;
        TFMain w(docs.path(), Edition::Dutch, [&](KVGlobal& g) { rec.Attach(g); });
        ASSERT_EQ(rec.confirmations.size(), 1);
        EXPECT_TRUE(rec.confirmations.first().endsWith("\n" + docs.path()));
        EXPECT_EQ(QFile::exists(docs.file("kolvarn.db3")), yes);
        EXPECT_EQ(QFile::exists(docs.file("woosh.mp3")), yes);
        EXPECT_EQ(docs.ReadFile("pop.mp3"), "own sound");
        if (yes)
            EXPECT_TRUE(rec.messages.isEmpty()) << rec.messages.join("|").toStdString();
        else
            EXPECT_EQ(rec.messages, QStringList{docs.file("kolvarn.db3") + " opent niet. ontbrekend"});
        EXPECT_EQ(w.global().BonTable().IsOpen(), yes);
    }
}

// An old database is upgraded, its identifiers repaired, its work descriptions migrated and,
// with INST/correctie, its ticket numbers renumbered; checked with the sqlite3 shell.
TEST(MainWindow, StartUpBringsAnOldDatabaseUpToDate)
{
    TempDocs docs;
    docs.InstallTemplateDatabase();
    const QString db = docs.file("kolvarn.db3");
    QProcess::execute("sqlite3", {db, "INSERT INTO bon (id, bonnr, datum, werkzh1) VALUES ('17', '1-7', '15-02-2021', 'a');"
                                      "INSERT INTO opdrachtgever (id, naam) VALUES ('5', 'Bakker');"});
    docs.WriteFile("kvrn.ini", "[INST]\ncorrectie=1\n");
    SeamRecorder rec;
    {
        TFMain w(docs.path(), Edition::Dutch, [&](KVGlobal& g) { rec.Attach(g); });
        EXPECT_TRUE(rec.messages.isEmpty()) << rec.messages.join("|").toStdString();
    }
    QProcess q;
    q.start("sqlite3", {db, "SELECT length(id) || '|' || bonnr || '|' || hex(werkzh) || '|' || ifnull(werkzh1,'') FROM bon;"
                            "SELECT length(id) FROM opdrachtgever;"
                            "SELECT count(*) FROM pragma_table_info('bon') WHERE name IN ('synced','desc4','handtekening2');"});
    ASSERT_TRUE(q.waitForFinished());
    const QStringList out = QString::fromUtf8(q.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(out.size(), 3);
    EXPECT_EQ(out[0], "15|1-20210007|" + QByteArray("a\r\n\r\n").toHex().toUpper() + "|");
    EXPECT_EQ(out[1], "15");
    EXPECT_EQ(out[2], "3");
}

// A long press on a term caption opens the term editor; its OK stores the term in jargon.ini
// and every widget showing that caption follows.
TEST(MainWindow, TermEditorRenamesACaptionEverywhere)
{
    Window win;
    win.w.resize(480, 800);
    win.w.global().bon.bonnr = QStringLiteral("1-1");
    QTest::mouseClick(win.w.findChild<QWidget*>("ListBoxItemType"), Qt::LeftButton);
    ASSERT_EQ(win.w.CurrentPageName(), "TabItemType");
    auto* item = win.w.findChild<KVListItem*>("ListBoxItemRegie");
    ASSERT_TRUE(item);
    QTest::mousePress(item, Qt::LeftButton);
    QTest::qWait(800);
    QTest::mouseRelease(item, Qt::LeftButton);
    auto* popup = win.w.findChild<QWidget*>("TMSFMXPopupJargon");
    ASSERT_TRUE(popup->isVisible());
    EXPECT_EQ(win.w.findChild<QLabel*>("LabelOrigin")->text(), "Regie");
    win.w.findChild<QLineEdit*>("EditJargon")->setText(QString::fromUtf8("Storing"));
    QTest::mouseClick(win.w.findChild<QWidget*>("ButtonJargonOK"), Qt::LeftButton);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(item->caption(), "Storing");
    EXPECT_TRUE(win.docs.ReadFile("jargon.ini").contains("Regie=Storing"));
    // The long press opened no page of its own.
    EXPECT_EQ(win.w.CurrentPageName(), "TabItemType");
}
