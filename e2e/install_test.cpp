// End-to-end tests of what a user downloads: the setup program run silently, the program started
// from where setup put it, the uninstaller as Windows' list of installed apps finds it; the
// portable zip unpacked and run; the version resource of the executables.
//
// The packages are those of this build tree (cmake/Packaging.cmake), named by the environment as
// Unix paths: MIREL_PACKAGE_INSTALLER and MIREL_PACKAGE_ZIP. MIREL_VERSION is the project version.
#include <array>
#include <cstdio>
#include <chrono>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/driver/artifacts.h"
#include "e2e/driver/controls.h"
#include "e2e/driver/input.h"
#include "e2e/driver/process.h"
#include "e2e/driver/program.h"
#include "e2e/driver/registry.h"
#include "e2e/driver/retry.h"
#include "e2e/driver/screen_capture.h"
#include "e2e/driver/shell_link.h"
#include "e2e/driver/tray.h"
#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"
#include "platform/win32/handles.h"
#include "tests/win32/support/unix_command.h"

#include <shlobj.h>
#include <shobjidl.h>

#ifndef MIREL_VERSION
#error "MIREL_VERSION (the project version) is defined by the build"
#endif

namespace mirel::e2e {
namespace {

using std::chrono::seconds;

constexpr const char* kProduct = "Mirel Virtual Desktop";
constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Mirel Virtual Desktop";
constexpr const char* kSettingsKey = "Software\\Mirel\\Virtual Desktop";
// The Start-menu entry and the shortcut of "Start Mirel Virtual Desktop with windows".
constexpr const char* kLinkName = "Mirel Virtual Desktop.lnk";
constexpr const char* kAutoStartCaption = "Start Mirel Virtual Desktop with windows";
constexpr int kOptionsPage = 2;

// What a package holds, as paths below its folder.
const std::vector<std::string> kPackageFiles = {"MirelVirtualDesktop.exe", "vdlogo.dat",
                                                "help\\products\\vd.htm", "LICENSE.txt",
                                                "README.txt"};

constexpr seconds kSetupTimeout{60};
constexpr seconds kExitTimeout{15};

// --- Files and folders ---------------------------------------------------------------------------

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) {
    throw DriverError("SHGetFolderPath(" + std::to_string(csidl) + ") failed");
  }
  return path;
}

std::string InstallFolder() {
  return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\" + kProduct;
}
std::string StartMenuLink() { return ShellFolder(CSIDL_PROGRAMS) + "\\" + kLinkName; }
std::string StartupLink() { return ShellFolder(CSIDL_STARTUP) + "\\" + kLinkName; }

bool SamePath(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
         CSTR_EQUAL;
}

// A package path from the environment, as a Windows path; throws when it is not there.
std::string PackageFromEnvironment(const char* variable) {
  const std::string unixPath = test::Env(variable);
  if (unixPath.empty()) {
    throw DriverError(std::string(variable) + " is not set (see e2e/CMakeLists.txt)");
  }
  const std::string path = test::WindowsPathOf(unixPath);
  if (!Exists(path)) throw DriverError(std::string(variable) + ": no such file " + unixPath);
  return path;
}

// --- The version resource ------------------------------------------------------------------------

struct VersionResource {
  std::array<unsigned, 4> fileVersion{};
  std::array<unsigned, 4> productVersion{};
  std::map<std::string, std::string> strings;
};

VersionResource ReadVersionResource(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) throw DriverError("no version resource in " + path);
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) {
    throw DriverError("GetFileVersionInfo failed on " + path);
  }
  VersionResource resource;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
    throw DriverError("no fixed version information in " + path);
  }
  const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
  resource.fileVersion = {HIWORD(fixed.dwFileVersionMS), LOWORD(fixed.dwFileVersionMS),
                          HIWORD(fixed.dwFileVersionLS), LOWORD(fixed.dwFileVersionLS)};
  resource.productVersion = {HIWORD(fixed.dwProductVersionMS), LOWORD(fixed.dwProductVersionMS),
                             HIWORD(fixed.dwProductVersionLS), LOWORD(fixed.dwProductVersionLS)};

  // The string table is the one the first translation names, as Explorer reads it.
  if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &value, &length) ||
      length < 2 * sizeof(WORD)) {
    throw DriverError("no translation in the version resource of " + path);
  }
  const auto* translation = static_cast<const WORD*>(value);
  char block[64];
  std::snprintf(block, sizeof(block), "\\StringFileInfo\\%04x%04x\\", translation[0],
                translation[1]);
  for (const char* name : {"ProductName", "FileDescription", "FileVersion", "ProductVersion",
                           "LegalCopyright", "CompanyName", "OriginalFilename"}) {
    if (VerQueryValueA(data.data(), (std::string(block) + name).c_str(), &value, &length) &&
        length > 0) {
      resource.strings[name] = static_cast<const char*>(value);
    }
  }
  return resource;
}

// "1.2.3" as {1, 2, 3, 0}.
std::array<unsigned, 4> VersionNumbers(const std::string& text) {
  std::array<unsigned, 4> numbers{};
  std::istringstream in(text);
  std::string part;
  for (std::size_t i = 0; i < numbers.size() && std::getline(in, part, '.'); ++i) {
    numbers[i] = static_cast<unsigned>(std::stoul(part));
  }
  return numbers;
}

// Every check of one executable's version resource.
void ExpectProjectVersion(const std::string& executable) {
  SCOPED_TRACE(executable);
  const VersionResource resource = ReadVersionResource(executable);
  EXPECT_EQ(resource.fileVersion, VersionNumbers(MIREL_VERSION));
  EXPECT_EQ(resource.productVersion, VersionNumbers(MIREL_VERSION));
  const std::map<std::string, std::string> expected = {
      {"ProductName", kProduct},
      {"FileDescription", kProduct},
      {"FileVersion", MIREL_VERSION},
      {"ProductVersion", MIREL_VERSION},
      {"LegalCopyright", "Copyright (c) 2026 Mirel Virtual Desktop developers"},
      {"CompanyName", "Mirel"},
      {"OriginalFilename", "MirelVirtualDesktop.exe"}};
  EXPECT_EQ(resource.strings, expected);
}

// --- Another process's controls ------------------------------------------------------------------

// The tray menu's first item ("Control panel") or last item ("Exit"); OpenTrayMenu repeats a right
// click that Wine's notification area swallowed, counted.
void ChooseFromTrayMenu(WORD key) {
  OpenTrayMenu(1);
  ChooseMenuItemByKeys({key, VK_RETURN});
}

bool AnyTrayIconShown() {
  for (int desktop = 1; desktop <= kTrayIconCount; ++desktop) {
    if (TrayIconShown(desktop)) return true;
  }
  return false;
}

// --- The fixture ---------------------------------------------------------------------------------

// Every test starts with nothing stored, nothing installed and no icon in the notification area,
// and leaves it so: whatever a test installed is uninstalled at teardown.
class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetRetryTallies();
    DeleteProgramKey();
    SweepDeadTrayIcons();
  }

  void TearDown() override {
    EXPECT_TRUE(RetriesWithinAllowance());
    if (HasFailure()) {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      std::cerr << "screen at the failure: "
                << SaveArtifact(CaptureScreen(), std::string(info->test_suite_name()) + "." +
                                                     info->name() + "-failure")
                << "\n";
    }
    program_.Terminate();
    try {
      SweepDeadTrayIcons();
      if (KeyExists(kUninstallKey)) {
        Uninstall("/S /REMOVESETTINGS");
        AwaitSettingsRemoved();
      }
      DeleteProgramKey();
    } catch (const DriverError& error) {
      ADD_FAILURE() << "cleaning up: " << error.what();
    }
  }

  // Starts the program at `executable` and waits until it is ready and its four tray icons are
  // shown.
  void StartProgram(const std::string& executable) {
    program_ = Process::Start(executable, "");
    if (WaitForInputIdle(program_.Handle(), 15000) != 0) {
      throw DriverError("the program did not get ready for input");
    }
    Await("the program's main form and overlay", [&] {
      return !program_.Running() || (FindWindowOf(program_.Id(), kMainFormClass) != nullptr &&
                                     FindWindowOf(program_.Id(), kOverlayClass) != nullptr);
    });
    if (!program_.Running()) {
      throw DriverError("the program ended during start-up with exit code " +
                        std::to_string(program_.ExitCode()));
    }
    Await("the program's four tray icons", [] {
      for (int desktop = 1; desktop <= kTrayIconCount; ++desktop) {
        if (!TrayIconShown(desktop)) return false;
      }
      return true;
    });
  }

  HWND ProgramWindow(const char* className) const {
    return FindWindowOf(program_.Id(), className);
  }

  // The text of the about box: created hidden at start-up, read without showing it.
  std::string AboutText() const {
    const HWND about = ProgramWindow(kAboutClass);
    const HWND memo = about != nullptr ? FindChild(about, "Edit") : nullptr;
    return memo != nullptr ? ControlText(memo) : std::string();
  }

  // Waits until the program has ended on its own (exit code 0) and its icons have left the
  // notification area, as they do only when it ends through its own shut-down.
  ::testing::AssertionResult ProgramEndedCleanly() const {
    if (!program_.WaitForExit(kExitTimeout)) {
      return ::testing::AssertionFailure()
             << "the program still runs " << kExitTimeout.count() << " s later";
    }
    if (program_.ExitCode() != 0) {
      return ::testing::AssertionFailure() << "exit code " << program_.ExitCode();
    }
    return Eventually("the tray icons gone", [] { return !AnyTrayIconShown(); });
  }

  void ExitProgram() {
    ChooseFromTrayMenu(VK_UP);
    ASSERT_TRUE(ProgramEndedCleanly());
  }

  // "Start Mirel Virtual Desktop with windows" ticked on the control panel's "Options" page.
  void TickAutoStart() {
    ChooseFromTrayMenu(VK_DOWN);
    const HWND main = ProgramWindow(kMainFormClass);
    Await("the control panel shown and in front",
          [&] { return IsWindowVisible(main) && GetForegroundWindow() == main; });
    const HWND pages = FindChild(main, "SysTabControl32");
    if (pages == nullptr) throw DriverError("no page control in the control panel");
    Click(Centre(TabRect(pages, kOptionsPage)));
    const HWND box = FindChild(main, "Button", std::string(kAutoStartCaption));
    if (box == nullptr) {
      throw DriverError(std::string("no check box \"") + kAutoStartCaption + "\"");
    }
    Await("the \"Options\" page shown", [&] { return IsWindowVisible(box) != FALSE; });
    // The box itself sits at the left end of the control.
    const RECT rect = WindowRect(box);
    Click(POINT{rect.left + 7, (rect.top + rect.bottom) / 2});
    Await("the autostart box ticked",
          [&] { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; });
  }

  // Runs the setup program with `arguments` and waits for its end; returns its exit code.
  static DWORD RunSetup(const std::string& arguments) {
    const Process setup =
        Process::Start(PackageFromEnvironment("MIREL_PACKAGE_INSTALLER"), arguments);
    if (!setup.WaitForExit(kSetupTimeout)) {
      throw DriverError("setup still runs after " + std::to_string(kSetupTimeout.count()) + " s");
    }
    return setup.ExitCode();
  }

  // Runs the uninstaller the way Windows' list of installed apps does: the command line under the
  // uninstall key, with `arguments`. It hands over to a copy of itself and returns at once, so the
  // end is awaited through its effects: the folder, both shortcuts and the key gone.
  static void Uninstall(const std::string& arguments) {
    const auto command = ReadString(kUninstallKey, "UninstallString");
    if (!command || command->size() < 2 || command->front() != '"' || command->back() != '"') {
      throw DriverError("no quoted UninstallString under HKCU\\" + std::string(kUninstallKey));
    }
    const Process uninstaller = Process::Start(command->substr(1, command->size() - 2), arguments);
    if (!uninstaller.WaitForExit(kSetupTimeout) || uninstaller.ExitCode() != 0) {
      throw DriverError("the uninstaller did not end with exit code 0");
    }
    Await("the uninstaller's work done", [] {
      return !Exists(InstallFolder()) && !Exists(StartMenuLink()) && !Exists(StartupLink()) &&
             !KeyExists(kUninstallKey);
    }, kSetupTimeout);
  }

  // The uninstaller removes the settings last, after the effects Uninstall awaits.
  static void AwaitSettingsRemoved() {
    Await("the settings removed by the uninstaller", [] { return !KeyExists(kProgramRootKey); });
  }

  static std::string InstalledProgram() { return InstallFolder() + "\\MirelVirtualDesktop.exe"; }

  Process program_;
};

// --- Version -------------------------------------------------------------------------------------

TEST(VersionResourceTest, BuiltProgramCarriesTheProjectVersion) {
  ExpectProjectVersion(BesideTestExecutable(ProgramUnderTest::kExecutable));
}

// --- Setup ---------------------------------------------------------------------------------------

using SetupTest = PackageTest;

TEST_F(SetupTest, SilentInstallRunsFromTheInstalledFolderAndSilentUninstallRemovesIt) {
  ASSERT_EQ(RunSetup("/S"), 0u);

  const std::string folder = InstallFolder();
  for (const std::string& file : kPackageFiles) {
    EXPECT_TRUE(Exists(folder + "\\" + file)) << folder << "\\" << file;
  }
  EXPECT_TRUE(Exists(folder + "\\uninstall.exe"));
  ExpectProjectVersion(InstalledProgram());

  ASSERT_TRUE(Exists(StartMenuLink())) << StartMenuLink();
  const ShellLinkContents menuEntry = ReadShellLink(StartMenuLink());
  EXPECT_TRUE(SamePath(menuEntry.target, InstalledProgram())) << menuEntry.target;
  EXPECT_TRUE(SamePath(menuEntry.workingDirectory, folder)) << menuEntry.workingDirectory;

  // Registered with Windows' list of installed apps, per user.
  EXPECT_EQ(ReadString(kUninstallKey, "DisplayName"), kProduct);
  EXPECT_EQ(ReadString(kUninstallKey, "DisplayVersion"), MIREL_VERSION);
  EXPECT_EQ(ReadString(kUninstallKey, "InstallLocation"), folder);
  EXPECT_EQ(ReadString(kUninstallKey, "UninstallString"), "\"" + folder + "\\uninstall.exe\"");
  EXPECT_EQ(ReadString(kUninstallKey, "QuietUninstallString"),
            "\"" + folder + "\\uninstall.exe\" /S");

  StartProgram(InstalledProgram());
  // The about box names the version the resource carries.
  EXPECT_NE(AboutText().find(std::string("version ") + MIREL_VERSION), std::string::npos)
      << AboutText();

  // The option puts the Startup shortcut in place when the program ends.
  TickAutoStart();
  ExitProgram();
  ASSERT_TRUE(Exists(StartupLink())) << StartupLink();
  EXPECT_TRUE(SamePath(ReadShellLink(StartupLink()).target, InstalledProgram()));
  ASSERT_TRUE(KeyExists(kSettingsKey));

  Uninstall("/S");
  EXPECT_FALSE(Exists(folder));
  EXPECT_FALSE(Exists(StartMenuLink()));
  EXPECT_FALSE(Exists(StartupLink()));
  EXPECT_FALSE(KeyExists(kUninstallKey));
  // The user's settings stay unless asked for.
  EXPECT_TRUE(KeyExists(kSettingsKey));
  EXPECT_TRUE(ReadString(std::string(kSettingsKey) + "\\Options", "HideApps").has_value());
}

TEST_F(SetupTest, SetupOverARunningCopyEndsItTheWayExitDoes) {
  ASSERT_EQ(RunSetup("/S"), 0u);
  StartProgram(InstalledProgram());

  ASSERT_EQ(RunSetup("/S"), 0u);
  // Ended through its own shut-down: exit code 0, icons taken away, settings saved.
  EXPECT_TRUE(ProgramEndedCleanly());
  EXPECT_TRUE(KeyExists(std::string(kSettingsKey) + "\\Options"));

  ExpectProjectVersion(InstalledProgram());
  StartProgram(InstalledProgram());
  ExitProgram();
}

TEST_F(SetupTest, UninstallWithRemoveSettingsEndsTheProgramThenDeletesItsSettings) {
  ASSERT_EQ(RunSetup("/S"), 0u);
  StartProgram(InstalledProgram());
  ASSERT_TRUE(KeyExists(kSettingsKey));

  Uninstall("/S /REMOVESETTINGS");
  // The program saved its settings while it ended; the uninstaller deleted them after that.
  EXPECT_TRUE(ProgramEndedCleanly());
  AwaitSettingsRemoved();
  EXPECT_FALSE(KeyExists(kSettingsKey));
}

// --- Portable zip --------------------------------------------------------------------------------

using PortableZipTest = PackageTest;

TEST_F(PortableZipTest, HoldsTheProgramFilesAndRunsWhereItWasUnpacked) {
  const std::string zip = test::Env("MIREL_PACKAGE_ZIP");
  ASSERT_FALSE(zip.empty()) << "MIREL_PACKAGE_ZIP is not set";
  PackageFromEnvironment("MIREL_PACKAGE_ZIP");

  // Exactly the program's files, at the top of the archive.
  const test::UnixCommandResult listing = test::RunUnixCommand("unzip -Z1 '" + zip + "'");
  ASSERT_TRUE(listing.finished && listing.exitStatus == 0) << listing.output;
  std::set<std::string> entries;
  std::istringstream lines(listing.output);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() != '/') entries.insert(line);
  }
  EXPECT_EQ(entries, (std::set<std::string>{"MirelVirtualDesktop.exe", "vdlogo.dat",
                                            "help/products/vd.htm", "LICENSE.txt",
                                            "README.txt"}));

  const std::string unpacked = test::Env("MIREL_WINE_SCRATCH") + "/portable";
  const test::UnixCommandResult unzip =
      test::RunUnixCommand("unzip -q -o '" + zip + "' -d '" + unpacked + "'");
  ASSERT_TRUE(unzip.finished && unzip.exitStatus == 0) << unzip.output;
  const std::string folder = test::WindowsPathOf(unpacked);
  for (const std::string& file : kPackageFiles) {
    EXPECT_TRUE(Exists(folder + "\\" + file)) << folder << "\\" << file;
  }

  // The text files have Windows line ends; the readme names the version and the hot keys.
  for (const char* file : {"README.txt", "LICENSE.txt"}) {
    const std::string text = ReadWholeFile(folder + "\\" + file);
    std::size_t bareLineFeeds = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) ++bareLineFeeds;
    }
    EXPECT_EQ(bareLineFeeds, 0u) << file;
  }
  const std::string readme = ReadWholeFile(folder + "\\README.txt");
  EXPECT_NE(readme.find(std::string("Version ") + MIREL_VERSION), std::string::npos);
  EXPECT_NE(readme.find("Shift+Ctrl+F1"), std::string::npos);

  const std::string executable = folder + "\\MirelVirtualDesktop.exe";
  ExpectProjectVersion(executable);
  StartProgram(executable);
  EXPECT_NE(AboutText().find(std::string("version ") + MIREL_VERSION), std::string::npos)
      << AboutText();
  ExitProgram();
}

}  // namespace
}  // namespace mirel::e2e
