// The desktop's two heavy paints: the wallpaper over a full-HD screen, and a
// list panel's grid over a table of a million records (first screen, the
// jump to the last record, the memory the grid costs).
//
//   build-bench/bin/bench_desktop [--grid_records=N] [--grid_dir=DIR] [benchmark flags]
//
// The table is written once before any benchmark runs, into DIR when given
// (and kept there for the next run) or a temporary folder.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "DBGrid.h"
#include "DataSource.h"
#include "Rss.h"
#include "Table.h"
#include "Wallpaper.h"
#include "paradox/TableWriter.h"

namespace {

using orba::desktop::TTamberlyDBGrid;
using orba::desktop::TWallpaper;
using orba::desktop::WallpaperPicture;

int g_records = 1000000;
QString g_dir;

// The columns a clients panel shows.
constexpr orba::data::FieldSpec kFields[] = {{"Code", 'A', 10, true, false},
                                             {"Name", 'A', 40, false, false},
                                             {"City", 'A', 30, false, false},
                                             {"Phone", 'A', 20, false, false},
                                             {"Balance", '$', 0, false, false}};
const orba::data::TableSpec kSpec{"Ar_Table", "cli.DB", 1, kFields};

const char* const kCities[] = {"Montréal", "Québec", "Sherbrooke",    "Gatineau",
                               "Toronto",  "Ottawa", "Trois-Rivières"};

std::string code(int i) {
  char text[16];
  std::snprintf(text, sizeof text, "C%07d", i);
  return text;
}

// Writes the table unless the folder holds one of the right size already.
bool prepareTable(const QString& dir, int records) {
  orba::data::Table table("Ar_Table");
  table.declare(kSpec);
  table.setDatabaseName(dir);
  if (QFileInfo::exists(table.filePath())) {
    table.open();
    if (table.recordCount() == records) return true;
    table.close();
    QDir(dir).remove("cli.DB");
    QDir(dir).remove("cli.PX");
  }
  table.createTable();
  std::unique_ptr<orba::pdx::TableWriter> writer;
  if (!orba::pdx::TableWriter::Open(table.filePath().toStdString(), {}, &writer).ok()) return false;
  for (int i = 0; i < records; ++i) {
    const std::string name =
        (i % 3 ? "Société " : "Client ") + std::to_string(static_cast<int64_t>(i) * 7919 % 1000003);
    orba::pdx::Status s =
        writer->Insert({orba::pdx::Value::Text(code(i)), orba::pdx::Value::Text(name),
                        orba::pdx::Value::Text(kCities[i % 7]),
                        orba::pdx::Value::Text("514-555-" + std::to_string(1000 + i % 9000)),
                        orba::pdx::Value::Double((i % 100000) / 100.0)});
    if (!s.ok()) return false;
  }
  return writer->Commit().ok();
}

// One list panel: the table opened, the grid shown at 800 x 600 and painted.
struct Panel {
  orba::data::Table table{"Ar_Table"};
  orba::data::DataSource source{"Ar_DataSource", &table};
  TTamberlyDBGrid grid;
  void open() {
    table.declare(kSpec);
    table.setDatabaseName(g_dir);
    table.open();
    grid.resize(800, 600);
    grid.setDataSource(&source, "Ar_DataModule.Ar_DataSource");
    grid.show();
    paint();
  }
  // What the screen would show: the grid's pixels, laid out and painted
  // now rather than on the next pass of the event loop.
  void paint() {
    shot = grid.grab().toImage();
    benchmark::DoNotOptimize(shot.constBits());
  }
  void jumpToLast() {
    QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
    paint();
  }
  QImage shot;
};

// bytes_read: what the process read while the panel opened and painted, in
// the last iteration (the fonts and styles the first one loads are read by
// then), so essentially the table's header, index and shown blocks.
void BM_GridFirstScreen(benchmark::State& state) {
  int rowsRead = 0;
  long long bytesRead = -1;
  for (auto _ : state) {
    state.PauseTiming();
    auto panel = std::make_unique<Panel>();
    const long long before = orba::bench::ReadBytesSoFar();
    state.ResumeTiming();
    panel->open();
    state.PauseTiming();
    bytesRead = before < 0 ? -1 : orba::bench::ReadBytesSoFar() - before;
    rowsRead = panel->grid.tableModel()->rowsRead();
    panel.reset();
    state.ResumeTiming();
  }
  state.counters["records"] = g_records;
  state.counters["rows_read"] = rowsRead;
  state.counters["bytes_read"] = static_cast<double>(bytesRead);
}
BENCHMARK(BM_GridFirstScreen)->Unit(benchmark::kMillisecond);

void BM_GridJumpToLast(benchmark::State& state) {
  int rowsRead = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto panel = std::make_unique<Panel>();
    panel->open();
    state.ResumeTiming();
    panel->jumpToLast();
    state.PauseTiming();
    if (panel->table.recNo() != g_records - 1) state.SkipWithError("the current record is not the last one");
    rowsRead = panel->grid.tableModel()->rowsRead();
    panel.reset();
    state.ResumeTiming();
  }
  state.counters["rows_read"] = rowsRead;
}
BENCHMARK(BM_GridJumpToLast)->Unit(benchmark::kMillisecond);

// Memory: resident size before the panel opens (after a small grid has been
// shown once, see probeMemory), and the highest it reaches
// while the grid shows its first screen, jumps to the last record and pages
// back up twenty screens (so the row cache fills). Measured in a process of
// its own (this program with --grid_memory_probe): in this one, the heap
// that earlier benchmarks freed would hide what the panel takes.
struct MemoryProbe {
  long extraKb = -1;
  int rowsRead = 0;
};

MemoryProbe probeMemory() {
  MemoryProbe probe;
  {
    // What any first table on screen costs once per process (fonts, the
    // style, the paint buffers), paid by a grid over a few rows first, so
    // that the figure is what the large table adds.
    QStandardItemModel few(30, 5);
    QTableView warmUp;
    warmUp.setModel(&few);
    warmUp.resize(800, 600);
    warmUp.show();
    QImage shot = warmUp.grab().toImage();
    benchmark::DoNotOptimize(shot.constBits());
  }
  const long before = orba::bench::ReadRss().rss_kb;
  orba::bench::ResetPeakRss();
  Panel panel;
  panel.open();
  panel.jumpToLast();
  for (int i = 0; i < 20; ++i) {
    QTest::keyClick(&panel.grid, Qt::Key_PageUp);
    panel.paint();
  }
  probe.rowsRead = panel.grid.tableModel()->rowsRead();
  probe.extraKb = orba::bench::ReadRss().hwm_kb - before;
  return probe;
}

void BM_GridMemory(benchmark::State& state) {
  MemoryProbe probe;
  for (auto _ : state) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {"--grid_memory_probe", "--grid_dir=" + g_dir,
                                                          "--grid_records=" + QString::number(g_records)});
    if (!child.waitForFinished(120000) || child.exitCode() != 0) {
      state.SkipWithError("the memory probe failed");
      return;
    }
    const QStringList answer = QString::fromLatin1(child.readAllStandardOutput()).split(' ');
    if (answer.size() != 2) {
      state.SkipWithError("the memory probe gave no answer");
      return;
    }
    probe.extraKb = answer[0].toLong();
    probe.rowsRead = answer[1].toInt();
  }
  state.counters["extra_rss_MB"] = probe.extraKb / 1024.0;
  state.counters["rows_read"] = probe.rowsRead;
  state.counters["records"] = g_records;
}
BENCHMARK(BM_GridMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// A 100 x 100 tile over 1920 x 1080: painting only, the picture is prepared
// when it is set.
void BM_WallpaperPaint(benchmark::State& state) {
  QImage tile(100, 100, QImage::Format_RGB32);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) tile.setPixel(x, y, qRgb(x * 2, y * 2, (x + y) % 256));
  QByteArray bmp;
  QBuffer buffer(&bmp);
  buffer.open(QIODevice::WriteOnly);
  tile.save(&buffer, "BMP");
  TWallpaper wallpaper;
  wallpaper.resize(1920, 1080);
  wallpaper.setPicture(WallpaperPicture::fromFile(bmp.toStdString()));
  QImage screen(1920, 1080, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    wallpaper.render(&screen);
    benchmark::DoNotOptimize(screen.constBits());
  }
  if (screen.pixel(1, 1) != tile.pixel(0, 0)) state.SkipWithError("the tile is not at the inner corner");
}
BENCHMARK(BM_WallpaperPaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int kept = 1;
  bool memoryProbe = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--grid_records=", 15) == 0)
      g_records = std::atoi(argv[i] + 15);
    else if (std::strcmp(argv[i], "--grid_memory_probe") == 0)
      memoryProbe = true;
    else if (std::strncmp(argv[i], "--grid_dir=", 11) == 0)
      g_dir = QString::fromLocal8Bit(argv[i] + 11);
    else
      argv[kept++] = argv[i];
  }
  argc = kept;
  QApplication app(argc, argv);
  if (memoryProbe) {
    const MemoryProbe probe = probeMemory();
    std::printf("%ld %d", probe.extraKb, probe.rowsRead);
    return probe.extraKb < 0 ? 1 : 0;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  QTemporaryDir temporary;
  if (g_dir.isEmpty()) g_dir = temporary.path();
  QDir().mkpath(g_dir);
  std::fprintf(stderr, "bench_desktop: %d records in %s\n", g_records, qPrintable(g_dir));
  if (!prepareTable(g_dir, g_records)) {
    std::fprintf(stderr, "bench_desktop: cannot write the table in %s\n", qPrintable(g_dir));
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
