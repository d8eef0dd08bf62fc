#pragma once

#include <QString>

namespace orba::settings {
class SettingsStore;
}

namespace orba::shell {

// What the set-up wizard records for a new installation: the first
// company's tax rates and currency words, and the date and currency
// presentation the program uses from its next start.
struct CompanyDefaults {
  QString gstRate;  // as typed; empty leaves the field empty
  QString pstRate;
  QString hstRate;
  QString currencyName;  // "Dollars"
  QString fractionName;  // "Cents"
  int taxSystem = 0;     // 0 in Canada, 1 outside
  QString dateFormat;    // "yyyy/mm/dd", "dd/mm/yyyy" or "mm/dd/yyyy"
  QString currencySymbol;
  bool currencyLeft = true;

  bool operator==(const CompanyDefaults&) const = default;
};

// The edition a data folder belongs to: the Quillmark edition keeps its own
// tax system and rate tables, which the wizard leaves alone.
bool isQuillmarkEdition(const QString& companyDir);
// The edition's name for the wizard's closing text, from the data folder.
QString editionName(const QString& dataDir);

// Writes the company's part of the defaults: the control record of ctrl.DB
// in companyDir; outside Canada (and except in the Quillmark edition) two
// rows, the two rates with codes 1 and 2, appended to taxrates.db and
// taxratesP.db.
//
// Every rate is checked and every table opened for writing before anything
// is stored, so a rate that is not a number or a missing table stores
// nothing. Throws DatabaseError with the reason.
void saveCompanyTables(const QString& companyDir, const CompanyDefaults& defaults);

// Then the display settings DateFmt, CurrSmbl, Intl and CurrAlign, in one
// change of the settings file. Throws DatabaseError with the reason.
void saveDisplaySettings(const CompanyDefaults& defaults, settings::SettingsStore& settings);

}  // namespace orba::shell
