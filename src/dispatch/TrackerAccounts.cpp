#include "TrackerAccounts.h"

#include "Table.h"

namespace orba::dispatch {

std::vector<TrackerAccount> readTrackerAccounts(data::Table& accounts) {
  if (!accounts.exists()) accounts.createTable();
  accounts.open();
  std::vector<TrackerAccount> out;
  try {
    for (accounts.first(); !accounts.eof(); accounts.next())
      out.push_back(
          {accounts.text(QStringLiteral("Trkdb_account")), accounts.text(QStringLiteral("Trkdb_name"))});
  } catch (...) {
    accounts.close();
    throw;
  }
  accounts.close();
  return out;
}

}  // namespace orba::dispatch
