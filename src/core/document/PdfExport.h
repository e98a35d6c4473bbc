#pragma once
#include <QByteArray>
#include <QString>

class KVGlobal;
class Sheet;

// The path of the ticket's PDF: the documents folder, the edition's file word ("kolvarn" or
// "tralvenor") and the ticket number, ".pdf". Characters of the number that cannot be part of
// a file name (path separators among them) become "_", so the file stays in the folder.
QString TicketPdfPath(const KVGlobal& g);

// The sheet as a one-page A4 PDF (portrait, margins 20/15/20/1 points, fitted to the width,
// fonts embedded, Title and Author "KolVarnPDF"), built in memory.
QByteArray RenderSheetPdf(const Sheet& sheet);

// Writes the current ticket's document to TicketPdfPath and returns that path. The two long
// texts are hard-wrapped for the export and put back afterwards. The file is written beside
// its final name and renamed into place, so a failure leaves any earlier file as it was;
// a failure raises KVError.
QString ExportTicketPdf(KVGlobal& g);
