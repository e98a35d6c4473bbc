#pragma once
#include <QString>

// The two editions differ only in a few words, the default language, the built-in footers,
// the file word of the PDF, the mail relay account and the links of the About page.
// The executables pass their compile-time EnglishEdition; the core takes it as a value.
enum class Edition { Dutch, English };

namespace EditionInfo {
QString ProductName(Edition e);    // "KolVarnPro" / "TralVenorPro"
int DefaultLanguageIndex(Edition e); // 4 (Dutch texts) / 1 (English texts)
QString DefaultFooter(Edition e, int n); // n = 1..3
QString PdfFileWord(Edition e);    // "kolvarn" / "tralvenor"
QString RelayHost(Edition e);
int RelayPort();
QString RelayUser(Edition e);
QString RelayPassword(Edition e);
QString SiteUrl(Edition e);
QString DefaultCloudHost();
QString ProbeHost();
QString Version();                 // "3.12"
}
