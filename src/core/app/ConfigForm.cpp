#include "ConfigForm.h"

#include "KVError.h"
#include "KVGlobal.h"
#include "Language.h"
#include "Resources.h"
#include "SettingsStore.h"
#include "document/KVGrid.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>
#include <cfenv>
#include <cmath>

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
    v.mailTlsRequired = s.mail.tlsRequired;
    return v;
}

// With no current ticket both counts are 0 and the ranges are the full 0..13.
NumberRange MaxUsedRange(const KVGlobal& g)
{
    return {double(g.bon.numodd), double(PartsLines - g.bon.numnodig)};
}

NumberRange MaxNeededRange(const KVGlobal& g)
{
    return {double(g.bon.numnodig), double(PartsLines - g.bon.numodd)};
}

void MaxUsedChanged(ConfigValues& v)
{
    if (v.maxgebruikt + v.maxnodig > PartsLines)
        v.maxnodig = PartsLines - v.maxgebruikt;
}

void MaxNeededChanged(ConfigValues& v)
{
    if (v.maxgebruikt + v.maxnodig > PartsLines)
        v.maxgebruikt = PartsLines - v.maxnodig;
}

double Step(double typed, double delta, const NumberRange& range)
{
    // Rounded to a thousandth, so ten steps of 0.1 land exactly on the next whole value.
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

QStringList MailTextLines(const QString& memoText)
{
    if (memoText.isEmpty())
        return {};
    QStringList lines = memoText.split(QLatin1Char('\n'));
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool Confirm(KVGlobal& g, const ConfigValues& v)
{
    Settings& s = g.settings;
    // 1. Device.
    s.inst.schaal = float(v.schaal);
    s.inst.unit = RoundHalfEven(v.unit);
    s.inst.monteur = v.monteur;
    s.inst.email = v.email;
    s.inst.bon = RoundHalfEven(v.bon);
    s.inst.correctie = v.correctie;
    // 2. Prices.
    s.inst.werk = v.werk;
    s.inst.over = v.over;
    s.inst.reis = v.reis;
    s.inst.km = v.km;
    s.inst.btw = v.btw;
    s.inst.autoComp = v.autoComp;
    s.inst.prijsinc = v.prijsinc;
    // 3. The maxima; a change means a new row plan.
    const int used = RoundHalfEven(v.maxgebruikt), needed = RoundHalfEven(v.maxnodig);
    const bool maximaChanged = used != s.inst.maxgebruikt || needed != s.inst.maxnodig;
    s.inst.maxgebruikt = used;
    s.inst.maxnodig = needed;
    // 4. Regional settings.
    s.branche.taal = v.taal;
    s.branche.valuta = v.valuta;
    s.branche.afstand = v.afstand;
    // 5. The language of the chooser; an index outside the list applies none.
    ApplyLanguageIndex(g, v.taal);
    // 6. Mail.
    s.mail.port = RoundHalfEven(v.port);
    s.mail.smtp = v.smtp;
    s.mail.user = v.user;
    s.mail.ww = v.ww;
    s.mail.reply = v.reply;
    s.mail.std = v.std;
    s.mail.tlsRequired = v.mailTlsRequired;
    // 7. The file.
    WriteRegionalSettings(g);
    WriteMainSettings(g);
    // 8. The document: rebuilt for a new plan, relabelled always.
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

namespace {
// JPEG has no transparency: a picture with an alpha channel is laid on white first, so its
// transparent parts do not turn black in the file.
QByteArray encodeJpeg(const QImage& logo)
{
    QImage flat = logo;
    if (logo.hasAlphaChannel()) {
        flat = QImage(logo.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter p(&flat);
        p.drawImage(0, 0, logo);
    }
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!flat.save(&buffer, "JPG", 95))
        return {};
    return jpeg;
}

void takeAccount(Settings::Cloud& c, const ProValues& v)
{
    c.user = NormaliseCloudUser(v.user);
    c.ww = v.ww;
    c.server = v.server;
    c.tlsRequired = v.tlsRequired;
    c.ca = v.ca;
}

void setLogo(KVGlobal& g, const QImage& image)
{
    g.logo = image;
    g.sheet.images.Set(QStringLiteral("logo"), image);
}
} // namespace

ProValues Open(const KVGlobal& g)
{
    const Settings& s = g.settings;
    return {s.pro.bedrijf, s.pro.footer1, s.pro.footer2, s.pro.footer3, s.cloud.user, s.cloud.ww, s.cloud.server,
            s.cloud.tlsRequired, s.cloud.ca};
}

QImage CurrentLogo(KVGlobal& g)
{
    if (g.logo.isNull())
        g.logo = ResourceImage(QStringLiteral(":/images/logo.png"));
    return g.logo;
}

void Confirm(KVGlobal& g, const ProValues& v)
{
    Settings& s = g.settings;
    // 1. Footers.
    s.pro.footer1 = v.footer1;
    s.pro.footer2 = v.footer2;
    s.pro.footer3 = v.footer3;
    // 2. The logo file always exists after the first confirmation, holding the built-in logo
    //    when none was picked.
    s.pro.logo = LogoFileName();
    const QString path = g.DocumentsFolder() + s.pro.logo;
    const QByteArray jpeg = encodeJpeg(CurrentLogo(g));
    QSaveFile file(path);
    if (jpeg.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size() || !file.commit())
        throw KVError(QStringLiteral("Unable to write to %1").arg(path));
    ShowDocumentLogo(g);
    // 3. The account and the company name.
    takeAccount(s.cloud, v);
    s.pro.bedrijf = v.bedrijf;
    // 4. The connection takes the prefixed account name when it next connects; nothing
    //    connects here.
    g.cloud.ApplyAccount();
    // 5. Here the account also needs its server.
    g.CloudSyncEnabled = !s.cloud.user.isEmpty() && !s.cloud.ww.isEmpty() && !s.cloud.server.isEmpty();
    // 6. The file.
    WriteCompanySettings(g);
}

void ConnectionTest(KVGlobal& g, const ProValues& v)
{
    takeAccount(g.settings.cloud, v);
    g.cloud.ConnectionTest();
}

void LoadLogoFile(KVGlobal& g, const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        throw KVError(g.Translate(QStringLiteral("Dit bestand is geen afbeelding:")) + QLatin1Char(' ')
                      + QFileInfo(path).fileName() + QStringLiteral(" (") + reader.errorString() + QLatin1Char(')'));
    setLogo(g, image);
}

bool LoadLogoAtStartUp(KVGlobal& g)
{
    if (g.settings.pro.logo == LogoFileName()) {
        QImageReader reader(g.DocumentsFolder() + LogoFileName());
        const QImage image = reader.read();
        if (!image.isNull()) {
            setLogo(g, image);
            return true;
        }
    }
    setLogo(g, CurrentLogo(g));
    return false;
}

} // namespace ProForm

AboutTexts AboutTextsFor(const KVGlobal& g)
{
    const QString version = EditionInfo::Version();
    if (g.EnglishEdition())
        return {{QStringLiteral("We have heavily invested in the development of this app and want to continue this."),
                 QStringLiteral("If you like TralVenorPdf, please support us by writing a positive review, like us on "
                                "Facebook or visit the site.")},
                QStringLiteral("TralVenorPdfPro ") + version,
                QStringLiteral("Write a review"),
                QStringLiteral("Like us on Facebook"),
                QStringLiteral("Visit the site")};
    return {{QString::fromUtf8("Wij hebben veel geïnvesteerd in de ontwikkeling van deze app en gaan hier graag mee door."),
             QStringLiteral("Als KolVarnPdf bevalt, ondersteun ons dan door een positieve review te schrijven, like ons "
                            "op facebook of bezoek de site.")},
            QStringLiteral("KolVarnPro ") + version,
            QStringLiteral("Schrijf een review"),
            QStringLiteral("Like ons op Facebook"),
            QStringLiteral("Bezoek de site")};
}
