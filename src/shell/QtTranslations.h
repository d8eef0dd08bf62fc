#pragma once

#include <QString>
#include <memory>

class QTranslator;

namespace orba::shell {

// Qt's own texts in the user's language: the file dialogs ("Regarder dans :",
// "Nom de fichier :"), the standard buttons of message boxes and the context
// menu of every text field come from Qt, not from the language tables. Qt
// ships them as qtbase_<code>.qm in its translations folder (Debian's
// qt6-translations-l10n); one translator holds the current language's and is
// replaced when the language changes, so that open windows follow at once.
class QtTranslations {
 public:
  QtTranslations();
  ~QtTranslations();
  QtTranslations(const QtTranslations&) = delete;
  QtTranslations& operator=(const QtTranslations&) = delete;

  // Installs Qt's translation for a language code ("fr"); English, or a
  // language Qt has no translation for, leaves Qt's own English texts.
  // Returns false when a translation was wanted and could not be read.
  bool use(const QString& languageCode);
  // The language whose translation is installed; empty for Qt's English.
  const QString& current() const { return current_; }

  // Where Qt's translations are looked for (Qt's translations folder).
  static QString folder();

 private:
  std::unique_ptr<QTranslator> translator_;
  QString current_;
};

}  // namespace orba::shell
