#include "app/KVJargon.h"

#include "TestSupport.h"

#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

namespace {
// The source column of one language file as it is shipped.
QStringList sourcesOf(const QString& code)
{
    QFile f(QStringLiteral(KV_SOURCE_DIR "/resources/lang/%1.txt").arg(code));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << code.toStdString();
    QStringList sources;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const int eq = line.indexOf(QLatin1Char('='));
        EXPECT_GT(eq, 0) << line.toStdString();
        EXPECT_FALSE(line.mid(eq + 1).isEmpty()) << "no translation: " << line.toStdString();
        sources << line.left(eq);
    }
    return sources;
}
} // namespace

TEST(Jargon, TermCaptionsHaveDesignTexts)
{
    KVJargon j;
    EXPECT_EQ(j.Caption("ListBoxItemBTW"), "BTW %");
    EXPECT_EQ(j.TermKey("ListBoxItemBTW"), "BTW");
    EXPECT_EQ(KVJargon::TermCaptionNames().size(), 19);
}

TEST(LanguageTable, EveryFileHasTheSameSourcesInTheSameOrder)
{
    const QStringList de = sourcesOf("de");
    ASSERT_EQ(de.size(), 110);
    EXPECT_EQ(de.first(), "Aantal");
    EXPECT_EQ(de.at(86), "Kolvarn");
    EXPECT_EQ(de.at(96), "Maximum aantal foto's op kolvarn.");
    EXPECT_EQ(de.last(), "Dummy");
    for (const char* code : {"us", "es", "fr"})
        EXPECT_EQ(sourcesOf(code), de) << code;

    // Look-ups ignore case, so no two sources may differ by case alone.
    QSet<QString> lower;
    for (const QString& s : de)
        lower.insert(s.toLower());
    EXPECT_EQ(lower.size(), de.size());

    // The loader takes its source order from the first file, and finds the files in the resources.
    KVJargon j;
    EXPECT_EQ(j.SourceTexts(), de);
}

TEST(LanguageTable, TranslateWholeTextsIgnoringCase)
{
    struct Case {
        const char* code;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"us", "Bonnr", "Receiptnr"},
        {"us", "bonnr", "Receiptnr"},
        {"us", "Kantoor", "Office"},
        {"us", "Maximum aantal foto's op kolvarn.", "Maximum number of photos on tralvenor."},
        // The photo-limit message is spelled without the apostrophe, so it is no source text.
        {"us", "Maximum aantal fotos op kolvarn.", "Maximum aantal fotos op kolvarn."},
        {"us", "Terug ", "Terug "},
        {"us", "Onbekende tekst", "Onbekende tekst"},
        {"us", "", ""},
        {"de", "Maandag", "Montag"},
        {"de", "Geen verbinding met server.", "Keine Verbindung zum Server."},
        {"es", "Terug", "Atrás"},
        {"es", "Wachtwoord", "Contraseña"},
        {"fr", "Prijs", "Prix"},
        {"fr", "Werklocatie", "Lieu d'intervention"},
        // "en" has no list: the Dutch source texts stay.
        {"en", "Terug", "Terug"},
        {"en", "Bonnr", "Bonnr"},
    };
    KVJargon j;
    EXPECT_EQ(j.Translate("Terug"), "Terug") << "no language applied yet";
    for (const Case& c : cases) {
        j.SetLanguageCode(c.code);
        EXPECT_EQ(j.Translate(c.text), QString::fromUtf8(c.expected)) << c.code << " " << c.text;
    }
}

TEST(LanguageTable, LanguageIndexSelectsCode)
{
    const std::pair<int, const char*> cases[] = {{0, "de"}, {1, "us"}, {2, "es"}, {3, "fr"}, {4, "en"}, {5, ""}, {-1, ""}};
    for (const auto& [index, code] : cases)
        EXPECT_EQ(KVJargon::CodeForIndex(index), code) << index;
}

TEST(LanguageTable, CaptionsFollowTheLanguageAndRevert)
{
    KVJargon j;
    j.SetLanguageCode(KVJargon::CodeForIndex(1));
    EXPECT_EQ(j.Caption("ListBoxItemWerktijd"), "Working");
    EXPECT_EQ(j.Caption("ListBoxItemBTW"), "VAT %");
    j.SetLanguageCode("de");
    EXPECT_EQ(j.Caption("ListBoxItemWerktijd"), "Arbeitszeit");

    j.SetLanguageCode("xx"); // no list: nothing changes
    EXPECT_EQ(j.LanguageCode(), "de");
    EXPECT_EQ(j.Caption("ListBoxItemWerktijd"), "Arbeitszeit");

    j.SetLanguageCode(KVJargon::CodeForIndex(4)); // Dutch: back to the design texts
    EXPECT_EQ(j.Caption("ListBoxItemWerktijd"), "Werktijd");
    EXPECT_EQ(j.Caption("ListBoxItemBTW"), "BTW %");
    EXPECT_EQ(j.Translate("Werktijd"), "Werktijd");

    // A caption declared while a language is on shows its translation at once.
    j.SetLanguageCode("fr");
    j.Register("LabelPrijs", "Prijs");
    EXPECT_EQ(j.Caption("LabelPrijs"), "Prix");
}

TEST(LanguageTable, UserTermSurvivesEveryLanguage)
{
    TempDocs docs;
    docs.WriteFile("jargon.ini", "[Jargon]\nKolvarn=Opdracht\n");
    KVJargon j;
    j.LoadTerms(docs.file("jargon.ini"));
    const std::pair<const char*, const char*> languages[] = {
        {"de", "Monteur"}, {"us", "Mechanic"}, {"es", "Técnico"}, {"fr", "Technicien"}, {"en", "Monteur"}};
    for (const auto& [code, mechanic] : languages) {
        j.SetLanguageCode(code);
        EXPECT_EQ(j.Caption("ListBoxItemKolvarn"), "Opdracht") << code;
        EXPECT_EQ(j.Caption("ListBoxItemMonteur"), QString::fromUtf8(mechanic)) << code;
    }
}

TEST(Jargon, LanguageTablesAreBuiltIn)
{
    KVJargon j;
    EXPECT_EQ(j.LanguageCodes().size(), 4);
    EXPECT_TRUE(QFile::exists(":/lang/us.txt"));
    EXPECT_TRUE(QFile::exists(":/images/logo.png"));
}
