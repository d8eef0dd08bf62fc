// Table: read access to a Paradox table (.DB, with its .MB, its .PX and its
// secondary indexes).
//
// Opening reads and checks the header. A keyed table whose .PX belongs to
// the .DB (same change counter, no replacement waiting) is then placed
// through the .PX alone: its leaf counts say which data block holds record
// i, so opening reads no data block and a record costs a descent of the
// index plus its block. Each data block is checked as the chain walk would
// check it the first time it is read (its record count, first key and link
// to the next block must agree with the index); on any disagreement the
// chain is walked after all and the table read through it from then on.
// Other tables walk the block chain once at opening. A Table reads the
// files as they were when it was opened if a writer replaces them (the
// writer renames new files into place). Not thread-safe; use one Table per
// thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/BlobFile.h"
#include "paradox/Env.h"
#include "paradox/Field.h"
#include "paradox/PrimaryIndex.h"
#include "paradox/SecondaryIndex.h"
#include "paradox/Status.h"
#include "paradox/TableHeader.h"
#include "paradox/TextCodec.h"
#include "paradox/Value.h"

namespace orba::pdx {

using Record = std::vector<Value>;

struct OpenOptions {
  Env* env = nullptr;  // nullptr: Env::Default()
  // Code page for tables whose header names none (3.x, or 0). A sort order
  // byte of 0xC0 ("cyrr") selects 866 instead.
  uint16_t fallback_code_page = 437;
};

class Table {
 public:
  // Opens path (the .DB). Fails with NotFound when it does not exist,
  // Corruption for a damaged header or chain, NotSupported for an encrypted
  // table, and NotFound naming the .MB when the table has blob fields but no
  // blob file. A missing or damaged .PX is not an error: see index_status().
  static Status Open(const std::string& path, const OpenOptions& options, std::unique_ptr<Table>* table);
  // Opens a secondary index's X file as the table of its entries (they have
  // the layout of records), for checks and tools.
  static Status OpenIndexData(const std::string& path, const OpenOptions& options,
                              std::unique_ptr<Table>* table);
  ~Table();

  const std::string& path() const { return path_; }
  const TableHeader& header() const { return header_; }
  // Field names converted to UTF-8.
  const std::vector<FieldDef>& fields() const { return fields_; }
  uint32_t record_count() const { return record_count_; }
  unsigned key_field_count() const { return header_.key_field_count; }
  uint16_t code_page() const { return codec_->code_page(); }
  std::string table_name() const;
  int FieldIndex(std::string_view name) const;  // -1 when absent
  size_t key_size() const { return key_size_; }
  size_t field_offset(size_t field) const { return offsets_[field]; }

  // Reads record `index` (0-based, table order).
  Status ReadRecord(uint32_t index, Record* record);
  Status ReadRawRecord(uint32_t index, std::string* raw);
  // Decodes the bytes of one record (blob values read from the .MB).
  Status DecodeRecord(std::string_view raw, Record* record);

  // Keyed tables: finds the record whose leading key fields equal `key` (one
  // Value per key field). *found tells whether it exists; *index is its
  // position, or the position where it would be inserted.
  Status Find(const std::vector<Value>& key, uint32_t* index, bool* found);
  // Encodes key values as they appear at the start of a record.
  Status EncodeKey(const std::vector<Value>& key, std::string* bytes);
  // Find for key bytes as stored (key_size() of them).
  Status FindStoredKey(const std::string& key, uint32_t* index, bool* found);

  // The secondary indexes beside the table. They are looked for on first
  // use, so opening a table costs nothing more for them; an index that is
  // out of date or cannot be read is listed with the reason in its status.
  // An index counts as current when it lists as many records as the table,
  // was built with the table's current primary index (its stamp at 0x2F
  // equals the .PX's at 0x2C; unkeyed tables: the .DB's change counter),
  // and no replacement of it, or of the .PX, written for the table's current
  // change counter waits beside it (a commit interrupted after its commit
  // point). Lookups verify every answer against the table regardless.
  const std::vector<SecondaryIndexInfo>& secondary_indexes();
  // The positions (ascending) of the records whose first values.size()
  // fields of secondary index `which` equal `values`, compared as the index
  // compares them (ignoring the case of ASCII letters when it does). Uses
  // the index when it is current, checking each record it names; otherwise,
  // or when the index turns out not to agree with the table, reads the
  // whole table. *used_index (optional) tells which happened.
  Status FindEqual(size_t which, const std::vector<Value>& values, std::vector<uint32_t>* positions,
                   bool* used_index = nullptr);

  // The data blocks in chain order. Walks the chain first when opening
  // placed the blocks through the .PX (empty if the walk fails).
  struct Block {
    uint16_t number;
    uint16_t records;
    uint32_t first_record;
  };
  const std::vector<Block>& blocks();
  // Whether blocks are placed through the .PX (nothing walked so far).
  bool placed_by_index() const { return !walked_; }

  // A data block's first `length` bytes as they are in the file now.
  Status ReadBlockBytes(uint16_t number, size_t length, std::string* bytes);
  // Blocks the file holds, from its size.
  uint64_t blocks_in_file() const { return blocks_in_file_; }
  PrimaryIndex* mutable_primary_index() { return index_.get(); }

  // OK when the .PX is in use; otherwise why it is not (missing, damaged).
  const Status& index_status() const { return index_status_; }
  const PrimaryIndex* primary_index() const { return index_.get(); }
  BlobFileReader* blob_file() { return blob_.get(); }
  TextCodec* codec() { return codec_.get(); }

 private:
  Table() = default;
  Table& operator=(Table&&);
  // Runs a read; when it read the files and the table changed in place
  // meanwhile, reads the table again as it is now and runs it again.
  template <class Op>
  Status Consistent(Op op);
  // Whether the header in the file is still the one read at opening, with
  // no change being applied.
  Status StillCurrent(bool* current);
  Status Reload();
  uint64_t FileReads() const;
  static Status OpenFile(const std::string& path, const OpenOptions& options, HeaderKind kind,
                         std::unique_ptr<Table>* table);
  Status WalkChain();
  // Which index places the blocks when the .PX can; WalkChain otherwise.
  Status PlaceBlocks(const std::string& px_path);
  // The block holding record `record`, loaded into block_data_.
  Status Locate(uint32_t record, Block* block);
  // Checks a block placed through the .PX, as the walk would check it.
  Status CheckPlacedBlock(const Block& block, const std::string& first_key);
  // Records that the .PX and the .DB disagree (a later try walks the chain).
  Status IndexDisagrees(Status why);
  template <class Op>
  Status WithChainFallback(Op op);
  Status ReadRawRecordOnce(uint32_t index, std::string* raw);
  Status FindStoredKeyOnce(const std::string& key, uint32_t* index, bool* found);
  void LoadSecondaryIndexes();
  Status CurrentIndexCheck(const SecondaryIndex& index);
  Status LookUpInIndex(size_t which, const std::string& key, size_t nfields,
                       std::vector<uint32_t>* positions);
  Status FindEqualOnce(size_t which, const std::vector<Value>& values, std::vector<uint32_t>* positions,
                       bool* used_index);
  Status LoadBlock(const Block& block);
  // Sign of (key of record `record`) - key; loads its block.
  Status CompareAt(uint32_t record, const std::string& key, int* c);
  size_t BlockOf(uint32_t index) const;
  Status ReadBlobField(size_t field, const uint8_t* p, uint32_t record_hint, Value* out);

  std::string path_;
  std::string name_;  // file name for messages
  Env* env_ = nullptr;
  OpenOptions options_;
  HeaderKind kind_ = HeaderKind::kTable;
  uint64_t reads_ = 0;  // data blocks read from the file
  // The journal that was there at opening and could not be completed
  // (JournalSignature; empty for none): the table is read through it, or
  // around it when it does not count.
  std::string journal_seen_;
  // That journal changes secondary index files (not read through it).
  bool indexes_in_journal_ = false;
  std::unique_ptr<RandomAccessFile> file_;
  TableHeader header_;
  std::vector<FieldDef> fields_;
  std::vector<size_t> offsets_;  // of each field in a record
  size_t key_size_ = 0;
  uint32_t record_count_ = 0;
  std::unique_ptr<TextCodec> codec_;
  std::vector<Block> blocks_;
  // Block number -> position in blocks_ (kNoBlock for empty or unchained
  // blocks), so an index answer costs no search.
  static constexpr uint32_t kNoBlock = UINT32_MAX;
  std::vector<uint32_t> block_pos_;
  std::unique_ptr<BlobFileReader> blob_;
  std::unique_ptr<PrimaryIndex> index_;
  Status index_status_;
  uint64_t blocks_in_file_ = 0;
  bool walked_ = false;           // blocks_ holds the whole chain
  bool index_disagrees_ = false;  // the .PX was found not to describe the .DB
  std::vector<bool> checked_;     // blocks placed through the .PX and checked, by number
  uint16_t cached_block_ = 0;     // block number in block_data_, 0 for none
  Block located_{0, 0, 0};        // the last block placed through the .PX
  std::string block_data_;

  struct Secondary {
    SecondaryIndex index;         // valid when info.status is OK
    std::unique_ptr<Table> data;  // the X file, opened on first lookup
  };
  bool secondary_loaded_ = false;
  std::vector<SecondaryIndexInfo> secondary_info_;
  std::vector<Secondary> secondary_;
};

}  // namespace orba::pdx
