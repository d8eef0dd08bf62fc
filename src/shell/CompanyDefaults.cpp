#include "CompanyDefaults.h"

#include <QVariant>
#include <memory>
#include <vector>

#include "DatabaseError.h"
#include "SettingsStore.h"
#include "ShellSettings.h"
#include "Table.h"
#include "TableSchemas.h"
#include "TableTransaction.h"

namespace orba::shell {

namespace {

// A rate as the user typed it: empty stays empty; a decimal comma is taken
// like a decimal point (French users type "7,5"); anything else that is not
// a number is refused, never stored as zero.
QVariant rateValue(const QString& table, const QString& field, const QString& typed) {
  QString text = typed.trimmed();
  if (text.isEmpty()) return {};
  if (!text.contains(QLatin1Char('.'))) text.replace(QLatin1Char(','), QLatin1Char('.'));
  bool ok = false;
  const double rate = text.toDouble(&ok);
  if (!ok)
    throw data::DatabaseError(
        QStringLiteral("%1: field %2: \"%3\" is not a number").arg(table, field, typed.trimmed()),
        data::DatabaseError::Kind::InvalidValue, field);
  return rate;
}

std::unique_ptr<data::Table> openTable(const data::TableSpec& shape, const QString& dir) {
  auto table = std::make_unique<data::Table>(
      QString::fromLatin1(shape.component.data(), static_cast<qsizetype>(shape.component.size())));
  table->declare(shape);
  table->setDatabaseName(dir);
  table->open();
  return table;
}

}  // namespace

bool isQuillmarkEdition(const QString& companyDir) { return companyDir.contains(QLatin1String("Quillmark")); }

QString editionName(const QString& dataDir) {
  if (dataDir.contains(QLatin1String("Castellan"))) return QStringLiteral("Castellan");
  if (dataDir.contains(QLatin1String("Quillmark"))) return QStringLiteral("Moravend/Quillmark");
  if (dataDir.contains(QLatin1String("Orba"))) return QStringLiteral("Moravend");
  return {};
}

void saveCompanyTables(const QString& companyDir, const CompanyDefaults& d) {
  const bool quillmark = isQuillmarkEdition(companyDir);
  const bool rateTables = !quillmark && d.taxSystem == 1;
  const QString ctrl = QStringLiteral("ctrl.DB");
  std::vector<std::pair<QString, QVariant>> control = {
      {QStringLiteral("Ctrl_fed_rate"), rateValue(ctrl, QStringLiteral("Ctrl_fed_rate"), d.gstRate)},
      {QStringLiteral("Ctrl_pro_rate1"), rateValue(ctrl, QStringLiteral("Ctrl_pro_rate1"), d.pstRate)},
      {QStringLiteral("Ctrl_pro_rate2"), rateValue(ctrl, QStringLiteral("Ctrl_pro_rate2"), d.hstRate)},
      {QStringLiteral("Ctrl_dollars1"), d.currencyName},
      {QStringLiteral("Ctrl_cents1"), d.fractionName},
  };
  if (!quillmark) control.emplace_back(QStringLiteral("Ctrl_TaxSystem"), d.taxSystem);

  // Every table opened and locked, and every change staged, before the
  // first one is stored.
  std::unique_ptr<data::Table> control_table = openTable(data::schemas::Setup_Ctrl_table, companyDir);
  data::TableTransaction controlChange(*control_table);
  if (controlChange.count() == 0)
    controlChange.insert(control);  // a company without its record yet
  else
    controlChange.update(0, control);

  std::vector<std::unique_ptr<data::Table>> rateTablesOpen;
  std::vector<std::unique_ptr<data::TableTransaction>> rateChanges;
  if (rateTables) {
    for (const data::TableSpec* shape : {&data::schemas::TaxRates_table, &data::schemas::TaxRatesP_table}) {
      rateTablesOpen.push_back(openTable(*shape, companyDir));
      auto change = std::make_unique<data::TableTransaction>(*rateTablesOpen.back());
      const QString file =
          QString::fromLatin1(shape->file.data(), static_cast<qsizetype>(shape->file.size()));
      change->insert(
          {{QStringLiteral("TaxRates_Rate"), rateValue(file, QStringLiteral("TaxRates_Rate"), d.gstRate)},
           {QStringLiteral("TaxRates_Code"), 1}});
      change->insert(
          {{QStringLiteral("TaxRates_Rate"), rateValue(file, QStringLiteral("TaxRates_Rate"), d.pstRate)},
           {QStringLiteral("TaxRates_Code"), 2}});
      rateChanges.push_back(std::move(change));
    }
  }

  controlChange.commit();
  for (auto& change : rateChanges) change->commit();
}

void saveDisplaySettings(const CompanyDefaults& d, settings::SettingsStore& settings) {
  QString error;
  if (!settings.setValues(
          kSettingsSection,
          {{QStringLiteral("DateFmt"), d.dateFormat},
           {QStringLiteral("CurrSmbl"), d.currencySymbol},
           {QStringLiteral("Intl"), d.taxSystem == 1 ? QStringLiteral("y") : QStringLiteral("n")},
           {QStringLiteral("CurrAlign"), d.currencyLeft ? QStringLiteral("L") : QStringLiteral("R")}},
          &error))
    throw data::DatabaseError(QStringLiteral("The settings could not be written: %1").arg(error));
}

}  // namespace orba::shell
