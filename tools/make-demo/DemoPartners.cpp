// Clients and suppliers of a demo company. Most of them share the company's
// language and province; a few come from the other one, as in real life.

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "DemoTables.h"

namespace orba::demo {

namespace {

constexpr int kClientCount = 300;

constexpr std::string_view kBanks[] = {
    "Desjardins",
    "Banque Nationale",
    "RBC Banque Royale",
    "TD Canada Trust",
    "BMO Banque de Montréal",
    "Banque Scotia",
    "CIBC",
    "Banque Laurentienne",
};
constexpr std::string_view kShipFr[] = {"Nos camions",    "Purolator",        "Postes Canada",
                                        "Client ramasse", "Transport Gagnon", "Dicom"};
constexpr std::string_view kShipEn[] = {"Our trucks",           "Purolator", "Canada Post", "Customer pickup",
                                        "Manitoulin Transport", "Day & Ross"};
constexpr int kTerms[] = {0, 15, 30, 30, 30, 45, 60};
constexpr double kClientDiscounts[] = {0.0, 0.0, 0.0, 2.0, 5.0, 10.0};
constexpr int kSupplierDays[] = {10, 30, 30, 45, 60};
constexpr double kPaymentDiscounts[] = {0.0, 1.0, 2.0};
constexpr double kPurchaseDiscounts[] = {0.0, 0.0, 5.0, 10.0};
constexpr std::string_view kRepsFr[] = {"MET", "JFB", "GCO", "SLA"};
constexpr std::string_view kRepsEn[] = {"HMD", "RWK", "JSM", "KTH"};

constexpr std::string_view kNotesFr[] = {
    "Livrer à l'entrepôt arrière, quai n° 2, entre 7 h et 15 h seulement.",
    "Exige un bon de commande signé pour toute commande de plus de 500 $.",
    "Le propriétaire préfère être joint par courriel plutôt que par téléphone.",
    "Paiement par chèque postdaté; vérifier l'encaissement avant de relivrer.",
    "Client depuis l'ouverture du magasin; très fidèle, commandes régulières le lundi.",
    "Escompte de 2 % accordé s'il paie en 10 jours (entente de mars dernier).",
    "Attention : le stationnement est fermé l'hiver, livrer par la rue de côté.",
    "Facturer la succursale de Laval pour les achats de matériel électrique.",
    "Compte en révision : deux retards de paiement à l'automne, limiter le crédit.",
    "Parle français et anglais; la comptable, Mme Côté, reçoit les états de compte.",
};
constexpr std::string_view kNotesEn[] = {
    "Deliver to the back warehouse, dock 2, between 7 a.m. and 3 p.m. only.",
    "A signed purchase order is required for any order over $500.",
    "The owner prefers e-mail to phone calls; replies within the day.",
    "Pays by post-dated cheque; check it has cleared before the next delivery.",
    "Customer since the store opened; very loyal, orders every Monday.",
    "2% discount if paid within 10 days (agreement of last March).",
    "Road closed during spring break-up: deliver before mid-March or after May.",
    "Bill the Timmins branch for all electrical supplies.",
    "Account under review: two late payments last fall, keep credit tight.",
    "Bilingual office; the bookkeeper, Renée Côté, receives the statements.",
};

static_assert(std::size(kNotesFr) == 10 && std::size(kNotesEn) == 10, "notes() steps by 3 through 10");

// The first client of each company carries a note long enough to need the
// blob file, written out in full so it can be recognised.
constexpr std::string_view kHouseNoteFr =
    "Client historique de l'entreprise : première commande en 1998 pour la rénovation de "
    "l'église Saint-Édouard. Livraisons du lundi au jeudi seulement, par la ruelle. "
    "Toujours confirmer les quantités avec M. Gaétan Bélanger, contremaître, avant "
    "d'expédier; les factures vont à la comptabilité du siège social à Québec. "
    "Rabais de volume négocié : 3 % au-delà de 25 000 $ par année.";
constexpr std::string_view kHouseNoteEn =
    "Our oldest account: first order in 1998 for the rebuild of the Copper Cliff arena. "
    "Deliveries Monday to Thursday only, through the lane behind the shop. Always confirm "
    "quantities with Mr. Gaétan Bélanger, site foreman, before shipping; invoices go to the "
    "head office accounting department in Sudbury. Volume rebate negotiated: 3% above "
    "$25,000 a year.";

Lang otherLang(Lang l) { return l == Lang::kFrench ? Lang::kEnglish : Lang::kFrench; }

std::string code(char letter, int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%c%05d", letter, n);
  return buf;
}

std::string notes(Random& rng, Lang lang) {
  const std::span<const std::string_view> pool(lang == Lang::kFrench ? kNotesFr : kNotesEn);
  std::string text;
  const int sentences = rng.between(0, 100) < 40 ? 0 : rng.between(1, 5);
  // Stepping by 3 through the 10 notes never repeats one within a comment.
  const size_t start = static_cast<size_t>(rng.between(0, static_cast<int>(pool.size()) - 1));
  for (int i = 0; i < sentences; ++i) {
    if (!text.empty()) text += ' ';
    text += pool[(start + 3 * static_cast<size_t>(i)) % pool.size()];
  }
  return text;
}

struct Contact {
  Lang lang;
  Place place;
  std::string name;
  std::string email;
};

Contact contactFor(Random& rng, const DemoCompany& company) {
  Contact c;
  c.lang = rng.chance(85) ? company.lang : otherLang(company.lang);
  c.place = rng.pick(places(c.lang));
  c.name = rng.chance(15) ? personName(rng, c.lang) : businessName(rng, c.lang);
  const std::string domain = asciiHandle(c.name).substr(0, 24);
  c.email = (rng.chance(50) ? "info@" : "comptes@") + domain + (c.place.province == "QC" ? ".qc.ca" : ".ca");
  if (c.lang == Lang::kEnglish && c.email.starts_with("comptes@")) c.email.replace(0, 7, "accounts");
  return c;
}

// Sales territories are named after the city: "MON", "SUD".
std::string territory(const Place& place) {
  std::string t = asciiHandle(place.city).substr(0, 3);
  for (char& ch : t) ch = static_cast<char>(ch - 'a' + 'A');
  return t;
}

void setDate(Row& r, std::string_view field, Random& rng, int fromYear, int toYear) {
  r.set(field, randomDate(rng, fromYear, toYear));
}

}  // namespace

std::vector<Row> clientRows(const TableShape& shape, const DemoCompany& company) {
  Random rng = randomFor(company, "cli");
  const bool fr = company.lang == Lang::kFrench;
  std::vector<Row> rows;
  for (int n = 1; n <= kClientCount; ++n) {
    const Contact c = contactFor(rng, company);
    const bool cfr = c.lang == Lang::kFrench;
    Row& r = rows.emplace_back(shape);
    r.text("Cli_code", code('C', n))
        .text("Cli_name", c.name)
        .text("Cli_adr1", streetAddress(rng, c.lang))
        .text("Cli_city", std::string(c.place.city))
        .text("Cli_prov", std::string(c.place.province))
        .text("Cli_country", "Canada")
        .text("Cli_postal_code", postalCode(rng, c.place))
        .text("Cli_tel", phone(rng, c.place))
        .text("Cli_contact", personName(rng, c.lang))
        .text("Cli_contact_tel", phone(rng, c.place))
        .text("Cli_email", c.email)
        .text("Cli_salesrep", std::string((fr ? rng.pick(kRepsFr) : rng.pick(kRepsEn))))
        .text("Cli_terr", territory(c.place))
        .text("Cli_language", cfr ? "F" : "E")
        .text("Cli_bank", std::string(rng.pick(kBanks)))
        .text("Cli_bank_manager", personName(rng, c.lang))
        .text("Cli_bank_tel", phone(rng, c.place))
        .integer("Cli_terms", rng.pick(kTerms))
        .text("Cli_ship_via", std::string((cfr ? rng.pick(kShipFr) : rng.pick(kShipEn))))
        .logical("Cli_tax_fed", !rng.chance(5))
        .logical("Cli_tax_pro", !rng.chance(8))
        .logical("Cli_po_req", rng.chance(20))
        .integer("Cli_du_days", 30)
        .integer("Cli_credit_limit", rng.between(1, 50) * 1000)
        .integer("Cli_price_list", rng.between(1, 9))
        .number("Cli_discount", rng.pick(kClientDiscounts));
    if (rng.chance(30))
      r.text("Cli_adr2", cfr ? "Bureau " + std::to_string(rng.between(1, 9) * 100)
                             : "Suite " + std::to_string(rng.between(1, 9) * 100));
    if (rng.chance(50)) r.text("Cli_fax", phone(rng, c.place));
    if (rng.chance(4) && n > 1) r.text("Cli_charge_to", code('C', rng.between(1, n - 1)));
    setDate(r, "Cli_date_created", rng, 2012, 2025);
    const double ytd = rng.amount(0, 85000);
    const double last = ytd > 0 ? rng.amount(20, std::min(ytd, 6000.0)) : 0.0;
    setDate(r, "Cli_date_last_sale", rng, 2026, 2026);
    setDate(r, "Cli_date_last_pmt", rng, 2026, 2026);
    if (rng.chance(3)) setDate(r, "Cli_nsf_date", rng, 2024, 2026);
    r.number("Cli_current_bal", rng.chance(35) ? 0.0 : rng.amount(0, last * 3))
        .number("Cli_last_sale", last)
        .number("Cli_sales_mth", rng.chance(60) ? rng.amount(0, ytd / 6) : 0.0)
        .number("Cli_sales_ytd", ytd);
    const std::string comment = n == 1 ? std::string(cfr ? kHouseNoteFr : kHouseNoteEn) : notes(rng, c.lang);
    if (!comment.empty()) r.text("Cli_comments", comment);
  }
  return rows;
}

std::vector<Row> supplierRows(const TableShape& shape, const DemoCompany& company) {
  Random rng = randomFor(company, "sup");
  std::vector<Row> rows;
  for (int n = 1; n <= kSupplierCount; ++n) {
    const Contact c = contactFor(rng, company);
    Row& r = rows.emplace_back(shape);
    r.text("Sup_code", supplierCode(n))
        .text("Sup_name", c.name)
        .text("Sup_adr1", streetAddress(rng, c.lang))
        .text("Sup_city", std::string(c.place.city))
        .text("Sup_prov", std::string(c.place.province))
        .text("Sup_country", "Canada")
        .text("Sup_postal_code", postalCode(rng, c.place))
        .text("Sup_tel", phone(rng, c.place))
        .text("Sup_contact", personName(rng, c.lang))
        .text("Sup_contact_tel", phone(rng, c.place))
        .text("Sup_email", c.email)
        .text("Sup_terr", std::string(c.place.province))
        .text("Sup_language", c.lang == Lang::kFrench ? "F" : "E")
        .logical("Sup_po_req", rng.chance(70))
        .integer("Sup_du_days", rng.pick(kSupplierDays))
        .integer("Sup_credit_limit", rng.between(5, 100) * 1000)
        .number("Sup_pmt_discount", rng.pick(kPaymentDiscounts))
        .number("Sup_purch_discount", rng.pick(kPurchaseDiscounts));
    if (rng.chance(50)) r.text("Sup_fax", phone(rng, c.place));
    setDate(r, "Sup_date_created", rng, 2010, 2025);
    setDate(r, "Sup_date_last_purch", rng, 2026, 2026);
    setDate(r, "Sup_date_last_pmt", rng, 2026, 2026);
    const double ytd = rng.amount(1000, 160000);
    r.number("Sup_current_bal", rng.chance(30) ? 0.0 : rng.amount(0, ytd / 8))
        .number("Sup_last_purch", rng.amount(50, 9000))
        .number("Sup_purch_mth", rng.amount(0, ytd / 8))
        .number("Sup_purch_ytd", ytd);
    const std::string comment = notes(rng, c.lang);
    if (!comment.empty()) r.text("Sup_comments", comment);
  }
  return rows;
}

}  // namespace orba::demo
