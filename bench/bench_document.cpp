#include "SampleTicket.h"
#include "app/KVGlobal.h"
#include "document/KVGrid.h"
#include "document/PdfExport.h"
#include "document/SheetPainter.h"
#include "document/SheetView.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstring>
#include <iostream>

namespace {

struct Fixture {
    QTemporaryDir dir;
    KVGlobal g{Edition::Dutch, dir.path()};
    Fixture() { MakeSampleTicket(g); FillDocument(g); }
};

void BM_FillDocument(benchmark::State& state)
{
    Fixture f;
    for (auto _ : state)
        FillDocument(f.g);
}

void BM_BuildAfterPlanChange(benchmark::State& state)
{
    Fixture f;
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        f.g.MaxUsedRows() = flip ? 13 : 8;
        f.g.MaxNeededRows() = flip ? 0 : 5;
        ClearDocument(f.g);
        PlanDocumentRows(f.g);
        BuildDocument(f.g);
    }
}

void BM_ExportTicketPdf(benchmark::State& state)
{
    Fixture f;
    QString path;
    for (auto _ : state)
        path = ExportTicketPdf(f.g);
    state.counters["pdf_bytes"] = double(QFileInfo(path).size());
}

// The floors of the export: the same page drawn straight onto a bare QPdfWriter, with the same
// page setup, every block of the same 53 x 10 grid with its shade, border and text (the cell's
// font and alignment, wrapped in column 0), with or without the images, and none of the
// sheet's own rules.
QByteArray barePdf(const Sheet& sheet, bool images)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 15, 20, 1),
                                     QPageLayout::Point));
    QPainter p(&writer);
    const qreal scale = writer.pageLayout().paintRect(QPageLayout::Point).width() / sheet.WidthUnits() * (1200 / 72.0);
    p.scale(scale, scale);
    p.setPen(QPen(QColor(0xB4, 0xB4, 0xB4), 0.5));
    for (int r = 0; r < sheet.RowCount(); ++r)
        for (int c = 0; c < sheet.ColumnCount(); ++c) {
            const SheetCell& cell = sheet.Cell(c, r);
            if (cell.IsCovered())
                continue;
            const QRectF rect(c * Sheet::ColumnWidth, r * Sheet::RowHeight, cell.colSpan * Sheet::ColumnWidth,
                              cell.rowSpan * Sheet::RowHeight);
            if (cell.color != 0)
                p.fillRect(rect, QColor::fromRgba(cell.color));
            const QImage image = cell.imageName.isEmpty() ? cell.image : sheet.images.Find(cell.imageName);
            if (images && !image.isNull())
                p.drawImage(rect, image);
            QString text;
            const QString inlineImage = SheetPainter::SplitInlineImage(cell.text, &text);
            QRectF textRect = rect.adjusted(2, 1, -2, -1);
            if (images && !inlineImage.isEmpty()) {
                p.drawImage(QRectF(textRect.topLeft(), QSizeF(12, 12)), sheet.images.Find(inlineImage));
                textRect.setLeft(textRect.left() + 15);
            }
            if (!text.isEmpty()) {
                const SheetAlign a = sheet.DisplayAlignment(c, r);
                const int align = a == SheetAlign::Center ? Qt::AlignHCenter : a == SheetAlign::Trailing ? Qt::AlignRight : Qt::AlignLeft;
                p.setFont(SheetPainter::CellFont(cell));
                p.drawText(textRect, align | Qt::AlignVCenter | (sheet.WordWrap(c) ? Qt::TextWordWrap : 0), text);
            }
            p.drawRect(rect);
        }
    p.end();
    return buffer.data();
}

// state.range(0): 1 with the images (logo, signatures, checkboxes), 0 the text grid alone.
void BM_BarePdfWriterGrid(benchmark::State& state)
{
    Fixture f;
    QByteArray pdf;
    for (auto _ : state)
        pdf = barePdf(f.g.sheet, state.range(0) != 0);
    state.counters["pdf_bytes"] = double(pdf.size());
}

// The export without its file: the drawing and the PDF the writer builds in memory.
void BM_RenderSheetPdf(benchmark::State& state)
{
    Fixture f;
    QByteArray pdf;
    for (auto _ : state)
        pdf = RenderSheetPdf(f.g.sheet);
    state.counters["pdf_bytes"] = double(pdf.size());
}

BENCHMARK(BM_FillDocument)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_BuildAfterPlanChange)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_ExportTicketPdf)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_RenderSheetPdf)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_BarePdfWriterGrid)->ArgName("images")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

int writeSample(const QString& outDir)
{
    Fixture f;
    QDir().mkpath(outDir);
    const QString pdf = ExportTicketPdf(f.g);
    const QString target = QDir(outDir).filePath(QStringLiteral("sample-ticket.pdf"));
    QFile::remove(target);
    if (!QFile::copy(pdf, target))
        return 1;
    // The preview at the width the PDF's sheet has at 80 dpi (555 points).
    SheetView view(f.g);
    const int width = qRound(555.0 * 80 / 72);
    view.resize(width, qCeil(f.g.sheet.HeightUnits() * width / f.g.sheet.WidthUnits()));
    FillDocument(f.g);
    if (!view.grab().save(QDir(outDir).filePath(QStringLiteral("sample-preview.png"))))
        return 1;
    std::cout << target.toStdString() << "\n";
    return 0;
}

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
    QApplication app(argc, argv);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--sample-out=", 13) == 0)
            return writeSample(QString::fromLocal8Bit(argv[i] + 13));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
