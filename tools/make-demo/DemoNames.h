// Name parts the demo builds people, businesses and places from. Each list
// comes in the two languages of the demo companies so that the French company
// mostly deals with Québec and the English one mostly with Ontario.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "DemoRandom.h"

namespace orba::demo {

enum class Lang { kFrench, kEnglish };

struct Place {
  std::string_view city;
  std::string_view province;      // two-letter code
  std::string_view postalPrefix;  // first three characters of the postal code
  std::string_view areaCode;
};

std::span<const std::string_view> firstNames(Lang lang);
std::span<const std::string_view> lastNames(Lang lang);
std::span<const std::string_view> streets(Lang lang);
std::span<const Place> places(Lang lang);

// "Marie-Ève Côté"
std::string personName(Random& rng, Lang lang);
// "Boulangerie Gagnon inc.", "Smith Plumbing Ltd."
std::string businessName(Random& rng, Lang lang);
// "1234, rue Sainte-Catherine Est", "56 King Street West"
std::string streetAddress(Random& rng, Lang lang);
// "H2X 1Y4" from the place's prefix.
std::string postalCode(Random& rng, const Place& place);
// "(514) 555-0123": 555-01xx numbers are reserved for fiction.
std::string phone(Random& rng, const Place& place);
// Lower-case ASCII for e-mail addresses: "Côté & Fils" -> "cotefils".
std::string asciiHandle(std::string_view text);
// Province names as the province field shows them.
std::string_view provinceName(std::string_view code, Lang lang);

}  // namespace orba::demo
