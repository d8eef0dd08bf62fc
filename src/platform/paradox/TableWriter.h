// Creating tables and changing their records.
//
// A TableWriter holds the table's lock from Open until it is destroyed, so
// every change it makes is based on the current contents: two processes that
// append at the same time serialise on the lock and both land every record.
// A table is changed in place (TableWriterInPlace.cpp) when the changes are
// inserts, or, in a keyed table, updates and deletes: Open reads the header
// and the .PX only, and Commit appends the new blob values to the .MB, then
// writes the blocks the changes touch, the header, the .PX's changed blocks
// and each current secondary index's changed X and Y blocks
// (TableWriterIndexes.cpp) through a journal (see Journal.h). Every other
// change (an update or delete in a table without a key, an insert at a
// position, a new index) first loads every row, and the commit then
// replaces the files as follows.
// Changes are kept in memory until Commit(), which replaces the files:
//   1. new blob values are appended to the .MB (never overwriting anything)
//      and synced;
//   2. the new .DB, .PX and secondary index files (every X and Y file,
//      rebuilt from the new contents) are written to "<name>.pdxtmp" files,
//      given the permission bits and group of the files they replace, and
//      synced; with secondary indexes, the folder is synced too, so that the
//      replacements are on disk before the table changes;
//   3. the .DB's temporary file is renamed over the .DB — the commit point;
//   4. the index files' are renamed over theirs, and the folder synced.
// Everything that can run out of space, and every refusal, happens before
// the commit point: a failure there reports "not stored", removes the
// temporary files and cuts the .MB back, so that a retry starts from the same
// files. After the commit point the change is stored whatever happens. An
// index file that could not be replaced in step 4 is older than its table;
// its replacement stays beside it, stamped with the table's new change
// counter, which tells readers the old file is out of date, and the next
// Commit or Open puts it in place. Commit reports that in commit_note()
// rather than as a failure. A crash anywhere leaves the old table or the new
// one (with, at worst, index files whose replacement waits).
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/Env.h"
#include "paradox/Field.h"
#include "paradox/RowStore.h"
#include "paradox/SecondaryIndex.h"
#include "paradox/Status.h"
#include "paradox/Table.h"

namespace orba::pdx {

class BlobFileWriter;
struct Journal;

struct CreateOptions {
  Env* env = nullptr;
  // The first key_field_count fields form the primary key (0 = unkeyed).
  unsigned key_field_count = 0;
  uint16_t code_page = 1252;
  // Data block size in KiB (1, 2, 4, 8, 16 or 32); 0 chooses by record size.
  uint8_t block_size_kib = 0;
};

// Creates an empty level-7 table (and its .MB / .PX when needed). Fails with
// InvalidArgument if a file of the table already exists or a definition is
// impossible.
Status CreateTable(const std::string& path, const std::vector<FieldDef>& fields,
                   const CreateOptions& options);

struct WriteOptions {
  Env* env = nullptr;
  // How long Open waits while another writer holds the table; then it fails
  // with Locked ("table X is in use by another program or workstation").
  std::chrono::milliseconds lock_wait{5000};
  uint16_t fallback_code_page = 437;
};

class TableWriter {
 public:
  // Takes the lock, puts in place the index files an interrupted commit left
  // waiting, and loads the table. Fails with NotSupported for tables the
  // writer would damage: encrypted ones, ones with a secondary index whose
  // files it cannot read or rebuild faithfully, and keyed tables with alpha
  // keys under a sort order other than "ascii".
  static Status Open(const std::string& path, const WriteOptions& options,
                     std::unique_ptr<TableWriter>* writer);
  ~TableWriter();

  const std::vector<FieldDef>& fields() const;
  uint32_t record_count() const;
  // Whether this writer changes the table in place (see the file comment);
  // false once it holds every row for a whole rewrite.
  bool in_place() const { return in_place_; }
  // Reads a record as it stands in this writer (committed or not).
  Status Get(uint32_t index, Record* record);

  // Keyed tables: the record goes to its key's position; a key that exists
  // already is InvalidArgument ("duplicate key"). Unkeyed tables: appended.
  // A value a secondary index could not be kept in order with is
  // NotSupported, naming the index (see SecondaryIndex.h).
  // A NULL autoincrement (+) field gets the next number. *index (optional)
  // receives the record's position.
  Status Insert(const Record& record, uint32_t* index = nullptr);
  // Unkeyed tables only: inserts before position `index`.
  Status InsertAt(uint32_t index, const Record& record);
  // Replaces record `index`; in a keyed table it moves when its key changes.
  Status Update(uint32_t index, const Record& record, uint32_t* new_index = nullptr);
  Status Delete(uint32_t index);

  // Writes all changes (see the file comment). A failure means the change
  // was not stored and the files are as they were; the writer's contents
  // are then undefined: destroy it and open again. A table whose secondary
  // indexes cannot be kept in order with its values is refused with
  // NotSupported naming the table and the index, before any file is touched.
  Status Commit();
  // After a Commit that succeeded: empty, or what the user should be told:
  // a damaged or missing index that the commit rebuilt, or what could not be
  // completed after the change was stored (an index left to put in place).
  const std::string& commit_note() const { return note_; }

  // Gives the table a single-field secondary index on `field` (its name, in
  // any letter case; see NewSingleFieldIndex for the layout and what is
  // refused) and commits at once: the new X and Y files are written with the
  // table, as every commit writes them, so they are complete and current or
  // not there. Only on a writer without uncommitted changes. A field that
  // has its single-field index already is InvalidArgument. A refusal, or a
  // failure before the commit point, leaves every file as it was and the
  // writer as it was.
  Status CreateIndex(const std::string& field);
  // Gives the table a composite index (.XGn, the first n free; see
  // NewCompositeIndex for the layout and what is refused), committed at
  // once as above. An index of the same name is InvalidArgument.
  Status CreateIndex(const IndexDefinition& definition);

 private:
  // One record on its way in or out of rows_.
  struct Row {
    std::string raw;
    // Values to store in the .MB at commit: field index, stored bytes.
    PendingBlobs blobs;
  };
  Row RowAt(size_t index) const;
  TableWriter() = default;
  Status DecodeRow(const Row& row, Record* record);
  Status EncodeRow(const Record& record, const Row* old, Row* row);
  Status CheckKeyed(const Row& row, size_t skip, size_t* pos);
  std::string KeyText(const std::string& raw);
  // Writes the new .DB, records in order and blocks full, to its
  // replacement-to-be (*tmp), with the .DB's access, synced.
  Status WriteDataFile(uint8_t stamp, uint32_t now, std::vector<std::string>* first_keys,
                       std::vector<uint16_t>* blocks, std::vector<uint16_t>* counts, std::string* tmp);
  Status CheckIndexes(const Row& row);
  // Adds a new index to the writer's and commits the unchanged rows.
  Status AddIndex(SecondaryIndex created);
  // Where the .MB blocks the committed records point to end.
  Result<uint64_t> CommittedBlobEnd();
  Status LoadSecondaryIndexes();
  // Reads one index's headers; an index whose X or Y file is missing or
  // damaged but whose definition is still known comes back to be rebuilt
  // by the next commit, with *repair saying so.
  Status LoadOrRepairIndex(const SecondaryIndexFiles& files, SecondaryIndex* index, std::string* repair);
  // Renames the index files a commit left waiting (written for the table's
  // current change counter) over the files they replace; removes others.
  Status FinishInterruptedCommit(bool* finished);
  // A change counter for the commit that no index file of the table holds.
  uint8_t CommitStamp() const;
  // Writes `data` beside `path` as its replacement-to-be, with the access of
  // the file it will replace, synced; *tmp receives its name.
  Status PrepareFile(const std::string& path, const std::string& data, std::string* tmp);

  // The in-place path (TableWriterInPlace.cpp). Whether the table can be
  // changed in place, judged at Open.
  bool InPlaceFits() const;
  // Loads every row (with the changes kept so far) and leaves the in-place
  // path: what the changes the path does not take need.
  Status LoadRows();
  Status InsertInPlace(Row row, uint32_t* index);
  Status UpdateInPlace(uint32_t index, const Record& record, uint32_t* new_index);
  Status DeleteInPlace(uint32_t index);
  Status GetInPlace(uint32_t index, Record* record);
  // Record `index` as the waiting changes make the table: its bytes, and
  // the blob values a waiting change has not stored yet.
  Status RowInPlace(uint32_t index, Row* row);
  // Stores the blob values of the waiting changes in the .MB (appended,
  // durable) and gives *stored each such change's bytes with the values'
  // descriptors (keyed: by change; unkeyed: *appended, every appended
  // record). The writer's own changes keep their values unstored, for a
  // retry; *blobs, when there were values, takes them back unless the
  // commit reaches its commit point.
  struct StoredInPlace {
    std::map<const void*, std::string> rows;  // keyed: by &PendingChange::row
    std::vector<std::string> appended;
  };
  Status StoreBlobsInPlace(StoredInPlace* stored, std::unique_ptr<BlobFileWriter>* blobs);
  // Where a record with this key goes (or is), the waiting changes counted.
  Status PositionInPlace(const std::string& key, uint32_t* index);
  // How a block of n records (at most per_block each) is split: evenly, so
  // that inserts at the front of a table do not leave a block per insert,
  // or, when `fill` (records only added after the table's last one), into
  // full blocks and the rest.
  static std::vector<size_t> SplitSizes(size_t n, size_t per_block, bool fill);
  // *rewrite is set, and nothing written, when the changes need the whole
  // rewrite after all (every record deleted).
  Status CommitInPlace(bool* rewrite);

  // Secondary indexes kept by an in-place commit (TableWriterIndexes.cpp).
  // A record the commit wrote to a block other than its own: a new one, or
  // one a split moved to another block.
  struct PlacedInPlace {
    std::string raw;
    uint16_t block = 0;
    uint16_t slot = 0;
    bool is_new = false;
  };
  // Whether every index can be kept in place: current, with its tree, in
  // an order known without the whole table (judged at Open and after each
  // in-place commit).
  bool IndexesFitInPlace() const;
  // Notes the records of `rows` [first, first + count) that went to block
  // `block`: every new one, and every stored one when `moved`. Stored
  // records are those whose bytes lie in `image`.
  static void NotePlaced(const std::string& image, const std::vector<std::string_view>& rows, size_t first,
                         size_t count, uint16_t block, bool moved, std::vector<PlacedInPlace>* placed);
  // Adds to `journal` the X and Y blocks that keep every index in step
  // with `placed`, and lists each index file with the size it will have.
  // `removed`: the old bytes of the records updated or deleted, whose
  // entries go. NotSupported when that would empty an index (the commit
  // then takes the whole rewrite; what was added to `journal` is not
  // written).
  Status KeepIndexesInPlace(const std::vector<PlacedInPlace>& placed, const std::vector<std::string>& removed,
                            uint8_t stamp, uint32_t now, Journal* journal,
                            std::vector<std::pair<std::string, uint64_t>>* sizes);
  // What a commit reads of an index before changing it: its X file (open),
  // its Y file's bytes, and the leaves they list (X block and entry count,
  // first entry's key, in chain order).
  struct IndexFilesRead {
    std::unique_ptr<RandomAccessFile> x;
    std::shared_ptr<const std::string> y;
    std::unique_ptr<PrimaryIndex> tree;  // over `y`
    std::vector<std::pair<uint16_t, uint16_t>> leaves;
    std::vector<std::string> first_keys;
  };
  // Reads every index's files into index_files_: whether they are as the
  // writer found them and their trees list their blocks; when not, says so
  // in repairs_ (a whole rewrite then rebuilds them).
  Status CheckIndexFilesInPlace();
  std::vector<IndexFilesRead> index_files_;
  // After an in-place commit: the indexes' new headers, or the whole-rewrite
  // path when they can no longer be kept in place.
  Status ReloadIndexesAfterInPlaceCommit();

  Env* env_ = nullptr;
  std::string path_;
  std::string name_;
  WriteOptions options_;
  std::unique_ptr<FileLock> lock_;
  std::unique_ptr<Table> table_;
  RowStore rows_;
  // In place: rows_ stays empty and the changes wait here until the commit
  // (keyed: by key bytes; unkeyed: appended records in order).
  struct PendingChange {
    enum Kind : uint8_t { kInsert, kUpdate, kDelete };
    Kind kind = kInsert;
    std::string row;     // the record's new bytes; empty for a delete
    PendingBlobs blobs;  // its blob values not stored yet
  };
  bool in_place_ = false;
  static constexpr size_t kMostChangesInPlace = 4096;
  std::map<std::string, PendingChange> pending_;
  uint32_t pending_inserts_ = 0, pending_deletes_ = 0;
  std::vector<Row> appended_;
  uint32_t auto_increment_ = 0;
  bool dirty_ = false;
  std::string note_;
  std::vector<SecondaryIndex> indexes_;
  // What the next commit rebuilds from damage, for commit_note().
  std::vector<std::string> repairs_;
  // Replacements (temporary file, file) a commit could not put in place.
  std::vector<std::pair<std::string, std::string>> waiting_;
};

// Convenience: open, insert one record, commit.
Status AppendRecord(const std::string& path, const Record& record, const WriteOptions& options = {});

// Convenience: open, TableWriter::CreateIndex, close. *note (optional)
// receives the commit's note.
Status CreateSecondaryIndex(const std::string& path, const std::string& field,
                            const WriteOptions& options = {}, std::string* note = nullptr);

}  // namespace orba::pdx
