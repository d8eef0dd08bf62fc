// Products of a demo company (a hardware and building-supply distributor) and
// their stock in each store. Products are the cross product of a few items per
// product line and the sizes or models each line comes in.

#include <cmath>
#include <cstdio>

#include "DemoTables.h"

namespace orba::demo {

namespace {

struct Item {
  const char* french;
  const char* english;
  double price;
};
struct Variant {
  const char* french;
  const char* english;
  double factor;
};
struct Line {
  const char* codeFr;
  const char* codeEn;
  Item items[6];
  Variant variants[6];
};

constexpr Line kLines[] = {
    {"QUI",
     "HDW",
     {{"Marteau de charpentier", "Claw hammer", 24.99},
      {"Tournevis Robertson", "Robertson screwdriver", 7.49},
      {"Pince multiprise", "Groove-joint pliers", 18.99},
      {"Niveau à bulle", "Spirit level", 21.50},
      {"Ruban à mesurer", "Tape measure", 14.99},
      {"Scie égoïne", "Hand saw", 29.99}},
     {{"standard", "standard", 1.0},
      {"pro", "pro", 1.6},
      {"compact", "compact", 0.85},
      {"manche fibre", "fibreglass handle", 1.3},
      {"ensemble de 2", "2-pack", 1.8},
      {"édition hiver", "winter edition", 1.15}}},
    {"PLO",
     "PLB",
     {{"Raccord en cuivre", "Copper fitting", 3.29},
      {"Tuyau PEX", "PEX pipe", 12.99},
      {"Robinet d'arrêt", "Shut-off valve", 16.49},
      {"Coude ABS", "ABS elbow", 2.79},
      {"Collet de serrage", "Pipe clamp", 1.89},
      {"Ruban téflon", "Teflon tape", 1.49}},
     {{"1/2 po", "1/2 in", 1.0},
      {"3/4 po", "3/4 in", 1.35},
      {"1 po", "1 in", 1.8},
      {"1 1/4 po", "1 1/4 in", 2.3},
      {"1 1/2 po", "1 1/2 in", 2.9},
      {"2 po", "2 in", 3.6}}},
    {"ELE",
     "ELE",
     {{"Disjoncteur unipolaire", "Single-pole breaker", 11.99},
      {"Prise décorative", "Decorator receptacle", 4.29},
      {"Interrupteur gradateur", "Dimmer switch", 24.99},
      {"Fil NMD90", "NMD90 wire", 89.00},
      {"Boîte électrique", "Electrical box", 2.49},
      {"Ampoule DEL", "LED bulb", 6.99}},
     {{"15 A", "15 A", 1.0},
      {"20 A", "20 A", 1.15},
      {"blanc", "white", 1.0},
      {"ivoire", "ivory", 1.05},
      {"paquet de 10", "10-pack", 8.5},
      {"extérieur", "outdoor", 1.4}}},
    {"PEI",
     "PNT",
     {{"Peinture latex intérieur", "Interior latex paint", 54.99},
      {"Apprêt scellant", "Sealing primer", 42.99},
      {"Teinture pour terrasse", "Deck stain", 61.99},
      {"Rouleau à peinture", "Paint roller", 8.99},
      {"Pinceau à angle", "Angled brush", 12.49},
      {"Bâche de protection", "Drop cloth", 9.99}},
     {{"3,78 L", "3.78 L", 1.0},
      {"946 ml", "946 ml", 0.35},
      {"18,9 L", "18.9 L", 4.3},
      {"fini mat", "flat finish", 1.0},
      {"fini satiné", "satin finish", 1.05},
      {"fini lustré", "gloss finish", 1.1}}},
    {"OUT",
     "TLS",
     {{"Perceuse sans fil", "Cordless drill", 149.00},
      {"Scie circulaire", "Circular saw", 179.00},
      {"Ponceuse orbitale", "Orbital sander", 99.00},
      {"Visseuse à percussion", "Impact driver", 159.00},
      {"Meuleuse d'angle", "Angle grinder", 119.00},
      {"Outil oscillant", "Oscillating tool", 139.00}},
     {{"18 V", "18 V", 1.0},
      {"20 V", "20 V", 1.1},
      {"12 V", "12 V", 0.75},
      {"avec batterie", "with battery", 1.45},
      {"outil seul", "tool only", 0.8},
      {"trousse complète", "full kit", 1.9}}},
    {"JAR",
     "GAR",
     {{"Pelle à neige", "Snow shovel", 34.99},
      {"Râteau à feuilles", "Leaf rake", 19.99},
      {"Boyau d'arrosage", "Garden hose", 39.99},
      {"Sac de terreau", "Potting soil bag", 8.99},
      {"Brouette", "Wheelbarrow", 129.00},
      {"Sel de déglaçage", "Ice melter", 14.99}},
     {{"petit", "small", 0.8},
      {"moyen", "medium", 1.0},
      {"grand", "large", 1.25},
      {"robuste", "heavy duty", 1.5},
      {"économique", "economy", 0.7},
      {"de luxe", "deluxe", 1.8}}},
    {"FIX",
     "FAS",
     {{"Vis à bois", "Wood screws", 9.99},
      {"Clous galvanisés", "Galvanized nails", 11.49},
      {"Boulons hexagonaux", "Hex bolts", 13.99},
      {"Ancrages à béton", "Concrete anchors", 17.99},
      {"Rondelles plates", "Flat washers", 5.49},
      {"Vis à gypse", "Drywall screws", 10.99}},
     {{"#8 x 1 1/4 po", "#8 x 1 1/4 in", 1.0},
      {"#8 x 2 po", "#8 x 2 in", 1.2},
      {"#10 x 3 po", "#10 x 3 in", 1.5},
      {"boîte de 100", "box of 100", 1.0},
      {"boîte de 500", "box of 500", 4.2},
      {"inox", "stainless", 2.1}}},
    {"SEC",
     "SAF",
     {{"Lunettes de sécurité", "Safety glasses", 12.99},
      {"Gants de travail", "Work gloves", 16.99},
      {"Casque de sécurité", "Hard hat", 24.99},
      {"Bouchons d'oreilles", "Ear plugs", 6.99},
      {"Dossard haute visibilité", "Hi-vis vest", 19.99},
      {"Trousse de premiers soins", "First aid kit", 44.99}},
     {{"P", "S", 1.0},
      {"M", "M", 1.0},
      {"G", "L", 1.0},
      {"TG", "XL", 1.05},
      {"paquet de 12", "12-pack", 9.0},
      {"classe 2", "class 2", 1.3}}},
};

constexpr int kLeadDays[] = {3, 5, 7, 10, 14, 21};

double cents(double v) { return std::round(v * 100.0) / 100.0; }

struct Product {
  std::string line;
  std::string item;
  std::string description;
  double price;
  int supplier;
};

// The same list for the products table and the stock table: the stock rows
// must name products that exist.
std::vector<Product> products(const DemoCompany& company) {
  const bool fr = company.lang == Lang::kFrench;
  Random rng = randomFor(company, "ivprod");
  std::vector<Product> out;
  for (const Line& line : kLines) {
    const int lineSupplier = rng.between(1, kSupplierCount);
    for (int i = 0; i < 6; ++i) {
      for (int v = 0; v < 6; ++v) {
        const Item& it = line.items[i];
        const Variant& va = line.variants[v];
        Product p;
        p.line = fr ? line.codeFr : line.codeEn;
        char code[16];
        std::snprintf(code, sizeof code, "%s-%d%d%02d", p.line.c_str(), i + 1, v + 1, rng.between(0, 99));
        p.item = code;
        p.description = std::string(fr ? it.french : it.english) + ", " + (fr ? va.french : va.english);
        p.price = cents(it.price * va.factor);
        // Most of a line comes from one supplier.
        p.supplier = rng.chance(75) ? lineSupplier : rng.between(1, kSupplierCount);
        out.push_back(std::move(p));
      }
    }
  }
  return out;
}

std::string upc(Random& rng) {
  // UPC-A: eleven digits and a check digit (odd positions weigh 3).
  std::string d = "06";
  while (d.size() < 11) d += static_cast<char>('0' + rng.between(0, 9));
  int sum = 0;
  for (size_t i = 0; i < 11; ++i) sum += (d[i] - '0') * (i % 2 == 0 ? 3 : 1);
  d += static_cast<char>('0' + (10 - sum % 10) % 10);
  return d;
}

std::string priceField(int n) { return "Ivprod_price" + std::to_string(n); }
std::string qtyField(int n) { return "Ivinv_qty" + std::to_string(n); }

}  // namespace

std::vector<Row> productRows(const TableShape& shape, const DemoCompany& company) {
  Random rng = randomFor(company, "ivprod-details");
  std::vector<Row> rows;
  for (const Product& p : products(company)) {
    Row& r = rows.emplace_back(shape);
    r.text("Ivprod_line_code", p.line)
        .text("Ivprod_item_code", p.item)
        .text("Ivprod_desc_1", p.description)
        .text("Ivprod_sup1", supplierCode(p.supplier))
        .number("Ivprod_std_cost", cents(p.price * (0.55 + 0.1 * rng.unit())))
        .text("Ivprod_upc", upc(rng));
    // Price list 1 is the retail price; each further list gives 2.5 % more off,
    // down to contractors' prices on list 9.
    for (int n = 1; n <= 9; ++n) r.number(priceField(n), cents(p.price * (1.0 - 0.025 * (n - 1))));
  }
  return rows;
}

std::vector<Row> inventoryRows(const TableShape& shape, const DemoCompany& company) {
  Random rng = randomFor(company, "ivinv");
  std::vector<Row> rows;
  for (const Product& p : products(company)) {
    for (int store = 1; store <= company.stores; ++store) {
      // The main store carries everything; the branches a part of the range.
      if (store > 1 && !rng.chance(store == 2 ? 70 : 40)) continue;
      char bin[16];
      const int aisle = rng.between(0, 7);
      const int rack = rng.between(1, 24);
      std::snprintf(bin, sizeof bin, "%c-%02d-%d", 'A' + aisle, rack, rng.between(1, 5));
      Row& r = rows.emplace_back(shape);
      r.text("Ivinv_Line_Code", p.line)
          .text("Ivinv_item_code", p.item)
          .integer("Ivinv_store", store)
          .text("Ivinv_bin", bin)
          .integer("Ivinv_lead_days", rng.pick(kLeadDays));
      const int q[5] = {rng.between(0, 120), rng.between(0, 24), rng.chance(30) ? rng.between(1, 12) : 0,
                        rng.chance(20) ? rng.between(1, 6) : 0, 0};
      for (int n = 1; n <= 5; ++n) r.number(qtyField(n), q[n - 1]);
    }
  }
  return rows;
}

}  // namespace orba::demo
