#pragma once

#include <QStringList>
#include <memory>

namespace orba::printers {

// The system's printer list and the process-wide current printer.
//
// The current index is -1 when there is no printer at all, or none is
// current; the desktop then shows an empty printer menu.
class PrinterCatalog {
 public:
  virtual ~PrinterCatalog() = default;
  virtual QStringList printerNames() const = 0;
  virtual int currentIndex() const = 0;
  // Ignored when out of range.
  virtual void setCurrentIndex(int index) = 0;
  QString currentName() const;

  // The catalogue the program uses: the one installed, or an empty list.
  static PrinterCatalog& instance();
  static bool hasInstance();
  // Replaces it (tests supply a fixed list); takes ownership.
  static void setInstance(std::unique_ptr<PrinterCatalog> catalog);
};

// A fixed list, the first printer current.
class FixedPrinterCatalog : public PrinterCatalog {
 public:
  explicit FixedPrinterCatalog(QStringList names, int current = 0);
  QStringList printerNames() const override { return names_; }
  int currentIndex() const override { return current_; }
  void setCurrentIndex(int index) override;

 private:
  QStringList names_;
  int current_;
};

}  // namespace orba::printers
