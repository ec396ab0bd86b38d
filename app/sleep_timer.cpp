#include "app/sleep_timer.h"

#include <stdexcept>

namespace mirel {

static_assert(static_cast<long long>(kSleepMinutesMax) * kMillisecondsPerMinute <= 0x7FFFFFFF,
              "the longest delay must fit a signed 32-bit interval");
static_assert(static_cast<long long>(kSleepMinutesMax + 1) * kMillisecondsPerMinute > 0x7FFFFFFF,
              "the limit is the largest such number of minutes");

bool ValidSleepMinutes(long long minutes) {
  return minutes >= kSleepMinutesMin && minutes <= kSleepMinutesMax;
}

std::uint32_t SleepTimerInterval(int minutes) {
  if (!ValidSleepMinutes(minutes)) {
    throw std::out_of_range("Sleep timer minutes out of range: " + std::to_string(minutes));
  }
  return static_cast<std::uint32_t>(minutes) * kMillisecondsPerMinute;
}

std::optional<int> ParseSleepMinutes(std::string_view text) {
  if (text.empty()) return std::nullopt;
  long long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    // Stop before a long run of digits could overflow.
    if (value > kSleepMinutesMax) return std::nullopt;
  }
  if (!ValidSleepMinutes(value)) return std::nullopt;
  return static_cast<int>(value);
}

TTimerChange TSleepTimer::Arm(int minutes) {
  const std::uint32_t interval = SleepTimerInterval(minutes);
  if (enabled_ && interval == interval_) return TTimerChange::None;
  enabled_ = true;
  interval_ = interval;
  return TTimerChange::Restart;
}

TTimerChange TSleepTimer::Disarm() {
  if (!enabled_) return TTimerChange::None;
  enabled_ = false;
  return TTimerChange::Stop;
}

std::optional<unsigned> ShutdownFlagsForType(int typeIndex) {
  switch (typeIndex) {
    case kSleepTypePowerOff:
      return kExitShutdown | kExitPowerOff;
    case kSleepTypeRestart:
      return kExitReboot;
    default:
      return std::nullopt;
  }
}

std::string ProgramFolderOf(std::string_view executablePath) {
  const auto slash = executablePath.find_last_of('\\');
  if (slash == std::string_view::npos) return {};
  return std::string(executablePath.substr(0, slash + 1));
}

std::string HelpPagePath(std::string_view programFolder) {
  return std::string(programFolder) + "help\\products\\vd.htm";
}

std::string SleepPicturePath(std::string_view programFolder) {
  return std::string(programFolder) + "vdlogo.dat";
}

std::string CannotOpenFileMessage(std::string_view path, std::string_view systemReason) {
  while (!systemReason.empty() &&
         (systemReason.back() == '\r' || systemReason.back() == '\n' ||
          systemReason.back() == ' ' || systemReason.back() == '\t')) {
    systemReason.remove_suffix(1);
  }
  std::string message = "Cannot open file \"";
  message += path;
  message += "\". ";
  message += systemReason;
  return message;
}

}  // namespace mirel
