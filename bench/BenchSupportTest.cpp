// The benchmark's numbers mean something only if the generated tables look
// like cli.DB, both readers decode the same values, and the memory probe
// scans what it is given. These tests check that on small real tables.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "CliTable.h"
#include "Scanners.h"
#include "paradox/Table.h"

namespace orba::bench {
namespace {

namespace fs = std::filesystem;

class BenchSupport : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "bench_support.XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Make(const char* name, uint32_t records, Memos memos) {
    const std::string path = dir_ + "/" + name;
    CreateStats st;
    pdx::Status s = CreateCliTable(path, records, memos, &st);
    EXPECT_TRUE(s.ok()) << s.ToString();
    return path;
  }
  std::string dir_;
};

TEST_F(BenchSupport, GeneratedTableHasTheClientShapeAndReadsBackExactly) {
  const uint32_t n = 400;
  const std::string path = Make("cli.db", n, Memos::kKeep);
  std::unique_ptr<pdx::Table> t;
  ASSERT_TRUE(pdx::Table::Open(path, {}, &t).ok());
  ASSERT_EQ(t->record_count(), n);
  ASSERT_EQ(t->fields().size(), 38u);
  EXPECT_EQ(t->key_field_count(), 1u);
  EXPECT_EQ(t->code_page(), 1252);
  EXPECT_EQ(t->fields().front().name, "Cli_code");
  EXPECT_EQ(t->fields().back().name, "Cli_comments");

  bool accented = false, long_memo = false, null_memo = false, null_date = false;
  pdx::Record rec;
  for (uint32_t i = 0; i < n; ++i) {
    ASSERT_TRUE(t->ReadRecord(i, &rec).ok());
    ASSERT_EQ(rec, CliRecord(i, Memos::kKeep)) << "record " << i;
    for (const pdx::Value& v : rec)
      if (v.kind() == pdx::Value::Kind::kText)
        for (unsigned char c : v.text()) accented |= c >= 0x80;
    const pdx::Value& comments = rec[t->FieldIndex("Cli_comments")];
    null_memo |= comments.is_null();
    long_memo |= !comments.is_null() && comments.text().size() > 200;
    null_date |= rec[t->FieldIndex("Cli_nsf_date")].is_null();
  }
  // Otherwise the scan would time only the ASCII shortcut and in-record memos.
  EXPECT_TRUE(accented);
  EXPECT_TRUE(long_memo);
  EXPECT_TRUE(null_memo);
  EXPECT_TRUE(null_date);
  EXPECT_GT(FileSize(pdx::WithExtension(path, "mb")), 4096u);
}

TEST_F(BenchSupport, VariantsHoldTheSameNonMemoValues) {
  const auto with = CliFields(Memos::kKeep), without = CliFields(Memos::kDrop);
  ASSERT_EQ(without.size() + 2, with.size());
  for (uint32_t i : {0u, 17u, 99999u}) {
    const pdx::Record a = CliRecord(i, Memos::kKeep), b = CliRecord(i, Memos::kDrop);
    size_t j = 0;
    for (size_t f = 0; f < with.size(); ++f) {
      if (with[f].type == pdx::FieldType::kMemo) continue;
      EXPECT_EQ(a[f], b[j++]) << with[f].name;
    }
  }
}

TEST_F(BenchSupport, EngineAndPxlibDecodeTheSameValues) {
  const std::string path = Make("clinm.db", 700, Memos::kDrop);
  ScanSummary ours, px;
  ASSERT_TRUE(ScanWithEngine(path, &ours).ok());
  std::string error;
  ASSERT_TRUE(ScanWithPxlib(path, &px, &error)) << error;
  EXPECT_EQ(ours.records, 700u);
  EXPECT_EQ(ToString(ours), ToString(px));
  // A reader that skipped the values would still count records.
  ScanSummary other;
  const std::string shorter = Make("clinm2.db", 699, Memos::kDrop);
  ASSERT_TRUE(ScanWithEngine(shorter, &other).ok());
  EXPECT_NE(other.checksum, ours.checksum);
}

TEST_F(BenchSupport, FindLocatesEveryKeyAndPlacesMissingOnes) {
  const uint32_t n = 3000;  // several .DB blocks and a two-level .PX
  const std::string path = Make("clinm.db", n, Memos::kDrop);
  std::unique_ptr<pdx::Table> t;
  ASSERT_TRUE(pdx::Table::Open(path, {}, &t).ok());
  ASSERT_TRUE(t->index_status().ok()) << t->index_status().ToString();
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t index = 0;
    bool found = false;
    ASSERT_TRUE(t->Find({pdx::Value::Text(CliCode(i))}, &index, &found).ok());
    ASSERT_TRUE(found) << CliCode(i);
    ASSERT_EQ(index, i);
    ASSERT_TRUE(t->Find({pdx::Value::Text(MissingCliCode(i))}, &index, &found).ok());
    ASSERT_FALSE(found) << MissingCliCode(i);
    ASSERT_EQ(index, i + 1);
  }
}

std::string RunProbe(const std::string& path, int* rc) {
  const std::string cmd = std::string("'") + ORBA_SCAN_MEMORY_EXE + "' '" + path + "' 2>&1";
  std::FILE* p = ::popen(cmd.c_str(), "r");
  std::string out;
  char buf[512];
  while (p && std::fgets(buf, sizeof buf, p)) out += buf;
  *rc = p ? ::pclose(p) : -1;
  return out;
}

TEST_F(BenchSupport, MemoryProbeScansTheWholeTableAndReportsItsPeak) {
  const std::string path = Make("cli.db", 500, Memos::kKeep);
  ScanSummary ours;
  ASSERT_TRUE(ScanWithEngine(path, &ours).ok());
  int rc = 0;
  const std::string out = RunProbe(path, &rc);
  EXPECT_EQ(rc, 0) << out;
  EXPECT_NE(out.find(ToString(ours)), std::string::npos) << out;
  EXPECT_NE(out.find("delta_kb="), std::string::npos) << out;

  const std::string missing = RunProbe(dir_ + "/absent.db", &rc);
  EXPECT_NE(rc, 0);
  EXPECT_NE(missing.find("absent.db"), std::string::npos) << missing;
}

}  // namespace
}  // namespace orba::bench
