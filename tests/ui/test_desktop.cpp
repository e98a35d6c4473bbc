// The window as a desktop program: its place on the screen, the keys, and captions in the
// edition's language on every page.
#include "TestSupport.h"
#include "app/KVWidgets.h"
#include "app/TFMain.h"
#include "app/TermEditor.h"
#include "app/WindowPlacement.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Window {
    explicit Window(Edition e = Edition::Dutch) : w(docs.path(), e, [this](KVGlobal& g) { rec.Attach(g); }) { w.show(); }
    TempDocs docs = [] { TempDocs d; d.InstallTemplateDatabase(); d.InstallSounds(); return d; }();
    SeamRecorder rec;
    TFMain w;
};

const QMargins kTitleBar(0, 32, 0, 0);

} // namespace

TEST(WindowPlacement, FitsTheScreenAndKeepsAStoredPlaceOnIt)
{
    struct Case {
        const char* what;
        QRect available, stored, expected;
    };
    const Case cases[] = {
        {"a high screen: phone proportions, centred", QRect(0, 0, 1920, 1050), QRect(), QRect(720, 141, 480, 800)},
        {"1366 x 768 with a panel: shorter, every bar inside", QRect(0, 0, 1366, 740), QRect(), QRect(443, 32, 480, 708)},
        {"1024 x 768: shorter", QRect(0, 0, 1024, 768), QRect(), QRect(272, 32, 480, 736)},
        {"a stored place that fits stays", QRect(0, 0, 1366, 740), QRect(100, 80, 600, 500), QRect(100, 80, 600, 500)},
        {"a stored place from a larger screen shrinks onto this one", QRect(0, 0, 1024, 768), QRect(50, 40, 1800, 1000),
         QRect(0, 32, 1024, 736)},
        {"a stored place beside the screen is moved back, not cut", QRect(0, 0, 1024, 768), QRect(3000, -200, 480, 600),
         QRect(544, 32, 480, 600)},
        {"a second screen to the right keeps its own offset", QRect(1920, 0, 1280, 1024), QRect(), QRect(2320, 128, 480, 800)},
        {"a screen smaller than the minimum: all the room, no more", QRect(0, 0, 300, 400), QRect(), QRect(0, 32, 300, 368)},
        {"a stored place smaller than the minimum grows to it", QRect(0, 0, 1024, 768), QRect(10, 40, 100, 100),
         QRect(10, 40, 320, 480)},
    };
    for (const Case& c : cases) {
        const QRect placed = WindowPlacement(c.available, c.stored, kTitleBar);
        EXPECT_EQ(placed, c.expected) << c.what;
        EXPECT_TRUE(c.available.marginsRemoved(kTitleBar).contains(placed)) << c.what;
    }
}

// The window opens inside the screen's room, and the place it was closed at comes back at the
// next start, written under keys that older versions skip.
TEST(WindowPlacement, TheWindowReopensWhereItWasClosed)
{
    TempDocs docs;
    docs.InstallTemplateDatabase();
    {
        TFMain w(docs.path(), Edition::Dutch);
        w.PlaceOnScreen();
        const QRect room = QGuiApplication::primaryScreen()->availableGeometry().marginsRemoved(kTitleBar);
        EXPECT_TRUE(room.contains(w.geometry())) << room.height() << " " << w.height();
        w.show();
        w.setGeometry(40, 60, 420, 500);
        w.close();
    }
    const QString ini = QString::fromUtf8(docs.ReadFile("kvrn.ini"));
    EXPECT_TRUE(ini.contains("[VENSTER]")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("breedte=420")) << ini.toStdString();
    TFMain again(docs.path(), Edition::Dutch);
    again.PlaceOnScreen();
    EXPECT_EQ(again.geometry(), QRect(40, 60, 420, 500));
}

// Each key presses the button of the page it belongs to. The key goes to the page, as an
// unhandled key of any control on it would, and comes up to the window.
TEST(PageKeys, EachKeyPressesItsPagesButton)
{
    Window win;
    struct Case {
        const char* page;
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* button;
    };
    const Case cases[] = {
        {"TabItemMain", Qt::Key_N, Qt::ControlModifier, "SBNew"},
        {"TabItemConfig", Qt::Key_Escape, Qt::NoModifier, "SBConfigTerug"},
        {"TabItemConfig", Qt::Key_Return, Qt::NoModifier, "SBConfigOK"},
        {"TabItemPro", Qt::Key_Enter, Qt::KeypadModifier, "SBProOK"},
        {"TabItemOverzicht", Qt::Key_F5, Qt::NoModifier, "SBDownloadKV"},
        {"TabItemOverzicht", Qt::Key_Delete, Qt::NoModifier, "SBDeleteBon"},
        {"TabItemDBOpdrachtgevers", Qt::Key_F5, Qt::NoModifier, "SBDownloadOG"},
        {"TabItemDBOpdrachtgevers", Qt::Key_Delete, Qt::NoModifier, "SBDeleteOpdrachtgeverDB"},
        {"TabItemDBOnderdelen", Qt::Key_Escape, Qt::NoModifier, "SBDBOnderdeelTerug"},
    };
    for (const Case& c : cases) {
        win.w.ShowPage(QString::fromLatin1(c.page));
        QWidget* page = win.w.TabControl1()->currentWidget();
        ASSERT_EQ(page->objectName(), c.page);
        auto* button = page->findChild<QAbstractButton*>(QString::fromLatin1(c.button));
        ASSERT_NE(button, nullptr) << c.button;
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        QTest::keyClick(page, Qt::Key(c.key), c.modifiers);
        EXPECT_EQ(clicked.count(), 1) << c.page << " " << c.button;
    }
    // The main page has no back button: Esc leaves it where it is.
    win.w.ShowPage(QStringLiteral("TabItemMain"));
    QTest::keyClick(win.w.TabControl1()->currentWidget(), Qt::Key_Escape);
    EXPECT_EQ(win.w.CurrentPageName(), "TabItemMain");
}

TEST(PageKeys, ControlsKeepTheKeysTheyUse)
{
    Window win;
    // Enter in a multi-line text is a line break, not OK.
    win.w.ShowPage(QStringLiteral("TabItemConfig"));
    auto* memo = win.w.findChild<QPlainTextEdit*>(QStringLiteral("MemoMail"));
    auto* ok = win.w.findChild<QAbstractButton*>(QStringLiteral("SBConfigOK"));
    ASSERT_TRUE(memo && ok);
    QSignalSpy okClicked(ok, &QAbstractButton::clicked);
    memo->setPlainText(QStringLiteral("a"));
    memo->moveCursor(QTextCursor::End);
    QTest::keyClick(memo, Qt::Key_Return);
    EXPECT_EQ(okClicked.count(), 0);
    EXPECT_EQ(memo->toPlainText(), "a\n");

    // Delete in the list's search field deletes a character, not the record.
    win.w.ShowPage(QStringLiteral("TabItemDBOpdrachtgevers"));
    QWidget* list = win.w.TabControl1()->currentWidget();
    auto* del = list->findChild<QAbstractButton*>(QStringLiteral("SBDeleteOpdrachtgeverDB"));
    auto* search = list->findChild<QLineEdit*>();
    ASSERT_TRUE(del && search);
    QSignalSpy delClicked(del, &QAbstractButton::clicked);
    search->setText(QStringLiteral("ab"));
    search->setCursorPosition(0);
    QTest::keyClick(search, Qt::Key_Delete);
    EXPECT_EQ(delClicked.count(), 0);
    EXPECT_EQ(search->text(), "b");

    // An open term editor takes Esc before the page beneath it.
    win.w.ShowPage(QStringLiteral("TabItemConfig"));
    auto* back = win.w.findChild<QAbstractButton*>(QStringLiteral("SBConfigTerug"));
    QSignalSpy backClicked(back, &QAbstractButton::clicked);
    win.w.OpenTermEditor(QStringLiteral("ListBoxItemOpdrachtgever"));
    TermEditor* popup = win.w.PopupJargon();
    ASSERT_TRUE(popup->isVisible());
    QTest::keyClick(popup->EditJargon(), Qt::Key_Escape);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(backClicked.count(), 0);
    EXPECT_EQ(win.w.CurrentPageName(), "TabItemConfig");
}

TEST(PageKeys, TabReachesTheBarsButtonsAndAClickTakesNoFocus)
{
    Window win;
    win.w.ShowPage(QStringLiteral("TabItemConfig"));
    auto* ok = win.w.findChild<QAbstractButton*>(QStringLiteral("SBConfigOK"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->focusPolicy(), Qt::TabFocus);
    auto* item = win.w.ListBoxMain()->item(QStringLiteral("ListBoxItemAlgemeen"));
    EXPECT_EQ(item->focusPolicy(), Qt::TabFocus);
}

// Every text a page shows in the English edition is English: no Dutch source text that the
// language table translates is left on any page, the badges and popup included.
TEST(Captions, EveryPageOfTheEnglishEditionIsInEnglish)
{
    Window win(Edition::English);
    win.w.BuildAllPages();
    const KVGlobal& g = win.w.global();
    QStringList untranslated;
    auto check = [&](QWidget* layer, const QString& where) {
        const auto widgets = layer->findChildren<QWidget*>();
        for (QWidget* w : widgets) {
            if (!w->isVisibleTo(layer))
                continue;
            QStringList texts;
            if (auto* label = qobject_cast<QLabel*>(w))
                texts << label->text();
            if (auto* button = qobject_cast<QAbstractButton*>(w))
                texts << button->text();
            if (auto* edit = qobject_cast<QLineEdit*>(w))
                texts << edit->placeholderText();
            if (auto* box = qobject_cast<QGroupBox*>(w))
                texts << box->title();
            if (auto* tabs = qobject_cast<QTabBar*>(w))
                for (int k = 0; k < tabs->count(); ++k)
                    texts << tabs->tabText(k);
            for (const QString& t : std::as_const(texts)) {
                const QString plain = t.trimmed();
                if (!plain.isEmpty() && g.Translate(plain) != plain)
                    untranslated << where + QLatin1Char('/') + w->objectName() + QStringLiteral(": ") + plain;
            }
        }
    };
    const QStackedWidget* stack = win.w.TabControl1();
    for (int k = 0; k < stack->count(); ++k) {
        win.w.ShowPage(stack->widget(k)->objectName());
        check(stack->widget(k), stack->widget(k)->objectName());
    }
    win.w.OpenTermEditor(QStringLiteral("ListBoxItemOpdrachtgever"));
    check(win.w.PopupJargon(), QStringLiteral("PopupJargon"));
    EXPECT_TRUE(untranslated.isEmpty()) << untranslated.join(QLatin1Char('\n')).toStdString();
}
