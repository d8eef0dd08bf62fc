#pragma once

#include <QString>
#include <vector>

namespace orba::data {
class Table;
}

namespace orba::dispatch {

// One account of the company's tracker database (trkdb.DB).
struct TrackerAccount {
  QString number;  // as the option context carries it
  QString name;
};

// The company's tracker accounts in key order. The table is created empty
// when the company has none, and closed again on return; failures throw
// DatabaseError.
std::vector<TrackerAccount> readTrackerAccounts(data::Table& accounts);

}  // namespace orba::dispatch
