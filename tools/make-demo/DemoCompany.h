// The two demo companies: one French-speaking in Québec, one English-speaking
// in Ontario, so that both languages, both sales-tax regimes (GST + QST and
// HST) and a company password can be tried on one installation.
#pragma once

#include <span>
#include <string_view>

#include "DemoNames.h"

namespace orba::demo {

struct DemoCompany {
  int code;
  Lang lang;
  std::string_view name;
  std::string_view adr1;
  std::string_view adr2;
  std::string_view city;
  std::string_view province;
  std::string_view country;
  std::string_view postalCode;
  std::string_view telephone;
  std::string_view contact;
  std::string_view password;  // empty: anyone may switch to it
  int periods;                // 12 monthly or 13 four-week periods
  int currentPeriod;
  int dateFormat;  // 0 yyyy/mm/dd, 1 dd/mm/yyyy, 2 mm/dd/yyyy
  int stores;
};

inline constexpr DemoCompany kDemoCompanies[] = {
    {1, Lang::kFrench, "Les Entreprises Tremblay Ltée", "1450, rue Sainte-Catherine Est", "Bureau 300",
     "Montréal", "Québec", "Canada", "H2L 2H5", "(514) 555-0142", "Marie-Ève Tremblay", "", 12, 11, 1, 2},
    {2, Lang::kEnglish, "Northern Lights Trading Inc.", "88 Elm Street", "Unit 4", "Sudbury", "Ontario",
     "Canada", "P3C 1T7", "(705) 555-0188", "Heather MacDonald", "NORD2026", 13, 12, 2, 3},
};

inline std::span<const DemoCompany> demoCompanies() { return kDemoCompanies; }

}  // namespace orba::demo
