// The layouts of remote_layout.h checked against the system's structures of this build: the 32-bit
// build checks the 32-bit column, the 64-bit build the 64-bit one.
#include "e2e/driver/remote_layout.h"

#include <cstddef>

#include "platform/win32/windows_api.h"

#include <commctrl.h>

namespace mirel::e2e {
namespace {

constexpr Bitness kOwn = sizeof(void*) == 8 ? Bitness::k64 : Bitness::k32;

static_assert(ToolInfoFor(kOwn).size == sizeof(TTTOOLINFOW));
static_assert(ToolInfoFor(kOwn).cbSize == offsetof(TTTOOLINFOW, cbSize));
static_assert(ToolInfoFor(kOwn).hwnd == offsetof(TTTOOLINFOW, hwnd));
static_assert(ToolInfoFor(kOwn).rect == offsetof(TTTOOLINFOW, rect));
static_assert(ToolInfoFor(kOwn).lpszText == offsetof(TTTOOLINFOW, lpszText));

static_assert(TreeItemFor(kOwn).size == sizeof(TVITEMW));
static_assert(TreeItemFor(kOwn).mask == offsetof(TVITEMW, mask));
static_assert(TreeItemFor(kOwn).hItem == offsetof(TVITEMW, hItem));
static_assert(TreeItemFor(kOwn).pszText == offsetof(TVITEMW, pszText));
static_assert(TreeItemFor(kOwn).cchTextMax == offsetof(TVITEMW, cchTextMax));

static_assert(ToolbarButtonFor(kOwn).size == sizeof(TBBUTTON));
static_assert(ToolbarButtonFor(kOwn).idCommand == offsetof(TBBUTTON, idCommand));

}  // namespace
}  // namespace mirel::e2e
