#include "TestSupport.h"
#include "app/ConfigForm.h"
#include "app/KVApplication.h"
#include "app/KVWidgets.h"
#include "app/SettingsPages.h"
#include "app/TFMain.h"
#include "document/KVGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
// Errors that reach the event loop, as the application shows them.
QStringList& shownErrors()
{
    static QStringList errors;
    return errors;
}

struct Window {
    explicit Window(Edition e = Edition::Dutch, const QByteArray& ini = {}) : docs(makeDocs(ini)),
        w(docs.path(), e, [this](KVGlobal& g) { rec.Attach(g); })
    {
        shownErrors().clear();
        w.show();
    }
    static TempDocs makeDocs(const QByteArray& ini)
    {
        TempDocs d;
        d.InstallTemplateDatabase();
        if (!ini.isEmpty())
            d.WriteFile("kvrn.ini", ini);
        return d;
    }
    template <class T = QWidget> T* find(const char* name) const
    {
        T* found = w.findChild<T*>(QLatin1String(name));
        EXPECT_TRUE(found) << name;
        return found;
    }
    void click(const char* name) const { QTest::mouseClick(find(name), Qt::LeftButton); }
    void clickTimes(const char* name, int n) const
    {
        for (int i = 0; i < n; ++i)
            click(name);
    }
    double number(const char* name) const { return find<QDoubleSpinBox>(name)->value(); }
    void type(const char* name, const QString& text) const
    {
        auto* box = find<QWidget>(name);
        if (auto* e = qobject_cast<QLineEdit*>(box)) {
            e->clear();
        } else if (auto* s = qobject_cast<QAbstractSpinBox*>(box)) {
            s->selectAll();
        }
        QTest::keyClicks(box, text);
    }
    KVGlobal& g() { return w.global(); }

    TempDocs docs;
    SeamRecorder rec;
    TFMain w;
};

QString imageFile(const TempDocs& docs, const QString& name, QSize size, QColor colour)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    img.save(docs.file(name));
    return docs.file(name);
}
} // namespace

// ---- settings page ----

TEST(ConfigPage, ScaleStepsPreviewTheWholeInterfaceAndTerugUndoesThem)
{
    Window win;
    win.click("SBConfig");
    EXPECT_EQ(win.w.CurrentPageName(), "TabItemConfig");
    EXPECT_DOUBLE_EQ(win.number("NumberBoxSchaal"), 1.0);
    win.clickTimes("ButtonPlusSchaal", 5);
    EXPECT_DOUBLE_EQ(win.number("NumberBoxSchaal"), 1.5);
    EXPECT_EQ(win.w.styleSheet(), KVStyleSheet(1.5));
    EXPECT_TRUE(win.find<QDoubleSpinBox>("NumberBoxSchaal")->isReadOnly());

    win.click("SBConfigTerug");
    EXPECT_EQ(win.w.CurrentPageName(), "TabItemMain");
    EXPECT_EQ(win.w.styleSheet(), KVStyleSheet(1.0));
    EXPECT_FLOAT_EQ(win.g().settings.inst.schaal, 1.0f);

    // Reopened, the box shows the stored scale again; this time OK keeps 1.5.
    win.click("SBConfig");
    EXPECT_DOUBLE_EQ(win.number("NumberBoxSchaal"), 1.0);
    win.clickTimes("ButtonPlusSchaal", 5);
    win.click("SBConfigOK");
    EXPECT_EQ(win.w.CurrentPageName(), "TabItemMain");
    EXPECT_FLOAT_EQ(win.g().settings.inst.schaal, 1.5f);
    EXPECT_EQ(win.w.styleSheet(), KVStyleSheet(1.5));
    EXPECT_TRUE(QString::fromUtf8(win.docs.ReadFile("kvrn.ini")).contains("schaal=1,5"));
}

TEST(ConfigPage, MaximaStayWithinTheCurrentTicketAndKeepTheirSum)
{
    Window win(Edition::Dutch, "[INST]\nmaxgebruikt=9\nmaxnodig=4\n");
    win.g().bon.bonnr = "1-20200001";
    win.g().bon.numodd = 5;
    win.g().bon.numnodig = 2;
    win.click("SBConfig");
    win.clickTimes("ButtonMinMaxGebruikt", 6);
    EXPECT_EQ(win.number("NumberBoxMaxGebruikt"), 5);
    win.clickTimes("ButtonPlusMaxGebruikt", 8);
    EXPECT_EQ(win.number("NumberBoxMaxGebruikt"), 11);
    EXPECT_EQ(win.number("NumberBoxMaxNodig"), 2); // pushed down by the coupling, not below its minimum
    win.clickTimes("ButtonPlusMaxNodig", 8);
    EXPECT_EQ(win.number("NumberBoxMaxNodig"), 8);
    EXPECT_EQ(win.number("NumberBoxMaxGebruikt"), 5);
    win.clickTimes("ButtonMinMaxNodig", 8);
    EXPECT_EQ(win.number("NumberBoxMaxNodig"), 2);

    // No current ticket: the full range, and 13 used lines leave no needed ones.
    win.click("SBConfigTerug");
    win.g().bon = TBon();
    win.click("SBConfig");
    win.type("NumberBoxMaxNodig", "2");
    QTest::keyClick(win.find("NumberBoxMaxNodig"), Qt::Key_Return);
    win.type("NumberBoxMaxGebruikt", "13"); // typed, not committed: OK takes it over
    win.click("SBConfigOK");
    EXPECT_EQ(win.g().MaxUsedRows(), 13);
    EXPECT_EQ(win.g().MaxNeededRows(), 0);
    EXPECT_FALSE(win.w.ListBoxMain()->item("ListBoxItemBenodigd")->isVisibleTo(&win.w));
    EXPECT_TRUE(win.w.ListBoxMain()->item("ListBoxItemGebruikt")->isVisibleTo(&win.w));
}

TEST(ConfigPage, StepsAndOKTakeTheNumberAsTyped)
{
    Window win;
    win.click("SBConfig");
    win.type("NumberBoxBonnr", "42");
    win.click("ButtonPlusBonnr");
    EXPECT_EQ(win.number("NumberBoxBonnr"), 43);
    win.type("NumberBoxPrijsWerk", "45,50"); // Dutch locale: comma decimals
    win.type("NumberBoxPort", "587");
    win.type("NumberBoxUnitnr", "3");
    win.click("SBConfigOK");
    EXPECT_EQ(win.g().settings.inst.bon, 43);
    EXPECT_DOUBLE_EQ(win.g().settings.inst.werk, 45.5);
    EXPECT_EQ(win.g().settings.mail.port, 587);
    EXPECT_EQ(win.g().OwnUnit(), 3);
    EXPECT_EQ(win.w.findChild<QWidget*>("ButtonPlusPort"), nullptr); // the port box has no stepper
}

TEST(ConfigPage, ChoosingALanguageRelabelsTheInterface)
{
    Window win;
    KVListItem* general = win.w.ListBoxMain()->item("ListBoxItemAlgemeen");
    auto* lang = win.find<QComboBox>("ComboBoxLang");
    struct Case { const char* code; const char* caption; };
    for (const Case& c : {Case{"en", "General"}, Case{"nl", "Algemeen"}}) {
        win.click("SBConfig");
        lang->setCurrentText(c.code);
        win.click("SBConfigOK");
        EXPECT_EQ(general->caption(), c.caption) << c.code;
    }
    EXPECT_EQ(win.g().settings.branche.taal, 4);
}

TEST(ConfigPage, TheMemoIsTheInMemoryMailText)
{
    Window win(Edition::Dutch, "[mailtekst]\ncount=1\nregel0=Beste klant,\n");
    win.click("SBConfig");
    auto* memo = win.find<QPlainTextEdit>("MemoMail");
    EXPECT_EQ(memo->toPlainText(), "Beste klant,");
    memo->setPlainText(QString::fromUtf8("Geachte heer,\nMet vriendelijke groet €"));
    win.click("SBConfigTerug");
    EXPECT_EQ(win.g().settings.mailtekst, QStringList({"Geachte heer,", QString::fromUtf8("Met vriendelijke groet €")}));
    win.w.close();
    EXPECT_TRUE(QString::fromUtf8(win.docs.ReadFile("kvrn.ini")).contains(QString::fromUtf8("regel1=Met vriendelijke groet €")));
}

// ---- company page ----

TEST(ProPage, LogoFileDialogStartsInTheDocumentsFolderAndRefusesNonImages)
{
    Window win;
    KVApplication::SetErrorDisplay([](const QString& t) { shownErrors() << t; });
    ProPage* pro = win.w.Pro();
    QString startFolder, answer;
    pro->ChooseLogoFile = [&](const QString& folder) { startFolder = folder; return answer; };
    win.click("SBPro");
    const QImage builtIn = win.g().logo;

    // Cancelled: nothing changes.
    win.click("ListBoxItemLogo");
    EXPECT_EQ(startFolder, win.docs.path());
    EXPECT_EQ(win.g().logo, builtIn);

    // Not a picture: a clear message, the old logo stays.
    win.docs.WriteFile("offerte.jpg", "%PDF-1.4 not a picture");
    answer = win.docs.file("offerte.jpg");
    win.click("ListBoxItemLogo");
    ASSERT_EQ(shownErrors().size(), 1);
    EXPECT_TRUE(shownErrors().first().startsWith("Dit bestand is geen afbeelding: offerte.jpg"));
    EXPECT_EQ(win.g().logo, builtIn);
    EXPECT_EQ(win.w.CurrentPageName(), "TabItemPro");

    // A picture: shown on the page and in the image list at once, also when left with Terug.
    answer = imageFile(win.docs, "logo-firma.png", {120, 40}, Qt::darkGreen);
    QTest::mouseDClick(win.find("ImageLogopro"), Qt::LeftButton);
    EXPECT_EQ(win.g().logo.size(), QSize(120, 40));
    EXPECT_EQ(win.g().sheet.images.Find("logo").size(), QSize(120, 40));
    EXPECT_FALSE(win.find<QLabel>("ImageLogopro")->pixmap().isNull());
    win.click("SBProTerug");
    EXPECT_FALSE(QFile::exists(win.docs.file("logokvpro.jpg")));
    EXPECT_TRUE(win.g().settings.pro.logo.isEmpty());
    KVApplication::SetErrorDisplay({});
}

TEST(ProPage, SynchronisatieRowTestsTheConnectionWithThePageAccount)
{
    Window win;
    QString user;
    int tests = 0;
    win.g().cloud.connectionTest = [&] { ++tests; user = win.g().settings.cloud.user; };
    win.click("SBPro");
    win.type("EditGebruiker", "qurimsa_acme");
    win.type("Editwachtwoord", "pw");
    win.click("ListBoxItem47");
    EXPECT_EQ(tests, 1);
    EXPECT_EQ(user, "acme");
    EXPECT_FALSE(win.g().CloudSyncEnabled);
    EXPECT_EQ(win.w.CurrentPageName(), "TabItemPro");
}

// ---- About page ----

TEST(AboutPage, TextsAreRewrittenOnEachOpeningForEitherEdition)
{
    struct Case { Edition edition; const char *info, *site; };
    for (const Case& c : {Case{Edition::Dutch, "KolVarnPro 3.12", "Bezoek de site"},
                          Case{Edition::English, "TralVenorPdfPro 3.12", "Visit the site"}}) {
        Window win(c.edition, "[BRANCHE]\ntaal=0\n"); // German chosen: the page keeps the edition's texts
        const AboutTexts t = AboutTextsFor(win.g());
        for (int i = 0; i < 2; ++i) {
            win.click("SBAbout");
            EXPECT_EQ(win.w.CurrentPageName(), "TabItemAbout");
            EXPECT_EQ(win.find<QLabel>("MemoBeg")->text(), t.memoBeg.join('\n'));
            EXPECT_EQ(win.find<QLabel>("MemoInfo")->text().split('\n').first(), c.info);
            EXPECT_EQ(win.find<KVListItem>("ListBoxItemSite")->caption(), c.site);
            win.click("SBAboutOK");
            EXPECT_EQ(win.w.CurrentPageName(), "TabItemMain");
        }
    }
}

TEST(AboutPage, SiteOpensInTheBrowserReviewAndFacebookAreNotSupported)
{
    Window win(Edition::English);
    KVApplication::SetErrorDisplay([](const QString& t) { shownErrors() << t; });
    win.click("SBAbout");
    win.click("ListBoxItemSite");
    EXPECT_EQ(win.rec.openedUrls, QList<QUrl>({QUrl(EditionInfo::SiteUrl(Edition::English))}));
    win.click("ListBoxItemReview");
    win.click("ListBoxItemFacebook");
    EXPECT_EQ(shownErrors(), QStringList({"Not supported!", "Not supported!"}));
    EXPECT_EQ(win.rec.openedUrls.size(), 1);
    EXPECT_EQ(win.w.CurrentPageName(), "TabItemAbout");
    KVApplication::SetErrorDisplay({});
}

// ---- a new user's whole configuration, kept over a restart ----

TEST(SettingsPages, EverythingConfiguredIsKeptAfterARestartAndOnTheDocument)
{
    TempDocs docs;
    docs.InstallTemplateDatabase();
    const QString logoFile = imageFile(docs, "mijnlogo.png", {200, 50}, QColor(0x22, 0x88, 0xCC));
    {
        SeamRecorder rec;
        TFMain w(docs.path(), Edition::Dutch, [&](KVGlobal& g) { rec.Attach(g); });
        w.show();
        auto edit = [&](const char* name, const QString& text) {
            auto* e = w.findChild<QLineEdit*>(name);
            ASSERT_TRUE(e) << name;
            e->setText(text);
        };
        auto box = [&](const char* name, double v) { w.findChild<QDoubleSpinBox*>(name)->setValue(v); };
        QTest::mouseClick(w.findChild<QWidget*>("SBConfig"), Qt::LeftButton);
        box("NumberBoxUnitnr", 4);
        edit("EditMonteur", QString::fromUtf8("Jürgen Bakker"));
        box("NumberBoxMaxGebruikt", 10);
        box("NumberBoxMaxNodig", 3);
        edit("Editemail", "kantoor@firma.nl");
        w.findChild<QCheckBox*>("CheckBoxStdApp")->setChecked(false);
        edit("EditSMTP", "127.0.0.1");
        w.findChild<QCheckBox*>("CheckBoxStartTLS")->setChecked(true);
        box("NumberBoxPrijsWerk", 52.5);
        box("NumberBoxBTW", 9);
        w.findChild<QRadioButton*>("RadioInc")->setChecked(true);
        w.findChild<QComboBox*>("ComboBoxLang")->setCurrentText("en");
        edit("EditValuta", "$");
        edit("EditAfstand", "mile");
        QTest::mouseClick(w.findChild<QWidget*>("SBConfigOK"), Qt::LeftButton);

        w.Pro()->ChooseLogoFile = [&](const QString&) { return logoFile; };
        QTest::mouseClick(w.findChild<QWidget*>("SBPro"), Qt::LeftButton);
        QTest::mouseClick(w.findChild<QWidget*>("ListBoxItemLogo"), Qt::LeftButton);
        edit("EditBedrijf", QString::fromUtf8("Bakker Installatietechniek"));
        edit("EditFooter1", "Algemene voorwaarden op aanvraag");
        edit("EditFooter2", "IBAN NL00 BANK 0123 4567 89");
        edit("EditFooter3", QString::fromUtf8("Bedragen in €"));
        w.findChild<QCheckBox*>("CheckBoxTLS")->setChecked(true);
        edit("EditCA", "firma-ca.pem");
        QTest::mouseClick(w.findChild<QWidget*>("SBProOK"), Qt::LeftButton);
        EXPECT_EQ(w.CurrentPageName(), "TabItemMain");
        w.close();
    }

    SeamRecorder rec;
    TFMain w(docs.path(), Edition::Dutch, [&](KVGlobal& g) { rec.Attach(g); });
    w.show();
    KVGlobal& g = w.global();
    EXPECT_EQ(g.OwnUnit(), 4);
    EXPECT_EQ(g.settings.inst.monteur, QString::fromUtf8("Jürgen Bakker"));
    EXPECT_EQ(g.MaxUsedRows(), 10);
    EXPECT_EQ(g.MaxNeededRows(), 3);
    EXPECT_FALSE(g.settings.mail.std);
    EXPECT_TRUE(g.settings.mail.tlsRequired);
    EXPECT_TRUE(g.settings.cloud.tlsRequired);
    EXPECT_EQ(g.settings.cloud.ca, "firma-ca.pem");
    EXPECT_DOUBLE_EQ(g.bon.uurprijswerk, 52.5);
    EXPECT_TRUE(g.bon.prijsinc);
    EXPECT_EQ(g.settings.branche.taal, 1);
    EXPECT_EQ(w.ListBoxMain()->item("ListBoxItemAlgemeen")->caption(), "General");
    EXPECT_EQ(g.jargon.Caption("ListBoxItemAfstandPrijs"), "Price per mile");
    EXPECT_EQ(g.settings.pro.bedrijf, "Bakker Installatietechniek");
    EXPECT_TRUE(w.ListBoxMain()->item("ListBoxItemBenodigd")->isVisibleTo(&w));

    // The document: the chosen logo in its corner, the footers below, the rows for 10 + 3 lines.
    EXPECT_EQ(g.logo.size(), QSize(200, 50));
    EXPECT_EQ(g.sheet.images.Find("logo").size(), QSize(200, 50));
    EXPECT_EQ(g.sheet.Cell(0, 0).imageName, "logo");
    FillDocument(g);
    EXPECT_EQ(g.sheet.Text(0, g.rowPlan.FooterRow), "Algemene voorwaarden op aanvraag");
    EXPECT_EQ(g.sheet.Text(0, g.rowPlan.FooterRow + 2), QString::fromUtf8("Bedragen in €"));
    EXPECT_EQ(g.rowPlan.RemarksRow, g.rowPlan.NeededPartsRow + 3 + 2);

    // The pages show it all again.
    QTest::mouseClick(w.findChild<QWidget*>("SBPro"), Qt::LeftButton);
    EXPECT_EQ(w.findChild<QLineEdit*>("EditFooter2")->text(), "IBAN NL00 BANK 0123 4567 89");
    EXPECT_TRUE(w.findChild<QCheckBox*>("CheckBoxTLS")->isChecked());
    EXPECT_EQ(w.findChild<QLineEdit*>("EditCA")->text(), "firma-ca.pem");
    EXPECT_EQ(w.findChild<KVListItem*>("ListBoxItemCloudTLS")->caption(), "TLS required");
    QTest::mouseClick(w.findChild<QWidget*>("SBProTerug"), Qt::LeftButton);
    QTest::mouseClick(w.findChild<QWidget*>("SBConfig"), Qt::LeftButton);
    EXPECT_EQ(w.findChild<QComboBox*>("ComboBoxLang")->currentText(), "en");
    EXPECT_EQ(w.findChild<QLineEdit*>("Editemail")->text(), "kantoor@firma.nl");
    EXPECT_TRUE(w.findChild<QCheckBox*>("CheckBoxStartTLS")->isChecked());
    EXPECT_DOUBLE_EQ(w.findChild<QDoubleSpinBox*>("NumberBoxBTW")->value(), 9);
}

// ---- screenshots (only when KV_SCREENSHOT_DIR names a folder) ----

TEST(SettingsPages, Screenshots)
{
    const QString dir = qEnvironmentVariable("KV_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "set KV_SCREENSHOT_DIR to write the screenshots";
    QDir().mkpath(dir);
    Window win(Edition::Dutch,
               "[INST]\nschaal=1\nunit=2\nmonteur=Jan de Vries\nemail=kantoor@bakker-installatie.nl\nbon=20240117\n"
               "werk=52,5\nover=65\nreis=40\nkm=0,35\nbtw=21\nmaxgebruikt=10\nmaxnodig=3\n"
               "[MAIL]\nport=587\nsmtp=mail.bakker-installatie.nl\nuser=jan\nww=geheim\nreply=jan@bakker-installatie.nl\nstd=0\n"
               "[mailtekst]\ncount=3\nregel0=Beste klant,\nregel1=In de bijlage vindt u de werkbon.\nregel2=Met vriendelijke groet,\n"
               "[PRO]\nbedrijf=Bakker Installatietechniek\n[CLOUD]\nUser=bakker\nWW=geheim\n");
    win.w.resize(480, 800);
    auto shot = [&](const char* file) {
        QTest::qWait(50);
        EXPECT_TRUE(win.w.grab().save(dir + QLatin1Char('/') + QLatin1String(file))) << file;
    };
    win.click("SBConfig");
    auto* tabs = win.find<QTabWidget>("TabControlConfig");
    const char* files[] = {"config-algemeen.png", "config-email.png", "config-financieel.png", "config-taal.png"};
    for (int i = 0; i < 4; ++i) {
        tabs->setCurrentIndex(i);
        shot(files[i]);
    }
    win.click("SBConfigTerug");
    win.click("SBPro");
    shot("pro.png");
    win.click("SBProTerug");
    win.click("SBAbout");
    shot("about.png");
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
    KVApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
