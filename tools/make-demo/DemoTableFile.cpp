#include "DemoTableFile.h"

#include <filesystem>
#include <system_error>

#include "SchemaFields.h"
#include "paradox/Env.h"
#include "paradox/SecondaryIndex.h"
#include "paradox/TableWriter.h"

namespace orba::demo {

namespace fs = std::filesystem;

namespace {

pdx::FieldDef fieldOf(const data::FieldSpec& f) {
  if (auto field = data::engineField(f)) return *field;
  // A letter the engine cannot create: let CreateTable refuse it by name.
  pdx::FieldDef unknown;
  unknown.name = std::string(f.name);
  unknown.type = pdx::FieldType::kFmtMemo;
  unknown.size = static_cast<uint8_t>(f.size);
  return unknown;
}

void appendFields(TableShape* shape, const data::TableSpec& declared) {
  for (const data::FieldSpec& f : declared.fields) {
    if (f.calculated) continue;
    bool seen = false;
    for (const pdx::FieldDef& have : shape->fields) seen = seen || have.name == f.name;
    if (!seen) shape->fields.push_back(fieldOf(f));
  }
}

}  // namespace

TableShape shapeOf(const data::TableSpec& declared) { return unionOf({&declared}); }

TableShape unionOf(std::initializer_list<const data::TableSpec*> specs) {
  TableShape shape;
  for (const data::TableSpec* declared : specs) {
    if (shape.file.empty()) {
      shape.file = std::string(declared->file);
      shape.keyFields = static_cast<unsigned>(declared->keyFields);
    }
    appendFields(&shape, *declared);
  }
  return shape;
}

Row::Row(const TableShape& shape) : shape_(&shape), record_(shape.fields.size()) {}

Row& Row::set(std::string_view field, pdx::Value value) {
  for (size_t i = 0; i < shape_->fields.size(); ++i) {
    if (shape_->fields[i].name == field) {
      record_[i] = std::move(value);
      return *this;
    }
  }
  if (error_.empty()) error_ = shape_->file + ": no field " + std::string(field);
  return *this;
}

pdx::Status ensureTable(const std::string& dir, const TableShape& shape, const RowMaker& make,
                        TableOutcome* outcome) {
  pdx::Env* env = pdx::Env::Default();
  const std::string target = dir + "/" + shape.file;
  if (!pdx::FindCompanion(env, target, "db").empty()) {
    *outcome = TableOutcome::kKept;
    return pdx::Status::OK();
  }

  const fs::path scratch = fs::path(dir) / ".make-demo-scratch";
  std::error_code ec;
  fs::remove_all(scratch, ec);  // what a crashed run left behind
  if (!fs::create_directories(scratch, ec) && ec) return pdx::Status::IOError(scratch.string(), ec.message());

  const std::string staged = (scratch / shape.file).string();
  pdx::CreateOptions create;
  create.key_field_count = shape.keyFields;
  create.code_page = 1252;
  pdx::Status s = pdx::CreateTable(staged, shape.fields, create);
  if (s.ok()) {
    const std::vector<Row> rows = make(shape);
    std::unique_ptr<pdx::TableWriter> writer;
    s = pdx::TableWriter::Open(staged, pdx::WriteOptions(), &writer);
    for (size_t i = 0; s.ok() && i < rows.size(); ++i) {
      if (!rows[i].error().empty()) s = pdx::Status::InvalidArgument(shape.file, rows[i].error());
      if (s.ok()) s = writer->Insert(rows[i].record());
    }
    // One commit for the whole table: every commit rewrites the file.
    if (s.ok() && !rows.empty()) s = writer->Commit();
    // Each index is written with the rows already in place.
    for (size_t i = 0; s.ok() && i < shape.indexed.size(); ++i) s = writer->CreateIndex(shape.indexed[i]);
  }
  // The files to move, the .DB last.
  std::vector<std::string> parts;
  for (const char* ext : {"mb", "px"}) parts.push_back(pdx::FindCompanion(env, staged, ext));
  std::vector<pdx::SecondaryIndexFiles> indexes, strays;
  if (s.ok()) s = pdx::FindSecondaryIndexFiles(env, staged, &indexes);
  for (const pdx::SecondaryIndexFiles& index : indexes) parts.insert(parts.end(), {index.x, index.y});
  parts.push_back(pdx::FindCompanion(env, staged, "db"));
  if (s.ok()) {
    // Stray companions of a table that is gone would be read with the new .DB.
    for (const char* ext : {"mb", "px"}) {
      const std::string stray = pdx::FindCompanion(env, target, ext);
      if (!stray.empty()) fs::remove(stray, ec);
    }
    if (pdx::FindSecondaryIndexFiles(env, target, &strays).ok())
      for (const pdx::SecondaryIndexFiles& stray : strays)
        for (const std::string& file : {stray.x, stray.y})
          if (!file.empty()) fs::remove(file, ec);
    for (const std::string& from : parts) {
      if (from.empty()) continue;
      fs::rename(from, fs::path(dir) / fs::path(from).filename(), ec);
      if (ec) {
        s = pdx::Status::IOError(target, ec.message());
        break;
      }
    }
  }
  fs::remove_all(scratch, ec);
  if (s.ok()) *outcome = TableOutcome::kCreated;
  return s;
}

}  // namespace orba::demo
