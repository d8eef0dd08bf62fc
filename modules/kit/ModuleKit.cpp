#include "ModuleKit.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QPrinterInfo>

#include "DatabaseError.h"
#include "DatabaseSession.h"
#include "DefaultPaths.h"
#include "ErrorTexts.h"
#include "SetCaptions.h"
#include "SettingsStore.h"
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
  languageTable() = QStringLiteral("MainMenu") + languageCode(link);
  data::DatabaseError::setDescriber(describe);
  // The same lock-control folder as the desktop: the raw datadrive setting.
  // The settings are read the way the desktop reads them (see ShellSettings).
  settings::SettingsStore store(settings::SettingsStore::defaultPaths());
  const QString drive =
      store.value(QStringLiteral("Orba"), QStringLiteral("datadrive"), settings::kDefaultDataDrive);
  session::setSharedLockDirectory(drive.toStdString());
  bool ok = false;
  const int wait = store.value(QStringLiteral("Orba"), QStringLiteral("LockWait"), QStringLiteral("5"))
                       .trimmed()
                       .toInt(&ok);
  data::Table::setLockWait(std::chrono::seconds(ok && wait >= 0 && wait <= 600 ? wait : 5));
}

void translate(QObject* form, const controls::ComponentList& components, const TLinkSection& link) {
  try {
    localization::SetCaptions(form, components, QStringLiteral("MainMenu") + languageCode(link));
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
