#include "TestSupport.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "paradox/Coding.h"
#include "paradox/Format.h"

namespace orba::pdx::testing {

std::string ParadoxTestData() {
  const char* root = std::getenv("ORBA_TESTDATA");
  if (root == nullptr) return {};
  std::string dir = std::string(root) + "/paradox";
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
  return dir;
}

std::string SecondaryIndexTestData() {
  const std::string dir = ParadoxTestData();
  if (dir.empty()) return {};
  std::string sec = dir + "-secondary";
  struct stat st;
  if (::stat(sec.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
  return sec;
}

TempDir::TempDir() {
  char tmpl[] = "/tmp/pdxtest.XXXXXX";
  char* p = ::mkdtemp(tmpl);
  path_ = p ? p : "/tmp";
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

std::vector<std::string> CopyTable(const std::string& from, const std::string& db_name,
                                   const std::string& to) {
  namespace fs = std::filesystem;
  const std::string base = db_name.substr(0, db_name.rfind('.'));
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(from)) {
    const std::string name = entry.path().filename().string();
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || strcasecmp(name.substr(0, dot).c_str(), base.c_str()) != 0) continue;
    fs::copy_file(entry.path(), fs::path(to) / name, fs::copy_options::overwrite_existing);
    fs::permissions(fs::path(to) / name,
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void CopyFiles(Env* from, Env* to, const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    std::unique_ptr<RandomAccessFile> in;
    ASSERT_TRUE(from->OpenRandomAccess(path, &in).ok()) << path;
    std::string data;
    ASSERT_TRUE(in->Read(0, in->Size(), &data).ok()) << path;
    std::unique_ptr<WritableFile> out;
    ASSERT_TRUE(to->OpenWritable(path, true, &out).ok()) << path;
    ASSERT_TRUE(out->Write(0, data).ok()) << path;
  }
}

uint64_t FileSize(Env* env, const std::string& path) {
  std::unique_ptr<RandomAccessFile> f;
  return env->OpenRandomAccess(path, &f).ok() ? f->Size() : 0;
}

std::string ReadFileIn(Env* env, const std::string& path) {
  std::unique_ptr<RandomAccessFile> f;
  std::string bytes;
  if (env->OpenRandomAccess(path, &f).ok()) f->Read(0, f->Size(), &bytes);
  return bytes;
}

std::string ChainLinkFaults(Table* table) {
  uint16_t before = 0;
  for (const Table::Block& b : table->blocks()) {
    std::string head;
    if (!table->ReadBlockBytes(b.number, format::kBlockHeaderSize, &head).ok() ||
        head.size() < format::kBlockHeaderSize)
      return "block " + std::to_string(b.number) + " cannot be read";
    const uint16_t prev = GetU16(head.data() + format::kBlockPrev);
    if (prev != before)
      return "block " + std::to_string(b.number) + " links back to block " + std::to_string(prev) +
             ", not to block " + std::to_string(before);
    before = b.number;
  }
  if (table->header().last_block != before)
    return "the header names block " + std::to_string(table->header().last_block) +
           " as the last, not block " + std::to_string(before);
  return {};
}

bool PlaceRecords(Table* table, std::vector<std::string>* raws, std::vector<PlacedRecord>* placed) {
  // The chain lists the records in order, so the n-th placed is record n;
  // the bytes are all read before the placed records point into them.
  raws->assign(table->record_count(), {});
  placed->clear();
  for (const Table::Block& b : table->blocks()) {
    for (uint32_t i = 0; i < b.records; ++i) {
      const uint32_t at = b.first_record + i;
      if (at != placed->size() || at >= raws->size() || !table->ReadRawRecord(at, &(*raws)[at]).ok())
        return false;
      placed->push_back({{}, b.number, static_cast<uint16_t>(i)});
    }
  }
  for (size_t i = 0; i < placed->size(); ++i) (*placed)[i].raw = (*raws)[i];
  return placed->size() == table->record_count();
}

std::vector<Record> ReadAll(const std::string& path, Env* env) {
  std::vector<Record> rows;
  OpenOptions o;
  o.env = env;
  std::unique_ptr<Table> t;
  Status s = Table::Open(path, o, &t);
  EXPECT_TRUE(s.ok()) << s.ToString();
  if (!s.ok()) return rows;
  for (uint32_t i = 0; i < t->record_count(); ++i) {
    Record r;
    s = t->ReadRecord(i, &r);
    EXPECT_TRUE(s.ok()) << s.ToString();
    if (!s.ok()) break;
    rows.push_back(std::move(r));
  }
  return rows;
}

namespace {

Status Crashed(const std::string& what) { return Status::IOError(what, "injected failure"); }

class FailingWritableFile : public WritableFile {
 public:
  FailingWritableFile(FailingEnv* env, std::unique_ptr<WritableFile> base, std::string name)
      : env_(env), base_(std::move(base)), name_(std::move(name)) {}
  Status Write(uint64_t offset, std::string_view data) override {
    if (!env_->Step()) {
      // A torn write: part of the data reaches the disk.
      if (!env_->at_failure() || data.size() < 2) return Crashed(name_);
      base_->Write(offset, data.substr(0, data.size() / 2));
      return Crashed(name_);
    }
    return base_->Write(offset, data);
  }
  Status Truncate(uint64_t size) override { return env_->Step() ? base_->Truncate(size) : Crashed(name_); }
  Status Sync() override { return env_->Step() ? base_->Sync() : Crashed(name_); }
  uint64_t Size() const override { return base_->Size(); }

 private:
  FailingEnv* env_;
  std::unique_ptr<WritableFile> base_;
  std::string name_;
};

}  // namespace

Status FailingEnv::OpenRandomAccess(const std::string& p, std::unique_ptr<RandomAccessFile>* f) {
  return base_->OpenRandomAccess(p, f);
}

Status FailingEnv::OpenWritable(const std::string& p, bool t, std::unique_ptr<WritableFile>* f) {
  if (failed() || (t && !Step())) return Crashed(p);
  std::unique_ptr<WritableFile> base;
  Status s = base_->OpenWritable(p, t, &base);
  if (!s.ok()) return s;
  f->reset(new FailingWritableFile(this, std::move(base), p));
  return Status::OK();
}

Status FailingEnv::Rename(const std::string& from, const std::string& to) {
  return Step() ? base_->Rename(from, to) : Crashed(from);
}

Status FailingEnv::Remove(const std::string& p) { return Step() ? base_->Remove(p) : Crashed(p); }

Status FailingEnv::SyncDir(const std::string& d) { return Step() ? base_->SyncDir(d) : Crashed(d); }

Status FailingEnv::CopyAccess(const std::string& model, const std::string& p) {
  return Step() ? base_->CopyAccess(model, p) : Crashed(p);
}

}  // namespace orba::pdx::testing
