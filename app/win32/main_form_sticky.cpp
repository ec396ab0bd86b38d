// Sticky windows: the "Sticky..." command of the windows tree, and the rules kept across runs.
#include "platform/win32/windows_api.h"

#include "app/win32/main_form.h"
#include "app/win32/sticky_prop_form.h"
#include "engine/win2tree.h"
#include "settings/sticky_rules.h"

namespace mirel::win32 {

void TVirtualDeskForm::StickyActionExecute() {
  if (!CheckWindowSelected()) return;
  // Taken before the dialog: the main form refreshes the tree when it is activated again.
  const Hwnd window = SelectedWindow();
  // The dialog is made at its first use and then kept, like the program's other dialogs.
  if (!StickyPropForm_) StickyPropForm_ = std::make_unique<TfStickyProp>(app_, Handle());
  StickyPropForm_->SetWindowTexts(GetWindowTitle(ws_, window), GetWindowClass(ws_, window));
  if (StickyPropForm_->ShowModal() != mrOk) return;

  // A rule that could never match (an empty box) is not added. The rule takes effect at the next
  // pass of the hiding option, as every switch makes one.
  const auto rule =
      MakeStickyRule(StickyPropForm_->ChosenKind(), window, StickyPropForm_->ChosenText());
  if (rule && DeskCFG.StickyWindows) AddStickyRule(*DeskCFG.StickyWindows, *rule);
}

void TVirtualDeskForm::LoadStickyRules() {
  // Stored rules that cannot be used are skipped without a word: they are only ever ours.
  if (DeskCFG.StickyWindows) mirel::LoadStickyRules(registry_, *DeskCFG.StickyWindows);
}

void TVirtualDeskForm::SaveStickyRules() {
  if (!DeskCFG.StickyWindows) return;
  if (const auto error = mirel::SaveStickyRules(registry_, *DeskCFG.StickyWindows)) {
    app_.ShowException(*error);
  }
}

}  // namespace mirel::win32
