// What a change costs as the table grows, side by side with SQLite:
//
//   commit    open a writer, insert one record, commit, close, on keyed tables
//             of 1,000 to 1,000,000 records, at the end and at the front of
//             the key order, without and with one secondary index, and with
//             a memo field whose values go to the .MB; SQLite (WAL,
//             synchronous=FULL) opens a connection per commit.
//   import    100,000 rows in shuffled key order in one commit (SQLite: one
//             transaction), and the peak memory of doing it.
//   append    four processes appending to one 100,000-record table for a few
//             seconds: commits per second, all four together.
//
// Every table the engine wrote is read back with pxlib, record for record,
// before it is removed (tables with a memo, which pxlib cannot read, with
// this engine's reader, every record and memo); a difference stops the run.
//
// Wall-clock medians on this machine, printed as a table; nothing asserted.
//
//   bench_commit [--sizes=1000,10000,100000,1000000] [--runs=5] [--dir=DIR]
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "PxlibReadBack.h"
#include "Rss.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace {

namespace pdx = orba::pdx;
using Clock = std::chrono::steady_clock;

// The tables measured: plain, with a secondary index on City, or with a
// memo field whose values go to the .MB.
enum class Kind { kPlain, kCityIndex, kNotes };

std::vector<pdx::FieldDef> Fields(Kind kind = Kind::kPlain) {
  std::vector<pdx::FieldDef> fields = {pdx::FieldDef::Long("Id"), pdx::FieldDef::Alpha("Name", 30),
                                       pdx::FieldDef::Money("Balance"), pdx::FieldDef::Alpha("City", 20),
                                       pdx::FieldDef::Date("Since")};
  if (kind == Kind::kNotes) fields.push_back(pdx::FieldDef::Memo("Notes", 10));
  return fields;
}

std::string Notes(int64_t key) {
  return "Called on " + std::to_string(key % 28 + 1) + " March about invoice " + std::to_string(key);
}

// Keys 10, 20, 30...: room below the first and between any two.
pdx::Record Row(int64_t key, Kind kind = Kind::kPlain) {
  pdx::Record r = {pdx::Value::Int(key), pdx::Value::Text("Client " + std::to_string(key * 7919 % 1000003)),
                   pdx::Value::Double(static_cast<double>(key % 9973) / 4),
                   pdx::Value::Text(key % 3 ? "Montréal" : "Laval"),
                   pdx::Value::Of(pdx::Date{static_cast<int32_t>(15000 + key % 3000)})};
  if (kind == Kind::kNotes) r.push_back(pdx::Value::Text(Notes(key)));
  return r;
}

void Check(const pdx::Status& s, const char* what) {
  if (!s.ok()) {
    std::fprintf(stderr, "bench_commit: %s: %s\n", what, s.ToString().c_str());
    std::exit(1);
  }
}
void Check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    std::fprintf(stderr, "bench_commit: sqlite %s: %s\n", what, db ? sqlite3_errmsg(db) : "");
    std::exit(1);
  }
}

int read_back = 0;  // tables pxlib read record for record

void CheckWithPxlib(const std::string& path) {
  const std::string differs = orba::bench::PxlibReadBack(path);
  if (!differs.empty()) {
    std::fprintf(stderr, "bench_commit: pxlib on %s: %s\n", path.c_str(), differs.c_str());
    std::exit(1);
  }
  ++read_back;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

const char* Suffix(Kind kind) { return kind == Kind::kCityIndex ? "i" : kind == Kind::kNotes ? "m" : ""; }

std::string MakeTable(const std::string& dir, int n, Kind kind) {
  const std::string path = dir + "/t" + std::to_string(n) + Suffix(kind) + ".db";
  pdx::CreateOptions co;
  co.key_field_count = 1;
  co.block_size_kib = 4;
  Check(pdx::CreateTable(path, Fields(kind), co), "create");
  std::unique_ptr<pdx::TableWriter> w;
  Check(pdx::TableWriter::Open(path, {}, &w), "open");
  for (int i = 1; i <= n; ++i) Check(w->Insert(Row(10LL * i, kind)), "insert");
  Check(w->Commit(), "commit");
  if (kind == Kind::kCityIndex) Check(w->CreateIndex("City"), "index");
  return path;
}

// pxlib cannot read a table with a blob file (Debian's aborts): such a
// table is read back by this engine instead, every record and memo.
void CheckWithReader(const std::string& path, uint32_t expected) {
  std::unique_ptr<pdx::Table> t;
  Check(pdx::Table::Open(path, {}, &t), "read back");
  if (t->record_count() != expected) {
    std::fprintf(stderr, "bench_commit: %s holds %u records, not %u\n", path.c_str(), t->record_count(),
                 expected);
    std::exit(1);
  }
  pdx::Record r;
  for (uint32_t i = 0; i < expected; ++i) {
    Check(t->ReadRecord(i, &r), "read back");
    if (r[5].text() != Notes(r[0].int_value())) {
      std::fprintf(stderr, "bench_commit: %s: record %u has another memo\n", path.c_str(), i);
      std::exit(1);
    }
  }
}

double EngineCommit(const std::string& path, int64_t key, Kind kind) {
  const auto start = Clock::now();
  std::unique_ptr<pdx::TableWriter> w;
  Check(pdx::TableWriter::Open(path, {}, &w), "open");
  Check(w->Insert(Row(key, kind)), "insert");
  Check(w->Commit(), "commit");
  w.reset();
  return Ms(Clock::now() - start);
}

void Exec(sqlite3* db, const char* sql) { Check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db, sql); }

sqlite3* OpenSqlite(const std::string& path) {
  sqlite3* db = nullptr;
  Check(sqlite3_open(path.c_str(), &db), db, "open");
  Exec(db, "PRAGMA journal_mode=WAL");
  Exec(db, "PRAGMA synchronous=FULL");
  return db;
}

void SqliteInsert(sqlite3* db, sqlite3_stmt* st, int64_t key, Kind kind = Kind::kPlain) {
  const pdx::Record r = Row(key, kind);
  sqlite3_bind_int64(st, 1, key);
  sqlite3_bind_text(st, 2, r[1].text().c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_double(st, 3, r[2].double_value());
  sqlite3_bind_text(st, 4, r[3].text().c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_int(st, 5, r[4].date().days);
  if (kind == Kind::kNotes) sqlite3_bind_text(st, 6, r[5].text().c_str(), -1, SQLITE_TRANSIENT);
  Check(sqlite3_step(st), db, "insert");
  sqlite3_reset(st);
}

const char* kSqliteInsert = "INSERT INTO t VALUES (?, ?, ?, ?, ?)";
const char* SqliteInsertFor(Kind kind) {
  return kind == Kind::kNotes ? "INSERT INTO t VALUES (?, ?, ?, ?, ?, ?)" : kSqliteInsert;
}

std::string MakeSqlite(const std::string& dir, int n, Kind kind) {
  const std::string path = dir + "/s" + std::to_string(n) + Suffix(kind) + ".sqlite";
  sqlite3* db = OpenSqlite(path);
  if (kind == Kind::kNotes)
    Exec(db,
         "CREATE TABLE t (Id INTEGER PRIMARY KEY, Name TEXT, Balance REAL, City TEXT, Since INTEGER, Notes "
         "TEXT)");
  else
    Exec(db, "CREATE TABLE t (Id INTEGER PRIMARY KEY, Name TEXT, Balance REAL, City TEXT, Since INTEGER)");
  if (kind == Kind::kCityIndex) Exec(db, "CREATE INDEX city ON t (City)");
  Exec(db, "BEGIN");
  sqlite3_stmt* st = nullptr;
  Check(sqlite3_prepare_v2(db, SqliteInsertFor(kind), -1, &st, nullptr), db, "prepare");
  for (int i = 1; i <= n; ++i) SqliteInsert(db, st, 10LL * i, kind);
  sqlite3_finalize(st);
  Exec(db, "COMMIT");
  sqlite3_close(db);
  return path;
}

double SqliteCommit(const std::string& path, int64_t key, Kind kind) {
  const auto start = Clock::now();
  sqlite3* db = OpenSqlite(path);
  sqlite3_stmt* st = nullptr;
  Check(sqlite3_prepare_v2(db, SqliteInsertFor(kind), -1, &st, nullptr), db, "prepare");
  Exec(db, "BEGIN");
  SqliteInsert(db, st, key, kind);
  Exec(db, "COMMIT");
  sqlite3_finalize(st);
  sqlite3_close(db);
  return Ms(Clock::now() - start);
}

// Runs this program again with `argument` (a fresh process, so that its
// peak memory is its own); returns the wall time it reports (ms) and its
// peak resident memory (KiB).
std::pair<double, long> InChild(const std::string& argument, const std::string& dir) {
  int pipefd[2];
  if (::pipe(pipefd) != 0) std::exit(1);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipefd[0]);
    ::dup2(pipefd[1], 1);
    const std::string dir_arg = "--dir=" + dir;
    ::execl("/proc/self/exe", "bench_commit", argument.c_str(), dir_arg.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  ::close(pipefd[1]);
  char buf[64] = {};
  const ssize_t got = ::read(pipefd[0], buf, sizeof buf - 1);
  ::close(pipefd[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  double ms = -1;
  long peak_kb = -1;
  if (got > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
      std::sscanf(buf, "%lf %ld", &ms, &peak_kb) != 2)
    ms = -1;
  return {ms, peak_kb};
}

const int kImport = 100000;

std::vector<int64_t> ShuffledKeys() {
  std::vector<int64_t> keys(kImport);
  std::iota(keys.begin(), keys.end(), 1);
  std::shuffle(keys.begin(), keys.end(), std::mt19937(42));
  return keys;
}

// The child's side of the import: prints its wall time in ms.
int Import(const std::string& who, const std::string& dir) {
  const std::vector<int64_t> keys = ShuffledKeys();
  const auto start = Clock::now();
  if (who == "engine") {
    const std::string path = dir + "/import.db";
    pdx::CreateOptions co;
    co.key_field_count = 1;
    co.block_size_kib = 4;
    Check(pdx::CreateTable(path, Fields(), co), "create");
    std::unique_ptr<pdx::TableWriter> w;
    Check(pdx::TableWriter::Open(path, {}, &w), "open");
    for (int64_t k : keys) Check(w->Insert(Row(k)), "insert");
    Check(w->Commit(), "commit");
  } else {
    sqlite3* db = OpenSqlite(dir + "/import.sqlite");
    Exec(db, "CREATE TABLE t (Id INTEGER PRIMARY KEY, Name TEXT, Balance REAL, City TEXT, Since INTEGER)");
    Exec(db, "BEGIN");
    sqlite3_stmt* st = nullptr;
    Check(sqlite3_prepare_v2(db, kSqliteInsert, -1, &st, nullptr), db, "prepare");
    for (int64_t k : keys) SqliteInsert(db, st, k);
    sqlite3_finalize(st);
    Exec(db, "COMMIT");
    sqlite3_close(db);
  }
  // The peak of this process's own memory: a child's rusage would also count
  // what its parent held when it forked (Linux keeps that across exec).
  std::printf("%f %ld\n", Ms(Clock::now() - start), orba::bench::ReadRss().hwm_kb);
  return 0;
}

std::vector<int> ParseSizes(const char* text) {
  std::vector<int> out;
  for (const char* p = text; *p;) {
    out.push_back(std::atoi(p));
    p = std::strchr(p, ',');
    if (!p) break;
    ++p;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes = {1000, 10000, 100000, 1000000};
  int runs = 5;
  std::string dir, import;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--sizes=", 8) == 0)
      sizes = ParseSizes(argv[i] + 8);
    else if (std::strncmp(argv[i], "--runs=", 7) == 0)
      runs = std::max(1, std::atoi(argv[i] + 7));
    else if (std::strncmp(argv[i], "--dir=", 6) == 0)
      dir = argv[i] + 6;
    else if (std::strncmp(argv[i], "--import=", 9) == 0)  // the child of the import measure
      import = argv[i] + 9;
    else {
      std::fprintf(stderr, "usage: bench_commit [--sizes=N,N...] [--runs=N] [--dir=DIR]\n");
      return 2;
    }
  }
  if (!import.empty()) return Import(import, dir);
  const bool own_dir = dir.empty();
  if (own_dir) {
    char tmpl[] = "/tmp/bench_commit.XXXXXX";
    if (!::mkdtemp(tmpl)) return 1;
    dir = tmpl;
  }

  std::printf("commit: open, insert one record, commit, close (median of %d, ms)\n", runs);
  std::printf("%10s %6s | %12s %12s | %12s %12s\n", "records", "index", "engine end", "engine front",
              "sqlite end", "sqlite front");
  for (Kind kind : {Kind::kPlain, Kind::kCityIndex, Kind::kNotes}) {
    for (int n : sizes) {
      const std::string table = MakeTable(dir, n, kind);
      const std::string sqlite = MakeSqlite(dir, n, kind);
      std::vector<double> e_end, e_front, s_end, s_front;
      // The table's keys are 10, 20, ...: 0, -1, -2 ... stay in front of
      // them however many runs.
      for (int r = 0; r < runs; ++r) {
        e_end.push_back(EngineCommit(table, 10LL * (n + 1 + r), kind));
        e_front.push_back(EngineCommit(table, -r, kind));
        s_end.push_back(SqliteCommit(sqlite, 10LL * (n + 1 + r), kind));
        s_front.push_back(SqliteCommit(sqlite, -r, kind));
      }
      std::printf("%10d %6s | %12.1f %12.1f | %12.1f %12.1f\n", n,
                  kind == Kind::kCityIndex ? "City"
                  : kind == Kind::kNotes   ? "memo"
                                           : "-",
                  Median(e_end), Median(e_front), Median(s_end), Median(s_front));
      std::fflush(stdout);
      if (kind == Kind::kNotes)
        CheckWithReader(table, static_cast<uint32_t>(n + 2 * runs));
      else
        CheckWithPxlib(table);
      std::filesystem::remove(table);
      for (const char* ext : {".px", ".mb", ".X04", ".Y04", ".x04", ".y04", ".db.lock"})
        std::filesystem::remove(table.substr(0, table.size() - 3) + ext);
      std::filesystem::remove(sqlite);
      std::filesystem::remove(sqlite + "-wal");
      std::filesystem::remove(sqlite + "-shm");
    }
  }

  // Import of 100,000 rows in shuffled key order, each in a process of its
  // own so that its peak memory is its own.
  const auto engine = InChild("--import=engine", dir);
  const auto lite = InChild("--import=sqlite", dir);
  std::printf("\nimport: %d rows in shuffled key order, one commit\n", kImport);
  std::printf("%8s | %10s %14s\n", "", "seconds", "peak RSS (MB)");
  std::printf("%8s | %10.2f %14.1f\n", "engine", engine.first / 1000, engine.second / 1024.0);
  std::printf("%8s | %10.2f %14.1f\n", "sqlite", lite.first / 1000, lite.second / 1024.0);
  if (engine.first >= 0) CheckWithPxlib(dir + "/import.db");

  // Four processes appending to one 100,000-record table.
  const std::string shared = MakeTable(dir, 100000, Kind::kPlain);
  const int kSeconds = 5;
  int counts[4][2];
  std::vector<pid_t> pids;
  for (int p = 0; p < 4; ++p) {
    if (::pipe(counts[p]) != 0) return 1;
    const pid_t pid = ::fork();
    if (pid == 0) {
      const auto until = Clock::now() + std::chrono::seconds(kSeconds);
      int done = 0;
      for (int64_t key = 10LL * 200000 + p; Clock::now() < until; key += 4) {
        pdx::WriteOptions wo;
        wo.lock_wait = std::chrono::milliseconds(60000);
        std::unique_ptr<pdx::TableWriter> w;
        Check(pdx::TableWriter::Open(shared, wo, &w), "open");
        Check(w->Insert(Row(key)), "insert");
        Check(w->Commit(), "commit");
        ++done;
      }
      if (::write(counts[p][1], &done, sizeof done) != sizeof done) _exit(1);
      _exit(0);
    }
    pids.push_back(pid);
  }
  int total = 0;
  for (int p = 0; p < 4; ++p) {
    int done = 0;
    if (::read(counts[p][0], &done, sizeof done) == sizeof done) total += done;
    ::waitpid(pids[static_cast<size_t>(p)], nullptr, 0);
  }
  std::printf("\nappend: 4 processes, one 100,000-record table, %d s: %d commits, %.1f commits/s\n", kSeconds,
              total, static_cast<double>(total) / kSeconds);
  CheckWithPxlib(shared);
  std::printf("\npxlib read every table written here record for record: %d tables\n", read_back);

  if (own_dir) std::filesystem::remove_all(dir);
  return 0;
}
