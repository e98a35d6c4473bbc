#include "SampleTicket.h"
#include "TestSupport.h"
#include "app/KVError.h"
#include "document/Amounts.h"
#include "document/KVGrid.h"
#include "document/PdfExport.h"

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
