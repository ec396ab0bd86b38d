// The main form's settings: the controls hold them between loading at start and saving at exit.
#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include "app/win32/main_form.h"
#include "platform/win32/wide_text.h"
#include "settings/shortcut.h"

namespace mirel::win32 {

void TVirtualDeskForm::LoadSettings() {
  TSettings settings;
  // A value that cannot be read is reported and takes its default; loading goes on.
  for (const std::string& error : mirel::LoadSettings(registry_, shell_, settings)) {
    app_.ShowException(error);
  }
  ::SendMessageW(AutoStartBox_, BM_SETCHECK, settings.AutoStart ? BST_CHECKED : BST_UNCHECKED, 0);
  ::SendMessageW(HideAppsCB_, BM_SETCHECK, settings.HideApps ? BST_CHECKED : BST_UNCHECKED, 0);
  for (std::size_t slot = 0; slot < HotkeysDesktop_.size(); ++slot) {
    ::SendMessageW(HotkeysDesktop_[slot], HKM_SETHOTKEY,
                   HotKeyWordForControl(settings.HotKeys[slot]), 0);
  }
  for (std::size_t slot = 0; slot < CommandHotKeys_.size(); ++slot) {
    ::SendMessageW(CommandHotKeys_[slot], HKM_SETHOTKEY,
                   HotKeyWordForControl(settings.CommandHotKeys[slot]), 0);
  }
  DeskCFG.HideApps = settings.HideApps;
  ::SendMessageW(KeepWindowStateCB_, BM_SETCHECK,
                 settings.KeepWindowState ? BST_CHECKED : BST_UNCHECKED, 0);
  DeskCFG.KeepWindowState = settings.KeepWindowState;
  ::SendMessageW(TrayFollowsCB_, BM_SETCHECK,
                 settings.TrayFollows ? BST_CHECKED : BST_UNCHECKED, 0);
  DeskCFG.DesktopNames = settings.Names;
  for (std::size_t d = 0; d < DesktopNameEdits_.size(); ++d) {
    ::SetWindowTextW(DesktopNameEdits_[d], Wide(settings.Names[d]).c_str());
  }
  LoadStickyRules();
}

void TVirtualDeskForm::SaveSettings() {
  TSettings settings;
  settings.AutoStart = ::SendMessageW(AutoStartBox_, BM_GETCHECK, 0, 0) == BST_CHECKED;
  settings.HideApps = ::SendMessageW(HideAppsCB_, BM_GETCHECK, 0, 0) == BST_CHECKED;
  settings.TrayFollows = TrayFollows();
  for (std::size_t d = 0; d < DesktopNameEdits_.size(); ++d) {
    settings.Names[d] = ReadWindowText(DesktopNameEdits_[d]);  // cleaned as it is saved
  }
  for (std::size_t slot = 0; slot < HotkeysDesktop_.size(); ++slot) {
    settings.HotKeys[slot] = ShortCutFromHotKeyWord(
        static_cast<std::uint16_t>(::SendMessageW(HotkeysDesktop_[slot], HKM_GETHOTKEY, 0, 0)));
  }
  settings.KeepWindowState = ::SendMessageW(KeepWindowStateCB_, BM_GETCHECK, 0, 0) == BST_CHECKED;
  for (std::size_t slot = 0; slot < CommandHotKeys_.size(); ++slot) {
    settings.CommandHotKeys[slot] = ShortCutFromHotKeyWord(
        static_cast<std::uint16_t>(::SendMessageW(CommandHotKeys_[slot], HKM_GETHOTKEY, 0, 0)));
  }
  if (const auto error = mirel::SaveSettings(registry_, shell_, settings)) {
    app_.ShowException(*error);
  }
  SaveStickyRules();
}

void TVirtualDeskForm::RegisterHotKeys() {
  THotKeys hotKeys{};
  for (std::size_t slot = 0; slot < HotkeysDesktop_.size(); ++slot) {
    hotKeys[slot] = ShortCutFromHotKeyWord(
        static_cast<std::uint16_t>(::SendMessageW(HotkeysDesktop_[slot], HKM_GETHOTKEY, 0, 0)));
  }
  mirel::RegisterHotKeys(ws_, MainWindow(), hotKeys);
  TCommandHotKeys commandHotKeys{};
  for (std::size_t slot = 0; slot < CommandHotKeys_.size(); ++slot) {
    commandHotKeys[slot] = ShortCutFromHotKeyWord(
        static_cast<std::uint16_t>(::SendMessageW(CommandHotKeys_[slot], HKM_GETHOTKEY, 0, 0)));
  }
  RegisterCommandHotKeys(ws_, MainWindow(), commandHotKeys);
}

void TVirtualDeskForm::UnregisterHotKeys() {
  mirel::UnregisterHotKeys(ws_, MainWindow());
  UnregisterCommandHotKeys(ws_, MainWindow());
}

}  // namespace mirel::win32
