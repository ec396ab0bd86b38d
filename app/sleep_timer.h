// The sleep timer's rules, apart from the window timer and the dialog: the minutes the dialog
// accepts, the interval they give, when arming or disarming must (re)start or stop the window
// timer, the kind of shutdown chosen in the dialog, and the files the power and help commands read
// from the program's folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mirel {

inline constexpr int kSleepMinutesMin = 1;
// The largest whole number of minutes whose milliseconds still fit a signed 32-bit number: window
// timers take the interval as a 32-bit value, and 35792 minutes would wrap to a negative one.
inline constexpr int kSleepMinutesMax = 35791;
inline constexpr int kSleepMinutesInitial = 10;
inline constexpr std::uint32_t kMillisecondsPerMinute = 60000;
// The interval of the timer component before the sleep timer is ever started.
inline constexpr std::uint32_t kSleepTimerDefaultInterval = 60000;

// The id of the sleep timer's window timer on the main form's window; the form's other timers
// (the visual manager's drag delay) use ids of their own.
inline constexpr std::uintptr_t kSleepTimerId = 3303;

bool ValidSleepMinutes(long long minutes);
// Milliseconds of a valid number of minutes; throws std::out_of_range otherwise.
std::uint32_t SleepTimerInterval(int minutes);
// The minutes typed into the spin edit: decimal digits only (no sign, no separators, no blanks),
// within the limits. Anything else is nullopt.
std::optional<int> ParseSleepMinutes(std::string_view text);

// What the window timer must do after a change of the sleep timer's state.
enum class TTimerChange {
  None,     // nothing: the timer keeps its state (and a running delay goes on)
  Restart,  // (re)start the timer with Interval(): the delay counts from now
  Stop,     // stop the timer
};

// The state of the sleep timer's clock: enabled or not, and its interval. Setting an interval or an
// enabled state that the clock already has changes nothing; a new interval restarts a running
// clock. The clock fires again after each interval until it is disarmed.
class TSleepTimer {
 public:
  bool Armed() const { return enabled_; }
  std::uint32_t Interval() const { return interval_; }

  // "Start" with a valid number of minutes (std::out_of_range otherwise).
  TTimerChange Arm(int minutes);
  // "Cancel" or the dialog's close box.
  TTimerChange Disarm();

 private:
  bool enabled_ = false;
  std::uint32_t interval_ = kSleepTimerDefaultInterval;
};

// The kinds of shutdown of the "Type" combo box, by item index.
inline constexpr int kSleepTypePowerOff = 0;
inline constexpr int kSleepTypeRestart = 1;
// ExitWindowsEx flags (values of the platform's EWX_ constants).
inline constexpr unsigned kExitShutdown = 0x1;
inline constexpr unsigned kExitReboot = 0x2;
inline constexpr unsigned kExitPowerOff = 0x8;
// The ExitWindowsEx flags for the selected item; nullopt when no known item is selected.
std::optional<unsigned> ShutdownFlagsForType(int typeIndex);

// The folder of an executable path, ending in a backslash (empty when the path has no folder).
std::string ProgramFolderOf(std::string_view executablePath);
std::string HelpPagePath(std::string_view programFolder);
std::string SleepPicturePath(std::string_view programFolder);

// The text of the error box for a file that could not be loaded: the full path and the system's
// reason, with the trailing line break and blanks of a system message removed.
std::string CannotOpenFileMessage(std::string_view path, std::string_view systemReason);

}  // namespace mirel
