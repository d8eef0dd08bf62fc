#include "ListDefinitions.h"

namespace orba::lists {

namespace sc = data::schemas;

namespace {

constexpr FieldKind T = FieldKind::Text;
constexpr FieldKind W = FieldKind::Whole;
constexpr FieldKind M = FieldKind::Money;

std::vector<ListDefinition> build() {
  std::vector<ListDefinition> out;
  out.push_back({"ar01",
                 "ClientMaint",
                 "ClientForm",
                 "Clients",
                 "Client",
                 &sc::Ar_Table,
                 1,
                 {{"Cli_code", "Client #", T},
                  {"Cli_name", "Name", T},
                  {"Cli_tel", "Telephone", T},
                  {"Cli_adr1", "Address", T},
                  {"Cli_adr2", "Address (line 2)", T},
                  {"Cli_city", "City", T},
                  {"Cli_prov", "Province", T},
                  {"Cli_country", "Country", T},
                  {"Cli_postal_code", "Postal code", T},
                  {"Cli_fax", "Fax", T},
                  {"Cli_contact", "Contact", T},
                  {"Cli_email", "Email", T},
                  {"Cli_salesrep", "Sales rep.", T}},
                 {"Cli_current_bal"}});
  out.push_back({"ap01",
                 "SupplierMaint",
                 "SupplierForm",
                 "Suppliers",
                 "Supplier",
                 &sc::Ap_Table,
                 1,
                 {{"Sup_code", "Supplier #", T},
                  {"Sup_name", "Name", T},
                  {"Sup_tel", "Telephone", T},
                  {"Sup_adr1", "Address", T},
                  {"Sup_adr2", "Address (line 2)", T},
                  {"Sup_city", "City", T},
                  {"Sup_prov", "Province", T},
                  {"Sup_country", "Country", T},
                  {"Sup_postal_code", "Postal code", T},
                  {"Sup_fax", "Fax", T},
                  {"Sup_contact", "Contact", T},
                  {"Sup_email", "Email", T}},
                 {"Sup_current_bal"}});
  out.push_back({"gl01",
                 "AccountMaint",
                 "AccountForm",
                 "General ledger accounts",
                 "Account",
                 &sc::Gl_Table,
                 1,
                 {{"Glm_account", "Account #", W},
                  {"Glm_Description", "Description", T},
                  {"Glm_type", "Type", T},
                  {"Glm_summarize", "Summarize", FieldKind::YesNo}},
                 {"Glm_current1", "Glm_current2", "Glm_current3", "Glm_current4", "Glm_current5",
                  "Glm_current6", "Glm_current7", "Glm_current8", "Glm_current9", "Glm_current10",
                  "Glm_current11", "Glm_current12", "Glm_current13", "Glm_current14"}});
  out.push_back({"pa101",
                 "EmployeeMaint",
                 "EmployeeForm",
                 "Employees",
                 "Employee",
                 &sc::Emp_Table,
                 1,
                 {{"Emp_Code", "Employee #", T},
                  {"Emp_Name", "Name", T},
                  {"Emp_Telephone", "Telephone", T},
                  {"Emp_Adr1", "Address", T},
                  {"Emp_Adr2", "Address (line 2)", T},
                  {"Emp_City", "City", T},
                  {"Emp_province", "Province", T},
                  {"Emp_Postal_code", "Postal code", T},
                  {"Emp_Occupation", "Occupation", T}},
                 {"Emp_YTD_Gross"}});
  ListDefinition products{"iv01",
                          "ProductMaint",
                          "ProductForm",
                          "Products",
                          "Product",
                          &sc::IvprodTable,
                          2,
                          {{"Ivprod_line_code", "Line", T},
                           {"Ivprod_item_code", "Item code", T},
                           {"Ivprod_desc_1", "Description", T},
                           {"Ivprod_upc", "UPC code", T},
                           {"Ivprod_sup1", "Supplier", T}}};
  static const char* const kPrices[] = {"Ivprod_price1", "Ivprod_price2", "Ivprod_price3",
                                        "Ivprod_price4", "Ivprod_price5", "Ivprod_price6",
                                        "Ivprod_price7", "Ivprod_price8", "Ivprod_price9"};
  static const char* const kPriceCaptions[] = {"Price 1", "Price 2", "Price 3", "Price 4", "Price 5",
                                               "Price 6", "Price 7", "Price 8", "Price 9"};
  // Prices and cost are amounts, although the table keeps plain numbers.
  for (int i = 0; i < 9; ++i) products.fields.push_back({kPrices[i], kPriceCaptions[i], M});
  products.fields.push_back({"Ivprod_std_cost", "Cost", M});
  products.inventory = true;
  out.push_back(std::move(products));
  return out;
}

}  // namespace

const std::vector<ListDefinition>& definitions() {
  // Plain data (no Qt object), built once per load of the library.
  static const std::vector<ListDefinition> all = build();
  return all;
}

const ListDefinition* definitionFor(const QString& option) {
  for (const ListDefinition& d : definitions())
    if (option == QLatin1String(d.option)) return &d;
  return nullptr;
}

}  // namespace orba::lists
