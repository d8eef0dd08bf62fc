#pragma once

#include <QObject>

#include "DatabaseError.h"
#include "Form.h"

namespace orba::controls {
class MessageList;
}

namespace orba::localization {

// What the user reads when the tables fail: one sentence in the user's
// language saying what failed in the user's words (the file, folder or field
// and what to do), then the technical detail. The sentences are the lines
// of this object's list, which the language tables translate like any
// window's ("ErrorTexts", memo "memErrors").
class ErrorTexts : public QObject, public controls::Form {
  Q_OBJECT
 public:
  explicit ErrorTexts(QObject* parent = nullptr);

  // Takes the sentences of a language table ("MainMenufr"); a table that
  // cannot be read keeps the current ones.
  void load(const QString& languageTable);

  // The sentence for the error, a blank line and its detail. An error the
  // sentences do not cover is its detail alone.
  QString describe(const data::DatabaseError& error) const;
  // The same, with the field named as the user sees it (a form's label
  // rather than the stored field's name).
  QString describe(const data::DatabaseError& error, const QString& fieldCaption) const;

 private:
  controls::MessageList* memErrors_;
};

}  // namespace orba::localization
