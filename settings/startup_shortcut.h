// The startup shortcut: a shell link in the user's Startup folder whose presence means "start with
// the session". The file system and the shell's link object sit behind IShellIntegration; the names
// are worked out here so the host tests can check them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mirel {

// The shortcut's file name inside the Startup folder, without and with its extension.
inline constexpr const char* kStartupLinkBaseName = "Mirel Virtual Desktop";
inline constexpr const char* kStartupLinkFileName = "Mirel Virtual Desktop.lnk";

class IShellIntegration {
 public:
  virtual ~IShellIntegration() = default;
  virtual bool FileExists(const std::string& path) = 0;
  // Named apart from the Win32 macro DeleteFile so <windows.h> cannot rename it in one file only.
  virtual bool RemoveFile(const std::string& path) = 0;
  // Full path of the running program's executable.
  virtual std::string ExecutablePath() = 0;
  // Writes the shell link `linkFile` with the given target and working directory. Throws AppError
  // when the link object cannot be created or lacks an interface; a link that cannot be saved is
  // not reported.
  virtual void CreateShortcut(const std::string& target, const std::string& workingDirectory,
                              const std::string& linkFile) = 0;
};

// The folder part of `path` up to and including its last backslash (empty when it has none).
std::string FolderOf(std::string_view path);

// `path` with its extension replaced by `extension`, or `extension` appended when the last name
// in the path has none.
std::string ChangeFileExt(std::string_view path, std::string_view extension);

// Writes the link linkBase + ".lnk" pointing to `target`, with the target's folder as working
// directory. Throws AppError as IShellIntegration::CreateShortcut does.
void CreateStartupShortcut(IShellIntegration& shell, const std::string& target,
                           const std::string& linkBase);

// The message for a COM failure `code`: the system's text for it (trailing line breaks and blanks
// removed), or "OLE error %.8x" when the system has none.
std::string ComErrorMessage(std::uint32_t code, std::string_view systemText);

}  // namespace mirel
