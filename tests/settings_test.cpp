#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/desktop_engine.h"
#include "engine/win2tree.h"
#include "platform/sim/sim_registry.h"
#include "settings/setting_values.h"
#include "settings/settings_store.h"
#include "settings/startup_shortcut.h"

using namespace mirel;

namespace {

const std::string kOptionsPath = "Software\\Mirel\\Virtual Desktop\\Options";
const std::string kProgramPath = "Software\\Mirel\\Virtual Desktop";
const std::string kShellFoldersPath =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const std::string kStartupFolder = "C:\\Users\\ann\\Start Menu\\Programs\\Startup";
const std::string kStartupLink = kStartupFolder + "\\Mirel Virtual Desktop.lnk";
const std::string kExe = "C:\\Program Files\\Mirel\\vdesk.exe";

RegValue Typed(std::uint32_t type, const std::string& bytes) {
  RegValue value;
  value.type = type;
  value.data.assign(bytes.begin(), bytes.end());
  return value;
}
// A REG_SZ as RegSetValueEx stores it: the text and its terminating zero.
RegValue Sz(const std::string& text) { return Typed(kRegSz, text + std::string(1, '\0')); }

class FakeShell : public IShellIntegration {
 public:
  struct Link {
    std::string target;
    std::string workingDirectory;
    std::string file;
  };
  std::set<std::string> files;
  std::vector<std::string> queried;
  std::vector<std::string> removed;
  std::vector<Link> created;
  std::optional<std::string> createFailure;  // thrown as AppError by CreateShortcut

  bool FileExists(const std::string& path) override {
    queried.push_back(path);
    return files.count(path) != 0;
  }
  bool RemoveFile(const std::string& path) override {
    removed.push_back(path);
    return files.erase(path) != 0;
  }
  std::string ExecutablePath() override { return kExe; }
  void CreateShortcut(const std::string& target, const std::string& workingDirectory,
                      const std::string& linkFile) override {
    if (createFailure) throw AppError(*createFailure);
    created.push_back({target, workingDirectory, linkFile});
    files.insert(linkFile);
  }
};

// Refuses to write one named value, to stop saving half-way.
class RegistryFailingOneWrite : public sim::SimRegistry {
 public:
  explicit RegistryFailingOneWrite(std::string name) : name_(std::move(name)) {}
  bool SetString(RegKey key, std::string_view name, std::string_view text) override {
    if (name == name_) return false;
    return SimRegistry::SetString(key, name, text);
  }

 private:
  std::string name_;
};

const RegValue* Stored(sim::SimRegistry& reg, const std::string& path, const std::string& name) {
  sim::SimRegistry::Key* key = reg.FindKey(path);
  if (key == nullptr) return nullptr;
  auto it = key->values.find(UpperAscii(name));
  return it == key->values.end() ? nullptr : &it->second;
}

std::string StoredText(sim::SimRegistry& reg, const std::string& name) {
  std::string text;
  return reg.ReadString(kOptionsPath, name, text) ? text : "<absent>";
}

SettingRead<std::int32_t> ReadSz(const std::string& text, std::int32_t def = 99) {
  return ReadInteger(RegRead::kOk, Sz(text), "HotKey2", def);
}

}  // namespace

// --- Reading and writing single values -----------------------------------------------------------

TEST(SettingValues, PlainDecimalWithOptionalMinusAndBlanks) {
  EXPECT_EQ(ParseInteger("2"), 2);
  EXPECT_EQ(ParseInteger("0"), 0);
  EXPECT_EQ(ParseInteger("-1"), -1);
  EXPECT_EQ(ParseInteger("-0"), 0);
  EXPECT_EQ(ParseInteger(" 7 "), 7);
  EXPECT_EQ(ParseInteger("\t24688\t"), 24688);
  EXPECT_EQ(ParseInteger("007"), 7);
  EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseInteger("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseInteger("00000000000000000000000000042"), 42);
}

TEST(SettingValues, AnythingElseIsNoNumber) {
  for (const char* text : {"", " ", "-", "abc", "+5", "7a", "1 2", "- 7", "--1", "0x10", "$10",
                           "1e3", "1.0", "\n7", "2147483648", "-2147483649", "4294967296",
                           "4294991984", "99999999999999999999999999"}) {
    EXPECT_EQ(ParseInteger(text), std::nullopt) << '"' << text << '"';
  }
}

TEST(SettingValues, AbsentEmptyOrInvalidTextGivesTheDefaultSilently) {
  RegValue none;
  EXPECT_EQ(ReadInteger(RegRead::kMissing, none, "HotKey2", 24689).value, 24689);
  EXPECT_EQ(ReadInteger(RegRead::kMissing, none, "HotKey2", 24689).error, "");
  EXPECT_EQ(ReadInteger(RegRead::kOk, Typed(kRegSz, ""), "HotKey2", 24689).value, 24689);
  EXPECT_EQ(ReadSz("").value, 99);
  EXPECT_EQ(ReadSz("letters").value, 99);
  EXPECT_EQ(ReadSz("letters").error, "");
  EXPECT_EQ(ReadSz("4294967296").value, 99);
  EXPECT_EQ(ReadSz(" 7 ").value, 7);
}

TEST(SettingValues, TextEndsAtTheFirstZeroAndNeedsNoTerminator) {
  EXPECT_EQ(ReadInteger(RegRead::kOk, Typed(kRegSz, std::string("12\0" "34", 5)), "x", 99).value,
            12);
  EXPECT_EQ(ReadInteger(RegRead::kOk, Typed(kRegSz, std::string("\0" "12", 3)), "x", 99).value,
            99);
  EXPECT_EQ(ReadInteger(RegRead::kOk, Typed(kRegSz, "12"), "x", 99).value, 12);
}

TEST(SettingValues, ExpandableTextIsReadRaw) {
  EXPECT_EQ(ReadInteger(RegRead::kOk, Typed(kRegExpandSz, "42"), "x", 99).value, 42);
  EXPECT_EQ(ReadInteger(RegRead::kOk, Typed(kRegExpandSz, "%NUMBER%"), "x", 99).value, 99);
  EXPECT_EQ(ValueText(Typed(kRegExpandSz, "%TEMP%\\a")), "%TEMP%\\a");
}

TEST(SettingValues, NonTextTypesAndFailedReadsNameTheValueAndGiveTheDefault) {
  const std::string dword("\x70\x60\0\0", 4);
  for (const std::uint32_t type : {kRegDword, kRegBinary, kRegQword, kRegMultiSz, kRegNone}) {
    const SettingRead<std::int32_t> read = ReadInteger(RegRead::kOk, Typed(type, dword), "HotKey3",
                                                       24690);
    EXPECT_EQ(read.value, 24690) << type;
    EXPECT_EQ(read.error, "Invalid data type for 'HotKey3'") << type;
  }
  const SettingRead<bool> failed = ReadBool(RegRead::kFailed, RegValue{}, "HideApps", true);
  EXPECT_TRUE(failed.value);
  EXPECT_EQ(failed.error, "Failed to get data for 'HideApps'");
}

TEST(SettingValues, LongTextIsHandled) {
  EXPECT_EQ(ReadSz(std::string(65536, '1')).value, 99);
  EXPECT_EQ(ReadSz(std::string(65536, ' ') + "7").value, 7);
  EXPECT_EQ(ReadSz(std::string(65536, '0') + "7").value, 7);
}

TEST(SettingValues, BooleansAreTrueForAnyNonZeroInteger) {
  auto read = [](const std::string& text, bool def) {
    return ReadBool(RegRead::kOk, Sz(text), "HideApps", def).value;
  };
  EXPECT_TRUE(read("1", false));
  EXPECT_TRUE(read("2", false));
  EXPECT_TRUE(read("-1", false));
  EXPECT_FALSE(read("0", true));
  EXPECT_FALSE(read(" 0 ", true));
  EXPECT_TRUE(read("letters", true));
  EXPECT_FALSE(read("letters", false));
  EXPECT_FALSE(read("", false));
}

TEST(SettingValues, EncodingIsPlainDecimal) {
  EXPECT_EQ(EncodeBool(true), "1");
  EXPECT_EQ(EncodeBool(false), "0");
  EXPECT_EQ(EncodeInteger(24688), "24688");
  EXPECT_EQ(EncodeInteger(0), "0");
  EXPECT_EQ(EncodeInteger(-5), "-5");
  EXPECT_EQ(ParseInteger(EncodeInteger(INT32_MIN)), INT32_MIN);
}

// --- Shortcut names ------------------------------------------------------------------------------

TEST(StartupShortcut, NamesOfFolderAndLinkFile) {
  EXPECT_EQ(FolderOf(kExe), "C:\\Program Files\\Mirel\\");
  EXPECT_EQ(FolderOf("vdesk.exe"), "");
  EXPECT_EQ(ChangeFileExt("c:\\\\Mirel Virtual Desktop", ".lnk"), "c:\\\\Mirel Virtual Desktop.lnk");
  EXPECT_EQ(ChangeFileExt("C:\\a.dir\\name", ".lnk"), "C:\\a.dir\\name.lnk");
  EXPECT_EQ(ChangeFileExt("C:\\dir\\name.txt", ".lnk"), "C:\\dir\\name.lnk");
}

TEST(StartupShortcut, ComErrorTextOrCode) {
  EXPECT_EQ(ComErrorMessage(0x80040154, "Class not registered\r\n"), "Class not registered");
  EXPECT_EQ(ComErrorMessage(0x80040154, ""), "OLE error 80040154");
  EXPECT_EQ(ComErrorMessage(0x1, " \r\n"), "OLE error 00000001");
}

// --- Loading -------------------------------------------------------------------------------------

TEST(LoadSettings, NothingStoredGivesDefaultsAndCreatesOnlyTheProgramKey) {
  sim::SimRegistry reg;
  FakeShell shell;
  TSettings settings;
  settings.HideApps = false;
  settings.HotKeys.fill(0);
  settings.AutoStart = true;

  EXPECT_TRUE(LoadSettings(reg, shell, settings).empty());
  EXPECT_EQ(settings, TSettings{});
  EXPECT_TRUE(settings.HideApps);
  EXPECT_EQ(settings.HotKeys[0], 24688);
  EXPECT_EQ(settings.HotKeys[7], 24695);
  EXPECT_FALSE(settings.AutoStart);
  EXPECT_TRUE(reg.KeyExists(kProgramPath));
  EXPECT_FALSE(reg.KeyExists(kOptionsPath));
  EXPECT_FALSE(reg.KeyExists(kShellFoldersPath));  // looked for, never created
  // No Startup folder recorded: the fallback folder, taken as is.
  EXPECT_EQ(shell.queried, std::vector<std::string>{"c:\\\\Mirel Virtual Desktop.lnk"});
  EXPECT_EQ(reg.OpenKeyCount(), 0);
}

TEST(LoadSettings, AutoStartIsThePresenceOfTheShortcut) {
  sim::SimRegistry reg;
  reg.SetRaw(kShellFoldersPath, "Startup", Sz(kStartupFolder));
  FakeShell shell;
  TSettings settings;
  LoadSettings(reg, shell, settings);
  EXPECT_FALSE(settings.AutoStart);
  shell.files.insert(kStartupLink);
  LoadSettings(reg, shell, settings);
  EXPECT_TRUE(settings.AutoStart);
}

TEST(LoadSettings, UnusableStartupFolderFallsBackToDriveC) {
  for (const RegValue& value : {Typed(kRegDword, std::string(4, '\0')), Sz("")}) {
    sim::SimRegistry reg;
    reg.SetRaw(kShellFoldersPath, "Startup", value);
    FakeShell shell;
    TSettings settings;
    EXPECT_TRUE(LoadSettings(reg, shell, settings).empty());
    EXPECT_EQ(shell.queried, std::vector<std::string>{"c:\\\\Mirel Virtual Desktop.lnk"});
  }
  sim::SimRegistry reg;
  reg.SetRaw(kShellFoldersPath, "Startup", Sz(kStartupFolder));
  reg.FailReadOf("Startup");
  EXPECT_EQ(FindStartupFolder(reg), "c:\\");
}

TEST(LoadSettings, StoredTextValues) {
  sim::SimRegistry reg;
  reg.SetRaw(kOptionsPath, "HideApps", Sz("0"));
  reg.SetRaw(kOptionsPath, "HotKey1", Sz("32833"));  // Alt+A
  reg.SetRaw(kOptionsPath, "HotKey2", Sz("letters"));
  reg.SetRaw(kOptionsPath, "HotKey3", Sz(""));
  reg.SetRaw(kOptionsPath, "HotKey4", Sz("0"));
  reg.SetRaw(kOptionsPath, "HotKey5", Sz("90224"));  // 0x16070: only the low 16 bits count
  reg.SetRaw(kOptionsPath, "HotKey6", Sz("-1"));
  reg.SetRaw(kOptionsPath, "HotKey7", Typed(kRegExpandSz, std::string("24700\0", 6)));
  FakeShell shell;
  TSettings settings;
  EXPECT_TRUE(LoadSettings(reg, shell, settings).empty());
  EXPECT_FALSE(settings.HideApps);
  EXPECT_EQ(settings.HotKeys, (THotKeys{32833, 24689, 24690, 0, 0x6070, 0xFFFF, 24700, 24695}));
}

TEST(LoadSettings, HideAppsTextForms) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"2", true}, {"0", false}, {"letters", true}, {"", true}};
  for (const auto& [text, expected] : cases) {
    sim::SimRegistry reg;
    reg.SetRaw(kOptionsPath, "HideApps", Sz(text));
    FakeShell shell;
    TSettings settings;
    LoadSettings(reg, shell, settings);
    EXPECT_EQ(settings.HideApps, expected) << '"' << text << '"';
  }
}

TEST(LoadSettings, BadValuesAreReportedAndTheRestStillLoads) {
  sim::SimRegistry reg;
  reg.SetRaw(kOptionsPath, "HideApps", Sz("0"));
  reg.SetRaw(kOptionsPath, "HotKey1", Sz("100"));
  reg.SetRaw(kOptionsPath, "HotKey3", Typed(kRegDword, std::string("\x10\0\0\0", 4)));
  reg.SetRaw(kOptionsPath, "HotKey4", Sz("104"));
  reg.SetRaw(kOptionsPath, "HotKey5", Sz("105"));
  reg.FailReadOf("HotKey5");
  reg.SetRaw(kOptionsPath, "HotKey8", Sz("108"));
  FakeShell shell;
  TSettings settings;
  const std::vector<std::string> errors = LoadSettings(reg, shell, settings);
  EXPECT_EQ(errors, (std::vector<std::string>{"Invalid data type for 'HotKey3'",
                                              "Failed to get data for 'HotKey5'"}));
  EXPECT_FALSE(settings.HideApps);
  EXPECT_EQ(settings.HotKeys, (THotKeys{100, 24689, 24690, 104, 24692, 24693, 24694, 108}));
  EXPECT_EQ(reg.OpenKeyCount(), 0);
}

TEST(LoadSettings, ProgramKeyThatCannotBeCreatedReadsAsNothingStored) {
  sim::SimRegistry reg;
  reg.FailKeyCreation(true);
  FakeShell shell;
  TSettings settings;
  settings.HideApps = false;
  EXPECT_TRUE(LoadSettings(reg, shell, settings).empty());
  EXPECT_EQ(settings, TSettings{});
}

// --- Saving --------------------------------------------------------------------------------------

TEST(SaveSettings, UnchangedSettingsAreWrittenAsTerminatedText) {
  sim::SimRegistry reg;
  FakeShell shell;
  TSettings settings;
  LoadSettings(reg, shell, settings);
  EXPECT_EQ(SaveSettings(reg, shell, settings), std::nullopt);

  const RegValue* hideApps = Stored(reg, kOptionsPath, "HideApps");
  ASSERT_NE(hideApps, nullptr);
  EXPECT_EQ(hideApps->type, kRegSz);
  EXPECT_EQ(hideApps->data, (std::vector<std::uint8_t>{'1', 0}));
  for (int slot = 1; slot <= 8; ++slot) {
    const RegValue* hotKey = Stored(reg, kOptionsPath, "HotKey" + std::to_string(slot));
    ASSERT_NE(hotKey, nullptr) << slot;
    EXPECT_EQ(hotKey->type, kRegSz);
    EXPECT_EQ(hotKey->data, Sz(std::to_string(24687 + slot)).data);
  }
  EXPECT_EQ(StoredText(reg, "KeepWindowState"), "0");
  EXPECT_EQ(StoredText(reg, "TrayFollows"), "0");
  EXPECT_EQ(StoredText(reg, "Name8"), "Desktop 8");
  // The command hot keys follow, with their defaults: Ctrl+Alt+Right, Shift+Ctrl+Alt+F1...
  EXPECT_EQ(StoredText(reg, "HotKeyNext"), std::to_string(0xC027));
  EXPECT_EQ(StoredText(reg, "HotKeyMove1"), std::to_string(0xE070));
  EXPECT_EQ(StoredText(reg, "HotKeyMove8"), std::to_string(0xE077));
  EXPECT_EQ(StoredText(reg, "HotKeyMovePrevious"), std::to_string(0xE025));
  EXPECT_EQ(reg.FindKey(kOptionsPath)->values.size(), 19u + kCommandHotKeyCount);
  EXPECT_TRUE(shell.created.empty());
  EXPECT_TRUE(shell.removed.empty());
  EXPECT_EQ(reg.OpenKeyCount(), 0);
}

TEST(SaveSettings, WhatIsSavedLoadsBack) {
  sim::SimRegistry reg;
  FakeShell shell;
  TSettings saved;
  saved.HideApps = false;
  saved.HotKeys = {0, 0x8041, 0xE070, 0x6070, 0x2020, 0x4030, 0xFFFF, 1};
  saved.KeepWindowState = true;
  saved.TrayFollows = true;
  saved.Names[1] = "Mail";
  // Cyrillic, then U+1F680.
  saved.Names[7] = "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82 \xF0\x9F\x9A\x80";
  saved.CommandHotKeys[0] = 0;  // cleared
  saved.CommandHotKeys[11] = 0x8041;
  ASSERT_EQ(SaveSettings(reg, shell, saved), std::nullopt);
  EXPECT_EQ(StoredText(reg, "TrayFollows"), "1");
  EXPECT_EQ(StoredText(reg, "Name2"), "Mail");
  EXPECT_EQ(StoredText(reg, "HideApps"), "0");
  EXPECT_EQ(StoredText(reg, "KeepWindowState"), "1");
  EXPECT_EQ(StoredText(reg, "HotKey1"), "0");
  EXPECT_EQ(StoredText(reg, "HotKey7"), "65535");
  TSettings loaded;
  EXPECT_TRUE(LoadSettings(reg, shell, loaded).empty());
  EXPECT_EQ(loaded, saved);
}

TEST(SaveSettings, CheckedAutoStartCreatesTheMissingShortcut) {
  sim::SimRegistry reg;
  reg.SetRaw(kShellFoldersPath, "Startup", Sz(kStartupFolder));
  FakeShell shell;
  TSettings settings;
  settings.AutoStart = true;
  ASSERT_EQ(SaveSettings(reg, shell, settings), std::nullopt);
  ASSERT_EQ(shell.created.size(), 1u);
  EXPECT_EQ(shell.created[0].target, kExe);
  EXPECT_EQ(shell.created[0].workingDirectory, "C:\\Program Files\\Mirel\\");
  EXPECT_EQ(shell.created[0].file, kStartupLink);

  // The next start finds it; a second shut-down leaves it alone but still saves the options.
  TSettings loaded;
  LoadSettings(reg, shell, loaded);
  EXPECT_TRUE(loaded.AutoStart);
  loaded.HotKeys[2] = 0x8041;
  ASSERT_EQ(SaveSettings(reg, shell, loaded), std::nullopt);
  EXPECT_EQ(shell.created.size(), 1u);
  EXPECT_TRUE(shell.removed.empty());
  EXPECT_EQ(StoredText(reg, "HotKey3"), "32833");
}

TEST(SaveSettings, UncheckedAutoStartDeletesAnExistingShortcutOnly) {
  sim::SimRegistry reg;
  reg.SetRaw(kShellFoldersPath, "Startup", Sz(kStartupFolder));
  FakeShell shell;
  TSettings settings;
  ASSERT_EQ(SaveSettings(reg, shell, settings), std::nullopt);
  EXPECT_TRUE(shell.removed.empty());

  shell.files.insert(kStartupLink);
  ASSERT_EQ(SaveSettings(reg, shell, settings), std::nullopt);
  EXPECT_EQ(shell.removed, std::vector<std::string>{kStartupLink});
  EXPECT_TRUE(shell.files.empty());
  EXPECT_TRUE(shell.created.empty());
}

TEST(SaveSettings, ShortcutGoesToDriveCWhenNoStartupFolderIsKnown) {
  sim::SimRegistry reg;
  FakeShell shell;
  TSettings settings;
  settings.AutoStart = true;
  ASSERT_EQ(SaveSettings(reg, shell, settings), std::nullopt);
  ASSERT_EQ(shell.created.size(), 1u);
  EXPECT_EQ(shell.created[0].file, "c:\\\\Mirel Virtual Desktop.lnk");
}

TEST(SaveSettings, FailingLinkObjectStopsBeforeTheOptions) {
  sim::SimRegistry reg;
  FakeShell shell;
  shell.createFailure = "Class not registered";
  TSettings settings;
  LoadSettings(reg, shell, settings);
  settings.AutoStart = true;
  EXPECT_EQ(SaveSettings(reg, shell, settings), "Class not registered");
  EXPECT_FALSE(reg.KeyExists(kOptionsPath));
  EXPECT_EQ(reg.OpenKeyCount(), 0);
}

TEST(SaveSettings, OptionsKeyThatCannotBeCreated) {
  sim::SimRegistry reg;
  FakeShell shell;
  TSettings settings;
  LoadSettings(reg, shell, settings);
  reg.FailKeyCreation(true);
  EXPECT_EQ(SaveSettings(reg, shell, settings), "Failed to create key Options");
  EXPECT_FALSE(reg.KeyExists(kOptionsPath));
  EXPECT_EQ(reg.OpenKeyCount(), 0);
}

TEST(SaveSettings, ProgramKeyThatCannotBeCreated) {
  sim::SimRegistry reg;
  FakeShell shell;
  reg.FailKeyCreation(true);
  EXPECT_EQ(SaveSettings(reg, shell, TSettings{}), "Failed to create key Software");
}

TEST(SaveSettings, RefusedWriteKeepsThePreviousValue) {
  sim::SimRegistry reg;
  reg.SetRaw(kOptionsPath, "HideApps", Sz("1"));
  FakeShell shell;
  reg.FailWrites(true);
  TSettings settings;
  settings.HideApps = false;
  EXPECT_EQ(SaveSettings(reg, shell, settings), "Failed to set data for 'HideApps'");
  EXPECT_EQ(StoredText(reg, "HideApps"), "1");
  EXPECT_EQ(StoredText(reg, "HotKey1"), "<absent>");
}

TEST(SaveSettings, FailureHalfWayKeepsEarlierWritesAndLaterOldValues) {
  RegistryFailingOneWrite reg("HotKey3");
  for (int slot = 1; slot <= 8; ++slot) {
    reg.SetRaw(kOptionsPath, "HotKey" + std::to_string(slot), Sz("1"));
  }
  FakeShell shell;
  TSettings settings;
  settings.HideApps = false;
  EXPECT_EQ(SaveSettings(reg, shell, settings), "Failed to set data for 'HotKey3'");
  EXPECT_EQ(StoredText(reg, "HideApps"), "0");
  EXPECT_EQ(StoredText(reg, "HotKey1"), "24688");
  EXPECT_EQ(StoredText(reg, "HotKey2"), "24689");
  EXPECT_EQ(StoredText(reg, "HotKey3"), "1");
  EXPECT_EQ(StoredText(reg, "HotKey8"), "1");
}

// --- Desktop names -------------------------------------------------------------------------------

TEST(DesktopNames, CleaningDropsControlsTrimsAndCutsBetweenCharacters) {
  EXPECT_EQ(DefaultDesktopNames()[0], "Desktop 1");
  EXPECT_EQ(DefaultDesktopNames()[7], "Desktop 8");
  EXPECT_EQ(CleanDesktopName("Ma\til\r\n\x7F\xC2\x85", 1), "Mail");  // C0, DEL and C1 (U+0085)
  EXPECT_EQ(CleanDesktopName("  Build  server \xC2\xA0", 2), "Build  server");
  EXPECT_EQ(CleanDesktopName("", 2), "Desktop 3");
  EXPECT_EQ(CleanDesktopName(" \t\r\n ", 4), "Desktop 5");
  EXPECT_EQ(CleanDesktopName(std::string(300, 'x'), 0), std::string(64, 'x'));
  // 63 units, then a character of two units that does not fit any more.
  const std::string emoji = "\xF0\x9F\x9A\x80";
  EXPECT_EQ(CleanDesktopName(std::string(63, 'a') + emoji, 0), std::string(63, 'a'));
  EXPECT_EQ(CleanDesktopName(std::string(62, 'a') + emoji + "b", 0), std::string(62, 'a') + emoji);
  EXPECT_EQ(DesktopName(DefaultDesktopNames(), 8), "Desktop 9");
}

TEST(DesktopNames, StoredNamesAreCleanedAndUnusableOnesSilentlyTakeTheirDefault) {
  sim::SimRegistry reg;
  reg.SetRaw(kOptionsPath, "Name1", Sz("Mail"));
  reg.SetRaw(kOptionsPath, "Name2", Sz(""));
  reg.SetRaw(kOptionsPath, "Name3", Typed(kRegDword, std::string("\x10\0\0\0", 4)));
  reg.SetRaw(kOptionsPath, "Name4", Sz("x"));
  reg.FailReadOf("Name4");
  reg.SetRaw(kOptionsPath, "Name5", Sz("\x01\x02" + std::string(300, 'n') + "\r\n"));
  reg.SetRaw(kOptionsPath, "TrayFollows", Sz("1"));
  FakeShell shell;
  TSettings settings;
  EXPECT_TRUE(LoadSettings(reg, shell, settings).empty());
  EXPECT_TRUE(settings.TrayFollows);
  EXPECT_EQ(settings.Names, (TDesktopNames{"Mail", "Desktop 2", "Desktop 3", "Desktop 4",
                                           std::string(64, 'n'), "Desktop 6", "Desktop 7",
                                           "Desktop 8"}));
  // Saving writes the cleaned names, whatever the controls held.
  settings.Names[5] = "\tMusic\n";
  ASSERT_EQ(SaveSettings(reg, shell, settings), std::nullopt);
  EXPECT_EQ(StoredText(reg, "Name5"), std::string(64, 'n'));
  EXPECT_EQ(StoredText(reg, "Name6"), "Music");
}
