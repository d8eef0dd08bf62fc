// Secondary indexes kept by in-place commits: after any run of inserts
// (splitting .DB blocks and X blocks) every X file lists exactly the
// entries a whole rebuild of the table makes, under the same header, and its
// Y file is the tree over its blocks; a reader holding the table finds what
// was added; an index that cannot be kept in place is rebuilt by a whole
// rewrite; power cuts leave table and index together before or after.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <set>

#include "IndexCheck.h"
#include "MadeTables.h"
#include "PowerLossEnv.h"
#include "TestSupport.h"
#include "paradox/Coding.h"
#include "paradox/Format.h"
#include "paradox/Journal.h"
#include "paradox/PrimaryIndex.h"
#include "paradox/SecondaryIndex.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace orba::pdx {
namespace {

using testing::CheckSecondaryIndexes;
using testing::IndexCheckOptions;
using testing::PowerLossEnv;
using testing::TempDir;

const char* const kCities[] = {"Avignon", "avignon", "Brest", "Caen", "caen", "Dijon", "Lyon", "Metz"};

// clients.db: Id (key), City, Name, Balance in 1 KiB blocks (17 records
// each), with a single-field index on City (entries by primary key) and a
// composite one on Name ignoring case, then Balance descending.
std::string MakeClients(Env* env, const std::string& dir, int count) {
  const std::string path = dir + "/clients.db";
  CreateOptions co;
  co.env = env;
  co.key_field_count = 1;
  co.block_size_kib = 1;
  EXPECT_TRUE(CreateTable(path,
                          {FieldDef::Long("Id"), FieldDef::Alpha("City", 20), FieldDef::Alpha("Name", 24),
                           FieldDef::Money("Balance")},
                          co)
                  .ok());
  WriteOptions wo;
  wo.env = env;
  std::unique_ptr<TableWriter> w;
  EXPECT_TRUE(TableWriter::Open(path, wo, &w).ok());
  if (!w) return path;
  for (int i = 0; i < count; ++i)
    EXPECT_TRUE(w->Insert({Value::Int(i * 100), Value::Text(kCities[i % 8]),
                           Value::Text("name " + std::to_string(i % 7)), Value::Double(i % 5 * 10.0)})
                    .ok());
  EXPECT_TRUE(w->Commit().ok());
  EXPECT_TRUE(w->CreateIndex("City").ok());
  IndexDefinition def;
  def.fields = {{2, false}, {3, true}};
  def.ignore_case = true;
  def.name = "ByName";
  EXPECT_TRUE(w->CreateIndex(def).ok());
  return path;
}

Record RandomClient(std::mt19937& random, int id) {
  const char* names[] = {"name 1", "NAME 1", "Name 9", "aaron", "Zoe", "name 3"};
  return {Value::Int(id), Value::Text(kCities[random() % 8]), Value::Text(names[random() % 6]),
          Value::Double(static_cast<double>(random() % 9) * 5.0)};
}

Record RandomLedgerRow(std::mt19937& random) {
  return {Value::Text(std::string(random() % 2 ? "row " : "ROW ") + kCities[random() % 8]),
          Value::Double(static_cast<double>(random() % 11) - 5)};
}

// The entries of an X file along its chain.
std::vector<std::string> Entries(Env* env, const std::string& x_path) {
  OpenOptions o;
  o.env = env;
  std::unique_ptr<Table> x;
  const Status s = Table::OpenIndexData(x_path, o, &x);
  EXPECT_TRUE(s.ok()) << s.ToString();
  std::vector<std::string> out;
  for (uint32_t i = 0; x && i < x->record_count(); ++i) {
    std::string e;
    EXPECT_TRUE(x->ReadRawRecord(i, &e).ok());
    out.push_back(std::move(e));
  }
  return out;
}

std::string ReadBytes(Env* env, const std::string& path) {
  std::unique_ptr<RandomAccessFile> f;
  std::string out;
  if (env->OpenRandomAccess(path, &f).ok()) f->Read(0, f->Size(), &out);
  return out;
}

// Every index of the table against what BuildSecondaryIndex makes from the
// table as it stands: the same entries in the same order (values, keys or
// record numbers, block numbers and offsets), the same X header but for the
// block numbers, and a Y file that is byte for byte the tree the rebuild
// lays out, over this X file's blocks.
void ExpectIndexesAsRebuilt(Env* env, const std::string& path, const std::string& what) {
  OpenOptions o;
  o.env = env;
  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(path, o, &t).ok()) << what;
  std::vector<std::string> raws;
  std::vector<PlacedRecord> placed;
  ASSERT_TRUE(testing::PlaceRecords(t.get(), &raws, &placed)) << what;
  std::vector<SecondaryIndexFiles> files;
  ASSERT_TRUE(FindSecondaryIndexFiles(env, path, &files).ok());
  ASSERT_FALSE(files.empty());
  for (const SecondaryIndexFiles& fl : files) {
    const std::string name = what + ", " + BaseName(fl.x);
    for (const SecondaryIndexInfo& info : t->secondary_indexes()) {
      if (info.file == BaseName(fl.x)) {
        EXPECT_TRUE(info.status.ok()) << name << ": " << info.status.ToString();
      }
    }
    SecondaryIndex index;
    ASSERT_TRUE(ReadSecondaryIndex(env, fl, t->header(), &index).ok()) << name;
    IndexFileImages built;
    const uint32_t time = GetU32(index.x.raw.data() + format::kUpdateTime);
    ASSERT_TRUE(BuildSecondaryIndex(index, t.get(), placed, index.change_stamp(), time, &built).ok()) << name;
    const std::string rebuilt = DirName(path) + "/rebuilt.x";
    {
      std::unique_ptr<WritableFile> f;
      ASSERT_TRUE(env->OpenWritable(rebuilt, true, &f).ok());
      ASSERT_TRUE(f->Write(0, built.x).ok());
    }
    EXPECT_EQ(Entries(env, fl.x), Entries(env, rebuilt)) << name;
    env->Remove(rebuilt);

    const std::string x_bytes = ReadBytes(env, fl.x);
    std::string ours = x_bytes.substr(0, index.x.header_size),
                theirs = built.x.substr(0, index.x.header_size);
    for (size_t at : {format::kUsedBlocks, format::kFileBlocks, format::kFirstBlock, format::kLastBlock,
                      format::kMaxBlocks}) {
      ours.replace(at, 2, 2, '\0');
      theirs.replace(at, 2, 2, '\0');
    }
    EXPECT_EQ(ours, theirs) << name << ": headers differ beyond their block numbers";

    // The tree over the X file's blocks, in the chain's order.
    OpenOptions xo;
    xo.env = env;
    std::unique_ptr<Table> x;
    ASSERT_TRUE(Table::OpenIndexData(fl.x, xo, &x).ok()) << name;
    const size_t tree_key = index.x.record_size - PhysicalSize(index.x.fields.back());
    std::vector<std::string> keys;
    std::vector<uint16_t> numbers, counts;
    for (const Table::Block& b : x->blocks()) {
      std::string first;
      ASSERT_TRUE(x->ReadRawRecord(b.first_record, &first).ok());
      keys.push_back(first.substr(0, tree_key));
      numbers.push_back(b.number);
      counts.push_back(static_cast<uint16_t>(b.records));
    }
    const uint16_t y_header = GetU16(built.y.data() + format::kHeaderSize);
    const size_t y_block = static_cast<uint8_t>(built.y[format::kBlockSizeCode]) * 1024u;
    const IndexTree tree = LayOutIndexTree(keys, numbers, counts, tree_key, y_block);
    std::string y = built.y.substr(0, y_header);
    PutIndexTreeHeader(reinterpret_cast<uint8_t*>(y.data()), tree, index.change_stamp());
    EXPECT_TRUE(ReadBytes(env, fl.y) == y + tree.blocks)
        << name << ": the tree is not the one over its blocks";
  }
  IndexCheckOptions io;
  io.env = env;
  EXPECT_EQ(CheckSecondaryIndexes(path, io), "") << what;
}

// Random inserts in many commits (some writers commit twice), on a keyed
// table (entries by primary key; a case-blind composite with a descending
// field) and an unkeyed one (entries by record number): .DB blocks and X
// blocks split at the front, in the middle and at the end, and every
// commit keeps every index as a rebuild would make it.
TEST(InPlaceIndexes, RandomInsertsKeepEveryIndexAsARebuildWouldMakeIt) {
  TempDir dir;
  Env* env = Env::Default();
  std::mt19937 random(20261207);
  for (const bool keyed : {true, false}) {
    const std::string path = keyed ? MakeClients(env, dir.path(), 120) : testing::MakeLedger(dir.path(), 60);
    std::vector<int> ids;
    for (int i = 0; i < 120; ++i) ids.push_back(i * 100);
    for (int round = 0; round < 14; ++round) {
      const std::string what = std::string(keyed ? "clients" : "ledger") + " round " + std::to_string(round);
      std::unique_ptr<TableWriter> w;
      ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok()) << what;
      ASSERT_TRUE(w->in_place()) << what;
      for (int commit = 0; commit < (round % 3 == 0 ? 2 : 1); ++commit) {
        const int count = 1 + static_cast<int>(random() % (round % 4 == 3 ? 60 : 20));
        for (int i = 0; i < count; ++i) {
          Status s;
          if (keyed) {
            // Mostly anywhere; some rounds all at the front or the end.
            int id = round % 5 == 1   ? -1 - static_cast<int>(ids.size())
                     : round % 5 == 2 ? 1000000 + static_cast<int>(ids.size())
                                      : static_cast<int>(random() % 20000);
            if (std::find(ids.begin(), ids.end(), id) != ids.end()) continue;
            ids.push_back(id);
            s = w->Insert(RandomClient(random, id));
          } else {
            s = w->Insert(RandomLedgerRow(random));
          }
          ASSERT_TRUE(s.ok()) << what << ": " << s.ToString();
        }
        std::vector<Record> expected(w->record_count());
        for (uint32_t i = 0; i < w->record_count(); ++i) ASSERT_TRUE(w->Get(i, &expected[i]).ok());
        ASSERT_TRUE(w->Commit().ok()) << what;
        EXPECT_EQ(w->commit_note(), "") << what;
        EXPECT_TRUE(w->in_place()) << what;
        EXPECT_EQ(testing::ReadAll(path), expected) << what;
        ExpectIndexesAsRebuilt(env, path, what + " commit " + std::to_string(commit));
        if (::testing::Test::HasFatalFailure() || ::testing::Test::HasNonfatalFailure()) return;
      }
    }
    // Splits happened: blocks that are not full in every X file, and in the
    // keyed .DB (an unkeyed one only appends, filling its blocks).
    std::unique_ptr<Table> t;
    ASSERT_TRUE(Table::Open(path, OpenOptions(), &t).ok());
    const size_t per_block = (t->header().block_size() - format::kBlockHeaderSize) / t->header().record_size;
    if (keyed) {
      EXPECT_GT(t->blocks().size(), (t->record_count() + per_block - 1) / per_block);
    }
    std::vector<SecondaryIndexFiles> files;
    ASSERT_TRUE(FindSecondaryIndexFiles(env, path, &files).ok());
    for (const SecondaryIndexFiles& fl : files) {
      std::unique_ptr<Table> x;
      ASSERT_TRUE(Table::OpenIndexData(fl.x, OpenOptions(), &x).ok());
      const size_t per_x = (x->header().block_size() - format::kBlockHeaderSize) / x->header().record_size;
      EXPECT_GT(x->blocks().size(), (x->record_count() + per_x - 1) / per_x) << fl.x;
    }
  }
}

// Updates (of indexed values, of the key) and deletes mixed with inserts, in
// place on a keyed table with its two indexes: after every commit the table
// is the writer's view of it and each index is what a rebuild makes. A
// commit that would empty an X block takes the whole rewrite instead, and
// the next writer is in place again.
TEST(InPlaceIndexes, UpdatesAndDeletesKeepEveryIndexAsARebuildWouldMakeIt) {
  TempDir dir;
  Env* env = Env::Default();
  std::mt19937 random(77);
  const std::string path = MakeClients(env, dir.path(), 400);
  std::set<int> ids;
  for (int i = 0; i < 400; ++i) ids.insert(i * 100);
  auto fresh_id = [&] {
    int id = 0;
    do id = static_cast<int>(random() % 60000);
    while (ids.count(id));
    return id;
  };
  int in_place = 0, rewritten = 0;
  for (int commit = 0; commit < 40; ++commit) {
    const std::string what = "commit " + std::to_string(commit);
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok()) << what;
    ASSERT_TRUE(w->in_place()) << what;
    const int ops = 1 + static_cast<int>(random() % 12);
    for (int op = 0; op < ops; ++op) {
      const uint32_t at = static_cast<uint32_t>(random() % w->record_count());
      Record r;
      ASSERT_TRUE(w->Get(at, &r).ok()) << what;
      const int kind = static_cast<int>(random() % 4);
      Status s;
      if (kind == 0) {
        const int id = fresh_id();
        ids.insert(id);
        s = w->Insert(RandomClient(random, id));
      } else if (kind == 1) {  // new values under the same key
        s = w->Update(at, RandomClient(random, static_cast<int>(r[0].int_value())));
      } else if (kind == 2) {  // a new key
        const int id = fresh_id();
        ids.erase(static_cast<int>(r[0].int_value()));
        ids.insert(id);
        s = w->Update(at, RandomClient(random, id));
      } else {
        ids.erase(static_cast<int>(r[0].int_value()));
        s = w->Delete(at);
      }
      ASSERT_TRUE(s.ok()) << what << ": " << s.ToString();
    }
    ASSERT_TRUE(w->in_place()) << what << ": the changes wait in place";
    std::vector<Record> expected(w->record_count());
    for (uint32_t i = 0; i < w->record_count(); ++i) ASSERT_TRUE(w->Get(i, &expected[i]).ok());
    ASSERT_TRUE(w->Commit().ok()) << what;
    EXPECT_EQ(w->commit_note(), "") << what;
    ++(w->in_place() ? in_place : rewritten);
    w.reset();
    EXPECT_EQ(testing::ReadAll(path), expected) << what;
    ExpectIndexesAsRebuilt(env, path, what);
    if (::testing::Test::HasFatalFailure() || ::testing::Test::HasNonfatalFailure()) return;
  }
  EXPECT_GT(in_place, 20) << "most commits stay in place";
  std::printf("commits in place: %d, rewritten (an X block emptied): %d\n", in_place, rewritten);
}

// A reader that keeps the table open finds, through the index, a record
// added in place after its first lookup.
TEST(InPlaceIndexes, AReaderHoldingTheTableFindsWhatWasAddedThroughTheIndex) {
  TempDir dir;
  const std::string path = MakeClients(Env::Default(), dir.path(), 100);
  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(path, OpenOptions(), &t).ok());
  std::vector<uint32_t> found;
  bool used = false;
  ASSERT_TRUE(t->FindEqual(0, {Value::Text("Brest")}, &found, &used).ok());
  EXPECT_TRUE(used);
  EXPECT_EQ(found.size(), 13u);
  std::mt19937 random(3);
  for (int id : {-5, 50, 9999}) {
    Record r = RandomClient(random, id);
    r[1] = Value::Text("Brest");
    ASSERT_TRUE(AppendRecord(path, r).ok());
  }
  ASSERT_TRUE(t->FindEqual(0, {Value::Text("Brest")}, &found, &used).ok());
  EXPECT_TRUE(used);
  ASSERT_EQ(found.size(), 16u);
  EXPECT_EQ(t->record_count(), 103u);
  for (uint32_t pos : found) {
    Record r;
    ASSERT_TRUE(t->ReadRecord(pos, &r).ok());
    EXPECT_EQ(r[1], Value::Text("Brest"));
  }
}

// A reader that finds a committed journal it cannot complete (a writer
// holds the table and is applying it) reads the table through it, but not
// the index files the journal changes, which may be half written: it takes
// them as out of date and its lookups read the table. Once the journal is
// completed, lookups use the index again.
TEST(InPlaceIndexes, AReaderThroughAJournalLooksUpWithoutTheIndexesItChanges) {
  auto env = NewMemEnv();
  const std::string path = MakeClients(env.get(), "/t", 100);
  const std::vector<std::string> files = {
      path, "/t/clients.px", "/t/clients.x02", "/t/clients.y02", "/t/clients.xg0", "/t/clients.yg0"};
  // The journal of an insert, taken from a real commit on a copy: every
  // file whole.
  auto copy = NewMemEnv();
  testing::CopyFiles(env.get(), copy.get(), files);
  std::mt19937 random(5);
  Record added = RandomClient(random, 5);
  added[1] = Value::Text("Brest");
  WriteOptions wo;
  wo.env = copy.get();
  ASSERT_TRUE(AppendRecord(path, added, wo).ok());
  Journal j;
  j.before = static_cast<uint8_t>(ReadBytes(env.get(), path)[format::kChangeCount1]);
  j.after = static_cast<uint8_t>(ReadBytes(copy.get(), path)[format::kChangeCount1]);
  for (size_t i = 0; i < files.size(); ++i) {
    JournalImage::File file = static_cast<JournalImage::File>(i);
    if (i >= 2) {
      j.named.push_back(BaseName(files[i]));
      file = static_cast<JournalImage::File>(JournalImage::kFirstNamed + j.named.size() - 1);
    }
    j.images.push_back({file, false, 0, ReadBytes(copy.get(), files[i])});
  }
  {
    std::unique_ptr<WritableFile> f;
    ASSERT_TRUE(env->OpenWritable(JournalPath(path), true, &f).ok());
    ASSERT_TRUE(f->Write(0, EncodeJournal(j)).ok());
    // Applied as far as the first index file, whose tree is still the old.
    ASSERT_TRUE(env->OpenWritable("/t/clients.x02", true, &f).ok());
    ASSERT_TRUE(f->Write(0, ReadBytes(copy.get(), "/t/clients.x02")).ok());
  }
  std::unique_ptr<FileLock> lock;
  ASSERT_TRUE(env->Lock(path + ".lock", LockOptions(), &lock).ok());
  OpenOptions o;
  o.env = env.get();
  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(path, o, &t).ok());
  EXPECT_EQ(t->record_count(), 101u);
  EXPECT_FALSE(t->secondary_indexes()[0].status.ok());
  std::vector<uint32_t> through, after;
  bool used = true;
  ASSERT_TRUE(t->FindEqual(0, {Value::Text("Brest")}, &through, &used).ok());
  EXPECT_FALSE(used);
  EXPECT_EQ(through.size(), 14u);
  EXPECT_TRUE(env->Exists(JournalPath(path)));

  lock.reset();
  ASSERT_TRUE(Table::Open(path, o, &t).ok());
  EXPECT_FALSE(env->Exists(JournalPath(path)));
  ASSERT_TRUE(t->FindEqual(0, {Value::Text("Brest")}, &after, &used).ok());
  EXPECT_TRUE(used);
  EXPECT_EQ(after, through);
  ExpectIndexesAsRebuilt(env.get(), path, "after the journal");
}

// An index not current for the table takes the whole rewrite, which makes
// it current; so does one found damaged when the commit reads it, and the
// commit says so.
TEST(InPlaceIndexes, AnIndexThatCannotBeKeptInPlaceIsRebuiltByAWholeRewrite) {
  TempDir dir;
  Env* env = Env::Default();
  const std::string path = MakeClients(env, dir.path(), 100);
  const std::string x = dir.File("clients.x02"), y = dir.File("clients.y02");
  std::mt19937 random(11);
  {
    // Built with another primary index: out of date.
    std::string bytes = testing::ReadFile(x);
    bytes[format::kPrimaryStamp] = static_cast<char>(bytes[format::kPrimaryStamp] + 1);
    testing::WriteFile(x, bytes);
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
    EXPECT_FALSE(w->in_place());
    ASSERT_TRUE(w->Insert(RandomClient(random, 55)).ok());
    ASSERT_TRUE(w->Commit().ok());
    ExpectIndexesAsRebuilt(env, path, "after an out-of-date index");
  }
  {
    // The tree's blocks lost between Open and Commit.
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
    ASSERT_TRUE(w->in_place());
    ASSERT_TRUE(w->Insert(RandomClient(random, 56)).ok());
    const std::string tree = testing::ReadFile(y);
    testing::WriteFile(y, tree.substr(0, GetU16(tree.data() + format::kHeaderSize)));
    ASSERT_TRUE(w->Commit().ok());
    EXPECT_NE(w->commit_note().find("clients.x02 was damaged"), std::string::npos) << w->commit_note();
    ExpectIndexesAsRebuilt(env, path, "after a damaged tree");
  }
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  EXPECT_TRUE(w->in_place());
}

// A journal names the index files its images change; one that names a
// file that is not an index of its table does not count.
TEST(InPlaceIndexes, AJournalNamesOnlyTheTablesOwnIndexFiles) {
  Journal j;
  j.before = 4;
  j.after = 5;
  j.named = {"clients.X02", "clients.Y02"};
  j.images.push_back({JournalImage::kData, false, 0, "h"});
  j.images.push_back({static_cast<JournalImage::File>(JournalImage::kFirstNamed + 1), false, 2048, "y"});
  Journal back;
  ASSERT_TRUE(DecodeJournal(EncodeJournal(j), &back).ok());
  EXPECT_EQ(back.named, j.named);
  ASSERT_EQ(back.images.size(), 2u);
  EXPECT_EQ(JournalFilePath("/d/clients.db", "/d/clients.px", back, back.images[1].file), "/d/clients.Y02");
  j.images.push_back({static_cast<JournalImage::File>(JournalImage::kFirstNamed + 2), false, 0, "?"});
  EXPECT_FALSE(DecodeJournal(EncodeJournal(j), &back).ok()) << "an image of a file it does not name";
  j.images.pop_back();
  for (const char* bad : {"../clients.X02", "", "other.X02", "clients.db"}) {
    Journal k = j;
    k.named[0] = bad;
    const bool decodes = DecodeJournal(EncodeJournal(k), &back).ok();
    EXPECT_TRUE(!decodes || JournalFilePath("/d/clients.db", "", back, JournalImage::kFirstNamed).empty())
        << bad;
  }
}

}  // namespace
}  // namespace orba::pdx
