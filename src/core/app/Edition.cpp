#include "Edition.h"

namespace EditionInfo {

QString ProductName(Edition e) { return e == Edition::English ? QStringLiteral("TralVenorPro") : QStringLiteral("KolVarnPro"); }

int DefaultLanguageIndex(Edition e) { return e == Edition::English ? 1 : 4; }

QString DefaultFooter(Edition e, int n)
{
    if (e == Edition::English) {
        switch (n) {
        case 1: return QStringLiteral("Delivery under terms and conditions as filed...");
        case 2: return QStringLiteral("Please check the work before signing.");
        default: return QStringLiteral("Thank you for your order.");
        }
    }
    switch (n) {
    case 1: return QStringLiteral("Levering volgens algemene leveringsvoorwaarden zoals gedeponeerd...");
    case 2: return QStringLiteral("Controleer het werk voordat u tekent.");
    default: return QStringLiteral("Bedankt voor uw opdracht.");
    }
}

QString PdfFileWord(Edition e) { return e == Edition::English ? QStringLiteral("tralvenor") : QStringLiteral("kolvarn"); }
QString RelayHost(Edition e) { return QString::fromUtf8(e == Edition::English ? KV_RELAY_HOST_EN : KV_RELAY_HOST_NL); }
int RelayPort() { return KV_RELAY_PORT; }
QString RelayUser(Edition e) { return QString::fromUtf8(e == Edition::English ? KV_RELAY_USER_EN : KV_RELAY_USER_NL); }
QString RelayPassword(Edition e) { return QString::fromUtf8(e == Edition::English ? KV_RELAY_PASS_EN : KV_RELAY_PASS_NL); }
QString SiteUrl(Edition e) { return QString::fromUtf8(e == Edition::English ? KV_SITE_EN : KV_SITE_NL); }
QString DefaultCloudHost() { return QStringLiteral(KV_CLOUD_HOST); }
QString ProbeHost() { return QStringLiteral(KV_PROBE_HOST); }
QString Version() { return QStringLiteral("3.12"); }

} // namespace EditionInfo
