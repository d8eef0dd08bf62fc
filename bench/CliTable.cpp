#include "CliTable.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "TableSchemas.h"
#include "paradox/TableWriter.h"

namespace orba::bench {

namespace {

using pdx::FieldDef;
using pdx::Value;

// splitmix64: small, fast and the same on every machine, so a record number
// always gives the same record.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
  bool Percent(uint32_t p) { return Below(100) < p; }
  template <size_t N>
  const char* Pick(const char* const (&list)[N]) {
    return list[Below(N)];
  }

 private:
  uint64_t state_;
};

// Every character used below is one byte in code page 1252, so counting code
// points counts stored bytes.
std::string Fit(std::string s, size_t width) {
  size_t points = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue;
    if (++points > width) {
      s.resize(i);
      break;
    }
  }
  return s;
}

const char* const kTrades[] = {
    "Boulangerie",       "Quincaillerie",    "Garage",           "Pharmacie",  "Librairie",
    "Épicerie",          "Transport",        "Construction",     "Ferme",      "Atelier",
    "Northern Supply",   "Maple Leaf Foods", "Lakeshore Marine", "Café",       "Hôtel",
    "Clinique dentaire", "Cordonnerie",      "Fromagerie",       "Pâtisserie", "Électricité",
    "Plomberie",         "Forêt boréale",    "Bâtiments"};
const char* const kSurnames[] = {"Lévesque", "Bélanger", "Côté",     "Gagné",     "Pelletier", "Thériault",
                                 "Ménard",   "Brûlé",    "Smith",    "O'Brien",   "MacDonald", "Tremblay",
                                 "Gauthier", "Bérubé",   "Lefèbvre", "Séguin",    "Wilson",    "Desrochers",
                                 "Nadeau",   "Beaulieu", "Poirier",  "Fréchette", "Campbell",  "Dufour"};
// The same surnames without accents, for e-mail addresses.
const char* const kSurnamesAscii[] = {
    "levesque", "belanger",   "cote",      "gagne",    "pelletier", "theriault", "menard",   "brule",
    "smith",    "obrien",     "macdonald", "tremblay", "gauthier",  "berube",    "lefebvre", "seguin",
    "wilson",   "desrochers", "nadeau",    "beaulieu", "poirier",   "frechette", "campbell", "dufour"};
static_assert(std::size(kSurnames) == std::size(kSurnamesAscii));
const char* const kSuffixes[] = {"inc.", "ltée", "& Fils", "Ltd.", "enr.", "S.E.N.C.", "Co.", ""};
const char* const kFirstNames[] = {"Hélène", "François", "Jérôme", "Mélanie", "André",    "Geneviève",
                                   "John",   "Mary",     "Noël",   "Zoé",     "Stéphane", "Josée",
                                   "Robert", "Chloé",    "Benoît", "Karen",   "Frédéric"};
const char* const kStreets[] = {"rue Saint-Hubert",
                                "boulevard René-Lévesque Ouest",
                                "chemin de la Côte-des-Neiges",
                                "avenue du Parc",
                                "Main Street",
                                "King Street West",
                                "rang Saint-Édouard",
                                "rue Sainte-Thérèse",
                                "boulevard des Forges",
                                "Queen Street East",
                                "rue de l'Église",
                                "montée Sainte-Marie",
                                "chemin du Lac-à-l'Eau-Claire"};
const char* const kUnits[] = {"bureau 210", "Suite 400", "app. 3", "C.P. 1234", "local 1-B", "2e étage"};
const char* const kCities[] = {"Montréal",     "Québec",      "Trois-Rivières", "Sherbrooke",
                               "Saint-Jérôme", "Lévis",       "Gatineau",       "Rimouski",
                               "Toronto",      "Ottawa",      "Moncton",        "Sept-Îles",
                               "Chicoutimi",   "Baie-Comeau", "Val-d'Or",       "Kingston"};
const char* const kProvinces[] = {
    "Québec", "Ontario", "Nouveau-Brunswick", "Manitoba", "Colombie-Britannique", "Nova Scotia"};
const char* const kCountries[] = {"Canada", "Canada", "Canada",     "Canada",
                                  "Canada", "France", "États-Unis", "United States"};
const char* const kDomains[] = {"videotron.ca", "bell.net",    "gmail.com",
                                "sympatico.ca", "outlook.com", "cogeco.ca"};
const char* const kBanks[] = {"Banque Nationale du Canada",
                              "Caisse Desjardins de Lévis",
                              "Royal Bank of Canada",
                              "Banque de Montréal",
                              "TD Canada Trust",
                              "Caisse populaire de Sainte-Foy",
                              "Banque Laurentienne"};
const char* const kReps[] = {"JFL", "MBE", "SGA", "RTR", "KWI", "HÉL"};
const char* const kTerritories[] = {"MTL-NORD",  "MTL-SUD", "QUÉBEC",   "ESTRIE",
                                    "OUTAOUAIS", "ONTARIO", "MARITIMES"};
const char* const kCarriers[] = {"Purolator",
                                 "Postes Canada",
                                 "Livraison par nos camions",
                                 "Client ramasse à l'entrepôt",
                                 "Canada Post Expedited",
                                 "Transport Guilbault",
                                 "FedEx Ground"};
const char* const kRemarks[] = {
    "Client depuis 1998, paie toujours à 30 jours, très fiable. ",
    "Attention : livrer à l'arrière du bâtiment, la sonnette est défectueuse. ",
    "Ne pas accepter de chèques après le 15 du mois sans l'accord du contrôleur. ",
    "Prefers invoices by e-mail; call accounting before shipping anything over $5,000. ",
    "Escompte de 2 % accordé sur les commandes de plus de 1 000 $ (entente du 12 mars). ",
    "Account reviewed in January: credit limit raised after two years without late payment. ",
    "Le gérant, M. Bérubé, veut être avisé de tout retard de livraison. ",
    "Returned cheque in 2019 (NSF); now pays by certified cheque or wire transfer only. ",
    "Fermé les deux dernières semaines de juillet — vacances de la construction. ",
    "Exempt from provincial sales tax: certificate on file, renew every December. ",
};

std::string Phone(Rng& r) {
  static const char* const kAreas[] = {"514", "450", "418", "819", "613", "416", "506"};
  char buf[32];
  std::snprintf(buf, sizeof buf, "(%s) %03u-%04u", r.Pick(kAreas), 200 + r.Below(800), r.Below(10000));
  return buf;
}

std::string PostalCode(Rng& r) {
  static const char kLetters[] = "ABCEGHJKLMNPRSTVXY";
  std::string s;
  s += kLetters[r.Below(18)];
  s += static_cast<char>('0' + r.Below(10));
  s += kLetters[r.Below(18)];
  s += ' ';
  s += static_cast<char>('0' + r.Below(10));
  s += kLetters[r.Below(18)];
  s += static_cast<char>('0' + r.Below(10));
  return s;
}

Value Text(std::string s, size_t width) {
  if (s.empty()) return Value::Null();
  return Value::Text(Fit(std::move(s), width));
}

Value Day(int year, unsigned month, unsigned day) { return Value::Of(pdx::Date::FromYmd(year, month, day)); }

Value Cents(Rng& r, uint32_t max_dollars) {
  return Value::Double(static_cast<double>(r.Below(max_dollars * 100u)) / 100.0);
}

FieldDef ToFieldDef(const data::FieldSpec& f) {
  const std::string name(f.name);
  const auto size = static_cast<uint8_t>(f.size);
  switch (f.type) {
    case 'A':
      return FieldDef::Alpha(name, size);
    case 'I':
      return FieldDef::Long(name);
    case 'S':
      return FieldDef::Short(name);
    case 'N':
      return FieldDef::Number(name);
    case '$':
      return FieldDef::Money(name);
    case 'D':
      return FieldDef::Date(name);
    case 'L':
      return FieldDef::Logical(name);
    case 'M':
      return FieldDef::Memo(name, size);
    default:
      std::fprintf(stderr, "cli_table: field %s has type %c, which the generator lacks\n", name.c_str(),
                   f.type);
      std::abort();
  }
}

}  // namespace

std::vector<FieldDef> CliFields(Memos memos) {
  std::vector<FieldDef> out;
  for (const data::FieldSpec& f : data::schemas::Ar_Table.fields) {
    if (f.calculated || (memos == Memos::kDrop && f.type == 'M')) continue;
    out.push_back(ToFieldDef(f));
  }
  return out;
}

unsigned CliKeyFieldCount() { return static_cast<unsigned>(data::schemas::Ar_Table.keyFields); }

std::string CliCode(uint32_t i) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "C%07u", i);
  return buf;
}

std::string MissingCliCode(uint32_t i) { return CliCode(i) + "5"; }

pdx::Record CliRecord(uint32_t i, Memos memos) {
  Rng r(i + 1);
  const uint32_t surname = r.Below(std::size(kSurnames));
  const std::string trade = r.Pick(kTrades);
  const std::string suffix = r.Pick(kSuffixes);
  std::string name = trade + " " + kSurnames[surname];
  if (!suffix.empty()) name += " " + suffix;
  const std::string first = r.Pick(kFirstNames);
  const std::string contact_last = kSurnames[r.Below(std::size(kSurnames))];
  const bool french = r.Percent(70);
  const int created_year = 1990 + static_cast<int>(r.Below(34));

  std::string comments;
  const uint32_t kind = r.Below(10);
  // 40 % without comments, 40 % short enough to stay in the record, 20 %
  // long enough to go to the .MB.
  if (kind >= 4) {
    const size_t target = kind >= 8 ? 220 + r.Below(700) : 20 + r.Below(150);
    while (comments.size() < target) comments += r.Pick(kRemarks);
    comments = Fit(std::move(comments), target);
    while (!comments.empty() && comments.back() == ' ') comments.pop_back();
  }

  const std::string carrier = r.Pick(kCarriers);

  static const std::vector<FieldDef> kWithMemos = CliFields(Memos::kKeep);
  static const std::vector<FieldDef> kWithoutMemos = CliFields(Memos::kDrop);
  pdx::Record rec;
  // Memo values are drawn above, so both variants hold the same other values.
  for (const FieldDef& f : memos == Memos::kKeep ? kWithMemos : kWithoutMemos) {
    const std::string& n = f.name;
    Value v;
    if (n == "Cli_code")
      v = Value::Text(CliCode(i));
    else if (n == "Cli_name")
      v = Text(name, f.size);
    else if (n == "Cli_adr1")
      v = Text(std::to_string(1 + r.Below(9999)) + ", " + r.Pick(kStreets), f.size);
    else if (n == "Cli_adr2")
      v = r.Percent(35) ? Text(r.Pick(kUnits), f.size) : Value();
    else if (n == "Cli_city")
      v = Text(r.Pick(kCities), f.size);
    else if (n == "Cli_prov")
      v = Text(r.Pick(kProvinces), f.size);
    else if (n == "Cli_country")
      v = Text(r.Pick(kCountries), f.size);
    else if (n == "Cli_postal_code")
      v = Text(PostalCode(r), f.size);
    else if (n == "Cli_tel")
      v = Text(Phone(r), f.size);
    else if (n == "Cli_fax")
      v = r.Percent(50) ? Text(Phone(r), f.size) : Value();
    else if (n == "Cli_contact")
      v = Text(first + " " + contact_last, f.size);
    else if (n == "Cli_contact_tel")
      v = Text(Phone(r) + (r.Percent(40) ? " poste " + std::to_string(100 + r.Below(900)) : ""), f.size);
    else if (n == "Cli_email")
      v = Text(std::string(french ? "comptabilite@" : "accounts@") + kSurnamesAscii[surname] + "-" +
                   std::to_string(i % 1000) + "." + r.Pick(kDomains),
               f.size);
    else if (n == "Cli_charge_to")
      v = r.Percent(10) ? Text(CliCode(i / 2), f.size) : Value();
    else if (n == "Cli_salesrep")
      v = Text(r.Pick(kReps), f.size);
    else if (n == "Cli_terr")
      v = Text(r.Pick(kTerritories), f.size);
    else if (n == "Cli_language")
      v = Text(french ? "F" : "E", f.size);
    else if (n == "Cli_bank")
      v = Text(r.Pick(kBanks), f.size);
    else if (n == "Cli_bank_manager")
      v = Text(std::string(r.Pick(kFirstNames)) + " " + kSurnames[r.Below(std::size(kSurnames))], f.size);
    else if (n == "Cli_bank_tel")
      v = Text(Phone(r), f.size);
    else if (n == "Cli_terms")
      v = Value::Int(15 * (1 + r.Below(4)));
    else if (n == "Cli_ship_via")
      v = Value::Text(carrier);
    else if (n == "Cli_date_created")
      v = Day(created_year, 1 + r.Below(12), 1 + r.Below(28));
    else if (n == "Cli_date_last_sale")
      v = Day(2024, 1 + r.Below(12), 1 + r.Below(28));
    else if (n == "Cli_date_last_pmt")
      v = Day(2024, 1 + r.Below(12), 1 + r.Below(28));
    else if (n == "Cli_tax_fed")
      v = Value::Bool(r.Percent(95));
    else if (n == "Cli_tax_pro")
      v = Value::Bool(r.Percent(85));
    else if (n == "Cli_po_req")
      v = Value::Bool(r.Percent(20));
    else if (n == "Cli_du_days")
      v = Value::Int(r.Below(120));
    else if (n == "Cli_credit_limit")
      v = Value::Int(1000 * (1 + r.Below(50)));
    else if (n == "Cli_price_list")
      v = Value::Int(1 + r.Below(5));
    else if (n == "Cli_discount")
      v = Value::Double(0.5 * r.Below(21));
    else if (n == "Cli_current_bal")
      v = Cents(r, 40000);
    else if (n == "Cli_nsf_date")
      v = r.Percent(8) ? Day(2015 + static_cast<int>(r.Below(10)), 1 + r.Below(12), 1 + r.Below(28))
                       : Value();
    else if (n == "Cli_last_sale")
      v = Cents(r, 8000);
    else if (n == "Cli_sales_mth")
      v = Cents(r, 30000);
    else if (n == "Cli_sales_ytd")
      v = Cents(r, 250000);
    else if (n == "Cli_comments")
      v = comments.empty() ? Value() : Value::Text(comments);
    else {
      std::fprintf(stderr, "cli_table: no generator for field %s\n", n.c_str());
      std::abort();
    }
    rec.push_back(std::move(v));
  }
  return rec;
}

uint64_t FileSize(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

pdx::Status CreateCliTable(const std::string& path, uint32_t count, Memos memos, CreateStats* stats) {
  const auto start = std::chrono::steady_clock::now();
  pdx::CreateOptions co;
  co.key_field_count = CliKeyFieldCount();
  co.code_page = 1252;
  pdx::Status s = pdx::CreateTable(path, CliFields(memos), co);
  if (!s.ok()) return s;
  std::unique_ptr<pdx::TableWriter> w;
  s = pdx::TableWriter::Open(path, {}, &w);
  if (!s.ok()) return s;
  // Keys come in ascending order, so every keyed insert lands at the end.
  for (uint32_t i = 0; i < count && s.ok(); ++i) s = w->Insert(CliRecord(i, memos));
  if (s.ok()) s = w->Commit();
  w.reset();
  if (!s.ok()) return s;
  if (stats) {
    stats->seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    stats->db_bytes = FileSize(path);
    stats->mb_bytes = memos == Memos::kKeep ? FileSize(pdx::WithExtension(path, "mb")) : 0;
  }
  return pdx::Status::OK();
}

}  // namespace orba::bench
