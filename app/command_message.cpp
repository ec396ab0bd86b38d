#include "app/command_message.h"

#include <cstring>

namespace mirel {

TCommandPayload EncodeCommandMessage(const TDeskCommand& command) {
  TCommandPayload payload;
  payload.Command = static_cast<std::uint32_t>(command.Kind);
  payload.Desktop =
      TakesDesktop(command.Kind) ? static_cast<std::uint32_t>(command.Desktop + 1) : 0;
  return payload;
}

std::optional<TDeskCommand> DecodeCommandMessage(std::uintptr_t id, const void* data,
                                                 std::size_t size) {
  if (id != kCommandMessageId || data == nullptr || size != sizeof(TCommandPayload)) {
    return std::nullopt;
  }
  TCommandPayload payload;
  std::memcpy(&payload, data, sizeof payload);  // the sender's buffer need not be aligned
  if (payload.Size != sizeof(TCommandPayload) || payload.Version != kCommandMessageVersion) {
    return std::nullopt;
  }
  if (payload.Command < static_cast<std::uint32_t>(TDeskCommandKind::kSwitchTo) ||
      payload.Command > static_cast<std::uint32_t>(TDeskCommandKind::kCurrent)) {
    return std::nullopt;
  }
  const auto kind = static_cast<TDeskCommandKind>(payload.Command);
  if (TakesDesktop(kind) ? payload.Desktop < 1 || payload.Desktop > 8 : payload.Desktop != 0) {
    return std::nullopt;
  }
  return TDeskCommand{kind, TakesDesktop(kind) ? static_cast<int>(payload.Desktop) - 1 : 0};
}

}  // namespace mirel
