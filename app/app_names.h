// Names that identify the program's windows and its stored data. The end-to-end tests find the
// program's windows by these names, so they are part of its observable surface.
#pragma once

namespace mirel {

inline constexpr const char* kAppTitle = "Mirel Virtual Desktop";

// Window classes of the program's own top-level windows.
inline constexpr const char* kApplicationWindowClass = "TApplication";  // hidden, owns the taskbar button
inline constexpr const char* kMainFormClass = "TVirtualDeskForm";
inline constexpr const char* kOverlayFormClass = "TfDesktopName";
inline constexpr const char* kAboutFormClass = "TAboutForm";
inline constexpr const char* kTransparencyFormClass = "TTransparencyForm";
inline constexpr const char* kSleepTimerFormClass = "TSleepTimerForm";
inline constexpr const char* kStickyPropFormClass = "TfStickyProp";

// Registry keys below HKEY_CURRENT_USER.
inline constexpr const char* kProgramKeyPath = "Software\\Mirel\\Virtual Desktop";
inline constexpr const char* kOptionsKeyPath = "Software\\Mirel\\Virtual Desktop\\Options";

// Hot-key ids of desktops 1..8 on the main form's window.
inline constexpr int kFirstHotKeyId = 205;

}  // namespace mirel
