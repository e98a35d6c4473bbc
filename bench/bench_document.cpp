#include "SampleTicket.h"
#include "app/KVGlobal.h"
#include "document/KVGrid.h"
#include "document/PdfExport.h"
#include "document/SheetView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

BENCHMARK(BM_FillDocument)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_BuildAfterPlanChange)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_ExportTicketPdf)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

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
