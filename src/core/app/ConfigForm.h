#pragma once
#include <QImage>
#include <QString>
#include <QStringList>

class KVGlobal;

// The values of the settings page, as its controls hold them. Number boxes hold doubles and
// are rounded (halves to even) where the setting is a whole number.
struct ConfigValues {
    double schaal = 1, unit = 1, bon = 0;
    QString monteur, email;
    bool correctie = false;
    double werk = 0, over = 0, reis = 0, km = 0, btw = 0;
    bool autoComp = true, prijsinc = false;
    double maxgebruikt = 13, maxnodig = 0;
    int taal = 4;
    QString valuta, afstand;
    double port = 0;
    QString smtp, user, ww, reply;
    bool std = true;
    bool mailTlsRequired = false;
};

// The range of a number box; a step stops at the bounds.
struct NumberRange {
    double min = 0, max = 0;
    double Clamp(double v) const { return v < min ? min : (v > max ? max : v); }
};

// The settings page without its widgets: opening, the steppers, the maxima coupling and the
// confirm sequence.
namespace ConfigForm {
// The parts lines of the document, shared by the two maxima.
constexpr int PartsLines = 13;

ConfigValues Open(const KVGlobal& g);
// The ranges of the two maxima, narrowed by the parts lines of the current ticket.
NumberRange MaxUsedRange(const KVGlobal& g);
NumberRange MaxNeededRange(const KVGlobal& g);
// Keeps the sum of the maxima at most 13 after one of them changed.
void MaxUsedChanged(ConfigValues& v);
void MaxNeededChanged(ConfigValues& v);
// One step of a stepper from the value as typed: +-1 (or +-0.1 for the scale) within range.
double Step(double typed, double delta, const NumberRange& range);
// Rounds to the nearest whole number, halves to the even neighbour.
int RoundHalfEven(double v);
// The lines of the standard mail text as the memo holds them; an empty memo has none, and a
// line break at the very end starts no extra line.
QStringList MailTextLines(const QString& memoText);
// Confirms the page (everything but the page switch); returns true when a maximum changed and
// the document rows were rebuilt. A refused write throws KVError and skips what follows.
bool Confirm(KVGlobal& g, const ConfigValues& v);
}

// The company page without its widgets.
struct ProValues {
    QString bedrijf, footer1, footer2, footer3;
    QString user, ww, server;
    bool tlsRequired = false;
    QString ca;
};

namespace ProForm {
// The file the company logo is kept in, inside the documents folder.
inline QString LogoFileName() { return QStringLiteral("logokvpro.jpg"); }

ProValues Open(const KVGlobal& g);
// Confirms the page (everything but the page switch): footers, the logo file, the account,
// the settings file. A refused write throws KVError and skips what follows.
void Confirm(KVGlobal& g, const ProValues& v);
// The "Synchronisatie" row: the page's account values become the in-memory ones (not written,
// CloudSyncEnabled unchanged), then the cloud's connection test runs.
void ConnectionTest(KVGlobal& g, const ProValues& v);
// The logo the document draws now: the image-list item "logo", or the built-in one.
QImage CurrentLogo(KVGlobal& g);
// Loads an image file as the new logo (the image-list item "logo"). A file that is not a
// picture throws KVError with a clear text and keeps the previous logo.
void LoadLogoFile(KVGlobal& g, const QString& path);
// Start-up: loads "logokvpro.jpg" when PRO/logo names it. A missing or unreadable file keeps
// the built-in logo; returns whether the company logo was loaded.
bool LoadLogoAtStartUp(KVGlobal& g);
}

// The About page's texts, which follow the edition, not the chosen language.
struct AboutTexts {
    QStringList memoBeg;
    QString memoInfo0;
    QString review, facebook, site;
};
AboutTexts AboutTextsFor(const KVGlobal& g);
