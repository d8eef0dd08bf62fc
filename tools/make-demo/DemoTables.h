// The tables of a demo installation: the system tables in the data directory
// and each company's tables in its own directory.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "DemoCompany.h"
#include "DemoRandom.h"
#include "DemoTableFile.h"

namespace orba::demo {

using MadeLog = std::vector<std::pair<std::string, TableOutcome>>;

// user.db, Desktop.db, Languages.db and comp.db. apps.DB is left to the
// desktop, which creates and seeds it at the first login.
pdx::Status makeSystemTables(const std::string& dataDir, MadeLog* log);
// ctrl.DB, cli.DB, sup.db, glm.DB, emp.DB, ivprod.DB, ivinv.DB, trkdb.DB,
// taxrates.db and taxratesP.db of one company.
pdx::Status makeCompanyTables(const std::string& companyDir, const DemoCompany& company, MadeLog* log);

// Each table draws from its own sequence, so that a table deleted from a demo
// installation comes back identical however the others have changed.
Random randomFor(const DemoCompany& company, std::string_view table);

// Makes one table when missing and notes what happened.
pdx::Status makeTable(const std::string& dir, const TableShape& shape, const RowMaker& make, MadeLog* log);

// A day of the years given; never later than November 2026, the demo's
// current period.
pdx::Value randomDate(Random& rng, int fromYear, int toYear);

// The demo's users, as user.db holds them. Languages are those of
// Languages.db: 1 English, 2 French.
inline constexpr int kEnglish = 1;
inline constexpr int kFrench = 2;
struct DemoUser {
  std::string_view code;
  int language;
};
const std::vector<DemoUser>& demoUsers();
// Each user's six panel icons, as desktop rows of type 1.
std::vector<Row> desktopRows(const TableShape& shape);

inline constexpr int kSupplierCount = 60;
std::string supplierCode(int n);  // "S00001"

std::vector<Row> accountRows(const TableShape& shape, const DemoCompany& company);
std::vector<Row> clientRows(const TableShape& shape, const DemoCompany& company);
std::vector<Row> supplierRows(const TableShape& shape, const DemoCompany& company);
std::vector<Row> employeeRows(const TableShape& shape, const DemoCompany& company);
std::vector<Row> productRows(const TableShape& shape, const DemoCompany& company);
std::vector<Row> inventoryRows(const TableShape& shape, const DemoCompany& company);

}  // namespace orba::demo
