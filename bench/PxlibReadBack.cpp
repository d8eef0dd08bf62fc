#include "PxlibReadBack.h"

extern "C" {  // the C header does not declare its linkage
#include <paradox.h>
}

#include <cmath>
#include <memory>

#include "paradox/Table.h"

namespace orba::bench {

namespace {

namespace pdx = orba::pdx;

struct PxDocument {
  explicit PxDocument(const std::string& path) : doc(PX_new()) {
    opened = doc && PX_open_file(doc, path.c_str()) == 0;
  }
  ~PxDocument() {
    if (doc && opened) PX_close(doc);
    if (doc) PX_delete(doc);
  }
  pxdoc_t* doc;
  bool opened = false;
};

bool Same(const pxval_t* px, const pdx::Value& ours, pdx::FieldType type) {
  if (ours.is_null() || px->isnull) return ours.is_null() == static_cast<bool>(px->isnull);
  switch (type) {
    case pdx::FieldType::kAlpha:
      return std::string(px->value.str.val, static_cast<size_t>(px->value.str.len)) == ours.text();
    case pdx::FieldType::kLong:
    case pdx::FieldType::kShort:
    case pdx::FieldType::kAutoInc:
      return px->value.lval == ours.int_value();
    case pdx::FieldType::kDate:
      return px->value.lval == ours.date().days;
    case pdx::FieldType::kMoney:
    case pdx::FieldType::kNumber:
      return px->value.dval == ours.double_value();
    default:
      return false;  // the benchmark's tables hold no other type
  }
}

}  // namespace

std::string PxlibReadBack(const std::string& path) {
  std::unique_ptr<pdx::Table> table;
  pdx::Status s = pdx::Table::Open(path, pdx::OpenOptions(), &table);
  if (!s.ok()) return "the engine cannot open it: " + s.ToString();
  PxDocument px(path);
  if (!px.opened) return "pxlib cannot open it";
  if (PX_set_targetencoding(px.doc, "UTF-8") != 0) return "pxlib cannot convert its text";
  if (PX_get_num_records(px.doc) != static_cast<int>(table->record_count()))
    return "pxlib counts " + std::to_string(PX_get_num_records(px.doc)) + " records, the engine " +
           std::to_string(table->record_count());
  const std::vector<pdx::FieldDef>& fields = table->fields();
  pdx::Record ours;
  for (uint32_t i = 0; i < table->record_count(); ++i) {
    s = table->ReadRecord(i, &ours);
    if (!s.ok()) return "the engine cannot read record " + std::to_string(i) + ": " + s.ToString();
    pxval_t** values = PX_retrieve_record(px.doc, static_cast<int>(i));
    if (!values) return "pxlib cannot read record " + std::to_string(i);
    std::string differs;
    for (size_t f = 0; f < fields.size(); ++f) {
      if (differs.empty() && !Same(values[f], ours[f], fields[f].type))
        differs = "record " + std::to_string(i) + ", field " + fields[f].name + " differs";
      if (fields[f].type == pdx::FieldType::kAlpha && !values[f]->isnull)
        px.doc->free(px.doc, values[f]->value.str.val);
      px.doc->free(px.doc, values[f]);
    }
    px.doc->free(px.doc, values);
    if (!differs.empty()) return differs;
  }
  if (table->header().keyed()) {
    PxDocument index(pdx::FindCompanion(pdx::Env::Default(), path, "px"));
    if (!index.opened || PX_read_primary_index(index.doc) != 0) return "pxlib cannot read its .PX";
  }
  return "";
}

}  // namespace orba::bench
