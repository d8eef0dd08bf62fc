#pragma once

namespace orba::dispatch {

// The main window's messages, by their line in its Error_Messages list.
// The lines come from the language tables, so these numbers are part of the
// tables' contents: a message is never shown by a bare number.
enum class ErrorMessage : int {
  PictureNotLoaded = 0,        // the wallpaper picture cannot be read
  ShortcutExists = 1,          // a shortcut icon for this option exists already
  ModuleSuffixFirst = 3,       // 3 + module number: " (General ledger)" ...
  NoTrackerAccount = 13,       // a tracker option with no account open
  PayrollLibraryMissing = 14,  // a library the payroll module needs is missing
  PayrollFilesMissing = 15,    // the company's payroll files are not set up
  Title = 16,                  // the caption text of the main window
  NoRight = 17,                // an icon or list key for an option the user may not run
  JobCostFilesMissing = 19,    // the company's job-cost files are not set up
  SettingsUnusable = 20,       // "The settings file %1 %2. The default settings are used."
  SettingsProblemFirst = 21,   // 21 + the problem\'s kind: what %2 says of the file
  DesktopRowsSkipped = 29,     // "Part of the stored desktop of %1 could not be restored ..."
  DesktopNotSaved = 30,        // "The desktop could not be saved: %1"
  DesktopRowProblem = 31,      // "kind %1, index %2: %3", one line per skipped row
  NoCompanyCreated = 32,       // the first start ended without a company
  ToolFolderMissing = 33,      // "The working folder %1 of this tool does not exist."
  ToolProgramNotFound = 34,    // "The program %1 was not found (looked for in %2)."
  ToolProgramNotStarted = 35,  // "The program %1 could not be started: %2"
  Retry = 36,                  // the buttons of the question after a desktop not saved at close
  QuitWithoutSaving = 37,
  Cancel = 38,
  NoPrinter = 39,   // printing the to-do list with no printer set up
  NotPrinted = 40,  // "The list could not be printed on %1."
};

constexpr int lineOf(ErrorMessage message) { return static_cast<int>(message); }

// What the desktop says of a module's own run, by their line in the main
// window's Module_Messages list, which the language tables fill too.
enum class ModuleMessage : int {
  AccessDenied = 0,  // "Access denied...": the module refused to run
  ModuleFailed = 1,  // "The module %1 failed.": something not an exception escaped it
};

constexpr int lineOf(ModuleMessage message) { return static_cast<int>(message); }

// The suffix that follows the caption of a module's options in the option
// catalogue: line 3 + the module number (the module menu's Tag).
constexpr int moduleSuffixLine(int module) { return lineOf(ErrorMessage::ModuleSuffixFirst) + module; }

}  // namespace orba::dispatch
