#include "DemoNames.h"

#include <cstdio>

namespace orba::demo {

namespace {

constexpr std::string_view kFirstFr[] = {
    "Marie-Ève", "Jean-François", "Geneviève", "Stéphane",  "Hélène",      "François", "Émilie",  "Benoît",
    "Josée",     "Frédéric",      "Mélanie",   "Sébastien", "Nathalie",    "Luc",      "Chantal", "André",
    "Véronique", "Jérôme",        "Isabelle",  "Gaétan",    "Andrée-Anne", "Réjean",   "Céline",  "Denis",
    "Annie",     "Mathieu",       "Karine",    "Éric",      "Sylvie",      "Noël",
};
constexpr std::string_view kFirstEn[] = {
    "John",    "Sarah",  "Michael", "Jennifer", "David",   "Emily",  "Robert", "Jessica", "James",  "Ashley",
    "William", "Megan",  "Daniel",  "Laura",    "Matthew", "Rachel", "Andrew", "Karen",   "Thomas", "Heather",
    "Chris",   "Amanda", "Kevin",   "Nicole",   "Brian",   "Susan",  "Ryan",   "Chloé",   "Zoë",    "Renée",
};
constexpr std::string_view kLastFr[] = {
    "Tremblay", "Gagnon",   "Roy",      "Côté",      "Bouchard", "Gauthier",  "Morin",    "Lavoie",
    "Fortin",   "Gagné",    "Ouellet",  "Pelletier", "Bélanger", "Lévesque",  "Bergeron", "Leblanc",
    "Paquette", "Girard",   "Simard",   "Boucher",   "Caron",    "Beaulieu",  "Cloutier", "Dubé",
    "Poirier",  "Fournier", "Lapointe", "Leclerc",   "Lefebvre", "Thériault",
};
constexpr std::string_view kLastEn[] = {
    "Smith",    "Brown",    "Wilson",   "MacDonald", "Taylor", "Campbell", "Anderson", "Johnston",
    "Stewart",  "Thompson", "Robinson", "Murray",    "Clarke", "Young",    "Mitchell", "Walker",
    "Fraser",   "Graham",   "Reid",     "Hughes",    "Kelly",  "Morrison", "Bennett",  "O'Brien",
    "Sinclair", "McKenzie", "Lefebvre", "Boucher",   "Côté",   "Nowak",
};
constexpr std::string_view kStreetsFr[] = {
    "rue Sainte-Catherine Est",
    "boulevard Saint-Laurent",
    "rue Saint-Denis",
    "avenue du Parc",
    "chemin de la Côte-des-Neiges",
    "rue Notre-Dame Ouest",
    "boulevard René-Lévesque",
    "rue Principale",
    "rang Saint-Joseph",
    "avenue des Érables",
    "rue de l'Église",
    "boulevard Henri-Bourassa",
    "rue Sherbrooke Ouest",
    "chemin du Lac",
    "rue Bélanger",
};
constexpr std::string_view kStreetsEn[] = {
    "King Street West", "Queen Street East", "Yonge Street",  "Main Street",       "Elm Street",
    "Lakeshore Road",   "Bay Street",        "Regent Street", "Lasalle Boulevard", "Paris Street",
    "Dundas Street",    "Maple Avenue",      "Church Street", "Wellington Street", "Côté Boulevard",
};
constexpr Place kPlacesFr[] = {
    {"Montréal", "QC", "H2X", "514"},       {"Montréal", "QC", "H3B", "514"},
    {"Laval", "QC", "H7N", "450"},          {"Longueuil", "QC", "J4K", "450"},
    {"Québec", "QC", "G1R", "418"},         {"Lévis", "QC", "G6V", "418"},
    {"Trois-Rivières", "QC", "G9A", "819"}, {"Sherbrooke", "QC", "J1H", "819"},
    {"Gatineau", "QC", "J8X", "819"},       {"Saint-Jérôme", "QC", "J7Z", "450"},
    {"Rimouski", "QC", "G5L", "418"},       {"Boucherville", "QC", "J4B", "450"},
    {"Ottawa", "ON", "K1P", "613"},         {"Hawkesbury", "ON", "K6A", "613"},
};
constexpr Place kPlacesEn[] = {
    {"Sudbury", "ON", "P3E", "705"},          {"Sudbury", "ON", "P3A", "705"},
    {"North Bay", "ON", "P1B", "705"},        {"Timmins", "ON", "P4N", "705"},
    {"Sault Ste. Marie", "ON", "P6A", "705"}, {"Toronto", "ON", "M5V", "416"},
    {"Toronto", "ON", "M4E", "416"},          {"Ottawa", "ON", "K1P", "613"},
    {"Barrie", "ON", "L4M", "705"},           {"London", "ON", "N6A", "519"},
    {"Hamilton", "ON", "L8P", "905"},         {"Thunder Bay", "ON", "P7B", "807"},
    {"Rouyn-Noranda", "QC", "J9X", "819"},    {"Gatineau", "QC", "J8X", "819"},
};

constexpr std::string_view kTradesFr[] = {
    "Boulangerie",
    "Quincaillerie",
    "Garage",
    "Dépanneur",
    "Pharmacie",
    "Menuiserie",
    "Plomberie",
    "Électricité",
    "Rénovations",
    "Fromagerie",
    "Imprimerie",
    "Transport",
    "Toitures",
    "Érablière",
    "Pâtisserie",
    "Café",
    "Clinique vétérinaire",
    "Excavation",
};
constexpr std::string_view kTradesEn[] = {
    "Plumbing",          "Hardware",      "Auto Repair", "Bakery",   "Electric",
    "Roofing",           "Landscaping",   "Printing",    "Trucking", "Lumber",
    "Outfitters",        "Mining Supply", "Pharmacy",    "Café",     "Construction",
    "Heating & Cooling", "Marine",        "Pet Clinic",
};
constexpr std::string_view kSuffixFr[] = {"inc.", "ltée", "enr.", "& Fils", "S.E.N.C.", ""};
constexpr std::string_view kSuffixEn[] = {"Ltd.", "Inc.", "Corp.", "& Sons", "Co.", ""};

template <typename T, size_t N>
std::span<const T> all(const T (&items)[N]) {
  return std::span<const T>(items, N);
}

}  // namespace

std::span<const std::string_view> firstNames(Lang l) {
  return l == Lang::kFrench ? all(kFirstFr) : all(kFirstEn);
}
std::span<const std::string_view> lastNames(Lang l) {
  return l == Lang::kFrench ? all(kLastFr) : all(kLastEn);
}
std::span<const std::string_view> streets(Lang l) {
  return l == Lang::kFrench ? all(kStreetsFr) : all(kStreetsEn);
}
std::span<const Place> places(Lang l) { return l == Lang::kFrench ? all(kPlacesFr) : all(kPlacesEn); }

std::string personName(Random& rng, Lang lang) {
  const std::string first(rng.pick(firstNames(lang)));
  return first + " " + std::string(rng.pick(lastNames(lang)));
}

std::string businessName(Random& rng, Lang lang) {
  const std::string last(rng.pick(lastNames(lang)));
  std::string name;
  if (lang == Lang::kFrench) {
    name = std::string(rng.pick(all(kTradesFr))) + " " + last;
    const std::string_view suffix = rng.pick(all(kSuffixFr));
    if (!suffix.empty()) name += " " + std::string(suffix);
  } else {
    name = last + " " + std::string(rng.pick(all(kTradesEn)));
    const std::string_view suffix = rng.pick(all(kSuffixEn));
    if (!suffix.empty()) name += " " + std::string(suffix);
  }
  return name;
}

std::string streetAddress(Random& rng, Lang lang) {
  const int number = rng.between(1, 9999);
  const std::string street(rng.pick(streets(lang)));
  return lang == Lang::kFrench ? std::to_string(number) + ", " + street
                               : std::to_string(number) + " " + street;
}

std::string postalCode(Random& rng, const Place& place) {
  // Canadian postal codes never use D, F, I, O, Q or U.
  static constexpr char kLetters[] = "ABCEGHJKLMNPRSTVWXYZ";
  std::string code(place.postalPrefix);
  code += ' ';
  code += static_cast<char>('0' + rng.between(0, 9));
  code += kLetters[rng.between(0, 19)];
  code += static_cast<char>('0' + rng.between(0, 9));
  return code;
}

std::string phone(Random& rng, const Place& place) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "(%.*s) 555-01%02d", static_cast<int>(place.areaCode.size()),
                place.areaCode.data(), rng.between(0, 99));
  return buf;
}

std::string asciiHandle(std::string_view text) {
  // Accented letters of the name lists are two-byte UTF-8 sequences starting
  // with 0xC3; the second byte tells the base letter.
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == 0xC3 && i + 1 < text.size()) {
      const auto n = static_cast<unsigned char>(text[++i]) | 0x20;  // fold case
      if (n >= 0xA0 && n <= 0xA5)
        out += 'a';
      else if (n == 0xA7)
        out += 'c';
      else if (n >= 0xA8 && n <= 0xAB)
        out += 'e';
      else if (n >= 0xAC && n <= 0xAF)
        out += 'i';
      else if (n >= 0xB2 && n <= 0xB6)
        out += 'o';
      else if (n >= 0xB9 && n <= 0xBC)
        out += 'u';
    } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      out += static_cast<char>(c);
    } else if (c >= 'A' && c <= 'Z') {
      out += static_cast<char>(c - 'A' + 'a');
    }
  }
  return out;
}

std::string_view provinceName(std::string_view code, Lang lang) {
  const bool fr = lang == Lang::kFrench;
  if (code == "QC") return "Québec";
  if (code == "ON") return "Ontario";
  if (code == "NB") return fr ? "Nouveau-Brunswick" : "New Brunswick";
  return code;
}

}  // namespace orba::demo
