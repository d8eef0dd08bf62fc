// orba-make-demo, run for real: the tables it leaves must open with the
// engine, have the shapes the data modules declare, hold believable data, and
// survive a second run untouched.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <QImage>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Oracle.h"
#include "TableSchemas.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"
#include "stream/ComponentStream.h"

namespace fs = std::filesystem;
namespace sc = orba::data::schemas;
using orba::pdx::Record;
using orba::pdx::Table;
using orba::pdx::Value;

namespace {

struct ProcessResult {
  int exitCode = -1;
  std::string output;
};

ProcessResult run(const std::string& command) {
  ProcessResult r;
  FILE* p = popen((command + " 2>/dev/null").c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  const int status = pclose(p);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string freshFolder() {
  std::string pattern = (fs::temp_directory_path() / "make-demo-test-XXXXXX").string();
  return mkdtemp(pattern.data()) ? pattern : std::string();
}

ProcessResult makeDemo(const std::string& dir) { return run(std::string(MAKE_DEMO) + " '" + dir + "'"); }

std::unique_ptr<Table> open(const std::string& path) {
  std::unique_ptr<Table> t;
  const orba::pdx::Status s = Table::Open(path, orba::pdx::OpenOptions(), &t);
  EXPECT_TRUE(s.ok()) << s.ToString();
  return t;
}

std::vector<Record> readAll(Table& t) {
  std::vector<Record> rows(t.record_count());
  for (uint32_t i = 0; i < t.record_count(); ++i) {
    const orba::pdx::Status s = t.ReadRecord(i, &rows[i]);
    EXPECT_TRUE(s.ok()) << s.ToString();
  }
  return rows;
}

const Value& col(Table& t, const Record& r, const char* field) {
  const int i = t.FieldIndex(field);
  static const Value kMissing;
  EXPECT_GE(i, 0) << field;
  return i < 0 ? kMissing : r[static_cast<size_t>(i)];
}

bool hasBit(const std::string& bytes, int bit) {
  const size_t byte = static_cast<size_t>(bit / 8);
  // Trailing zero bytes of a Y field do not come back.
  return byte < bytes.size() && (static_cast<unsigned char>(bytes[byte]) >> (bit % 8)) & 1;
}

int bitOf(const char* option) { return oracle::right(QString::fromLatin1(option)).bit; }

// Every file of the data folders, with what tells whether it was touched.
std::map<std::string, std::string> snapshot(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root + "/Orba")) {
    const std::string dir = e.path().parent_path().filename().string();
    if (!e.is_regular_file() || !dir.starts_with("data")) continue;
    struct stat st {};
    stat(e.path().c_str(), &st);
    std::ifstream in(e.path(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    files[e.path().string()] =
        std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + "|" + bytes.str();
  }
  return files;
}

struct Expected {
  std::string dir;  // "data", "data1", "data2"
  const orba::data::TableSpec* shape;
  uint32_t minRows;
  uint32_t maxRows;
};

class MadeDemo : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = new std::string(freshFolder());
    first_ = new ProcessResult(makeDemo(*root_));
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    fs::remove_all(*root_, ec);
    delete root_;
    delete first_;
  }
  static std::string path(const std::string& dir, std::string_view file) {
    return *root_ + "/Orba/" + dir + "/" + std::string(file);
  }
  static std::vector<Expected> expected() {
    std::vector<Expected> e = {{"data", &sc::User_table, 2, 2},
                               {"data", &sc::Desktop_table, 12, 12},
                               {"data", &sc::tblLanguage, 2, 2},
                               {"data", &sc::Co_Table, 2, 2}};
    for (const char* company : {"data1", "data2"}) {
      e.push_back({company, &sc::Co_Ctrl_table, 1, 1});
      e.push_back({company, &sc::Gl_Ctrl_table, 1, 1});
      e.push_back({company, &sc::Setup_Ctrl_table, 1, 1});
      e.push_back({company, &sc::TaxRates_table, 1, 10});
      e.push_back({company, &sc::TaxRatesP_table, 1, 10});
      e.push_back({company, &sc::trkdb_table, 3, 5});
      e.push_back({company, &sc::Gl_Table, 50, 80});
      e.push_back({company, &sc::Ar_Table, 250, 400});
      e.push_back({company, &sc::Ap_Table, 40, 80});
      e.push_back({company, &sc::Emp_Table, 30, 50});
      e.push_back({company, &sc::IvprodTable, 200, 400});
      e.push_back({company, &sc::IvinvTable, 200, 1200});
    }
    return e;
  }
  static std::string* root_;
  static ProcessResult* first_;
};
std::string* MadeDemo::root_ = nullptr;
ProcessResult* MadeDemo::first_ = nullptr;

TEST_F(MadeDemo, RunsAndLaysOutTheFolders) {
  ASSERT_EQ(first_->exitCode, 0) << first_->output;
  EXPECT_TRUE(fs::exists(*root_ + "/orba.ini"));
  EXPECT_TRUE(fs::exists(*root_ + "/Orba/bin/Cast32.jpg"));
  // The desktop makes and seeds its own applications table at login.
  EXPECT_FALSE(fs::exists(path("data", "apps.DB")));
  std::set<std::string> tables;
  for (const char* dir : {"data", "data1", "data2"})
    for (const auto& e : fs::directory_iterator(*root_ + "/Orba/" + dir)) {
      const std::string ext = e.path().extension().string();
      if (ext == ".db" || ext == ".DB") tables.insert(std::string(dir) + "/" + e.path().filename().string());
    }
  const std::set<std::string> want = {
      "data/user.db",   "data/Desktop.db", "data/Languages.db", "data/comp.db",       "data1/ctrl.DB",
      "data1/cli.DB",   "data1/sup.db",    "data1/glm.DB",      "data1/emp.DB",       "data1/ivprod.DB",
      "data1/ivinv.DB", "data1/trkdb.DB",  "data1/taxrates.db", "data1/taxratesP.db", "data2/ctrl.DB",
      "data2/cli.DB",   "data2/sup.db",    "data2/glm.DB",      "data2/emp.DB",       "data2/ivprod.DB",
      "data2/ivinv.DB", "data2/trkdb.DB",  "data2/taxrates.db", "data2/taxratesP.db"};
  EXPECT_EQ(tables, want);
  // Nothing of the scratch work is left behind.
  EXPECT_FALSE(fs::exists(path("data1", ".make-demo-scratch")));
}

TEST_F(MadeDemo, DataFoldersAreMadeForOneGroup) {
  EXPECT_NE(first_->output.find("data folders shared by the group"), std::string::npos) << "and says so";
  // Company creation makes its folders beside the data folder.
  struct stat orba;
  ASSERT_EQ(::stat((*root_ + "/Orba").c_str(), &orba), 0);
  EXPECT_EQ(orba.st_mode & 07777, 02770u);
  EXPECT_EQ(orba.st_gid, getgid());
  for (const char* dir : {"data", "data1", "data2"}) {
    const fs::path folder = *root_ + "/Orba/" + dir;
    struct stat st;
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 02770u) << dir;
    EXPECT_EQ(st.st_gid, getgid()) << dir;
    for (const auto& e : fs::directory_iterator(folder)) {
      ASSERT_EQ(::stat(e.path().c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 07777, 0660u) << e.path();
    }
  }
}

TEST_F(MadeDemo, EveryDeclaredFieldIsStoredWithItsTypeAndSize) {
  for (const Expected& e : expected()) {
    SCOPED_TRACE(e.dir + "/" + std::string(e.shape->file));
    auto t = open(path(e.dir, e.shape->file));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->code_page(), 1252);
    // ctrl.DB is declared twice without a key; the others carry theirs.
    EXPECT_EQ(t->key_field_count(), static_cast<unsigned>(e.shape->keyFields));
    for (const orba::data::FieldSpec& f : e.shape->fields) {
      const int i = t->FieldIndex(f.name);
      if (f.calculated) {
        EXPECT_LT(i, 0) << f.name << " is computed on reading and must not be stored";
        continue;
      }
      ASSERT_GE(i, 0) << f.name;
      const orba::pdx::FieldDef& d = t->fields()[static_cast<size_t>(i)];
      EXPECT_EQ(orba::pdx::FieldTypeLetter(d.type), f.type) << f.name;
      if (orba::pdx::IsBlobType(d.type)) {
        EXPECT_EQ(orba::pdx::BlobLeader(d), static_cast<size_t>(f.size)) << f.name;
      } else if (f.size > 0) {
        EXPECT_EQ(d.size, f.size) << f.name;
      }
    }
    EXPECT_GE(t->record_count(), e.minRows);
    EXPECT_LE(t->record_count(), e.maxRows);
  }
  auto ctrl = open(path("data1", "ctrl.DB"));
  ASSERT_TRUE(ctrl);
  EXPECT_EQ(ctrl->fields().front().name, "Ctrl_date_fmt");
  EXPECT_EQ(ctrl->fields().size(), 17u);  // the union, each field once
}

TEST_F(MadeDemo, UsersLogInByUpperCasePasswordWithTheirOwnRights) {
  auto t = open(path("data", "user.db"));
  ASSERT_TRUE(t);
  std::map<std::string, Record> users;
  for (Record& r : readAll(*t)) {
    const std::string password = col(*t, r, "User_password").text();
    std::string upper = password;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(password, upper);
    users[password] = r;
  }
  ASSERT_EQ(users.count("ADMIN"), 1u);
  ASSERT_EQ(users.count("CLERK"), 1u);
  const Record& admin = users["ADMIN"];
  const Record& clerk = users["CLERK"];
  EXPECT_EQ(col(*t, admin, "User_name").text(), "Marie-Ève Tremblay");
  EXPECT_EQ(col(*t, admin, "User_language").int_value(), 2);
  EXPECT_EQ(col(*t, clerk, "User_language").int_value(), 1);
  EXPECT_EQ(col(*t, admin, "User_company").int_value(), 1);
  EXPECT_EQ(col(*t, clerk, "User_company").int_value(), 1);

  const std::string adminRights = col(*t, admin, "User_security").bytes().data;
  const std::string clerkRights = col(*t, clerk, "User_security").bytes().data;
  EXPECT_TRUE(hasBit(adminRights, 15));  // gl03, the journal entries
  EXPECT_FALSE(hasBit(clerkRights, 15));
  EXPECT_TRUE(hasBit(clerkRights, bitOf("ar05")));
  EXPECT_TRUE(hasBit(clerkRights, bitOf("fa02")));
  EXPECT_TRUE(hasBit(clerkRights, bitOf("gl07")));
  EXPECT_FALSE(hasBit(clerkRights, bitOf("ap04")));
  EXPECT_FALSE(hasBit(clerkRights, bitOf("pa04")));
  // The administrator may run every option of every menu, and nothing else
  // is set: a stray bit would grant an option added to the menus later.
  std::set<int> optionBits;
  for (const oracle::Right& r : oracle::rights()) optionBits.insert(r.bit);
  for (int bit = 0; bit < 1600; ++bit) EXPECT_EQ(hasBit(adminRights, bit), optionBits.count(bit) == 1) << bit;
}

TEST_F(MadeDemo, EachUserStartsWithTheSixPanelIconsInTheirLanguage) {
  namespace st = orba::stream;
  auto users = open(path("data", "user.db"));
  ASSERT_TRUE(users);
  std::map<std::string, int64_t> languageOf;
  for (const Record& r : readAll(*users))
    languageOf[col(*users, r, "User_code").text()] = col(*users, r, "User_language").int_value();
  ASSERT_EQ(languageOf.size(), 2u);

  auto t = open(path("data", "Desktop.db"));
  ASSERT_TRUE(t);
  const std::vector<Record> rows = readAll(*t);
  ASSERT_EQ(rows.size(), 12u);
  std::map<std::string, std::vector<st::Component>> icons;
  for (const Record& r : rows) {
    const std::string user = col(*t, r, "Desktop_user").text();
    ASSERT_EQ(languageOf.count(user), 1u) << user;
    EXPECT_EQ(col(*t, r, "Desktop_Component_type").int_value(), 1);
    EXPECT_EQ(col(*t, r, "Desktop_ComponentIndex").int_value(), static_cast<int64_t>(icons[user].size()));
    const std::string stream = col(*t, r, "Desktop_Component").bytes().data;
    const st::ReadResult read = st::readComponentStream(stream);
    ASSERT_TRUE(read.ok()) << read.error->toString();
    EXPECT_EQ(read.end, stream.size());
    icons[user].push_back(read.component);
  }

  const std::vector<std::string> names = {"ClientBtn",   "SupplierBtn", "AccountsBtn",
                                          "EmployeeBtn", "ProductBtn",  "ToDoListBtn"};
  const std::vector<std::string> french = {"Clients",  "Fournisseurs", "Comptes",
                                           "Employés", "Produits",     "À faire"};
  const std::vector<std::string> english = {"Clients",   "Suppliers", "Accounts",
                                            "Employees", "Products",  "To do"};
  for (const auto& [user, list] : icons) {
    SCOPED_TRACE(user);
    ASSERT_EQ(list.size(), 6u);
    const std::vector<std::string>& captions = languageOf[user] == 2 ? french : english;
    std::set<std::string> glyphs;
    int previousBottom = 0;
    for (size_t i = 0; i < list.size(); ++i) {
      const st::Component& c = list[i];
      SCOPED_TRACE(c.name);
      EXPECT_EQ(c.className, "TTransparentButton");
      EXPECT_EQ(c.name, names[i]);
      ASSERT_TRUE(c.find("Tag") && c.find("Caption") && c.find("Glyph.Data") && c.find("Top"));
      EXPECT_EQ(c.find("Tag")->integer, 1);
      EXPECT_EQ(st::windows1252ToUtf8(c.find("Caption")->text), captions[i]);
      EXPECT_EQ(c.find("BorderWidth")->integer, 0);
      EXPECT_EQ(c.find("Movable")->type, st::ValueType::kTrue);
      EXPECT_EQ(c.find("PopUpMenu")->type, st::ValueType::kIdent);
      EXPECT_EQ(c.find("PopUpMenu")->text, "PopupMenu");
      EXPECT_EQ(c.find("Font.Name")->text, "Arial");
      EXPECT_EQ(c.find("Font.Color")->text, "clWhite");
      EXPECT_EQ(c.find("Font.Height")->integer, -13);
      // A column down the left, one icon under the other, inside the window.
      EXPECT_EQ(c.find("Left")->integer, 8);
      const int top = static_cast<int>(c.find("Top")->integer);
      EXPECT_GE(top, previousBottom);
      previousBottom = top + static_cast<int>(c.find("Height")->integer);
      EXPECT_LE(previousBottom, 450);

      // The bitmap's size, then a bitmap file of that size.
      const std::string& data = c.find("Glyph.Data")->text;
      ASSERT_GT(data.size(), 6u);
      const uint32_t size = static_cast<uint8_t>(data[0]) | static_cast<uint8_t>(data[1]) << 8 |
                            static_cast<uint8_t>(data[2]) << 16 |
                            static_cast<uint32_t>(static_cast<uint8_t>(data[3])) << 24;
      EXPECT_EQ(size, data.size() - 4);
      EXPECT_EQ(data.substr(4, 2), "BM");
      QImage glyph;
      ASSERT_TRUE(glyph.loadFromData(reinterpret_cast<const uchar*>(data.data()) + 4,
                                     static_cast<int>(data.size() - 4), "BMP"));
      EXPECT_EQ(glyph.size(), QSize(32, 32));
      glyphs.insert(data);
    }
    EXPECT_EQ(glyphs.size(), 6u) << "each panel has a picture of its own";
  }
  EXPECT_EQ(icons.size(), 2u);
}

TEST_F(MadeDemo, CompaniesAndLanguagesReadBackExactly) {
  auto comp = open(path("data", "comp.db"));
  ASSERT_TRUE(comp);
  const std::vector<Record> companies = readAll(*comp);
  ASSERT_EQ(companies.size(), 2u);
  EXPECT_EQ(col(*comp, companies[0], "Comp_Code").int_value(), 1);
  EXPECT_EQ(col(*comp, companies[0], "Comp_Name").text(), "Les Entreprises Tremblay Ltée");
  EXPECT_EQ(col(*comp, companies[0], "Comp_city").text(), "Montréal");
  EXPECT_TRUE(col(*comp, companies[0], "Comp_Passwd").is_null());
  EXPECT_EQ(col(*comp, companies[1], "Comp_Code").int_value(), 2);
  EXPECT_EQ(col(*comp, companies[1], "Comp_Name").text(), "Northern Lights Trading Inc.");
  EXPECT_EQ(col(*comp, companies[1], "Comp_Passwd").text(), "NORD2026");

  auto lang = open(path("data", "Languages.db"));
  ASSERT_TRUE(lang);
  const std::vector<Record> langs = readAll(*lang);
  ASSERT_EQ(langs.size(), 2u);
  EXPECT_EQ(col(*lang, langs[0], "LangKey").int_value(), 1);
  EXPECT_EQ(col(*lang, langs[0], "LangCode").text(), "en");
  EXPECT_EQ(col(*lang, langs[1], "LangCode").text(), "fr");
  EXPECT_EQ(col(*lang, langs[1], "LangName").text(), "Français");
}

TEST_F(MadeDemo, LongClientCommentsComeBackWholeFromTheBlobFile) {
  auto t = open(path("data1", "cli.DB"));
  ASSERT_TRUE(t);
  const std::vector<Record> clients = readAll(*t);
  ASSERT_FALSE(clients.empty());
  EXPECT_EQ(col(*t, clients[0], "Cli_code").text(), "C00001");
  const std::string first = col(*t, clients[0], "Cli_comments").text();
  EXPECT_GT(first.size(), 200u);
  EXPECT_TRUE(first.starts_with("Client historique de l'entreprise : première commande en 1998"));
  EXPECT_TRUE(first.ends_with("Rabais de volume négocié : 3 % au-delà de 25 000 $ par année.")) << first;
  size_t longOnes = 0;
  std::set<std::string> codes;
  for (const Record& r : clients) {
    codes.insert(col(*t, r, "Cli_code").text());
    const Value& c = col(*t, r, "Cli_comments");
    // Comments are made of whole sentences: a cut one shows at the end.
    if (c.is_null()) continue;
    EXPECT_EQ(c.text().back(), '.') << c.text();
    if (c.text().size() > 200) ++longOnes;
  }
  EXPECT_GE(longOnes, 10u);
  EXPECT_EQ(codes.size(), clients.size());
  EXPECT_GT(fs::file_size(path("data1", "cli.MB")), 4096u);  // more than the empty header block
}

TEST_F(MadeDemo, CompanyTablesHoldConsistentData) {
  for (const char* dir : {"data1", "data2"}) {
    SCOPED_TRACE(dir);
    auto sup = open(path(dir, "sup.db"));
    auto prod = open(path(dir, "ivprod.DB"));
    auto inv = open(path(dir, "ivinv.DB"));
    auto emp = open(path(dir, "emp.DB"));
    auto ctrl = open(path(dir, "ctrl.DB"));
    auto glm = open(path(dir, "glm.DB"));
    ASSERT_TRUE(sup && prod && inv && emp && ctrl && glm);
    std::set<std::string> suppliers, products;
    for (const Record& r : readAll(*sup)) suppliers.insert(col(*sup, r, "Sup_code").text());
    for (const Record& r : readAll(*prod)) {
      products.insert(col(*prod, r, "Ivprod_line_code").text() + "|" +
                      col(*prod, r, "Ivprod_item_code").text());
      EXPECT_EQ(suppliers.count(col(*prod, r, "Ivprod_sup1").text()), 1u);
      EXPECT_GE(col(*prod, r, "Ivprod_price1").double_value(), col(*prod, r, "Ivprod_price9").double_value());
      EXPECT_LT(col(*prod, r, "Ivprod_std_cost").double_value(),
                col(*prod, r, "Ivprod_price9").double_value());
    }
    std::set<int64_t> stores;
    for (const Record& r : readAll(*inv)) {
      EXPECT_EQ(products.count(col(*inv, r, "Ivinv_Line_Code").text() + "|" +
                               col(*inv, r, "Ivinv_item_code").text()),
                1u);
      stores.insert(col(*inv, r, "Ivinv_store").int_value());
    }
    EXPECT_GE(stores.size(), 1u);
    EXPECT_LE(stores.size(), 3u);
    for (const Record& r : readAll(*emp)) {
      const std::string sin = col(*emp, r, "Emp_SIN").text();
      EXPECT_EQ(sin.size(), 9u);
      EXPECT_EQ(sin.find_first_not_of("0123456789"), std::string::npos) << sin;
      EXPECT_FALSE(col(*emp, r, "Emp_Birth_Date").is_null());
    }
    const Record c = readAll(*ctrl).at(0);
    const int64_t periods = col(*ctrl, c, "Ctrl_periods").int_value();
    EXPECT_TRUE(periods == 12 || periods == 13);
    EXPECT_LE(col(*ctrl, c, "Ctrl_gl_period").int_value(), periods);
    EXPECT_FALSE(col(*ctrl, c, "Ctrl_eom_gl").bool_value());
    // The chart runs from assets (1000s) to expenses (5000s), in key order.
    const std::vector<Record> accounts = readAll(*glm);
    EXPECT_EQ(col(*glm, accounts.front(), "Glm_account").int_value() / 1000, 1);
    EXPECT_EQ(col(*glm, accounts.back(), "Glm_account").int_value() / 1000, 5);
    for (const Record& r : accounts) {
      const std::string s = col(*glm, r, "Glm_summarize").text();
      EXPECT_TRUE(s == "Y" || s == "N") << s;
    }
  }
  // Each company in its own language.
  auto glm1 = open(path("data1", "glm.DB"));
  auto glm2 = open(path("data2", "glm.DB"));
  ASSERT_TRUE(glm1 && glm2);
  EXPECT_EQ(col(*glm1, readAll(*glm1).at(1), "Glm_Description").text(), "Encaisse – compte courant");
  EXPECT_EQ(col(*glm2, readAll(*glm2).at(1), "Glm_Description").text(), "Bank – chequing account");

  auto tax = open(path("data1", "taxrates.db"));
  ASSERT_TRUE(tax);
  std::map<std::string, double> rates;
  for (const Record& r : readAll(*tax))
    rates[col(*tax, r, "TaxRates_Description").text()] = col(*tax, r, "TaxRates_Rate").double_value();
  EXPECT_DOUBLE_EQ(rates["TPS fédérale"], 5.0);
  EXPECT_DOUBLE_EQ(rates["TVQ Québec"], 9.975);
  EXPECT_DOUBLE_EQ(rates["TVH Ontario"], 13.0);
}

// As in a real installation, Desktop.db has a single-field index on the
// user, current, through which each user's rows are found.
TEST_F(MadeDemo, TheDesktopTableIsIndexedOnItsUser) {
  EXPECT_TRUE(fs::exists(path("data", "Desktop.y01")));
  auto t = open(path("data", "Desktop.db"));
  ASSERT_TRUE(t);
  ASSERT_EQ(t->secondary_indexes().size(), 1u);
  const orba::pdx::SecondaryIndexInfo info = t->secondary_indexes()[0];
  EXPECT_EQ(info.file, "Desktop.x01");
  ASSERT_EQ(info.fields.size(), 1u);
  EXPECT_EQ(static_cast<int>(info.fields[0].field), t->FieldIndex("Desktop_user"));
  EXPECT_EQ(info.letter_case, orba::pdx::LetterCase::kSensitive);
  EXPECT_EQ(info.layout, orba::pdx::IndexLayout::kRecordNumber) << "the table has no key";
  EXPECT_TRUE(info.status.ok()) << info.status.ToString();
  const std::vector<Record> rows = readAll(*t);
  for (const char* user : {"ADMIN", "CLERK"}) {
    std::vector<uint32_t> found, scanned;
    bool used = false;
    ASSERT_TRUE(t->FindEqual(0, {Value::Text(user)}, &found, &used).ok());
    EXPECT_TRUE(used) << user;
    for (uint32_t i = 0; i < rows.size(); ++i)
      if (col(*t, rows[i], "Desktop_user").text() == user) scanned.push_back(i);
    EXPECT_EQ(found, scanned) << user;
    EXPECT_EQ(found.size(), 6u) << user;
  }
}

TEST_F(MadeDemo, PdxtoolReadsEveryTable) {
  for (const Expected& e : expected()) {
    const std::string table = path(e.dir, e.shape->file);
    SCOPED_TRACE(table);
    auto t = open(table);
    ASSERT_TRUE(t);
    const ProcessResult info = run(std::string(PDXTOOL) + " info '" + table + "'");
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_NE(info.output.find("records: " + std::to_string(t->record_count()) + "\n"), std::string::npos)
        << info.output.substr(0, 200);
    const ProcessResult dump = run(std::string(PDXTOOL) + " dump '" + table + "'");
    EXPECT_EQ(dump.exitCode, 0);
    // A heading line, then one line per record.
    EXPECT_EQ(std::count(dump.output.begin(), dump.output.end(), '\n'), t->record_count() + 1);
  }
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The command the tool prints last, to start the desktop on the demo.
std::string printedCommand(const std::string& output) {
  const std::string intro = "Start the desktop on it with:\n  ";
  const size_t at = output.find(intro);
  if (at == std::string::npos) return {};
  const size_t begin = at + intro.size();
  return output.substr(begin, output.find('\n', begin) - begin);
}

TEST(MakeDemoProgram, TheProgramGivenRunsTheDemoByThePrintedCommand) {
  // An installed program stands in: its program folder holds a program
  // that tells which settings it was started with, and its language table.
  const std::string base = freshFolder();
  const std::string program = base + "/program root";
  const std::string demo = base + "/Marie's demo";
  fs::create_directories(program + "/Orba/bin");
  fs::create_directories(program + "/Orba/languages");
  std::ofstream(program + "/Orba/languages/MainMenuen.db") << "table";
  std::ofstream(program + "/Orba/bin/orba")
      << "#!/bin/sh\necho \"settings=$ORBA_SETTINGS user=$ORBA_USER_SETTINGS\"\n";
  fs::permissions(program + "/Orba/bin/orba", fs::perms::owner_all);

  const ProcessResult made = run(std::string(MAKE_DEMO) + " '--program=" + program + "' \"" + demo + "\"");
  ASSERT_EQ(made.exitCode, 0) << made.output;
  const std::string settings = readFile(demo + "/orba.ini");
  EXPECT_NE(settings.find("\npgmdrive=" + program + "\n"), std::string::npos) << settings;
  EXPECT_NE(settings.find("\ndatadrive=" + demo + "\n"), std::string::npos) << settings;
  EXPECT_TRUE(fs::exists(demo + "/Orba/data1/cli.DB"));
  EXPECT_FALSE(fs::exists(demo + "/Orba/bin")) << "the program folder is the installed one";
  EXPECT_EQ(made.output.find("does not hold the program"), std::string::npos) << made.output;

  // The names with a space and a quote are quoted for the shell.
  const std::string command = printedCommand(made.output);
  ASSERT_FALSE(command.empty()) << made.output;
  const std::string script = base + "/start.sh";
  std::ofstream(script) << command << "\n";
  const ProcessResult started = run("sh '" + script + "'");
  EXPECT_EQ(started.exitCode, 0);
  EXPECT_EQ(started.output, "settings=" + demo + "/orba.ini user=" + demo + "/user.ini\n") << command;

  std::error_code ec;
  fs::remove_all(base, ec);
}

TEST(MakeDemoProgram, WithoutAnInstalledProgramTheDemosOwnFolderIsNamedWithWhatItLacks) {
  const std::string root = freshFolder();
  const ProcessResult made = makeDemo(root);
  ASSERT_EQ(made.exitCode, 0) << made.output;
  EXPECT_NE(readFile(root + "/orba.ini").find("\npgmdrive=" + root + "\n"), std::string::npos);
  EXPECT_NE(made.output.find("the program folder " + root + "/Orba/bin does not hold the program yet"),
            std::string::npos)
      << made.output;
  EXPECT_NE(made.output.find(root + "/Orba/bin/orba"), std::string::npos) << "names what is missing";
  EXPECT_EQ(printedCommand(made.output), "ORBA_SETTINGS=" + root + "/orba.ini ORBA_USER_SETTINGS=" + root +
                                             "/user.ini " + root + "/Orba/bin/orba");
  std::error_code ec;
  fs::remove_all(root, ec);
}

// Runs of their own, on folders that they change.
TEST(MakeDemoAgain, LeavesExistingTablesAloneAndRestoresMissingOnes) {
  const std::string root = freshFolder();
  ASSERT_FALSE(root.empty());
  ASSERT_EQ(makeDemo(root).exitCode, 0);
  const auto before = snapshot(root);

  const ProcessResult second = makeDemo(root);
  ASSERT_EQ(second.exitCode, 0);
  EXPECT_EQ(second.output.find("created"), std::string::npos) << second.output;
  EXPECT_EQ(snapshot(root), before);

  // Someone works in the demo: a client is renamed. Then the tracker table of
  // company 2 is lost. Only that one comes back, exactly as it was.
  const std::string cli = root + "/Orba/data1/cli.DB";
  {
    std::unique_ptr<orba::pdx::TableWriter> w;
    ASSERT_TRUE(orba::pdx::TableWriter::Open(cli, {}, &w).ok());
    Record r;
    ASSERT_TRUE(w->Get(5, &r).ok());
    r[1] = Value::Text("Épicerie Chez Ginette");
    ASSERT_TRUE(w->Update(5, r).ok());
    ASSERT_TRUE(w->Commit().ok());
  }
  const std::string trk = root + "/Orba/data2/trkdb.DB";
  std::vector<Record> trackers;
  {
    auto t = open(trk);
    ASSERT_TRUE(t);
    trackers = readAll(*t);
  }
  fs::remove(trk);
  fs::remove(root + "/Orba/data2/trkdb.PX");
  const auto edited = snapshot(root);

  const ProcessResult third = makeDemo(root);
  ASSERT_EQ(third.exitCode, 0);
  const auto after = snapshot(root);
  for (const auto& [file, state] : edited) EXPECT_EQ(after.at(file), state) << file;
  ASSERT_EQ(after.count(trk), 1u);
  auto restored = open(trk);
  ASSERT_TRUE(restored);
  EXPECT_TRUE(readAll(*restored) == trackers);
  EXPECT_EQ(trackers.size(), 3u);
  std::unique_ptr<Table> t = open(cli);
  ASSERT_TRUE(t);
  Record r;
  ASSERT_TRUE(t->ReadRecord(5, &r).ok());
  EXPECT_EQ(r[1].text(), "Épicerie Chez Ginette");

  // Desktop.db lost, its index left behind under a name in another letter
  // case: the table comes back with a current index, the stray one gone.
  const std::string data = root + "/Orba/data/";
  fs::remove(data + "Desktop.db");
  fs::rename(data + "Desktop.x01", data + "Desktop.X01");
  ASSERT_EQ(makeDemo(root).exitCode, 0);
  EXPECT_FALSE(fs::exists(data + "Desktop.X01"));
  auto desktop = open(data + "Desktop.db");
  ASSERT_TRUE(desktop);
  ASSERT_EQ(desktop->secondary_indexes().size(), 1u);
  EXPECT_EQ(desktop->secondary_indexes()[0].file, "Desktop.x01");
  EXPECT_TRUE(desktop->secondary_indexes()[0].status.ok());

  std::error_code ec;
  fs::remove_all(root, ec);
}

// The engine stamps each table with the time it was written, so the same
// demo made twice differs in that stamp only: compare what the tables hold.
TEST(MakeDemoAgain, TwoFoldersGetTheSameRecords) {
  const std::string a = freshFolder(), b = freshFolder();
  ASSERT_EQ(makeDemo(a).exitCode, 0);
  ASSERT_EQ(makeDemo(b).exitCode, 0);
  size_t tables = 0;
  for (const auto& [file, state] : snapshot(a)) {
    const std::string ext = fs::path(file).extension().string();
    if (ext != ".db" && ext != ".DB") continue;
    ++tables;
    const std::string other = b + file.substr(a.size());
    auto ta = open(file);
    auto tb = open(other);
    ASSERT_TRUE(ta && tb) << file;
    EXPECT_TRUE(readAll(*ta) == readAll(*tb)) << file << " differs between two runs";
  }
  EXPECT_EQ(tables, 24u);
  std::error_code ec;
  fs::remove_all(a, ec);
  fs::remove_all(b, ec);
}

}  // namespace
