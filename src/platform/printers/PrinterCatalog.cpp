#include "PrinterCatalog.h"

namespace orba::printers {

namespace {
std::unique_ptr<PrinterCatalog>& current() {
  static std::unique_ptr<PrinterCatalog> catalog;
  return catalog;
}
}  // namespace

QString PrinterCatalog::currentName() const {
  const QStringList names = printerNames();
  const int i = currentIndex();
  return i >= 0 && i < names.size() ? names[i] : QString();
}

PrinterCatalog& PrinterCatalog::instance() {
  // Until the desktop installs the system's list, there is no printer.
  if (!current()) current() = std::make_unique<FixedPrinterCatalog>(QStringList{});
  return *current();
}

bool PrinterCatalog::hasInstance() { return current() != nullptr; }

void PrinterCatalog::setInstance(std::unique_ptr<PrinterCatalog> catalog) { current() = std::move(catalog); }

FixedPrinterCatalog::FixedPrinterCatalog(QStringList names, int current)
    : names_(std::move(names)), current_(names_.isEmpty() ? -1 : current) {}

void FixedPrinterCatalog::setCurrentIndex(int index) {
  if (index >= 0 && index < names_.size()) current_ = index;
}

}  // namespace orba::printers
