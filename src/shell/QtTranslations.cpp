#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QtDebug>

namespace orba::shell {

QtTranslations::QtTranslations() = default;

QtTranslations::~QtTranslations() {
  if (translator_ && QCoreApplication::instance()) QCoreApplication::removeTranslator(translator_.get());
}

QString QtTranslations::folder() { return QLibraryInfo::path(QLibraryInfo::TranslationsPath); }

bool QtTranslations::use(const QString& languageCode) {
  const QString code = languageCode.left(2).toLower();
  if (code == current_) return true;
  // Removing the old translator sends every widget a language change, as
  // installing the new one does: what is on screen follows.
  if (translator_) QCoreApplication::removeTranslator(translator_.get());
  translator_.reset();
  current_.clear();
  // Qt speaks English by itself.
  if (code.isEmpty() || code == QLatin1String("en")) return true;
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QStringLiteral("qtbase_") + code, folder())) {
    // Not a reason to stop: Qt's dialogs and menus stay in English.
    qWarning().noquote() << "Qt's translation qtbase_" + code << "was not found in" << folder()
                         << "(package qt6-translations-l10n); Qt's own texts stay in English.";
    return false;
  }
  QCoreApplication::installTranslator(translator.get());
  translator_ = std::move(translator);
  current_ = code;
  return true;
}

}  // namespace orba::shell
