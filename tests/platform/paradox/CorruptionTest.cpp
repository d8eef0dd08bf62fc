// Damaged files: each case cuts or changes bytes of a valid table and checks
// the exact outcome.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "paradox/Coding.h"
#include "paradox/Format.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace orba::pdx {
namespace {

namespace f = format;

class Corruption : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateOptions o;
    o.env = env_.get();
    o.key_field_count = 1;
    ASSERT_TRUE(
        CreateTable(kPath, {FieldDef::Long("Id"), FieldDef::Alpha("Name", 20), FieldDef::Memo("Note", 1)}, o)
            .ok());
    WriteOptions wo;
    wo.env = env_.get();
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(kPath, wo, &w).ok());
    for (int i = 1; i <= 150; ++i)
      ASSERT_TRUE(w->Insert({Value::Int(i), Value::Text("name"), Value::Text(std::string(100, 'n'))}).ok());
    ASSERT_TRUE(w->Commit().ok());
    db_ = Get(kPath);
    mb_ = Get(kMb);
  }
  std::string Get(const std::string& p) {
    std::unique_ptr<RandomAccessFile> f;
    EXPECT_TRUE(env_->OpenRandomAccess(p, &f).ok());
    std::string d;
    f->Read(0, f->Size(), &d);
    return d;
  }
  void Put(const std::string& p, const std::string& d) {
    std::unique_ptr<WritableFile> f;
    ASSERT_TRUE(env_->OpenWritable(p, true, &f).ok());
    ASSERT_TRUE(f->Write(0, d).ok());
  }
  // Opens the table and reads every record: a keyed table with its index
  // checks each block as it is first read, so damage shows there.
  Status OpenWith(const std::string& db) {
    Put(kPath, db);
    OpenOptions o;
    o.env = env_.get();
    Status s = Table::Open(kPath, o, &table_);
    std::string raw;
    for (uint32_t i = 0; s.ok() && i < table_->record_count(); ++i) s = table_->ReadRawRecord(i, &raw);
    return s;
  }
  void ExpectOpen(const std::string& db, Status::Code code, const std::string& message) {
    Status s = OpenWith(db);
    EXPECT_EQ(s.code(), code) << s.ToString();
    EXPECT_EQ(s.message(), message);
  }
  size_t HeaderSize() const { return GetU16(db_.data() + f::kHeaderSize); }

  static constexpr const char* kPath = "/c/t.db";
  static constexpr const char* kMb = "/c/t.mb";
  std::unique_ptr<Env> env_ = NewMemEnv();
  std::string db_, mb_;
  std::unique_ptr<Table> table_;
};

TEST_F(Corruption, TruncatedFiles) {
  ExpectOpen("", Status::Code::kCorruption, "t.db: file too short for a Paradox header (0 bytes)");
  ExpectOpen(db_.substr(0, 1000), Status::Code::kCorruption,
             "t.db: header size 2048 exceeds the file size 1000");
  ExpectOpen(db_.substr(0, HeaderSize() + 100), Status::Code::kCorruption,
             "t.db: block 1: records run past the end of the file");
}

TEST_F(Corruption, WrongHeaderValues) {
  std::string d = db_;
  d[f::kFileVersion] = 0x55;
  ExpectOpen(d, Status::Code::kCorruption, "t.db: not a Paradox file (version byte 0x55)");
  d = db_;
  d[f::kFileType] = 1;
  ExpectOpen(d, Status::Code::kCorruption, "t.db: file type 1 is not a Paradox table");
  d = db_;
  d[f::kFieldCount] = 0;
  ExpectOpen(d, Status::Code::kCorruption, "t.db: impossible field count 0");
  d = db_;
  d[f::kFieldCount] = 100;
  ExpectOpen(d, Status::Code::kNotSupported, "t.db: field 4 has unknown type code 0x00");
  d = db_;
  d[f::kRecordSize] = 5;
  ExpectOpen(d, Status::Code::kCorruption, "t.db: record size 5 does not match the fields (35)");
  d = db_;
  d[f::kBlockSizeCode] = 0;
  ExpectOpen(d, Status::Code::kCorruption, "t.db: impossible block size code 0");
  d = db_;
  d[f::kExtendedHeaderEnd] = 0x07;  // first field's type code
  ExpectOpen(d, Status::Code::kNotSupported, "t.db: field 1 has unknown type code 0x07");
  d = db_;
  d[f::kRecordCount] = static_cast<char>(d[f::kRecordCount] + 1);
  ExpectOpen(d, Status::Code::kCorruption, "t.db: header counts 151 records but the data blocks hold 150");
  d = db_;
  PutU32(d.data() + f::kEncryption2, 0x12345678);
  ExpectOpen(d, Status::Code::kNotSupported,
             "t.db: table is password-protected (encrypted); encrypted tables cannot be read");
}

TEST_F(Corruption, BrokenBlockChain) {
  const size_t hs = HeaderSize();
  const size_t bs = static_cast<uint8_t>(db_[f::kBlockSizeCode]) * 1024u;
  std::string d = db_;
  PutU16(d.data() + hs + f::kBlockNext, 1);  // block 1 points to itself
  ExpectOpen(d, Status::Code::kCorruption, "t.db: block chain loops back to block 1");
  d = db_;
  PutU16(d.data() + hs + bs + f::kBlockNext, 999);
  ExpectOpen(d, Status::Code::kCorruption,
             "t.db: block chain points to block 999 beyond the end of the file (3 blocks)");
  d = db_;
  PutU16(d.data() + hs + f::kBlockLastOffset, 7);
  ExpectOpen(d, Status::Code::kCorruption, "t.db: block 1: impossible last record offset 7");
  d = db_;
  PutU16(d.data() + f::kFirstBlock, 0);
  ExpectOpen(d, Status::Code::kCorruption,
             "t.db: header counts 150 records but the table has no data blocks");
}

// Blocks reused after deletions chain out of file order: the chain is
// followed as it stands, whatever order the blocks have in the file.
TEST_F(Corruption, AChainOutOfFileOrderIsFollowed) {
  const size_t hs = HeaderSize();
  const size_t bs = static_cast<uint8_t>(db_[f::kBlockSizeCode]) * 1024u;
  ASSERT_EQ(db_.size(), hs + 3 * bs);
  // The file's blocks become 3, 2, 1 in chain order.
  std::string d = db_;
  d.replace(hs, bs, db_, hs + 2 * bs, bs);
  d.replace(hs + 2 * bs, bs, db_, hs, bs);
  auto link = [&](size_t block, uint16_t next, uint16_t prev) {
    PutU16(d.data() + hs + (block - 1) * bs + f::kBlockNext, next);
    PutU16(d.data() + hs + (block - 1) * bs + f::kBlockPrev, prev);
  };
  link(3, 2, 0);
  link(2, 1, 3);
  link(1, 0, 2);
  PutU16(d.data() + f::kFirstBlock, 3);
  PutU16(d.data() + f::kLastBlock, 1);
  ASSERT_TRUE(OpenWith(d).ok());
  ASSERT_EQ(table_->record_count(), 150u);
  Record r;
  for (uint32_t i = 0; i < 150; ++i) {
    ASSERT_TRUE(table_->ReadRecord(i, &r).ok()) << i;
    EXPECT_EQ(r[0].int_value(), static_cast<int64_t>(i + 1)) << "record " << i;
  }
  // A chain that turns back into the blocks already read still ends on the loop.
  link(1, 2, 2);
  EXPECT_EQ(OpenWith(d).message(), "t.db: block chain loops back to block 2");
}

TEST_F(Corruption, BlobPointersAndMissingCompanions) {
  const size_t hs = HeaderSize();
  // Record 0's memo descriptor: after Id (4), Name (20) and the 1-byte leader.
  const size_t desc = hs + f::kBlockHeaderSize + 4 + 20 + 1;
  std::string d = db_;
  PutU32(d.data() + desc, 0x00100000u | 0xFF);
  ASSERT_TRUE(OpenWith(d).ok());
  Record r;
  Status s = table_->ReadRecord(0, &r);
  EXPECT_TRUE(s.IsCorruption());
  EXPECT_EQ(s.message(),
            "t.mb: blob at offset 1048576 index 255: beyond the end of the file (24576 bytes): "
            "field 'Note': in record 0");
  EXPECT_TRUE(table_->ReadRecord(1, &r).ok());  // the other records still read

  d = db_;
  PutU32(d.data() + desc + 4, 99);  // length differs from the stored entry
  ASSERT_TRUE(OpenWith(d).ok());
  s = table_->ReadRecord(0, &r);
  EXPECT_TRUE(s.IsCorruption());
  EXPECT_NE(s.message().find("stored length 100 differs from the record's 99"), std::string::npos);

  d = db_;
  PutU32(d.data() + desc, 0);  // in-record, but longer than the 1-byte leader
  ASSERT_TRUE(OpenWith(d).ok());
  EXPECT_TRUE(table_->ReadRecord(0, &r).IsCorruption());

  ASSERT_TRUE(env_->Remove("/c/t.px").ok());
  ASSERT_TRUE(OpenWith(db_).ok());
  EXPECT_EQ(table_->index_status().ToString(), "Not found: t.px: primary index missing");
  uint32_t at;
  bool found;
  ASSERT_TRUE(table_->Find({Value::Int(77)}, &at, &found).ok());
  EXPECT_TRUE(found);
  EXPECT_EQ(at, 76u);

  ASSERT_TRUE(env_->Remove(kMb).ok());
  ExpectOpen(db_, Status::Code::kNotFound, "t.mb: blob file missing (the table has memo or blob fields)");
}

// Every single-byte change of the header and of the first data block either
// opens and reads every record, or fails with a Status: never a crash.
TEST_F(Corruption, EveryByteFlipEndsInAStatus) {
  const size_t span = HeaderSize() + 512;
  int failures = 0;
  for (size_t i = 0; i < span; ++i) {
    std::string d = db_;
    d[i] = static_cast<char>(d[i] ^ 0x5A);
    Status s = OpenWith(d);
    if (!s.ok()) {
      ++failures;
      EXPECT_FALSE(s.message().empty());
      continue;
    }
    Record r;
    for (uint32_t k = 0; k < table_->record_count(); ++k) {
      s = table_->ReadRecord(k, &r);
      if (!s.ok()) break;
    }
  }
  EXPECT_GT(failures, 0);
}

}  // namespace
}  // namespace orba::pdx
