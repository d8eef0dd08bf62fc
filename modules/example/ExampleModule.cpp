// An example option module, built outside the desktop's source tree against
// the installed header only. It shows which option it is, who runs it, the
// current company's folder with the number of tables in it, and the printer
// the user chose on the desktop, in the user's language.
//
// Install it under the option code it carries out: gl03.so in the program
// folder makes it General Ledger > Transactions entry. One library may be
// installed under several codes; it learns which one it is from its own
// file name.

#include <dlfcn.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdint>

#define ORBA_ENTRY_POINT 1
#include <castellan/linku.h>

namespace {

// Strings of the record are UTF-8 with their length stored before them.
// QString copies them: the record's strings are only lent for the call.
QString text(OrbaString s) { return QString::fromUtf8(s, OrbaStringLength(s)); }

// Every text handed to Qt is a heap copy made here, never a QStringLiteral:
// a literal's characters stay in this library's memory, and a copy kept by
// Qt would point into nothing once the desktop unloads the library.
QString copy(const char16_t* s) { return QString::fromUtf16(s); }

// The option this library was installed as: its own file name without
// ".so". dladdr on one of its own functions names the file it came from.
QString optionCode() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&optionCode), &info) || !info.dli_fname) return {};
  QString name = QString::fromLocal8Bit(info.dli_fname);
  name = name.mid(name.lastIndexOf(u'/') + 1);
  if (name.endsWith(u".so")) name.chop(3);
  return name;
}

// The company's tables are in DataDir followed by CompanyNumber
// (".../Orba/data" and "1" make ".../Orba/data1").
QString companyFolder(const TLinkSection& link) { return text(link.DataDir) + text(link.CompanyNumber); }

// PrinterIndex is the printer's position, as decimal text, in the print
// system's list of printers; empty when there is no printer.
QString printerName(const TLinkSection& link) {
  bool ok = false;
  const int index = text(link.PrinterIndex).toInt(&ok);
  return ok ? QPrinterInfo::availablePrinterNames().value(index) : QString();
}

struct Texts {
  const char16_t* option;
  const char16_t* user;
  const char16_t* company;
  const char16_t* folder;
  const char16_t* tables;
  const char16_t* printer;
  const char16_t* noPrinter;
  const char16_t* close;
};
constexpr Texts kEnglish = {u"Option %1", u"User",    u"Company",          u"Company folder",
                            u"Tables",    u"Printer", u"(system default)", u"Close"};
constexpr Texts kFrench = {u"Option %1", u"Utilisateur", u"Entreprise",         u"Dossier de l’entreprise",
                           u"Tables",    u"Imprimante",  u"(celle du système)", u"Fermer"};

QLabel* addRow(QFormLayout* form, QDialog* dialog, const char16_t* caption, const QString& value,
               const char16_t* name) {
  auto* label = new QLabel(value, dialog);
  label->setObjectName(copy(name));
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  form->addRow(copy(caption), label);
  return label;
}

}  // namespace

ORBA_MODULE_EXPORT int32_t ShowDllForm(TLinkSection link) {
  // The desktop's application object runs the module's windows; a module
  // never makes one of its own.
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
  // Without its company's folder the option has nothing to work on: it
  // refuses, and the desktop says "Access denied...".
  const QString folder = companyFolder(link);
  const QDir company(folder);
  if (text(link.CompanyNumber).isEmpty() || !company.exists()) return 0;

  const Texts& t = link.Language == 2 ? kFrench : kEnglish;
  // Table files in any letter case (cli.DB, glm.db): QDir's name filters
  // ignore case unless told otherwise.
  const QStringList tables = company.entryList(QStringList{copy(u"*.db")}, QDir::Files, QDir::Name);
  const QString printer = printerName(link);

  // On the stack, with every child parented to it: when the call returns
  // nothing of this library is left behind (no window, no connection, no
  // timer), since the desktop unloads it right away.
  QDialog dialog(QApplication::activeWindow());
  dialog.setObjectName(copy(u"ExampleModule"));
  dialog.setWindowTitle(copy(u"Castellan/Orba"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* option = new QLabel(copy(t.option).arg(optionCode()), &dialog);
  option->setObjectName(copy(u"OptionLabel"));
  layout->addWidget(option);
  auto* form = new QFormLayout;
  layout->addLayout(form);
  addRow(form, &dialog, t.user, text(link.UserName), u"UserLabel");
  addRow(form, &dialog, t.company, text(link.CompanyName) + copy(u" (") + text(link.CompanyNumber) + u')',
         u"CompanyLabel");
  addRow(form, &dialog, t.folder, QDir::toNativeSeparators(folder), u"FolderLabel");
  addRow(form, &dialog, t.tables, QString::number(tables.size()), u"TablesLabel");
  addRow(form, &dialog, t.printer, printer.isEmpty() ? copy(t.noPrinter) : printer, u"PrinterLabel");
  auto* buttons = new QDialogButtonBox(&dialog);
  QPushButton* close = buttons->addButton(copy(t.close), QDialogButtonBox::AcceptRole);
  close->setObjectName(copy(u"CloseButton"));
  close->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  layout->addWidget(buttons);

  dialog.exec();
  return 1;
}
