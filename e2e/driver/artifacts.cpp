#include "e2e/driver/artifacts.h"

#include "e2e/driver/process.h"
#include "e2e/driver/wait.h"
#include "platform/win32/handles.h"
#include "platform/win32/windows_api.h"
#include "tests/win32/support/unix_command.h"

namespace mirel::e2e {
namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Parent(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// "artifacts" beside the CMakeCache.txt above the test executable, else beside the executable.
std::string BuildTreeArtifacts() {
  const std::string executableFolder = Parent(TestExecutablePath());
  for (std::string folder = executableFolder; !folder.empty(); folder = Parent(folder)) {
    if (Exists(folder + "\\CMakeCache.txt")) return folder + "\\artifacts";
  }
  return executableFolder + "\\artifacts";
}

std::string RunName() {
  const std::string name = test::Env("MIREL_ARTIFACT_NAME");
  if (!name.empty()) return name;
  std::string executable = TestExecutablePath();
  executable.erase(0, executable.find_last_of('\\') + 1);
  return executable.substr(0, executable.rfind('.'));
}

void CreateFolders(const std::string& path) {
  if (path.empty() || Exists(path)) return;
  CreateFolders(Parent(path));
  if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    throw DriverError("cannot create " + path);
  }
}

// FindFirstFile searches end with FindClose; INVALID_HANDLE_VALUE is "none".
struct FindTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle handle) noexcept { return handle != INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) noexcept { FindClose(handle); }
};

// Pictures of an earlier run would pass for this run's.
void RemoveOldPictures(const std::string& folder) {
  WIN32_FIND_DATAA found{};
  const win32::UniqueHandle<FindTraits> search(
      FindFirstFileA((folder + "\\*.bmp").c_str(), &found));
  if (!search) return;
  do {
    DeleteFileA((folder + "\\" + found.cFileName).c_str());
  } while (FindNextFileA(search.get(), &found));
}

}  // namespace

std::string ArtifactsFolder() {
  const std::string fromEnvironment = test::Env("MIREL_ARTIFACTS");
  const std::string base =
      fromEnvironment.empty() ? BuildTreeArtifacts() : test::WindowsPathOf(fromEnvironment);
  const std::string folder = base + "\\" + RunName();
  static const bool prepared = [&] {
    CreateFolders(folder);
    RemoveOldPictures(folder);
    return true;
  }();
  (void)prepared;
  return folder;
}

std::string SaveArtifact(const Image& image, const std::string& name) {
  const std::string path = ArtifactsFolder() + "\\" + name + ".bmp";
  SaveBmp(image, path);
  return path;
}

}  // namespace mirel::e2e
