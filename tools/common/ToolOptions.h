#pragma once

#include <cstdio>
#include <string_view>

namespace orba::tools {

// The options every command-line tool of the project understands: --help
// (or -h) prints the usage and succeeds; any other argument that starts
// with "-" is refused, so that a mistyped option is never taken for a file
// or folder name (give such a name as ./-name).
//
// Returns -1 when the tool should go on with its arguments, otherwise the
// exit status to end with.
inline int checkToolOptions(int argc, char** argv, const char* tool, const char* usage) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::fputs(usage, stdout);
      return 0;
    }
    if (argument.size() > 1 && argument[0] == '-') {
      std::fprintf(stderr, "%s: unknown option %s\n%s", tool, argv[i], usage);
      return 2;
    }
  }
  return -1;
}

}  // namespace orba::tools
