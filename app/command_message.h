// The message that carries a desktop command from another program to the running copy:
// WM_COPYDATA to the main form's window (class "TVirtualDeskForm"), whose COPYDATASTRUCT holds
//   dwData  kCommandMessageId
//   cbData  16
//   lpData  four little-endian 32-bit unsigned numbers: size (16), version (1), command
//           (TDeskCommandKind 1..6), desktop (1..8 for commands 1, 4, 5; else 0)
// The answer (SendMessage's result) is kCommandRefused for anything else, which changes nothing,
// the desktop on screen (1..8) for command 6, and kCommandTaken for the others, which run once the
// message has been answered. docs/scripting.md documents it for users.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "engine/desk_command.h"

namespace mirel {

inline constexpr std::uintptr_t kCommandMessageId = 0x4D564443;  // "MVDC"
inline constexpr std::uint32_t kCommandMessageVersion = 1;

struct TCommandPayload {
  std::uint32_t Size = sizeof(TCommandPayload);
  std::uint32_t Version = kCommandMessageVersion;
  std::uint32_t Command = 0;
  std::uint32_t Desktop = 0;  // 1..8
};
static_assert(sizeof(TCommandPayload) == 16);

inline constexpr std::intptr_t kCommandRefused = 0;
inline constexpr std::intptr_t kCommandTaken = 100;

TCommandPayload EncodeCommandMessage(const TDeskCommand& command);

// The command of a well-formed message; empty for anything else. `data` may be null.
std::optional<TDeskCommand> DecodeCommandMessage(std::uintptr_t id, const void* data,
                                                 std::size_t size);

}  // namespace mirel
