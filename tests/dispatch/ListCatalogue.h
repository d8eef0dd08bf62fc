#pragma once

#include "OptionCatalogue.h"

// An option catalogue held in two plain lists, for the tests of the
// dispatch (the desktop's lives in the shortcut dialog).
class ListCatalogue : public orba::dispatch::OptionCatalogue {
 public:
  QStringList names() const override { return names_; }
  QStringList codes() const override { return codes_; }
  void clear() override {
    names_.clear();
    codes_.clear();
  }
  void append(const QString& name, const QString& code) override {
    names_ << name;
    codes_ << code;
  }

 private:
  QStringList names_, codes_;
};
