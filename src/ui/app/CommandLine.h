#pragma once
#include "app/Edition.h"

#include <QString>

// What the command line chose. The program runs without any option; --help and --version print
// their text and end the process, as does a documents folder that does not exist.
struct CommandLineOptions {
    QString documentsFolder; // the XDG documents folder unless --documents names another
    bool verbose = false;    // --verbose: debug lines too, and the log on standard error
};

// Reads the process's arguments, before the application object exists (so --help and --version
// need no display). Ends the process: exit code 0 after --help/--version, 2 after a wrong
// argument or a missing folder, with the reason on standard error.
CommandLineOptions ParseCommandLine(int argc, char* argv[], Edition edition);
