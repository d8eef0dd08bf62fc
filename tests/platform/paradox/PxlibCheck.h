// Reading a table with pxlib, an independent reader, and comparing what it
// reads with ours (PxlibOracleTest.cpp, SamplePxlibTest.cpp). Debian's
// pxlib aborts when a blob file is attached, so only tables without blob
// fields are compared. Included by exactly one file of each test program.
#pragma once

#include <gtest/gtest.h>
extern "C" {  // the C header does not declare its linkage
#include <paradox.h>
}

#include <cmath>

#include "TestSupport.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace orba::pdx {
namespace {

class PxDoc {
 public:
  explicit PxDoc(const std::string& path) {
    doc_ = PX_new();
    ok_ = doc_ && PX_open_file(doc_, path.c_str()) == 0;
  }
  ~PxDoc() {
    if (doc_) {
      if (ok_) PX_close(doc_);
      PX_delete(doc_);
    }
  }
  bool ok() const { return ok_; }
  pxdoc_t* get() { return doc_; }

 private:
  pxdoc_t* doc_ = nullptr;
  bool ok_ = false;
};

// Compares one pxlib value with ours; returns a description of a mismatch.
std::string Compare(const pxval_t* px, const Value& ours, FieldType type) {
  if (ours.is_null()) {
    // Debian's pxlib 0.6.8 flags NULL only for alpha, logical and bytes; for
    // the numeric types it returns the decoding of the all-zero bytes. It
    // does the same on Paradox's own files (RENTAL.DB's 72 NULL dates come
    // back as INT_MIN), so that is what a NULL written correctly looks like.
    if (px->isnull) return "";
    switch (type) {
      case FieldType::kShort:
        return px->value.lval == -32768 ? "" : "NULL short";
      case FieldType::kLong:
      case FieldType::kAutoInc:
      case FieldType::kDate:
      case FieldType::kTime:
        return px->value.lval == -2147483648L ? "" : "NULL integer";
      case FieldType::kNumber:
      case FieldType::kMoney:
      case FieldType::kTimestamp:
        return std::isnan(px->value.dval) || px->value.dval == 0 ? "" : "NULL number";
      default:
        return "pxlib sees a value where NULL was written";
    }
  }
  if (px->isnull) return "pxlib sees NULL";
  switch (type) {
    case FieldType::kAlpha:
      return std::string(px->value.str.val, px->value.str.len) == ours.text() ? "" : "alpha";
    case FieldType::kShort:
    case FieldType::kLong:
    case FieldType::kAutoInc:
      return px->value.lval == ours.int_value() ? "" : "integer";
    case FieldType::kDate:
      return px->value.lval == ours.date().days ? "" : "date";
    case FieldType::kTime:
      return px->value.lval == ours.time().ms ? "" : "time";
    case FieldType::kLogical:
      return (px->value.lval != 0) == ours.bool_value() ? "" : "logical";
    case FieldType::kNumber:
    case FieldType::kMoney:
      return px->value.dval == ours.double_value() ? "" : "number";
    case FieldType::kTimestamp:
      return std::llround(px->value.dval) == ours.timestamp().ms ? "" : "timestamp";
    case FieldType::kBytes:
      return std::string(px->value.str.val, static_cast<size_t>(px->value.str.len))
                         .substr(0, ours.bytes().data.size()) == ours.bytes().data
                 ? ""
                 : "bytes";
    default:
      return "unexpected type";
  }
}

void CheckWithPxlib(const std::string& path, const std::vector<Record>& rows,
                    const std::vector<FieldDef>& fields, bool keyed) {
  PxDoc doc(path);
  ASSERT_TRUE(doc.ok()) << "pxlib cannot open " << path;
  // Text as we return it, converted from the table's code page.
  ASSERT_EQ(PX_set_targetencoding(doc.get(), "UTF-8"), 0);
  ASSERT_EQ(PX_get_num_records(doc.get()), static_cast<int>(rows.size()));
  ASSERT_EQ(PX_get_num_fields(doc.get()), static_cast<int>(fields.size()));
  pxfield_t* pf = PX_get_fields(doc.get());
  for (size_t f = 0; f < fields.size(); ++f) {
    EXPECT_EQ(std::string(pf[f].px_fname), fields[f].name);
    EXPECT_EQ(pf[f].px_ftype, static_cast<char>(fields[f].type));
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    pxval_t** vals = PX_retrieve_record(doc.get(), static_cast<int>(i));
    ASSERT_NE(vals, nullptr) << "record " << i;
    for (size_t f = 0; f < fields.size(); ++f) {
      std::string diff = Compare(vals[f], rows[i][f], fields[f].type);
      EXPECT_EQ(diff, "") << "record " << i << " field " << fields[f].name;
      if ((fields[f].type == FieldType::kAlpha || fields[f].type == FieldType::kBytes) && !vals[f]->isnull)
        doc.get()->free(doc.get(), vals[f]->value.str.val);
      doc.get()->free(doc.get(), vals[f]);
    }
    doc.get()->free(doc.get(), vals);
  }
  if (keyed) {
    PxDoc index(FindCompanion(Env::Default(), path, "px"));
    ASSERT_TRUE(index.ok());
    EXPECT_EQ(PX_read_primary_index(index.get()), 0);
    EXPECT_EQ(PX_add_primary_index(doc.get(), index.get()), 0);
  }
}

}  // namespace
}  // namespace orba::pdx
