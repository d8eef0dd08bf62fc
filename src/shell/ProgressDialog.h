#pragma once

#include <string>
#include <vector>

#include "SharedLibrary.h"

namespace orba::shell {

// The start-up progress dialog, which lives in the separate library
// loadingdlg.so and is driven through four exported routines:
//
//   int32_t loading_Dialog_open(void);
//   int32_t loading_Dialog_caption(int32_t number);
//   int32_t loading_Dialog_step(void);
//   int32_t loading_Dialog_close(void);
//
// Each routine is looked up by name just before it is called; a routine the
// library does not export is skipped. A routine that returns 0 gets the
// message "Access denied..." and start-up goes on. Without the library every
// call does nothing.
class ProgressDialog {
 public:
  // Tried in order until one loads: absolute paths as they are, bare names
  // through the system's library search.
  explicit ProgressDialog(std::vector<std::string> candidates);

  // The library beside the running executable, then by name.
  static std::vector<std::string> defaultCandidates();

  void open();
  void setCaption(int number);
  void step();
  // Closes the dialog and unloads the library, also when closing failed.
  void close();

  bool isLoaded() const { return library_.isLoaded(); }

 private:
  template <typename... Args>
  void call(const char* routine, Args... args);

  std::vector<std::string> candidates_;
  loader::SharedLibrary library_;
};

}  // namespace orba::shell
