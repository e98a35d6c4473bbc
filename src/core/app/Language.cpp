#include "Language.h"

#include "KVGlobal.h"

#include <QLocale>

void LoadTerms(KVGlobal& g) { g.jargon.LoadTerms(g.TermsPath()); }

QString CapitalizeFirst(const QString& text)
{
    if (text.isEmpty())
        return text;
    const QLocale locale;
    const qsizetype first = text[0].isHighSurrogate() && text.size() > 1 ? 2 : 1;
    return locale.toUpper(text.left(first)) + locale.toLower(text.mid(first));
}

void SetDistanceCaptions(KVGlobal& g)
{
    const QString& afstand = g.settings.branche.afstand;
    g.jargon.SetCaption(QStringLiteral("ListBoxItemAfstand"), CapitalizeFirst(afstand));
    g.jargon.SetCaption(QStringLiteral("ListBoxItemAfstandPrijs"),
                        g.Translate(QStringLiteral("Prijs")) + QLatin1Char(' ')
                            + g.Translate(QStringLiteral("Per")).toLower() + QLatin1Char(' ') + afstand.toLower());
}

void ApplyLanguage(KVGlobal& g, const QString& code)
{
    g.jargon.SetLanguageCode(code);
    const QString client = g.jargon.Caption(QStringLiteral("ListBoxItemOpdrachtgever"));
    g.jargon.SetCaption(QStringLiteral("TMSFMXSignatureCapture1"),
                        g.Translate(QStringLiteral("Indien akkoord handtekening")) + QLatin1Char(' ') + client.toLower());
    g.jargon.SetCaption(QStringLiteral("LabelOpdrachtgever"), client);
    SetDistanceCaptions(g);
}

void ApplyLanguageIndex(KVGlobal& g, int index)
{
    const QString code = KVJargon::CodeForIndex(index);
    if (!code.isEmpty())
        ApplyLanguage(g, code);
}
