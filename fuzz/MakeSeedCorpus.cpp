// Writes valid tables made by the engine's writer as seed inputs for
// pdx_fuzz_reader, in its input layout. Usage: make_seed_corpus DIR
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "paradox/Env.h"
#include "paradox/TableWriter.h"

using namespace orba::pdx;

namespace {

std::string Slurp(Env* env, const std::string& path) {
  std::unique_ptr<RandomAccessFile> f;
  std::string out;
  if (env->OpenRandomAccess(path, &f).ok()) f->Read(0, f->Size(), &out);
  return out;
}

std::string Framed(const std::string& s) {
  uint32_t n = static_cast<uint32_t>(s.size());
  return std::string(reinterpret_cast<const char*>(&n), 4) + s;
}

int Seed(const std::string& dir, const std::string& name, const std::vector<FieldDef>& fields, unsigned keys,
         int rows) {
  auto env = NewMemEnv();
  const std::string path = "/s/" + name + ".db";
  CreateOptions co;
  co.env = env.get();
  co.key_field_count = keys;
  if (!CreateTable(path, fields, co).ok()) return 1;
  WriteOptions wo;
  wo.env = env.get();
  std::unique_ptr<TableWriter> w;
  if (!TableWriter::Open(path, wo, &w).ok()) return 1;
  for (int i = 1; i <= rows; ++i) {
    Record r;
    for (const FieldDef& f : fields) {
      switch (f.type) {
        case FieldType::kLong:
        case FieldType::kShort:
          r.push_back(Value::Int(i));
          break;
        case FieldType::kAlpha:
          r.push_back(Value::Text("row " + std::to_string(i)));
          break;
        case FieldType::kNumber:
        case FieldType::kMoney:
          r.push_back(Value::Double(i * 1.5));
          break;
        case FieldType::kDate:
          r.push_back(Value::Of(Date{730000 + i}));
          break;
        case FieldType::kLogical:
          r.push_back(Value::Bool(i % 2));
          break;
        case FieldType::kMemo:
          r.push_back(Value::Text(std::string(i * 37 % 3000, 'm')));
          break;
        case FieldType::kBlob:
          r.push_back(Value::Blob(std::string(i * 11 % 500, 'b')));
          break;
        case FieldType::kBytes:
          r.push_back(Value::Blob("\x01\x02"));
          break;
        default:
          r.push_back(Value());
          break;
      }
    }
    if (!w->Insert(r).ok()) return 1;
  }
  if (!w->Commit().ok()) return 1;
  std::string mb = Slurp(env.get(), "/s/" + name + ".mb");
  std::string px = Slurp(env.get(), "/s/" + name + ".px");
  std::ofstream out(dir + "/" + name, std::ios::binary);
  out << Framed(Slurp(env.get(), path)) << Framed(mb) << px;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seed_corpus DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  int rc = 0;
  rc |= Seed(dir, "scalars",
             {FieldDef::Long("Id"), FieldDef::Alpha("Name", 20), FieldDef::Number("N"), FieldDef::Date("D"),
              FieldDef::Logical("L"), FieldDef::AutoInc("A")},
             1, 200);
  rc |= Seed(dir, "blobs",
             {FieldDef::Short("S"), FieldDef::Memo("M", 5), FieldDef::Binary("B", 0), FieldDef::Bytes("Y", 4),
              FieldDef::Money("C")},
             0, 30);
  return rc;
}
