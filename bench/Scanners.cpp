#include "Scanners.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

extern "C" {  // the C header does not declare its linkage
#include <paradox.h>
}

#include "paradox/Table.h"

namespace orba::bench {

namespace {

constexpr uint64_t kNullMark = 0x6E756C6C6E756C6Cull;

inline void Mix(uint64_t* h, uint64_t x) { *h ^= x + 0x9E3779B97F4A7C15ull + (*h << 6) + (*h >> 2); }

inline uint64_t HashBytes(const char* p, size_t n) {
  uint64_t h = 0xCBF29CE484222325ull;
  for (size_t i = 0; i < n; ++i) h = (h ^ static_cast<unsigned char>(p[i])) * 0x100000001B3ull;
  return h;
}

inline uint64_t DoubleBits(double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  return bits;
}

void Fold(const pdx::Value& v, ScanSummary* s) {
  using K = pdx::Value::Kind;
  switch (v.kind()) {
    case K::kNull:
      Mix(&s->checksum, kNullMark);
      return;
    case K::kText:
      s->text_bytes += v.text().size();
      Mix(&s->checksum, HashBytes(v.text().data(), v.text().size()));
      break;
    case K::kInt:
      Mix(&s->checksum, static_cast<uint64_t>(v.int_value()));
      break;
    case K::kDouble:
      Mix(&s->checksum, DoubleBits(v.double_value()));
      break;
    case K::kBool:
      Mix(&s->checksum, v.bool_value() ? 1 : 0);
      break;
    case K::kDate:
      Mix(&s->checksum, static_cast<uint64_t>(v.date().days));
      break;
    case K::kTime:
      Mix(&s->checksum, static_cast<uint64_t>(v.time().ms));
      break;
    case K::kTimestamp:
      Mix(&s->checksum, static_cast<uint64_t>(v.timestamp().ms));
      break;
    case K::kBytes:
      Mix(&s->checksum, HashBytes(v.bytes().data.data(), v.bytes().data.size()));
      break;
  }
  ++s->values;
}

void BootPxlib() {
  static std::once_flag once;
  std::call_once(once, [] {
    PX_boot();
    std::atexit([] { PX_shutdown(); });
  });
}

struct PxDocDeleter {
  void operator()(pxdoc_t* d) const { PX_delete(d); }
};

}  // namespace

std::string ToString(const ScanSummary& s) {
  return "records=" + std::to_string(s.records) + " values=" + std::to_string(s.values) +
         " text_bytes=" + std::to_string(s.text_bytes) + " checksum=" + std::to_string(s.checksum);
}

pdx::Status ScanWithEngine(const std::string& path, ScanSummary* summary) {
  *summary = {};
  std::unique_ptr<pdx::Table> table;
  pdx::Status s = pdx::Table::Open(path, {}, &table);
  if (!s.ok()) return s;
  pdx::Record record;
  for (uint32_t i = 0; i < table->record_count(); ++i) {
    s = table->ReadRecord(i, &record);
    if (!s.ok()) return s;
    for (const pdx::Value& v : record) Fold(v, summary);
    ++summary->records;
  }
  return pdx::Status::OK();
}

bool ScanWithPxlib(const std::string& path, ScanSummary* summary, std::string* error, std::string* note) {
  *summary = {};
  BootPxlib();
  std::unique_ptr<pxdoc_t, PxDocDeleter> doc(PX_new());
  if (!doc) {
    *error = "PX_new failed";
    return false;
  }
  pxdoc_t* d = doc.get();
  if (PX_open_file(d, path.c_str()) != 0) {
    *error = "PX_open_file failed for " + path;
    return false;
  }
  if (PX_set_targetencoding(d, "UTF-8") != 0) {
    PX_close(d);
    *error = "this pxlib cannot convert text to UTF-8";
    return false;
  }
  const int nrecords = PX_get_num_records(d);
  const int nfields = PX_get_num_fields(d);
  pxfield_t* fields = PX_get_fields(d);
  std::string record(static_cast<size_t>(PX_get_recordsize(d)), '\0');
  uint64_t blob_failures = 0, blob_values = 0;
  bool ok = true;
  for (int i = 0; i < nrecords && ok; ++i) {
    if (!PX_get_record(d, i, record.data())) {
      *error = "PX_get_record failed at record " + std::to_string(i);
      ok = false;
      break;
    }
    char* p = record.data();
    for (int f = 0; f < nfields; ++f) {
      const int len = fields[f].px_flen;
      uint64_t* h = &summary->checksum;
      bool present = true;
      switch (fields[f].px_ftype) {
        case pxfAlpha: {
          char* value = nullptr;
          present = PX_get_data_alpha(d, p, len, &value) > 0 && value;
          if (present) {
            const size_t n = std::strlen(value);
            summary->text_bytes += n;
            Mix(h, HashBytes(value, n));
            d->free(d, value);
          }
          break;
        }
        case pxfShort: {
          short v = 0;
          present = PX_get_data_short(d, p, len, &v) > 0;
          if (present) Mix(h, static_cast<uint64_t>(static_cast<int64_t>(v)));
          break;
        }
        case pxfLong:
        case pxfDate:
        case pxfTime:
        case pxfAutoInc: {
          long v = 0;
          // This pxlib reports a NULL long as the decoding of zero bytes.
          present = PX_get_data_long(d, p, len, &v) > 0 && v != INT_MIN;
          if (present) Mix(h, static_cast<uint64_t>(v));
          break;
        }
        case pxfCurrency:
        case pxfNumber:
        case pxfTimestamp: {
          double v = 0;
          present = PX_get_data_double(d, p, len, &v) > 0 && !std::isnan(v);
          if (present) Mix(h, DoubleBits(v));
          break;
        }
        case pxfLogical: {
          char v = 0;
          present = PX_get_data_byte(d, p, len, &v) > 0;
          if (present) Mix(h, v != 0 ? 1 : 0);
          break;
        }
        case pxfMemoBLOb:
        case pxfBLOb:
        case pxfFmtMemoBLOb:
        case pxfOLE:
        case pxfGraphic: {
          char* value = nullptr;
          int mod = 0, size = 0;
          const int rc = PX_get_data_blob(d, p, len, &mod, &size, &value);
          present = rc > 0 && value;
          if (rc < 0) ++blob_failures;
          if (present) {
            ++blob_values;
            summary->text_bytes += static_cast<uint64_t>(size);
            Mix(h, HashBytes(value, static_cast<size_t>(size)));
            d->free(d, value);
          }
          break;
        }
        default: {
          char* value = nullptr;
          present = PX_get_data_bytes(d, p, len, &value) > 0 && value;
          if (present) {
            Mix(h, HashBytes(value, static_cast<size_t>(len)));
            d->free(d, value);
          }
          break;
        }
      }
      if (present)
        ++summary->values;
      else
        Mix(h, kNullMark);
      p += len;
    }
    ++summary->records;
  }
  if (note)
    *note = "memo/blob values returned: " + std::to_string(blob_values) +
            ", refused: " + std::to_string(blob_failures);
  PX_close(d);
  return ok;
}

}  // namespace orba::bench
