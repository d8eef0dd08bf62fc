#include "paradox/TableHeader.h"

#include <cstdio>
#include <cstring>

#include "paradox/Coding.h"
#include "paradox/Format.h"

namespace orba::pdx {

namespace f = format;

bool TableHeader::has_extension() const {
  return version >= f::kVersion4First && file_type != f::kFileTypePrimaryIndex &&
         file_type != f::kFileTypeIndexTree && file_type != f::kFileTypeCompositeTree;
}

const char* VersionName(uint8_t version) {
  if (version == f::kVersion30) return "3.0";
  if (version == f::kVersion35) return "3.5";
  if (version < f::kVersion5First) return "4.x";
  if (version < f::kVersion7) return "5.x";
  return "7.x";
}

namespace {

std::string Hex(unsigned v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%02x", v);
  return buf;
}

// Reads a NUL-terminated string starting at *pos, bounded by end.
bool ReadCString(const std::string& raw, size_t* pos, size_t end, std::string* out) {
  size_t nul = raw.find('\0', *pos);
  if (nul == std::string::npos || nul >= end) return false;
  out->assign(raw, *pos, nul - *pos);
  *pos = nul + 1;
  return true;
}

}  // namespace

Status ReadTableHeader(RandomAccessFile* file, const std::string& name, HeaderKind kind, TableHeader* h) {
  std::string fixed;
  Status s = file->Read(0, f::kFixedHeaderEnd, &fixed);
  if (!s.ok()) return s;
  const uint64_t file_size = file->Size();
  if (fixed.size() < f::kFixedHeaderEnd)
    return Status::Corruption(
        name, "file too short for a Paradox header (" + std::to_string(file_size) + " bytes)");
  const char* p = fixed.data();
  h->record_size = GetU16(p + f::kRecordSize);
  h->header_size = GetU16(p + f::kHeaderSize);
  h->file_type = static_cast<uint8_t>(p[f::kFileType]);
  h->block_size_code = static_cast<uint8_t>(p[f::kBlockSizeCode]);
  h->record_count = GetU32(p + f::kRecordCount);
  h->used_blocks = GetU16(p + f::kUsedBlocks);
  h->file_blocks = GetU16(p + f::kFileBlocks);
  h->first_block = GetU16(p + f::kFirstBlock);
  h->last_block = GetU16(p + f::kLastBlock);
  h->index_root = GetU16(p + f::kIndexRoot);
  h->index_levels = static_cast<uint8_t>(p[f::kIndexLevels]);
  h->field_count = GetU16(p + f::kFieldCount);
  h->key_field_count = GetU16(p + f::kKeyFieldCount);
  h->sort_order = static_cast<uint8_t>(p[f::kSortOrder]);
  h->index_stamp = static_cast<uint8_t>(p[f::kIndexStamp]);
  h->change_count = static_cast<uint8_t>(p[f::kChangeCount1]);
  h->version = static_cast<uint8_t>(p[f::kFileVersion]);
  h->auto_increment = GetU32(p + f::kAutoIncrement);
  h->first_free_block = GetU16(p + f::kFirstFreeBlock);

  if (h->version < f::kVersion30 || h->version > 15)
    return Status::Corruption(name, "not a Paradox file (version byte " + Hex(h->version) + ")");
  if (h->version > f::kVersion7)
    return Status::NotSupported(name, "unknown Paradox file version " + Hex(h->version));
  const uint8_t ft = h->file_type;
  if (kind == HeaderKind::kTable && ft != f::kFileTypeKeyed && ft != f::kFileTypeUnkeyed)
    return Status::Corruption(name, "file type " + std::to_string(ft) + " is not a Paradox table");
  if (kind == HeaderKind::kPrimaryIndex && ft != f::kFileTypePrimaryIndex)
    return Status::Corruption(name, "file type " + std::to_string(ft) + " is not a primary index");
  if (kind == HeaderKind::kSecondaryIndex && ft != f::kFileTypeIndexByNumber &&
      ft != f::kFileTypeIndexByKey && ft != f::kFileTypeCompositeByNumber && ft != f::kFileTypeCompositeByKey)
    return Status::Corruption(name, "file type " + std::to_string(ft) + " is not a secondary index");
  if (kind == HeaderKind::kSecondaryIndexTree && ft != f::kFileTypeIndexTree &&
      ft != f::kFileTypeCompositeTree)
    return Status::Corruption(name, "file type " + std::to_string(ft) + " is not a secondary index tree");
  // A .PX or Y file holds index entries; a .DB or X file holds records.
  const bool entries = kind == HeaderKind::kPrimaryIndex || kind == HeaderKind::kSecondaryIndexTree;
  if (h->block_size_code < 1 || h->block_size_code > 32)
    return Status::Corruption(name, "impossible block size code " + std::to_string(h->block_size_code));
  if (h->header_size < f::kFixedHeaderEnd)
    return Status::Corruption(name, "impossible header size " + std::to_string(h->header_size));
  if (h->header_size > file_size)
    return Status::Corruption(name, "header size " + std::to_string(h->header_size) +
                                        " exceeds the file size " + std::to_string(file_size));
  if (h->field_count == 0 || h->field_count > f::kMaxFields)
    return Status::Corruption(name, "impossible field count " + std::to_string(h->field_count));
  if (!entries && h->key_field_count > h->field_count)
    return Status::Corruption(name, "key field count " + std::to_string(h->key_field_count) +
                                        " exceeds the field count " + std::to_string(h->field_count));
  if (h->record_size == 0 || h->record_size + f::kBlockHeaderSize > h->block_size())
    return Status::Corruption(name, "record size " + std::to_string(h->record_size) + " does not fit a " +
                                        std::to_string(h->block_size()) + "-byte block");

  s = file->Read(0, h->header_size, &h->raw);
  if (!s.ok()) return s;
  if (h->raw.size() < h->header_size) return Status::Corruption(name, "file ends inside the header");
  const std::string& raw = h->raw;

  if (h->has_extension()) {
    if (h->header_size < f::kExtendedHeaderEnd)
      return Status::Corruption(name, "header too short for its version");
    h->code_page = GetU16(raw.data() + f::kCodePage);
  }
  uint32_t key1 = GetU32(raw.data() + f::kEncryption1);
  if (h->version < f::kVersion4First || entries) {
    h->encryption_key = key1;
  } else if (key1 == f::kEncryptionMarker4x) {
    h->encryption_key = GetU32(raw.data() + f::kEncryption2);
  } else {
    h->encryption_key = key1;
  }

  size_t pos = h->has_extension() ? f::kExtendedHeaderEnd : f::kFixedHeaderEnd;
  const size_t end = h->header_size;
  if (pos + 2u * h->field_count > end)
    return Status::Corruption(name, "field descriptors run past the header");
  h->fields.clear();
  h->fields.reserve(h->field_count);
  size_t total = 0;
  for (unsigned i = 0; i < h->field_count; ++i) {
    uint8_t code = static_cast<uint8_t>(raw[pos + 2 * i]);
    uint8_t size = static_cast<uint8_t>(raw[pos + 2 * i + 1]);
    auto type = FieldTypeFromCode(code);
    if (!type)
      return Status::NotSupported(name,
                                  "field " + std::to_string(i + 1) + " has unknown type code " + Hex(code));
    size_t phys = PhysicalSize(*type, size);
    if (phys == 0)
      return Status::Corruption(name, "field " + std::to_string(i + 1) + " (type " + FieldTypeLetter(*type) +
                                          ") has impossible size " + std::to_string(size));
    FieldDef fd;
    fd.type = *type;
    fd.size = size;
    h->fields.push_back(std::move(fd));
    total += phys;
  }
  size_t expected = total + (entries ? f::kIndexEntryTrailer : 0);
  if (expected != h->record_size)
    return Status::Corruption(name, "record size " + std::to_string(h->record_size) +
                                        " does not match the fields (" + std::to_string(expected) + ")");
  pos += 2u * h->field_count;

  // Pointers saved from Paradox's memory: meaningless on disk.
  pos += 4;
  if (!entries) pos += 4u * h->field_count;
  const size_t name_len = h->version >= f::kVersion7 ? f::kTableNameLength7 : f::kTableNameLength3to5;
  if (pos + name_len > end) {
    // A .PX written with an exact header may stop right after the name.
    if (entries) return Status::OK();
    return Status::Corruption(name, "table name runs past the header");
  }
  std::string tname(raw, pos, name_len);
  tname.resize(std::strlen(tname.c_str()));
  h->table_name = tname;
  pos += name_len;
  if (entries) return Status::OK();

  for (FieldDef& fd : h->fields) {
    if (!ReadCString(raw, &pos, end, &fd.name))
      return Status::Corruption(name, "field names run past the header");
  }
  if (h->has_extension()) {
    if (pos + 2u * h->field_count <= end) {
      for (unsigned i = 0; i < h->field_count; ++i) h->field_ids.push_back(GetU16(raw.data() + pos + 2 * i));
    }
    pos += 2u * h->field_count;
    std::string text;
    if (pos < end && ReadCString(raw, &pos, end, &text)) {
      h->sort_order_name = text;
      if (kind == HeaderKind::kSecondaryIndex && pos < end && ReadCString(raw, &pos, end, &text))
        h->index_name = text;
    }
  }
  return Status::OK();
}

}  // namespace orba::pdx
