#pragma once
#include <QLoggingCategory>
#include <QString>

// The program's log: one category per subsystem, written to a size-capped file in the XDG state
// folder (~/.local/state/kolvarn/kolvarn.log, the last few files kept) and, with --verbose, to
// standard error as well. Whatever fails quietly (a cloud error kept from the user, a mail the
// server refused, a store that did not open) leaves one line here saying what and why.
// Passwords are never logged; as a second guard, every secret handed to AddSecret is masked in
// whatever line would carry it.
Q_DECLARE_LOGGING_CATEGORY(logApp)
Q_DECLARE_LOGGING_CATEGORY(logStore)
Q_DECLARE_LOGGING_CATEGORY(logSettings)
Q_DECLARE_LOGGING_CATEGORY(logCloud)
Q_DECLARE_LOGGING_CATEGORY(logMail)
Q_DECLARE_LOGGING_CATEGORY(logDocument)

namespace Log {
// The log folder: $XDG_STATE_HOME/kolvarn/, else ~/.local/state/kolvarn/ (ends in "/").
QString DefaultFolder();
// From now on every message of the process goes to folder + "kolvarn.log" (created with mode
// 0600), which is rotated to kolvarn.log.1 .. .3 once it holds more than maxBytes. With verbose,
// debug messages are logged too and every line is also written to standard error. A folder that
// cannot be written leaves the messages on standard error, as without a log.
void Install(const QString& folder, bool verbose, qint64 maxBytes = 1024 * 1024);
// Back to Qt's own handler (tests).
void Uninstall();
// Masks this text ("***") in every later line. Texts shorter than 4 characters are not masked:
// they would blot out ordinary words.
void AddSecret(const QString& secret);
// The current log file, empty before Install.
QString FilePath();
}
