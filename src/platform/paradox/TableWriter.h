// Creating tables and changing their records.
//
// A TableWriter holds the table's lock from Open until it is destroyed, so
// every change it makes is based on the current contents: two processes that
// append at the same time serialise on the lock and both land every record.
// Changes are kept in memory until Commit(), which replaces the files:
//   1. new blob values are appended to the .MB (never overwriting anything);
//   2. the new .DB is written to "<name>.pdxtmp", synced and renamed over
//      the old one — the commit point;
//   3. the .PX is rebuilt the same way.
// A crash before step 2 leaves the old table (plus unreferenced .MB space); a
// crash after it leaves the new one; a .PX left behind by a crash in step 3
// is rebuilt by the next commit, and readers only use the .PX as a hint.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "paradox/Env.h"
#include "paradox/Field.h"
#include "paradox/Status.h"
#include "paradox/Table.h"

namespace orba::pdx {

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
  // false: Open fails with Locked at once when another writer holds the lock.
  bool wait_for_lock = true;
  uint16_t fallback_code_page = 437;
};

class TableWriter {
 public:
  // Takes the lock and loads the table. Fails with NotSupported for tables
  // the writer would damage: encrypted ones, ones with secondary indexes,
  // and keyed tables with alpha keys under a sort order other than "ascii".
  static Status Open(const std::string& path, const WriteOptions& options,
                     std::unique_ptr<TableWriter>* writer);
  ~TableWriter();

  const std::vector<FieldDef>& fields() const;
  uint32_t record_count() const { return static_cast<uint32_t>(rows_.size()); }
  // Reads a record as it stands in this writer (committed or not).
  Status Get(uint32_t index, Record* record);

  // Keyed tables: the record goes to its key's position; a key that exists
  // already is InvalidArgument ("duplicate key"). Unkeyed tables: appended.
  // A NULL autoincrement (+) field gets the next number. *index (optional)
  // receives the record's position.
  Status Insert(const Record& record, uint32_t* index = nullptr);
  // Unkeyed tables only: inserts before position `index`.
  Status InsertAt(uint32_t index, const Record& record);
  // Replaces record `index`; in a keyed table it moves when its key changes.
  Status Update(uint32_t index, const Record& record, uint32_t* new_index = nullptr);
  Status Delete(uint32_t index);

  // Writes all changes (see the file comment). After a failed Commit the
  // writer's contents are undefined: destroy it and open again.
  Status Commit();

 private:
  struct Row {
    std::string raw;
    // Values to store in the .MB at commit: field index, stored bytes.
    std::vector<std::pair<size_t, std::string>> blobs;
  };
  TableWriter() = default;
  Status DecodeRow(const Row& row, Record* record);
  Status EncodeRow(const Record& record, const Row* old, Row* row);
  Status CheckKeyed(const Row& row, size_t skip, size_t* pos);
  std::string KeyText(const std::string& raw);
  std::string BuildDataFile(uint8_t stamp, std::vector<std::string>* first_keys,
                            std::vector<uint16_t>* blocks, std::vector<uint16_t>* counts);
  Status ReplaceFile(const std::string& path, const std::string& data);

  Env* env_ = nullptr;
  std::string path_;
  std::string name_;
  WriteOptions options_;
  std::unique_ptr<FileLock> lock_;
  std::unique_ptr<Table> table_;
  std::vector<Row> rows_;
  uint32_t auto_increment_ = 0;
  bool dirty_ = false;
};

// Convenience: open, insert one record, commit.
Status AppendRecord(const std::string& path, const Record& record, const WriteOptions& options = {});

}  // namespace orba::pdx
