// Secondary indexes: the .Xnn/.XGn files that list a table's records in the
// order of other fields, each with its .Ynn/.YGn tree over it.
//
// An X file is laid out like a .DB; its records are the indexed fields, then
// the record's primary key (or its record number), then where the record
// lies in the .DB. A whole rewrite of the table rebuilds it, and its Y file,
// from the new contents of the table, in the order Paradox's own files show
// (docs/paradox-format.md §7); an insert committed in place adds its entries
// into the same order (TableWriterIndexes.cpp). Where that
// order cannot be known for the values at hand (letters beyond ASCII under
// an international sort order, say) the build is refused rather than
// guessed: an index in the wrong order makes Paradox miss records.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/Env.h"
#include "paradox/Field.h"
#include "paradox/Status.h"
#include "paradox/TableHeader.h"

namespace orba::pdx {

class Table;

// What follows the indexed fields in an X record.
enum class IndexLayout : uint8_t {
  kPrimaryKey,    // the primary-key fields, then Blk Num (S)
  kRecordNumber,  // Tup No (I, 1-based), Blk Num (S), Tup Offset (S)
};

// How an index treats the letter case of alpha values.
enum class LetterCase : uint8_t {
  kSensitive,    // values stored and ordered as they are
  kInsensitive,  // ASCII letters stored upper-cased
  kUnknown,      // the header does not say (a composite index without flag 0x01)
};

struct IndexedField {
  unsigned field = 0;  // 0-based position in the .DB
  bool descending = false;
};

// The files of one index as found beside the table (paths).
struct SecondaryIndexFiles {
  std::string x;
  std::string y;  // empty when the index has no tree file
};

// 'x' or 'y' when `file` (a file name) names a secondary index file of the
// table whose .DB is named `db_name`, ignoring letter case: base name, then
// X or Y and two hexadecimal digits (.X03, .x0c) or G and a digit or letter
// (.XG0). 0 for every other name. *suffix (optional) receives the two
// characters after X/Y, upper-cased.
char SecondaryIndexFileKind(std::string_view db_name, std::string_view file, std::string* suffix = nullptr);

// Every secondary index of the table at db_path, X paired with Y, ordered by
// extension. A Y file without its X comes back with x empty.
Status FindSecondaryIndexFiles(Env* env, const std::string& db_path, std::vector<SecondaryIndexFiles>* out);

// One secondary index: the headers of its files, checked against the table.
struct SecondaryIndex {
  SecondaryIndexFiles files;
  bool composite = false;  // .XGn
  IndexLayout layout = IndexLayout::kPrimaryKey;
  LetterCase letter_case = LetterCase::kSensitive;
  std::vector<IndexedField> fields;
  std::vector<size_t> offsets;  // of each indexed field in a .DB record
  TableHeader x;
  TableHeader y;  // header_size 0 when there is no Y file

  bool has_tree() const { return y.header_size != 0; }
  // Bytes of the indexed fields at the start of an X record.
  size_t key_size() const;
  // The X file's change counter (0x2D) and the stamp of the primary index
  // it was built with (0x2F); the Y file's stamp (0x2C).
  uint8_t change_stamp() const;
  uint8_t primary_stamp() const;
  uint8_t tree_stamp() const;
  // "items.xg0 (ByOrderNo)" for messages.
  std::string Describe() const;
};

// Reads the headers of an index's files and checks them against the table's
// header. NotSupported (saying why) for an index this engine cannot rebuild
// faithfully; Corruption for damaged files.
Status ReadSecondaryIndex(Env* env, const SecondaryIndexFiles& files, const TableHeader& table,
                          SecondaryIndex* index);

// The first `fields` indexed fields of a record (its stored bytes) as the X
// file stores them: alpha values cut at their end, upper-cased when the
// index ignores case; other fields as stored.
std::string IndexKey(const SecondaryIndex& index, const TableHeader& table, std::string_view raw,
                     size_t fields);
// Compares the first `fields` indexed fields of two X records (or keys) as
// the index orders them; alpha values end at their first NUL.
int CompareIndexKeys(const SecondaryIndex& index, const TableHeader& table, std::string_view a,
                     std::string_view b, size_t fields);

// OK, or NotSupported naming the table and the index when the indexed values
// of one record cannot be put in the index's order with certainty.
Status CheckIndexedValues(const SecondaryIndex& index, Table* table, std::string_view raw);

// A record of the table and where it lies in the new .DB.
struct PlacedRecord {
  std::string_view raw;
  uint16_t block = 0;  // .DB block number
  uint16_t slot = 0;   // 0-based place in the block
};

struct IndexFileImages {
  std::string x;
  std::string y;
};

// Builds the new X and Y files from the whole table (`records` in table
// order): every record once, in the index's order, ties in table order
// (which is primary-key order in a keyed table, record-number order else).
// The headers keep everything the old files said but the counts, block
// numbers and stamps: `stamp` goes to the X file's change counter and
// primary stamp and to the Y file's stamp. NotSupported when the order
// cannot be known for these values (CheckIndexedValues, or two values that
// sort differently by character code and ignoring case under a sort order
// whose choice between the two is unknown).
Status BuildSecondaryIndex(const SecondaryIndex& index, Table* table,
                           const std::vector<PlacedRecord>& records, uint8_t stamp, uint32_t update_time,
                           IndexFileImages* out);

// The path of the Y file for an index that has none yet: the X file's, with
// X turned into Y in the same letter case.
std::string TreePathFor(const std::string& x_path);

// Where the single-field index on field `field` (0-based) of the table at
// db_path goes: .Xnn, nn the field's position in hexadecimal, in the letter
// case of the .DB's extension (items.db: items.x03; TYPES.DB: TYPES.X0C).
std::string SingleFieldIndexPath(const std::string& db_path, unsigned field);

// A new single-field index on field `field` (0-based) of `table`, laid out
// as Paradox lays out its own: values kept in their letter case, entries by
// primary key (file type 5) in a keyed table, by record number (file type 3)
// in one without a key. It has an X header and no files yet; a commit builds
// its entries and its tree. The header goes through the checks of a header
// read from disk. NotSupported, naming the table and the field, for a field
// whose order this engine cannot keep as Paradox would: a blob, bytes or BCD
// field, an alpha field under a sort order other than "ascii" (its collation
// is not known), any field of a Paradox 3 table.
Status NewSingleFieldIndex(Table* table, unsigned field, const std::string& x_path, SecondaryIndex* index);

// What a composite index (.XGn) indexes: fields in order, each ascending
// or descending, its values' letter case ignored or not, and its name.
struct IndexDefinition {
  std::vector<IndexedField> fields;
  bool ignore_case = false;
  std::string name;
};

// A new composite index (.XGn) of `table`, laid out as Paradox's own: file
// type 8 (by primary key) or 6 (by record number), flags 0x01 when it
// ignores case and 0x10 when a field is descending, the fields' positions
// with 0x8000 on a descending one, the name after the sort order's. As for
// NewSingleFieldIndex, a commit builds its entries. NotSupported for the
// fields NewSingleFieldIndex refuses, and for alpha fields in an index that
// keeps letter case (such a file was never seen, so how Paradox would store
// its values is not known).
Status NewCompositeIndex(Table* table, const IndexDefinition& definition, const std::string& x_path,
                         SecondaryIndex* index);

// The stamp an index file carries, by its file type: the change counter
// (0x2D) of an X file, the stamp (0x2C) of a .PX or Y file; -1 when the
// file cannot be read.
int IndexFileStamp(Env* env, const std::string& path);

// What a Table tells about one of its secondary indexes.
struct SecondaryIndexInfo {
  std::string file;  // the X file's name
  std::string name;  // index name (UTF-8), empty for a single-field index
  std::vector<IndexedField> fields;
  LetterCase letter_case = LetterCase::kSensitive;
  IndexLayout layout = IndexLayout::kPrimaryKey;
  // OK when lookups use the index; otherwise why they cannot (out of date,
  // unreadable, ...), and lookups read the whole table instead.
  Status status;
};

}  // namespace orba::pdx
