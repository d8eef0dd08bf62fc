// Keyed lookups and the caches behind reading: Find against a linear scan on
// multi-block tables (index in step, chain out of block-number order, index
// stale), the number of blocks a lookup reads, text decoding against iconv,
// and blob values read in any order.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <random>

#include "TestSupport.h"
#include "paradox/Coding.h"
#include "paradox/Format.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"
#include "paradox/TextCodec.h"

namespace orba::pdx {
namespace {

namespace f = format;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// Counts the reads made through files it opened, by file extension.
class CountingEnv : public Env {
 public:
  int reads(const std::string& ext) { return reads_[ext]; }
  // Zeroes the counts (open files keep pointers to them).
  void Reset() {
    for (auto& [ext, n] : reads_) n = 0;
  }

  Status OpenRandomAccess(const std::string& p, std::unique_ptr<RandomAccessFile>* file) override {
    std::unique_ptr<RandomAccessFile> inner;
    Status s = base_->OpenRandomAccess(p, &inner);
    if (!s.ok()) return s;
    std::string ext = p.substr(p.rfind('.') + 1);
    *file = std::make_unique<Counted>(std::move(inner), &reads_[ext]);
    return s;
  }
  Status OpenWritable(const std::string& p, bool t, std::unique_ptr<WritableFile>* f) override {
    return base_->OpenWritable(p, t, f);
  }
  Status Rename(const std::string& a, const std::string& b) override { return base_->Rename(a, b); }
  Status Remove(const std::string& p) override { return base_->Remove(p); }
  bool Exists(const std::string& p) override { return base_->Exists(p); }
  Status ListDir(const std::string& d, std::vector<std::string>* n) override { return base_->ListDir(d, n); }
  Status SyncDir(const std::string& d) override { return base_->SyncDir(d); }
  Status CopyAccess(const std::string& m, const std::string& p) override { return base_->CopyAccess(m, p); }
  Status Lock(const std::string& p, const LockOptions& o, std::unique_ptr<FileLock>* l) override {
    return base_->Lock(p, o, l);
  }

 private:
  struct Counted : RandomAccessFile {
    Counted(std::unique_ptr<RandomAccessFile> f, int* n) : file(std::move(f)), count(n) {}
    // Reads past the header: the header is read at opening, and again after
    // a read of the files to check that the table did not change meanwhile.
    Status Read(uint64_t o, size_t n, std::string* out) override {
      if (o != 0) ++*count;
      return file->Read(o, n, out);
    }
    uint64_t Size() const override { return file->Size(); }
    std::unique_ptr<RandomAccessFile> file;
    int* count;
  };
  Env* base_ = Env::Default();
  std::map<std::string, int> reads_;
};

// 504-byte records: four to a 2 KiB block, so 1000 records make 250 data
// blocks and a two-level index.
class Lookup : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateOptions o;
    o.key_field_count = 1;
    ASSERT_TRUE(
        CreateTable(path_, {FieldDef::Long("Id"), FieldDef::Alpha("A", 250), FieldDef::Alpha("B", 250)}, o)
            .ok());
    std::vector<int> ids;
    for (int i = 1; i <= 1000; ++i) ids.push_back(10 * i);
    Insert(ids);
  }
  void Insert(const std::vector<int>& ids) {
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(path_, WriteOptions(), &w).ok());
    for (int id : ids)
      ASSERT_TRUE(w->Insert({Value::Int(id), Value::Text("a" + std::to_string(id)), Value()}).ok());
    ASSERT_TRUE(w->Commit().ok());
  }
  std::unique_ptr<Table> Open(Env* env = nullptr) {
    OpenOptions o;
    o.env = env;
    std::unique_ptr<Table> t;
    Status s = Table::Open(path_, o, &t);
    EXPECT_TRUE(s.ok()) << s.ToString();
    return t;
  }
  // Every key, each key +-1 and +-5, below the first and above the last:
  // Find must give the position and flag a linear scan gives.
  void ExpectFindAgreesWithScan(Table* t) {
    std::vector<int64_t> keys;
    Record r;
    for (uint32_t i = 0; i < t->record_count(); ++i) {
      ASSERT_TRUE(t->ReadRecord(i, &r).ok());
      keys.push_back(r[0].int_value());
    }
    std::vector<int64_t> probes = {-1, 1, keys.back() + 1, keys.back() + 100};
    for (int64_t k : keys)
      for (int d : {-5, -1, 0, 1, 5}) probes.push_back(k + d);
    for (int64_t p : probes) {
      uint32_t want = 0;
      while (want < keys.size() && keys[want] < p) ++want;
      const bool want_found = want < keys.size() && keys[want] == p;
      uint32_t at = 0;
      bool found = false;
      ASSERT_TRUE(t->Find({Value::Int(p)}, &at, &found).ok()) << p;
      ASSERT_EQ(at, want) << "key " << p;
      ASSERT_EQ(found, want_found) << "key " << p;
    }
  }

  void ExpectDataBlockReads(Table* t, CountingEnv* env) {
    const std::pair<int, int> cases[] = {
        {4010, 1},                        // first record of a block
        {4040, 1},                        // last record of a block
        {4025, 1},                        // missing, inside a block
        {4045, 2},                        // missing, just past a block's last record
        {4049, 2},  {5, 1},     {10, 1},  // below and at the first key
        {10000, 1}, {10005, 1},           // at and above the last key
    };
    uint32_t at = 0;
    bool found = false;
    // Brings the index blocks on these keys' paths into the cache.
    for (auto [key, blocks] : cases) ASSERT_TRUE(t->Find({Value::Int(key)}, &at, &found).ok());
    for (auto [key, blocks] : cases) {
      // Leaves another data block in the table's one-block cache.
      ASSERT_TRUE(t->Find({Value::Int(key < 5000 ? 8000 : 2000)}, &at, &found).ok());
      env->Reset();
      ASSERT_TRUE(t->Find({Value::Int(key)}, &at, &found).ok());
      EXPECT_EQ(env->reads("db"), blocks) << key;
      EXPECT_EQ(env->reads("px"), 0) << key;
    }
  }

  TempDir dir_;
  std::string path_ = dir_.File("ids.db");
  std::string px_ = dir_.File("ids.px");
};

TEST_F(Lookup, FindAgreesWithAScanOnAMultiBlockTable) {
  auto t = Open();
  ASSERT_TRUE(t);
  ASSERT_TRUE(t->index_status().ok());
  ASSERT_EQ(t->blocks().size(), 250u);
  ExpectFindAgreesWithScan(t.get());
}

// With the index in step, a lookup reads the block the index names and, only
// when the key sorts after that block's last record, the next one; the index
// itself is read once per table. Keys are 10 apart, 4 records to a block:
// block p (from 0 in key order) holds 40p+10 .. 40p+40.
TEST_F(Lookup, ALookupReadsOnlyTheBlocksItNeeds) {
  CountingEnv env;
  auto t = Open(&env);
  ASSERT_TRUE(t);
  ExpectDataBlockReads(t.get(), &env);
  uint32_t at = 0;
  bool found = true;
  ASSERT_TRUE(t->Find({Value::Int(4045)}, &at, &found).ok());
  EXPECT_EQ(at, 404u);
  EXPECT_FALSE(found);
}

// A chain that visits the blocks out of number order (as files edited in
// place by other programs have), with an index describing it.
TEST_F(Lookup, ChainOutOfBlockNumberOrder) {
  std::string db = ReadFile(path_);
  const size_t hs = GetU16(db.data() + f::kHeaderSize);
  const size_t bs = static_cast<uint8_t>(db[f::kBlockSizeCode]) * 1024u;
  const size_t nb = (db.size() - hs) / bs;
  ASSERT_EQ(nb, 250u);
  // Chain position p lives in block number(p); 7 and 250 are coprime.
  auto number = [&](size_t p) { return static_cast<uint16_t>((p * 7) % nb + 1); };
  std::string moved = db.substr(0, hs) + std::string(nb * bs, '\0');
  std::vector<std::string> first_keys;
  std::vector<uint16_t> numbers, counts;
  for (size_t p = 0; p < nb; ++p) {
    const char* from = db.data() + hs + p * bs;
    char* to = moved.data() + hs + (number(p) - 1u) * bs;
    std::memcpy(to, from, bs);
    PutU16(to + f::kBlockNext, p + 1 < nb ? number(p + 1) : 0);
    PutU16(to + f::kBlockPrev, p > 0 ? number(p - 1) : 0);
    first_keys.push_back(std::string(from + f::kBlockHeaderSize, 4));
    numbers.push_back(number(p));
    counts.push_back(static_cast<uint16_t>(GetU16(from + f::kBlockLastOffset) / 504 + 1));
  }
  PutU16(moved.data() + f::kFirstBlock, number(0));
  PutU16(moved.data() + f::kLastBlock, number(nb - 1));
  const std::vector<Record> before = testing::ReadAll(path_);

  auto t = Open();
  ASSERT_TRUE(t);
  const TableHeader header = t->header();
  t.reset();
  WriteFile(path_, moved);
  WriteFile(px_, BuildPrimaryIndex(header, first_keys, numbers, counts, header.change_count));

  CountingEnv env;
  t = Open(&env);
  ASSERT_TRUE(t);
  ASSERT_TRUE(t->index_status().ok());
  EXPECT_EQ(t->blocks()[1].number, 8);
  EXPECT_EQ(testing::ReadAll(path_), before);
  ExpectFindAgreesWithScan(t.get());
  ExpectDataBlockReads(t.get(), &env);
}

// Opening a keyed table whose index belongs to it reads the header and the
// index, no data block; a record then costs its own block.
TEST_F(Lookup, OpeningThroughTheIndexReadsNoDataBlock) {
  CountingEnv env;
  auto t = Open(&env);
  ASSERT_TRUE(t);
  EXPECT_TRUE(t->placed_by_index());
  EXPECT_LE(env.reads("db"), 2) << "the header only";
  EXPECT_LE(env.reads("px"), 4) << "the header and one path down the index";
  env.Reset();
  Record r;
  for (uint32_t i : {999u, 0u, 502u}) {
    ASSERT_TRUE(t->ReadRecord(i, &r).ok());
    EXPECT_EQ(r[0].int_value(), 10 * (i + 1));
  }
  EXPECT_EQ(env.reads("db"), 3);
  EXPECT_TRUE(t->placed_by_index());
  ExpectFindAgreesWithScan(t.get());
  EXPECT_TRUE(t->placed_by_index());
}

// An index whose leaf counts are wrong but add up to the table's count (so
// opening trusts it) is found out on the first block that disagrees; the
// chain is walked then and every record still comes out in its place.
TEST_F(Lookup, AnIndexThatDisagreesWithItsBlocksGivesWayToTheChain) {
  auto t = Open();
  ASSERT_TRUE(t);
  std::vector<std::pair<uint16_t, uint16_t>> leaves;
  std::vector<std::string> keys;
  ASSERT_TRUE(const_cast<PrimaryIndex*>(t->primary_index())->LeafEntries(&leaves, &keys).ok());
  const TableHeader header = t->header();
  t.reset();
  std::vector<uint16_t> numbers, counts;
  for (auto [block, count] : leaves) {
    numbers.push_back(block);
    counts.push_back(count);
  }
  counts[100] -= 1;  // the block at position 100 said to hold one record fewer
  counts[101] += 1;
  WriteFile(px_, BuildPrimaryIndex(header, keys, numbers, counts, header.change_count));
  t = Open();
  ASSERT_TRUE(t);
  EXPECT_TRUE(t->placed_by_index());
  Record r;
  for (uint32_t i = 0; i < 1000; ++i) {
    ASSERT_TRUE(t->ReadRecord(i, &r).ok()) << i;
    ASSERT_EQ(r[0].int_value(), 10 * (i + 1)) << i;
  }
  EXPECT_FALSE(t->placed_by_index());
  ExpectFindAgreesWithScan(t.get());
}

// An index left from before a commit (a crash between the .db and the .px
// renames) names wrong blocks: lookups must still be right. Inserts move
// keys to later blocks than the index says, deletions to earlier ones.
TEST_F(Lookup, StaleIndexAfterInserts) {
  const std::string old_px = ReadFile(px_);
  std::vector<int> more = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  for (int i = 1; i <= 300; ++i) more.push_back(10 * i + 5);
  for (int i = 1; i <= 40; ++i) more.push_back(20000 + i);
  Insert(more);
  WriteFile(px_, old_px);
  auto t = Open();
  ASSERT_TRUE(t);
  ASSERT_TRUE(t->index_status().ok());
  EXPECT_FALSE(t->placed_by_index()) << "its stamp is not the table's";
  ExpectFindAgreesWithScan(t.get());
}

TEST_F(Lookup, StaleIndexAfterDeletions) {
  const std::string old_px = ReadFile(px_);
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path_, WriteOptions(), &w).ok());
  for (uint32_t i = 999; i >= 1; --i)
    if (i % 3 == 0 || i > 900) {
      ASSERT_TRUE(w->Delete(i).ok());
    }
  ASSERT_TRUE(w->Commit().ok());
  w.reset();
  WriteFile(px_, old_px);
  auto t = Open();
  ASSERT_TRUE(t);
  ASSERT_TRUE(t->index_status().ok());
  ExpectFindAgreesWithScan(t.get());
}

TEST_F(Lookup, EmptyAndSingleRecordTables) {
  ASSERT_TRUE(Env::Default()->Remove(path_).ok());
  ASSERT_TRUE(Env::Default()->Remove(px_).ok());
  ASSERT_TRUE(CreateTable(path_, {FieldDef::Long("Id"), FieldDef::Alpha("A", 250), FieldDef::Alpha("B", 250)},
                          [] {
                            CreateOptions o;
                            o.key_field_count = 1;
                            return o;
                          }())
                  .ok());
  auto t = Open();
  ASSERT_TRUE(t);
  uint32_t at = 7;
  bool found = true;
  ASSERT_TRUE(t->Find({Value::Int(3)}, &at, &found).ok());
  EXPECT_EQ(at, 0u);
  EXPECT_FALSE(found);
  Insert({50});
  t = Open();
  ASSERT_TRUE(t);
  ExpectFindAgreesWithScan(t.get());
}

// ---- text -------------------------------------------------------------------

std::string IconvName(uint16_t cp) { return cp == 20866 ? "KOI8-R" : "CP" + std::to_string(cp); }

// One byte through iconv, undecodable bytes as U+FFFD.
std::string IconvByte(uint16_t cp, unsigned char b) {
  iconv_t cd = iconv_open("UTF-8", IconvName(cp).c_str());
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  char in = static_cast<char>(b);
  char* src = &in;
  size_t src_left = 1;
  char out[32];
  char* dst = out;
  size_t dst_left = sizeof out;
  std::string r;
  if (iconv(cd, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1)) {
    r = "\xEF\xBF\xBD";
  } else {
    iconv(cd, nullptr, nullptr, &dst, &dst_left);
    r.assign(out, static_cast<size_t>(dst - out));
  }
  iconv_close(cd);
  return r;
}

TEST(TextDecoding, EverySingleByteCodePageByteMatchesIconv) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  for (uint16_t cp : {437, 737, 850, 852,  855,  857,  860,  861,  862,  863,  865,
                      866, 869, 874, 1250, 1251, 1252, 1253, 1254, 1256, 1257, 20866}) {
    TextCodec codec(cp);
    ASSERT_TRUE(codec.valid()) << cp;
    EXPECT_TRUE(codec.byte_table()) << cp;
    std::string joined;
    for (int b = 0; b < 256; ++b) {
      const std::string want = IconvByte(cp, static_cast<unsigned char>(b));
      ASSERT_EQ(codec.Decode(std::string(1, static_cast<char>(b))), want)
          << "code page " << cp << " byte " << b;
      joined += want;
    }
    EXPECT_EQ(codec.Decode(all), joined) << cp;
  }
}

// Multi-byte and combining code pages go through iconv with the whole text;
// a combining converter's held-back last character must come out.
TEST(TextDecoding, MultiByteAndCombiningCodePages) {
  TextCodec gbk(936);
  EXPECT_FALSE(gbk.byte_table());
  EXPECT_EQ(gbk.Decode("\xC4\xE3\xBA\xC3!"), "\xE4\xBD\xA0\xE5\xA5\xBD!");
  EXPECT_EQ(gbk.Decode("a\xC4"), "a\xEF\xBF\xBD");  // cut after a lead byte
  TextCodec hebrew(1255);
  EXPECT_FALSE(hebrew.byte_table());
  EXPECT_EQ(hebrew.Decode("\xE0\xE1"), "\xD7\x90\xD7\x91");
  EXPECT_EQ(hebrew.Decode("\xE0\xFF\xE1"), "\xD7\x90\xEF\xBF\xBD\xD7\x91");
  TextCodec vietnamese(1258);
  EXPECT_FALSE(vietnamese.byte_table());
  EXPECT_EQ(vietnamese.Decode("\xE2"), "\xC3\xA2");
  EXPECT_EQ(vietnamese.Decode("a\xEC"), "\xC3\xA1");  // a + combining acute
  TextCodec unknown(999);
  EXPECT_FALSE(unknown.valid());
  EXPECT_EQ(unknown.Decode("a\x80z"), "a\xEF\xBF\xBDz");
}

// ---- blobs --------------------------------------------------------------------

// Values of many lengths fill several sub-allocated blocks and single-blob
// blocks; reading the records in a shuffled order must give each its own.
TEST(BlobReading, ValuesReadInAnyOrder) {
  TempDir dir;
  const std::string path = dir.File("notes.db");
  ASSERT_TRUE(CreateTable(path, {FieldDef::Long("Id"), FieldDef::Memo("Note", 1)}, {}).ok());
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  std::vector<std::string> notes;
  for (int i = 0; i < 200; ++i) {
    const size_t len = i % 10 == 9 ? 3000 + i : 20 + static_cast<size_t>(i * 37 % 500);
    notes.push_back(std::string(len, static_cast<char>('a' + i % 26)) + std::to_string(i));
    ASSERT_TRUE(w->Insert({Value::Int(i), Value::Text(notes.back())}).ok());
  }
  ASSERT_TRUE(w->Commit().ok());
  w.reset();
  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(path, OpenOptions(), &t).ok());
  std::vector<uint32_t> order(200);
  for (uint32_t i = 0; i < 200; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(7));
  Record r;
  for (uint32_t i : order) {
    ASSERT_TRUE(t->ReadRecord(i, &r).ok()) << i;
    ASSERT_EQ(r[1], Value::Text(notes[static_cast<size_t>(r[0].int_value())])) << i;
  }
}

// Upper index entries keep 16-bit sums: with 4-byte records (510 to a
// 2 KiB block) and 204 entries to an index block, a full leaf block covers
// 104,040 records and its sum wraps. The reader counts such a subtree from
// its leaves and still places every record.
TEST(IndexPlacement, SumsThatWrapAreCountedFromTheLeaves) {
  std::unique_ptr<Env> env = NewMemEnv();
  const std::string path = "/c/big.db";
  CreateOptions o;
  o.env = env.get();
  o.key_field_count = 1;
  ASSERT_TRUE(CreateTable(path, {FieldDef::Long("Id")}, o).ok());
  WriteOptions wo;
  wo.env = env.get();
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, wo, &w).ok());
  constexpr int kRecords = 110000;
  for (int i = 0; i < kRecords; ++i) ASSERT_TRUE(w->Insert({Value::Int(i)}).ok());
  ASSERT_TRUE(w->Commit().ok());
  w.reset();

  OpenOptions oo;
  oo.env = env.get();
  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(path, oo, &t).ok());
  ASSERT_TRUE(t->placed_by_index());
  ASSERT_EQ(t->primary_index()->header().index_levels, 2);
  // The first root entry's stored sum is not the records below it.
  std::unique_ptr<RandomAccessFile> px;
  ASSERT_TRUE(env->OpenRandomAccess("/c/big.px", &px).ok());
  const TableHeader& ph = t->primary_index()->header();
  std::string root;
  ASSERT_TRUE(px->Read(ph.header_size, ph.block_size(), &root).ok());
  const uint16_t stored = static_cast<uint16_t>(((static_cast<uint8_t>(root[f::kBlockHeaderSize + 6]) << 8) |
                                                 static_cast<uint8_t>(root[f::kBlockHeaderSize + 7])) ^
                                                0x8000);
  ASSERT_EQ(stored, (204u * 510u) & 0xFFFF) << "the case this test is about";

  Record r;
  for (uint32_t i : {0u, 104039u, 104040u, 65535u, 65536u, 109999u}) {
    ASSERT_TRUE(t->ReadRecord(i, &r).ok()) << i;
    EXPECT_EQ(r[0].int_value(), static_cast<int64_t>(i));
  }
  uint32_t at = 0;
  bool found = false;
  ASSERT_TRUE(t->Find({Value::Int(104041)}, &at, &found).ok());
  EXPECT_TRUE(found);
  EXPECT_EQ(at, 104041u);
  EXPECT_TRUE(t->placed_by_index());
}

}  // namespace
}  // namespace orba::pdx
