#pragma once
#include <QDate>
#include <QString>
#include <QStringList>
#include <array>

class KVGlobal;
class Table;
struct Settings;
struct TBon;

// The operations that move the current ticket (KVGlobal::bon) between memory and its bon row.
// They change no widget: what the menus show afterwards comes back as TicketDetails, and
// paging is left to the window.

// The detail texts a new or loaded ticket puts on the main menu and the Specificatie page.
struct TicketDetails {
    QString algemeen;       // ListBoxItemAlgemeen
    QString type;           // ListBoxItemType
    QString ondertekening;  // ListBoxItemOndertekening
    std::array<QString, 8> dag; // ListBoxItemDag1 .. ListBoxItemDag7 (index 0 unused)
};

struct LoadResult {
    bool found = false;          // false: no row had the id, nothing changed
    bool maximaChanged = false;  // INST/maxgebruikt or maxnodig changed and the document was rebuilt
    TicketDetails details;
};

// The detail of a menu item with nothing to show.
QString NoDetail();

// The next ticket number, unit "-" counter; the counter is raised and written to kvrn.ini at
// once, so the number is used up whether or not the ticket is ever stored. A unit outside
// 0..1000 or a counter that is negative or cannot be raised gives no number: the user is told
// so and the action ends (KVAbort).
QString UseTicketNumber(KVGlobal& g);

// SBNewClick without its paging: a new current ticket with the next number.
TicketDetails NewBon(KVGlobal& g);
// Makes the bon row with this id the current ticket.
LoadResult LoadBon(KVGlobal& g, const QString& id);
// Writes the current ticket into its row, appending one when its id is not found.
void StoreBon(KVGlobal& g);
// StoreBon, then the push of a signed ticket to the other units, with its sound once it went
// out (it waits in the outbox while it cannot). Returns whether it was handed on for sending.
// The window shows the main page afterwards.
bool FinishBon(KVGlobal& g);
// Appends a duplicate of the row with this id under a new number; the current ticket stays.
// Returns false (and uses no number) when there is no such row.
bool CopyBon(KVGlobal& g, const QString& id);
// Deletes the rows at positions first .. last of the bon cursor (0-based, in its order).
void DeleteBonRows(KVGlobal& g, int first, int last);

// Start-up: the two signature images of the ticket, blank, of the pads' size.
void CreateSignatureImages(KVGlobal& g);

// "DD-MM-YYYY": day from characters 1-2, month 4-5, year 7-10. Throws KVError for any text
// that does not give a date that way.
QDate ParseDatum(const QString& text);
QString FormatDatum(const QDate& date);

// The name of kind of work k (1..10): the captions of the kind items for 1..6, twd for 7..10.
QString TypeText(const KVGlobal& g, int k);
// TypeText of every ticked kind, each followed by one blank.
QString TypeSummary(const KVGlobal& g);
// A day item's detail after a load: its date when the day has any hours or kilometres.
QString DayDetail(const TBon& bon, int day);

// The parts lines of a ticket in the 13 column groups of a bon row (or of a row with the same
// columns): numodd and numnodig, the used lines from group 1, the needed lines after them,
// null in the groups left over. The read holds the counts inside the 13 groups, sets bedrag
// of the used lines and clears the lines past the counts.
void WritePartsLines(Table& t, const TBon& b);
void ReadPartsLines(const Table& t, TBon& b);

// Lines as stored (each followed by CR LF) and back.
QString JoinLines(const QStringList& lines);
QStringList SplitLines(const QString& text);

// Widens INST/maxgebruikt and maxnodig (sum 13) so that a ticket with these counts fits.
// Returns whether they changed.
bool AdjustMaxima(Settings& settings, int numodd, int numnodig);
