// The main window's desktop: the list panels and shortcut icons wired to the
// window, the context menu's commands, and the user's stored desktop saved
// at close and rebuilt after login.

#include <QMenu>

#include "DataModules.h"
#include "DatabaseError.h"
#include "DesktopDialogs.h"
#include "DesktopPanels.h"
#include "DesktopStore.h"
#include "LinkRecord.h"
#include "ListPanel.h"
#include "LogoAppForm.h"
#include "Messages.h"
#include "PrinterCatalog.h"
#include "PropertyTable.h"
#include "ShortcutIcons.h"
#include "StandardIcons.h"
#include "SystemCaptions.h"
#include "ToDoPrinting.h"
#include "ToDoText.h"
#include "TransparentButton.h"
#include "Wallpaper.h"

namespace orba::shell {

using dispatch::ErrorMessage;
using dispatch::LinkRecord;

void TLogoAppForm::createDesktop() {
  panels_->setHooks({
      .allowed =
          [this](const QString& code) { return context_.ShortcutDlg && context_.ShortcutDlg->allows(code); },
      .changed = [this] { desktopChanged_ = true; },
      // The wallpaper behind a moved panel is painted at once, not when the
      // event loop gets to it.
      .repaintWindow = [this] { repaint(); },
      .runOption = [this](const QString& code, const QString& context) { RunOption(code, context); },
      .showError = [this](const QString& text) { showError(text); },
      .describe = [this](const data::DatabaseError& e) { return describe(e); },
      .printToDo = [this] { PrintThingsToDoClick(); },
  });
  icons_ = std::make_unique<ShortcutIcons>(Wallpaper1, components_, *panels_);
  icons_->setHooks({
      .changed = [this] { desktopChanged_ = true; },
      .runOption = [this](const QString& name) { RunOption(name); },
      .showMessage = [this](ErrorMessage which) { controls::Messages::show(message(which), this); },
      .showError = [this](const QString& text) { showError(text); },
  });
  icons_->setProgramDir(LinkRecord::instance().get(LinkRecord::Field::ProgramDir));
  icons_->setPopupMenu(popup_, PopupMenu->name());
  store_ = std::make_unique<DesktopStore>(*Wallpaper1, *panels_, *icons_, components_);
  captions_ = std::make_unique<SystemCaptions>(
      *panels_, *icons_, [] { return QStringLiteral("MainMenu") + LinkRecord::instance().languageCode(); });
  store_->setSystemCaptions(captions_.get());
  // A desktop made smaller (the window, a smaller screen) keeps every panel
  // and icon within reach.
  connect(Wallpaper1, &desktop::TWallpaper::resized, this, [this] {
    panels_->bringOntoDesktop();
    icons_->bringOntoDesktop();
  });
}

QObject* TLogoAppForm::popupComponent() const { return popup_->property("popupComponent").value<QObject*>(); }

void TLogoAppForm::Properties1Click() {
  QObject* target = popupComponent();
  if (target == Wallpaper1)
    Changeproperties1Click();
  else if (auto* icon = qobject_cast<desktop::TTransparentButton*>(target))
    icons_->editProperties(icon);
}

void TLogoAppForm::Shortcut1Click() {
  icons_->setProgramDir(LinkRecord::instance().get(LinkRecord::Field::ProgramDir));
  icons_->add();
}

void TLogoAppForm::DeleteShortCutClick() { icons_->remove(popupComponent()); }

void TLogoAppForm::PrintThingsToDoClick() {
  const QString title = panels_->panel(PanelId::ThingsToDo)->caption();
  switch (printToDoList(title, panels_->toDoText()->toPlainText())) {
    case ToDoPrinted::Printed:
      break;
    case ToDoPrinted::NoPrinter:
      controls::Messages::information(message(ErrorMessage::NoPrinter), this);
      break;
    case ToDoPrinted::Failed:
      showError(message(ErrorMessage::NotPrinted).arg(printers::PrinterCatalog::instance().currentName()));
      break;
  }
}

void TLogoAppForm::Set_Desktop() {
  std::vector<DesktopRow> stored;
  std::vector<DesktopRowProblem> problems;
  // A desktops table that could not be opened was told at the login: the
  // standard desktop stands in for the stored one.
  data::Table* desktops = context_.UserDataModule->Desktop_table;
  if (desktops->isActive()) {
    try {
      stored = DesktopStore::load(*desktops, &problems);
    } catch (const data::DatabaseError& e) {
      // The built-in desktop stays; the user's menus are set up all the same.
      showError(describe(e));
    }
  }
  if (!stored.empty() || !problems.empty()) {
    // The stored icons replace the ones on the desktop.
    icons_->destroyAll();
    const std::vector<DesktopRowProblem> restored = store_->restore(stored);
    problems.insert(problems.end(), restored.begin(), restored.end());
    if (!problems.empty()) {
      // Each skipped row once, in one message; the rest of the desktop and
      // what follows are set up all the same.
      QString text = message(ErrorMessage::DesktopRowsSkipped)
                         .arg(context_.UserDataModule->User_table->text(QStringLiteral("User_code")));
      for (const DesktopRowProblem& p : problems)
        text += QLatin1Char('\n') + message(ErrorMessage::DesktopRowProblem)
                                        .arg(QString::number(p.kind), QString::number(p.index), p.reason);
      controls::Messages::error(text, this);
    }
    if (icons_->icons().empty() && stored.empty()) restoreStandardIcons();
  } else if (icons_->icons().empty()) {
    // A user with no stored desktop (a new user) gets the standard icons,
    // without which the lists could not be opened; a user without rows
    // who follows another in the same run keeps what is on the desktop.
    restoreStandardIcons();
  }
  setUpAfterRestore();
}

void TLogoAppForm::restoreStandardIcons() {
  const bool french = LinkRecord::instance().languageCode() == QLatin1String("fr");
  std::vector<DesktopRow> rows;
  for (int i = 0; i < desktop::kStandardIconCount; ++i) {
    const std::string stream = desktop::standardIconStream(i, french);
    rows.push_back({DesktopRow::Icon, i, QByteArray(stream.data(), static_cast<qsizetype>(stream.size()))});
  }
  icons_->destroyAll();
  store_->restore(rows);
  desktopChanged_ = true;
}

void TLogoAppForm::setUpAfterRestore() {
  LinkRecord::instance().setLanguageNumber(
      context_.UserDataModule->User_table->value(QStringLiteral("User_language")).toInt());

  // The menus of the modules that are not installed, and the contract
  // options, which no installation offers.
  auto hide = [this](const char* name) {
    if (controls::MenuItem* item = MainMenu->find(QString::fromLatin1(name))) item->setVisible(false);
  };
  if (!shell_.payrollInstalled()) {
    hide("Payroll1");
  } else if (!TShellSettings::isYes(shell_.payrollCCQ)) {
    for (const char* name : {"pa30", "pa31", "pa32", "pa33", "pa34"}) hide(name);
  }
  if (!shell_.trackerInstalled()) hide("Tracker1");
  for (const char* name : {"fa20", "fa21", "fa22", "fa21f", "fa20f", "fa22f"}) hide(name);

  icons_->applyPopupMenu();
  setVersionPanel();
  RebuildCatalogue(true);
}

bool TLogoAppForm::Save_Desktop() {
  // The stored desktop is replaced whole or not at all: a failure leaves the
  // one stored before, and the user chooses: try again (another workstation
  // may have let go of the table), quit without saving, or stay.
  for (;;) {
    QString failure;
    try {
      const QString user = context_.UserDataModule->User_table->text(QStringLiteral("User_code"));
      DesktopStore::save(*context_.UserDataModule->Desktop_table, user, store_->rows());
      return true;
    } catch (const data::DatabaseError& e) {
      failure = describe(e);
    } catch (const desktop::StreamError& e) {
      failure = QString::fromStdString(e.what());
    }
    const int choice =
        controls::Messages::choose(message(ErrorMessage::DesktopNotSaved).arg(failure),
                                   {message(ErrorMessage::Retry), message(ErrorMessage::QuitWithoutSaving),
                                    message(ErrorMessage::Cancel)},
                                   this);
    if (choice == 1) return true;   // the user lets the desktop go
    if (choice != 0) return false;  // Cancel, or the box closed: stay
  }
}

}  // namespace orba::shell
