#pragma once

#include <QString>
#include <optional>

#include "ErrorMessages.h"

namespace orba::dispatch {

// What the user is told after an option: a line of the main window's
// messages, a line of its module messages, or a text as it stands.
struct Notice {
  enum class Style { Plain, Information, Error };
  Style style = Style::Plain;
  std::optional<ErrorMessage> message;
  // For a module message, `text` holds its English wording, shown when the
  // list has no such line; `argument` fills its %1.
  QString text;
  std::optional<ModuleMessage> moduleMessage;
  QString argument;

  static Notice line(ErrorMessage message, Style style = Style::Plain) {
    Notice n;
    n.style = style;
    n.message = message;
    return n;
  }
  static Notice plain(const QString& text) {
    Notice n;
    n.text = text;
    return n;
  }
  static Notice error(const QString& text) {
    Notice n;
    n.style = Style::Error;
    n.text = text;
    return n;
  }
  static Notice module(ModuleMessage message, Style style, const QString& english,
                       const QString& argument = {}) {
    Notice n;
    n.style = style;
    n.moduleMessage = message;
    n.text = english;
    n.argument = argument;
    return n;
  }
};

// How one run of an option ended, and what the desktop must bring up to
// date afterwards, in this order: the companies table, the company menu,
// the tracker menu, the Tools menu, the international wording, the caption.
struct RunReport {
  enum class Outcome {
    Ran,         // the module was called (it may have refused: see notice)
    Stopped,     // a check stopped the option before any library was loaded
    LoadFailed,  // the library could not be loaded
    Failed,      // an error escaped from the module; it was unloaded all the same
  };
  Outcome outcome = Outcome::Ran;
  std::optional<Notice> notice;

  bool refreshCompanies = false;            // a module ran and may have changed comp.db
  bool rebuildCompanyMenu = false;          // after company maintenance
  bool reloadTrackerMenu = false;           // after tracker database creation
  bool reloadToolsMenu = false;             // after the Tools menu's maintenance ran
  bool reloadInternationalWording = false;  // after parameters maintenance
  bool setCaption = false;                  // the closing steps ran
};

}  // namespace orba::dispatch
