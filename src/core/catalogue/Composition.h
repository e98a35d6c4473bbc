#pragma once
#include <QString>
#include <QStringList>
#include <array>

// The pipe-insulation pickers of the part page. They are offered to one firm only, whose
// catalogue never takes in a composed description.
namespace Composition {

// The six pickers in the order of the page and of the composed text.
enum Picker { Leiding, Maat, Dikte, Rond, Materiaal, Afwerking, PickerCount };

// The company name that gets the pickers (exact, case-sensitive).
inline const QString& PickerFirm()
{
    static const QString firm = QStringLiteral("Pelmont");
    return firm;
}
inline bool ShowsPickers(const QString& bedrijf) { return bedrijf == PickerFirm(); }

// The entries of one picker, in order.
const QStringList& Entries(Picker picker);

// Leiding/Maat/Dikte/Rond/Materiaal/Afwerking from the chosen entries; an empty choice is ".".
QString Compose(const std::array<QString, PickerCount>& chosen);

// A description the firm's catalogue refuses: the firm uses the pickers and the text holds
// exactly the five "/" of a composed description.
bool IsComposedForFirm(const QString& bedrijf, const QString& omschr);

} // namespace Composition
