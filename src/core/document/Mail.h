#pragma once
#include "document/SmtpClient.h"

#include <QString>
#include <QStringList>
#include <functional>

class KVGlobal;
struct TBon;

// Sending the current ticket: its PDF and photos to the office and the client, either through
// the desktop mail program (MAIL/std on) or straight over SMTP.
//
// The PDF export is handed in: it writes the ticket's PDF into the documents folder and returns
// its path. Messages go through the message seam; a connection, login or send error, and an
// attachment that cannot be read, end the action as a KVError carrying its own text.

// How a mail action ended; whatever the user had to see has been shown.
enum class MailOutcome {
    NoPdf,          // no file at the PDF path: stopped without a word
    NoSender,       // MAIL/reply empty, or not one plain address
    NoAddressees,   // neither the office nor the client address is set
    Refused,        // an address or the subject holds a line break, or a recipient is not one
                    // plain address
    MailAppFailed,  // no mail program could be started
    MailAppOpened,  // the mail program shows the filled-in message; the user sends it
    Sent,           // the SMTP server accepted the message
};

using ExportPdfFn = std::function<QString()>;
// Called with true before the blocking SMTP send and with false when it has returned or failed
// (the ui shows a busy cursor meanwhile).
using BusyFn = std::function<void(bool)>;
// Bytes of the message sent so far, of how many, while the SMTP send runs.
using SendProgressFn = SmtpClient::ProgressFn;

// The preview page's mail button.
MailOutcome SBBekijkMailClick(KVGlobal& g, const ExportPdfFn& exportPdf, const BusyFn& busy = {},
                              const SendProgressFn& progress = {});
MailOutcome MailViaMailApp(KVGlobal& g, const ExportPdfFn& exportPdf);
MailOutcome MailViaSmtp(KVGlobal& g, const ExportPdfFn& exportPdf, const BusyFn& busy = {},
                        const SmtpTimeouts& timeouts = {}, const SendProgressFn& progress = {});

// "Bijgesloten afbeeldingen:" and one numbered line per photo, each ended by CR LF; empty
// without photos.
QString PhotoListText(const TBon& bon);

// The parts of the message, the same on both paths.
QString MailSubject(const KVGlobal& g);
QString MailBody(const KVGlobal& g);
// The PDF, then the photo files in order. Throws KVError for a photo that is not a plain file
// name in the documents folder or that does not exist.
QStringList MailAttachments(const KVGlobal& g, const QString& pdfPath);
// The user's own server when any of MAIL/smtp, user, ww is set, else the built-in relay.
SmtpServer MailServer(const KVGlobal& g);

// The desktop mail program that the mail-app path starts, and the production runner for the
// runMailApp seam: starts the program with its argument list (no shell) and returns its exit
// code, -1 when it could not be started. A program still running after a few seconds is a mail
// program in the foreground; it is left running and counts as started.
extern const char* const kMailAppProgram;
int RunDesktopMailApp(const QString& program, const QStringList& args);
