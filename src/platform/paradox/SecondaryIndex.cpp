#include "paradox/SecondaryIndex.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "paradox/Coding.h"
#include "paradox/Format.h"
#include "paradox/PrimaryIndex.h"
#include "paradox/Table.h"
#include "paradox/TextCodec.h"

namespace orba::pdx {

namespace f = format;

namespace {

// ASCII only, whatever the process's locale: Paradox upper-cases a-z alone.
bool IsLowerAscii(uint8_t c) { return c >= 'a' && c <= 'z'; }
uint8_t UpperAscii(uint8_t c) { return IsLowerAscii(c) ? static_cast<uint8_t>(c - 'a' + 'A') : c; }
char Upper(char c) { return static_cast<char>(UpperAscii(static_cast<uint8_t>(c))); }
bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
bool IsAlnumAscii(uint8_t c) { return IsDigit(c) || IsLowerAscii(c) || (c >= 'A' && c <= 'Z'); }
bool IsHex(char c) {
  const uint8_t u = UpperAscii(static_cast<uint8_t>(c));
  return IsDigit(u) || (u >= 'A' && u <= 'F');
}

std::vector<size_t> FieldOffsets(const std::vector<FieldDef>& fields) {
  std::vector<size_t> out;
  size_t off = 0;
  for (const FieldDef& fd : fields) {
    out.push_back(off);
    off += PhysicalSize(fd);
  }
  return out;
}

// The length of an alpha value: up to its first NUL.
size_t AlphaLength(const uint8_t* p, size_t width) {
  const void* nul = std::memchr(p, 0, width);
  return nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - p) : width;
}

int CompareAlpha(const uint8_t* a, const uint8_t* b, size_t width) {
  const size_t la = AlphaLength(a, width), lb = AlphaLength(b, width);
  const int c = std::memcmp(a, b, std::min(la, lb));
  if (c != 0) return c < 0 ? -1 : 1;
  return la == lb ? 0 : (la < lb ? -1 : 1);
}

// The same, with ASCII letters folded: how an order that ignores case sees them.
int CompareAlphaFolded(const uint8_t* a, const uint8_t* b, size_t width) {
  const size_t la = AlphaLength(a, width), lb = AlphaLength(b, width);
  for (size_t i = 0; i < std::min(la, lb); ++i) {
    const uint8_t ca = UpperAscii(a[i]), cb = UpperAscii(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return la == lb ? 0 : (la < lb ? -1 : 1);
}

bool IsBlank(const uint8_t* p, size_t width) {
  for (size_t i = 0; i < width; ++i)
    if (p[i] != 0) return false;
  return true;
}

// Characters whose place among letters and digits is known under the
// international sort orders: real indexes under them hold these, ordered by
// their codes. Other punctuation may be ignored or moved by a collation.
bool KnownUnderAnySortOrder(uint8_t c) {
  return IsAlnumAscii(c) || c == ' ' || c == '(' || c == ')' || c == ',' || c == '-' || c == '.' || c == '/';
}

std::string Quote(Table* table, const uint8_t* p, size_t width) {
  return "'" +
         table->codec()->Decode(std::string_view(reinterpret_cast<const char*>(p), AlphaLength(p, width))) +
         "'";
}

}  // namespace

char SecondaryIndexFileKind(std::string_view db_name, std::string_view file, std::string* suffix) {
  size_t dot = db_name.rfind('.');
  const std::string_view base = dot == std::string_view::npos ? db_name : db_name.substr(0, dot);
  if (file.size() != base.size() + 4 || file[base.size()] != '.') return 0;
  for (size_t i = 0; i < base.size(); ++i)
    if (Upper(file[i]) != Upper(base[i])) return 0;
  const char kind = Upper(file[base.size() + 1]);
  const char a = file[base.size() + 2], b = file[base.size() + 3];
  if (kind != 'X' && kind != 'Y') return 0;
  const bool single = IsHex(a) && IsHex(b);
  const bool composite = Upper(a) == 'G' && IsAlnumAscii(static_cast<uint8_t>(b));
  if (!single && !composite) return 0;
  if (suffix) *suffix = {Upper(a), Upper(b)};
  return kind == 'X' ? 'x' : 'y';
}

Status FindSecondaryIndexFiles(Env* env, const std::string& db_path, std::vector<SecondaryIndexFiles>* out) {
  out->clear();
  std::vector<std::string> names;
  const std::string dir = DirName(db_path);
  Status s = env->ListDir(dir, &names);
  if (!s.ok()) return s;
  std::sort(names.begin(), names.end());  // deterministic when names differ only in case
  std::map<std::string, SecondaryIndexFiles> by_suffix;
  const std::string db_name = BaseName(db_path);
  for (const std::string& name : names) {
    std::string suffix;
    const char kind = SecondaryIndexFileKind(db_name, name, &suffix);
    if (kind == 0) continue;
    const std::string path = db_path.find('/') == std::string::npos ? name : dir + "/" + name;
    SecondaryIndexFiles& files = by_suffix[suffix];
    std::string& slot = kind == 'x' ? files.x : files.y;
    if (slot.empty()) slot = path;
  }
  for (auto& [suffix, files] : by_suffix) out->push_back(std::move(files));
  return Status::OK();
}

size_t SecondaryIndex::key_size() const {
  size_t n = 0;
  for (size_t i = 0; i < fields.size(); ++i) n += PhysicalSize(x.fields[i]);
  return n;
}

uint8_t SecondaryIndex::change_stamp() const { return static_cast<uint8_t>(x.raw[f::kChangeCount1]); }
uint8_t SecondaryIndex::primary_stamp() const { return static_cast<uint8_t>(x.raw[f::kPrimaryStamp]); }
uint8_t SecondaryIndex::tree_stamp() const {
  return has_tree() ? static_cast<uint8_t>(y.raw[f::kIndexStamp]) : 0;
}

std::string SecondaryIndex::Describe() const {
  std::string out = BaseName(files.x);
  if (!x.index_name.empty()) out += " (" + x.index_name + ")";
  return out;
}

namespace {

// Checks the X header in index->x against the table and fills in what the
// index covers. NotSupported (saying why) for an index this engine cannot
// rebuild faithfully.
Status CheckIndexHeader(const TableHeader& table, SecondaryIndex* index) {
  const std::string xn = BaseName(index->files.x);
  auto refuse = [&](const std::string& why) { return Status::NotSupported(xn, why); };
  std::string suffix;
  SecondaryIndexFileKind(xn, xn, &suffix);
  index->composite = !suffix.empty() && suffix[0] == 'G';
  const TableHeader& x = index->x;
  if (x.encryption_key != 0) return refuse("index is password-protected (encrypted)");
  if (!x.has_extension()) return refuse("index of a Paradox 3 table, whose index layout is not known");
  if (x.field_ids.size() != x.field_count) return Status::Corruption(xn, "field IDs run past the header");
  if (x.key_field_count + 1u != x.field_count)
    return refuse("key field count " + std::to_string(x.key_field_count) + " with " +
                  std::to_string(x.field_count) + " fields");
  if (x.sort_order != table.sort_order)
    return refuse("sorted under '" + x.sort_order_name + "' while its table uses '" + table.sort_order_name +
                  "'");

  const uint8_t ft = x.file_type;
  const bool by_number = ft == f::kFileTypeIndexByNumber || ft == f::kFileTypeCompositeByNumber;
  const bool composite_type = ft == f::kFileTypeCompositeByNumber || ft == f::kFileTypeCompositeByKey;
  if (composite_type != index->composite)
    return refuse("file type " + std::to_string(ft) + " does not fit the name " + xn);
  const size_t fc = x.field_count;
  size_t n = 0;
  auto is = [&](size_t i, FieldType type) { return x.fields[i].type == type; };
  if (by_number) {
    index->layout = IndexLayout::kRecordNumber;
    if (fc < 4 || !is(fc - 3, FieldType::kLong) || !is(fc - 2, FieldType::kShort) ||
        !is(fc - 1, FieldType::kShort))
      return refuse("does not end in record number, block and offset fields");
    n = fc - 3;
  } else {
    index->layout = IndexLayout::kPrimaryKey;
    const size_t k = table.key_field_count;
    if (k == 0) return refuse("indexes by primary key a table that has none");
    if (fc < k + 2 || !is(fc - 1, FieldType::kShort))
      return refuse("does not end in the primary key and a block field");
    n = fc - k - 1;
    for (size_t j = 0; j < k; ++j) {
      const FieldDef &a = x.fields[n + j], &b = table.fields[j];
      if (a.type != b.type || a.size != b.size)
        return refuse("its copy of key field " + std::to_string(j + 1) + " differs from the table's");
    }
  }
  for (size_t i = 0; i < n; ++i) {
    const uint16_t id = x.field_ids[i];
    const unsigned pos = id & ~f::kDescendingField;
    if (pos < 1 || pos > table.field_count)
      return refuse("names field " + std::to_string(pos) + " of a table with " +
                    std::to_string(table.field_count));
    const FieldDef &a = x.fields[i], &b = table.fields[pos - 1];
    if (a.type != b.type || a.size != b.size || IsBlobType(b.type))
      return refuse("indexed field " + std::to_string(i + 1) + " does not match field " +
                    std::to_string(pos) + " of the table");
    index->fields.push_back({pos - 1, (id & f::kDescendingField) != 0});
    index->offsets.push_back(FieldOffsets(table.fields)[pos - 1]);
  }
  for (size_t i = n; i < fc; ++i) {
    if (x.field_ids[i] != i + 1) return refuse("unexpected field ID " + std::to_string(x.field_ids[i]));
  }
  if (static_cast<uint8_t>(x.raw[f::kIndexField]) != index->fields[0].field + 1)
    return refuse("header names field " + std::to_string(static_cast<uint8_t>(x.raw[f::kIndexField])) +
                  " first but indexes field " + std::to_string(index->fields[0].field + 1));
  const bool ignores_case = (static_cast<uint8_t>(x.raw[f::kIndexFlags]) & f::kIndexIgnoresCase) != 0;
  if (!index->composite) {
    // .Xnn: nn is the field's position in hexadecimal.
    if (n != 1 || std::stoul(suffix, nullptr, 16) != index->fields[0].field + 1)
      return refuse("does not index field " + suffix + " alone, as its name says");
    index->letter_case = ignores_case ? LetterCase::kUnknown : LetterCase::kSensitive;
  } else {
    index->letter_case = ignores_case ? LetterCase::kInsensitive : LetterCase::kUnknown;
  }
  return Status::OK();
}

}  // namespace

Status ReadSecondaryIndex(Env* env, const SecondaryIndexFiles& files, const TableHeader& table,
                          SecondaryIndex* index) {
  *index = SecondaryIndex();
  index->files = files;
  if (files.x.empty()) return Status::NotSupported(BaseName(files.y), "index tree without its index file");
  const std::string xn = BaseName(files.x);
  std::unique_ptr<RandomAccessFile> file;
  Status s = env->OpenRandomAccess(files.x, &file);
  if (!s.ok()) return s;
  s = ReadTableHeader(file.get(), xn, HeaderKind::kSecondaryIndex, &index->x);
  if (!s.ok()) return s;
  s = CheckIndexHeader(table, index);
  if (!s.ok()) return s;

  const size_t fc = index->x.field_count;
  const TableHeader& x = index->x;
  if (!files.y.empty()) {
    const std::string yn = BaseName(files.y);
    std::unique_ptr<RandomAccessFile> yfile;
    s = env->OpenRandomAccess(files.y, &yfile);
    if (!s.ok()) return s;
    TableHeader& y = index->y;
    s = ReadTableHeader(yfile.get(), yn, HeaderKind::kSecondaryIndexTree, &y);
    if (!s.ok()) return s;
    const uint8_t want = index->composite ? f::kFileTypeCompositeTree : f::kFileTypeIndexTree;
    if (y.file_type != want)
      return Status::NotSupported(yn, "file type " + std::to_string(y.file_type) + " does not fit the name");
    if (y.encryption_key != 0) return Status::NotSupported(yn, "index is password-protected (encrypted)");
    if (y.field_count + 1u != fc) return Status::NotSupported(yn, "does not cover the key of " + xn);
    for (size_t i = 0; i + 1 < fc; ++i) {
      if (y.fields[i].type != x.fields[i].type || y.fields[i].size != x.fields[i].size)
        return Status::NotSupported(yn, "field " + std::to_string(i + 1) + " differs from " + xn + "'s");
    }
  }
  return Status::OK();
}

std::string IndexKey(const SecondaryIndex& index, const TableHeader& table, std::string_view raw,
                     size_t fields) {
  std::string key;
  for (size_t i = 0; i < fields; ++i) {
    const FieldDef& fd = table.fields[index.fields[i].field];
    const size_t width = PhysicalSize(fd);
    std::string v(raw.substr(index.offsets[i], width));
    if (fd.type == FieldType::kAlpha) {
      const size_t len = AlphaLength(reinterpret_cast<const uint8_t*>(v.data()), width);
      std::fill(v.begin() + static_cast<long>(len), v.end(), '\0');
      if (index.letter_case == LetterCase::kInsensitive)
        for (size_t j = 0; j < len; ++j) v[j] = Upper(v[j]);
    }
    key += v;
  }
  return key;
}

namespace {

// Compares indexed fields; `folded` compares case-sensitive alpha fields as
// an order that ignores case would.
int CompareKeys(const SecondaryIndex& index, const TableHeader& table, std::string_view a, std::string_view b,
                size_t fields, bool folded) {
  size_t off = 0;
  for (size_t i = 0; i < fields; ++i) {
    const FieldDef& fd = table.fields[index.fields[i].field];
    const size_t width = PhysicalSize(fd);
    const auto* pa = reinterpret_cast<const uint8_t*>(a.data()) + off;
    const auto* pb = reinterpret_cast<const uint8_t*>(b.data()) + off;
    int c;
    if (fd.type == FieldType::kAlpha)
      c = folded ? CompareAlphaFolded(pa, pb, width) : CompareAlpha(pa, pb, width);
    else
      c = std::memcmp(pa, pb, width);
    if (c != 0) return (c < 0) != index.fields[i].descending ? -1 : 1;
    off += width;
  }
  return 0;
}

}  // namespace

int CompareIndexKeys(const SecondaryIndex& index, const TableHeader& table, std::string_view a,
                     std::string_view b, size_t fields) {
  return CompareKeys(index, table, a, b, fields, false);
}

Status CheckIndexedValues(const SecondaryIndex& index, Table* table, std::string_view raw) {
  const TableHeader& h = table->header();
  const bool ascii = h.sort_order == 0;
  for (size_t i = 0; i < index.fields.size(); ++i) {
    const IndexedField& field = index.fields[i];
    const FieldDef& fd = table->fields()[field.field];
    const size_t width = PhysicalSize(fd);
    const auto* p = reinterpret_cast<const uint8_t*>(raw.data()) + index.offsets[i];
    auto refuse = [&](const std::string& why) {
      return Status::NotSupported(BaseName(table->path()), "cannot keep secondary index " + index.Describe() +
                                                               " in order: field '" + fd.name + "' " + why);
    };
    const bool blank = fd.type == FieldType::kAlpha ? p[0] == 0 : IsBlank(p, width);
    if (field.descending && blank)
      return refuse("is blank, and where blank values go in a descending index is not known");
    if (fd.type != FieldType::kAlpha || blank) continue;
    const size_t len = AlphaLength(p, width);
    const bool beyond_ascii = std::any_of(p, p + len, [](uint8_t c) { return c >= 0x80; });
    const bool lower = std::any_of(p, p + len, IsLowerAscii);
    if (index.letter_case == LetterCase::kUnknown && (lower || beyond_ascii))
      return refuse("holds " + Quote(table, p, width) +
                    ", and whether the index ignores letter case is not known from its header");
    if (ascii) {
      if (index.letter_case == LetterCase::kInsensitive && beyond_ascii)
        return refuse("holds " + Quote(table, p, width) +
                      ", and how an index that ignores case stores letters beyond ASCII is not known");
      continue;
    }
    if (beyond_ascii)
      return refuse("holds " + Quote(table, p, width) +
                    ", and the place of characters beyond ASCII under sort order '" + h.sort_order_name +
                    "' is not known");
    const uint8_t* odd = std::find_if(p, p + len, [](uint8_t c) { return !KnownUnderAnySortOrder(c); });
    if (odd != p + len)
      return refuse("holds " + Quote(table, p, width) + ", and the place of '" +
                    std::string(1, static_cast<char>(*odd)) + "' under sort order '" + h.sort_order_name +
                    "' is not known");
  }
  return Status::OK();
}

int IndexFileStamp(Env* env, const std::string& path) {
  std::unique_ptr<RandomAccessFile> file;
  std::string head;
  if (!env->OpenRandomAccess(path, &file).ok() || !file->Read(0, f::kFixedHeaderEnd, &head).ok() ||
      head.size() < f::kFixedHeaderEnd)
    return -1;
  switch (static_cast<uint8_t>(head[f::kFileType])) {
    case f::kFileTypePrimaryIndex:
    case f::kFileTypeIndexTree:
    case f::kFileTypeCompositeTree:
      return static_cast<uint8_t>(head[f::kIndexStamp]);
    case f::kFileTypeIndexByNumber:
    case f::kFileTypeIndexByKey:
    case f::kFileTypeCompositeByNumber:
    case f::kFileTypeCompositeByKey:
      return static_cast<uint8_t>(head[f::kChangeCount1]);
    default:
      return -1;
  }
}

std::string TreePathFor(const std::string& x_path) {
  std::string y = x_path;
  const size_t dot = y.rfind('.');
  if (dot != std::string::npos && dot + 1 < y.size()) y[dot + 1] = y[dot + 1] == 'x' ? 'y' : 'Y';
  return y;
}

std::string SingleFieldIndexPath(const std::string& db_path, unsigned field) {
  const size_t slash = db_path.rfind('/');
  size_t dot = db_path.rfind('.');
  if (dot != std::string::npos && slash != std::string::npos && dot < slash) dot = std::string::npos;
  const bool upper = dot != std::string::npos && dot + 1 < db_path.size() && db_path[dot + 1] >= 'A' &&
                     db_path[dot + 1] <= 'Z';
  char ext[8];
  std::snprintf(ext, sizeof ext, upper ? ".X%02X" : ".x%02x", (field + 1) & 0xFF);
  return db_path.substr(0, dot) + ext;
}

namespace {

// A header built in memory, read back through the checks a file's gets.
class HeaderImage : public RandomAccessFile {
 public:
  explicit HeaderImage(const std::string& data) : data_(data) {}
  Status Read(uint64_t offset, size_t n, std::string* out) override {
    out->clear();
    if (offset < data_.size()) out->assign(data_, static_cast<size_t>(offset), n);
    return Status::OK();
  }
  uint64_t Size() const override { return data_.size(); }

 private:
  const std::string& data_;
};

}  // namespace

namespace {

// An index's X header, laid out as Paradox lays out its own (see
// NewSingleFieldIndex and NewCompositeIndex), checked as a header read from
// disk would be.
Status NewIndex(Table* table, const IndexDefinition& def, bool composite, const std::string& x_path,
                SecondaryIndex* index) {
  *index = SecondaryIndex();
  const TableHeader& h = table->header();
  const std::string table_name = BaseName(table->path());
  if (def.fields.empty()) return Status::InvalidArgument(table_name, "an index needs a field");
  bool descending = false;
  for (const IndexedField& field : def.fields) {
    if (field.field >= h.field_count)
      return Status::InvalidArgument(table_name, "no field " + std::to_string(field.field + 1));
    const FieldDef& fd = h.fields[field.field];
    auto refuse = [&](const std::string& why) {
      return Status::NotSupported(table_name,
                                  "cannot index field '" + table->fields()[field.field].name + "': " + why);
    };
    if (!h.has_extension()) return refuse("the index layout of Paradox 3 tables is not known");
    if (IsBlobType(fd.type))
      return refuse(std::string("a ") + FieldTypeLetter(fd.type) + " field holds values no index orders");
    if (fd.type == FieldType::kBytes) return refuse("Paradox indexes no bytes fields");
    if (fd.type == FieldType::kBcd)
      return refuse("whether its stored BCD bytes sort as its values is not known");
    if (fd.type == FieldType::kAlpha && h.sort_order != 0)
      return refuse("alpha values under sort order '" + h.sort_order_name +
                    "' follow a collation that is not known, so their order could not be kept");
    // An .XGn without the flag that it ignores case was never seen holding
    // alpha values: whether it would upper-case them is not known.
    if (composite && fd.type == FieldType::kAlpha && !def.ignore_case)
      return refuse("a composite index of alpha values is made only ignoring letter case");
    descending = descending || field.descending;
  }
  if (def.name.find('\0') != std::string::npos)
    return Status::InvalidArgument(table_name, "index name contains a NUL character");

  // An entry: the indexed values, then the record's primary key and block,
  // or its number, block and offset.
  struct XField {
    uint8_t type, size;
    std::string name;  // as stored
  };
  std::vector<XField> xf;
  for (const IndexedField& field : def.fields) {
    const FieldDef& fd = h.fields[field.field];
    xf.push_back({static_cast<uint8_t>(fd.type), fd.size, fd.name});
  }
  const size_t n = xf.size();
  if (h.keyed()) {
    for (size_t j = 0; j < h.key_field_count; ++j)
      xf.push_back({static_cast<uint8_t>(h.fields[j].type), h.fields[j].size, h.fields[j].name});
    xf.push_back({f::kShort, 2, "Blk Num"});
  } else {
    xf.push_back({f::kLong, 4, "Tup No"});
    xf.push_back({f::kShort, 2, "Blk Num"});
    xf.push_back({f::kShort, 2, "Tup Offset"});
  }
  const size_t fc = xf.size();
  if (fc > f::kMaxFields) return Status::InvalidArgument(table_name, "too many fields in one index");
  size_t rs = 0;
  for (const XField& x : xf) rs += PhysicalSize(static_cast<FieldType>(x.type), x.size);
  // The table's block size, as in Paradox's files, unless an entry is wider.
  uint8_t code = h.block_size_code;
  while (code < 32 && rs + f::kBlockHeaderSize > code * 1024u) code = static_cast<uint8_t>(code * 2);
  if (rs + f::kBlockHeaderSize > code * 1024u)
    return Status::InvalidArgument(table_name,
                                   "index entries of " + std::to_string(rs) + " bytes do not fit a block");

  // Variable part: descriptors, pointers (meaningless on disk), the file's
  // name, field names, field IDs (the indexed fields' positions, 0x8000 on
  // a descending one, then the entry's own positions), the sort order's
  // name and the index's name (none for a single-field index).
  std::string var;
  for (const XField& x : xf) {
    var.push_back(static_cast<char>(x.type));
    var.push_back(static_cast<char>(x.size));
  }
  var.append(4 + 4 * fc, '\0');
  const size_t name_len = h.version >= f::kVersion7 ? f::kTableNameLength7 : f::kTableNameLength3to5;
  std::string tname = BaseName(x_path);
  tname.resize(std::min(tname.size(), name_len - 1));
  tname.resize(name_len, '\0');
  var += tname;
  for (const XField& x : xf) {
    var += x.name;
    var.push_back('\0');
  }
  const size_t ids_at = f::kExtendedHeaderEnd + var.size();
  uint16_t high_id = 0;
  for (size_t i = 0; i < fc; ++i) {
    const uint16_t position = static_cast<uint16_t>(i < n ? def.fields[i].field + 1 : i + 1);
    high_id = std::max(high_id, position);
    char bytes[2];
    PutU16(bytes,
           static_cast<uint16_t>(position | (i < n && def.fields[i].descending ? f::kDescendingField : 0)));
    var.append(bytes, 2);
  }
  var += h.sort_order_name;
  var.push_back('\0');
  if (composite) {
    var += def.name;
    var.push_back('\0');
  }
  const size_t real = f::kExtendedHeaderEnd + var.size();
  const size_t hs = (real + 2047) / 2048 * 2048;
  if (hs > 0xFFFF) return Status::InvalidArgument(table_name, "index header too large");

  // Fixed part, as in Paradox's own indexes (CUSTOMER.X06 for the
  // primary-key layout, TypSammlung.X02 for the record-number one).
  // Counts, block numbers, stamps and the update time are the commit's.
  std::string x(hs, '\0');
  auto* p = reinterpret_cast<uint8_t*>(x.data());
  PutU16(p + f::kRecordSize, static_cast<uint16_t>(rs));
  PutU16(p + f::kHeaderSize, static_cast<uint16_t>(hs));
  p[f::kFileType] = composite ? (h.keyed() ? f::kFileTypeCompositeByKey : f::kFileTypeCompositeByNumber)
                              : (h.keyed() ? f::kFileTypeIndexByKey : f::kFileTypeIndexByNumber);
  p[f::kBlockSizeCode] = code;
  PutU16(p + f::kUnknown12, 5);  // small values of unknown meaning; 5 in CUSTOMER.X06
  p[f::kIndexField] = static_cast<uint8_t>(def.fields[0].field + 1);
  PutU16(p + f::kFieldCount, static_cast<uint16_t>(fc));
  PutU16(p + f::kKeyFieldCount, static_cast<uint16_t>(fc - 1));
  PutU32(p + f::kEncryption1, f::kEncryptionMarker4x);
  p[f::kSortOrder] = h.sort_order;
  p[f::kIndexStamp] = 0xFF;
  p[f::kChangeCount2] = static_cast<uint8_t>(h.raw[f::kChangeCount2]);
  p[f::kFileVersion] = h.version;
  p[f::kUnknown3E] = 0x1F;
  p[f::kUnknown3E + 1] = 0x0F;
  PutU32(p + f::kAutoIncrement, h.auto_increment);
  if (composite)
    p[f::kIndexFlags] = static_cast<uint8_t>((def.ignore_case ? f::kIndexIgnoresCase : 0) |
                                             (descending ? f::kIndexDescending : 0));
  PutU16(p + f::kRealHeaderSize, static_cast<uint16_t>(real));
  p[f::kUnknown56] = 0x20;
  PutU16(p + f::kFileVersion2, static_cast<uint16_t>(0x0100 + h.version));
  PutU16(p + f::kFileVersion3, static_cast<uint16_t>(0x0100 + h.version));
  PutU16(p + f::kHiFieldId, static_cast<uint16_t>(high_id + 1));
  PutU16(p + f::kFieldIdsOffset, static_cast<uint16_t>(ids_at - f::kFixedHeaderEnd));
  PutU16(p + f::kCodePage, h.code_page);
  p[f::kUnknown6C] = 1;
  p[f::kUnknown6D] = 1;
  // Every single-field index of the survey holds its real header size less
  // 0x61 (level 7) or 0x5E (levels 4 and 5) here; composite ones are given
  // the same.
  PutU16(p + f::kUnknown6E, static_cast<uint16_t>(real - (h.version >= f::kVersion7 ? 0x61 : 0x5E)));
  std::memcpy(p + f::kExtendedHeaderEnd, var.data(), var.size());

  index->files.x = x_path;
  HeaderImage image(x);
  Status s = ReadTableHeader(&image, BaseName(x_path), HeaderKind::kSecondaryIndex, &index->x);
  if (s.ok()) s = CheckIndexHeader(h, index);
  return s;
}

}  // namespace

Status NewSingleFieldIndex(Table* table, unsigned field, const std::string& x_path, SecondaryIndex* index) {
  IndexDefinition def;
  def.fields = {{field, false}};
  return NewIndex(table, def, false, x_path, index);
}

Status NewCompositeIndex(Table* table, const IndexDefinition& definition, const std::string& x_path,
                         SecondaryIndex* index) {
  return NewIndex(table, definition, true, x_path, index);
}

Status BuildSecondaryIndex(const SecondaryIndex& index, Table* table,
                           const std::vector<PlacedRecord>& records, uint8_t stamp, uint32_t update_time,
                           IndexFileImages* out) {
  const TableHeader& h = table->header();
  const size_t n = index.fields.size();
  const std::string table_name = BaseName(table->path());
  for (const PlacedRecord& r : records) {
    Status s = CheckIndexedValues(index, table, r.raw);
    if (!s.ok()) return s;
  }

  struct Entry {
    std::string key;
    uint32_t position;
  };
  std::vector<Entry> entries;
  entries.reserve(records.size());
  for (size_t i = 0; i < records.size(); ++i)
    entries.push_back({IndexKey(index, h, records[i].raw, n), static_cast<uint32_t>(i)});
  std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
    return CompareKeys(index, h, a.key, b.key, n, false) < 0;
  });

  // Under an international sort order, a case-sensitive index may order by
  // character code or as if case did not matter; Paradox's files cannot
  // tell which. Only an order both readings agree on is written.
  const bool ambiguous = h.sort_order != 0 && index.letter_case == LetterCase::kSensitive &&
                         std::any_of(index.fields.begin(), index.fields.end(), [&](const IndexedField& fl) {
                           return h.fields[fl.field].type == FieldType::kAlpha;
                         });
  for (size_t i = 1; ambiguous && i < entries.size(); ++i) {
    const Entry &a = entries[i - 1], &b = entries[i];
    const int c = CompareKeys(index, h, a.key, b.key, n, true);
    if (c < 0 || (c == 0 && a.position < b.position)) continue;
    std::string va, vb;
    size_t off = 0;
    for (size_t j = 0; j < n; ++j) {
      const FieldDef& fd = h.fields[index.fields[j].field];
      const size_t width = PhysicalSize(fd);
      if (fd.type == FieldType::kAlpha) {
        va += (va.empty() ? "" : ", ") +
              Quote(table, reinterpret_cast<const uint8_t*>(a.key.data()) + off, width);
        vb += (vb.empty() ? "" : ", ") +
              Quote(table, reinterpret_cast<const uint8_t*>(b.key.data()) + off, width);
      }
      off += width;
    }
    return Status::NotSupported(table_name, "cannot keep secondary index " + index.Describe() +
                                                " in order: " + va + " and " + vb +
                                                " sort one way by character code and the other " +
                                                "ignoring case, and which of the two sort order '" +
                                                h.sort_order_name + "' uses is not known");
  }

  // Flag 0x20 has been seen only on an index of distinct values; it may
  // mean Paradox keeps them distinct, so two equal ones are not written.
  if (static_cast<uint8_t>(index.x.raw[f::kIndexFlags]) & f::kIndexDistinct) {
    for (size_t i = 1; i < entries.size(); ++i) {
      if (CompareKeys(index, h, entries[i - 1].key, entries[i].key, n, false) != 0) continue;
      return Status::NotSupported(table_name,
                                  "cannot keep secondary index " + index.Describe() + ": records " +
                                      std::to_string(entries[i - 1].position + 1) + " and " +
                                      std::to_string(entries[i].position + 1) +
                                      " share its values, and its flag 0x20 may mean they must not");
    }
  }

  // The X file: full blocks 1..n in physical order, like the .DB.
  const TableHeader& x = index.x;
  const size_t rs = x.record_size, bs = x.block_size();
  const size_t per_block = (bs - f::kBlockHeaderSize) / rs;
  const size_t nblocks = (entries.size() + per_block - 1) / per_block;
  if (nblocks > f::kMaxBlockNumber)
    return Status::InvalidArgument(table_name, "secondary index " + index.Describe() +
                                                   " would need more than " +
                                                   std::to_string(f::kMaxBlockNumber) + " blocks");
  const size_t table_key = [&] {
    size_t k = 0;
    for (size_t i = 0; i < h.key_field_count; ++i) k += PhysicalSize(h.fields[i]);
    return k;
  }();
  const size_t key_size = index.key_size();
  out->x = x.raw;
  out->x.resize(x.header_size + nblocks * bs, '\0');
  auto* p = reinterpret_cast<uint8_t*>(out->x.data());
  PutU32(p + f::kRecordCount, static_cast<uint32_t>(entries.size()));
  PutU16(p + f::kUsedBlocks, static_cast<uint16_t>(nblocks));
  PutU16(p + f::kFileBlocks, static_cast<uint16_t>(nblocks));
  PutU16(p + f::kMaxBlocks, static_cast<uint16_t>(nblocks));
  PutU16(p + f::kFirstBlock, nblocks > 0 ? 1 : 0);
  PutU16(p + f::kLastBlock, static_cast<uint16_t>(nblocks));
  PutU16(p + f::kFirstFreeBlock, 0);
  p[f::kChangeCount1] = stamp;
  p[f::kPrimaryStamp] = stamp;
  PutU32(p + f::kUpdateTime, update_time);
  // The Y file's entries: the key (all but the last field) of each block's first record.
  const size_t tree_key = rs - PhysicalSize(x.fields.back());
  std::vector<std::string> first_keys;
  std::vector<uint16_t> numbers, counts;
  for (size_t b = 0; b < nblocks; ++b) {
    uint8_t* blk = p + x.header_size + b * bs;
    const size_t first = b * per_block;
    const size_t count = std::min(per_block, entries.size() - first);
    PutU16(blk + f::kBlockNext, static_cast<uint16_t>(b + 1 < nblocks ? b + 2 : 0));
    PutU16(blk + f::kBlockPrev, static_cast<uint16_t>(b));
    PutU16(blk + f::kBlockLastOffset, static_cast<uint16_t>((count - 1) * rs));
    for (size_t i = 0; i < count; ++i) {
      const Entry& e = entries[first + i];
      const PlacedRecord& r = records[e.position];
      uint8_t* rec = blk + f::kBlockHeaderSize + i * rs;
      std::memcpy(rec, e.key.data(), key_size);
      uint8_t* tail = rec + key_size;
      if (index.layout == IndexLayout::kPrimaryKey) {
        std::memcpy(tail, r.raw.data(), table_key);
        EncodeInt(tail + table_key, 2, r.block);
      } else {
        EncodeInt(tail, 4, static_cast<int32_t>(e.position + 1));
        EncodeInt(tail + 4, 2, r.block);
        EncodeInt(tail + 6, 2, static_cast<int32_t>(r.slot * h.record_size));
      }
    }
    first_keys.emplace_back(reinterpret_cast<const char*>(blk + f::kBlockHeaderSize), tree_key);
    numbers.push_back(static_cast<uint16_t>(b + 1));
    counts.push_back(static_cast<uint16_t>(count));
  }

  // The Y file: like a .PX over the X file's blocks, in the block size it had.
  const size_t entry_size = tree_key + f::kIndexEntryTrailer;
  if (index.has_tree()) {
    out->y = index.y.raw;
    const uint8_t code = IndexTreeBlockSizeCode(index.y.block_size_code, entry_size, 2);
    out->y[f::kBlockSizeCode] = static_cast<char>(code);
  } else {
    const uint8_t code = IndexTreeBlockSizeCode(x.block_size_code, entry_size, 8);
    out->y = NewIndexTreeHeader(x, x.field_count - 1u,
                                index.composite ? f::kFileTypeCompositeTree : f::kFileTypeIndexTree, code,
                                BaseName(TreePathFor(index.files.x)));
  }
  const size_t tree_block = static_cast<uint8_t>(out->y[f::kBlockSizeCode]) * 1024u;
  const IndexTree tree = LayOutIndexTree(first_keys, numbers, counts, tree_key, tree_block);
  PutIndexTreeHeader(reinterpret_cast<uint8_t*>(out->y.data()), tree, stamp);
  out->y += tree.blocks;
  return Status::OK();
}

}  // namespace orba::pdx
