// The tables of one demo company: control record, tracker accounts, sales-tax
// rates, and (from the other Demo*.cpp files) ledger, clients, suppliers,
// employees and stock.

#include "DemoTables.h"

namespace orba::demo {

namespace sc = data::schemas;

namespace {

// Both data modules declare ctrl.DB, each with the fields it reads; the file
// must satisfy both. The ledger's declaration comes first so that
// Ctrl_date_fmt leads the record.
// The set-up wizard's fields (tax rates, cheque words, tax system) follow.
TableShape controlShape() { return unionOf({&sc::Gl_Ctrl_table, &sc::Co_Ctrl_table, &sc::Setup_Ctrl_table}); }

std::vector<Row> controlRows(const TableShape& shape, const DemoCompany& company) {
  std::vector<Row> rows;
  Row& r = rows.emplace_back(shape);
  r.integer("Ctrl_date_fmt", company.dateFormat)
      .integer("Ctrl_periods", company.periods)
      .integer("Ctrl_gl_period", company.currentPeriod)
      .integer("Ctrl_ar_period", company.currentPeriod)
      .integer("Ctrl_ap_period", company.currentPeriod)
      .integer("Ctrl_fa_period", company.currentPeriod);
  // No month is being closed while the demo starts.
  for (const char* f : {"Ctrl_eom_gl", "Ctrl_eom_ar", "Ctrl_eom_ap", "Ctrl_eom_fa", "Ctrl_eom_pa"})
    r.logical(f, false);
  // As the set-up wizard left them: Quebec's GST and QST, Ontario's GST and
  // PST, in Canada.
  const bool french = company.lang == Lang::kFrench;
  r.number("Ctrl_fed_rate", 5)
      .number("Ctrl_pro_rate1", french ? 9.975 : 8)
      .text("Ctrl_dollars1", "Dollars")
      .text("Ctrl_cents1", "Cents")
      .integer("Ctrl_TaxSystem", 0);
  return rows;
}

struct Tracker {
  int account;
  const char* french;
  const char* english;
  int type;
};
constexpr Tracker kTrackers[] = {
    {1, "Suivi des appels clients", "Customer calls", 1},
    {2, "Projets de rénovation", "Renovation projects", 2},
    {3, "Garanties et retours", "Warranty returns", 1},
    {4, "Entretien des camions", "Truck maintenance", 3},
};

std::vector<Row> trackerRows(const TableShape& shape, const DemoCompany& company) {
  std::vector<Row> rows;
  // The English company has not started tracking its trucks.
  const size_t count = company.lang == Lang::kFrench ? 4 : 3;
  for (size_t i = 0; i < count; ++i) {
    const Tracker& t = kTrackers[i];
    rows.emplace_back(shape)
        .integer("Trkdb_account", t.account)
        .text("Trkdb_name", company.lang == Lang::kFrench ? t.french : t.english)
        .integer("Trkdb_type", t.type);
  }
  return rows;
}

// Sales-tax rates in percent. Code 1 is the federal GST, code 2 a provincial
// tax charged on top of it (PST, RST, QST), code 3 a harmonized tax that
// replaces both. taxrates.db posts the tax collected on sales to liability
// accounts; taxratesP.db posts the tax paid on purchases to the input-tax
// credit accounts.
struct TaxRate {
  const char* french;
  const char* english;
  double rate;
  int code;
  bool quebec;  // posted to the QST accounts rather than the GST/HST ones
};
constexpr TaxRate kTaxRates[] = {
    {"TPS fédérale", "Federal GST", 5.0, 1, false},
    {"TVQ Québec", "Québec QST", 9.975, 2, true},
    {"TVH Ontario", "Ontario HST", 13.0, 3, false},
    {"TVH Nouveau-Brunswick", "New Brunswick HST", 15.0, 3, false},
    {"TVH Nouvelle-Écosse", "Nova Scotia HST", 14.0, 3, false},
    {"TVH Terre-Neuve-et-Labrador", "Newfoundland and Labrador HST", 15.0, 3, false},
    {"TVH Île-du-Prince-Édouard", "Prince Edward Island HST", 15.0, 3, false},
    {"TVP Colombie-Britannique", "British Columbia PST", 7.0, 2, false},
    {"TVD Manitoba", "Manitoba RST", 7.0, 2, false},
    {"TVP Saskatchewan", "Saskatchewan PST", 6.0, 2, false},
};

TableShape taxShape(const char* file) {
  TableShape shape;
  shape.file = file;
  shape.fields = {pdx::FieldDef::Long("TaxRates_Account"), pdx::FieldDef::Alpha("TaxRates_Description", 40),
                  pdx::FieldDef::Number("TaxRates_Rate"), pdx::FieldDef::Long("TaxRates_Code")};
  return shape;
}

std::vector<Row> taxRows(const TableShape& shape, const DemoCompany& company, bool purchases) {
  std::vector<Row> rows;
  for (const TaxRate& t : kTaxRates) {
    const int account = purchases ? (t.quebec ? 1185 : 1180) : (t.quebec ? 2320 : 2310);
    rows.emplace_back(shape)
        .integer("TaxRates_Account", account)
        .text("TaxRates_Description", company.lang == Lang::kFrench ? t.french : t.english)
        .number("TaxRates_Rate", t.rate)
        .integer("TaxRates_Code", t.code);
  }
  return rows;
}

}  // namespace

pdx::Status makeCompanyTables(const std::string& dir, const DemoCompany& company, MadeLog* log) {
  using Maker = std::vector<Row> (*)(const TableShape&, const DemoCompany&);
  const struct {
    TableShape shape;
    Maker make;
  } tables[] = {
      {controlShape(), controlRows},           {shapeOf(sc::trkdb_table), trackerRows},
      {shapeOf(sc::Gl_Table), accountRows},    {shapeOf(sc::Ar_Table), clientRows},
      {shapeOf(sc::Ap_Table), supplierRows},   {shapeOf(sc::Emp_Table), employeeRows},
      {shapeOf(sc::IvprodTable), productRows}, {shapeOf(sc::IvinvTable), inventoryRows},
  };
  for (const auto& t : tables) {
    pdx::Status s = makeTable(
        dir, t.shape, [&](const TableShape& shape) { return t.make(shape, company); }, log);
    if (!s.ok()) return s;
  }
  for (const bool purchases : {false, true}) {
    pdx::Status s = makeTable(
        dir, taxShape(purchases ? "taxratesP.db" : "taxrates.db"),
        [&](const TableShape& shape) { return taxRows(shape, company, purchases); }, log);
    if (!s.ok()) return s;
  }
  return pdx::Status::OK();
}

}  // namespace orba::demo
