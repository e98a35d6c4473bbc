#pragma once
#include "Edition.h"
#include "Settings.h"

#include <QString>
#include <functional>

class KVGlobal;
struct TBon;

namespace SettingsStore {
// The in-memory settings of a fresh installation of this edition (no kvrn.ini yet).
Settings Defaults(Edition edition);
}

// A cloud account name as the account uses it: a leading "qurimsa_" is dropped, a name that
// holds it anywhere else stays as it is.
QString NormaliseCloudUser(const QString& user);

// Start-up: removes the temporary files that killed writers of kvrn.ini and jargon.ini left,
// reads kvrn.ini into g.settings, every key in the order of the file's key list, and
// sets what follows from it: the default prices of g.bon, CloudSyncEnabled and the identifier
// inputs. Then runs connectAtStartUp, the first, silent connection to the company's cloud
// database, when one is given.
void ReadSettings(KVGlobal& g, const std::function<void(KVGlobal&)>& connectAtStartUp = {});

// Start-up, after the terms and the language are applied: the three footers, the name of the
// office slot (slot 0 is always active), and the captions built from translated terms: both
// signature pads and the two distance rows.
void ReadFootersAndCaptions(KVGlobal& g);

// The ticket's prices, VAT and the two switches from the settings' defaults.
void TakeDefaultPrices(TBon& bon, const Settings::Inst& inst);

// The writers. Each writes its keys in one save (a durable replace of the file). When the file
// cannot be written, the file keeps what it had, the user is told so through
// g.seams.ShowMessage, and the writer ends the action with KVAbort.
void WriteMainSettings(const KVGlobal& g);     // INST, MAIL and mailtekst
void WriteRegionalSettings(const KVGlobal& g); // BRANCHE
void WriteCompanySettings(const KVGlobal& g);  // PRO and CLOUD
void WriteSyncSettings(const KVGlobal& g);     // SYNC, slots 0 to 10
void WriteTicketCounter(const KVGlobal& g);    // INST/bon only
