// A stand-in for an accounting option: a small modal window that names the
// option and lists the link record the desktop passed, so the whole path
// from menu to module (loading, the record, the language) can be seen and
// tested before the real option exists.
//
// The same file is installed under several option names (gl03.so,
// ar05.so, ...); the option is its own file name without ".so".
//
// The host must already have a QApplication; without one ShowDllForm
// returns 0 rather than create a second application object.
//
// ORBA_SAMPLE_AUTOCLOSE=<milliseconds>: close the window by itself after
// that delay, so automated runs of the desktop do not wait for a click.

#include <dlfcn.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>

#ifdef ORBA_SAMPLE_CATALOGUE
#define ORBA_ENTRY_POINT 3
#else
#define ORBA_ENTRY_POINT 1
#endif
#include "castellan/linku.h"

namespace {

// Every string given to Qt is a heap copy, never QStringLiteral: a literal's
// characters stay in this library's read-only data, and any copy Qt or the
// desktop kept (a window title, an object name) would point into unmapped
// memory once the library is unloaded.
QString owned(const char* latin1) { return QString::fromLatin1(latin1); }

struct Texts {
  const char16_t* option;
  const char16_t* userName;
  const char16_t* loginName;
  const char16_t* companyNumber;
  const char16_t* companyName;
  const char16_t* language;
  const char16_t* printer;
  const char16_t* customer;
  const char16_t* programDir;
  const char16_t* dataDir;
  const char16_t* optionContext;
  const char16_t* userDetail;
  const char16_t* close;
};

constexpr Texts kEnglish = {
    u"This is option %1.", u"User name",     u"Login name", u"Company number",    u"Company name",
    u"Language",           u"Printer index", u"Customer",   u"Program directory", u"Data directory",
    u"Option context",     u"User detail",   u"OK",
};

constexpr Texts kFrench = {
    u"Ceci est l’option %1.",
    u"Nom de l’utilisateur",
    u"Nom de connexion",
    u"Numéro de l’entreprise",
    u"Nom de l’entreprise",
    u"Langue",
    u"Numéro d’imprimante",
    u"Client",
    u"Dossier du programme",
    u"Dossier des données",
    u"Contexte de l’option",
    u"Détail de l’utilisateur",
    u"Fermer",
};

// The stored length rather than strlen: it is what a real module would rely
// on, and a record whose lengths are wrong then shows visibly wrong text.
QString text(OrbaString s) { return QString::fromUtf8(s, OrbaStringLength(s)); }

QString languageCode(const OrbaLanguageCode& code) {
  const int n = code.length < 2 ? code.length : 2;
  return QString::fromLatin1(code.chars, n);
}

QString optionName() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&optionName), &info) || !info.dli_fname) return {};
  QString name = QString::fromLocal8Bit(info.dli_fname);
  name = name.mid(name.lastIndexOf(u'/') + 1);
  if (name.endsWith(u".so")) name.chop(3);
  return name;
}

QString describe(const TLinkSection& link, const Texts& t) {
  const auto line = [](const char16_t* caption, const QString& value) {
    return QString::fromUtf16(caption) + owned(": ") + value + u'\n';
  };
  QString out;
  out += line(t.userName, text(link.UserName));
  out += line(t.loginName, text(link.LoginName));
  out += line(t.companyNumber, text(link.CompanyNumber));
  out += line(t.companyName, text(link.CompanyName));
  out +=
      line(t.language, QString::number(link.Language) + owned(" (") + languageCode(link.LanguageCode) + u')');
  out += line(t.printer, text(link.PrinterIndex));
  out += line(t.customer, text(link.Customer));
  out += line(t.programDir, text(link.ProgramDir));
  out += line(t.dataDir, text(link.DataDir));
  out += line(t.optionContext, text(link.OptionContext));
  out += line(t.userDetail, QString::number(link.UserDetail));
  out.chop(1);
  return out;
}

}  // namespace

namespace {

std::int32_t show(const TLinkSection& link, const QString& extra) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
  const Texts& t = link.Language == 2 ? kFrench : kEnglish;

  // On the stack, with every child and the timer parented to it: nothing of
  // this library's code may outlive the call, because the desktop unloads
  // the library as soon as it returns.
  QDialog dialog(QApplication::activeWindow());
  dialog.setObjectName(owned("SampleModuleDialog"));
  dialog.setWindowTitle(owned("Castellan/Orba"));
  dialog.setModal(true);

  auto* layout = new QVBoxLayout(&dialog);
  auto* option = new QLabel(QString::fromUtf16(t.option).arg(optionName()), &dialog);
  option->setObjectName(owned("OptionLabel"));
  layout->addWidget(option);

  auto* context = new QPlainTextEdit(describe(link, t) + extra, &dialog);
  context->setObjectName(owned("ContextText"));
  context->setReadOnly(true);
  context->setLineWrapMode(QPlainTextEdit::NoWrap);
  layout->addWidget(context);

  auto* buttons = new QDialogButtonBox(&dialog);
  QPushButton* close = buttons->addButton(QString::fromUtf16(t.close), QDialogButtonBox::AcceptRole);
  close->setObjectName(owned("CloseButton"));
  close->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  layout->addWidget(buttons);
  dialog.resize(460, 320);

  bool ok = false;
  const int delay = qEnvironmentVariableIntValue("ORBA_SAMPLE_AUTOCLOSE", &ok);
  if (ok && delay >= 0) {
    auto* timer = new QTimer(&dialog);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, &dialog, &QDialog::accept);
    timer->start(delay);
  }

  dialog.exec();
  return 1;
}

}  // namespace

#ifdef ORBA_SAMPLE_CATALOGUE
// Built as the Tools-menu maintenance library: it also lists the option
// catalogue it was given.
ORBA_MODULE_EXPORT std::int32_t ShowDllForm(TLinkSection link, const OrbaStringList* optionNames,
                                            const OrbaStringList* dllList) {
  QString extra = QString::fromUtf8("\n");
  const std::int32_t count = optionNames && dllList ? std::min(optionNames->count, dllList->count) : 0;
  for (std::int32_t i = 0; i < count; ++i)
    extra += QString::fromUtf8("\n") + QString::fromUtf8(dllList->lines[i]) + QString::fromUtf8("\t") +
             QString::fromUtf8(optionNames->lines[i]);
  return show(link, extra);
}
#else
ORBA_MODULE_EXPORT std::int32_t ShowDllForm(TLinkSection link) { return show(link, QString()); }
#endif
