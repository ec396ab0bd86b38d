#include "app/command_line.h"

#include <array>
#include <string_view>

namespace mirel {

namespace {

struct TOption {
  std::string_view Name;  // without its leading "/" or "-"
  TDeskCommandKind Kind;
};

constexpr std::array<TOption, 6> kOptions = {{
    {"desktop", TDeskCommandKind::kSwitchTo},
    {"next", TDeskCommandKind::kNext},
    {"previous", TDeskCommandKind::kPrevious},
    {"move", TDeskCommandKind::kMoveTo},
    {"move-follow", TDeskCommandKind::kMoveFollow},
    {"current", TDeskCommandKind::kCurrent},
}};

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

TCommandLine Bad(std::string error) {
  TCommandLine result;
  result.Outcome = TCommandLine::TOutcome::kBadArguments;
  result.Error = std::move(error);
  return result;
}

}  // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  TCommandLine result;
  if (args.empty()) return result;
  const std::string& first = args[0];
  const bool isOption = first.size() > 1 && (first[0] == '/' || first[0] == '-');
  if (!isOption) return Bad("'" + first + "' is not a command");
  const std::string name = Lower(std::string_view(first).substr(1));
  std::size_t used = 1;
  if (name == "?") {
    result.Outcome = TCommandLine::TOutcome::kUsage;
  } else {
    const TOption* option = nullptr;
    for (const TOption& candidate : kOptions) {
      if (candidate.Name == name) option = &candidate;
    }
    if (option == nullptr) return Bad("unknown command '" + first + "'");
    result.Outcome = TCommandLine::TOutcome::kCommand;
    result.Command.Kind = option->Kind;
    if (TakesDesktop(option->Kind)) {
      if (args.size() < 2) return Bad(first + " needs a desktop number (1 to 8)");
      const std::string& number = args[1];
      if (number.size() != 1 || number[0] < '1' || number[0] > '8') {
        return Bad("'" + number + "' is not a desktop number (1 to 8)");
      }
      result.Command.Desktop = number[0] - '1';
      used = 2;
    }
  }
  if (args.size() > used) return Bad("unexpected argument '" + args[used] + "'");
  return result;
}

std::string UsageText() {
  return "Usage: MirelVirtualDesktop.exe [command]\n"
         "Without a command the program starts. A command goes to the copy that runs,\n"
         "and this one ends at once:\n"
         "  /desktop N      switch to desktop N (1 to 8)\n"
         "  /next           switch to the next desktop (8 wraps to 1)\n"
         "  /previous       switch to the previous desktop (1 wraps to 8)\n"
         "  /move N         move the active window to desktop N\n"
         "  /move-follow N  move the active window to desktop N and go along\n"
         "  /current        exit with the number of the desktop on screen (1 to 8)\n"
         "  /?              show this text\n"
         "Exit codes: 0 done, 1 no copy of the program is running, 2 bad arguments.\n";
}

}  // namespace mirel
