// The chart of accounts of a demo company: Canadian numbering (1000 assets,
// 2000 liabilities, 3000 equity, 4000 revenue, 5000 expenses), names in the
// company's language, and period amounts drawn around a typical month of a
// small distributor with about a million dollars of sales a year.

#include <cstdio>

#include "DemoTables.h"

namespace orba::demo {

namespace {

enum Kind { kAsset, kLiability, kEquity, kRevenue, kExpense };

struct Account {
  int number;
  const char* french;
  const char* english;
  Kind kind;
  bool summarize;  // detail accounts shown as one line on the statements
  double month;    // a typical month's movement; debits positive
};

constexpr Account kChart[] = {
    {1000, "Petite caisse", "Petty cash", kAsset, false, 0},
    {1010, "Encaisse – compte courant", "Bank – chequing account", kAsset, false, 4200},
    {1020, "Compte d'épargne", "Savings account", kAsset, false, 800},
    {1030, "Dépôts à terme", "Term deposits", kAsset, false, 0},
    {1100, "Comptes clients", "Accounts receivable", kAsset, false, 3500},
    {1110, "Provision pour créances douteuses", "Allowance for doubtful accounts", kAsset, false, -150},
    {1150, "Avances aux employés", "Employee advances", kAsset, true, 0},
    {1180, "TPS/TVH à recevoir (CTI)", "GST/HST receivable (ITC)", kAsset, true, 1100},
    {1185, "TVQ à recevoir (RTI)", "Other sales taxes receivable", kAsset, true, 1900},
    {1200, "Stock de marchandises", "Merchandise inventory", kAsset, false, 2600},
    {1250, "Fournitures de bureau en main", "Office supplies on hand", kAsset, true, 120},
    {1300, "Frais payés d'avance", "Prepaid expenses", kAsset, false, -300},
    {1500, "Terrain", "Land", kAsset, false, 0},
    {1510, "Bâtiment", "Building", kAsset, false, 0},
    {1515, "Amortissement cumulé – bâtiment", "Accumulated depreciation – building", kAsset, false, -900},
    {1520, "Matériel roulant", "Vehicles", kAsset, false, 0},
    {1525, "Amortissement cumulé – matériel roulant", "Accumulated depreciation – vehicles", kAsset, false,
     -650},
    {1530, "Mobilier et équipement", "Furniture and equipment", kAsset, false, 350},
    {1535, "Amortissement cumulé – mobilier", "Accumulated depreciation – furniture", kAsset, false, -210},
    {1540, "Matériel informatique", "Computer equipment", kAsset, false, 500},
    {1545, "Amortissement cumulé – informatique", "Accumulated depreciation – computers", kAsset, false,
     -280},
    {2000, "Emprunt bancaire", "Bank loan", kLiability, false, 1200},
    {2100, "Comptes fournisseurs", "Accounts payable", kLiability, false, -2800},
    {2150, "Frais courus", "Accrued liabilities", kLiability, false, -400},
    {2200, "Salaires à payer", "Wages payable", kLiability, false, -300},
    {2210, "Retenues d'impôt à la source", "Income tax withheld", kLiability, true, -2400},
    {2220, "RRQ à payer", "CPP payable", kLiability, true, -1300},
    {2230, "Assurance-emploi à payer", "EI payable", kLiability, true, -450},
    {2240, "RQAP à payer", "Employer health tax payable", kLiability, true, -120},
    {2250, "CNESST à payer", "WSIB payable", kLiability, true, -260},
    {2310, "TPS/TVH à payer", "GST/HST payable", kLiability, true, -2300},
    {2320, "TVQ à payer", "Other sales taxes payable", kLiability, true, -3900},
    {2400, "Impôts sur le revenu à payer", "Income taxes payable", kLiability, false, -900},
    {2500, "Dette à long terme", "Long-term debt", kLiability, false, 1500},
    {2600, "Avances des actionnaires", "Shareholder advances", kLiability, false, 0},
    {3000, "Capital-actions", "Share capital", kEquity, false, 0},
    {3100, "Bénéfices non répartis", "Retained earnings", kEquity, false, 0},
    {3200, "Dividendes", "Dividends", kEquity, false, 2000},
    {3900, "Bénéfice de l'exercice", "Current year earnings", kEquity, false, 0},
    {4000, "Ventes", "Sales", kRevenue, false, -68000},
    {4010, "Revenus de service", "Service revenue", kRevenue, false, -12500},
    {4100, "Rendus et rabais sur ventes", "Sales returns and allowances", kRevenue, false, 900},
    {4200, "Escomptes sur ventes", "Sales discounts", kRevenue, false, 450},
    {4500, "Revenus d'intérêts", "Interest income", kRevenue, false, -85},
    {4900, "Autres revenus", "Other income", kRevenue, true, -150},
    {5000, "Coût des marchandises vendues", "Cost of goods sold", kExpense, false, 40500},
    {5010, "Achats", "Purchases", kExpense, false, 0},
    {5020, "Transport à l'achat", "Freight-in", kExpense, true, 950},
    {5100, "Salaires", "Salaries and wages", kExpense, false, 14200},
    {5110, "Avantages sociaux", "Employee benefits", kExpense, true, 2300},
    {5200, "Loyer", "Rent", kExpense, false, 4500},
    {5210, "Électricité et chauffage", "Heat and hydro", kExpense, true, 780},
    {5220, "Téléphone et Internet", "Telephone and Internet", kExpense, true, 310},
    {5300, "Publicité et promotion", "Advertising and promotion", kExpense, false, 1250},
    {5400, "Assurances", "Insurance", kExpense, false, 640},
    {5500, "Entretien et réparations", "Repairs and maintenance", kExpense, true, 520},
    {5600, "Frais de véhicules", "Vehicle expenses", kExpense, true, 890},
    {5610, "Frais de déplacement", "Travel expenses", kExpense, true, 430},
    {5700, "Honoraires professionnels", "Professional fees", kExpense, false, 800},
    {5710, "Frais bancaires", "Bank charges", kExpense, true, 95},
    {5720, "Intérêts sur la dette", "Interest expense", kExpense, false, 410},
    {5800, "Fournitures de bureau", "Office supplies", kExpense, true, 260},
    {5850, "Créances irrécouvrables", "Bad debts", kExpense, false, 150},
    {5900, "Amortissement", "Depreciation", kExpense, false, 2040},
    {5950, "Impôts sur le revenu", "Income taxes", kExpense, false, 1900},
};

const char* kindName(Kind kind, Lang lang) {
  static constexpr const char* kFrench[] = {"Actif", "Passif", "Avoir", "Revenus", "Dépenses"};
  static constexpr const char* kEnglish[] = {"Asset", "Liability", "Equity", "Revenue", "Expense"};
  return (lang == Lang::kFrench ? kFrench : kEnglish)[kind];
}

std::string periodField(const char* stem, int period) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "Glm_%s%d", stem, period);
  return buf;
}

}  // namespace

std::vector<Row> accountRows(const TableShape& shape, const DemoCompany& company) {
  constexpr int kPeriodFields = 14;
  Random rng = randomFor(company, "glm");
  // A four-week period carries 12/13 of a month.
  const double scale = 12.0 / company.periods;
  std::vector<Row> rows;
  for (const Account& a : kChart) {
    Row& r = rows.emplace_back(shape);
    r.integer("Glm_account", a.number)
        .text("Glm_Description", company.lang == Lang::kFrench ? a.french : a.english)
        .text("Glm_type", kindName(a.kind, company.lang))
        .text("Glm_summarize", a.summarize ? "Y" : "N");
    const double base = a.month * scale;
    for (int p = 1; p <= kPeriodFields; ++p) {
      const bool used = p <= company.periods;
      const bool posted = p <= company.currentPeriod;
      r.number(periodField("budget", p), used ? rng.amount(base * 0.95, base * 1.05) : 0.0);
      r.number(periodField("current", p), posted ? rng.amount(base * 0.85, base * 1.15) : 0.0);
      r.number(periodField("ly", p), used ? rng.amount(base * 0.80, base * 1.05) : 0.0);
    }
  }
  return rows;
}

}  // namespace orba::demo
