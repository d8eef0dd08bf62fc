#include "IndexCheck.h"

#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "TestSupport.h"
#include "paradox/Coding.h"
#include "paradox/Format.h"
#include "paradox/PrimaryIndex.h"
#include "paradox/SecondaryIndex.h"
#include "paradox/Table.h"

namespace orba::pdx::testing {

namespace {

// An alpha value as an index stores it: up to its first NUL, padded with
// zeros, ASCII letters upper-cased when the index ignores case.
std::string Stored(const FieldDef& fd, std::string v, bool upper) {
  if (fd.type != FieldType::kAlpha) return v;
  const size_t end = std::min(v.find('\0'), v.size());
  for (size_t i = 0; i < v.size(); ++i) {
    if (i >= end) v[i] = '\0';
    if (upper && v[i] >= 'a' && v[i] <= 'z') v[i] = static_cast<char>(v[i] - 'a' + 'A');
  }
  return v;
}

}  // namespace

std::string CheckSecondaryIndexes(const std::string& db_path, const IndexCheckOptions& options,
                                  int* checked) {
  std::string faults;
  auto fault = [&](const std::string& what) { faults += what + "\n"; };
  if (checked) *checked = 0;
  Env* env = options.env ? options.env : Env::Default();
  OpenOptions oo;
  oo.env = env;
  std::unique_ptr<Table> t;
  Status s = Table::Open(db_path, oo, &t);
  if (!s.ok()) return s.ToString();
  std::vector<SecondaryIndexFiles> files;
  s = FindSecondaryIndexFiles(env, db_path, &files);
  if (!s.ok()) return s.ToString();

  // Where each record lies, and which record holds each primary key.
  std::vector<std::string> raws(t->record_count());
  std::vector<std::pair<uint16_t, uint16_t>> places(t->record_count());
  std::map<std::string, uint32_t> by_key;
  for (const Table::Block& b : t->blocks())
    for (uint32_t i = 0; i < b.records; ++i)
      places[b.first_record + i] = {b.number, static_cast<uint16_t>(i)};
  for (uint32_t p = 0; p < t->record_count(); ++p) {
    if (!t->ReadRawRecord(p, &raws[p]).ok()) return "cannot read record " + std::to_string(p);
    by_key[raws[p].substr(0, t->key_size())] = p;
  }

  for (const SecondaryIndexInfo& info : t->secondary_indexes()) {
    const std::string& name = info.file;
    if (!info.status.ok()) {
      if (!options.allow_out_of_date) fault(name + ": not in use: " + info.status.ToString());
      continue;
    }
    if (checked) ++*checked;
    std::string x_path, y_path;
    for (const SecondaryIndexFiles& fl : files)
      if (BaseName(fl.x) == name) x_path = fl.x, y_path = fl.y;
    std::unique_ptr<Table> x;
    s = Table::OpenIndexData(x_path, oo, &x);
    if (!s.ok()) {
      fault(s.ToString());
      continue;
    }
    if (x->record_count() != t->record_count()) {
      fault(name + ": " + std::to_string(x->record_count()) + " entries for " +
            std::to_string(t->record_count()) + " records");
      continue;
    }
    const bool upper = info.letter_case == LetterCase::kInsensitive;
    std::vector<size_t> widths;
    size_t key_size = 0;
    for (const IndexedField& fl : info.fields) {
      widths.push_back(PhysicalSize(t->fields()[fl.field]));
      key_size += widths.back();
    }
    std::vector<bool> seen(t->record_count());
    std::string previous;
    uint32_t previous_pos = 0;
    for (uint32_t j = 0; j < x->record_count() && faults.size() < 2000; ++j) {
      std::string e;
      if (!x->ReadRawRecord(j, &e).ok()) return name + ": cannot read entry " + std::to_string(j);
      const std::string at = name + " entry " + std::to_string(j) + ": ";
      const auto* tail = reinterpret_cast<const uint8_t*>(e.data()) + key_size;
      uint32_t pos = 0;
      uint16_t block = 0;
      if (info.layout == IndexLayout::kPrimaryKey) {
        auto it = by_key.find(e.substr(key_size, t->key_size()));
        if (it == by_key.end()) {
          fault(at + "names no record");
          continue;
        }
        pos = it->second;
        block = static_cast<uint16_t>(DecodeInt(tail + t->key_size(), 2).value_or(0));
      } else {
        pos = static_cast<uint32_t>(DecodeInt(tail, 4).value_or(0) - 1);
        if (pos >= t->record_count()) {
          fault(at + "names no record");
          continue;
        }
        block = static_cast<uint16_t>(DecodeInt(tail + 4, 2).value_or(0));
        const auto offset = DecodeInt(tail + 6, 2).value_or(-1);
        if (offset != places[pos].second * t->header().record_size) fault(at + "wrong offset in its block");
      }
      if (seen[pos]) fault(at + "lists record " + std::to_string(pos) + " again");
      seen[pos] = true;
      if (options.exact_blocks && block != places[pos].first)
        fault(at + "says block " + std::to_string(block) + ", the record is in " +
              std::to_string(places[pos].first));
      // The indexed values, then the order against the entry before.
      size_t off = 0;
      int order = 0;
      for (size_t f = 0; f < info.fields.size(); ++f) {
        const FieldDef& fd = t->fields()[info.fields[f].field];
        const std::string want =
            Stored(fd, raws[pos].substr(t->field_offset(info.fields[f].field), widths[f]), upper);
        const std::string got = e.substr(off, widths[f]);
        if (Stored(fd, got, false) != want) fault(at + "field '" + fd.name + "' differs from record's");
        if (j > 0 && order == 0) {
          const std::string before = Stored(fd, previous.substr(off, widths[f]), false);
          const int c = std::memcmp(before.data(), Stored(fd, got, false).data(), widths[f]);
          order = info.fields[f].descending ? -c : c;
        }
        off += widths[f];
      }
      if (j > 0 && (order > 0 || (order == 0 && previous_pos > pos)))
        fault(at + "out of order after record " + std::to_string(previous_pos));
      previous = e;
      previous_pos = pos;
    }

    // The blocks: the chain's are the used ones; every other block of the
    // file is on the free list, once, marked as Paradox marks a free block.
    {
      const TableHeader& xh = x->header();
      std::set<uint16_t> chain;
      for (const Table::Block& b : x->blocks()) chain.insert(b.number);
      if (chain.size() != xh.used_blocks)
        fault(name + ": " + std::to_string(chain.size()) + " blocks in its chain, " +
              std::to_string(xh.used_blocks) + " in its header");
      std::set<uint16_t> free;
      for (uint16_t f = xh.first_free_block; f != 0;) {
        std::string head;
        if (f > xh.file_blocks || chain.count(f) || !free.insert(f).second ||
            !x->ReadBlockBytes(f, format::kBlockHeaderSize, &head).ok()) {
          fault(name + ": its free list reaches block " + std::to_string(f) + ", which is not free");
          break;
        }
        const auto* p = reinterpret_cast<const uint8_t*>(head.data());
        if (static_cast<int16_t>(GetU16(p + format::kBlockLastOffset)) !=
            -static_cast<int32_t>(xh.record_size))
          fault(name + ": free block " + std::to_string(f) + " is not marked empty");
        f = GetU16(p + format::kBlockNext);
      }
      if (const std::string links = ChainLinkFaults(x.get()); !links.empty()) fault(name + ": " + links);
      if (chain.size() + free.size() != xh.file_blocks)
        fault(name + ": " + std::to_string(xh.file_blocks - chain.size() - free.size()) +
              " blocks neither in its chain nor on its free list");
    }

    // The tree: one leaf entry per index block, in chain order. A tree whose
    // replacement written for the table's change counter waits beside it is
    // known to be out of date.
    if (y_path.empty()) {
      fault(name + ": has no tree file");
      continue;
    }
    if (env->Exists(y_path + ".pdxtmp") &&
        IndexFileStamp(env, y_path + ".pdxtmp") == t->header().change_count) {
      if (!options.allow_out_of_date) fault(BaseName(y_path) + ": out of date");
      continue;
    }
    std::unique_ptr<RandomAccessFile> yf;
    std::unique_ptr<PrimaryIndex> y;
    s = env->OpenRandomAccess(y_path, &yf);
    if (s.ok())
      s = PrimaryIndex::Open(std::move(yf), BaseName(y_path), x->header(), &y,
                             HeaderKind::kSecondaryIndexTree);
    std::vector<std::pair<uint16_t, uint16_t>> leaves;
    std::vector<std::string> keys;
    if (s.ok() && x->blocks().empty()) {
      if (y->header().record_count != 0 || y->header().first_block != 0)
        fault(BaseName(y_path) + ": entries for an empty index");
      continue;
    }
    if (s.ok()) s = y->LeafEntries(&leaves, &keys);
    if (!s.ok()) {
      fault(s.ToString());
      continue;
    }
    if (leaves.size() != x->blocks().size()) {
      fault(BaseName(y_path) + ": " + std::to_string(leaves.size()) + " leaf entries for " +
            std::to_string(x->blocks().size()) + " blocks");
      continue;
    }
    for (size_t b = 0; b < leaves.size(); ++b) {
      const Table::Block& xb = x->blocks()[b];
      std::string first;
      x->ReadRawRecord(xb.first_record, &first);
      if (leaves[b].first != xb.number || leaves[b].second != xb.records ||
          keys[b] != first.substr(0, keys[b].size()) ||
          keys[b].size() != first.size() - PhysicalSize(x->fields().back()))
        fault(BaseName(y_path) + ": leaf entry " + std::to_string(b) + " does not describe block " +
              std::to_string(xb.number));
    }
  }
  return faults;
}

}  // namespace orba::pdx::testing
