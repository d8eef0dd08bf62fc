// Stands in for the company-creation library in the desktop's tests of a
// first run: makes the first company, DataDir + "1", with an empty control
// record and empty tax-rate tables, and lists it in comp.db, as the real
// library does before the set-up wizard runs.

#define ORBA_ENTRY_POINT 1
#include <QDir>
#include <QString>
#include <set>
#include <string_view>
#include <vector>

#include "Table.h"
#include "TableSchemas.h"
#include "castellan/linku.h"

namespace {

namespace sc = orba::data::schemas;

void create(const orba::data::TableSpec& shape, const QString& dir, bool withRow) {
  orba::data::Table t("Creator");
  t.declare(shape);
  t.setDatabaseName(dir);
  t.createTable();
  if (!withRow) return;
  t.open();
  t.append();
  t.setValue("Ctrl_periods", 12);
  t.post();
  t.close();
}

}  // namespace

ORBA_MODULE_EXPORT int32_t ShowDllForm(TLinkSection link) {
  try {
    const QString dataDir = QString::fromUtf8(link.DataDir ? link.DataDir : "");
    const QString company = dataDir + QString::fromLatin1("1");
    if (!QDir().mkpath(company)) return 0;
    // ctrl.DB holds the fields of every reader of the record, each once.
    std::vector<orba::data::FieldSpec> fields;
    std::set<std::string_view> seen;
    for (const auto* shape : {&sc::Gl_Ctrl_table, &sc::Co_Ctrl_table, &sc::Setup_Ctrl_table})
      for (const auto& f : shape->fields)
        if (seen.insert(f.name).second) fields.push_back(f);
    create({"Ctrl_table", "ctrl.DB", 0, fields}, company, true);
    create(sc::TaxRates_table, company, false);
    create(sc::TaxRatesP_table, company, false);

    orba::data::Table companies("Companies");
    companies.declare(sc::Co_Table);
    companies.setDatabaseName(dataDir);
    companies.open();
    companies.append();
    companies.setValue("Comp_Code", 1);
    companies.setValue("Comp_Name", "My Company");
    companies.post();
    companies.close();
    return 1;
  } catch (...) {
    return 0;
  }
}
