#include "ToDoPrinting.h"

#include <QFont>
#include <QPrinter>
#include <QTextDocument>

#include "PrinterCatalog.h"

namespace orba::shell {

ToDoPrinted printToDoList(const QString& title, const QString& text) {
  const printers::PrinterCatalog& catalog = printers::PrinterCatalog::instance();
  const QString name = catalog.currentName();
  if (catalog.printerNames().isEmpty() || name.isEmpty()) return ToDoPrinted::NoPrinter;
  QPrinter printer(QPrinter::HighResolution);
  printer.setPrinterName(name);
  // A printer the print system no longer knows (removed since the program
  // started) is told, not silently replaced by another.
  if (!printer.isValid() || printer.printerName() != name) return ToDoPrinted::Failed;
  printer.setDocName(title);
  QTextDocument document;
  document.setDefaultFont(QFont(QStringLiteral("Arial"), 10));
  document.setPlainText(title + QStringLiteral("\n\n") + text);
  document.print(&printer);
  return printer.printerState() == QPrinter::Error ? ToDoPrinted::Failed : ToDoPrinted::Printed;
}

}  // namespace orba::shell
