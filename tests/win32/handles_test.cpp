// The owning handle wrappers release with the right function, once, and move ownership.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "platform/win32/handles.h"
#include "tests/win32/test_windows.h"

namespace mirel::test {
namespace {

using namespace mirel::win32;

TEST(UniqueHandle, WindowIsDestroyedWithItsOwner) {
  HWND raw = nullptr;
  {
    UniqueWindow window = CreateTestWindow();
    raw = window.get();
    ASSERT_TRUE(::IsWindow(raw));
  }
  EXPECT_FALSE(::IsWindow(raw));
}

TEST(UniqueHandle, MoveTransfersOwnership) {
  UniqueWindow first = CreateTestWindow();
  const HWND raw = first.get();

  UniqueWindow second(std::move(first));
  EXPECT_FALSE(first);
  EXPECT_EQ(second.get(), raw);

  UniqueWindow third = CreateTestWindow();
  const HWND replaced = third.get();
  third = std::move(second);  // the window third held is destroyed
  EXPECT_FALSE(::IsWindow(replaced));
  EXPECT_TRUE(::IsWindow(raw));
  third.Reset();
  EXPECT_FALSE(::IsWindow(raw));
}

TEST(UniqueHandle, ReleaseGivesUpOwnership) {
  HWND raw = nullptr;
  {
    UniqueWindow window = CreateTestWindow();
    raw = window.Release();
    EXPECT_FALSE(window);
  }
  EXPECT_TRUE(::IsWindow(raw));
  UniqueWindow again(raw);  // and back, to clean up
}

TEST(UniqueHandle, GdiObjectIsDeletedAndSelectionRestored) {
  WindowDc screen = GetWindowDc(nullptr);
  ASSERT_TRUE(screen);
  EXPECT_EQ(screen.traits().window, nullptr);
  MemoryDc memory(::CreateCompatibleDC(screen.get()));
  ASSERT_TRUE(memory);
  const HGDIOBJ original = ::GetCurrentObject(memory.get(), OBJ_BITMAP);

  UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), 16, 16));
  ASSERT_TRUE(bitmap);
  const HBITMAP raw = bitmap.get();
  {
    ScopedSelection selection(memory.get(), bitmap.get());
    EXPECT_EQ(::GetCurrentObject(memory.get(), OBJ_BITMAP), raw);
  }
  EXPECT_EQ(::GetCurrentObject(memory.get(), OBJ_BITMAP), original);

  EXPECT_EQ(::GetObjectType(raw), static_cast<DWORD>(OBJ_BITMAP));
  bitmap.Reset();
  EXPECT_EQ(::GetObjectType(raw), 0u);
}

TEST(UniqueHandle, WindowDcRemembersItsWindow) {
  UniqueWindow window = CreateTestWindow();
  WindowDc dc = GetWindowDc(window.get());
  ASSERT_TRUE(dc);
  EXPECT_EQ(dc.traits().window, window.get());
  WindowDc moved(std::move(dc));
  EXPECT_EQ(moved.traits().window, window.get());
  EXPECT_EQ(::WindowFromDC(moved.get()), window.get());
}

TEST(UniqueHandle, KernelHandleTreatsBothEmptyValuesAsNone) {
  EXPECT_FALSE(UniqueKernelHandle(INVALID_HANDLE_VALUE));
  EXPECT_FALSE(UniqueKernelHandle(nullptr));

  UniqueKernelHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  UniqueKernelHandle duplicate;
  ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), event.get(), ::GetCurrentProcess(),
                                duplicate.Put(), 0, FALSE, DUPLICATE_SAME_ACCESS));
  ::SetEvent(duplicate.get());
  EXPECT_EQ(::WaitForSingleObject(event.get(), 0), WAIT_OBJECT_0);

  const HANDLE raw = duplicate.get();
  duplicate.Reset();
  DWORD flags = 0;
  EXPECT_FALSE(::GetHandleInformation(raw, &flags));
}

TEST(UniqueHandle, RegistryKeyFromAnOutParameter) {
  UniqueRegKey key;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.Put()), ERROR_SUCCESS);
  EXPECT_TRUE(key);
  DWORD subkeys = 0;
  EXPECT_EQ(::RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
}

TEST(ComPtr, CreatesQueriesAndReleases) {
  ScopedComInit com;
  ASSERT_TRUE(com.Succeeded());

  ComPtr<IShellLinkA> link;
  ASSERT_EQ(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                               link.PutVoid()),
            S_OK);
  ASSERT_TRUE(link);
  ASSERT_EQ(link->SetDescription("Mirel test"), S_OK);

  ComPtr<IPersistFile> file = link.As<IPersistFile>();
  EXPECT_TRUE(file);
  EXPECT_FALSE(link.As<IStream>());  // not implemented by a shell link

  // One reference each: AddRef/Release report the count after the change.
  link->AddRef();
  EXPECT_EQ(link->Release(), 2u);  // link and file
  ComPtr<IShellLinkA> moved(std::move(link));
  EXPECT_FALSE(link);
  moved.Reset();
  file->AddRef();
  EXPECT_EQ(file->Release(), 1u);
}

}  // namespace
}  // namespace mirel::test
