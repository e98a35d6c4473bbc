#include "ConfigForm.h"

#include "KVError.h"
#include "KVGlobal.h"
#include "Language.h"
#include "SettingsStore.h"
#include "document/KVGrid.h"

#include <QImageReader>
#include <QSaveFile>
#include <QBuffer>
#include <cmath>
#include <cfenv>

namespace ConfigForm {

ConfigValues Open(const KVGlobal& g)
{
    const Settings& s = g.settings;
    ConfigValues v;
    v.schaal = s.inst.schaal;
    v.unit = s.inst.unit;
    v.monteur = s.inst.monteur;
    v.email = s.inst.email;
    v.bon = s.inst.bon;
    v.correctie = s.inst.correctie;
    v.werk = s.inst.werk;
    v.over = s.inst.over;
    v.reis = s.inst.reis;
    v.km = s.inst.km;
    v.btw = s.inst.btw;
    v.autoComp = s.inst.autoComp;
    v.prijsinc = s.inst.prijsinc;
    v.maxgebruikt = s.inst.maxgebruikt;
    v.maxnodig = s.inst.maxnodig;
    v.taal = s.branche.taal;
    v.valuta = s.branche.valuta;
    v.afstand = s.branche.afstand;
    v.port = s.mail.port;
    v.std = s.mail.std;
    v.smtp = s.mail.smtp;
    v.user = s.mail.user;
    v.ww = s.mail.ww;
    v.reply = s.mail.reply;
    return v;
}

NumberRange MaxUsedRange(const KVGlobal& g) { return {double(g.bon.numodd), double(13 - g.bon.numnodig)}; }
NumberRange MaxNeededRange(const KVGlobal& g) { return {double(g.bon.numnodig), double(13 - g.bon.numodd)}; }

void MaxUsedChanged(ConfigValues& v)
{
    if (v.maxgebruikt + v.maxnodig > 13)
        v.maxnodig = 13 - v.maxgebruikt;
}

void MaxNeededChanged(ConfigValues& v)
{
    if (v.maxgebruikt + v.maxnodig > 13)
        v.maxgebruikt = 13 - v.maxnodig;
}

double Step(double typed, double delta, const NumberRange& range)
{
    // Rounded to the step's decimals, so ten steps of 0.1 land exactly on the next whole value.
    const double stepped = std::round((typed + delta) * 1000.0) / 1000.0;
    return range.Clamp(stepped);
}

int RoundHalfEven(double v)
{
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v);
    std::fesetround(saved);
    return int(r);
}

bool Confirm(KVGlobal& g, const ConfigValues& v)
{
    Settings& s = g.settings;
    // 1.
    s.inst.schaal = float(v.schaal);
    s.inst.unit = RoundHalfEven(v.unit);
    s.inst.monteur = v.monteur;
    s.inst.email = v.email;
    s.inst.bon = RoundHalfEven(v.bon);
    s.inst.correctie = v.correctie;
    // 2.
    s.inst.werk = v.werk;
    s.inst.over = v.over;
    s.inst.reis = v.reis;
    s.inst.km = v.km;
    s.inst.btw = v.btw;
    s.inst.autoComp = v.autoComp;
    s.inst.prijsinc = v.prijsinc;
    // 3.
    const int used = RoundHalfEven(v.maxgebruikt), needed = RoundHalfEven(v.maxnodig);
    const bool maximaChanged = used != s.inst.maxgebruikt || needed != s.inst.maxnodig;
    s.inst.maxgebruikt = used;
    s.inst.maxnodig = needed;
    // 4.
    s.branche.taal = v.taal;
    s.branche.valuta = v.valuta;
    s.branche.afstand = v.afstand;
    // 5.
    ApplyLanguageIndex(g, v.taal);
    // 6.
    s.mail.port = RoundHalfEven(v.port);
    s.mail.smtp = v.smtp;
    s.mail.user = v.user;
    s.mail.ww = v.ww;
    s.mail.reply = v.reply;
    s.mail.std = v.std;
    // 7.
    WriteRegionalSettings(g);
    WriteMainSettings(g);
    // 8.
    if (maximaChanged) {
        ClearDocument(g);
        PlanDocumentRows(g);
        BuildDocument(g);
    }
    RelabelDocument(g);
    return maximaChanged;
}

} // namespace ConfigForm

namespace ProForm {

ProValues Open(const KVGlobal& g)
{
    const Settings& s = g.settings;
    return {s.pro.bedrijf, s.pro.footer1, s.pro.footer2, s.pro.footer3, s.cloud.user, s.cloud.ww, s.cloud.server};
}

void Confirm(KVGlobal& g, const ProValues& v)
{
    Settings& s = g.settings;
    // 1.
    s.pro.footer1 = v.footer1;
    s.pro.footer2 = v.footer2;
    s.pro.footer3 = v.footer3;
    // 2. The logo file always exists after the first confirmation, holding the built-in logo
    //    when none was picked.
    s.pro.logo = QStringLiteral("logokvpro.jpg");
    const QString path = g.DocumentsFolder() + s.pro.logo;
    QSaveFile file(path);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!g.logo.save(&buffer, "JPG", 90) || !file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size()
        || !file.commit())
        throw KVError(QStringLiteral("Unable to write to %1").arg(path));
    ShowDocumentLogo(g);
    // 3.
    s.cloud.user = NormaliseCloudUser(v.user);
    s.cloud.ww = v.ww;
    s.cloud.server = v.server;
    s.pro.bedrijf = v.bedrijf;
    // 4. The connection takes the prefixed account name when it next connects.
    g.cloud.ApplyAccount();
    // 5.
    g.CloudSyncEnabled = !s.cloud.user.isEmpty() && !s.cloud.ww.isEmpty() && !s.cloud.server.isEmpty();
    // 6.
    WriteCompanySettings(g);
}

void LoadLogoFile(KVGlobal& g, const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        throw KVError(QStringLiteral("%1: %2").arg(path, reader.errorString()));
    g.logo = image;
}

bool LoadLogoAtStartUp(KVGlobal& g)
{
    if (g.settings.pro.logo != QLatin1String("logokvpro.jpg"))
        return false;
    const QImage image(g.DocumentsFolder() + g.settings.pro.logo);
    if (image.isNull())
        return false;
    g.logo = image;
    return true;
}

} // namespace ProForm

AboutTexts AboutTextsFor(const KVGlobal& g)
{
    const QString version = EditionInfo::Version();
    if (g.EnglishEdition())
        return {{QStringLiteral("We have heavily invested in the development of this app and want to continue this."),
                 QStringLiteral("If you like TralVenorPdf, please support us by writing a positive review, like us on Facebook or visit the site.")},
                QStringLiteral("TralVenorPdfPro ") + version,
                QStringLiteral("Write a review"), QStringLiteral("Like us on Facebook"), QStringLiteral("Visit the site")};
    return {{QString::fromUtf8("Wij hebben veel geïnvesteerd in de ontwikkeling van deze app en gaan hier graag mee door."),
             QStringLiteral("Als KolVarnPdf bevalt, ondersteun ons dan door een positieve review te schrijven, like ons op facebook of bezoek de site.")},
            QStringLiteral("KolVarnPro ") + version,
            QStringLiteral("Schrijf een review"), QStringLiteral("Like ons op Facebook"), QStringLiteral("Bezoek de site")};
}
