// TableHeader: the decoded header of a .DB file, or of one of the index
// files that share its fixed part: a .PX, a secondary index's X file (laid
// out like a .DB) or its Y file (laid out like a .PX).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "paradox/Env.h"
#include "paradox/Field.h"
#include "paradox/Status.h"

namespace orba::pdx {

struct TableHeader {
  uint16_t record_size = 0;
  uint16_t header_size = 0;
  uint8_t file_type = 0;
  uint8_t block_size_code = 0;
  uint32_t record_count = 0;
  uint16_t used_blocks = 0;
  uint16_t file_blocks = 0;
  uint16_t first_block = 0;
  uint16_t last_block = 0;
  uint16_t index_root = 0;
  uint8_t index_levels = 0;
  uint16_t field_count = 0;
  uint16_t key_field_count = 0;
  uint8_t sort_order = 0;
  uint8_t change_count = 0;
  uint8_t index_stamp = 0;
  uint8_t version = 0;
  uint32_t auto_increment = 0;
  uint16_t first_free_block = 0;
  uint32_t encryption_key = 0;  // 0 when not encrypted
  uint16_t code_page = 0;       // 0 when the header has none (3.x)

  std::vector<FieldDef> fields;  // names still in the code page's bytes
  std::string table_name;        // as stored (code page bytes)
  std::string sort_order_name;
  std::vector<uint16_t> field_ids;  // 4.x+ .DB and X files; empty elsewhere
  std::string index_name;           // X files: as stored, empty for .Xnn

  std::string raw;  // the header_size bytes as read; kept for rewriting

  size_t block_size() const { return static_cast<size_t>(block_size_code) * 1024; }
  bool has_extension() const;  // 4.x+ .DB and X files: 0x58–0x77 present
  bool keyed() const { return key_field_count > 0; }
};

enum class HeaderKind {
  kTable,               // .DB
  kPrimaryIndex,        // .PX
  kSecondaryIndex,      // .Xnn, .XGn
  kSecondaryIndexTree,  // .Ynn, .YGn
};

// Reads and validates the header of `file` (its path is used in messages).
// Checks everything later code relies on: sizes, counts and the field
// descriptors; the block chain is checked by the table reader.
Status ReadTableHeader(RandomAccessFile* file, const std::string& name, HeaderKind kind, TableHeader* header);

// 1-based version level for display: "3.0", "3.5", "4.x", "5.x", "7.x".
const char* VersionName(uint8_t version);

}  // namespace orba::pdx
