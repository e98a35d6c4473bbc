#include "SampleTicket.h"
#include "TestSupport.h"
#include "app/KVError.h"
#include "document/Amounts.h"
#include "document/KVGrid.h"
#include "document/PdfExport.h"
#include "document/SheetPainter.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        ADD_FAILURE() << program.toStdString() << " failed: " << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfText(const QString& path) { return run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")}); }

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
}

// The sample ticket, filled as the preview leaves it before a mail asks for the PDF.
struct Sample : TestApp {
    explicit Sample(Edition e = Edition::Dutch) : TestApp(e, false)
    {
        MakeSampleTicket(*g);
        FillDocument(*g);
    }
};

} // namespace

TEST(PdfExport, OneA4PageWithEmbeddedFontsAndTheTicketsTexts)
{
    Sample app;
    KVGlobal& g = *app.g;
    ASSERT_EQ(g.sheet.RowCount(), 53); // the tallest sheet
    const QString path = ExportTicketPdf(g);
    EXPECT_EQ(path, app.docs.file(QStringLiteral("kolvarn1-20200042.pdf")));

    const QString info = run(QStringLiteral("pdfinfo"), {path});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+595(\\.\\d+)? x 842(\\.\\d+)? pts \\(A4\\)"))));
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Title:\\s+KolVarnPDF\\n"))));
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Author:\\s+KolVarnPDF\\n"))));

    const QStringList fonts = run(QStringLiteral("pdffonts"), {path}).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
    ASSERT_FALSE(fonts.isEmpty());
    for (const QString& f : fonts) {
        EXPECT_TRUE(f.contains(QLatin1String("LiberationSans"))) << f.toStdString();
        EXPECT_TRUE(f.contains(QRegularExpression(QStringLiteral("\\s+yes\\s+(yes|no)\\s+(yes|no)\\s+\\d+")))) << f.toStdString();
    }

    const QString text = pdfText(path);
    for (const QString& want : {g.bon.bonnr, AmountText(g.TotalEx), AmountText(g.VatAmount), AmountText(g.TotalInc),
                                g.settings.pro.footer1, g.settings.pro.footer2, g.settings.pro.footer3,
                                QStringLiteral("Bakkerij Groß & Zonen"), QStringLiteral("Noël de Vries"),
                                QStringLiteral("Jürgen Weiß"), QStringLiteral("Totaal Inc"), QStringLiteral("Benodigde onderdelen")})
        EXPECT_TRUE(text.contains(want)) << want.toStdString();
}

TEST(PdfExport, TheEnglishEditionUsesItsOwnWordAndNumbersStayInTheFolder)
{
    Sample app(Edition::English);
    EXPECT_EQ(QFileInfo(ExportTicketPdf(*app.g)).fileName(), QStringLiteral("tralvenor1-20200042.pdf"));
    app.g->bon.bonnr = QStringLiteral("../../etc/x\\y");
    const QFileInfo odd(TicketPdfPath(*app.g));
    EXPECT_EQ(odd.absolutePath() + QLatin1Char('/'), app.docs.path());
    EXPECT_EQ(odd.fileName(), QStringLiteral("tralvenor.._.._etc_x_y.pdf"));
}

// The PDF holds the long texts as far as their blocks show them in the preview (the first
// paragraph of the description, the whole remarks), and leaves the sheet alone.
TEST(PdfExport, TheLongTextsAreWholeInThePdfAndTheSheetStaysAsItWas)
{
    Sample app;
    KVGlobal& g = *app.g;
    const QString before = g.sheet.Text(0, 10);
    const QString text = pdfText(ExportTicketPdf(g)).simplified();
    EXPECT_EQ(g.sheet.Text(0, 10), before);
    for (const QString& lines : {g.bon.werkzh.first(), g.bon.opm.join(QLatin1Char(' '))}) {
        const QStringList words = lines.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        ASSERT_GE(words.size(), 4);
        const QString ending = QStringList(words.mid(words.size() - 4)).join(QLatin1Char(' '));
        EXPECT_TRUE(text.contains(ending)) << ending.toStdString();
    }
}

TEST(PdfExport, ExportingTwiceLeavesOneFileWithTheSecondExport)
{
    Sample app;
    KVGlobal& g = *app.g;
    const QString first = ExportTicketPdf(g);
    g.settings.pro.footer3 = QStringLiteral("Tweede uitvoer");
    FillDocument(g);
    const QString second = ExportTicketPdf(g);
    EXPECT_EQ(first, second);
    EXPECT_EQ(filesIn(app.docs.path()).filter(QStringLiteral(".pdf")), QStringList{QStringLiteral("kolvarn1-20200042.pdf")});
    EXPECT_EQ(filesIn(app.docs.path()).filter(QStringLiteral("kolvarn")).size(), 1); // no temporary file left
    EXPECT_TRUE(pdfText(second).contains(QStringLiteral("Tweede uitvoer")));
}

TEST(PdfExport, AFileThatCannotBeWrittenRaisesAnErrorAndLeavesNothingHalfWritten)
{
    Sample app;
    KVGlobal& g = *app.g;
    // The final name is taken by a folder: the rename at the end fails.
    ASSERT_TRUE(QDir(app.docs.path()).mkdir(QStringLiteral("kolvarn1-20200042.pdf")));
    const QStringList before = filesIn(app.docs.path());
    try {
        ExportTicketPdf(g);
        ADD_FAILURE() << "no error";
    } catch (const KVError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("kolvarn1-20200042.pdf"))) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QStringLiteral("PDF"))) << e.text().toStdString();
    }
    EXPECT_EQ(filesIn(app.docs.path()), before);
    EXPECT_TRUE(QFileInfo(app.docs.file(QStringLiteral("kolvarn1-20200042.pdf"))).isDir());
    EXPECT_EQ(g.sheet.Text(0, 10), g.bon.werkzh.join(QLatin1Char('\n'))); // texts put back after the error too

    // A documents folder that is gone.
    TestApp gone(Edition::Dutch, false);
    KVGlobal lost(Edition::Dutch, gone.docs.file(QStringLiteral("missing")));
    MakeSampleTicket(lost);
    FillDocument(lost);
    EXPECT_THROW(ExportTicketPdf(lost), KVError);
}

TEST(PdfExport, AReadOnlyFolderRaisesAnError)
{
    // Permissions do not bind the superuser; /proc takes no new files from anyone.
    TestApp app(Edition::Dutch, false);
    const bool root = geteuid() == 0;
    const QString folder = root ? QStringLiteral("/proc") : app.docs.path();
    if (!root)
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    KVGlobal g(Edition::Dutch, folder);
    MakeSampleTicket(g);
    FillDocument(g);
    EXPECT_THROW(ExportTicketPdf(g), KVError);
    EXPECT_FALSE(QFileInfo::exists(TicketPdfPath(g)));
    if (!root) {
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        EXPECT_TRUE(filesIn(folder).filter(QStringLiteral("kolvarn")).isEmpty());
    }
}

// A text longer than its block ends in "…" after the last line that shows, and what is cut is
// not in the PDF at all, not even as text hidden by the clip.
TEST(PdfExport, ACutTextEndsInAnEllipsisAndTheCutPartIsNotInThePdf)
{
    TestApp app(Edition::Dutch, false);
    Sheet sheet;
    sheet.Resize(10, 6);
    sheet.SetWordWrap(0, true);
    sheet.Merge(0, 0, 10, 3); // a wrapped block of three rows
    sheet.SetText(0, 0, QStringLiteral("zichtbaar1\nzichtbaar2\nzichtbaar3\nweg4\nweg5 met een heel lange regel die ook "
                                       "nog eens zou moeten omslaan als er ruimte was\nweg6"));
    sheet.Merge(0, 3, 3, 1); // a block that keeps one line
    sheet.SetText(0, 3, QStringLiteral("Begin van een naam die veel te lang is voor dit vak: staartwoord"));
    sheet.SetText(0, 4, QStringLiteral("kort")); // fits: drawn as it is
    const QString path = app.docs.file(QStringLiteral("cut.pdf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(RenderSheetPdf(sheet));
    file.close();

    const QString text = pdfText(path);
    for (const char* shown : {"zichtbaar1", "zichtbaar2", "Begin van", "kort"})
        EXPECT_TRUE(text.contains(QLatin1String(shown))) << shown;
    EXPECT_TRUE(text.contains(QStringLiteral("zichtbaar3 …"))) << text.toStdString();
    for (const char* cut : {"weg4", "weg5", "weg6", "omslaan", "staartwoord"})
        EXPECT_FALSE(text.contains(QLatin1String(cut))) << cut;
    EXPECT_EQ(text.count(QStringLiteral("…")), 2) << text.toStdString();

    // The block's fit says the same.
    const TextFit fit = SheetPainter(sheet).FitText(0, 1, sheet.Text(0, 0));
    EXPECT_EQ(fit.shown, 3);
    EXPECT_GE(fit.lines, 6);
    EXPECT_TRUE(SheetPainter(sheet).FitText(0, 0, QStringLiteral("a\nb\nc")).Fits());
    EXPECT_EQ(SheetPainter(sheet).FitText(0, 0, QString()).lines, 0);
}

// The ticket's own long texts: the description of the sample is longer than its three rows.
TEST(PdfExport, TheTicketsDescriptionIsCutAsTheEditorCountsIt)
{
    Sample app;
    KVGlobal& g = *app.g;
    const TextFit fit = DescriptionFit(g, g.bon.werkzh);
    ASSERT_FALSE(fit.Fits());
    EXPECT_TRUE(RemarksFit(g, g.bon.opm).Fits());
    const QString text = pdfText(ExportTicketPdf(g));
    EXPECT_TRUE(text.contains(QStringLiteral("…"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("onderhoudscontract"))) << "from the cut second paragraph";
    EXPECT_TRUE(text.contains(QStringLiteral("Groeten aan Zoë!"))) << "the remarks fit whole";
}
