// Shows the shell's small windows by themselves, translated from the
// language tables, for a person or a screenshot to look at under a real X
// server (scripts/screenshots.sh). PROGRAM_DIR is a program folder with the
// language tables at ../languages and the help books inside.
//
//   shell_gallery PROGRAM_DIR LANG wizard PAGE   the set-up wizard at page 1..5
//   shell_gallery PROGRAM_DIR LANG welcome
//   shell_gallery PROGRAM_DIR LANG about DATADRIVE
//   shell_gallery PROGRAM_DIR LANG contact
//   shell_gallery PROGRAM_DIR LANG help TOPIC    the help window at a topic
//
// LANG is "en" or "fr".
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <cstring>

#include "HelpBook.h"
#include "HelpWindow.h"
#include "MaskEdit.h"
#include "RadioGroup.h"
#include "SetCaptions.h"
#include "SetupWindows.h"
#include "SmallWindows.h"

using namespace orba::shell;

namespace {

template <typename Window>
void translate(Window& window, const QString& language) {
  orba::localization::SetCaptions(&window, window.components(), QStringLiteral("MainMenu") + language);
}

// Through the pages as a user in Quebec (French) or Ontario (English) goes.
void toPage(TfrmDefaultInfo& wizard, int page, bool french) {
  wizard.FormActivate();
  wizard.rgpInCanada->setItemIndex(0);
  if (page >= 2) wizard.btnNext1->click();
  if (page >= 3) {
    wizard.cbxProvinces->setCurrentIndex(french ? 7 : 8);
    wizard.btnNext2->click();
  }
  if (page >= 4) wizard.btnNext3->click();
  if (page >= 5) wizard.btnNext4->click();
}

int usage() {
  std::fprintf(stderr,
               "usage: shell_gallery PROGRAM_DIR en|fr wizard PAGE|welcome|about DIR|contact|help TOPIC\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 4) return usage();
  const QString programDir = QString::fromLocal8Bit(argv[1]);
  const QString language = QString::fromLatin1(argv[2]);
  const bool french = language == QLatin1String("fr");
  const char* what = argv[3];
  const QString argument = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QString();
  orba::localization::setProgramDirectory(programDir);

  if (std::strcmp(what, "wizard") == 0) {
    static TfrmDefaultInfo wizard;
    wizard.setDataDir(programDir + QStringLiteral("/../data"));
    wizard.setLanguage(french ? 2 : 1);
    translate(wizard, language);
    wizard.show();
    toPage(wizard, argument.toInt(), french);
  } else if (std::strcmp(what, "welcome") == 0) {
    static TfrmWelcome welcome;
    translate(welcome, language);
    welcome.show();
  } else if (std::strcmp(what, "about") == 0) {
    static TAboutBox about;
    translate(about, language);
    about.setInstallation(argument, QStringLiteral("Y"), QStringLiteral("n"));
    about.show();
  } else if (std::strcmp(what, "contact") == 0) {
    static TContactUs contact;
    translate(contact, language);
    contact.setLanguage(french ? 2 : 1);
    contact.show();
  } else if (std::strcmp(what, "help") == 0) {
    static THelpWindow help;
    translate(help, language);
    if (!help.showTopic(help_book::folder(programDir, french ? 2 : 1, language), argument)) return 1;
  } else {
    return usage();
  }
  return app.exec();
}
