#include "SettingsStore.h"
#include "app/Log.h"

#include "Language.h"

#include "IniFile.h"
#include "KVError.h"
#include "KVGlobal.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <limits>

namespace {
const QString INST = QStringLiteral("INST");
const QString MAIL = QStringLiteral("MAIL");
const QString CLOUD = QStringLiteral("CLOUD");
const QString PRO = QStringLiteral("PRO");
const QString BRANCHE = QStringLiteral("BRANCHE");
const QString SYNC = QStringLiteral("SYNC");
const QString MAILTEKST = QStringLiteral("mailtekst");
const QString VENSTER = QStringLiteral("VENSTER");

// The document has 13 parts lines in all, shared by the used and the needed parts.
constexpr int kPartsLines = 13;

QString dev(int n) { return QStringLiteral("DEV") + QString::number(n); }
QString act(int n) { return QStringLiteral("ACT") + QString::number(n); }
QString regel(int k) { return QStringLiteral("regel") + QString::number(k); }

// The scale is held single-precision; written as the shortest decimal that gives the same
// single back (1.1, not 1.10000002384186).
double asWritten(float value)
{
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf - 1, value);
    *r.ptr = '\0';
    return std::strtod(buf, nullptr);
}

// A hand-edited or damaged file must not break the document's invariant: each maximum lies in
// 0..13 and together they reserve at most 13 lines.
void keepPartsLinesInRange(Settings::Inst& inst)
{
    inst.maxgebruikt = std::clamp(inst.maxgebruikt, 0, kPartsLines);
    inst.maxnodig = std::clamp(inst.maxnodig, 0, kPartsLines - inst.maxgebruikt);
}

// k for a key "regel" + k (any case, k in decimal without leading zeros), else -1.
int mailLineIndex(const QString& key)
{
    if (key.size() < 6 || !key.startsWith(QLatin1String("regel"), Qt::CaseInsensitive))
        return -1;
    const QStringView digits = QStringView(key).mid(5);
    if (digits.size() > 1 && digits.front() == QLatin1Char('0'))
        return -1;
    qint64 k = 0;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        k = k * 10 + (c.unicode() - '0');
        if (k > std::numeric_limits<int>::max())
            return -1;
    }
    return int(k);
}

// The lines of the standard mail text: "regel" + k for k below count, up to the last such key
// the section holds; a line missing between them is empty. The section's own size bounds the
// text, not count: a damaged count cannot make start-up build millions of lines.
QStringList readMailText(const IniFile& ini)
{
    const int count = ini.ReadInteger(MAILTEKST, QStringLiteral("count"), 0);
    const int bound = std::min(count, ini.KeyCount(MAILTEKST));
    if (bound <= 0)
        return {};
    QStringList lines(bound);
    int last = -1;
    ini.ForEachKey(MAILTEKST, [&](const QString& key, const QString& value) {
        const int k = mailLineIndex(key);
        if (k >= 0 && k < bound) {
            lines[k] = value; // a key given twice reads as its last line, as every key does
            last = std::max(last, k);
        }
    });
    lines.resize(last + 1);
    return lines;
}

// The writers' file: one save for all the keys of a writer. A file that cannot be written is
// reported to the user and ends the action; the file keeps what it had.
class SettingsEdit : public IniEdit {
public:
    explicit SettingsEdit(const KVGlobal& g) : IniEdit(g.SettingsPath(), g.seams.files), m_g(g) {}
    void Save() const
    {
        try {
            IniEdit::Save();
        } catch (const FileWriteError& e) {
            qCWarning(logSettings).noquote() << "settings not saved:" << e.path() << "-" << e.reason();
            m_g.seams.ShowMessage(m_g.Translate(QStringLiteral("De instellingen zijn niet opgeslagen:")) + QLatin1Char(' ')
                                  + e.path() + QStringLiteral(" (") + e.reason() + QStringLiteral("). ")
                                  + m_g.Translate(QStringLiteral("Het instellingenbestand is ongewijzigd.")));
            throw KVAbort(e.what());
        }
    }

private:
    const KVGlobal& m_g;
};
} // namespace

namespace SettingsStore {
Settings Defaults(Edition edition)
{
    Settings s;
    s.cloud.server = EditionInfo::DefaultCloudHost();
    s.branche.taal = EditionInfo::DefaultLanguageIndex(edition);
    s.pro.footer1 = EditionInfo::DefaultFooter(edition, 1);
    s.pro.footer2 = EditionInfo::DefaultFooter(edition, 2);
    s.pro.footer3 = EditionInfo::DefaultFooter(edition, 3);
    return s;
}
} // namespace SettingsStore

QString NormaliseCloudUser(const QString& user)
{
    static const QString prefix = QStringLiteral("qurimsa_");
    return user.startsWith(prefix) ? user.mid(prefix.size()) : user;
}

void ReadSettings(KVGlobal& g, const std::function<void(KVGlobal&)>& connectAtStartUp)
{
    const Settings d = SettingsStore::Defaults(g.edition);
    Settings& s = g.settings;
    TBon& bon = g.bon;
    // Temporary files of writers that were killed halfway: they may hold passwords.
    RemoveStaleTemporaries(g.SettingsPath());
    RemoveStaleTemporaries(g.TermsPath());
    const IniFile ini(g.SettingsPath());

    s.inst.schaal = float(ini.ReadFloat(INST, QStringLiteral("schaal"), d.inst.schaal));
    s.inst.unit = ini.ReadInteger(INST, QStringLiteral("unit"), d.inst.unit);
    s.inst.monteur = ini.ReadString(INST, QStringLiteral("monteur"), d.inst.monteur);
    s.inst.email = ini.ReadString(INST, QStringLiteral("email"), d.inst.email);
    s.inst.bon = ini.ReadInteger(INST, QStringLiteral("bon"), d.inst.bon);
    s.inst.werk = ini.ReadFloat(INST, QStringLiteral("werk"), d.inst.werk);
    s.inst.over = ini.ReadFloat(INST, QStringLiteral("over"), d.inst.over);
    s.inst.reis = ini.ReadFloat(INST, QStringLiteral("reis"), d.inst.reis);
    s.inst.km = ini.ReadFloat(INST, QStringLiteral("km"), d.inst.km);
    s.inst.btw = ini.ReadFloat(INST, QStringLiteral("btw"), d.inst.btw);
    s.inst.autoComp = ini.ReadBool(INST, QStringLiteral("auto"), d.inst.autoComp);
    s.inst.prijsinc = ini.ReadBool(INST, QStringLiteral("prijsinc"), d.inst.prijsinc);
    TakeDefaultPrices(bon, s.inst);
    s.inst.maxgebruikt = ini.ReadInteger(INST, QStringLiteral("maxgebruikt"), d.inst.maxgebruikt);
    s.inst.maxnodig = ini.ReadInteger(INST, QStringLiteral("maxnodig"), d.inst.maxnodig);
    keepPartsLinesInRange(s.inst);
    s.inst.correctie = ini.ReadBool(INST, QStringLiteral("correctie"), d.inst.correctie);

    s.mail.port = ini.ReadInteger(MAIL, QStringLiteral("port"), d.mail.port);
    s.mail.smtp = ini.ReadString(MAIL, QStringLiteral("smtp"), d.mail.smtp);
    s.mail.user = ini.ReadString(MAIL, QStringLiteral("user"), d.mail.user);
    s.mail.ww = ini.ReadString(MAIL, QStringLiteral("ww"), d.mail.ww);
    s.mail.reply = ini.ReadString(MAIL, QStringLiteral("reply"), d.mail.reply);
    s.mail.std = ini.ReadBool(MAIL, QStringLiteral("std"), d.mail.std);
    s.mail.tlsRequired = ini.ReadBool(MAIL, QStringLiteral("starttls"), d.mail.tlsRequired);

    s.cloud.user = NormaliseCloudUser(ini.ReadString(CLOUD, QStringLiteral("User"), d.cloud.user));
    s.cloud.ww = ini.ReadString(CLOUD, QStringLiteral("WW"), d.cloud.ww);
    s.cloud.server = ini.ReadString(CLOUD, QStringLiteral("Server"), d.cloud.server);
    s.cloud.tlsRequired = ini.ReadBool(CLOUD, QStringLiteral("TLS"), d.cloud.tlsRequired);
    s.cloud.ca = ini.ReadString(CLOUD, QStringLiteral("CA"), d.cloud.ca);
    g.CloudSyncEnabled = !s.cloud.user.isEmpty() && !s.cloud.ww.isEmpty();

    s.pro.logo = ini.ReadString(PRO, QStringLiteral("logo"), d.pro.logo);
    s.pro.bedrijf = ini.ReadString(PRO, QStringLiteral("bedrijf"), d.pro.bedrijf);

    s.branche.taal = ini.ReadInteger(BRANCHE, QStringLiteral("taal"), d.branche.taal);
    s.branche.valuta = ini.ReadString(BRANCHE, QStringLiteral("valuta"), d.branche.valuta);
    s.branche.afstand = ini.ReadString(BRANCHE, QStringLiteral("afstand"), d.branche.afstand);

    for (int n = 1; n <= 10; ++n) {
        s.syncDevs[n].naam = ini.ReadString(SYNC, dev(n), d.syncDevs[n].naam);
        s.syncDevs[n].actief = ini.ReadBool(SYNC, act(n), d.syncDevs[n].actief);
    }

    s.mailtekst = readMailText(ini);

    s.venster.x = ini.ReadInteger(VENSTER, QStringLiteral("x"), d.venster.x);
    s.venster.y = ini.ReadInteger(VENSTER, QStringLiteral("y"), d.venster.y);
    s.venster.breedte = std::max(0, ini.ReadInteger(VENSTER, QStringLiteral("breedte"), d.venster.breedte));
    s.venster.hoogte = std::max(0, ini.ReadInteger(VENSTER, QStringLiteral("hoogte"), d.venster.hoogte));

    g.ids.IdLocation = QStringLiteral("L");
    g.ids.IdMachine = QStringLiteral("M");
    g.ids.IdUser = QStringLiteral("KV");

    if (connectAtStartUp)
        connectAtStartUp(g);
}

void ReadFootersAndCaptions(KVGlobal& g)
{
    Settings& s = g.settings;
    const IniFile ini(g.SettingsPath());
    s.pro.footer1 = ini.ReadString(PRO, QStringLiteral("footer1"), EditionInfo::DefaultFooter(g.edition, 1));
    s.pro.footer2 = ini.ReadString(PRO, QStringLiteral("footer2"), EditionInfo::DefaultFooter(g.edition, 2));
    s.pro.footer3 = ini.ReadString(PRO, QStringLiteral("footer3"), EditionInfo::DefaultFooter(g.edition, 3));

    s.syncDevs[0].naam = ini.ReadString(SYNC, dev(0), g.Translate(QStringLiteral("Kantoor")));
    s.syncDevs[0].actief = true; // the office always takes part, whatever the file says

    KVJargon& j = g.jargon;
    const QString agreed = g.Translate(QStringLiteral("Indien akkoord handtekening")) + QLatin1Char(' ');
    j.SetCaption(QStringLiteral("TMSFMXSignatureCapture1"),
                 agreed + j.Caption(QStringLiteral("ListBoxItemOpdrachtgever")).toLower());
    j.SetCaption(QStringLiteral("TMSFMXSignatureCapture2"),
                 agreed + j.Caption(QStringLiteral("ListBoxItemMonteur")).toLower());

    SetDistanceCaptions(g);
}

void TakeDefaultPrices(TBon& bon, const Settings::Inst& inst)
{
    bon.uurprijswerk = inst.werk;
    bon.uurprijsover = inst.over;
    bon.uurprijsreis = inst.reis;
    bon.kmprijs = inst.km;
    bon.percob = inst.btw;
    bon.autocomp = inst.autoComp;
    bon.prijsinc = inst.prijsinc;
}

void WriteMainSettings(const KVGlobal& g)
{
    const Settings& s = g.settings;
    SettingsEdit ini(g);
    ini.WriteFloat(INST, QStringLiteral("schaal"), asWritten(s.inst.schaal));
    ini.WriteInteger(INST, QStringLiteral("unit"), s.inst.unit);
    ini.WriteString(INST, QStringLiteral("monteur"), s.inst.monteur);
    ini.WriteString(INST, QStringLiteral("email"), s.inst.email);
    ini.WriteInteger(INST, QStringLiteral("bon"), s.inst.bon);
    ini.WriteFloat(INST, QStringLiteral("werk"), s.inst.werk);
    ini.WriteFloat(INST, QStringLiteral("over"), s.inst.over);
    ini.WriteFloat(INST, QStringLiteral("reis"), s.inst.reis);
    ini.WriteFloat(INST, QStringLiteral("km"), s.inst.km);
    ini.WriteFloat(INST, QStringLiteral("btw"), s.inst.btw);
    ini.WriteBool(INST, QStringLiteral("auto"), s.inst.autoComp);
    ini.WriteBool(INST, QStringLiteral("prijsinc"), s.inst.prijsinc);
    ini.WriteInteger(INST, QStringLiteral("maxgebruikt"), s.inst.maxgebruikt);
    ini.WriteInteger(INST, QStringLiteral("maxnodig"), s.inst.maxnodig);
    ini.WriteBool(INST, QStringLiteral("correctie"), s.inst.correctie);

    ini.WriteInteger(MAIL, QStringLiteral("port"), s.mail.port);
    ini.WriteString(MAIL, QStringLiteral("smtp"), s.mail.smtp);
    ini.WriteString(MAIL, QStringLiteral("user"), s.mail.user);
    ini.WriteString(MAIL, QStringLiteral("ww"), s.mail.ww);
    ini.WriteString(MAIL, QStringLiteral("reply"), s.mail.reply);
    ini.WriteBool(MAIL, QStringLiteral("Std"), s.mail.std);
    ini.WriteBool(MAIL, QStringLiteral("starttls"), s.mail.tlsRequired);

    ini.WriteInteger(MAILTEKST, QStringLiteral("count"), int(s.mailtekst.size()));
    for (int k = 0; k < int(s.mailtekst.size()); ++k)
        ini.WriteString(MAILTEKST, regel(k), s.mailtekst.at(k));

    if (s.venster.breedte > 0 && s.venster.hoogte > 0) {
        ini.WriteInteger(VENSTER, QStringLiteral("x"), s.venster.x);
        ini.WriteInteger(VENSTER, QStringLiteral("y"), s.venster.y);
        ini.WriteInteger(VENSTER, QStringLiteral("breedte"), s.venster.breedte);
        ini.WriteInteger(VENSTER, QStringLiteral("hoogte"), s.venster.hoogte);
    }
    ini.Save();
}

void WriteRegionalSettings(const KVGlobal& g)
{
    const Settings& s = g.settings;
    SettingsEdit ini(g);
    ini.WriteInteger(BRANCHE, QStringLiteral("taal"), s.branche.taal);
    ini.WriteString(BRANCHE, QStringLiteral("valuta"), s.branche.valuta);
    ini.WriteString(BRANCHE, QStringLiteral("afstand"), s.branche.afstand);
    ini.Save();
}

void WriteCompanySettings(const KVGlobal& g)
{
    const Settings& s = g.settings;
    SettingsEdit ini(g);
    ini.WriteString(PRO, QStringLiteral("footer1"), s.pro.footer1);
    ini.WriteString(PRO, QStringLiteral("footer2"), s.pro.footer2);
    ini.WriteString(PRO, QStringLiteral("footer3"), s.pro.footer3);
    ini.WriteString(PRO, QStringLiteral("logo"), s.pro.logo);
    ini.WriteString(PRO, QStringLiteral("bedrijf"), s.pro.bedrijf);
    ini.WriteString(CLOUD, QStringLiteral("User"), s.cloud.user);
    ini.WriteString(CLOUD, QStringLiteral("WW"), s.cloud.ww);
    ini.WriteString(CLOUD, QStringLiteral("Server"), s.cloud.server);
    ini.WriteBool(CLOUD, QStringLiteral("TLS"), s.cloud.tlsRequired);
    ini.WriteString(CLOUD, QStringLiteral("CA"), s.cloud.ca);
    ini.Save();
}

void WriteSyncSettings(const KVGlobal& g)
{
    const Settings& s = g.settings;
    SettingsEdit ini(g);
    for (int n = 0; n <= 10; ++n) {
        ini.WriteString(SYNC, dev(n), s.syncDevs[n].naam);
        ini.WriteBool(SYNC, act(n), s.syncDevs[n].actief);
    }
    ini.Save();
}

void WriteTicketCounter(const KVGlobal& g)
{
    SettingsEdit ini(g);
    ini.WriteInteger(INST, QStringLiteral("bon"), g.settings.inst.bon);
    ini.Save();
}
