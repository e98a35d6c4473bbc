#include "KVJargon.h"

#include "IniFile.h"
#include "Resources.h"

#include <QFile>

namespace {
const QString kNoTerm = QStringLiteral("<->");
const QString kSection = QStringLiteral("Jargon");

struct TermCaption {
    const char* name;
    const char* key;
    const char* design;
};

// The captions that carry a term key, in the order LoadTerms walks them.
const TermCaption kTermCaptions[] = {
    {"ListBoxItemKolvarn", "Kolvarn", "Kolvarn"},
    {"ListBoxItemMonteur", "Monteur", "Monteur"},
    {"ListBoxItemWerktijd", "Werktijd", "Werktijd"},
    {"ListBoxItemOverwerk", "Overwerk", "Overwerk"},
    {"ListBoxItemReistijd", "Reistijd", "Reistijd"},
    {"ListBoxItemBTW", "BTW", "BTW %"},
    {"ListBoxItemProjectNr", "Projectnr", "Projectnr"},
    {"ListBoxItemOpdrachtNr", "Opdrachtnr", "Opdrachtnr"},
    {"ListBoxItemCode", "Code", "Code"},
    {"ListBoxItemOpdrachtgever", "Opdrachtgever", "Opdrachtgever"},
    {"ListBoxItemWerkLocatie", "Werklocatie", "Werklocatie"},
    {"ListBoxItemWerkzaamheden", "Werkzaamheden", "Werkzaamheden"},
    {"ListBoxItemRegie", "Regie", "Regie"},
    {"ListBoxItemProject", "Project", "Project"},
    {"ListBoxItemInspectie", "Inspectie", "Inspectie"},
    {"ListBoxItemMeerwerk", "Meerwerk", "Meerwerk"},
    {"ListBoxItemGereed", "Gereed", "Gereed"},
    {"ListBoxItemWaakdienst", "Waakdienst", "Waakdienst"},
    {"ListBoxItemContact", "Contact", "Contact"},
};

// Captions copied from a term caption after every load of the terms.
const std::pair<const char*, const char*> kDerived[] = {
    {"ListBoxItemDagWerktijd", "ListBoxItemWerktijd"},
    {"ListBoxItemOGWerkTijd", "ListBoxItemWerktijd"},
    {"ListBoxItemDagOverwerk", "ListBoxItemOverwerk"},
    {"ListBoxItemOGOverwerk", "ListBoxItemOverwerk"},
    {"ListBoxItemDagReistijd", "ListBoxItemReistijd"},
    {"ListBoxItemOGReistijd", "ListBoxItemReistijd"},
};
}

KVJargon::KVJargon(QObject* parent) : QObject(parent)
{
    InitCoreResources();
    LoadTables();
    for (const TermCaption& t : kTermCaptions) {
        Register(QLatin1String(t.name), QString::fromUtf8(t.design));
        m_captions[QLatin1String(t.name)].termKey = QString::fromUtf8(t.key);
    }
    for (const auto& [derived, source] : kDerived)
        Register(QLatin1String(derived), Caption(QLatin1String(source)));
}

const QStringList& KVJargon::TermCaptionNames()
{
    static const QStringList names = [] {
        QStringList l;
        for (const TermCaption& t : kTermCaptions)
            l << QLatin1String(t.name);
        return l;
    }();
    return names;
}

void KVJargon::LoadTables()
{
    for (const QString& code : LanguageCodes()) {
        QFile f(QStringLiteral(":/lang/%1.txt").arg(code));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const bool fillSources = m_sources.isEmpty();
        QString text = QString::fromUtf8(f.readAll());
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1); // a byte-order mark is no part of the first source text
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (QString line : lines) {
            line.remove(QLatin1Char('\r'));
            const int eq = line.indexOf(QLatin1Char('='));
            if (eq <= 0)
                continue;
            const QString source = line.left(eq);
            const QString translation = line.mid(eq + 1);
            m_tables[code].insert(source.toLower(), translation);
            m_exact[code].insert(source, translation);
            if (fillSources)
                m_sources << source;
        }
    }
}

QStringList KVJargon::LanguageCodes() const
{
    return {QStringLiteral("de"), QStringLiteral("us"), QStringLiteral("es"), QStringLiteral("fr")};
}

QString KVJargon::CodeForIndex(int index)
{
    switch (index) {
    case 0: return QStringLiteral("de");
    case 1: return QStringLiteral("us");
    case 2: return QStringLiteral("es");
    case 3: return QStringLiteral("fr");
    case 4: return QStringLiteral("en");
    default: return {};
    }
}

QString KVJargon::Translate(const QString& text) const
{
    const auto table = m_tables.constFind(m_code);
    if (table == m_tables.constEnd())
        return text;
    const QString t = table->value(text.toLower());
    return t.isEmpty() ? text : t;
}

void KVJargon::SetLanguageCode(const QString& code)
{
    const bool hasList = m_exact.contains(code);
    if (!hasList && code != QLatin1String("en"))
        return; // a code without a list changes nothing
    m_code = code;
    const QHash<QString, QString> exact = hasList ? m_exact.value(code) : QHash<QString, QString>();
    for (auto it = m_captions.begin(); it != m_captions.end(); ++it) {
        CaptionEntry& e = it.value();
        if (!e.autoTranslate)
            continue;
        const QString t = exact.value(e.base);
        setShown(it.key(), e, t.isEmpty() ? e.base : t);
    }
}

void KVJargon::Register(const QString& name, const QString& designText, bool autoTranslate)
{
    if (m_captions.contains(name))
        return;
    CaptionEntry e;
    e.base = designText;
    e.autoTranslate = autoTranslate;
    const QString t = autoTranslate ? m_exact.value(m_code).value(designText) : QString();
    e.shown = t.isEmpty() ? designText : t;
    m_captions.insert(name, e);
}

QString KVJargon::Caption(const QString& name) const
{
    const auto it = m_captions.constFind(name);
    return it == m_captions.constEnd() ? QString() : it->shown;
}

void KVJargon::SetCaption(const QString& name, const QString& text)
{
    auto it = m_captions.find(name);
    if (it == m_captions.end()) {
        Register(name, text, false);
        emit CaptionChanged(name, text);
        return;
    }
    it->base = text;
    setShown(name, *it, text);
}

void KVJargon::setShown(const QString& name, CaptionEntry& e, const QString& text)
{
    if (e.shown == text)
        return;
    e.shown = text;
    emit CaptionChanged(name, text);
}

QString KVJargon::TermKey(const QString& name) const
{
    const auto it = m_captions.constFind(name);
    return it == m_captions.constEnd() ? QString() : it->termKey;
}

void KVJargon::LoadTerms(const QString& termsPath)
{
    const IniFile ini(termsPath);
    for (const TermCaption& t : kTermCaptions) {
        const QString name = QLatin1String(t.name);
        m_captions[name].termKey = QString::fromUtf8(t.key);
        const QString value = ini.ReadString(kSection, QString::fromUtf8(t.key), kNoTerm);
        if (value != kNoTerm)
            SetCaption(name, value);
    }
    for (const auto& [derived, source] : kDerived)
        SetCaption(QLatin1String(derived), Caption(QLatin1String(source)));
}

void KVJargon::SaveTerm(const QString& termsPath, const QString& itemName, const QString& text)
{
    IniFile ini(termsPath);
    QString key = TermKey(itemName);
    if (key.isEmpty())
        key = itemName; // captions without a term key: stored under their own name, read by none
    ini.WriteString(kSection, key, text);
    LoadTerms(termsPath);
}
