// libFuzzer entry point: arbitrary bytes as a table's .DB, optionally with a
// .MB and a .PX, read through the in-memory Env. Every outcome must be a
// Status; crashes, hangs and huge allocations are the bugs this looks for.
//
// Input layout: [u32 db length][db bytes][u32 mb length][mb bytes][px bytes].
// A short input is taken as a .DB alone.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "paradox/Env.h"
#include "paradox/Table.h"

namespace {

using namespace orba::pdx;

bool Take(const uint8_t** data, size_t* size, std::string* out) {
  if (*size < 4) return false;
  uint32_t n;
  std::memcpy(&n, *data, 4);
  *data += 4;
  *size -= 4;
  if (n > *size) n = static_cast<uint32_t>(*size);
  out->assign(reinterpret_cast<const char*>(*data), n);
  *data += n;
  *size -= n;
  return true;
}

void Put(Env* env, const std::string& path, const std::string& bytes) {
  std::unique_ptr<WritableFile> f;
  if (env->OpenWritable(path, true, &f).ok()) f->Write(0, bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto env = NewMemEnv();
  std::string db, mb, px;
  if (!Take(&data, &size, &db)) {
    db.assign(reinterpret_cast<const char*>(data), size);
  } else {
    if (Take(&data, &size, &mb)) Put(env.get(), "/f/t.mb", mb);
    px.assign(reinterpret_cast<const char*>(data), size);
    if (!px.empty()) Put(env.get(), "/f/t.px", px);
  }
  Put(env.get(), "/f/t.db", db);

  OpenOptions options;
  options.env = env.get();
  std::unique_ptr<Table> table;
  if (!Table::Open("/f/t.db", options, &table).ok()) return 0;
  Record record;
  for (uint32_t i = 0; i < table->record_count() && i < 10000; ++i) table->ReadRecord(i, &record);
  if (table->key_field_count() > 0 && table->record_count() > 0 && table->ReadRecord(0, &record).ok()) {
    std::vector<Value> key(record.begin(), record.begin() + table->key_field_count());
    uint32_t at;
    bool found;
    table->Find(key, &at, &found);
  }
  return 0;
}
