#include "ModuleLink.h"

using Field = orba::dispatch::LinkRecord::Field;

ModuleLink::ModuleLink(const QString& programDir, const QString& dataDir, int language,
                       const QString& userName) {
  link_.set(Field::LoginName, userName);
  link_.set(Field::UserName, userName);
  link_.set(Field::CompanyNumber, QStringLiteral("1"));
  link_.set(Field::CompanyName, QStringLiteral("Les Entreprises Tremblay Ltée"));
  link_.setLanguage(language);
  link_.set(Field::PrinterIndex, QStringLiteral("0"));
  link_.set(Field::ProgramDir, programDir);
  link_.set(Field::DataDir, dataDir);
}

ModuleLink& ModuleLink::set(Field field, const QString& text) {
  link_.set(field, text);
  return *this;
}
