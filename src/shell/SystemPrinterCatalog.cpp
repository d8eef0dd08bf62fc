#include "SystemPrinterCatalog.h"

#include <QPrinterInfo>

namespace orba::shell {

namespace {

// The printers known to the print system (CUPS), in its order. The current
// printer starts as the system default and is then the program's own choice:
// changing it does not change the default of other programs.
class SystemPrinterCatalog : public printers::PrinterCatalog {
 public:
  SystemPrinterCatalog() : names_(QPrinterInfo::availablePrinterNames()) {
    current_ = names_.indexOf(QPrinterInfo::defaultPrinterName());
    if (current_ < 0 && !names_.isEmpty()) current_ = 0;
  }
  QStringList printerNames() const override { return names_; }
  int currentIndex() const override { return current_; }
  void setCurrentIndex(int index) override {
    if (index >= 0 && index < names_.size()) current_ = index;
  }

 private:
  QStringList names_;
  int current_ = -1;
};

}  // namespace

std::unique_ptr<printers::PrinterCatalog> makeSystemPrinterCatalog() {
  return std::make_unique<SystemPrinterCatalog>();
}

}  // namespace orba::shell
