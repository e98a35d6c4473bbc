#pragma once
#include <QString>

class KVGlobal;

// The data files an installed package keeps beside the program: the template database with its
// base columns ("kolvarn.db3") and the three sounds, in share/kolvarn. The program never creates
// a database by itself; on a first start with an empty documents folder it offers these.

// The folder of the installed data files, ending in "/": "<program folder>/../share/kolvarn/"
// when it holds the template database, else the data folder of the configured install prefix
// when that does; empty when neither does (a program run from its build folder).
QString InstalledDataFolder();

// When the documents folder has no kolvarn.db3 and dataFolder holds the template: asks the user
// whether to put the empty database and the sounds into the documents folder, and copies them
// (sounds only where absent; an existing file is never replaced). Returns whether the database
// was put in place. A copy that fails shows its reason and leaves no partial database.
bool OfferInstalledDataFiles(KVGlobal& g, const QString& dataFolder);
