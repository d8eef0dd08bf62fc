#include "RightsMap.h"

namespace orba::dispatch {

namespace {

QStringList codes(const char* text) {
  return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

std::array<QString, 4> groupNames(int suffix) {
  const QString s = QString::number(suffix);
  return {QStringLiteral("Edit") + s, QStringLiteral("Transactions") + s, QStringLiteral("Reports") + s,
          QStringLiteral("Procedures") + s};
}

const std::array<QString, 4> kFrenchGroups = {QStringLiteral("Édition"), QStringLiteral("Transactions"),
                                              QStringLiteral("Rapports"), QStringLiteral("Procédures")};
const std::array<QString, 4> kEnglishGroups = {QStringLiteral("Edit"), QStringLiteral("Transactions"),
                                               QStringLiteral("Reports"), QStringLiteral("Procedures")};

std::vector<ModuleMenu> build() {
  std::vector<ModuleMenu> m;
  m.push_back({QStringLiteral("Generalledger1"),
               QStringLiteral("Grand livre"),
               0,
               0,
               4,
               codes("gl03f gl08f gl07f"),
               QStringLiteral("N1"),
               1,
               groupNames(1),
               kFrenchGroups,
               {codes("gl01 gl20 glfs gl18"), codes("gl03 gl22 gl12 gl26"),
                codes("gl07 gl23 gl04 gl08 gl09 gl10 gl25 gl16 gl15 gl19"), codes("gl05 gl24 gl13 gl14")}});
  m.push_back({QStringLiteral("Accountsreceivable1"),
               QStringLiteral("Comptes clients"),
               1,
               1,
               4,
               codes("ar05f ar06f ar04f"),
               QStringLiteral("N2"),
               1,
               groupNames(2),
               kFrenchGroups,
               {codes("ar01 ar02 ar091"), codes("ar05 ar06"),
                codes("ar04 ar07 ar08 ar10 ar09 ar03 ar15 ar16"), codes("ar14 ar11 ar12 ar13")}});
  m.push_back({QStringLiteral("Accountspayable1"),
               QStringLiteral("Comptes fournisseurs"),
               2,
               2,
               4,
               codes("ap04f ap05f ap03f"),
               QStringLiteral("N3"),
               1,
               groupNames(3),
               kFrenchGroups,
               {codes("ap01 ap071"), codes("ap04 ap05 ap09 ap15"),
                codes("ap03 ap06 ap08 ap16 ap13 ap07 ap02"), codes("ap10 ap11 ap12 ap14")}});
  m.push_back(
      {QStringLiteral("Invoicing1"),
       QStringLiteral("Facturation"),
       3,
       3,
       7,
       codes("fa02f fa22f fa03f fa05f fa20f fa21f"),
       QStringLiteral("N4"),
       1,
       groupNames(4),
       kFrenchGroups,
       {codes("fa01 fa18"), codes("fa02 fa020 fa22"),
        codes("fa05 fa14 fa03 fa06 fa15 fa04 fa13 fa12 fa16 fa20 fa21"), codes("fa07 fa11 fa17 fa10 fa30")}});
  m.push_back({QStringLiteral("Systemmanager1"),
               QStringLiteral("Système"),
               4,
               4,
               0,
               {},
               QString(),
               0,
               groupNames(5),
               kFrenchGroups,
               {codes("ut02 ut03 mcomp ut09 ut10 ut11 ut12 ut13"), {}, codes("ut07 ut06"), {}}});
  m.push_back({QStringLiteral("Payroll1"),
               QStringLiteral("Paie"),
               5,
               7,
               6,
               codes("pa04f pa05f pa07f pa08f pa09f"),
               QStringLiteral("N5"),
               1,
               groupNames(6),
               kFrenchGroups,
               {codes("pa101 pa3011 pa104 pa106 pa107 pa108 pa109 pa22 pa20 pa23 pa110 pa30 pa31 pa32 pa33"),
                codes("pa04 pa06"), codes("pa02 pa05 pa07 pa301 pa302 pa303 pa34"),
                codes("pa08 pa09 pa1001 pa1002 pa1003 pa1004 pa111")}});
  m.push_back({QStringLiteral("Inventory1"),
               QStringLiteral("Inventaire"),
               6,
               5,
               4,
               codes("iv01f iv02f iv04f"),
               QStringLiteral("N6"),
               0,
               groupNames(8),
               kFrenchGroups,
               {codes("iv01 iv15 iv051 iv18 iv21"), codes("iv02 iv08"),
                codes("iv04 iv06 iv11 iv05 iv14 iv07 iv09 iv16 iv19"), codes("iv10 iv12 iv13 iv20")}});
  m.push_back(
      {QStringLiteral("Purchaseorders1"),
       QStringLiteral("Commandes d'achats"),
       7,
       6,
       4,
       codes("cf01f cf02f cf03f"),
       QStringLiteral("N7"),
       0,
       groupNames(9),
       kFrenchGroups,
       {codes("cf10"), codes("cf01 cf02 cf12"), codes("cf03 cf11 cf04 cf05 cf06 cf08"), codes("cf09 cf07")}});
  // The tracker menu starts with the account submenu and the database
  // creation entry instead of quick entries.
  m.push_back({QStringLiteral("Tracker1"),
               QStringLiteral("Traqueur"),
               8,
               8,
               3,
               {},
               QStringLiteral("N8"),
               0,
               groupNames(7),
               kFrenchGroups,
               {codes("trk01 trk02 trk10"), codes("trk03"), codes("trk04 trk05 trk09 trk07 trk06 trk08"),
                codes("trk11 trk12")}});
  m.push_back({QStringLiteral("Jobcost1"),
               QStringLiteral("Job cost"),
               9,
               9,
               2,
               codes("jc08f"),
               QStringLiteral("N9"),
               0,
               groupNames(10),
               kEnglishGroups,
               {codes("jc01 jc02 jc03 jc04 jc05 jc06 jc07 jc23"), codes("jc08"),
                codes("jc10 jc11 jc25 jc12 jc13 jc14 jc15 jc16 jc17"), codes("jc19 jc20 jc21 jc22")}});
  return m;
}

}  // namespace

const std::vector<ModuleMenu>& moduleMenus() {
  static const std::vector<ModuleMenu> menus = build();
  return menus;
}

OptionPlace findOption(const QString& code) {
  for (const ModuleMenu& menu : moduleMenus())
    for (int g = 0; g < 4; ++g) {
      const int i = static_cast<int>(menu.groups[g].indexOf(code));
      if (i >= 0) return {menu.position, menu.module, g, i};
    }
  return {};
}

}  // namespace orba::dispatch
