#pragma once

// The five list maintenance options: which company table each keeps, its
// key, and the fields its window lists and its form edits. One library
// serves them all; it learns which one it is from its own file name.

#include <QString>
#include <vector>

#include "TableSchemas.h"

namespace orba::lists {

enum class FieldKind {
  Text,    // an alpha field, at most the table's size
  Whole,   // a short or long integer
  Number,  // a number field
  Money,   // an amount (a money field, or a number field that holds one)
  YesNo,   // a one-letter alpha field holding "Y" or "N", shown as a check box
};

struct ListField {
  const char* name;     // the table's field
  const char* caption;  // the design text; the language tables replace it
  FieldKind kind;
};

struct ListDefinition {
  const char* option;       // "ar01", ...
  const char* windowName;   // the list window's component name
  const char* formName;     // the record form's component name
  const char* caption;      // the list window's design caption
  const char* formCaption;  // the record form's design caption
  const data::TableSpec* table;
  int keyFields;  // the leading fields of `fields` that form the table's key
  std::vector<ListField> fields;
  // Amounts that must be zero (or empty) before a record is deleted: a
  // balance or the year's figures would be lost with it.
  std::vector<const char*> amounts = {};
  // A product: not deleted while the inventory (ivinv.DB) has records for
  // its line and item.
  bool inventory = false;
};

// The definition of an option, or nullptr for an option this library does
// not serve.
const ListDefinition* definitionFor(const QString& option);
// All five, in menu order (clients, suppliers, accounts, employees,
// products).
const std::vector<ListDefinition>& definitions();

}  // namespace orba::lists
