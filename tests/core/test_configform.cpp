#include "app/ConfigForm.h"
#include "app/IniFile.h"
#include "app/KVError.h"
#include "app/KVOpenUrl.h"
#include "app/SettingsStore.h"
#include "document/KVGrid.h"

#include "TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QMap>
#include <gtest/gtest.h>

namespace {
// section (lower case) -> key (lower case) -> value, as the file holds them.
using IniMap = QMap<QString, QMap<QString, QString>>;

IniMap parseIni(const QByteArray& text)
{
    IniMap map;
    QString section;
    for (QString line : QString::fromUtf8(text).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')))
            section = line.mid(1, line.size() - 2).toLower();
        else if (const qsizetype eq = line.indexOf(QLatin1Char('=')); eq > 0)
            map[section][line.left(eq).toLower()] = line.mid(eq + 1);
    }
    return map;
}

// The keys whose value differs between two files, or that only one of them has.
QStringList changedKeys(const IniMap& before, const IniMap& after)
{
    QStringList changed;
    QStringList sections = before.keys() + after.keys();
    sections.removeDuplicates();
    for (const QString& s : sections) {
        QStringList keys = before.value(s).keys() + after.value(s).keys();
        keys.removeDuplicates();
        for (const QString& k : keys)
            if (before.value(s).value(k, QStringLiteral("<none>")) != after.value(s).value(k, QStringLiteral("<none>")))
                changed << s + QLatin1Char('/') + k;
    }
    changed.sort();
    return changed;
}

// A file with a value in every section; each value differs from what the tests write, so the
// keys that changed are the keys that were written.
const QByteArray kFullFile =
    "[INST]\nschaal=2\nunit=7\nmonteur=Old\nemail=old@x\nbon=5\nwerk=1\nover=1\nreis=1\nkm=1\nbtw=1\nauto=0\n"
    "prijsinc=1\nmaxgebruikt=3\nmaxnodig=3\ncorrectie=1\n"
    "[MAIL]\nport=1\nsmtp=old\nuser=old\nww=old\nreply=old\nstd=0\nstarttls=0\n"
    "[mailtekst]\ncount=1\nregel0=old\n"
    "[BRANCHE]\ntaal=0\nvaluta=$\nafstand=mi\n"
    "[PRO]\nlogo=\nbedrijf=Old BV\nfooter1=f1\nfooter2=f2\nfooter3=f3\n"
    "[CLOUD]\nUser=olduser\nWW=oldpw\nServer=old.host\nTLS=0\nCA=old.pem\n"
    "[SYNC]\nDEV0=Kantoor\nACT0=1\nDEV1=Bus\nACT1=1\n"
    "[Other]\nkeep=me\n";

QStringList keysOf(const char* section, std::initializer_list<const char*> keys)
{
    QStringList out;
    for (const char* k : keys)
        out << QLatin1String(section) + QLatin1Char('/') + QLatin1String(k);
    return out;
}

void buildDocument(KVGlobal& g)
{
    PlanDocumentRows(g);
    BuildDocument(g);
}

QImage solid(int w, int h, QColor c)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(c);
    return img;
}
} // namespace

// ---- ranges, coupling, steps, rounding ----

TEST(ConfigForm, MaximaRangesFollowTheCurrentTicket)
{
    struct Case { int numodd, numnodig; NumberRange used, needed; };
    const Case cases[] = {
        {0, 0, {0, 13}, {0, 13}},
        {5, 2, {5, 11}, {2, 8}},
        {13, 0, {13, 13}, {0, 0}},
    };
    TestApp app;
    for (const Case& c : cases) {
        app.g->bon.numodd = c.numodd;
        app.g->bon.numnodig = c.numnodig;
        const NumberRange used = ConfigForm::MaxUsedRange(*app.g), needed = ConfigForm::MaxNeededRange(*app.g);
        EXPECT_EQ(used.min, c.used.min) << c.numodd << "/" << c.numnodig;
        EXPECT_EQ(used.max, c.used.max) << c.numodd << "/" << c.numnodig;
        EXPECT_EQ(needed.min, c.needed.min) << c.numodd << "/" << c.numnodig;
        EXPECT_EQ(needed.max, c.needed.max) << c.numodd << "/" << c.numnodig;
    }
}

TEST(ConfigForm, MaximaKeepTheirSumAtMostThirteen)
{
    struct Case { bool usedChanged; double used, needed, wantUsed, wantNeeded; };
    const Case cases[] = {
        {true, 13, 2, 13, 0},  // raising the used lines takes them from the needed ones
        {true, 9, 4, 9, 4},    // exactly 13: nothing moves
        {false, 5, 10, 3, 10}, // raising the needed lines takes them from the used ones
        {false, 2, 3, 2, 3},
    };
    for (const Case& c : cases) {
        ConfigValues v;
        v.maxgebruikt = c.used;
        v.maxnodig = c.needed;
        c.usedChanged ? ConfigForm::MaxUsedChanged(v) : ConfigForm::MaxNeededChanged(v);
        EXPECT_EQ(v.maxgebruikt, c.wantUsed);
        EXPECT_EQ(v.maxnodig, c.wantNeeded);
    }
}

TEST(ConfigForm, StepsCountFromTheTypedValueAndStopAtTheBounds)
{
    double scale = 1.0;
    for (int i = 0; i < 5; ++i)
        scale = ConfigForm::Step(scale, 0.1, {0, 1000});
    EXPECT_DOUBLE_EQ(scale, 1.5);
    for (int i = 0; i < 10; ++i)
        scale = ConfigForm::Step(scale, -0.1, {0, 1000});
    EXPECT_DOUBLE_EQ(scale, 0.5);
    EXPECT_DOUBLE_EQ(ConfigForm::Step(0.05, -0.1, {0, 1000}), 0);
    EXPECT_DOUBLE_EQ(ConfigForm::Step(42, 1, {0, 100000000}), 43);
    EXPECT_DOUBLE_EQ(ConfigForm::Step(11, 1, {5, 11}), 11);
    EXPECT_DOUBLE_EQ(ConfigForm::Step(5, -1, {5, 11}), 5);
    EXPECT_DOUBLE_EQ(ConfigForm::Step(12.75, 1, {0, 100000}), 13.75);
}

TEST(ConfigForm, RoundsHalvesToTheEvenNeighbour)
{
    const std::pair<double, int> cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {2.49, 2}, {2.51, 3}, {20200001.0, 20200001}};
    for (auto [in, out] : cases)
        EXPECT_EQ(ConfigForm::RoundHalfEven(in), out) << in;
}

TEST(ConfigForm, MailTextLinesOfTheMemo)
{
    EXPECT_EQ(ConfigForm::MailTextLines(QString()), QStringList());
    EXPECT_EQ(ConfigForm::MailTextLines("Beste klant,\n\nZie bijlage."), QStringList({"Beste klant,", "", "Zie bijlage."}));
    EXPECT_EQ(ConfigForm::MailTextLines("Groet\n"), QStringList({"Groet"}));
}

// ---- confirm the settings page ----

TEST(ConfigForm, ConfirmWritesExactlyTheMainAndRegionalKeys)
{
    TestApp app;
    app.docs.WriteFile("kvrn.ini", kFullFile);
    KVGlobal& g = *app.g;
    ReadSettings(g);
    buildDocument(g);
    const IniMap before = parseIni(app.docs.ReadFile("kvrn.ini"));

    ConfigValues v = ConfigForm::Open(g);
    v.schaal = 1.5;
    v.unit = 2.5; // halves to even: 2
    v.monteur = QString::fromUtf8("Jürgen");
    v.email = "kantoor@firma.nl";
    v.bon = 20210001;
    v.correctie = false;
    v.werk = 45.5;
    v.over = 60;
    v.reis = 30;
    v.km = 0.25;
    v.btw = 9;
    v.autoComp = true;
    v.prijsinc = false;
    v.maxgebruikt = 8;
    v.maxnodig = 5;
    v.taal = 1;
    v.valuta = QString::fromUtf8("€");
    v.afstand = "Km";
    v.port = 587;
    v.smtp = "smtp.firma.nl";
    v.user = "u";
    v.ww = "p";
    v.reply = "r@firma.nl";
    v.std = true;
    v.mailTlsRequired = true;
    g.settings.mailtekst = QStringList{"Hallo", QString::fromUtf8("Groet, €")};
    EXPECT_TRUE(ConfigForm::Confirm(g, v));

    const IniMap after = parseIni(app.docs.ReadFile("kvrn.ini"));
    QStringList want = keysOf("inst", {"schaal", "unit", "monteur", "email", "bon", "werk", "over", "reis", "km", "btw",
                                       "auto", "prijsinc", "maxgebruikt", "maxnodig", "correctie"})
                       + keysOf("mail", {"port", "smtp", "user", "ww", "reply", "std", "starttls"})
                       + keysOf("mailtekst", {"count", "regel0", "regel1"}) + keysOf("branche", {"taal", "valuta", "afstand"});
    want.sort();
    EXPECT_EQ(changedKeys(before, after), want);
    EXPECT_EQ(after["inst"]["schaal"], "1,5");
    EXPECT_EQ(after["inst"]["unit"], "2");
    EXPECT_EQ(after["inst"]["werk"], "45,5");
    EXPECT_EQ(after["mail"]["std"], "1");
    EXPECT_EQ(after["mailtekst"]["regel1"], QString::fromUtf8("Groet, €"));
    EXPECT_EQ(g.OwnUnit(), 2);
    EXPECT_EQ(g.MaxUsedRows(), 8);
    EXPECT_EQ(g.MaxNeededRows(), 5);
}

TEST(ConfigForm, ConfirmRebuildsTheDocumentOnlyWhenAMaximumChanged)
{
    TestApp app;
    KVGlobal& g = *app.g;
    ReadSettings(g);
    buildDocument(g);
    const int rows = g.sheet.RowCount();
    // A mark in a cell that no caption owns: a rebuild clears it, a relabel does not.
    g.sheet.SetText(5, 12, "mark");

    // Unchanged maxima, a renamed term: relabelled, not rebuilt.
    g.jargon.SetCaption("ListBoxItemKolvarn", "Werkbon");
    ConfigValues v = ConfigForm::Open(g);
    EXPECT_FALSE(ConfigForm::Confirm(g, v));
    EXPECT_EQ(g.sheet.Text(5, 12), "mark");
    EXPECT_EQ(g.sheet.Text(7, 0), "Werkbon");

    v.maxgebruikt = 10;
    v.maxnodig = 3;
    EXPECT_TRUE(ConfigForm::Confirm(g, v));
    EXPECT_EQ(g.sheet.Text(5, 12), "");
    EXPECT_EQ(g.sheet.RowCount(), rows + 2); // the needed-parts block gained its two heading rows
    EXPECT_EQ(g.rowPlan.RemarksRow, g.rowPlan.NeededPartsRow + 3 + 2);
}

TEST(ConfigForm, ConfirmAppliesTheChosenLanguage)
{
    TestApp app;
    KVGlobal& g = *app.g;
    ReadSettings(g);
    g.jargon.Register("ListBoxItemAlgemeen", "Algemeen");
    struct Case { int index; const char* caption; };
    for (const Case& c : {Case{1, "General"}, Case{4, "Algemeen"}, Case{0, "Allgemein"}, Case{4, "Algemeen"}}) {
        ConfigValues v = ConfigForm::Open(g);
        v.taal = c.index;
        ConfigForm::Confirm(g, v);
        EXPECT_EQ(g.jargon.Caption("ListBoxItemAlgemeen"), c.caption) << c.index;
    }
}

TEST(ConfigForm, RefusedWriteEndsTheConfirmBeforeTheDocument)
{
    TestApp app;
    KVGlobal& g = *app.g;
    ReadSettings(g);
    buildDocument(g);
    g.sheet.SetText(5, 12, "mark");
    ASSERT_TRUE(QDir(app.docs.path()).mkdir("kvrn.ini")); // a folder where the file should be
    ConfigValues v = ConfigForm::Open(g);
    v.maxgebruikt = 6;
    EXPECT_THROW(ConfigForm::Confirm(g, v), KVAbort);
    EXPECT_EQ(app.rec.messages.size(), 1) << "the user is told";
    EXPECT_EQ(g.sheet.Text(5, 12), "mark");
}

// ---- confirm the company page ----

TEST(ProForm, ConfirmWritesExactlyTheCompanyKeysAndTheLogoFile)
{
    TestApp app;
    app.docs.WriteFile("kvrn.ini", kFullFile);
    KVGlobal& g = *app.g;
    int applied = 0;
    g.cloud.applyAccount = [&] { ++applied; };
    ReadSettings(g);
    ReadFootersAndCaptions(g);
    buildDocument(g);
    const IniMap before = parseIni(app.docs.ReadFile("kvrn.ini"));
    ASSERT_FALSE(QFile::exists(app.docs.file("logokvpro.jpg")));

    ProValues v = ProForm::Open(g);
    EXPECT_EQ(v.bedrijf, "Old BV");
    v.bedrijf = QString::fromUtf8("Müller & Zn");
    v.footer1 = "Voorwaarden";
    v.footer2 = "Regel twee";
    v.footer3 = QString::fromUtf8("Prijzen in €");
    v.user = "qurimsa_acme";
    v.ww = "geheim";
    v.server = "db.firma.nl";
    v.tlsRequired = true;
    v.ca = "firma-ca.pem";
    ProForm::Confirm(g, v);

    const IniMap after = parseIni(app.docs.ReadFile("kvrn.ini"));
    QStringList want = keysOf("pro", {"logo", "bedrijf", "footer1", "footer2", "footer3"})
                       + keysOf("cloud", {"user", "ww", "server", "tls", "ca"});
    want.sort();
    EXPECT_EQ(changedKeys(before, after), want);
    EXPECT_EQ(after["pro"]["logo"], "logokvpro.jpg");
    EXPECT_EQ(after["cloud"]["user"], "acme");
    EXPECT_EQ(after["cloud"]["tls"], "1");
    EXPECT_EQ(after["cloud"]["ca"], "firma-ca.pem");
    EXPECT_EQ(applied, 1);
    EXPECT_TRUE(g.CloudSyncEnabled);

    // Without a picked logo the file holds the built-in one, and the document draws it.
    QImageReader reader(app.docs.file("logokvpro.jpg"));
    EXPECT_EQ(reader.format(), "jpeg");
    EXPECT_EQ(reader.read().size(), g.logo.size());
    EXPECT_EQ(g.sheet.Cell(0, 0).imageName, "logo");
}

TEST(ProForm, AnEmptyServerTurnsCloudSyncOff)
{
    struct Case { const char *user, *ww, *server; bool enabled; };
    const Case cases[] = {
        {"acme", "pw", "", false},
        {"", "pw", "db", false},
        {"acme", "", "db", false},
        {"acme", "pw", "db", true},
    };
    TestApp app;
    KVGlobal& g = *app.g;
    ReadSettings(g);
    for (const Case& c : cases) {
        g.CloudSyncEnabled = !c.enabled;
        ProValues v = ProForm::Open(g);
        v.user = c.user;
        v.ww = c.ww;
        v.server = c.server;
        ProForm::Confirm(g, v);
        EXPECT_EQ(g.CloudSyncEnabled, c.enabled) << c.user << "/" << c.ww << "/" << c.server;
    }
}

TEST(ProForm, TransparentPartsOfALogoAreWhiteInTheFile)
{
    TestApp app;
    KVGlobal& g = *app.g;
    ReadSettings(g);
    g.logo = solid(40, 20, Qt::transparent);
    ProForm::Confirm(g, ProForm::Open(g));
    const QImage written(app.docs.file("logokvpro.jpg"));
    ASSERT_FALSE(written.isNull());
    EXPECT_GT(qGray(written.pixel(20, 10)), 245);
}

TEST(ProForm, RefusedLogoWriteSkipsTheAccountAndTheFile)
{
    TestApp app;
    KVGlobal& g = *app.g;
    ReadSettings(g);
    ASSERT_TRUE(QDir(app.docs.path()).mkdir("logokvpro.jpg"));
    ProValues v = ProForm::Open(g);
    v.user = "acme";
    try {
        ProForm::Confirm(g, v);
        ADD_FAILURE() << "no error";
    } catch (const KVError& e) {
        EXPECT_EQ(e.text(), "Unable to write to " + app.docs.file("logokvpro.jpg"));
    }
    EXPECT_EQ(g.settings.cloud.user, "");
    EXPECT_FALSE(QFile::exists(app.docs.file("kvrn.ini")));
}

TEST(ProForm, ConnectionTestTakesThePageAccountIntoMemoryOnly)
{
    TestApp app;
    KVGlobal& g = *app.g;
    ReadSettings(g);
    QString seenUser, seenServer;
    g.cloud.connectionTest = [&] { seenUser = g.settings.cloud.user; seenServer = g.settings.cloud.server; };
    ProValues v = ProForm::Open(g);
    v.user = "qurimsa_acme";
    v.ww = "pw";
    v.server = "db.test";
    v.tlsRequired = true;
    v.ca = "ca.pem";
    ProForm::ConnectionTest(g, v);
    EXPECT_EQ(seenUser, "acme");
    EXPECT_EQ(seenServer, "db.test");
    EXPECT_TRUE(g.settings.cloud.tlsRequired);
    EXPECT_EQ(g.settings.cloud.ca, "ca.pem");
    EXPECT_FALSE(g.CloudSyncEnabled);
    EXPECT_FALSE(QFile::exists(app.docs.file("kvrn.ini")));
}

// ---- logo files ----

TEST(ProForm, ANonImageLogoFileKeepsThePreviousLogo)
{
    TestApp app;
    KVGlobal& g = *app.g;
    buildDocument(g);
    const QImage before = g.logo;
    app.docs.WriteFile("notes.jpg", "this is text, not a picture");
    try {
        ProForm::LoadLogoFile(g, app.docs.file("notes.jpg"));
        ADD_FAILURE() << "no error";
    } catch (const KVError& e) {
        EXPECT_TRUE(e.text().startsWith("Dit bestand is geen afbeelding: notes.jpg")) << e.text().toStdString();
    }
    EXPECT_EQ(g.logo, before);
    EXPECT_EQ(g.sheet.images.Find("logo"), before);

    // A picture replaces the image-list item at once.
    solid(30, 10, Qt::red).save(app.docs.file("red.png"));
    ProForm::LoadLogoFile(g, app.docs.file("red.png"));
    EXPECT_EQ(g.logo.size(), QSize(30, 10));
    EXPECT_EQ(g.sheet.images.Find("logo").size(), QSize(30, 10));
}

TEST(ProForm, StartUpLoadsTheNamedLogoOrKeepsTheBuiltInOne)
{
    struct Case { const char* setting; QByteArray file; bool loaded; };
    QByteArray jpeg;
    {
        QBuffer b(&jpeg);
        b.open(QIODevice::WriteOnly);
        solid(30, 10, Qt::red).save(&b, "JPG");
    }
    const Case cases[] = {
        {"logokvpro.jpg", jpeg, true},
        {"logokvpro.jpg", QByteArray(), false},     // missing file
        {"logokvpro.jpg", "not a picture", false}, // unreadable file
        {"", jpeg, false},                           // no logo chosen: no file is read
    };
    for (const Case& c : cases) {
        TestApp app;
        if (!c.file.isEmpty())
            app.docs.WriteFile("logokvpro.jpg", c.file);
        app.g->settings.pro.logo = c.setting;
        EXPECT_EQ(ProForm::LoadLogoAtStartUp(*app.g), c.loaded) << c.setting << c.file.size();
        EXPECT_EQ(app.g->logo.size(), c.loaded ? QSize(30, 10) : QImage(":/images/logo.png").size());
    }
}

// ---- About texts and links ----

TEST(About, TextsFollowTheEditionNotTheLanguage)
{
    TestApp nl(Edition::Dutch), en(Edition::English);
    nl.g->jargon.SetLanguageCode("de");
    const AboutTexts d = AboutTextsFor(*nl.g), e = AboutTextsFor(*en.g);
    EXPECT_EQ(d.memoBeg.size(), 2);
    EXPECT_EQ(d.memoBeg[0], QString::fromUtf8("Wij hebben veel geïnvesteerd in de ontwikkeling van deze app en gaan hier graag mee door."));
    EXPECT_EQ(d.memoInfo0, "KolVarnPro 3.12");
    EXPECT_EQ(QStringList({d.review, d.facebook, d.site}),
              QStringList({"Schrijf een review", "Like ons op Facebook", "Bezoek de site"}));
    EXPECT_EQ(e.memoBeg[1], "If you like TralVenorPdf, please support us by writing a positive review, like us on Facebook or visit the site.");
    EXPECT_EQ(e.memoInfo0, "TralVenorPdfPro 3.12");
    EXPECT_EQ(QStringList({e.review, e.facebook, e.site}), QStringList({"Write a review", "Like us on Facebook", "Visit the site"}));
}

TEST(About, OnlyWebAddressesReachTheBrowser)
{
    TestApp app;
    struct Case { QString address; bool opens; };
    const Case cases[] = {
        {EditionInfo::SiteUrl(Edition::Dutch), true},
        {"https://127.0.0.1/review", true},
        {"", false},
        {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},
        {"not an address", false},
    };
    for (const Case& c : cases) {
        app.rec.openedUrls.clear();
        if (c.opens) {
            EXPECT_NO_THROW(OpenWebAddress(*app.g, c.address));
            EXPECT_EQ(app.rec.openedUrls, QList<QUrl>({QUrl(c.address)}));
        } else {
            try {
                OpenWebAddress(*app.g, c.address);
                ADD_FAILURE() << c.address.toStdString();
            } catch (const KVError& e) {
                EXPECT_EQ(e.text(), "Not supported!");
            }
            EXPECT_TRUE(app.rec.openedUrls.isEmpty()) << c.address.toStdString();
        }
    }
    // Nothing could open it: reported the same way.
    app.g->seams.openUrl = [](const QUrl&) { return false; };
    EXPECT_THROW(OpenWebAddress(*app.g, EditionInfo::SiteUrl(Edition::English)), KVError);
}
