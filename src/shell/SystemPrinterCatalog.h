#pragma once

#include <memory>

#include "PrinterCatalog.h"

namespace orba::shell {

// The printers known to the print system (CUPS, through Qt's print support).
std::unique_ptr<printers::PrinterCatalog> makeSystemPrinterCatalog();

}  // namespace orba::shell
