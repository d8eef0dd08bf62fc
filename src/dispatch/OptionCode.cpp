#include "OptionCode.h"

namespace orba::dispatch {

OptionRequest normalizeOptionCode(const QString& received) {
  OptionRequest r{received, false};
  if (r.code.toUpper() != QLatin1String("MCOMP") && r.code.endsWith(QLatin1Char('p'))) r.code.chop(1);
  if (r.code.endsWith(QLatin1Char('f'))) r.code.chop(1);
  if (r.code.endsWith(QLatin1Char('S'))) {
    r.code.chop(1);
    r.fromShortcut = true;
  }
  return r;
}

QString moduleLibraryName(const QString& code, QString* context) {
  struct Shared {
    const char* code;
    const char* library;
    const char* context;
  };
  static constexpr Shared kShared[] = {
      {"gl19", "gl19", "gl"}, {"gl18", "gl18", "gl"},  {"ap07", "gl19", "ap"},  {"ap071", "gl18", "ap"},
      {"ar09", "gl19", "ar"}, {"ar091", "gl18", "ar"}, {"pa301", "gl19", "pa"}, {"pa3011", "gl18", "pa"},
      {"iv05", "gl19", "iv"}, {"iv051", "gl18", "iv"}, {"fa15", "gl19", "sv"},  {"fa18", "gl18", "sv"},
      {"cf08", "gl19", "sa"}, {"cf10", "gl18", "sa"},
  };
  for (const Shared& s : kShared) {
    if (code == QLatin1String(s.code)) {
      if (context) *context = QString::fromLatin1(s.context);
      return QString::fromLatin1(s.library);
    }
  }
  return code;
}

}  // namespace orba::dispatch
