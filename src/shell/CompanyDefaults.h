#pragma once

#include <QString>
#include <optional>

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

// What a company's control record holds of the wizard's values, and so
// whether its set-up was ever completed.
//
// The wizard writes the tax rates, the currency and fraction names and (but
// in the Quillmark edition) the tax system into the control record, and
// company creation writes none of them; the wizard always writes at least
// the tax system or the currency words it proposes. So a company whose
// record holds none of these values, or that has no record yet, never went
// through the wizard: its set-up is not completed. A record that holds any
// of them was set up (by the wizard or by Parameters maintenance) and is
// never offered the wizard, whatever its age. A control table laid out
// without these fields is not one the wizard can fill, and is left alone.
struct RecordedSetup {
  bool fillable = false;   // ctrl.DB has every field the wizard writes
  bool completed = false;  // its record holds at least one of their values
  QString gstRate;         // the values as text; empty where none is stored
  QString pstRate;
  QString hstRate;
  QString currencyName;
  QString fractionName;
  std::optional<int> taxSystem;

  bool needsWizard() const { return fillable && !completed; }
};

// Reads the control record of the company in companyDir. Throws
// DatabaseError when ctrl.DB cannot be read.
RecordedSetup readRecordedSetup(const QString& companyDir);

// The edition a data folder belongs to: the Quillmark edition keeps its own
// tax system and rate tables, which the wizard leaves alone.
bool isQuillmarkEdition(const QString& companyDir);
// The edition's name for the wizard's closing text, from the data folder.
QString editionName(const QString& dataDir);

// Writes the company's part of the defaults: the control record of ctrl.DB
// in companyDir; outside Canada (and except in the Quillmark edition) the
// two rates as the rows with codes 1 and 2 of taxrates.db and taxratesP.db:
// appended when the table has no row of that code, otherwise given to the
// first row of that code, which keeps its account and description (the
// wizard run again for a company does not make a second tax 1).
//
// Every rate is checked and every table opened for writing before anything
// is stored, so a rate that is not a number or a missing table stores
// nothing. Throws DatabaseError with the reason.
void saveCompanyTables(const QString& companyDir, const CompanyDefaults& defaults);

// Then the display settings DateFmt, CurrSmbl, Intl and CurrAlign, in one
// change of the settings file. Throws DatabaseError with the reason.
void saveDisplaySettings(const CompanyDefaults& defaults, settings::SettingsStore& settings);

}  // namespace orba::shell
