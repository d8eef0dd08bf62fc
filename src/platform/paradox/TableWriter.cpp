#include "paradox/TableWriter.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>

#include "paradox/BlobWriter.h"
#include "paradox/Coding.h"
#include "paradox/Format.h"
#include "paradox/Journal.h"
#include "paradox/PrimaryIndex.h"
#include "paradox/RecordCodec.h"
#include "paradox/TextCodec.h"

namespace orba::pdx {

namespace f = format;

namespace {

constexpr const char* kTempSuffix = f::kReplacementSuffix;
constexpr const char* kLockSuffix = ".lock";
constexpr size_t kMaxFieldNameLength = 25;  // Paradox's own limit

// Companion extensions follow the letter case of the .DB's.
std::string CompanionPath(Env* env, const std::string& path, const char* lower) {
  std::string found = FindCompanion(env, path, lower);
  if (!found.empty()) return found;
  std::string base = BaseName(path);
  size_t dot = base.rfind('.');
  bool upper = dot != std::string::npos && dot + 1 < base.size() &&
               std::isupper(static_cast<unsigned char>(base[dot + 1]));
  std::string ext = lower;
  if (upper)
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return WithExtension(path, ext);
}

uint8_t NextStamp(uint8_t current) {
  // Paradox reads an index as out of date when the counter is below 2.
  uint8_t next = static_cast<uint8_t>(current + 1);
  return next < 2 ? 2 : next;
}

Status ValidateDefinition(const std::string& name, const std::vector<FieldDef>& fields, unsigned key_count) {
  if (fields.empty() || fields.size() > f::kMaxFields)
    return Status::InvalidArgument(name, "a table needs 1 to 255 fields");
  if (key_count > fields.size()) return Status::InvalidArgument(name, "more key fields than fields");
  size_t total = 0;
  for (size_t i = 0; i < fields.size(); ++i) {
    const FieldDef& fd = fields[i];
    std::string what = "field '" + fd.name + "'";
    if (fd.name.empty())
      return Status::InvalidArgument(name, "field " + std::to_string(i + 1) + " has no name");
    if (fd.name.size() > kMaxFieldNameLength)
      return Status::InvalidArgument(name, what + ": name longer than 25 characters");
    for (size_t j = 0; j < i; ++j) {
      if (strcasecmp(fields[j].name.c_str(), fd.name.c_str()) == 0)
        return Status::InvalidArgument(name, what + ": duplicate field name");
    }
    switch (fd.type) {
      case FieldType::kFmtMemo:
      case FieldType::kOle:
      case FieldType::kBcd:
        return Status::NotSupported(name, what + ": type " + FieldTypeLetter(fd.type) + " cannot be created");
      default:
        break;
    }
    size_t phys = PhysicalSize(fd);
    if (phys == 0 || (fd.type == FieldType::kAlpha && fd.size == 0) ||
        (fd.type == FieldType::kBytes && fd.size == 0) || (IsBlobType(fd.type) && fd.size > 250))
      return Status::InvalidArgument(name, what + ": impossible size " + std::to_string(fd.size));
    if (i < key_count && (IsBlobType(fd.type) || fd.type == FieldType::kBytes))
      return Status::InvalidArgument(name, what + ": a blob or bytes field cannot be a key");
    total += phys;
  }
  if (total + f::kBlockHeaderSize > 32 * 1024)
    return Status::InvalidArgument(name,
                                   "records of " + std::to_string(total) + " bytes do not fit a data block");
  return Status::OK();
}

// Removes what is at `path` (a leftover of ours, or a link someone put
// there) by unlink, which never follows a link.
Status RemoveLeftover(Env* env, const std::string& path) {
  if (!env->Exists(path) && !env->IsLink(path)) return Status::OK();
  Status s = env->Remove(path);
  return s.IsNotFound() ? Status::OK() : s;
}

// Writes a whole new file, given the access of `model` (empty: the folder's
// defaults for a new file), and makes it durable. What was at the name is
// removed first and the file is created afresh (see Env::CreateWritable): a
// link planted there is never followed.
Status WriteWholeFile(Env* env, const std::string& path, const std::string& data, const std::string& model) {
  Status s = RemoveLeftover(env, path);
  std::unique_ptr<WritableFile> file;
  if (s.ok()) s = env->CreateWritable(path, model, &file);
  if (s.ok()) s = file->Write(0, data);
  if (s.ok()) s = file->Sync();
  return s;
}

// A writer refuses a table any of whose files is a symbolic link: writing
// through it would change a file that is not the table's (in a shared
// folder, one an account planted to point at another's file), and
// replacing it would silently move the table away from where it pointed.
Status RefuseLinks(Env* env, const std::string& table, const std::vector<std::string>& parts) {
  for (const std::string& part : parts) {
    if (!part.empty() && env->IsLink(part))
      return Status::NotSupported(
          table, BaseName(part) + " is a symbolic link: a table is only written where its files are");
  }
  return Status::OK();
}

LockOptions TableLock(const std::string& table, std::chrono::milliseconds wait) {
  LockOptions o;
  o.wait = wait;
  o.like = table;
  return o;
}

}  // namespace

Status CreateTable(const std::string& path, const std::vector<FieldDef>& fields,
                   const CreateOptions& options) {
  Env* env = options.env ? options.env : Env::Default();
  const std::string name = BaseName(path);
  Status s = ValidateDefinition(name, fields, options.key_field_count);
  if (!s.ok()) return s;
  if (!FindCompanion(env, path, "db").empty() || env->Exists(path))
    return Status::InvalidArgument(name, "table already exists");
  TextCodec codec(options.code_page);
  if (!codec.valid())
    return Status::NotSupported(name, "unknown code page " + std::to_string(options.code_page));

  size_t rs = 0;
  for (const FieldDef& fd : fields) rs += PhysicalSize(fd);
  uint8_t code = options.block_size_kib;
  if (code == 0) {
    // Smallest block holding a few records: Paradox uses 2 KiB for most
    // tables and larger blocks for wide records.
    code = 2;
    while (code < 32 && (code * 1024u - f::kBlockHeaderSize) / rs < 4) code *= 2;
  }
  if (code != 1 && code != 2 && code != 4 && code != 8 && code != 16 && code != 32)
    return Status::InvalidArgument(name, "block size must be 1, 2, 4, 8, 16 or 32 KiB");
  if (rs + f::kBlockHeaderSize > code * 1024u)
    return Status::InvalidArgument(name, "records do not fit the block size");

  // Variable part: descriptors, pointers, table name, field names, field
  // IDs, sort order name.
  std::string var;
  const size_t n = fields.size();
  for (const FieldDef& fd : fields) {
    var.push_back(static_cast<char>(fd.type));
    var.push_back(static_cast<char>(fd.size));
  }
  var.append(4 + 4 * n, '\0');
  std::string tname;
  s = codec.Encode(name, &tname, name);
  if (!s.ok()) return s;
  tname.resize(std::min(tname.size(), f::kTableNameLength7 - 1));
  tname.resize(f::kTableNameLength7, '\0');
  var += tname;
  for (const FieldDef& fd : fields) {
    std::string enc;
    s = codec.Encode(fd.name, &enc, name + ": field '" + fd.name + "'");
    if (!s.ok()) return s;
    if (enc.find('\0') != std::string::npos)
      return Status::InvalidArgument(name, "field name contains a NUL character");
    var += enc;
    var.push_back('\0');
  }
  const size_t ids_at = f::kExtendedHeaderEnd + var.size();
  for (size_t i = 0; i < n; ++i) {
    char id[2];
    PutU16(id, static_cast<uint16_t>(i + 1));
    var.append(id, 2);
  }
  // "ascii" orders keys by their bytes, which is exactly how this engine
  // orders them; see docs/paradox-engine.md.
  var += "ascii";
  var.push_back('\0');
  const size_t real = f::kExtendedHeaderEnd + var.size();
  const size_t hs = (real + 2047) / 2048 * 2048;
  if (hs > 0xFFFF) return Status::InvalidArgument(name, "header too large");

  std::string h(hs, '\0');
  auto* p = reinterpret_cast<uint8_t*>(h.data());
  PutU16(p + f::kRecordSize, static_cast<uint16_t>(rs));
  PutU16(p + f::kHeaderSize, static_cast<uint16_t>(hs));
  p[f::kFileType] = options.key_field_count > 0 ? f::kFileTypeKeyed : f::kFileTypeUnkeyed;
  p[f::kBlockSizeCode] = code;
  PutU16(p + f::kUnknown12, 12);
  PutU16(p + f::kFieldCount, static_cast<uint16_t>(n));
  PutU16(p + f::kKeyFieldCount, static_cast<uint16_t>(options.key_field_count));
  PutU32(p + f::kEncryption1, f::kEncryptionMarker4x);
  p[f::kSortOrder] = 0x00;
  p[f::kChangeCount1] = 2;
  p[f::kChangeCount2] = 1;
  p[f::kFileVersion] = f::kVersion7;
  p[f::kUnknown3E] = 0x1F;
  p[f::kUnknown3E + 1] = 0x0F;
  PutU16(p + f::kRealHeaderSize, static_cast<uint16_t>(real));
  p[f::kUnknown56] = 0x20;
  PutU16(p + f::kFileVersion2, 0x0100 + f::kVersion7);
  PutU16(p + f::kFileVersion3, 0x0100 + f::kVersion7);
  PutU32(p + f::kUpdateTime, static_cast<uint32_t>(std::time(nullptr)));
  PutU16(p + f::kHiFieldId, static_cast<uint16_t>(n + 1));
  PutU16(p + f::kFieldIdsOffset, static_cast<uint16_t>(ids_at - f::kFixedHeaderEnd));
  PutU16(p + f::kCodePage, options.code_page);
  p[f::kUnknown6C] = 1;
  p[f::kUnknown6D] = 1;
  std::memcpy(p + f::kExtendedHeaderEnd, var.data(), var.size());

  // Companions first, the .DB last: a table is only visible once all of its
  // files exist.
  std::unique_ptr<FileLock> lock;
  s = env->Lock(path + kLockSuffix, TableLock({}, WriteOptions().lock_wait), &lock);
  if (!s.ok()) return s;
  if (std::any_of(fields.begin(), fields.end(), [](const FieldDef& fd) { return IsBlobType(fd.type); })) {
    s = WriteWholeFile(env, CompanionPath(env, path, "mb"), BlobFileWriter::EmptyFile(), {});
    if (!s.ok()) return s;
  }
  if (options.key_field_count > 0) {
    TableHeader th;
    th.version = f::kVersion7;
    th.header_size = static_cast<uint16_t>(hs);
    th.block_size_code = code;
    th.key_field_count = static_cast<uint16_t>(options.key_field_count);
    th.fields = fields;
    th.table_name = name;
    std::string px = BuildPrimaryIndex(th, {}, {}, {}, 2);
    s = WriteWholeFile(env, CompanionPath(env, path, "px"), px, {});
    if (!s.ok()) return s;
  }
  const std::string tmp = path + kTempSuffix;
  s = WriteWholeFile(env, tmp, h, {});
  if (s.ok()) s = env->Rename(tmp, path);
  if (s.ok()) s = env->SyncDir(DirName(path));
  return s;
}

// ---------------------------------------------------------------------------

TableWriter::~TableWriter() = default;

Status TableWriter::Open(const std::string& path, const WriteOptions& options,
                         std::unique_ptr<TableWriter>* out) {
  std::unique_ptr<TableWriter> w(new TableWriter());
  w->env_ = options.env ? options.env : Env::Default();
  w->path_ = path;
  w->name_ = BaseName(path);
  w->options_ = options;
  Env* env = w->env_;
  if (!env->Exists(path)) return Status::NotFound(w->name_, "table does not exist");
  Status s = env->Lock(path + kLockSuffix, TableLock(path, options.lock_wait), &w->lock_);
  if (!s.ok()) return s;

  s = RefuseLinks(env, w->name_, {path, FindCompanion(env, path, "px"), FindCompanion(env, path, "mb")});
  if (!s.ok()) return s;

  // A .DB replacement left behind never reached the commit point.
  s = RemoveLeftover(env, path + kTempSuffix);
  if (!s.ok()) return s;
  // A change made in place that was interrupted: completed when its journal
  // is whole, discarded when it never reached its commit point.
  s = RecoverJournal(env, path);
  if (!s.ok()) return s;

  OpenOptions oo;
  oo.env = env;
  oo.fallback_code_page = options.fallback_code_page;
  s = Table::Open(path, oo, &w->table_);
  if (!s.ok()) return s;
  bool finished = false;
  s = w->FinishInterruptedCommit(&finished);
  if (s.ok() && finished) s = Table::Open(path, oo, &w->table_);
  if (!s.ok()) return s;
  const TableHeader& h = w->table_->header();

  s = w->LoadSecondaryIndexes();
  if (!s.ok()) return s;
  for (unsigned i = 0; i < h.key_field_count; ++i) {
    if (h.fields[i].type == FieldType::kAlpha && h.sort_order != 0)
      return Status::NotSupported(w->name_, "alpha key under sort order '" + h.sort_order_name +
                                                "': its collation is unknown, so key order cannot be kept");
  }

  w->rows_ = RowStore(h.record_size);
  if (w->InPlaceFits()) {
    w->in_place_ = true;
    w->auto_increment_ = h.auto_increment;
    // A counter left behind the numbers stored (by another program) must
    // not hand out a number again. When the counter is the first key field
    // the last record holds the largest; otherwise the numbers are mostly
    // given in the order records are added, and the last block's records
    // (a block's worth of reads, all in one or two blocks) hold the largest
    // of those recently added. A larger number elsewhere is not looked for:
    // that would read the whole table.
    const auto& fields = w->table_->fields();
    const bool counted = std::any_of(fields.begin(), fields.end(),
                                     [](const FieldDef& fd) { return fd.type == FieldType::kAutoInc; });
    const uint32_t count = counted ? w->table_->record_count() : 0;
    const bool first_key = h.keyed() && fields[0].type == FieldType::kAutoInc;
    const size_t per_block = (h.block_size() - f::kBlockHeaderSize) / h.record_size;
    const uint32_t looked_at = first_key ? 1 : static_cast<uint32_t>(std::min<size_t>(count, per_block));
    for (uint32_t r = count - looked_at; r < count; ++r) {
      std::string raw;
      s = w->table_->ReadRawRecord(r, &raw);
      if (!s.ok()) return s;
      for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].type != FieldType::kAutoInc) continue;
        auto v = DecodeInt(reinterpret_cast<const uint8_t*>(raw.data()) + w->table_->field_offset(i), 4);
        if (v && *v > 0) w->auto_increment_ = std::max(w->auto_increment_, static_cast<uint32_t>(*v));
      }
    }
  } else {
    s = w->LoadRows();
    if (!s.ok()) return s;
  }
  *out = std::move(w);
  return Status::OK();
}

Status TableWriter::LoadRows() {
  const TableHeader& h = table_->header();
  std::string raw;
  for (uint32_t i = 0; i < table_->record_count(); ++i) {
    Status s = table_->ReadRawRecord(i, &raw);
    if (!s.ok()) return s;
    rows_.push_back(raw);
  }
  bool has_autoinc = false;
  size_t off = 0;
  for (const FieldDef& fd : table_->fields()) {
    if (fd.type == FieldType::kAutoInc) {
      has_autoinc = true;
      for (size_t i = 0; i < rows_.size(); ++i) {
        auto v = DecodeInt(reinterpret_cast<const uint8_t*>(rows_.raw(i).data()) + off, 4);
        if (v && *v > 0 && static_cast<uint32_t>(*v) > auto_increment_)
          auto_increment_ = static_cast<uint32_t>(*v);
      }
    }
    off += PhysicalSize(fd);
  }
  if (has_autoinc && h.version >= f::kVersion4First)
    auto_increment_ = std::max(auto_increment_, h.auto_increment);
  // The changes kept for an in-place commit join the rows: each key's
  // insert, new bytes or removal.
  const size_t ks = table_->key_size();
  for (auto& [key, change] : pending_) {
    size_t lo = 0, hi = rows_.size();
    while (lo < hi) {
      const size_t mid = lo + (hi - lo) / 2;
      if (std::memcmp(rows_.raw(mid).data(), key.data(), ks) < 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    const bool there = lo < rows_.size() && std::memcmp(rows_.raw(lo).data(), key.data(), ks) == 0;
    if (there != (change.kind != PendingChange::kInsert))
      return Status::Corruption(name_, "the table changed under its writer's lock");
    if (there) rows_.erase(lo);
    if (change.kind != PendingChange::kDelete) rows_.insert(lo, change.row, std::move(change.blobs));
  }
  for (Row& row : appended_) rows_.insert(rows_.size(), row.raw, std::move(row.blobs));
  pending_.clear();
  pending_inserts_ = pending_deletes_ = 0;
  appended_.clear();
  in_place_ = false;
  return Status::OK();
}

uint32_t TableWriter::record_count() const {
  if (!in_place_) return static_cast<uint32_t>(rows_.size());
  return table_->record_count() + pending_inserts_ - pending_deletes_ +
         static_cast<uint32_t>(appended_.size());
}

Status TableWriter::FinishInterruptedCommit(bool* finished) {
  *finished = false;
  std::vector<std::string> names;
  const std::string dir = DirName(path_);
  if (!env_->ListDir(dir, &names).ok()) return Status::OK();
  const std::string px_name = BaseName(WithExtension(path_, "px"));
  const size_t suffix = std::strlen(kTempSuffix);
  for (const std::string& name : names) {
    if (name.size() <= suffix || name.compare(name.size() - suffix, suffix, kTempSuffix) != 0) continue;
    const std::string target = name.substr(0, name.size() - suffix);
    if (strcasecmp(target.c_str(), px_name.c_str()) != 0 && SecondaryIndexFileKind(name_, target) == 0)
      continue;
    const std::string waiting = path_.find('/') == std::string::npos ? name : dir + "/" + name;
    const std::string file = path_.find('/') == std::string::npos ? target : dir + "/" + target;
    if (env_->IsLink(waiting)) {
      // Never ours: a replacement is always a file of its own.
      env_->Remove(waiting);
      continue;
    }
    // Written for the table as it stands: the commit got past its commit
    // point, and this is the table's index. Anything else never counted.
    if (IndexFileStamp(env_, waiting) == table_->header().change_count) {
      Status s = env_->Rename(waiting, file);
      if (!s.ok())
        return Status::IOError(name_, "an interrupted change left the new " + target +
                                          " to be put in place, which failed: " + s.message());
      *finished = true;
    } else {
      env_->Remove(waiting);
    }
  }
  if (*finished) env_->SyncDir(dir);
  return Status::OK();
}

Status TableWriter::LoadSecondaryIndexes() {
  std::vector<SecondaryIndexFiles> files;
  Status s = FindSecondaryIndexFiles(env_, path_, &files);
  if (!s.ok()) return s;
  std::vector<SecondaryIndex> loaded;
  std::vector<std::string> repairs;
  for (const SecondaryIndexFiles& fl : files) {
    s = RefuseLinks(env_, name_, {fl.x, fl.y});
    if (!s.ok()) return s;
    SecondaryIndex index;
    std::string repair;
    s = LoadOrRepairIndex(fl, &index, &repair);
    if (!s.ok())
      return Status::NotSupported(name_, "table has secondary index " + BaseName(fl.x.empty() ? fl.y : fl.x) +
                                             ", which this engine cannot keep up to date: " + s.message());
    if (!repair.empty()) repairs.push_back(std::move(repair));
    loaded.push_back(std::move(index));
  }
  indexes_ = std::move(loaded);
  repairs_ = std::move(repairs);
  return Status::OK();
}

Status TableWriter::LoadOrRepairIndex(const SecondaryIndexFiles& files, SecondaryIndex* index,
                                      std::string* repair) {
  // Every commit rebuilds every index from the table, so damage to an
  // index file costs nothing but that file, as long as what the index is
  // (its fields, its order) is still known. The X file says it; the Y file
  // is derived from the X file alone.
  Status x_status = files.x.empty() ? Status::NotFound(BaseName(files.y), "its index file is missing")
                                    : ReadSecondaryIndex(env_, {files.x, ""}, table_->header(), index);
  if (x_status.ok()) {
    if (files.y.empty()) return Status::OK();
    SecondaryIndex whole;
    Status y_status = ReadSecondaryIndex(env_, files, table_->header(), &whole);
    if (y_status.ok()) {
      *index = std::move(whole);
    } else {
      // Rebuilt at its own name from the X file.
      index->files.y = files.y;
      *repair = "its index tree " + BaseName(files.y) + " was damaged (" + y_status.message() +
                ") and has been rebuilt";
    }
    return Status::OK();
  }
  // The X file is missing or cannot be used. A single-field index (.Xnn,
  // .Ynn) says by its name alone what it is: field nn, in its values'
  // letter case, as Paradox makes every such index. A composite one's
  // definition was in its X file: it cannot be made again faithfully.
  const std::string any = files.x.empty() ? files.y : files.x;
  std::string suffix;
  SecondaryIndexFileKind(name_, BaseName(any), &suffix);
  if (suffix.empty() || suffix[0] == 'G') return x_status;
  const unsigned field = static_cast<unsigned>(std::stoul(suffix, nullptr, 16));
  if (field < 1 || field > fields().size()) return x_status;
  std::string x_path = files.x;
  if (x_path.empty()) {
    // The Y file's name with Y turned into X, in the same letter case.
    x_path = files.y;
    char& letter = x_path[x_path.size() - 3];
    letter = letter == 'Y' ? 'X' : 'x';
  }
  SecondaryIndex rebuilt;
  Status s = NewSingleFieldIndex(table_.get(), field - 1, x_path, &rebuilt);
  if (!s.ok()) return x_status;
  rebuilt.files.y = files.y;
  *index = std::move(rebuilt);
  *repair = "its index " + BaseName(x_path) +
            (files.x.empty() ? " was missing" : " was damaged (" + x_status.message() + ")") +
            " and has been rebuilt";
  return Status::OK();
}

Status TableWriter::CheckIndexes(const Row& row) {
  for (const SecondaryIndex& index : indexes_) {
    Status s = CheckIndexedValues(index, table_.get(), row.raw);
    if (!s.ok()) return s;
  }
  return Status::OK();
}

uint8_t TableWriter::CommitStamp() const {
  uint8_t stamp = NextStamp(table_->header().change_count);
  if (indexes_.empty()) return stamp;
  // Readers tell an index file older than its table by its stamp, so the
  // new counter must be one no index file of the table holds already.
  bool taken[256] = {};
  if (table_->primary_index()) taken[table_->primary_index()->header().index_stamp] = true;
  for (const SecondaryIndex& index : indexes_) {
    taken[index.change_stamp()] = taken[index.primary_stamp()] = true;
    if (index.has_tree()) taken[index.tree_stamp()] = true;
  }
  for (int i = 0; i < 256 && taken[stamp]; ++i) stamp = NextStamp(stamp);
  return stamp;
}

const std::vector<FieldDef>& TableWriter::fields() const { return table_->fields(); }

TableWriter::Row TableWriter::RowAt(size_t index) const {
  return Row{std::string(rows_.raw(index)), rows_.blobs(index)};
}

Result<uint64_t> TableWriter::CommittedBlobEnd() {
  // The table as committed (not this writer's rows): until this commit's
  // point, its records are the ones whose values must survive. A value's
  // extent is taken from the record's length, not from the block's header.
  uint64_t end = 0;
  std::string raw;
  for (uint32_t r = 0; r < table_->record_count(); ++r) {
    Status s = table_->ReadRawRecord(r, &raw);
    if (!s.ok()) return s;
    size_t off = 0;
    for (const FieldDef& fd : fields()) {
      if (IsBlobType(fd.type)) {
        const BlobDescriptor d =
            DecodeBlobDescriptor(reinterpret_cast<const uint8_t*>(raw.data()) + off + BlobLeader(fd));
        if (d.location != 0 && d.length > BlobLeader(fd)) {
          const uint64_t block = d.location & ~uint32_t{0xFF};
          const uint64_t units = (d.location & 0xFF) == f::kMbSingleIndex
                                     ? (f::kMbSingleHeader + uint64_t{d.length} + f::kMbUnit - 1) / f::kMbUnit
                                     : 1;
          end = std::max(end, block + units * f::kMbUnit);
        }
      }
      off += PhysicalSize(fd);
    }
  }
  return end;
}

Status TableWriter::Get(uint32_t index, Record* record) {
  if (in_place_) return GetInPlace(index, record);
  if (index >= rows_.size())
    return Status::InvalidArgument(name_, "record " + std::to_string(index) + " does not exist");
  return DecodeRow(RowAt(index), record);
}

Status TableWriter::DecodeRow(const Row& row, Record* record) {
  Status s = table_->DecodeRecord(row.raw, record);
  if (!s.ok()) return s;
  for (const auto& [field, data] : row.blobs) {
    const FieldDef& fd = fields()[field];
    if (fd.type == FieldType::kMemo) {
      (*record)[field] = Value::Text(table_->codec()->Decode(data));
    } else if (fd.type == FieldType::kGraphic) {
      (*record)[field] = Value::Blob(data.substr(f::kGraphicPrefix));
    } else {
      (*record)[field] = Value::Blob(data);
    }
  }
  return Status::OK();
}

Status TableWriter::EncodeRow(const Record& record, const Row* old, Row* row) {
  const auto& flds = fields();
  if (record.size() != flds.size())
    return Status::InvalidArgument(name_, "record has " + std::to_string(record.size()) + " values for " +
                                              std::to_string(flds.size()) + " fields");
  Record old_values;
  if (old) {
    Status s = DecodeRow(*old, &old_values);
    if (!s.ok()) return s;
  }
  row->raw.assign(table_->header().record_size, '\0');
  row->blobs.clear();
  size_t off = 0;
  for (size_t i = 0; i < flds.size(); ++i) {
    const FieldDef& fd = flds[i];
    const size_t width = PhysicalSize(fd);
    auto* p = reinterpret_cast<uint8_t*>(row->raw.data()) + off;
    const Value& v = record[i];
    const std::string what = name_ + ": field '" + fd.name + "'";
    off += width;
    if (old && v == old_values[i]) {
      // Unchanged: keep the stored bytes (and the blob they point to).
      std::memcpy(p, old->raw.data() + (off - width), width);
      for (const auto& b : old->blobs)
        if (b.first == i) row->blobs.push_back(b);
      continue;
    }
    if (fd.type == FieldType::kAutoInc && v.is_null()) {
      if (auto_increment_ >= 0x7FFFFFFF)
        return Status::InvalidArgument(what, "autoincrement values exhausted");
      EncodeInt(p, 4, static_cast<int32_t>(++auto_increment_));
      continue;
    }
    if (IsBlobType(fd.type)) {
      if (v.is_null()) continue;
      std::string stored;
      if (fd.type == FieldType::kMemo) {
        if (v.kind() != Value::Kind::kText) return Status::InvalidArgument(what, "expects text");
        Status s = table_->codec()->Encode(v.text(), &stored, what);
        if (!s.ok()) return s;
      } else if (fd.type == FieldType::kBlob || fd.type == FieldType::kGraphic) {
        if (v.kind() != Value::Kind::kBytes) return Status::InvalidArgument(what, "expects bytes");
        if (fd.type == FieldType::kGraphic) {
          stored.assign(reinterpret_cast<const char*>(f::kGraphicPrefixBytes), 4);
          char len[4];
          PutU32(len, static_cast<uint32_t>(v.bytes().data.size()));
          stored.append(len, 4);
        }
        stored += v.bytes().data;
      } else {
        return Status::NotSupported(
            what, std::string("writing type ") + FieldTypeLetter(fd.type) + " is not supported");
      }
      if (stored.empty()) continue;
      if (stored.size() > f::kMaxBlobLength) return Status::InvalidArgument(what, "value too large");
      const size_t leader = BlobLeader(fd);
      BlobDescriptor d;
      d.length = static_cast<uint32_t>(stored.size());
      std::memcpy(p, stored.data(), std::min(leader, stored.size()));
      if (stored.size() <= leader) {
        EncodeBlobDescriptor(p + leader, d);
      } else {
        // The descriptor is filled in at commit, when the value has a place.
        row->blobs.emplace_back(i, std::move(stored));
      }
      continue;
    }
    Status s = EncodeField(fd, v, table_->codec(), p, what);
    if (!s.ok()) return s;
    if (fd.type == FieldType::kAutoInc && v.int_value() > 0 &&
        static_cast<uint32_t>(v.int_value()) > auto_increment_)
      auto_increment_ = static_cast<uint32_t>(v.int_value());
  }
  return Status::OK();
}

std::string TableWriter::KeyText(const std::string& raw) {
  std::string out;
  size_t off = 0;
  for (unsigned i = 0; i < table_->key_field_count(); ++i) {
    const FieldDef& fd = fields()[i];
    if (i > 0) out += ", ";
    out += DecodeField(fd, reinterpret_cast<const uint8_t*>(raw.data()) + off, table_->codec()).ToString();
    off += PhysicalSize(fd);
  }
  return out;
}

Status TableWriter::CheckKeyed(const Row& row, size_t skip, size_t* pos) {
  const size_t ks = table_->key_size();
  // The first row whose key is not below the new one's.
  size_t lo = 0, hi = rows_.size();
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    if (std::memcmp(rows_.raw(mid).data(), row.raw.data(), ks) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  *pos = lo;
  if (lo < rows_.size() && *pos != skip && std::memcmp(rows_.raw(lo).data(), row.raw.data(), ks) == 0)
    return Status::InvalidArgument(name_, "duplicate key (" + KeyText(row.raw) + ") in the primary key");
  return Status::OK();
}

Status TableWriter::Insert(const Record& record, uint32_t* index) {
  if (in_place_ && pending_.size() + appended_.size() >= kMostChangesInPlace) {
    // An import: one whole rewrite costs less than many scattered blocks.
    Status s = LoadRows();
    if (!s.ok()) return s;
  }
  const uint32_t saved_counter = auto_increment_;
  Row row;
  Status s = EncodeRow(record, nullptr, &row);
  if (s.ok()) s = CheckIndexes(row);
  size_t pos = rows_.size();
  if (s.ok() && in_place_) s = InsertInPlace(std::move(row), index);
  if (s.ok() && in_place_) return s;
  if (s.ok() && table_->header().keyed()) s = CheckKeyed(row, SIZE_MAX, &pos);
  if (!s.ok()) {
    auto_increment_ = saved_counter;
    return s;
  }
  if (rows_.size() >= 0x7FFFFFFF) return Status::InvalidArgument(name_, "too many records");
  rows_.insert(pos, row.raw, std::move(row.blobs));
  if (index) *index = static_cast<uint32_t>(pos);
  dirty_ = true;
  return Status::OK();
}

Status TableWriter::InsertAt(uint32_t index, const Record& record) {
  if (table_->header().keyed())
    return Status::InvalidArgument(name_, "records of a keyed table go to their key's position");
  if (in_place_) {
    Status s = LoadRows();
    if (!s.ok()) return s;
  }
  if (index > rows_.size())
    return Status::InvalidArgument(name_, "position " + std::to_string(index) + " is past the end");
  const uint32_t saved_counter = auto_increment_;
  Row row;
  Status s = EncodeRow(record, nullptr, &row);
  if (s.ok()) s = CheckIndexes(row);
  if (!s.ok()) {
    auto_increment_ = saved_counter;
    return s;
  }
  rows_.insert(index, row.raw, std::move(row.blobs));
  dirty_ = true;
  return Status::OK();
}

Status TableWriter::Update(uint32_t index, const Record& record, uint32_t* new_index) {
  if (in_place_ && table_->header().keyed() && pending_.size() < kMostChangesInPlace)
    return UpdateInPlace(index, record, new_index);
  if (in_place_) {
    Status s = LoadRows();
    if (!s.ok()) return s;
  }
  if (index >= rows_.size())
    return Status::InvalidArgument(name_, "record " + std::to_string(index) + " does not exist");
  const uint32_t saved_counter = auto_increment_;
  Row row;
  const Row current = RowAt(index);
  Status s = EncodeRow(record, &current, &row);
  if (s.ok()) s = CheckIndexes(row);
  if (!s.ok()) {
    auto_increment_ = saved_counter;
    return s;
  }
  size_t pos = index;
  if (table_->header().keyed()) {
    rows_.erase(index);
    s = CheckKeyed(row, SIZE_MAX, &pos);
    if (!s.ok()) {
      rows_.insert(index, current.raw, current.blobs);
      auto_increment_ = saved_counter;
      return s;
    }
    rows_.insert(pos, row.raw, std::move(row.blobs));
  } else {
    rows_.erase(index);
    rows_.insert(index, row.raw, std::move(row.blobs));
  }
  if (new_index) *new_index = static_cast<uint32_t>(pos);
  dirty_ = true;
  return Status::OK();
}

Status TableWriter::Delete(uint32_t index) {
  if (in_place_ && table_->header().keyed() && pending_.size() < kMostChangesInPlace)
    return DeleteInPlace(index);
  if (in_place_) {
    Status s = LoadRows();
    if (!s.ok()) return s;
  }
  if (index >= rows_.size())
    return Status::InvalidArgument(name_, "record " + std::to_string(index) + " does not exist");
  rows_.erase(index);
  dirty_ = true;
  return Status::OK();
}

Status TableWriter::WriteDataFile(uint8_t stamp, uint32_t now, std::vector<std::string>* first_keys,
                                  std::vector<uint16_t>* blocks, std::vector<uint16_t>* counts,
                                  std::string* tmp) {
  const TableHeader& h = table_->header();
  const size_t bs = h.block_size();
  const size_t rs = h.record_size;
  const size_t per_block = (bs - f::kBlockHeaderSize) / rs;
  const size_t nblocks = (rows_.size() + per_block - 1) / per_block;
  std::string head = h.raw;
  auto* p = reinterpret_cast<uint8_t*>(head.data());
  PutU32(p + f::kRecordCount, static_cast<uint32_t>(rows_.size()));
  PutU16(p + f::kUsedBlocks, static_cast<uint16_t>(nblocks));
  PutU16(p + f::kFileBlocks, static_cast<uint16_t>(nblocks));
  PutU16(p + f::kMaxBlocks, static_cast<uint16_t>(nblocks));
  PutU16(p + f::kFirstBlock, nblocks > 0 ? 1 : 0);
  PutU16(p + f::kLastBlock, static_cast<uint16_t>(nblocks));
  PutU16(p + f::kFirstFreeBlock, 0);
  p[f::kChangeCount1] = stamp;
  if (h.version >= f::kVersion4First) {
    PutU32(p + f::kAutoIncrement, auto_increment_);
    PutU32(p + f::kUpdateTime, now);
  }

  // Written as it is built, a quarter of a megabyte at a time: the new file
  // never has to be held in memory beside the rows.
  *tmp = path_ + kTempSuffix;
  Status s = RemoveLeftover(env_, *tmp);
  std::unique_ptr<WritableFile> file;
  if (s.ok()) s = env_->CreateWritable(*tmp, path_, &file);
  if (s.ok()) s = file->Write(0, head);
  const size_t batch = std::max<size_t>(1, (256u << 10) / bs);
  const size_t ks = table_->key_size();
  std::string out;
  for (size_t b0 = 0; s.ok() && b0 < nblocks; b0 += batch) {
    const size_t nb = std::min(batch, nblocks - b0);
    out.assign(nb * bs, '\0');
    for (size_t k = 0; k < nb; ++k) {
      const size_t b = b0 + k;
      auto* blk = reinterpret_cast<uint8_t*>(out.data()) + k * bs;
      const size_t first = b * per_block;
      const size_t n = std::min(per_block, rows_.size() - first);
      PutU16(blk + f::kBlockNext, static_cast<uint16_t>(b + 1 < nblocks ? b + 2 : 0));
      PutU16(blk + f::kBlockPrev, static_cast<uint16_t>(b));
      PutU16(blk + f::kBlockLastOffset, static_cast<uint16_t>((n - 1) * rs));
      for (size_t i = 0; i < n; ++i)
        std::memcpy(blk + f::kBlockHeaderSize + i * rs, rows_.raw(first + i).data(), rs);
      first_keys->push_back(std::string(rows_.raw(first).substr(0, ks)));
      blocks->push_back(static_cast<uint16_t>(b + 1));
      counts->push_back(static_cast<uint16_t>(n));
    }
    s = file->Write(h.header_size + static_cast<uint64_t>(b0) * bs, out);
  }
  if (s.ok()) s = file->Sync();
  return s;
}

Status TableWriter::PrepareFile(const std::string& path, const std::string& data, std::string* tmp) {
  *tmp = path + kTempSuffix;
  return WriteWholeFile(env_, *tmp, data, env_->Exists(path) ? path : path_);
}

Status TableWriter::Commit() {
  note_.clear();
  if (!dirty_) return Status::OK();
  // Replacements an earlier commit could not put in place go first: their
  // waiting files are what tells readers the old ones are out of date, and
  // this commit is about to write over them.
  for (const auto& [waiting, file] : waiting_) {
    if (!env_->Exists(waiting)) continue;
    Status s = env_->Rename(waiting, file);
    if (!s.ok())
      return Status::IOError(name_, "not stored: the new " + BaseName(file) +
                                        " of the previous change cannot be put in place (" + s.message() +
                                        ")");
  }
  waiting_.clear();
  // Index files that cannot be kept in place are rebuilt by a whole rewrite.
  if (in_place_ && !indexes_.empty() && !CheckIndexFilesInPlace().ok()) {
    Status s = LoadRows();
    if (!s.ok()) return s;
  }
  if (in_place_) {
    bool rewrite = false;
    Status s = CommitInPlace(&rewrite);
    const Status in_place = s;
    if (s.IsCorruption()) {
      // Before its commit point an in-place commit has written nothing (new
      // .MB values are cut off again). The files did not agree where the
      // change goes (a damaged .PX, index or block): the whole rewrite reads
      // every record, through the block chain when the .PX is wrong, and
      // writes the table and its indexes again, or meets the damage itself.
      repairs_.push_back("its files did not agree (" + s.message() + ") and have been written again");
      rewrite = true;
    }
    if (!rewrite) return s;
    s = LoadRows();
    if (!s.ok()) {
      if (in_place.IsCorruption()) {
        repairs_.pop_back();
        return in_place;
      }
      return s;
    }
  }
  const TableHeader& h = table_->header();
  const size_t per_block = (h.block_size() - f::kBlockHeaderSize) / h.record_size;
  if ((rows_.size() + per_block - 1) / per_block > f::kMaxBlockNumber)
    return Status::InvalidArgument(name_, "table would need more than 65535 blocks");
  const uint8_t stamp = CommitStamp();
  const uint32_t now = static_cast<uint32_t>(std::time(nullptr));

  // 0. The secondary indexes, before anything is written: a table whose
  // values cannot be put in an index's order is refused with its files as
  // they were. Record r goes to block r / per_block + 1 of the new .DB.
  std::vector<IndexFileImages> images(indexes_.size());
  if (!indexes_.empty()) {
    std::vector<PlacedRecord> placed;
    placed.reserve(rows_.size());
    for (size_t r = 0; r < rows_.size(); ++r)
      placed.push_back(
          {rows_.raw(r), static_cast<uint16_t>(r / per_block + 1), static_cast<uint16_t>(r % per_block)});
    for (size_t i = 0; i < indexes_.size(); ++i) {
      Status s = BuildSecondaryIndex(indexes_[i], table_.get(), placed, stamp, now, &images[i]);
      if (!s.ok()) return s;
    }
  }

  // Until the commit point, a failure takes back what was written: the
  // temporary files go, the .MB is cut back, the table is as it was.
  std::unique_ptr<BlobFileWriter> blobs;
  std::vector<std::string> temporaries;
  auto not_stored = [&](Status s) {
    for (const std::string& tmp : temporaries)
      if (env_->Exists(tmp)) env_->Remove(tmp);
    if (blobs) blobs->Abandon();
    return s;
  };

  // Names this commit creates that must be on disk before its commit
  // point: the index files' replacements, a new .MB.
  bool new_names = !indexes_.empty();

  // 1. Blob values.
  std::vector<BlobFileWriter::Item> items;
  std::vector<std::pair<size_t, size_t>> owners;  // row, field
  for (size_t r = 0; r < rows_.size(); ++r) {
    for (const auto& [field, data] : rows_.blobs(r)) {
      items.push_back({data, fields()[field].type == FieldType::kGraphic});
      owners.emplace_back(r, field);
    }
  }
  if (!items.empty()) {
    const std::string mb = CompanionPath(env_, path_, "mb");
    const bool create = !env_->Exists(mb);
    new_names = new_names || create;
    Status s = BlobFileWriter::Open(
        env_, mb, create ? path_ : std::string(), [this] { return CommittedBlobEnd(); }, &blobs);
    if (!s.ok()) return not_stored(s);
    std::vector<BlobDescriptor> desc;
    s = blobs->Append(items, &desc);
    if (!s.ok()) return not_stored(s);
    for (size_t i = 0; i < items.size(); ++i) {
      auto [r, field] = owners[i];
      auto* p = reinterpret_cast<uint8_t*>(rows_.mutable_raw(r)) + table_->field_offset(field) +
                BlobLeader(fields()[field]);
      EncodeBlobDescriptor(p, desc[i]);
    }
    rows_.ClearBlobs();
  }

  // 2. The new files, complete and durable beside the old ones. The index
  // files are renamed after the commit point in this order; a Y file goes
  // only after its X file.
  struct Replacement {
    std::string waiting, file;
    bool tree;  // a Y file, which waits while its X file does
  };
  std::vector<Replacement> replacements;
  std::vector<std::string> first_keys;
  std::vector<uint16_t> blocks, counts;
  std::string db_tmp;
  Status s = WriteDataFile(stamp, now, &first_keys, &blocks, &counts, &db_tmp);
  temporaries.push_back(db_tmp);
  auto prepare = [&](const std::string& file, const std::string& data, bool tree) {
    std::string tmp;
    if (s.ok()) {
      s = PrepareFile(file, data, &tmp);
      temporaries.push_back(tmp);
      replacements.push_back({tmp, file, tree});
    }
  };
  if (h.keyed())
    prepare(CompanionPath(env_, path_, "px"), BuildPrimaryIndex(h, first_keys, blocks, counts, stamp), false);
  for (size_t i = 0; i < indexes_.size(); ++i) {
    const SecondaryIndex& index = indexes_[i];
    prepare(index.files.x, images[i].x, false);
    prepare(!index.files.y.empty() ? index.files.y : TreePathFor(index.files.x), images[i].y, true);
  }
  // The new names must be on disk before the table changes: a new .MB
  // holds values the new .DB points to, and after a crash past the commit
  // point the index files' replacements are what marks the old ones as out
  // of date. A folder's changes reach the disk in no promised order
  // without a sync.
  if (s.ok() && new_names) s = env_->SyncDir(DirName(path_));
  if (!s.ok()) return not_stored(s);

  // 3. The commit point.
  s = env_->Rename(db_tmp, path_);
  if (!s.ok()) return not_stored(s);

  // 4. From here on the change is stored: nothing below is a failure.
  dirty_ = false;
  std::vector<std::string> notes;
  // The commit point must be on disk before an index file is replaced: a
  // new X file and .PX beside the old .DB would pass for current. If the
  // folder cannot be synced, the replacements wait (readers see the old
  // files as out of date) for the next writer.
  bool ordered = true;
  if (!indexes_.empty()) {
    s = env_->SyncDir(DirName(path_));
    if (!s.ok()) {
      ordered = false;
      notes.push_back("the folder could not be synced (" + s.message() + ")");
    }
  }
  bool x_waits = false;
  for (const Replacement& r : replacements) {
    if (!ordered || (r.tree && x_waits)) {
      waiting_.emplace_back(r.waiting, r.file);
      continue;
    }
    x_waits = false;
    s = env_->Rename(r.waiting, r.file);
    if (!s.ok()) {
      waiting_.emplace_back(r.waiting, r.file);
      x_waits = !r.tree;
      notes.push_back("its index " + BaseName(r.file) + " could not be replaced (" + s.message() + ")");
    }
  }
  if (!waiting_.empty())
    notes.push_back(
        "readers take the old index files as out of date until the table is next opened for writing, which "
        "puts "
        "the new ones in place");
  s = env_->SyncDir(DirName(path_));
  if (!s.ok()) notes.push_back("the folder could not be synced (" + s.message() + ")");

  // Indexes this commit rebuilt from damage: said once, with the commit
  // that wrote them.
  std::string repaired;
  for (size_t i = 0; i < repairs_.size(); ++i) repaired += (i ? "; " : "") + repairs_[i];
  repairs_.clear();

  OpenOptions oo;
  oo.env = env_;
  oo.fallback_code_page = options_.fallback_code_page;
  std::unique_ptr<Table> reopened;
  s = Table::Open(path_, oo, &reopened);
  if (s.ok()) {
    table_ = std::move(reopened);
    if (!indexes_.empty()) s = LoadSecondaryIndexes();
  }
  if (!s.ok()) notes.push_back("it could not be read back (" + s.message() + ")");
  if (!repaired.empty()) note_ = name_ + ": " + repaired + ".";
  if (!notes.empty()) {
    note_ += (note_.empty() ? "" : " ") + name_ + ": the change was stored, but ";
    for (size_t i = 0; i < notes.size(); ++i) note_ += (i ? "; " : "") + notes[i];
  }
  return Status::OK();
}

Status TableWriter::CreateIndex(const std::string& field) {
  note_.clear();
  if (dirty_) return Status::InvalidArgument(name_, "an index is created on a table without pending changes");
  int at = table_->FieldIndex(field);
  for (size_t i = 0; at < 0 && i < fields().size(); ++i)
    if (strcasecmp(fields()[i].name.c_str(), field.c_str()) == 0) at = static_cast<int>(i);
  if (at < 0) return Status::InvalidArgument(name_, "no field '" + field + "'");
  const unsigned which = static_cast<unsigned>(at);
  for (const SecondaryIndex& index : indexes_) {
    if (!index.composite && index.fields.size() == 1 && index.fields[0].field == which)
      return Status::InvalidArgument(name_, "field '" + fields()[which].name + "' has its index already (" +
                                                BaseName(index.files.x) + ")");
  }
  SecondaryIndex created;
  Status s = NewSingleFieldIndex(table_.get(), which, SingleFieldIndexPath(path_, which), &created);
  if (!s.ok()) return s;
  return AddIndex(std::move(created));
}

Status TableWriter::CreateIndex(const IndexDefinition& definition) {
  note_.clear();
  if (dirty_) return Status::InvalidArgument(name_, "an index is created on a table without pending changes");
  // The first .XGn free, n = 0..9, in the letter case of the .DB's extension.
  const std::string base = BaseName(path_);
  const std::string ext = base.substr(base.rfind('.') + 1);
  const bool upper = !ext.empty() && std::isupper(static_cast<unsigned char>(ext[0]));
  std::string x_path;
  for (char n = '0'; n <= '9' && x_path.empty(); ++n) {
    const std::string x_ext = std::string(upper ? "XG" : "xg") + n;
    const std::string y_ext = std::string(upper ? "YG" : "yg") + n;
    if (FindCompanion(env_, path_, x_ext).empty() && FindCompanion(env_, path_, y_ext).empty())
      x_path = WithExtension(path_, x_ext);
  }
  if (x_path.empty()) return Status::NotSupported(name_, "the table has ten composite indexes already");
  for (const SecondaryIndex& index : indexes_) {
    if (index.composite && !definition.name.empty() && index.x.index_name == definition.name)
      return Status::InvalidArgument(
          name_, "an index named '" + definition.name + "' exists already (" + BaseName(index.files.x) + ")");
  }
  SecondaryIndex created;
  Status s = NewCompositeIndex(table_.get(), definition, x_path, &created);
  if (!s.ok()) return s;
  return AddIndex(std::move(created));
}

Status TableWriter::AddIndex(SecondaryIndex created) {
  if (in_place_) {
    // An index is written with a whole rewrite of the table.
    Status s = LoadRows();
    if (!s.ok()) return s;
  }
  const std::string x_path = created.files.x;
  indexes_.push_back(created);
  dirty_ = true;
  Status s = Commit();
  if (!s.ok()) {
    // Not stored: no file of the index was left, and the rows are as they were.
    indexes_.pop_back();
    dirty_ = false;
    return s;
  }
  // Stored, but its X file may wait beside its place (commit_note() says
  // so): the index is not on disk yet, so the reload after the commit did
  // not find it. The next commit puts the waiting file in place and must
  // rebuild it with the others.
  const bool loaded = std::any_of(indexes_.begin(), indexes_.end(),
                                  [&](const SecondaryIndex& index) { return index.files.x == x_path; });
  if (!loaded) indexes_.push_back(std::move(created));
  return Status::OK();
}

Status CreateSecondaryIndex(const std::string& path, const std::string& field, const WriteOptions& options,
                            std::string* note) {
  std::unique_ptr<TableWriter> w;
  Status s = TableWriter::Open(path, options, &w);
  if (s.ok()) s = w->CreateIndex(field);
  if (s.ok() && note) *note = w->commit_note();
  return s;
}

Status AppendRecord(const std::string& path, const Record& record, const WriteOptions& options) {
  std::unique_ptr<TableWriter> w;
  Status s = TableWriter::Open(path, options, &w);
  if (s.ok()) s = w->Insert(record);
  if (s.ok()) s = w->Commit();
  return s;
}

}  // namespace orba::pdx
