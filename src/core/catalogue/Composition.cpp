#include "Composition.h"

namespace Composition {

const QStringList& Entries(Picker picker)
{
    static const std::array<QStringList, PickerCount> entries = {
        QStringList{"GKW", "KW", "CV", "WW", "Bochten", "T-stuk", "Afsluiters", "Pomp", "Filters", "Flens",
                    "Staf Afsluiters", "Compensator", "HWA", "VWA", "2-wegklep", "3-wegklep", "Kogelafsluiter",
                    "Klepafsluiter", "Vlinderklep", "Verdeler", "Tracing", "Vitaulic", "Luchtkanaal", "Doorvoering",
                    "Uponor leidingen", "Kunstof leidingen", "Elektraleidingen", "Kabelgoot", "PVC leidingen",
                    "Buffervat", "Prefab"},
        QStringList{// pipe diameters
                    "15", "18", "22", "28", "35", "42", "48", "60", "76", "89", "102", "114", "140", "169", "219",
                    "273", "324", "356", "406", "457", "508", "558", "610", "660", "711", "762", "813", "864", "914",
                    // ranges
                    "0-25", "25-50", "50-100", "100-200", "200-500", "500-750", "750-1000",
                    // duct sizes
                    "120x60", "200x60", "300x60", "400x60", "500x60",
                    // ranges in mm
                    "15-50mm", "50-89mm", "89-114mm", "114-168mm", "168-219mm",
                    // vessel volumes
                    "150 ltr", "200 ltr", "250 ltr", "300 ltr", "350 ltr", "400 ltr", "450 ltr", "500 ltr", "550 ltr",
                    "600 ltr", "650 ltr", "700 ltr", "750 ltr", "800 ltr", "850 ltr", "900 ltr", "950 ltr", "1000 ltr"},
        QStringList{"10", "13", "19", "25", "30", "35", "40", "45", "50", "55", "60", "65", "70", "75", "80", "85",
                    "90", "95", "100"},
        QStringList{"40", "56", "63", "80", "100", "110", "125", "140", "160", "180", "200", "250", "300", "350",
                    "400", "450", "500", "550", "600", "650", "700", "750", "800"},
        // "Wol rol " and "Soundac " carry a trailing blank.
        QStringList{"Elastomeer", "Elastomeer SH", "Elastomeer HT", "Elastomeer plaat", "Wol Alu folie", "Wol kaal",
                    "Wol rol ", "Lood", "Sonocool", "Baryfol", "Soundac ", "ABS", "Pir", "Kooltherm", "Verf", "Pasta",
                    "Tracing", "Umanchet", "Acrylaatkit", "Grijze kit", "Multidisc", "Matras", "BW plaat"},
        QStringList{"Aluminiumplaat", "Isogenopak", "Eindmanchet", "Mylarfolie"},
    };
    return entries[picker];
}

QString Compose(const std::array<QString, PickerCount>& chosen)
{
    QStringList parts;
    for (const QString& value : chosen)
        parts << (value.isEmpty() ? QStringLiteral(".") : value);
    return parts.join(QLatin1Char('/'));
}

bool IsComposedForFirm(const QString& bedrijf, const QString& omschr)
{
    return ShowsPickers(bedrijf) && omschr.count(QLatin1Char('/')) == 5;
}

} // namespace Composition
