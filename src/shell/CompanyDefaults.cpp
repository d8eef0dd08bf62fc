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

// The fields the wizard writes into the control record.
const char* const kWizardFields[] = {"Ctrl_fed_rate", "Ctrl_pro_rate1", "Ctrl_pro_rate2",
                                     "Ctrl_dollars1", "Ctrl_cents1",    "Ctrl_TaxSystem"};

QString storedText(const QVariant& value) {
  if (!value.isValid() || value.isNull()) return {};
  if (value.typeId() == QMetaType::Double) return QString::number(value.toDouble());
  return value.toString().trimmed();
}

// The first row of this tax code in the table as the change has it, -1
// when there is none.
int rowOfCode(const data::TableTransaction& change, int code) {
  const int count = change.count();
  for (int i = 0; i < count; ++i) {
    const QVariant stored = change.value(i, QStringLiteral("TaxRates_Code"));
    if (stored.isValid() && stored.toInt() == code) return i;
  }
  return -1;
}

}  // namespace

RecordedSetup readRecordedSetup(const QString& companyDir) {
  // Read as the file is laid out, without declaring fields: a layout that
  // lacks the wizard's fields is an answer, not an error.
  data::Table control(QStringLiteral("Ctrl_table"));
  control.setTableName(QStringLiteral("ctrl.DB"));
  control.setDatabaseName(companyDir);
  control.setReadOnly(true);
  control.open();
  RecordedSetup setup;
  QStringList fields;
  setup.fillable = true;
  for (const char* name : kWizardFields) {
    fields << QString::fromLatin1(name);
    setup.fillable = setup.fillable && control.hasField(fields.back());
  }
  if (!setup.fillable || control.recordCount() == 0) {
    control.close();
    return setup;
  }
  const QVariantList values = control.valuesAt(0, fields);
  control.close();
  setup.gstRate = storedText(values.value(0));
  setup.pstRate = storedText(values.value(1));
  setup.hstRate = storedText(values.value(2));
  setup.currencyName = storedText(values.value(3));
  setup.fractionName = storedText(values.value(4));
  if (values.value(5).isValid() && !values.value(5).isNull()) setup.taxSystem = values.value(5).toInt();
  setup.completed = !setup.gstRate.isEmpty() || !setup.pstRate.isEmpty() || !setup.hstRate.isEmpty() ||
                    !setup.currencyName.isEmpty() || !setup.fractionName.isEmpty() || setup.taxSystem;
  return setup;
}

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
      const std::pair<int, const QString*> rates[] = {{1, &d.gstRate}, {2, &d.pstRate}};
      for (const auto& [code, typed] : rates) {
        const QVariant rate = rateValue(file, QStringLiteral("TaxRates_Rate"), *typed);
        const int row = rowOfCode(*change, code);
        if (row >= 0)
          change->update(row, {{QStringLiteral("TaxRates_Rate"), rate}});
        else
          change->insert({{QStringLiteral("TaxRates_Rate"), rate}, {QStringLiteral("TaxRates_Code"), code}});
      }
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
