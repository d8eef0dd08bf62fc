// Benchmarks of the Paradox engine (orba::pdx), with pxlib reading the same
// files for comparison. Run through bench/run.sh; see bench/README.md.
//
// Own flags (the others go to Google Benchmark):
//   --pdx_records=N         records of the scanned and searched tables (100000)
//   --pdx_memory_records=N  a separate, larger table for the memory probe
//                           (0, the default: probe the scanned table)
//   --pdx_dir=DIR           keep the tables in DIR and reuse them next time
//                           (default: a fresh temporary folder, removed at exit)
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "CliTable.h"
#include "Scanners.h"
#include "paradox/Table.h"

namespace {

using orba::bench::CliCode;
using orba::bench::CreateStats;
using orba::bench::Memos;
using orba::bench::MissingCliCode;
using orba::bench::ScanSummary;
namespace pdx = orba::pdx;
namespace fs = std::filesystem;

struct Config {
  uint32_t records = 100000;
  uint32_t memory_records = 0;
  std::string dir;
};

struct Tables {
  std::string cli;         // cli shape with its two memo fields and .MB
  std::string cli_nomemo;  // the same records without the memo fields
  std::string memory;      // the table the memory probe scans
};

bool ParseOwnFlags(int* argc, char** argv, Config* config) {
  int out = 1;
  for (int i = 1; i < *argc; ++i) {
    std::string a = argv[i];
    auto value = [&](const char* name) -> const char* {
      const size_t n = std::strlen(name);
      return a.compare(0, n, name) == 0 ? argv[i] + n : nullptr;
    };
    if (const char* v = value("--pdx_records="))
      config->records = std::stoul(v);
    else if (const char* v = value("--pdx_memory_records="))
      config->memory_records = std::stoul(v);
    else if (const char* v = value("--pdx_dir="))
      config->dir = v;
    else
      argv[out++] = argv[i];
  }
  *argc = out;
  return config->records > 0;
}

std::string Mb(uint64_t bytes) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f MB", static_cast<double>(bytes) / 1e6);
  return buf;
}

// Creates the table unless a kept folder already has it.
bool Ensure(const std::string& path, uint32_t records, Memos memos, const char* label) {
  if (fs::exists(path)) {
    std::unique_ptr<pdx::Table> t;
    if (pdx::Table::Open(path, {}, &t).ok() && t->record_count() == records) {
      std::fprintf(stderr, "reusing %s (%u records)\n", path.c_str(), records);
      return true;
    }
    std::fprintf(stderr, "%s exists with other contents; choose another --pdx_dir\n", path.c_str());
    return false;
  }
  CreateStats st;
  pdx::Status s = orba::bench::CreateCliTable(path, records, memos, &st);
  if (!s.ok()) {
    std::fprintf(stderr, "creating %s: %s\n", path.c_str(), s.ToString().c_str());
    return false;
  }
  char line[256];
  std::snprintf(line, sizeof line, "%u records, .db %s, .mb %s, created in %.1f s", records,
                Mb(st.db_bytes).c_str(), Mb(st.mb_bytes).c_str(), st.seconds);
  std::fprintf(stderr, "created %s: %s\n", path.c_str(), line);
  benchmark::AddCustomContext(std::string("table ") + label, line);
  return true;
}

void ScanEngine(benchmark::State& state, const std::string& path) {
  ScanSummary s;
  for (auto _ : state) {
    pdx::Status st = orba::bench::ScanWithEngine(path, &s);
    if (!st.ok()) {
      state.SkipWithError(st.ToString().c_str());
      return;
    }
    benchmark::DoNotOptimize(s.checksum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * s.records));
  state.counters["values"] = static_cast<double>(s.values);
}

void ScanPxlib(benchmark::State& state, const std::string& path) {
  ScanSummary s;
  std::string error;
  for (auto _ : state) {
    if (!orba::bench::ScanWithPxlib(path, &s, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    benchmark::DoNotOptimize(s.checksum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * s.records));
  state.counters["values"] = static_cast<double>(s.values);
}

// One lookup per iteration, cycling through random keys, so the time per
// iteration is the mean time of a lookup.
void Find(benchmark::State& state, const std::string& path, uint32_t records, bool existing) {
  std::unique_ptr<pdx::Table> table;
  pdx::Status s = pdx::Table::Open(path, {}, &table);
  if (!s.ok() || !table->index_status().ok()) {
    state.SkipWithError((s.ok() ? table->index_status() : s).ToString().c_str());
    return;
  }
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<uint32_t> pick(0, records - 1);
  constexpr size_t kKeys = 4096;
  std::vector<std::vector<pdx::Value>> keys;
  std::vector<uint32_t> expected;
  for (size_t k = 0; k < kKeys; ++k) {
    const uint32_t i = pick(rng);
    keys.push_back({pdx::Value::Text(existing ? CliCode(i) : MissingCliCode(i))});
    expected.push_back(existing ? i : i + 1);
  }
  size_t k = 0;
  for (auto _ : state) {
    uint32_t index = 0;
    bool found = false;
    s = table->Find(keys[k], &index, &found);
    if (!s.ok() || found != existing || index != expected[k]) {
      state.SkipWithError(("wrong answer for key " + keys[k][0].text()).c_str());
      return;
    }
    k = (k + 1) % kKeys;
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

std::map<std::string, std::string> ParsePairs(const std::string& line) {
  std::map<std::string, std::string> out;
  size_t pos = 0;
  while (pos < line.size()) {
    size_t end = line.find_first_of(" \n", pos);
    if (end == std::string::npos) end = line.size();
    std::string item = line.substr(pos, end - pos);
    const size_t eq = item.find('=');
    if (eq != std::string::npos) out[item.substr(0, eq)] = item.substr(eq + 1);
    pos = end + 1;
  }
  return out;
}

// The scan runs in bench_paradox_scan_memory, a fresh process, so neither the
// creation of the table nor this process's benchmarks count.
void ScanMemory(benchmark::State& state, const std::string& path) {
  std::map<std::string, std::string> v;
  for (auto _ : state) {
    const std::string cmd = std::string("'") + ORBA_SCAN_MEMORY_EXE + "' '" + path + "'";
    std::FILE* p = ::popen(cmd.c_str(), "r");
    std::string out;
    char buf[512];
    while (p && std::fgets(buf, sizeof buf, p)) out += buf;
    const int rc = p ? ::pclose(p) : -1;
    v = ParsePairs(out);
    if (rc != 0 || !v.count("delta_kb")) {
      state.SkipWithError(("memory probe failed: " + out).c_str());
      return;
    }
  }
  auto num = [&](const char* k) { return std::stod(v[k]); };
  state.counters["delta_MiB"] = num("delta_kb") / 1024.0;
  state.counters["start_MiB"] = num("start_rss_kb") / 1024.0;
  state.counters["peak_MiB"] = num("peak_rss_kb") / 1024.0;
  state.counters["table_MB"] = (num("table_bytes") + num("blob_bytes")) / 1e6;
  state.counters["records"] = num("records");
  state.counters["peak_reset"] = v["peak_reset"] == "yes" ? 1 : 0;
}

// Prints the console report as usual and keeps, per benchmark, its median
// (when repeated) or its single result for the closing summary.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  using ConsoleReporter::ConsoleReporter;
  struct Result {
    double seconds = 0;      // real (wall) time
    double cpu_seconds = 0;  // this process's CPU time; others share the machine
    std::map<std::string, double> counters;
    bool from_median = false;
    bool error = false;
  };
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      const bool median = r.aggregate_name == "median";
      if (!median && !r.aggregate_name.empty()) continue;
      Result& res = results_[r.run_name.function_name];
      if (res.from_median && !median) continue;
      res.from_median = median;
      res.error = r.error_occurred;
      const double unit = benchmark::GetTimeUnitMultiplier(r.time_unit);
      res.seconds = r.GetAdjustedRealTime() / unit;
      res.cpu_seconds = r.GetAdjustedCPUTime() / unit;
      for (const auto& [name, c] : r.counters) res.counters[name] = c.value;
    }
  }
  const Result* Get(const std::string& name) const {
    auto it = results_.find(name);
    return it == results_.end() || it->second.error ? nullptr : &it->second;
  }

 private:
  std::map<std::string, Result> results_;
};

void PrintSummary(const SummaryReporter& rep, const Config& config) {
  std::printf("\n== summary (%u records; medians when repeated) ==\n", config.records);
  auto scan = [&](const char* label, const std::string& variant) {
    const auto* ours = rep.Get("scan/engine/" + variant);
    const auto* px = rep.Get("scan/pxlib/" + variant);
    if (!ours) return;
    std::printf("%-30s ours %7.1f ms (cpu %7.1f)", label, ours->seconds * 1e3, ours->cpu_seconds * 1e3);
    if (px)
      std::printf("  pxlib %7.1f ms (cpu %7.1f)  pxlib/ours %.2fx (cpu %.2fx)", px->seconds * 1e3,
                  px->cpu_seconds * 1e3, px->seconds / ours->seconds, px->cpu_seconds / ours->cpu_seconds);
    std::printf("\n");
  };
  scan("scan cli, 38 fields:", "cli");
  scan("scan cli without memos, 36:", "cli_nomemo");
  if (const auto* f = rep.Get("find/existing"))
    std::printf("%-30s mean %.2f us per lookup (cpu %.2f)\n", "Find, random existing keys:", f->seconds * 1e6,
                f->cpu_seconds * 1e6);
  if (const auto* f = rep.Get("find/missing"))
    std::printf("%-30s mean %.2f us per lookup (cpu %.2f)\n", "Find, random missing keys:", f->seconds * 1e6,
                f->cpu_seconds * 1e6);
  if (const auto* m = rep.Get("scan/memory")) {
    auto c = [&](const char* k) { return m->counters.count(k) ? m->counters.at(k) : -1.0; };
    std::printf("%-30s %.1f MiB over a start of %.1f MiB (%.0f records, %.1f MB of files)%s\n",
                "scan peak RSS - start RSS:", c("delta_MiB"), c("start_MiB"), c("records"), c("table_MB"),
                c("peak_reset") == 1 ? "" : " [peak not reset: upper bound]");
  }
}

}  // namespace

int main(int argc, char** argv) {
  Config config;
  if (!ParseOwnFlags(&argc, argv, &config)) {
    std::fprintf(stderr, "--pdx_records must be positive\n");
    return 2;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;

  bool temporary = config.dir.empty();
  if (temporary) {
    std::string tmpl = (fs::temp_directory_path() / "bench_paradox.XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) {
      std::perror("mkdtemp");
      return 1;
    }
    config.dir = tmpl;
  } else {
    fs::create_directories(config.dir);
  }
  Tables t;
  const std::string n = std::to_string(config.records);
  t.cli = config.dir + "/cli" + n + ".db";
  t.cli_nomemo = config.dir + "/clinm" + n + ".db";
  t.memory = t.cli;
  bool ok = Ensure(t.cli, config.records, Memos::kKeep, "cli") &&
            Ensure(t.cli_nomemo, config.records, Memos::kDrop, "cli without memos");
  if (ok && config.memory_records > 0) {
    t.memory = config.dir + "/clim" + std::to_string(config.memory_records) + ".db";
    ok = Ensure(t.memory, config.memory_records, Memos::kKeep, "memory probe");
  }

  // The comparison is only fair if both readers decode the same values.
  if (ok) {
    ScanSummary ours, px;
    std::string error, note;
    pdx::Status s = orba::bench::ScanWithEngine(t.cli_nomemo, &ours);
    if (!s.ok() || !orba::bench::ScanWithPxlib(t.cli_nomemo, &px, &error)) {
      std::fprintf(stderr, "check scan failed: %s %s\n", s.ToString().c_str(), error.c_str());
      ok = false;
    } else if (!(ours == px)) {
      std::fprintf(stderr, "the readers disagree on %s:\n  ours  %s\n  pxlib %s\n", t.cli_nomemo.c_str(),
                   ToString(ours).c_str(), ToString(px).c_str());
      ok = false;
    } else {
      benchmark::AddCustomContext("readers agree (cli without memos)", ToString(ours));
    }
    if (ok && orba::bench::ScanWithPxlib(t.cli, &px, &error, &note))
      benchmark::AddCustomContext("pxlib on cli with memos, no .mb", note);
  }

  if (ok) {
    using benchmark::RegisterBenchmark;
    for (auto [variant, path] : {std::pair{"cli", t.cli}, std::pair{"cli_nomemo", t.cli_nomemo}}) {
      RegisterBenchmark(("scan/engine/" + std::string(variant)).c_str(), ScanEngine, path)
          ->Unit(benchmark::kMillisecond)
          ->MinTime(1.0)
          ->UseRealTime();
      RegisterBenchmark(("scan/pxlib/" + std::string(variant)).c_str(), ScanPxlib, path)
          ->Unit(benchmark::kMillisecond)
          ->MinTime(1.0)
          ->UseRealTime();
    }
    RegisterBenchmark("find/existing", Find, t.cli, config.records, true)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    RegisterBenchmark("find/missing", Find, t.cli, config.records, false)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    RegisterBenchmark("scan/memory", ScanMemory, t.memory)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->UseRealTime();

    SummaryReporter reporter(::isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                     : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter, config);
  }
  benchmark::Shutdown();
  if (temporary) fs::remove_all(config.dir);
  return ok ? 0 : 1;
}
