#pragma once
#include <QString>

class KVGlobal;

// Start-up steps 4 and 5 and the settings page's language switch: the user's terms, then the
// language, then the captions built from both.
void LoadTerms(KVGlobal& g);
void ApplyLanguage(KVGlobal& g, const QString& code);
// Applies the language chosen by BRANCHE/taal; an unknown index applies none.
void ApplyLanguageIndex(KVGlobal& g, int index);
// The distance captions built from BRANCHE/afstand.
void SetDistanceCaptions(KVGlobal& g);
// First character upper case, the rest lower case, by the locale's rules.
QString CapitalizeFirst(const QString& text);
