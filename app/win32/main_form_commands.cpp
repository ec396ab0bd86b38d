// Desktop commands of the main form: the hot keys of the "More hot keys" page, the tray menu's
// "Move active window to", and the commands other programs send (WM_COPYDATA).
#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include "app/command_message.h"
#include "app/win32/main_form.h"
#include "engine/desktop_geometry.h"

namespace mirel::win32 {

void TVirtualDeskForm::CreateCommandHotKeysPage(HWND page, int top, int width, int height) {
  // Two columns of six, laid out like the "Hot keys" page with wider labels.
  HWND panel = CreatePanel(page, TPixelBounds{0, top, width, height});
  constexpr int kRows = kCommandHotKeyCount / 2;
  for (int slot = 0; slot < kCommandHotKeyCount; ++slot) {
    const int column = slot / kRows;
    const int y = 14 + 32 * (slot % kRows);
    const TCommandHotKey& hotKey = kCommandHotKeySlots[static_cast<std::size_t>(slot)];
    CreateControl(panel, L"STATIC", hotKey.Label, SS_LEFT, column ? 246 : 8, y + 2, 100, 13, 0,
                  Font());
    CommandHotKeys_[static_cast<std::size_t>(slot)] =
        CreateControl(panel, HOTKEY_CLASSW, "", WS_TABSTOP, column ? 346 : 108, y, 130, 19, 0,
                      Font(), WS_EX_CLIENTEDGE);
  }
}

LRESULT TVirtualDeskForm::WMCopyData(LPARAM data) {
  const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(data);
  if (copy == nullptr) return kCommandRefused;
  const std::optional<TDeskCommand> command =
      DecodeCommandMessage(copy->dwData, copy->lpData, copy->cbData);
  if (!command) return kCommandRefused;
  if (command->Kind == TDeskCommandKind::kCurrent) return engine_.CurrentDesktop() + 1;
  // The sender waits for the answer; the command runs from the queue once it has it. A posted
  // message with no command waiting does nothing, whoever posts it.
  pendingCommands_.push_back(*command);
  ::PostMessageW(Handle(), kRunCommandsMessage, 0, 0);
  return kCommandTaken;
}

void TVirtualDeskForm::RunPendingCommands() {
  while (!pendingCommands_.empty()) {
    const TDeskCommand command = pendingCommands_.front();
    pendingCommands_.pop_front();
    engine_.Request(
        [this, command] { RunDeskCommand(engine_, command, ws_.GetForegroundWindow()); });
  }
}

void TVirtualDeskForm::AddMoveActiveWindowMenu(TMenuItem& items) {
  mMoveActiveWindow_ = &items.Add("Move active window to");
  for (int n = 1; n <= kDesktopCount; ++n) {
    mMoveActiveWindow_->Add("Desktop &" + std::to_string(n)).OnClick =
        [this, n](const TMenuItem&) { MoveActiveWindowClick(n); };
  }
}

void TVirtualDeskForm::MoveActiveWindowClick(int n) {
  engine_.Request([this, n] {
    engine_.MoveFamilyToDesktop(engine_.ActiveOrTopmost(activeBeforeMenu_), n - 1, false);
  });
}

}  // namespace mirel::win32
