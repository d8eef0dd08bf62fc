#pragma once

#include <QString>

#include "castellan/linku.h"

namespace orba::dispatch {

// The program-wide TLinkSection and the strings it points at.
//
// The record is handed to module libraries by value, so its string fields are
// raw pointers into blocks this class allocates (reference count, length,
// text, NUL). Replacing a field releases the old block; destroying the record
// releases all of them.
class LinkRecord {
 public:
  enum class Field {
    LoginName,
    UserName,
    Reserved1,
    CompanyNumber,
    CompanyName,
    PrinterIndex,
    Reserved2,
    Customer,
    ProgramDir,
    DataDir,
    Reserved3,
    Reserved4,
    Reserved5,
    OptionContext
  };

  LinkRecord();
  ~LinkRecord();
  LinkRecord(const LinkRecord&) = delete;
  LinkRecord& operator=(const LinkRecord&) = delete;

  static LinkRecord& instance();

  // An empty text stores a null pointer, the empty string of the record.
  void set(Field field, const QString& text);
  QString get(Field field) const;

  // Sets the number and the two-letter code that goes with it: 1 "en",
  // 2 "fr", anything else an empty code.
  void setLanguage(int number);
  void setLanguageNumber(int number) { rec_.Language = number; }
  // Only the first two characters are kept.
  void setLanguageCode(const QString& code);
  int language() const { return rec_.Language; }
  QString languageCode() const;

  void setReservedFlag(bool flag) { rec_.ReservedFlag = flag ? 1 : 0; }
  void setUserDetail(int detail) { rec_.UserDetail = detail; }

  // The record as a module receives it.
  const TLinkSection& section() const { return rec_; }

  // Blocks allocated and not yet released, across the process.
  static long liveStrings();

 private:
  OrbaString& slot(Field field);
  OrbaString slot(Field field) const;

  TLinkSection rec_;
};

}  // namespace orba::dispatch
