#include "CommandLine.h"

#include <string_view>

namespace orba::shell {

namespace {

const char kUsage[] =
    "usage: orba [--help | --version]\n"
    "Starts the Castellan/Orba desktop: the login, the menus of the accounting modules the\n"
    "user's rights allow, and the user's own desktop. It needs a graphical session.\n"
    "\n"
    "  -h, --help     print this help and exit\n"
    "  --version      print the version and exit\n"
    "Qt's own options (-platform, -style, ...) are accepted.\n"
    "\n"
    "Settings, in the [Orba] section of the settings files:\n"
    "  pgmdrive       the root of the program folder, pgmdrive/Orba/bin\n"
    "                 (default " ORBA_DEFAULT_PGMDRIVE
    ")\n"
    "  datadrive      the root of the data: the system tables in datadrive/Orba/data,\n"
    "                 company N in datadrive/Orba/dataN\n"
    "                 (default " ORBA_DEFAULT_DATADRIVE
    ")\n"
    "Environment:\n"
    "  ORBA_SETTINGS       the machine-wide settings file (default /etc/castellan/orba.ini)\n"
    "  ORBA_USER_SETTINGS  the per-user settings file, read first\n"
    "                      (default ~/.config/castellan/orba.ini)\n"
    "See orba(1).\n";

}  // namespace

std::optional<int> answerCommandLine(int argc, const char* const* argv, const std::string& version,
                                     std::FILE* out) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::fputs(kUsage, out);
      return 0;
    }
    if (argument == "--version") {
      std::fprintf(out, "orba (Castellan/Orba) %s\n", version.c_str());
      return 0;
    }
  }
  return std::nullopt;
}

std::string versionText(const std::uint16_t (&numbers)[4]) {
  return std::to_string(numbers[0]) + '.' + std::to_string(numbers[1]) + '.' + std::to_string(numbers[2]) +
         '.' + std::to_string(numbers[3]);
}

}  // namespace orba::shell
