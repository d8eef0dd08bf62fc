#pragma once

// The record the desktop hands a module library, made by the desktop's own
// LinkRecord: a user logged in to company 1 of an installation. Fields can
// be changed through record() before the call.

#include <QString>

#include "LinkRecord.h"

class ModuleLink {
 public:
  // language: 1 English, 2 French.
  ModuleLink(const QString& programDir, const QString& dataDir, int language = 1,
             const QString& userName = QStringLiteral("Marie-Ève Tremblay"));

  orba::dispatch::LinkRecord& record() { return link_; }
  ModuleLink& set(orba::dispatch::LinkRecord::Field field, const QString& text);
  operator const TLinkSection&() const { return link_.section(); }

 private:
  orba::dispatch::LinkRecord link_;
};
