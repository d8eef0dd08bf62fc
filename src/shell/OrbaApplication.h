#pragma once

#include <QObject>
#include <memory>
#include <string>
#include <vector>

#include "AppContext.h"
#include "ProgressDialog.h"
#include "SettingsStore.h"

namespace orba::shell {

class TLogoAppForm;

// The running program: the settings store, the progress dialog and every
// window and data module, created once, in a fixed order, for the whole run.
class OrbaApplication {
 public:
  struct Options {
    settings::SettingsStore::Paths settings = settings::SettingsStore::defaultPaths();
    std::vector<std::string> progressLibraries = ProgressDialog::defaultCandidates();
  };

  explicit OrbaApplication(Options options);
  ~OrbaApplication();

  // The start-up sequence up to the message loop: progress dialog, the
  // application title, every window and data module, the regional formats.
  // A QApplication must exist. The main window is not yet shown.
  void start();

  TLogoAppForm* mainWindow() const { return context_.LogoAppForm; }
  // Every window and data module, typed; valid after start().
  const AppContext& context() const { return context_; }
  settings::SettingsStore& settings() { return *settings_; }

  // Every window and data module, in creation order.
  const std::vector<QObject*>& instances() const { return instances_; }

 private:
  template <typename T>
  T* create(T* instance);

  Options options_;
  std::unique_ptr<settings::SettingsStore> settings_;
  ProgressDialog progress_;
  std::vector<QObject*> instances_;
  AppContext context_;
};

}  // namespace orba::shell
