#pragma once

namespace orba::data {
class TUserDataModule;
class TCo_DataModule;
class TGl_DataModule;
class TAr_DataModule;
class TAp_DataModule;
class TEmp_DataModule;
class TInvDataModule;
}  // namespace orba::data
namespace orba::desktop {
class TShortcutDlg;
class TPropertiesDlg;
}  // namespace orba::desktop

namespace orba::shell {

class TLogoAppForm;
class TAboutBox;
class TPasswordDlg;
class TCompPasswd_Frm;
class TContactUs;
class TfrmDefaultInfo;
class TfrmSetup;
class TfrmWelcome;
class THelpWindow;

// Every window and data module of the run, created once by start-up in this
// order and handed, typed, to whoever works with them. Nothing is looked up
// by name. The objects live until the run ends; this record does not own
// them.
struct AppContext {
  TLogoAppForm* LogoAppForm = nullptr;
  TAboutBox* AboutBox = nullptr;
  TPasswordDlg* PasswordDlg = nullptr;
  data::TUserDataModule* UserDataModule = nullptr;
  data::TGl_DataModule* Gl_DataModule = nullptr;
  data::TAr_DataModule* Ar_DataModule = nullptr;
  data::TAp_DataModule* Ap_DataModule = nullptr;
  data::TCo_DataModule* Co_DataModule = nullptr;
  data::TEmp_DataModule* Emp_DataModule = nullptr;
  TCompPasswd_Frm* CompPasswd_Frm = nullptr;
  data::TInvDataModule* InvDataModule = nullptr;
  TContactUs* ContactUs = nullptr;
  TfrmDefaultInfo* frmDefaultInfo = nullptr;
  TfrmSetup* frmSetup = nullptr;
  TfrmWelcome* frmWelcome = nullptr;
  desktop::TShortcutDlg* ShortcutDlg = nullptr;
  desktop::TPropertiesDlg* PropertiesDlg = nullptr;
  THelpWindow* HelpWindow = nullptr;
};

}  // namespace orba::shell
