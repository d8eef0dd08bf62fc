#pragma once

#include <span>
#include <string_view>

namespace orba::data {

// One field as the desktop declares it. `type` is the Paradox type letter;
// `size` is the length of an alpha or bytes field, or the part of a memo or
// blob kept in the record; 0 for the fixed-size types.
struct FieldSpec {
  std::string_view name;
  char type;
  int size;
  bool required;
  // Not stored: computed for each record read.
  bool calculated;
};

// A table as the desktop declares it. `keyFields` is how many leading fields
// form the primary key of a table this program creates (0: no key).
struct TableSpec {
  std::string_view component;
  std::string_view file;
  int keyFields;
  std::span<const FieldSpec> fields;
};

namespace schemas {
// System tables, in the data directory.
extern const TableSpec User_table;          // user.db
extern const TableSpec Desktop_table;       // Desktop.db
extern const TableSpec tblLanguage;         // Languages.db
extern const TableSpec Co_Table;            // comp.db
extern const TableSpec Applications_table;  // apps.DB
// Company tables, in the company's directory.
extern const TableSpec Co_Ctrl_table;  // ctrl.DB as the company data module declares it
extern const TableSpec Gl_Ctrl_table;  // ctrl.DB as the ledger data module declares it
extern const TableSpec trkdb_table;    // trkdb.DB
extern const TableSpec Gl_Table;       // glm.DB
extern const TableSpec Ar_Table;       // cli.DB
extern const TableSpec Ap_Table;       // sup.db
extern const TableSpec Emp_Table;      // emp.DB
extern const TableSpec IvprodTable;    // ivprod.DB
extern const TableSpec IvinvTable;     // ivinv.DB
// What the set-up wizard writes into a new company: the tax and currency
// fields of the control record, and the sales and purchase tax rates.
extern const TableSpec Setup_Ctrl_table;  // ctrl.DB
extern const TableSpec TaxRates_table;    // taxrates.db
extern const TableSpec TaxRatesP_table;   // taxratesP.db
}  // namespace schemas

}  // namespace orba::data
