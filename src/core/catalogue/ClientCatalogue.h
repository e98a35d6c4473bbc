#pragma once
#include "CursorModel.h"

#include <QString>

class KVGlobal;
class Table;
struct Settings;

// The values of the client page, in the order of its controls.
struct ClientForm {
    QString naam, contactpers, email, adres, pc, plaats, land, telnr, mobnr; // Algemeen
    QString debnr, btwnr;                                                   // Financieel
    bool prijsinc = false; // "Inc" chosen: rates include VAT
    bool autocomp = false;
    double uurprijswerk = 0, uurprijsover = 0, uurprijsreis = 0, kmprijs = 0, percob = 0;

    bool operator==(const ClientForm&) const = default;
};

// The texts that a picked client puts into the general page of the ticket editor.
struct PickedClient {
    QString opdrachtgever, contactpers, email;
};

namespace ClientCatalogue {

// Ranges of the number boxes of the client page.
constexpr double MaxRate = 100000;
constexpr double MaxVat = 100;

QList<GridColumn> GridColumns();

// "Laden": the current client, or an empty page on an empty catalogue. Clears
// NewCatalogueClient and remembers the row (LoadedClientRow), so that the next confirmation
// edits the loaded client.
ClientForm Load(KVGlobal& g);

// The add button: an empty page with the default rates. Sets NewCatalogueClient.
ClientForm Add(KVGlobal& g);

// "OK" on the client page, step one, only when the client is picked for the current ticket
// (ClientCatalogueMode false): the client's address and rates go into the ticket; the
// returned texts are for the ticket's general page, which takes them over when confirmed.
PickedClient CopyIntoTicket(KVGlobal& g, const ClientForm& form);

// "OK" on the client page, step two: the client is stored, inserted after the add button,
// otherwise the loaded client is edited (inserted when the catalogue was empty).
void Store(KVGlobal& g, const ClientForm& form);

// The postcode and place of a ticket: postcode, one blank, place.
QString JoinPostcodePlace(const QString& pc, const QString& plaats);

// The row events of OpdrachtgeverTable: a new identifier for a new row, not-synced after an
// edit, and the push to the other units after a store of a local change.
void InstallTableEvents(KVGlobal& g);

} // namespace ClientCatalogue
