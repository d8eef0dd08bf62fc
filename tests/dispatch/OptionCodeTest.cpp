// The small rules of the dispatch, one table each: how a received code is
// reduced to its option, which library runs it, and how the catalogue's
// code list is matched. Which bit grants an option: RightsMapTest.

#include <gtest/gtest.h>

#include "ListCatalogue.h"
#include "OptionCode.h"

using namespace orba::dispatch;

TEST(OptionCode, NormalisationStripsPThenFThenS) {
  struct Case {
    const char* received;
    const char* code;
    bool fromShortcut;
  };
  const Case cases[] = {
      {"gl03", "gl03", false},
      {"gl03f", "gl03", false},
      {"gl03S", "gl03", true},
      {"gl03p", "gl03", false},
      {"gl03fS", "gl03f", true},
      {"gl03pf", "gl03p", false},
      {"gl03Sf", "gl03", true},  // the "f" goes, then the "S" is last
      {"mcomp", "mcomp", false},
      {"MCOMP", "MCOMP", false},
      {"mcompS", "mcomp", true},
      {"ar01S", "ar01", true},
      {"pa1004", "pa1004", false},
      {"p", "", false},
      {"S", "", true},
      {"", "", false},
      {"gl03s", "gl03s", false},
      {"gl03F", "gl03F", false},
  };
  for (const Case& c : cases) {
    const OptionRequest r = normalizeOptionCode(c.received);
    EXPECT_EQ(r.code, c.code) << c.received;
    EXPECT_EQ(r.fromShortcut, c.fromShortcut) << c.received;
  }
}

TEST(OptionCode, SharedReportOptionsRunTheLedgersLibrariesWithTheirModule) {
  struct Case {
    const char* code;
    const char* library;
    const char* context;  // nullptr: left as it was
  };
  const Case cases[] = {
      {"gl19", "gl19", "gl"},    {"gl18", "gl18", "gl"},   {"ap07", "gl19", "ap"},
      {"ap071", "gl18", "ap"},   {"ar09", "gl19", "ar"},   {"ar091", "gl18", "ar"},
      {"pa301", "gl19", "pa"},   {"pa3011", "gl18", "pa"}, {"iv05", "gl19", "iv"},
      {"iv051", "gl18", "iv"},   {"fa15", "gl19", "sv"},   {"fa18", "gl18", "sv"},
      {"cf08", "gl19", "sa"},    {"cf10", "gl18", "sa"},   {"gl03", "gl03", nullptr},
      {"AP07", "AP07", nullptr}, {"ap0", "ap0", nullptr},  {"Createdatabase1", "Createdatabase1", nullptr},
  };
  for (const Case& c : cases) {
    QString context = "kept";
    EXPECT_EQ(moduleLibraryName(c.code, &context), c.library) << c.code;
    EXPECT_EQ(context, c.context ? c.context : "kept") << c.code;
  }
}

TEST(OptionCatalogue, AllowsWholeLinesOnly) {
  ListCatalogue catalogue;
  for (const char* code : {"ar091", "ap071", "pa3011", "iv051", "fa020", "", "gl03"})
    catalogue.append("x", code);
  struct Case {
    const char* code;
    bool allowed;
  };
  const Case cases[] = {{"ar091", true}, {"ar09", false}, {"ap07", false},       {"pa301", false},
                        {"iv05", false}, {"fa02", false}, {"gl03", true},        {"gl0", false},
                        {"", false},     {"GL03", false}, {"gl03\nar091", false}};
  for (const Case& c : cases) EXPECT_EQ(catalogue.allows(c.code), c.allowed) << c.code;
}
