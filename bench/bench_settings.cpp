// Start-up and close with a damaged settings file: for each shape of damage, a 10 MB kvrn.ini,
// the time to read it (ReadSettings), to start the window on it up to its first paint, and to
// write the main settings back as closing the window does. The healthy shape is a settings
// file as the program writes it: the floor the damaged shapes are measured against.
//
//   bench_settings [--benchmark_filter=...]
//   bench_settings --make=<shape> <folder>  writes that shape's kvrn.ini into the folder
//   bench_settings --start-window=<folder>  starts the window once on that folder and exits
//                                           (for a whole-process timer)
#include "app/KVGlobal.h"
#include "app/SettingsStore.h"
#include "app/TFMain.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstring>
#include <functional>
#include <map>
#include <random>

namespace {

constexpr int kSize = 10 * 1024 * 1024;

const QByteArray kHealthy = "[INST]\nschaal=1\nunit=3\nmonteur=Jan\nemail=kantoor@example.org\nbon=20210005\nwerk=45,5\n"
                            "over=60\nreis=30\nkm=0,35\nbtw=21\nauto=1\nprijsinc=0\nmaxgebruikt=13\nmaxnodig=0\ncorrectie=0\n"
                            "[MAIL]\nport=587\nsmtp=smtp.example.org\nuser=u\nww=geheim\nreply=r@example.org\nStd=1\n"
                            "[mailtekst]\ncount=3\nregel0=Beste klant,\nregel1=\nregel2=Met vriendelijke groet\n"
                            "[CLOUD]\nUser=acme\nWW=pw\nServer=127.0.0.1\n"
                            "[BRANCHE]\ntaal=4\nvaluta=\xE2\x82\xAC\nafstand=Km\n"
                            "[SYNC]\nDEV0=Kantoor\nACT0=1\nDEV1=Bus 1\nACT1=1\n";

// Lines made by line(i) until the file has kSize bytes.
QByteArray repeated(QByteArray head, const std::function<QByteArray(int)>& line)
{
    head.reserve(kSize + 64);
    for (int i = 0; head.size() < kSize; ++i)
        head += line(i);
    return head;
}

const std::map<std::string, std::function<QByteArray()>>& shapes()
{
    static const std::map<std::string, std::function<QByteArray()>> all = {
        {"healthy", [] { return kHealthy; }},
        // Half a million lines of mail text.
        {"mail_lines", [] {
             QByteArray head = kHealthy;
             head.replace("count=3", "count=2000000");
             head += "[mailtekst]\n";
             return repeated(head, [](int i) { return "regel" + QByteArray::number(i + 3) + "=tekst\n"; });
         }},
        // A count near 2^31 with one line far out, and the rest of the file comments.
        {"huge_count", [] {
             QByteArray head = kHealthy;
             head.replace("count=3", "count=2147483647\nregel2147483646=x");
             return repeated(head, [](int) { return QByteArray("; ") + QByteArray(60, '-') + "\n"; });
         }},
        // A block of NUL bytes in the middle, as a crash leaves one.
        {"nul_block", [] {
             QByteArray file = kHealthy.left(kHealthy.indexOf("[CLOUD]"));
             file += QByteArray(kSize - kHealthy.size(), '\0');
             return file + kHealthy.mid(kHealthy.indexOf("[CLOUD]"));
         }},
        // One value of 10 MB.
        {"one_line", [] { return kHealthy + "[PRO]\nbedrijf=" + QByteArray(kSize, 'x') + "\n"; }},
        // Bytes that are no text at all.
        {"random_bytes", [] {
             std::mt19937 random(7);
             QByteArray file(kSize, Qt::Uninitialized);
             for (char& c : file)
                 c = char(random());
             return file;
         }},
        // Headers only.
        {"sections", [] { return repeated(kHealthy, [](int i) { return "[s" + QByteArray::number(i) + "]\n"; }); }},
        // A section with a million keys nobody reads.
        {"inst_keys", [] {
             return repeated(kHealthy + "[INST]\n", [](int i) { return "k" + QByteArray::number(i) + "=v\n"; });
         }},
        // One key a million times.
        {"same_key", [] { return repeated(kHealthy + "[MAIL]\n", [](int i) { return "ww=w" + QByteArray::number(i) + "\n"; }); }},
    };
    return all;
}

void writeShape(const std::string& shape, const QString& folder)
{
    QFile f(folder + QStringLiteral("/kvrn.ini"));
    if (!shapes().count(shape) || !f.open(QIODevice::WriteOnly) || f.write(shapes().at(shape)()) < 0)
        qFatal("cannot write the settings file");
}

struct Folder {
    QTemporaryDir dir;
    QString path() const { return dir.path() + QLatin1Char('/'); }
    explicit Folder(const std::string& shape) { writeShape(shape, dir.path()); }
};

void quiet(KVGlobal& g) { g.seams.showMessage = [](const QString&) {}; }

void BM_ReadSettings(benchmark::State& state, const std::string& shape)
{
    Folder folder(shape);
    KVGlobal g(Edition::Dutch, folder.path());
    for (auto _ : state)
        ReadSettings(g);
    state.counters["mail_lines"] = double(g.settings.mailtekst.size());
}

// The bare cost of having the file in memory: what no reader can go below.
void BM_ReadFileBytes(benchmark::State& state, const std::string& shape)
{
    Folder folder(shape);
    for (auto _ : state) {
        QFile f(folder.path() + QStringLiteral("kvrn.ini"));
        f.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(f.readAll());
    }
}

void startWindow(const QString& folder)
{
    TFMain window(folder, Edition::Dutch, quiet);
    window.show();
    window.repaint();
}

void BM_StartWindow(benchmark::State& state, const std::string& shape)
{
    Folder folder(shape);
    for (auto _ : state)
        startWindow(folder.path());
}

// Closing the window writes the main settings: one save, whatever the file holds.
void BM_WriteMainSettings(benchmark::State& state, const std::string& shape)
{
    Folder folder(shape);
    KVGlobal g(Edition::Dutch, folder.path());
    quiet(g);
    ReadSettings(g);
    for (auto _ : state)
        WriteMainSettings(g);
}

void registerAll()
{
    for (const auto& [name, make] : shapes()) {
        benchmark::RegisterBenchmark(("BM_ReadFileBytes/" + name).c_str(), BM_ReadFileBytes, name)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_ReadSettings/" + name).c_str(), BM_ReadSettings, name)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_StartWindow/" + name).c_str(), BM_StartWindow, name)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_WriteMainSettings/" + name).c_str(), BM_WriteMainSettings, name)
            ->Unit(benchmark::kMillisecond);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--make=", 7) == 0 && i + 1 < argc) {
            writeShape(argv[i] + 7, QString::fromLocal8Bit(argv[i + 1]));
            return 0;
        }
        if (std::strncmp(argv[i], "--start-window=", 15) == 0) {
            startWindow(QString::fromLocal8Bit(argv[i] + 15) + QLatin1Char('/'));
            return 0;
        }
    }
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
