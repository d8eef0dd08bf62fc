// Commits made in place through a journal: what a journal accepts, what
// openers do with one left behind, what a reader that holds the table open
// sees, a full disk at every write, and power cuts at every step of an
// in-place commit (with the disk reordering unsynced writes).
//
// ORBA_POWER_LOSS_RUNS sets the number of simulated cuts (1,000 by default).
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <set>

#include "FullDiskEnv.h"
#include "IndexCheck.h"
#include "PowerLossEnv.h"
#include "TestSupport.h"
#include "paradox/BlobWriter.h"
#include "paradox/Coding.h"
#include "paradox/Format.h"
#include "paradox/Journal.h"
#include "paradox/PrimaryIndex.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace orba::pdx {
namespace {

using testing::PowerLossEnv;

std::vector<FieldDef> Fields(bool memo = false) {
  std::vector<FieldDef> fields = {FieldDef::Long("Id"), FieldDef::Alpha("Name", 40)};
  if (memo) fields.push_back(FieldDef::Memo("Notes", 10));
  return fields;
}

// The memo field's values: kMixedNotes, by id: none, one kept in the
// record, a small one in the .MB and a large one (a block of its own);
// kLargeNotes: three 4 KiB units each, so that a table of 110 records has a
// .MB past the size an in-place commit walks.
enum Memo { kNoMemo, kMixedNotes, kLargeNotes };
std::string Notes(int id, Memo memo) {
  if (memo == kLargeNotes) return std::string(9000 + id % 13, static_cast<char>('A' + id % 26));
  switch (id % 4) {
    case 0:
      return {};
    case 1:
      return "short";
    case 2:
      return "notes on client " + std::to_string(id);
    default:
      return std::string(2500 + id % 7, static_cast<char>('a' + id % 26));
  }
}

Record Row(int id, Memo memo = kNoMemo) {
  Record r = {Value::Int(id), Value::Text("client " + std::to_string(id))};
  if (memo != kNoMemo) r.push_back(Notes(id, memo).empty() ? Value::Null() : Value::Text(Notes(id, memo)));
  return r;
}

// A keyed (or unkeyed) table of ids first, first + step, ... in 1 KiB
// blocks (about 22 records each; 18 with the memo), written in one commit.
void MakeTable(Env* env, const std::string& path, bool keyed, int count, int first = 1000, int step = 10,
               Memo memo = kNoMemo) {
  CreateOptions co;
  co.env = env;
  co.key_field_count = keyed ? 1 : 0;
  co.block_size_kib = 1;
  ASSERT_TRUE(CreateTable(path, Fields(memo != kNoMemo), co).ok());
  WriteOptions wo;
  wo.env = env;
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, wo, &w).ok());
  for (int i = 0; i < count; ++i) ASSERT_TRUE(w->Insert(Row(first + i * step, memo)).ok());
  ASSERT_TRUE(w->Commit().ok());
}

Status InsertIds(Env* env, const std::string& path, const std::vector<int>& ids, bool* in_place = nullptr,
                 Memo memo = kNoMemo) {
  WriteOptions wo;
  wo.env = env;
  std::unique_ptr<TableWriter> w;
  Status s = TableWriter::Open(path, wo, &w);
  if (s.ok() && in_place) *in_place = w->in_place();
  for (size_t i = 0; s.ok() && i < ids.size(); ++i) s = w->Insert(Row(ids[i], memo));
  if (s.ok()) s = w->Commit();
  return s;
}

std::vector<int> Ids(const std::vector<Record>& rows) {
  std::vector<int> ids;
  for (const Record& r : rows) ids.push_back(static_cast<int>(r[0].int_value()));
  return ids;
}

TEST(Journal, OnlyAWholeJournalWithItsCommitMarkCounts) {
  Journal j;
  j.before = 7;
  j.after = 8;
  j.images.push_back({JournalImage::kData, false, 2048, std::string(1024, 'b')});
  j.images.push_back({JournalImage::kPrimaryIndex, false, 0, std::string(2048, 'p')});
  j.images.push_back({JournalImage::kPrimaryIndex, true, 6144, {}});
  const std::string bytes = EncodeJournal(j);
  Journal back;
  ASSERT_TRUE(DecodeJournal(bytes, &back).ok());
  EXPECT_EQ(back.before, 7);
  EXPECT_EQ(back.after, 8);
  ASSERT_EQ(back.images.size(), 3u);
  EXPECT_EQ(back.images[0].offset, 2048u);
  EXPECT_EQ(back.images[1].data, std::string(2048, 'p'));
  EXPECT_TRUE(back.images[2].resize);
  EXPECT_EQ(back.images[2].offset, 6144u);
  // Cut anywhere, or any byte changed: not a journal.
  for (size_t n = 0; n < bytes.size(); n += 7)
    EXPECT_FALSE(DecodeJournal(bytes.substr(0, n), &back).ok()) << "cut at " << n;
  for (size_t at = 0; at < bytes.size(); at += 97) {
    std::string bad = bytes;
    bad[at] = static_cast<char>(bad[at] ^ 0x20);
    EXPECT_FALSE(DecodeJournal(bad, &back).ok()) << "byte " << at;
  }
}

// Inserts into a keyed table go where their keys go, blocks split at the
// front, in the middle and at the end, and only the writer's first reads
// touch the file: the table reads back through its .PX and by its chain.
TEST(InPlace, InsertsLandInKeyOrderAcrossSplitsAndCommits) {
  auto env = NewMemEnv();
  const std::string path = "/t/clients.db";
  MakeTable(env.get(), path, true, 200);
  std::vector<int> expected;
  for (int i = 0; i < 200; ++i) expected.push_back(1000 + i * 10);
  std::mt19937 random(7);
  for (int round = 0; round < 8; ++round) {
    std::vector<int> ids;
    for (int k = 0; k < 30; ++k) {
      int id = 0;
      do id = static_cast<int>(random() % 2000) * 2;  // even, as the table's ids: odd ones stay free
      while (std::find(expected.begin(), expected.end(), id) != expected.end() ||
             std::find(ids.begin(), ids.end(), id) != ids.end());
      ids.push_back(id);
    }
    ids.push_back(-2 - 2 * round);    // before every key
    ids.push_back(9000 + 2 * round);  // after every key
    bool in_place = false;
    ASSERT_TRUE(InsertIds(env.get(), path, ids, &in_place).ok()) << "round " << round;
    EXPECT_TRUE(in_place);
    expected.insert(expected.end(), ids.begin(), ids.end());
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(Ids(testing::ReadAll(path, env.get())), expected) << "round " << round;
  }
  OpenOptions o;
  o.env = env.get();
  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(path, o, &t).ok());
  EXPECT_TRUE(t->placed_by_index()) << "the .PX belongs to the .DB after every commit";
  uint32_t walked = 0;
  for (const Table::Block& b : t->blocks()) walked += b.records;
  EXPECT_EQ(walked, expected.size());
  EXPECT_FALSE(env->Exists(JournalPath(path))) << "the journal is retired";

  // A duplicate is refused before anything is written; the writer's own
  // view (record_count, Get) includes its waiting inserts.
  WriteOptions wo;
  wo.env = env.get();
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, wo, &w).ok());
  EXPECT_TRUE(w->Insert(Row(expected[5])).IsInvalidArgument());
  uint32_t at = 0;
  ASSERT_TRUE(w->Insert(Row(expected[5] + 1), &at).ok());
  EXPECT_EQ(at, 6u);
  ASSERT_TRUE(w->Insert(Row(expected[2] + 1), &at).ok());
  EXPECT_EQ(at, 3u);
  EXPECT_TRUE(w->Insert(Row(expected[5] + 1)).IsInvalidArgument());
  EXPECT_EQ(w->record_count(), expected.size() + 2);
  Record r;
  ASSERT_TRUE(w->Get(7, &r).ok());
  EXPECT_EQ(r[0].int_value(), expected[5] + 1);
  ASSERT_TRUE(w->Get(8, &r).ok());
  EXPECT_EQ(r[0].int_value(), expected[6]);
  // An update waits with the inserts, in place.
  ASSERT_TRUE(w->Get(0, &r).ok());
  r[1] = Value::Text("renamed");
  ASSERT_TRUE(w->Update(0, r).ok());
  EXPECT_TRUE(w->in_place());
  ASSERT_TRUE(w->Commit().ok());
  const auto rows = testing::ReadAll(path, env.get());
  ASSERT_EQ(rows.size(), expected.size() + 2);
  EXPECT_EQ(rows[0][1].text(), "renamed");
  EXPECT_EQ(rows[7][0].int_value(), expected[5] + 1);
}

// The .PX a layout of the chain as it now stands makes, byte for byte, and
// the free list: every allocated block is in the chain or on the list, once.
void ExpectIndexAndFreeListAgree(Env* env, const std::string& path, const std::string& when) {
  OpenOptions o;
  o.env = env;
  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(path, o, &t).ok()) << when;
  ASSERT_TRUE(t->placed_by_index()) << when;
  EXPECT_EQ(testing::ChainLinkFaults(t.get()), "") << when;
  std::vector<std::string> keys;
  std::vector<uint16_t> blocks, counts;
  for (const Table::Block& b : t->blocks()) {
    std::string raw;
    ASSERT_TRUE(t->ReadRawRecord(b.first_record, &raw).ok()) << when;
    keys.push_back(raw.substr(0, 4));
    blocks.push_back(b.number);
    counts.push_back(b.records);
  }
  const std::string px_path = path.substr(0, path.size() - 3) + ".px";
  ASSERT_EQ(testing::ReadFileIn(env, px_path),
            BuildPrimaryIndex(t->header(), keys, blocks, counts, t->header().change_count))
      << when;
  const TableHeader& h = t->header();
  const std::string db = testing::ReadFileIn(env, path);
  std::set<uint16_t> seen(blocks.begin(), blocks.end());
  size_t free_blocks = 0;
  for (uint16_t b = h.first_free_block; b != 0; ++free_blocks) {
    ASSERT_TRUE(b <= h.file_blocks && seen.insert(b).second) << when << ": free block " << b;
    const auto* p = reinterpret_cast<const uint8_t*>(db.data()) + h.header_size + (b - 1) * h.block_size();
    EXPECT_EQ(static_cast<int16_t>((p[5] << 8) | p[4]), -static_cast<int>(h.record_size)) << when;
    b = static_cast<uint16_t>((p[1] << 8) | p[0]);
  }
  EXPECT_EQ(h.used_blocks, blocks.size()) << when;
  EXPECT_EQ(h.file_blocks, blocks.size() + free_blocks) << when;
  EXPECT_EQ(db.size(), h.header_size + size_t{h.file_blocks} * h.block_size()) << when;
}

// The .PX after any run of in-place commits, whether they split blocks (the
// tree laid out again) or not (the entries on the path patched), is the one
// a layout of the chain makes: two levels here, so that a new first key and
// the counts climb to the root.
TEST(InPlace, TheIndexIsTheLayoutOfTheChainAfterEveryCommit) {
  auto env = NewMemEnv();
  const std::string path = "/t/clients.db";
  MakeTable(env.get(), path, true, 2500, 1000, 4);
  std::mt19937 random(19);
  std::vector<int> ids;
  for (int i = 0; i < 2500; ++i) ids.push_back(1000 + 4 * i);
  for (int commit = 0; commit < 160; ++commit) {
    int id = 0;
    if (commit % 40 == 39) {
      id = ids.front() - 1;  // a new first key of the table
    } else {
      do id = 1000 + static_cast<int>(random() % 10000);
      while (std::binary_search(ids.begin(), ids.end(), id));
    }
    bool in_place = false;
    ASSERT_TRUE(InsertIds(env.get(), path, {id}, &in_place).ok());
    ASSERT_TRUE(in_place);
    ids.insert(std::lower_bound(ids.begin(), ids.end(), id), id);
    ExpectIndexAndFreeListAgree(env.get(), path,
                                "commit " + std::to_string(commit) + ", id " + std::to_string(id));
  }
  EXPECT_EQ(Ids(testing::ReadAll(path, env.get())), ids);
}

// Inserts, updates (of the key too) and deletes mixed in place, against a
// model: the writer's own view before the commit, the table after it, the
// .PX and the free list after each commit. Runs of deletes empty blocks,
// which go onto the free list; later splits take them back before the file
// grows. Runs of deletes from the front empty the first block, which takes
// the next block's records; only emptying the whole table takes the rewrite.
TEST(InPlace, UpdatesAndDeletesFollowAModelAndEmptiedBlocksAreReused) {
  auto env = NewMemEnv();
  const std::string path = "/t/clients.db";
  MakeTable(env.get(), path, true, 600, 1000, 10);
  std::map<int, std::string> model;
  for (int i = 0; i < 600; ++i) model[1000 + 10 * i] = "client " + std::to_string(1000 + 10 * i);
  std::mt19937 random(21);
  auto nth = [&](size_t i) { return std::next(model.begin(), static_cast<long>(i)); };
  int rewrites = 0, reused_before_growth = 0;
  for (int commit = 0; commit < 80; ++commit) {
    WriteOptions wo;
    wo.env = env.get();
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(path, wo, &w).ok());
    // Runs of deletes, mixed single changes, inserts, runs from the front.
    const int phase = commit < 10 ? 0 : commit < 40 ? 1 : commit < 60 ? 2 : 3;
    const int ops = phase == 1   ? 1 + static_cast<int>(random() % 10)
                    : phase == 2 ? 1 + static_cast<int>(random() % 25)
                                 : 1;
    const int run = phase == 1 ? 1 : 30;  // 30 empty at least one block
    for (int op = 0; op < ops && !model.empty(); ++op) {
      const int kind = phase == 0 ? 2 : phase == 2 ? 0 : phase == 3 ? 3 : static_cast<int>(random() % 3);
      if (kind == 0) {  // insert
        int id = 0;
        do id = static_cast<int>(random() % 8000);
        while (model.count(id));
        ASSERT_TRUE(w->Insert(Row(id)).ok());
        model[id] = "client " + std::to_string(id);
      } else if (kind == 1) {  // update: a new name, or a new key
        const size_t at = random() % model.size();
        const int id = nth(at)->first;
        int new_id = id;
        if (random() % 2) {
          do new_id = static_cast<int>(random() % 8000);
          while (model.count(new_id));
        }
        uint32_t now_at = 0;
        const Record changed{Value::Int(new_id), Value::Text("changed " + std::to_string(commit))};
        ASSERT_TRUE(w->Update(static_cast<uint32_t>(at), changed, &now_at).ok());
        model.erase(id);
        model[new_id] = "changed " + std::to_string(commit);
        EXPECT_EQ(now_at, std::distance(model.begin(), model.find(new_id)));
      } else {  // deletes: a run in one place (the last phase: from the front)
        const size_t at = kind == 3 ? 0 : random() % model.size();
        for (int k = 0; k < run && at < model.size(); ++k) {
          ASSERT_TRUE(w->Delete(static_cast<uint32_t>(at)).ok());
          model.erase(nth(at));
        }
      }
    }
    ASSERT_TRUE(w->in_place()) << "commit " << commit;
    ASSERT_EQ(w->record_count(), model.size());
    for (int probe = 0; probe < 5 && !model.empty(); ++probe) {
      const size_t at = random() % model.size();
      Record r;
      ASSERT_TRUE(w->Get(static_cast<uint32_t>(at), &r).ok());
      EXPECT_EQ(r[0].int_value(), nth(at)->first) << "commit " << commit << ", record " << at;
      EXPECT_EQ(r[1].text(), nth(at)->second);
    }
    const uint64_t size_before = testing::FileSize(env.get(), path);
    uint16_t free_before = 0;
    {
      OpenOptions o;
      o.env = env.get();
      std::unique_ptr<Table> t;
      ASSERT_TRUE(Table::Open(path, o, &t).ok());
      free_before = t->header().first_free_block;
    }
    const Status committed = w->Commit();
    ASSERT_TRUE(committed.ok()) << "commit " << commit << ": " << committed.ToString();
    if (!w->in_place()) ++rewrites;
    w.reset();
    if (model.empty()) break;
    const std::string when = "commit " + std::to_string(commit);
    ExpectIndexAndFreeListAgree(env.get(), path, when);
    const auto rows = testing::ReadAll(path, env.get());
    ASSERT_EQ(rows.size(), model.size()) << when;
    auto m = model.begin();
    for (size_t i = 0; i < rows.size(); ++i, ++m) {
      ASSERT_EQ(rows[i][0].int_value(), m->first) << when << ", record " << i;
      ASSERT_EQ(rows[i][1].text(), m->second) << when << ", record " << i;
    }
    // The file grows only once no free block is left.
    if (free_before != 0 && testing::FileSize(env.get(), path) == size_before) ++reused_before_growth;
    if (testing::FileSize(env.get(), path) > size_before) {
      OpenOptions o;
      o.env = env.get();
      std::unique_ptr<Table> t;
      ASSERT_TRUE(Table::Open(path, o, &t).ok());
      EXPECT_EQ(t->header().first_free_block, 0) << when << ": the file grew while blocks were free";
    }
  }
  EXPECT_GT(reused_before_growth, 0);
  EXPECT_EQ(rewrites, 1) << "emptying the whole table, and nothing else, takes the rewrite";
}

// A reader that holds the table open while a writer changes it in place
// never sees a mixture: its next read finds the table changed and reads it
// again as it is now.
TEST(InPlace, AReaderHoldingTheTableReadsItAgainAfterAChange) {
  auto env = NewMemEnv();
  const std::string path = "/t/clients.db";
  MakeTable(env.get(), path, true, 300);
  OpenOptions o;
  o.env = env.get();
  std::unique_ptr<Table> reader;
  ASSERT_TRUE(Table::Open(path, o, &reader).ok());
  Record r;
  ASSERT_TRUE(reader->ReadRecord(0, &r).ok());
  EXPECT_EQ(r[0].int_value(), 1000);
  ASSERT_TRUE(reader->ReadRecord(299, &r).ok());

  ASSERT_TRUE(InsertIds(env.get(), path, {1, 2, 3, 5000}).ok());
  // Record 150's block was not read before: reading it notices the change.
  ASSERT_TRUE(reader->ReadRecord(150, &r).ok());
  EXPECT_EQ(reader->record_count(), 304u);
  EXPECT_EQ(r[0].int_value(), 1000 + 147 * 10);
  ASSERT_TRUE(reader->ReadRecord(0, &r).ok());
  EXPECT_EQ(r[0].int_value(), 1);
  uint32_t index = 0;
  bool found = false;
  ASSERT_TRUE(reader->Find({Value::Int(5000)}, &index, &found).ok());
  EXPECT_TRUE(found);
  EXPECT_EQ(index, 303u);
}

// A journal left by a writer that stopped after its commit point is
// completed by the next opener, reader or writer; one cut off before its
// commit mark is discarded and the table is as it was.
TEST(InPlace, OpenersCompleteAWholeJournalAndDiscardACutOne) {
  for (const bool cut : {false, true}) {
    for (const bool by_writer : {false, true}) {
      auto env = NewMemEnv();
      const std::string path = "/t/clients.db";
      MakeTable(env.get(), path, true, 100);
      const auto before = testing::ReadAll(path, env.get());
      // The journal of an insert, taken from a real commit on a copy.
      auto copy = NewMemEnv();
      testing::CopyFiles(env.get(), copy.get(), {path, "/t/clients.px"});
      ASSERT_TRUE(InsertIds(copy.get(), path, {1005, 5}).ok());
      const auto after = testing::ReadAll(path, copy.get());
      // Replay what that commit wrote: the images against the original
      // files, the .DB header last.
      Journal j;
      {
        OpenOptions o;
        o.env = env.get();
        std::unique_ptr<Table> a, b;
        ASSERT_TRUE(Table::Open(path, o, &a).ok());
        o.env = copy.get();
        ASSERT_TRUE(Table::Open(path, o, &b).ok());
        j.before = a->header().change_count;
        j.after = b->header().change_count;
      }
      for (const char* file : {"/t/clients.db", "/t/clients.px"}) {
        std::unique_ptr<RandomAccessFile> f;
        std::string bytes;
        ASSERT_TRUE(copy->OpenRandomAccess(file, &f).ok());
        ASSERT_TRUE(f->Read(0, f->Size(), &bytes).ok());
        const bool db = std::string(file).ends_with(".db");
        j.images.push_back({db ? JournalImage::kData : JournalImage::kPrimaryIndex, false, 0, bytes});
      }
      std::string bytes = EncodeJournal(j);
      if (cut) bytes.resize(bytes.size() - 5);
      {
        std::unique_ptr<WritableFile> f;
        ASSERT_TRUE(env->OpenWritable(JournalPath(path), true, &f).ok());
        ASSERT_TRUE(f->Write(0, bytes).ok());
      }
      if (by_writer) {
        ASSERT_TRUE(InsertIds(env.get(), path, {7777}).ok());
        auto rows = testing::ReadAll(path, env.get());
        ASSERT_EQ(rows.size(), (cut ? before : after).size() + 1);
      } else {
        EXPECT_EQ(testing::ReadAll(path, env.get()), cut ? before : after);
      }
      EXPECT_FALSE(env->Exists(JournalPath(path)));
    }
  }
}

TEST(InPlace, AFullDiskAtEveryWriteLeavesTheTableAsItWasOrChanged) {
  for (const bool indexed : {false, true}) {
    const std::string path = "/t/clients.db";
    std::vector<std::string> files = {path, "/t/clients.px"};
    auto base = NewMemEnv();
    MakeTable(base.get(), path, true, 120);
    if (indexed) {
      // A secondary index on Name: its files grow too.
      WriteOptions wo;
      wo.env = base.get();
      ASSERT_TRUE(CreateSecondaryIndex(path, "Name", wo).ok());
      files.push_back("/t/clients.x02");
      files.push_back("/t/clients.y02");
    }
    const auto before = testing::ReadAll(path, base.get());
    // Inserts that split the first and the last block.
    std::vector<int> ids;
    for (int i = 0; i < 30; ++i) ids.push_back(i);
    for (int i = 0; i < 30; ++i) ids.push_back(9000 + i);
    int not_stored = 0;
    for (uint64_t room = 0;; room += 512) {
      auto disk = NewMemEnv();
      testing::CopyFiles(base.get(), disk.get(), files);
      testing::FullDiskEnv full(disk.get(), 0);
      for (const std::string& f : files) full.track(f);
      full.set_capacity(full.used() + room);
      bool in_place = false;
      const Status s = InsertIds(&full, path, ids, &in_place);
      ASSERT_TRUE(in_place);
      const auto now = testing::ReadAll(path, disk.get());
      testing::IndexCheckOptions io;
      io.env = disk.get();
      EXPECT_EQ(testing::CheckSecondaryIndexes(path, io), "") << "room " << room;
      if (s.ok()) {
        EXPECT_EQ(now.size(), before.size() + ids.size()) << "room " << room;
        break;
      }
      ++not_stored;
      EXPECT_NE(s.ToString().find("No space left on device"), std::string::npos) << s.ToString();
      EXPECT_EQ(now, before) << "room " << room << ": " << s.ToString();
      EXPECT_FALSE(disk->Exists(JournalPath(path))) << "room " << room;
      for (const std::string& f : files)
        EXPECT_EQ(testing::FileSize(disk.get(), f), testing::FileSize(base.get(), f))
            << f << ", room " << room;
      ASSERT_LT(room, 256 * 1024u) << "the change should fit long before";
    }
    EXPECT_GT(not_stored, 5);
  }
}

// A commit refused for lack of space keeps the writer's changes: the same
// writer commits them once there is room, every one of them.
TEST(InPlace, AFailedCommitKeepsTheChangesForARetry) {
  const std::string path = "/t/clients.db";
  auto disk = NewMemEnv();
  MakeTable(disk.get(), path, true, 120);
  testing::FullDiskEnv full(disk.get(), 0);
  for (const char* f : {"/t/clients.db", "/t/clients.px"}) full.track(f);
  full.set_capacity(full.used());
  WriteOptions wo;
  wo.env = &full;
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, wo, &w).ok());
  for (int id = 0; id < 30; ++id) ASSERT_TRUE(w->Insert(Row(id)).ok());
  ASSERT_TRUE(w->Delete(40).ok());
  ASSERT_TRUE(w->Update(0, {Value::Int(0), Value::Text("renamed")}).ok());
  ASSERT_TRUE(w->in_place());
  const Status failed = w->Commit();
  ASSERT_FALSE(failed.ok());
  EXPECT_NE(failed.ToString().find("not stored"), std::string::npos) << failed.ToString();
  EXPECT_EQ(testing::ReadAll(path, disk.get()).size(), 120u);
  full.set_capacity(full.used() + 1024 * 1024);
  ASSERT_TRUE(w->Commit().ok());
  w.reset();
  const auto rows = testing::ReadAll(path, disk.get());
  ASSERT_EQ(rows.size(), 120u + 30 - 1);
  EXPECT_EQ(rows[0][1].text(), "renamed");
  EXPECT_EQ(rows[29][0].int_value(), 29);
}

// A table with a memo field changes in place: values waiting for the commit
// read back through the writer, an update that leaves the memo alone keeps
// its stored value, and the .MB grows only by the new values. A full disk
// at every write leaves the table and every file as they were (the .MB cut
// back), and the writer, which keeps its changes, stores them all once
// there is room.
TEST(InPlace, MemosAreAppendedAndAFullDiskTakesThemBack) {
  const std::string path = "/t/clients.db";
  const std::vector<std::string> files = {path, "/t/clients.px", "/t/clients.mb"};
  auto base = NewMemEnv();
  MakeTable(base.get(), path, true, 120, 1000, 10, kMixedNotes);
  const auto before = testing::ReadAll(path, base.get());
  const uint64_t mb_before = testing::FileSize(base.get(), "/t/clients.mb");
  // After the inserts: 1, 2, 3, 1000, 1006, 1007, 1010, ... (see Notes for
  // which memo each id has).
  auto change = [&](TableWriter& w) {
    for (int id : {1, 2, 3, 1006, 1007, 5000, 5003}) ASSERT_TRUE(w.Insert(Row(id, kMixedNotes)).ok());
    Record r;
    ASSERT_TRUE(w.Get(10, &r).ok());
    ASSERT_EQ(r[0].int_value(), 1050);  // a small memo in the .MB, replaced
    r[2] = Value::Text("a note, " + std::string(200, 'x'));
    ASSERT_TRUE(w.Update(10, r).ok());
    ASSERT_TRUE(w.Get(14, &r).ok());
    ASSERT_EQ(r[0].int_value(), 1090);  // another, left alone
    r[1] = Value::Text("renamed");
    ASSERT_TRUE(w.Update(14, r).ok());
    ASSERT_TRUE(w.Delete(20).ok());
    ASSERT_TRUE(w.in_place());
    // Waiting values read back as they will be stored.
    ASSERT_TRUE(w.Get(4, &r).ok());
    EXPECT_EQ(r[0].int_value(), 1006);
    EXPECT_EQ(r[2].text(), Notes(1006, kMixedNotes));
    ASSERT_TRUE(w.Get(5, &r).ok());
    EXPECT_EQ(r[2].text(), Notes(1007, kMixedNotes));
    ASSERT_TRUE(w.Get(10, &r).ok());
    EXPECT_EQ(r[2].text(), "a note, " + std::string(200, 'x'));
    ASSERT_TRUE(w.Get(14, &r).ok());
    EXPECT_EQ(r[2].text(), Notes(1090, kMixedNotes));
  };
  std::vector<Record> expected;
  {
    auto disk = NewMemEnv();
    testing::CopyFiles(base.get(), disk.get(), files);
    WriteOptions wo;
    wo.env = disk.get();
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(path, wo, &w).ok());
    change(*w);
    ASSERT_TRUE(w->Commit().ok());
    w.reset();
    expected = testing::ReadAll(path, disk.get());
    ASSERT_EQ(expected.size(), before.size() + 7 - 1);
    EXPECT_EQ(expected[14][1].text(), "renamed");
    EXPECT_EQ(expected[14][2].text(), Notes(1090, kMixedNotes));
    // New values in the .MB: the small ones of 2, 1006 and 1050 share a
    // block; 3, 1007 and 5003 have a block each (1's is in its record).
    EXPECT_EQ(testing::FileSize(disk.get(), "/t/clients.mb"), mb_before + 4 * format::kMbUnit);
  }
  int not_stored = 0;
  for (uint64_t room = 0;; room += 1024) {
    auto disk = NewMemEnv();
    testing::CopyFiles(base.get(), disk.get(), files);
    testing::FullDiskEnv full(disk.get(), 0);
    for (const std::string& f : files) full.track(f);
    full.set_capacity(full.used() + room);
    WriteOptions wo;
    wo.env = &full;
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(path, wo, &w).ok());
    change(*w);
    const Status s = w->Commit();
    if (s.ok()) {
      w.reset();
      EXPECT_EQ(testing::ReadAll(path, disk.get()), expected) << "room " << room;
      break;
    }
    ++not_stored;
    EXPECT_NE(s.ToString().find("No space left on device"), std::string::npos) << s.ToString();
    EXPECT_EQ(testing::ReadAll(path, disk.get()), before) << "room " << room;
    for (const std::string& f : files)
      EXPECT_EQ(testing::FileSize(disk.get(), f), testing::FileSize(base.get(), f)) << f << ", room " << room;
    full.set_capacity(full.used() + 1024 * 1024);
    ASSERT_TRUE(w->Commit().ok()) << "room " << room;
    w.reset();
    EXPECT_EQ(testing::ReadAll(path, disk.get()), expected) << "the retry, room " << room;
    ASSERT_LT(room, 256 * 1024u) << "the change should fit long before";
  }
  EXPECT_GT(not_stored, 5);
}

// Power cuts at every step of in-place commits, with and without the disk
// reordering what was not synced: the table reads cleanly and holds exactly
// what it held before or after; the next writer goes on from there.
TEST(InPlace, EveryPowerCutLeavesTheTableBeforeOrAfterTheChange) {
  const char* configured = std::getenv("ORBA_POWER_LOSS_RUNS");
  const int runs = configured ? std::atoi(configured) : 1000;
  struct Shape {
    const char* name;
    bool keyed;
    std::vector<int> ids;
    int records = 110;            // 22 to a block: 110 fill five
    std::vector<int> first = {};  // inserted in place before the cuts
    // Then `deletes` records from position `delete_at`, and record 0 renamed.
    int delete_at = 0, deletes = 0;
    bool rename = false;
    // Secondary indexes on Name, and on Name ignoring case then Id descending.
    bool indexed = false;
    // A memo field (see Notes): new values go to the .MB first.
    Memo memo = kNoMemo;
  };
  // The shape's change, by one writer, in place.
  auto change = [](Env* env, const std::string& path, const Shape& shape, bool* in_place) {
    WriteOptions wo;
    wo.env = env;
    std::unique_ptr<TableWriter> w;
    Status s = TableWriter::Open(path, wo, &w);
    for (size_t i = 0; s.ok() && i < shape.ids.size(); ++i) s = w->Insert(Row(shape.ids[i], shape.memo));
    for (int i = 0; s.ok() && i < shape.deletes; ++i) s = w->Delete(static_cast<uint32_t>(shape.delete_at));
    if (s.ok() && shape.rename) {
      Record renamed = {Value::Int(1000), Value::Text("renamed")};
      if (shape.memo != kNoMemo) renamed.push_back(Value::Text("a new note, " + std::string(3000, 'n')));
      s = w->Update(0, renamed);
    }
    if (s.ok() && in_place) *in_place = w->in_place();
    if (s.ok()) s = w->Commit();
    return s;
  };
  std::vector<int> many;
  for (int i = 0; i < 25; ++i) many.push_back(3 + i * 40);
  const std::vector<Shape> shapes = {
      {"one insert in a full block", true, {1005}},
      {"inserts at the front", true, {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                                      13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}},
      {"inserts at the end", true, {5000, 5001, 5002, 5003, 5004, 5005, 5006, 5007, 5008, 5009, 5010, 5011,
                                    5012, 5013, 5014, 5015, 5016, 5017, 5018, 5019, 5020, 5021, 5022, 5023}},
      {"inserts everywhere", true, many},
      {"appends to an unkeyed table", false, many},
      // Blocks with room take inserts without a split: only the .PX
      // entries on their path change.
      {"one insert in a block with room", true, {5000}, 100},
      {"a new first key in a block with room", true, {0}, 110, {1}},
      // Inserts into a table with secondary indexes: its X and Y files too.
      {"inserts everywhere, with indexes", true, many, 110, {}, 0, 0, false, true},
      {"one insert in a full block, with indexes", true, {1005}, 110, {}, 0, 0, false, true},
      {"one insert in a block with room, with indexes", true, {5000}, 100, {}, 0, 0, false, true},
      {"appends to an unkeyed table, with indexes", false, many, 110, {}, 0, 0, false, true},
      {"deletes and an indexed value changed, with indexes", true, {}, 110, {}, 30, 8, true, true},
      // Index blocks emptied too: out of the X chain, onto the X file's
      // free list; then taken back by a split.
      {"deletes that empty index blocks, with indexes", true, {}, 110, {}, 20, 60, true, true},
      {"index splits that take free index blocks", true, many, 110, {}, 0, 0, false, true},
      // The chain's first block emptied: the next block's records move into
      // it (their index entries follow), the next block goes free.
      {"deletes that empty the first block", true, {}, 110, {}, 0, 30, false},
      {"deletes that empty the first block, with indexes", true, {}, 110, {}, 0, 30, false, true},
      {"deletes that empty the first two blocks, with memos",
       true,
       {},
       110,
       {},
       0,
       50,
       true,
       false,
       kMixedNotes},
      // Blocks emptied: out of the chain, onto the free list; then taken
      // back by a split.
      {"deletes that empty blocks, and an update", true, {}, 110, {}, 20, 50, true},
      {"a split that takes a free block", true, many, 110, {}, 0, 0, false},
      // Memos: the new values are appended to the .MB before the journal.
      {"inserts everywhere, with memos", true, many, 110, {}, 0, 0, false, false, kMixedNotes},
      {"deletes and a memo replaced, with memos", true, {}, 110, {}, 20, 30, true, false, kMixedNotes},
      {"appends to an unkeyed table, with memos", false, many, 110, {}, 0, 0, false, false, kMixedNotes},
      {"inserts everywhere, past the .MB's walk", true, many, 110, {}, 0, 0, false, false, kLargeNotes},
  };
  const std::string path = "/data/clients.db";
  struct Expected {
    PowerLossEnv::Disk base;
    std::vector<Record> before, after;
    std::string index_before, index_after;
    int operations = 0;
  };
  // The records and (`index`) the index files' bytes once the reader has
  // settled any journal; an index the reader does not take as current, or
  // that does not describe the table, is a failure.
  auto read = [&](const PowerLossEnv::Disk& disk, std::vector<Record>* rows, std::string* index = nullptr) {
    PowerLossEnv env(disk);
    OpenOptions o;
    o.env = &env;
    std::unique_ptr<Table> t;
    Status s = Table::Open(path, o, &t);
    // A keyed table's .PX must still be its own: the reader goes by it.
    if (s.ok() && t->header().keyed() && !t->placed_by_index())
      s = Status::Corruption(path, "its .PX does not agree with it");
    if (s.ok() && !testing::ChainLinkFaults(t.get()).empty())
      s = Status::Corruption(path, testing::ChainLinkFaults(t.get()));
    rows->clear();
    for (uint32_t i = 0; s.ok() && i < t->record_count(); ++i) {
      Record r;
      s = t->ReadRecord(i, &r);
      rows->push_back(std::move(r));
    }
    if (!s.ok() || !index) return s;
    for (const SecondaryIndexInfo& info : t->secondary_indexes())
      if (!info.status.ok()) return info.status;
    testing::IndexCheckOptions io;
    io.env = &env;
    const std::string faults = testing::CheckSecondaryIndexes(path, io);
    if (!faults.empty()) return Status::Corruption("index", faults);
    const PowerLossEnv::Disk now = env.Current();
    // What the headers say the files hold: a commit cut before its commit
    // point may leave the zeros it reserved beyond that.
    auto held = [](std::string bytes) {
      const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes.data());
      bytes.resize(GetU16(p + format::kHeaderSize) +
                   size_t{GetU16(p + format::kFileBlocks)} * p[format::kBlockSizeCode] * 1024u);
      return bytes;
    };
    index->clear();
    for (const char* suffix : {"x02", "xg0"}) {
      std::string x = held(now.at(std::string("/data/clients.") + suffix));
      // The X file's update time is the commit's clock, not part of its state.
      x.replace(format::kUpdateTime, 4, 4, '\0');
      std::string y = std::string("/data/clients.") + suffix;
      y[y.size() - 3] = 'y';
      *index += x + held(now.at(y));
    }
    return s;
  };
  std::vector<Expected> expected;
  for (const Shape& shape : shapes) {
    Expected e;
    {
      PowerLossEnv env({});
      MakeTable(&env, path, shape.keyed, shape.records, 1000, 10, shape.memo);
      if (!shape.first.empty()) {
        ASSERT_TRUE(InsertIds(&env, path, shape.first).ok());
      }
      if (shape.indexed) {
        WriteOptions wo;
        wo.env = &env;
        std::unique_ptr<TableWriter> w;
        ASSERT_TRUE(TableWriter::Open(path, wo, &w).ok());
        ASSERT_TRUE(w->CreateIndex("Name").ok());
        IndexDefinition by_name;
        by_name.fields = {{1, false}, {0, true}};
        by_name.ignore_case = true;
        by_name.name = "ByNameIdDown";
        ASSERT_TRUE(w->CreateIndex(by_name).ok());
      }
      if (std::string(shape.name) == "a split that takes a free block" ||
          std::string(shape.name) == "index splits that take free index blocks") {  // their free blocks first
        Shape emptying = shape;
        emptying.ids.clear();
        emptying.delete_at = 40;
        emptying.deletes = 60;
        ASSERT_TRUE(change(&env, path, emptying, nullptr).ok());
      }
      e.base = env.Recover();
    }
    if (shape.memo == kLargeNotes) {
      ASSERT_GT(e.base.at("/data/clients.mb").size(), BlobFileWriter::kWalkedInPlace) << shape.name;
    }
    std::string* no_index = nullptr;
    ASSERT_TRUE(read(e.base, &e.before, shape.indexed ? &e.index_before : no_index).ok());
    PowerLossEnv env(e.base);
    bool in_place = false;
    ASSERT_TRUE(change(&env, path, shape, &in_place).ok()) << shape.name;
    ASSERT_TRUE(in_place) << shape.name;
    e.operations = env.operations();
    if (std::string(shape.name) == "index splits that take free index blocks") {
      // Its X file gained blocks without growing: they came off the free list.
      const std::string x_before = e.base.at("/data/clients.x02");
      const std::string x_after = env.Current().at("/data/clients.x02");
      EXPECT_GT(GetU16(x_after.data() + format::kUsedBlocks), GetU16(x_before.data() + format::kUsedBlocks));
      EXPECT_EQ(GetU16(x_after.data() + format::kFileBlocks), GetU16(x_before.data() + format::kFileBlocks));
    }
    if (std::string(shape.name).find("empty the first") != std::string::npos) {
      // In place, not rewritten: the block after the first went free.
      const std::string db = env.Current().at(path);
      EXPECT_NE(GetU16(db.data() + format::kFirstFreeBlock), 0) << shape.name;
      EXPECT_EQ(GetU16(db.data() + format::kFirstBlock), 1) << shape.name;
      if (shape.indexed) {
        const std::string x = env.Current().at("/data/clients.x02");
        EXPECT_NE(GetU16(x.data() + format::kFirstFreeBlock), 0) << shape.name << ": the index's too";
      }
    }
    if (shape.indexed && shape.deletes >= 60) {
      // In place, not rebuilt: the emptied X blocks are on its free list.
      const std::string x = env.Current().at("/data/clients.x02");
      EXPECT_NE(GetU16(x.data() + format::kFirstFreeBlock), 0) << shape.name;
    }
    ASSERT_TRUE(read(env.Current(), &e.after, shape.indexed ? &e.index_after : no_index).ok());
    ASSERT_EQ(e.after.size(), e.before.size() + shape.ids.size() - static_cast<size_t>(shape.deletes));
    expected.push_back(std::move(e));
  }

  std::mt19937 random(20261207);
  int landed_before = 0, landed_after = 0;
  for (int run = 0; run < runs; ++run) {
    const size_t which = static_cast<size_t>(run) % shapes.size();
    const Expected& e = expected[which];
    const int cut = 1 + static_cast<int>(random() % static_cast<unsigned>(e.operations + 1));
    const bool reorder = random() % 2;
    PowerLossEnv env(e.base, cut, reorder, static_cast<uint32_t>(random()));
    change(&env, path, shapes[which], nullptr);
    const PowerLossEnv::Disk disk = env.Recover();
    const std::string what = std::string(shapes[which].name) + ", power cut at operation " +
                             std::to_string(cut) + (reorder ? " with reordered writes" : "");
    std::vector<Record> rows;
    std::string index;
    const Status s = read(disk, &rows, shapes[which].indexed ? &index : nullptr);
    ASSERT_TRUE(s.ok()) << what << ": " << s.ToString();
    if (rows == e.before && index == e.index_before)
      ++landed_before;
    else if (rows == e.after && index == e.index_after)
      ++landed_after;
    else
      FAIL() << what << ": the table and its indexes hold neither the state before nor the state after";
    if (shapes[which].memo != kNoMemo) {
      // No cut leaves a tail that a walk of the .MB takes for blocks: one
      // that claims more than the file holds would be cut off, or taken
      // for damage, by the next writer that walks it.
      PowerLossEnv walked(disk);
      std::unique_ptr<BlobFileWriter> blobs;
      const Status walk = BlobFileWriter::Open(
          &walked, "/data/clients.mb", "", [] { return Result<uint64_t>(UINT64_MAX); }, &blobs);
      ASSERT_TRUE(walk.ok()) << what << ": " << walk.ToString();
    }
    PowerLossEnv next(disk);
    const Status next_insert = InsertIds(&next, path, {777777}, nullptr, shapes[which].memo);
    ASSERT_TRUE(next_insert.ok()) << what << ": " << next_insert.ToString();
    std::vector<Record> again;
    ASSERT_TRUE(read(next.Current(), &again).ok()) << what;
    ASSERT_EQ(again.size(), rows.size() + 1) << what;
  }
  EXPECT_GT(landed_before, 0);
  EXPECT_GT(landed_after, 0);
  std::printf("in-place power cuts: %d, table as before: %d, as after: %d\n", runs, landed_before,
              landed_after);
}

}  // namespace
}  // namespace orba::pdx
