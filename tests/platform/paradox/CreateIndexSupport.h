// Helpers of the index-creation tests (CreateIndexTest.cpp and, for the
// comparison with Paradox's own files, SampleCreateIndexTest.cpp). Included
// by exactly one file of each test program.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "TestSupport.h"
#include "paradox/Table.h"

namespace orba::pdx {
namespace {

using testing::ReadAll;
using testing::ReadFile;

// Every file of a folder but the lock files, by name.
std::map<std::string, std::string> Snapshot(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    if (!e.path().string().ends_with(".lock"))
      files[e.path().filename().string()] = ReadFile(e.path().string());
  return files;
}

// The positions of the records whose field `field` equals `value`, by
// reading them all.
std::vector<uint32_t> Scan(const std::vector<Record>& rows, size_t field, const Value& value) {
  std::vector<uint32_t> out;
  for (uint32_t i = 0; i < rows.size(); ++i)
    if (rows[i][field] == value) out.push_back(i);
  return out;
}

// Looks every value of `values` up through index 0 of the table; each must
// go through the index and find exactly what a scan finds.
void ExpectLookupsThroughIndex(const std::string& path, size_t field, const std::vector<Value>& values,
                               Env* env = nullptr) {
  const std::vector<Record> rows = ReadAll(path, env);
  OpenOptions oo;
  oo.env = env;
  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(path, oo, &t).ok());
  ASSERT_EQ(t->secondary_indexes().size(), 1u);
  ASSERT_TRUE(t->secondary_indexes()[0].status.ok()) << t->secondary_indexes()[0].status.ToString();
  for (const Value& v : values) {
    std::vector<uint32_t> found;
    bool used = false;
    ASSERT_TRUE(t->FindEqual(0, {v}, &found, &used).ok());
    EXPECT_TRUE(used) << v.ToString();
    EXPECT_EQ(found, Scan(rows, field, v)) << v.ToString();
  }
}

}  // namespace
}  // namespace orba::pdx
