#include "ProgressDialog.h"

#include <unistd.h>

#include <QString>
#include <climits>
#include <cstdint>

#include "Messages.h"

namespace orba::shell {

ProgressDialog::ProgressDialog(std::vector<std::string> candidates) : candidates_(std::move(candidates)) {}

std::vector<std::string> ProgressDialog::defaultCandidates() {
  std::vector<std::string> out;
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (n > 0) {
    std::string exe(path, static_cast<std::size_t>(n));
    out.push_back(exe.substr(0, exe.rfind('/')) + "/loadingdlg.so");
  }
  out.push_back("loadingdlg.so");
  return out;
}

template <typename... Args>
void ProgressDialog::call(const char* routine, Args... args) {
  if (!library_.isLoaded()) return;
  using Routine = std::int32_t (*)(Args...);
  auto fn = reinterpret_cast<Routine>(library_.symbol(routine));
  if (!fn) return;
  if (fn(args...) == 0) controls::Messages::show(QStringLiteral("Access denied..."));
}

void ProgressDialog::open() {
  for (const std::string& candidate : candidates_) {
    library_ = candidate.find('/') != std::string::npos ? loader::SharedLibrary::loadFile(candidate)
                                                        : loader::SharedLibrary::loadByName(candidate);
    if (library_.isLoaded()) break;
  }
  call("loading_Dialog_open");
}

void ProgressDialog::setCaption(int number) {
  call("loading_Dialog_caption", static_cast<std::int32_t>(number));
}

void ProgressDialog::step() { call("loading_Dialog_step"); }

void ProgressDialog::close() {
  call("loading_Dialog_close");
  library_.unload();
}

}  // namespace orba::shell
