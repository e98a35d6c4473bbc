#include "PdfExport.h"
#include "app/Log.h"

#include "SheetPainter.h"
#include "app/KVError.h"
#include "app/KVGlobal.h"

#include <QBuffer>
#include <QDateTime>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

constexpr int kResolution = 1200;            // device units per inch of the writer
constexpr qreal kPointsPerInch = 72.0;
const QMarginsF kMargins(20, 15, 20, 1);     // points: left, top, right, bottom
const QString kDocumentInfo = QStringLiteral("KolVarnPDF");

QByteArray pdfString(const QString& s)
{
    // A literal string of printable ASCII; anything else as UTF-16BE in hex.
    bool ascii = true;
    for (QChar c : s)
        ascii = ascii && c.unicode() >= 0x20 && c.unicode() < 0x7f;
    if (ascii) {
        QByteArray out = s.toLatin1();
        out.replace('\\', "\\\\").replace('(', "\\(").replace(')', "\\)");
        return '(' + out + ')';
    }
    QByteArray utf16("\xFE\xFF", 2);
    for (QChar c : s) {
        utf16.append(char(c.unicode() >> 8));
        utf16.append(char(c.unicode() & 0xff));
    }
    return '<' + utf16.toHex() + '>';
}

// The writer has no Author entry, so a small incremental update replaces the document
// information: one new object, its cross-reference section and a trailer pointing back at
// the writer's own (PDF 1.4, section 3.4.5).
void setDocumentInfo(QByteArray& pdf, const QString& title, const QString& author)
{
    const qsizetype startxref = pdf.lastIndexOf("startxref");
    const qsizetype trailer = pdf.lastIndexOf("trailer");
    if (startxref < 0 || trailer < 0 || trailer > startxref)
        return;
    const QByteArray trailerText = pdf.mid(trailer, startxref - trailer);
    const auto size = QRegularExpression(QStringLiteral("/Size\\s+(\\d+)")).match(QString::fromLatin1(trailerText));
    const auto root = QRegularExpression(QStringLiteral("/Root\\s+(\\d+\\s+\\d+\\s+R)")).match(QString::fromLatin1(trailerText));
    const auto id = QRegularExpression(QStringLiteral("/ID\\s*(\\[[^\\]]*\\])")).match(QString::fromLatin1(trailerText));
    const auto prev = QRegularExpression(QStringLiteral("startxref\\s+(\\d+)")).match(QString::fromLatin1(pdf.mid(startxref)));
    if (!size.hasMatch() || !root.hasMatch() || !prev.hasMatch())
        return;
    const int object = size.captured(1).toInt();
    if (!pdf.endsWith('\n'))
        pdf.append('\n');
    const qsizetype offset = pdf.size();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    pdf += QByteArray::number(object) + " 0 obj\n<<\n/Title " + pdfString(title) + "\n/Author " + pdfString(author)
         + "\n/Creator " + pdfString(author) + "\n/Producer " + pdfString(QStringLiteral("Qt ") + QLatin1String(qVersion()))
         + "\n/CreationDate (D:" + now.toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + "Z)\n>>\nendobj\n";
    const qsizetype xref = pdf.size();
    pdf += "xref\n" + QByteArray::number(object) + " 1\n" + QByteArray::number(offset).rightJustified(10, '0')
         + " 00000 n \n";
    pdf += "trailer\n<<\n/Size " + QByteArray::number(object + 1) + "\n/Root " + root.captured(1).toLatin1()
         + "\n/Info " + QByteArray::number(object) + " 0 R\n";
    if (id.hasMatch())
        pdf += "/ID " + id.captured(1).toLatin1() + "\n";
    pdf += "/Prev " + prev.captured(1).toLatin1() + "\n>>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
}

QString safeFileComponent(QString s)
{
    for (QChar& c : s)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c == QLatin1Char('*')
            || c == QLatin1Char('?') || c == QLatin1Char('"') || c == QLatin1Char('<') || c == QLatin1Char('>')
            || c == QLatin1Char('|') || c.unicode() < 0x20)
            c = QLatin1Char('_');
    return s;
}

struct UpdateBracket {
    Sheet& sheet;
    explicit UpdateBracket(Sheet& s) : sheet(s) { sheet.BeginUpdate(); }
    ~UpdateBracket() { sheet.EndUpdate(); }
};

// Puts the preview's texts back however the export ends.
}

QString TicketPdfPath(const KVGlobal& g)
{
    return g.DocumentsFolder() + EditionInfo::PdfFileWord(g.edition) + safeFileComponent(g.bon.bonnr)
         + QStringLiteral(".pdf");
}

QByteArray RenderSheetPdf(const Sheet& sheet)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, kMargins, QPageLayout::Point));
        writer.setTitle(kDocumentInfo);
        writer.setCreator(kDocumentInfo);
        QPainter painter;
        if (!painter.begin(&writer))
            throw KVError(QStringLiteral("PDF kan niet worden opgebouwd."));
        // Fit to the page width: the printable width over the width of the columns.
        const qreal printable = writer.pageLayout().paintRect(QPageLayout::Point).width();
        const qreal scale = printable / sheet.WidthUnits() * (kResolution / kPointsPerInch);
        SheetPainter(sheet).Paint(painter, scale, SheetPainter::Target::Print);
        painter.end();
    }
    QByteArray pdf = buffer.data();
    setDocumentInfo(pdf, kDocumentInfo, kDocumentInfo);
    return pdf;
}

QString ExportTicketPdf(KVGlobal& g)
{
    const QString path = TicketPdfPath(g);
    // The sheet is drawn as the preview shows it: the painter wraps the long texts to their
    // blocks, so the PDF holds exactly the lines the preview holds.
    const QByteArray pdf = RenderSheetPdf(g.sheet);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit()) {
        qCWarning(logDocument).noquote() << "PDF not written:" << path << "-" << file.errorString();
        throw KVError(g.Translate(QStringLiteral("Kan het PDF-bestand niet schrijven:")) + QLatin1Char(' ') + path
                      + QStringLiteral(" (") + file.errorString() + QLatin1Char(')'));
    }
    return path;
}
