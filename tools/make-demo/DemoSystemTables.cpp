#include <cstdio>

#include "DemoRights.h"
#include "DemoTables.h"

namespace orba::demo {

namespace sc = data::schemas;

Random randomFor(const DemoCompany& company, std::string_view table) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (char c : table) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return Random(h ^ (static_cast<uint64_t>(company.code) << 32) ^ 20260101u);
}

pdx::Status makeTable(const std::string& dir, const TableShape& shape, const RowMaker& make, MadeLog* log) {
  TableOutcome outcome = TableOutcome::kKept;
  pdx::Status s = ensureTable(dir, shape, make, &outcome);
  if (s.ok()) log->emplace_back(dir + "/" + shape.file, outcome);
  return s;
}

pdx::Value randomDate(Random& rng, int fromYear, int toYear) {
  const int year = rng.between(fromYear, toYear);
  const int month = rng.between(1, year >= 2026 ? 11 : 12);
  const int day = rng.between(1, 28);
  return pdx::Value::Of(pdx::Date::FromYmd(year, static_cast<unsigned>(month), static_cast<unsigned>(day)));
}

std::string supplierCode(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "S%05d", n);
  return buf;
}

namespace {

std::vector<Row> languageRows(const TableShape& shape) {
  std::vector<Row> rows;
  rows.emplace_back(shape).integer("LangKey", 1).text("LangCode", "en").text("LangName", "English");
  rows.emplace_back(shape).integer("LangKey", 2).text("LangCode", "fr").text("LangName", "Français");
  return rows;
}

std::vector<Row> companyRows(const TableShape& shape) {
  std::vector<Row> rows;
  for (const DemoCompany& c : demoCompanies()) {
    Row& r = rows.emplace_back(shape);
    r.integer("Comp_Code", c.code)
        .text("Comp_Name", std::string(c.name))
        .text("Comp_Adr1", std::string(c.adr1))
        .text("Comp_adr2", std::string(c.adr2))
        .text("Comp_city", std::string(c.city))
        .text("Comp_Prov", std::string(c.province))
        .text("Comp_Country", std::string(c.country))
        .text("Comp_Postal_code", std::string(c.postalCode))
        .text("Comp_telephone", std::string(c.telephone))
        .text("Comp_Contact", std::string(c.contact))
        // The account of the chart that closes the year's profit.
        .integer("Comp_Ret_Earn_accnt", 3100)
        .integer("Comp_profit_line", 3900);
    if (!c.password.empty()) r.text("Comp_Passwd", std::string(c.password));
  }
  return rows;
}

// The clerk keeps the receivables and does the invoicing; of the ledger he
// only sees a few reports, so the rest of the menus show disabled.
const std::vector<std::string_view> kClerkOptions = {
    "ar01", "ar02", "ar091", "ar05", "ar06", "ar04", "ar07", "ar08", "ar10", "ar09",  "ar03",
    "ar15", "ar16", "ar14",  "ar11", "ar12", "ar13", "fa01", "fa18", "fa02", "fa020", "fa22",
    "fa05", "fa14", "fa03",  "fa06", "fa15", "fa04", "fa13", "fa12", "fa16", "fa20",  "fa21",
    "fa07", "fa11", "fa17",  "fa10", "fa30", "gl07", "gl04", "gl08",
};

}  // namespace

const std::vector<DemoUser>& demoUsers() {
  static const std::vector<DemoUser> users = {{"ADMIN", kFrench}, {"CLERK", kEnglish}};
  return users;
}

namespace {

std::vector<Row> userRows(const TableShape& shape, const std::string& clerkRights) {
  std::vector<Row> rows;
  // Keyed on the password: the login looks users up by what was typed,
  // upper-cased, so stored passwords are upper case.
  rows.emplace_back(shape)
      .text("User_password", "ADMIN")
      .text("User_code", "ADMIN")
      .text("User_name", "Marie-Ève Tremblay")
      .integer("User_detail", 1)
      .integer("User_language", kFrench)
      .integer("User_company", 1)
      .text("User_printer", "PDF")
      .set("User_security", pdx::Value::Blob(allRights()));
  rows.emplace_back(shape)
      .text("User_password", "CLERK")
      .text("User_code", "CLERK")
      .text("User_name", "John Smith")
      .integer("User_detail", 2)
      .integer("User_language", kEnglish)
      .integer("User_company", 1)
      .set("User_security", pdx::Value::Blob(clerkRights));
  return rows;
}

}  // namespace

pdx::Status makeSystemTables(const std::string& dataDir, MadeLog* log) {
  std::string unknownOption;
  const std::string clerkRights = rightsFor(kClerkOptions, &unknownOption);
  if (!unknownOption.empty())
    return pdx::Status::InvalidArgument("user.db", "no menu option " + unknownOption);
  pdx::Status s = makeTable(dataDir, shapeOf(sc::tblLanguage), languageRows, log);
  if (s.ok()) s = makeTable(dataDir, shapeOf(sc::Co_Table), companyRows, log);
  if (s.ok())
    s = makeTable(
        dataDir, shapeOf(sc::User_table),
        [&](const TableShape& shape) { return userRows(shape, clerkRights); }, log);
  // The desktop stores each user's layout there at close; a new installation
  // starts with the standard desktop plus each user's panel icons. As in a
  // real installation, the table has a secondary index on its user field.
  TableShape desktop = shapeOf(sc::Desktop_table);
  desktop.indexed = {"Desktop_user"};
  if (s.ok()) s = makeTable(dataDir, desktop, desktopRows, log);
  return s;
}

}  // namespace orba::demo
