#include "ModuleKit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QPrinterInfo>
#include <stdexcept>

#include "DatabaseError.h"
#include "DatabaseSession.h"
#include "ErrorTexts.h"
#include "SetCaptions.h"
#include "SettingsStore.h"
#include "StorageSettings.h"
#include "Table.h"

namespace orba::kit {

QString text(OrbaString s) { return s ? QString::fromUtf8(s) : QString(); }

QString languageCode(const TLinkSection& link) {
  return QString::fromLatin1(link.LanguageCode.chars, qMin<int>(link.LanguageCode.length, 2));
}

QString companyDir(const TLinkSection& link) { return text(link.DataDir) + text(link.CompanyNumber); }

QString dataDir(const TLinkSection& link) { return text(link.DataDir); }

namespace {
// The language table of the module's run, for describe().
QString& languageTable() {
  static QString table;
  return table;
}
}  // namespace

void prepare(const TLinkSection& link) {
  localization::setProgramDirectory(text(link.ProgramDir));
  languageTable() = QString::fromLatin1("MainMenu") + languageCode(link);
  data::DatabaseError::setDescriber(describe);
  // The same lock-control folder and lock wait as the desktop.
  const settings::StorageSettings storage =
      settings::readStorageSettings(settings::SettingsStore(settings::SettingsStore::defaultPaths()));
  session::setSharedLockDirectory(storage.dataDrive.toStdString());
  data::Table::setLockWait(std::chrono::seconds(storage.lockWaitSeconds));
}

std::int32_t run(const TLinkSection& link, const std::function<std::int32_t()>& module) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
  try {
    prepare(link);
    return module();
  } catch (const std::exception& e) {
    throw std::runtime_error(e.what());
  } catch (...) {
    throw std::runtime_error("The module failed.");
  }
}

void translate(QObject* form, const controls::ComponentList& components, const TLinkSection& link) {
  try {
    localization::SetCaptions(form, components, QString::fromLatin1("MainMenu") + languageCode(link));
  } catch (const data::DatabaseError&) {
    // Without its language table the window keeps its design texts.
  }
}

QString describe(const data::DatabaseError& error) {
  // Read when an error is told, which is seldom: the module keeps no window
  // of its own alive between calls.
  localization::ErrorTexts texts;
  if (!languageTable().isEmpty()) texts.load(languageTable());
  return texts.describe(error);
}

QString printerName(const TLinkSection& link) {
  bool ok = false;
  const int index = text(link.PrinterIndex).toInt(&ok);
  if (!ok) return {};
  return QPrinterInfo::availablePrinterNames().value(index);
}

namespace {

// The grid's Enter, before the grid (which would pass it on to the window).
class EnterOpens : public QObject {
 public:
  EnterOpens(QAbstractItemView* grid, std::function<void()> open) : QObject(grid), open_(std::move(open)) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
        (key->modifiers() & ~Qt::KeypadModifier))
      return false;
    auto* grid = static_cast<QAbstractItemView*>(parent());
    if (grid->currentIndex().isValid()) open_();
    return true;
  }

 private:
  std::function<void()> open_;
};

}  // namespace

void openOnEnter(QAbstractItemView* grid, std::function<void()> open) {
  grid->installEventFilter(new EnterOpens(grid, std::move(open)));
}

}  // namespace orba::kit
