// Win32Registry against the registry of the Wine session, below HKCU\Software\MirelTest.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/win32/handle_cast.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_registry.h"

namespace mirel::test {
namespace {

constexpr char kTestRoot[] = "Software\\MirelTest";

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot);
    key = OpenScopedKey(registry, registry.CurrentUser(), kTestRoot, true);
    ASSERT_TRUE(key);
  }
  void TearDown() override {
    key.Reset();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot);
  }

  // The stored data and size as advapi32 reports them.
  static std::string RawData(RegKey key, const char* name, DWORD& type) {
    char data[64] = {};
    DWORD size = sizeof(data);
    if (::RegQueryValueExA(win32::ToHkey(key), name, nullptr, &type,
                           reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS) {
      return "<unreadable>";
    }
    return std::string(data, size);
  }

  win32::Win32Registry registry;
  ScopedRegKey key;
};

TEST_F(Win32RegistryTest, CurrentUserIsThePredefinedKeyAndStaysOpen) {
  EXPECT_EQ(registry.CurrentUser(), win32::FromHkey(HKEY_CURRENT_USER));
  registry.CloseKey(registry.CurrentUser());
  ScopedRegKey software = OpenScopedKey(registry, registry.CurrentUser(), "Software", false);
  EXPECT_TRUE(software);
}

TEST_F(Win32RegistryTest, NestedKeysCreatedOneNameAtATimeOpenAsAPath) {
  ScopedRegKey a = OpenScopedKey(registry, key.get(), "A", true);
  ASSERT_TRUE(a);
  ScopedRegKey b = OpenScopedKey(registry, a.get(), "B", true);
  ASSERT_TRUE(b);
  ASSERT_TRUE(registry.SetString(b.get(), "Where", "deep"));

  ScopedRegKey byPath =
      OpenScopedKey(registry, registry.CurrentUser(), "Software\\MirelTest\\A\\B", false);
  ASSERT_TRUE(byPath);
  RegValue value;
  ASSERT_EQ(registry.QueryValue(byPath.get(), "Where", value), RegRead::kOk);
  EXPECT_EQ(std::string(value.data.begin(), value.data.end()), std::string("deep\0", 5));
}

TEST_F(Win32RegistryTest, PathCreatesEveryMissingKey) {
  ScopedRegKey created = OpenScopedKey(registry, key.get(), "X\\Y\\Z", true);
  ASSERT_TRUE(created);
  EXPECT_TRUE(OpenScopedKey(registry, key.get(), "X\\Y", false));
  EXPECT_TRUE(OpenScopedKey(registry, key.get(), "X\\Y\\Z", false));
}

TEST_F(Win32RegistryTest, OpeningAMissingKeyWithoutCreateFails) {
  EXPECT_EQ(registry.OpenKey(key.get(), "Missing", false), 0u);
  EXPECT_EQ(registry.OpenKey(key.get(), "Missing\\Deeper", false), 0u);
  EXPECT_FALSE(OpenScopedKey(registry, key.get(), "Missing", false));
}

TEST_F(Win32RegistryTest, StringIsStoredWithItsTerminatingZero) {
  ASSERT_TRUE(registry.SetString(key.get(), "HotKey1", "24688"));
  RegValue value;
  ASSERT_EQ(registry.QueryValue(key.get(), "HotKey1", value), RegRead::kOk);
  EXPECT_EQ(value.type, kRegSz);
  EXPECT_EQ(value.data, (std::vector<std::uint8_t>{'2', '4', '6', '8', '8', 0}));

  DWORD type = 0;
  EXPECT_EQ(RawData(key.get(), "HotKey1", type), std::string("24688\0", 6));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

  ASSERT_TRUE(registry.SetString(key.get(), "Empty", ""));
  ASSERT_EQ(registry.QueryValue(key.get(), "Empty", value), RegRead::kOk);
  EXPECT_EQ(value.data, (std::vector<std::uint8_t>{0}));
}

TEST_F(Win32RegistryTest, TextIsStoredAsUtf16AndReadBackAsUtf8) {
  const std::string name = "\u03a9\u03bc\u03ad\u03b3\u03b1";          // Ωμέγα
  const std::string text = "\u65e5\u672c\u8a9e \U0001F680";              // 日本語 🚀
  ASSERT_TRUE(registry.SetString(key.get(), name, text));

  wchar_t stored[16] = {};
  DWORD size = sizeof(stored);
  DWORD type = 0;
  ASSERT_EQ(::RegQueryValueExW(win32::ToHkey(key.get()), L"\u03a9\u03bc\u03ad\u03b3\u03b1", nullptr,
                               &type, reinterpret_cast<BYTE*>(stored), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(stored, size / sizeof(wchar_t)), std::wstring(L"\u65e5\u672c\u8a9e \U0001F680\0", 7));

  RegValue value;
  ASSERT_EQ(registry.QueryValue(key.get(), name, value), RegRead::kOk);
  EXPECT_EQ(std::string(value.data.begin(), value.data.end()), text + '\0');
  EXPECT_EQ(registry.ValueNames(key.get()), std::vector<std::string>{name});
}

// Earlier versions wrote through the ANSI functions: the registry keeps the text as UTF-16, so it
// reads back as the characters that were meant, whatever the code page was.
TEST_F(Win32RegistryTest, TextWrittenThroughTheAnsiFunctionsReadsBackUnchanged) {
  const char ansi[] = "Caf\xe9 \xc0 la carte";
  ASSERT_EQ(::RegSetValueExA(win32::ToHkey(key.get()), "Old", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(ansi), sizeof(ansi)),
            ERROR_SUCCESS);
  wchar_t meant[32] = {};
  const int units = ::MultiByteToWideChar(CP_ACP, 0, ansi, -1, meant, 32);
  ASSERT_GT(units, 0);

  RegValue value;
  ASSERT_EQ(registry.QueryValue(key.get(), "Old", value), RegRead::kOk);
  EXPECT_EQ(std::string(value.data.begin(), value.data.end()),
            win32::Utf8(std::wstring_view(meant, static_cast<std::size_t>(units))));
}

TEST_F(Win32RegistryTest, OverwritingReplacesTheData) {
  ASSERT_TRUE(registry.SetString(key.get(), "HideApps", "a much longer first value"));
  ASSERT_TRUE(registry.SetString(key.get(), "HideApps", "1"));
  RegValue value;
  ASSERT_EQ(registry.QueryValue(key.get(), "HideApps", value), RegRead::kOk);
  EXPECT_EQ(value.data, (std::vector<std::uint8_t>{'1', 0}));
}

TEST_F(Win32RegistryTest, OtherValueTypesComeBackRaw) {
  const DWORD number = 0x01020304;
  ASSERT_EQ(::RegSetValueExA(win32::ToHkey(key.get()), "Number", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&number), sizeof(number)),
            ERROR_SUCCESS);
  RegValue value;
  ASSERT_EQ(registry.QueryValue(key.get(), "Number", value), RegRead::kOk);
  EXPECT_EQ(value.type, kRegDword);
  EXPECT_EQ(value.data, (std::vector<std::uint8_t>{4, 3, 2, 1}));
}

TEST_F(Win32RegistryTest, MissingValueIsMissingAndABadKeyIsAFailure) {
  RegValue value;
  value.type = kRegBinary;
  EXPECT_EQ(registry.QueryValue(key.get(), "Nothing", value), RegRead::kMissing);
  EXPECT_EQ(value.type, kRegBinary);  // untouched

  const RegKey closed = registry.OpenKey(key.get(), "Closed", true);
  ASSERT_NE(closed, 0u);
  registry.CloseKey(closed);
  EXPECT_EQ(registry.QueryValue(closed, "Nothing", value), RegRead::kFailed);
  EXPECT_EQ(registry.QueryValue(0, "Nothing", value), RegRead::kFailed);
}

TEST_F(Win32RegistryTest, DeletedValueIsMissing) {
  ASSERT_TRUE(registry.SetString(key.get(), "123456", "Window title"));
  EXPECT_TRUE(registry.DeleteValue(key.get(), "123456"));
  RegValue value;
  EXPECT_EQ(registry.QueryValue(key.get(), "123456", value), RegRead::kMissing);
  EXPECT_FALSE(registry.DeleteValue(key.get(), "123456"));
}

TEST_F(Win32RegistryTest, ValueNamesListsEveryValue) {
  EXPECT_TRUE(registry.ValueNames(key.get()).empty());

  const std::string longName(200, 'n');
  for (const std::string& name : {std::string("HideApps"), std::string("HotKey1"), longName}) {
    ASSERT_TRUE(registry.SetString(key.get(), name, "x"));
  }
  ASSERT_TRUE(OpenScopedKey(registry, key.get(), "Subkey", true));  // keys are not values

  std::vector<std::string> names = registry.ValueNames(key.get());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"HideApps", "HotKey1", longName}));
  EXPECT_TRUE(registry.ValueNames(0).empty());
}

TEST_F(Win32RegistryTest, ScopedKeyClosesItsKey) {
  RegKey raw = 0;
  {
    ScopedRegKey scoped = OpenScopedKey(registry, key.get(), "Scoped", true);
    raw = scoped.get();
    ASSERT_TRUE(registry.SetString(raw, "Open", "yes"));
  }
  EXPECT_FALSE(registry.SetString(raw, "Closed", "no"));
}

}  // namespace
}  // namespace mirel::test
