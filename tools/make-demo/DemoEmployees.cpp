// Employees of a demo company. The payroll table has far more fields than a
// demo needs; these are the ones the employees panel and a payroll clerk look
// at first: identity, address, pay, education and the last reviews.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "DemoTables.h"

namespace orba::demo {

namespace {

constexpr int kEmployeeCount = 40;

struct Job {
  const char* french;
  const char* english;
  bool hourly;
  double pay;  // hourly rate or yearly salary
};

constexpr Job kJobs[] = {
    {"Commis d'entrepôt", "Warehouse clerk", true, 19.50},
    {"Caissier", "Cashier", true, 17.25},
    {"Chauffeur-livreur", "Delivery driver", true, 22.00},
    {"Représentant", "Sales representative", false, 58000},
    {"Commis comptable", "Accounting clerk", false, 46000},
    {"Acheteur", "Buyer", false, 54000},
    {"Gérant de magasin", "Store manager", false, 68000},
    {"Technicien", "Technician", true, 27.50},
    {"Réceptionniste", "Receptionist", true, 18.75},
    {"Contrôleur", "Controller", false, 82000},
};
constexpr const char* kCoursesFr[] = {"SIMDUT", "Secourisme", "Chariot élévateur", "Service client",
                                      "Excel avancé"};
constexpr const char* kCoursesEn[] = {"WHMIS", "First aid", "Forklift", "Customer service", "Advanced Excel"};
constexpr const char* kReviewFr[] = {
    "Excellent travail d'équipe; vise un poste de chef d'équipe d'ici deux ans.",
    "Ponctuel et fiable. Doit améliorer le suivi des bons de livraison.",
    "Très apprécié des clients. Suivre la formation en gestion prévue à l'automne.",
};
constexpr const char* kReviewEn[] = {
    "Great team player; aims for a lead hand position within two years.",
    "Punctual and reliable. Needs to improve follow-up on delivery slips.",
    "Customers love working with them. Management course planned for the fall.",
};

// A social insurance number that passes the Luhn check. The first digit says
// where it was issued: 1 Atlantic, 2-3 Québec, 4-5 Ontario.
std::string sin(Random& rng, bool quebec) {
  int d[9];
  d[0] = quebec ? rng.between(2, 3) : rng.between(4, 5);
  for (int i = 1; i < 8; ++i) d[i] = rng.between(0, 9);
  int sum = 0;
  for (int i = 0; i < 8; ++i) {
    int v = i % 2 ? d[i] * 2 : d[i];
    sum += v > 9 ? v - 9 : v;
  }
  d[8] = (10 - sum % 10) % 10;
  std::string s;
  for (int v : d) s += static_cast<char>('0' + v);
  return s;
}

std::string bankAccount(Random& rng) {
  const std::string transit = std::to_string(rng.between(10000, 99999));
  return transit + "-" + std::to_string(rng.between(1000000, 9999999));
}

double cents(double v) { return std::round(v * 100.0) / 100.0; }

std::string field(const char* stem, int n, const char* tail = "") {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%d%s", stem, n, tail);
  return buf;
}

}  // namespace

std::vector<Row> employeeRows(const TableShape& shape, const DemoCompany& company) {
  Random rng = randomFor(company, "emp");
  const Lang lang = company.lang;
  const bool fr = lang == Lang::kFrench;
  std::vector<Row> rows;
  for (int n = 1; n <= kEmployeeCount; ++n) {
    // Staff live near the company: its own places, in its own province.
    Place place;
    do place = rng.pick(places(lang));
    while (place.province != (fr ? "QC" : "ON"));
    const bool quebec = place.province == "QC";
    const Job& job = rng.pick(kJobs);
    const bool active = !rng.chance(10);
    char code[16];
    std::snprintf(code, sizeof code, "E%04d", n);
    const int startYear = rng.between(2005, 2025);

    Row& r = rows.emplace_back(shape);
    r.text("Emp_Code", code)
        .text("Emp_Name", personName(rng, lang))
        .text("Emp_Adr1", streetAddress(rng, lang))
        .text("Emp_City", std::string(place.city))
        .text("Emp_province", std::string(provinceName(place.province, lang)))
        // The province's position in the setup wizard's list.
        .integer("Emp_prov_code", quebec ? 7 : 8)
        .text("Emp_Postal_code", postalCode(rng, place))
        .text("Emp_Telephone", phone(rng, place))
        .text("Emp_Occupation", fr ? job.french : job.english)
        .text("Emp_SIN", sin(rng, quebec))
        .set("Emp_Birth_Date", randomDate(rng, 1962, 2004))
        .date("Emp_Start_Date", startYear, static_cast<unsigned>(rng.between(1, 12)), 1)
        .text("Emp_Pension", rng.chance(40) ? (fr ? "REER collectif" : "Group RRSP") : "")
        .integer("Emp_Dept", rng.between(1, 5))
        .text("Emp_Bank_Accnt", bankAccount(rng))
        .logical("Emp_Active", active)
        .logical("Emp_Fixed_Calc", false)
        .logical("Emp_Hourly", job.hourly)
        .integer("Emp_pay_periods", 26)
        .integer("Emp_Tax_Code", 1)
        .number("Emp_Vacation_Rate", startYear < 2020 ? 6.0 : 4.0)
        .logical("Emp_sex", rng.chance(50))
        .logical("Emp_highschool", true)
        .logical("Emp_college", rng.chance(50))
        .logical("Emp_universite", rng.chance(25))
        .integer("Emp_#_children", rng.between(0, 3))
        .text("Emp_Emergency_tel", phone(rng, place))
        .text("Emp_vacation_entitlement",
              startYear < 2020 ? (fr ? "3 semaines" : "3 weeks") : (fr ? "2 semaines" : "2 weeks"))
        .integer("Emp_no_pay", 0);
    if (!active) r.date("Emp_End_Date", 2026, static_cast<unsigned>(rng.between(1, 10)), 15);
    if (rng.chance(55)) r.text("Emp_spouse", personName(rng, lang));

    const double hours = job.hourly ? rng.between(30, 40) * 2.0 : 75.0;
    const double perPeriod = job.hourly ? job.pay * hours : job.pay / 26.0;
    const double rate = job.hourly ? job.pay : job.pay / 1950.0;
    const double gross = cents(perPeriod);
    const int periodsPaid = active ? 23 : rng.between(4, 20);
    r.number("Emp_Hours", hours)
        .number("Emp_Hourly_Rate", cents(rate))
        .number("Emp_hours_per", hours)
        .number("Emp_Gross", gross)
        .number("Emp_TD1", fr ? 18571.0 : 16129.0)
        .number("Emp_YTD_Gross", cents(gross * periodsPaid))
        .number("Emp_YTD_Hours", hours * periodsPaid)
        .number("Emp_YTD_Fed_Tax", cents(gross * periodsPaid * 0.11))
        .number("Emp_YTD_Pro_Tax", cents(gross * periodsPaid * (quebec ? 0.13 : 0.05)))
        .number(quebec ? "Emp_YTD_RRQ" : "Emp_YTD_CPP", cents(gross * periodsPaid * 0.063))
        .number("Emp_YTD_UIC", cents(gross * periodsPaid * (quebec ? 0.0131 : 0.0164)))
        .number("Emp_YTD_Vacation", cents(gross * periodsPaid * (startYear < 2020 ? 0.06 : 0.04)))
        .number("Emp_YTD_Net_Sal", cents(gross * periodsPaid * 0.68))
        .number("Emp_starting_pay", cents(job.pay * 0.85))
        .logical("Emp_starting_hourly", job.hourly)
        .text("Emp_starting_position", fr ? job.french : job.english)
        .number("Emp_current_pay", job.pay)
        .logical("Emp_current_hourly", job.hourly)
        .text("Emp_current_position", fr ? job.french : job.english);
    const int courses = rng.between(0, 3);
    for (int c = 1; c <= courses; ++c) {
      r.text(field("Emp_training_course_", c), fr ? kCoursesFr[(n + c) % 5] : kCoursesEn[(n + c) % 5])
          .set(field("Emp_training_date_", c), randomDate(rng, std::min(startYear + 1, 2026), 2026))
          .number(field("Emp_training_hours_", c), rng.between(1, 5) * 4.0)
          .logical(field("Emp_training_inhouse_", c), rng.chance(60))
          .logical(field("Emp_training_completed_", c), true);
    }
    if (active) {
      const int grade = rng.between(0, 3);
      r.date("Emp_current_review", 2026, static_cast<unsigned>(rng.between(1, 11)), 15)
          .date("Emp_next_review", 2027, static_cast<unsigned>(rng.between(1, 11)), 15)
          .logical("Emp_curr_excellent", grade == 0)
          .logical("Emp_curr_verygood", grade == 1)
          .logical("Emp_curr_good", grade == 2)
          .logical("Emp_curr_satisfactory", grade == 3)
          .text("Emp_curr_memo", fr ? rng.pick(kReviewFr) : rng.pick(kReviewEn));
      if (startYear < 2025)
        r.date("Emp_prev_review", 2025, static_cast<unsigned>(rng.between(1, 11)), 15)
            .logical("Emp_prev_good", true)
            .text("Emp_prev_memo", fr ? rng.pick(kReviewFr) : rng.pick(kReviewEn));
      if (rng.chance(30))
        r.text("Emp_carrer_objectives",
               fr ? "Devenir gérant d'une succursale et suivre un cours de comptabilité au cégep."
                  : "Become a branch manager and take a bookkeeping course at the college.");
    }
  }
  return rows;
}

}  // namespace orba::demo
