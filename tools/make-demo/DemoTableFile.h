// Writing one demo table: its shape from the declared schemas, its rows built
// by field name, and the file created only when the table is missing.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "TableSchemas.h"
#include "paradox/Field.h"
#include "paradox/Status.h"
#include "paradox/Table.h"

namespace orba::demo {

struct TableShape {
  std::string file;
  std::vector<pdx::FieldDef> fields;
  unsigned keyFields = 0;
  // Fields given a single-field secondary index, as a real installation's
  // copy of the table has them.
  std::vector<std::string> indexed;
};

// The stored fields of a declared table: calculated ones are computed on
// every read, so they have no column in the file.
TableShape shapeOf(const data::TableSpec& declared);
// One file declared by several data modules: the fields of all of them, each
// once, in the order first seen; the key of the first.
TableShape unionOf(std::initializer_list<const data::TableSpec*> specs);

// A record under construction. Fields left unset stay NULL. Naming a field
// the table does not have is a mistake in the generator; the row remembers it
// and the table refuses to be written.
class Row {
 public:
  explicit Row(const TableShape& shape);
  Row& set(std::string_view field, pdx::Value value);
  Row& text(std::string_view field, std::string value) {
    return set(field, pdx::Value::Text(std::move(value)));
  }
  Row& integer(std::string_view field, int64_t value) { return set(field, pdx::Value::Int(value)); }
  Row& number(std::string_view field, double value) { return set(field, pdx::Value::Double(value)); }
  Row& logical(std::string_view field, bool value) { return set(field, pdx::Value::Bool(value)); }
  Row& date(std::string_view field, int y, unsigned m, unsigned d) {
    return set(field, pdx::Value::Of(pdx::Date::FromYmd(y, m, d)));
  }
  const std::string& error() const { return error_; }
  const pdx::Record& record() const { return record_; }

 private:
  const TableShape* shape_;
  pdx::Record record_;
  std::string error_;
};

using RowMaker = std::function<std::vector<Row>(const TableShape&)>;

enum class TableOutcome { kCreated, kKept };

// Creates `dir/shape.file` with the rows that `make` returns, unless a table
// of that name (in any letter case) is there already: a demo folder may hold a
// user's own data by now, and that is never replaced. The table is built in a
// scratch folder, with its secondary indexes, and moved in companions first
// (blobs, primary and secondary indexes), .DB last, so that an interrupted
// run leaves either the whole table or none.
pdx::Status ensureTable(const std::string& dir, const TableShape& shape, const RowMaker& make,
                        TableOutcome* outcome);

}  // namespace orba::demo
