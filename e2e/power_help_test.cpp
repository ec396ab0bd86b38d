// End-to-end tests of the power and help commands, reached through the tray menu: the help page,
// the about box, monitor off, and the sleep timer with its dialog and its request to end the
// session.
//
// Tray menu, top to bottom: Control panel, -, Turn off monitor, Sleep timer, -, Switch To,
// Move here, -, Help (How to use, -, About Mirel Virtual Desktop), Exit. The menu is worked with
// the keyboard; separators are skipped by the arrow keys.
//
// The end of the session is observed by a hidden window of this test: Wine's session end asks
// every process's windows with WM_QUERYENDSESSION, in the order of their process ids, and stops at
// the first refusal. The test process started before the program, so its window is asked first;
// it records the request and refuses, so the session (and this test) goes on.
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/driver/artifacts.h"
#include "e2e/driver/controls.h"
#include "e2e/driver/input.h"
#include "e2e/driver/message_sink.h"
#include "e2e/driver/process.h"
#include "e2e/driver/program_fixture.h"
#include "e2e/driver/screen_capture.h"
#include "e2e/driver/tray.h"
#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"

namespace mirel::e2e {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr const char* kProgramTitle = "Mirel Virtual Desktop";
// The sleep timer dialog's picture: the bitmap beside the program is 96 x 198 pixels.
constexpr int kPictureWidth = 96;
constexpr int kPictureHeight = 198;

// --- Tray menu ------------------------------------------------------------------------------------

// The menu is the same under all four icons. Two right clicks in a row at one place within the
// double-click time reach the program as a double click, which opens no menu: a menu opened
// right after another one is opened from another icon.
void ChooseTurnOffMonitor(int icon = 1) {
  OpenTrayMenu(icon);
  ChooseMenuItemByKeys({VK_DOWN, VK_DOWN, VK_RETURN});
}

void ChooseSleepTimer(int icon = 1) {
  OpenTrayMenu(icon);
  ChooseMenuItemByKeys({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
}

// "Help" is the last item but one; Right opens it on its first item.
void ChooseHowToUse(int icon = 1) {
  OpenTrayMenu(icon);
  ChooseMenuItemByKeys({VK_UP, VK_UP, VK_RIGHT, VK_RETURN});
}

void ChooseAbout(int icon = 1) {
  OpenTrayMenu(icon);
  ChooseMenuItemByKeys({VK_UP, VK_UP, VK_RIGHT, VK_DOWN, VK_RETURN});
}

// --- Windows and controls of another process --------------------------------------------------

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &answer)) {
    throw DriverError("no answer from " + Describe(window));
  }
  return static_cast<LRESULT>(answer);
}

struct ChildMatch {
  const std::function<bool(HWND)>& match;
  HWND found = nullptr;
};

BOOL CALLBACK MatchChildIf(HWND child, LPARAM context) {
  auto& search = *reinterpret_cast<ChildMatch*>(context);
  if (!search.match(child)) return TRUE;
  search.found = child;
  return FALSE;
}

// The first child control of `parent` for which `match` holds.
HWND FindChildIf(HWND parent, const std::function<bool(HWND)>& match) {
  ChildMatch search{match};
  EnumChildWindows(parent, &MatchChildIf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND RequireChild(HWND parent, const std::string& className,
                  const std::optional<std::string>& text = std::nullopt) {
  const HWND child = FindChild(parent, className, text);
  if (child == nullptr) {
    throw DriverError("no " + className + (text ? " \"" + *text + "\"" : "") + " in " +
                      Describe(parent));
  }
  return child;
}

// The static control that shows a bitmap.
HWND PictureControl(HWND dialog) {
  return FindChildIf(dialog, [](HWND child) {
    return WindowClass(child) == "Static" &&
           (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP;
  });
}

// The visible message box (#32770) of process `processId`; null when there is none.
HWND FindMessageBox(DWORD processId) {
  return FindTopLevel([&](HWND window) {
    return WindowProcess(window) == processId && WindowClass(window) == "#32770" &&
           IsWindowVisible(window);
  });
}

// The text of a message box: its static control that is not the icon.
std::string MessageBoxText(HWND box) {
  const HWND text = FindChildIf(box, [](HWND child) {
    return WindowClass(child) == "Static" &&
           (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON &&
           !ControlText(child).empty();
  });
  return text != nullptr ? ControlText(text) : std::string();
}

void ClickControl(HWND control) { Click(Centre(WindowRect(control))); }

// --- A hidden window that sees the end of the session asked for ----------------------------------

class SessionEndWatch {
 public:
  int Requests() const { return requests_; }
  Clock::time_point LastRequest() const { return lastRequest_; }

 private:
  std::optional<LRESULT> Handle(UINT message) {
    if (message != WM_QUERYENDSESSION) return std::nullopt;
    ++requests_;
    lastRequest_ = Clock::now();
    return FALSE;  // refused: the session, the program and this test go on
  }

  int requests_ = 0;
  Clock::time_point lastRequest_{};
  MessageSink sink_{"session end watch", [this](UINT message, WPARAM, LPARAM) {
                      return Handle(message);
                    }};
};

// --- A copy of the program in a folder of its own, without the files beside the original -------

// Paths are UTF-8 and go to the wide functions: the folder's name may be in any script.
class LoneProgramCopy {
 public:
  explicit LoneProgramCopy(const std::string& folderName = "mirel-lone") {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = win32::Utf8(temp) + folderName + "-" + std::to_string(GetCurrentProcessId());
    MakeFolder(folder_);
    path_ = folder_ + "\\" + ProgramUnderTest::kExecutable;
    CopyBeside(ProgramUnderTest::kExecutable);
  }
  LoneProgramCopy(const LoneProgramCopy&) = delete;
  LoneProgramCopy& operator=(const LoneProgramCopy&) = delete;
  ~LoneProgramCopy() {
    process_.Terminate();
    for (const std::string& file : written_) DeleteFileW(win32::Wide(file).c_str());
    for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder) {
      RemoveDirectoryW(win32::Wide(*folder).c_str());
    }
  }

  // Copies `relativePath` from beside the test executable to the same place beside the copy
  // (removed with the copy).
  void CopyBeside(const std::string& relativePath) {
    const std::string target = folder_ + "\\" + relativePath;
    for (std::size_t slash = relativePath.find('\\'); slash != std::string::npos;
         slash = relativePath.find('\\', slash + 1)) {
      MakeFolder(folder_ + "\\" + relativePath.substr(0, slash));
    }
    if (!CopyFileW(win32::Wide(BesideTestExecutable(relativePath)).c_str(),
                   win32::Wide(target).c_str(), FALSE)) {
      throw DriverError("cannot copy " + relativePath + " to " + target);
    }
    written_.push_back(target);
  }

  // Writes a file beside the copy (removed with the copy).
  void WriteBeside(const std::string& name, const std::string& content) {
    const std::string file = folder_ + "\\" + name;
    const win32::UniqueKernelHandle handle(CreateFileW(win32::Wide(file).c_str(), GENERIC_WRITE, 0,
                                                       nullptr, CREATE_ALWAYS,
                                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!handle || !::WriteFile(handle.get(), content.data(), static_cast<DWORD>(content.size()),
                                &written, nullptr) ||
        written != content.size()) {
      throw DriverError("cannot write " + file);
    }
    written_.push_back(file);
  }

  const std::string& Folder() const { return folder_; }
  const Process& Running() const { return process_; }
  // Waits until the four tray icons of the copy are shown (the original's have gone).
  void AwaitTrayIcons() const {
    Await("the copy's four tray icons", [&] {
      for (int desktop = 1; desktop <= kTrayIconCount; ++desktop) {
        if (!TrayIconShown(desktop)) return false;
      }
      return true;
    });
  }

  void Start() {
    process_ = Process::Start(path_, "");
    if (WaitForInputIdle(process_.Handle(), 15000) != 0) {
      throw DriverError("the program copy did not get ready for input");
    }
    Await("the program copy's main form and overlay", [&] {
      return FindWindowOf(process_.Id(), kMainFormClass) != nullptr &&
             FindWindowOf(process_.Id(), kOverlayClass) != nullptr;
    });
  }
  HWND Window(const char* className) const { return FindWindowOf(process_.Id(), className); }

 private:
  void MakeFolder(const std::string& folder) {
    if (!CreateDirectoryW(win32::Wide(folder).c_str(), nullptr)) {
      throw DriverError("cannot create the folder " + folder);
    }
    folders_.push_back(folder);
  }

  std::string folder_;
  std::string path_;
  std::vector<std::string> folders_;
  std::vector<std::string> written_;
  Process process_;
};

// --- An association that shows what the shell was asked to open ----------------------------------

// Makes ".htm" files open in the sample application, with a window titled by the file's path:
// "open" on a page then shows up as a window of that title. The session's prefix is this run's
// own, so the association goes with it.
void OpenPagesAsSampleWindows() {
  const std::string command =
      "\"" + BesideTestExecutable(SampleApp::kExecutable) + "\" \"title=%1;x=300;y=300\"";
  auto write = [](const char* keyPath, const std::string& value) {
    win32::UniqueRegKey key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, keyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.Put(), nullptr) != ERROR_SUCCESS ||
        RegSetValueExA(key.get(), nullptr, 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS) {
      throw DriverError(std::string("cannot write HKCR\\") + keyPath);
    }
  };
  write(".htm", "MirelE2E.Page");
  write("MirelE2E.Page\\shell\\open\\command", command);
}

// --- Tests ----------------------------------------------------------------------------------------

// Clicks into the field and waits until it has the keyboard focus.
void FocusField(HWND dialog, HWND field) {
  ClickControl(field);
  Await("the focus in " + Describe(field), [&] {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    return GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui) &&
           gui.hwndFocus == field;
  });
}

class PowerHelpTest : public ProgramFixture {
 protected:
  // The sleep timer dialog, once it is shown.
  HWND AwaitSleepTimerDialog(DWORD processId) {
    HWND dialog = nullptr;
    Await("the sleep timer dialog", [&] {
      dialog = FindWindowOf(processId, kSleepTimerClass);
      return dialog != nullptr && IsWindowVisible(dialog);
    });
    return dialog;
  }

  // "Start" with `minutes` and the kind of shutdown at index `type` of "Type".
  void StartSleepTimer(int minutes, int type, int icon = 1) {
    ChooseSleepTimer(icon);
    const HWND dialog = AwaitSleepTimerDialog(program.ProcessId());
    const HWND typeBox = RequireChild(dialog, "ComboBox");
    Ask(typeBox, CB_SETCURSEL, static_cast<WPARAM>(type));
    const HWND minutesField = RequireChild(dialog, "Edit");
    // Typed as a user would: into the field, over its whole text.
    FocusField(dialog, minutesField);
    Ask(minutesField, EM_SETSEL, 0, -1);
    for (const char digit : std::to_string(minutes)) TapKey(static_cast<WORD>(digit));
    ASSERT_TRUE(Eventually("the minutes typed", [&] {
      return ControlText(minutesField) == std::to_string(minutes);
    }));
    ClickControl(RequireChild(dialog, "Button", "Start"));
    ASSERT_TRUE(Eventually("the dialog closed", [&] { return !IsWindowVisible(dialog); }));
  }

  void CancelSleepTimer(int icon = 1) {
    ChooseSleepTimer(icon);
    const HWND dialog = AwaitSleepTimerDialog(program.ProcessId());
    ClickControl(RequireChild(dialog, "Button", "Cancel"));
    ASSERT_TRUE(Eventually("the dialog closed", [&] { return !IsWindowVisible(dialog); }));
  }

  // The program is running and its window procedure answers.
  ::testing::AssertionResult ProgramGoesOn() {
    if (!program.Running()) {
      return ::testing::AssertionFailure()
             << "the program ended with exit code " << program.ExitCode();
    }
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(program.MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000,
                             &answer)) {
      return ::testing::AssertionFailure() << "the program does not answer";
    }
    return ::testing::AssertionSuccess();
  }
};

TEST_F(PowerHelpTest, HowToUseOpensTheHelpPageBesideTheProgram) {
  const std::string page = BesideTestExecutable("help\\products\\vd.htm");
  const DWORD attributes = GetFileAttributesA(page.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "the build put no help page at " << page;
  OpenPagesAsSampleWindows();

  ChooseHowToUse();

  HWND opened = nullptr;
  ASSERT_TRUE(Eventually(
      "a window of the program associated with the page, titled " + page,
      [&] {
        opened = FindTopLevel([&](HWND window) { return SameText(WindowTitle(window), page); });
        return opened != nullptr;
      },
      kDefaultTimeout, [] {
        std::string text = "top-level windows:";
        for (HWND window : TopLevelWindows()) {
          if (IsWindowVisible(window)) text += "\n    " + Describe(window);
        }
        return text;
      }));
  // Opened by a process of its own, not by the program.
  EXPECT_NE(WindowProcess(opened), program.ProcessId());
  EXPECT_NE(WindowProcess(opened), sample.ProcessId());
  EXPECT_TRUE(ProgramGoesOn());

  const win32::UniqueKernelHandle viewer(
      OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, WindowProcess(opened)));
  if (viewer) {
    TerminateProcess(viewer.get(), 0);
    WaitForSingleObject(viewer.get(), 5000);
  }
}

TEST_F(PowerHelpTest, AboutShowsTheAboutBoxAndOkClosesIt) {
  ChooseAbout();

  HWND about = nullptr;
  ASSERT_TRUE(Eventually("the about box", [&] {
    about = program.Window(kAboutClass);
    return about != nullptr && IsWindowVisible(about);
  }));
  EXPECT_EQ(WindowTitle(about), "About Mirel Virtual Desktop");
  SaveArtifact(SettledPicture(WindowRect(about)), "about-box");
  EXPECT_NE(FindChild(about, "Static", std::string(kProgramTitle)), nullptr);
  const std::string information = ControlText(RequireChild(about, "Edit"));
  EXPECT_NE(information.find("version "), std::string::npos) << information;
  EXPECT_NE(information.find("Shift+Ctrl+F1"), std::string::npos) << information;
  EXPECT_NE(information.find("Copyright (c) 2026 Mirel Virtual Desktop developers"),
            std::string::npos)
      << information;

  ClickControl(RequireChild(about, "Button", "OK"));
  EXPECT_TRUE(Eventually("the about box closed", [&] { return !IsWindowVisible(about); }));
  EXPECT_TRUE(ProgramGoesOn());
}

// The request goes to the program's own window, never to every window: with an application hung
// for 20 s, the command still returns at once. (Wine ignores the request itself, so whether the
// monitor would go off cannot be seen here.)
TEST_F(PowerHelpTest, TurnOffMonitorReturnsAtOnceWhileAnApplicationHangs) {
  const HWND sleeper = sample.Open("title=Sleeper;x=300;y=300;w=240;h=160;hangafter=0;hangfor=20000");
  ASSERT_TRUE(Eventually("the sleeper's thread asleep", [&] { return !Answers(sleeper, 100); }));
  ChooseTurnOffMonitor();

  EXPECT_TRUE(ProgramGoesOn());
  // The menu works again: the command has returned to the event loop.
  ChooseAbout(2);
  HWND about = nullptr;
  ASSERT_TRUE(Eventually("the about box after monitor off", [&] {
    about = program.Window(kAboutClass);
    return about != nullptr && IsWindowVisible(about);
  }));
  // "At once": the program was back in its event loop while the application still hung. A
  // program that waited for every window would show the box only after the sleeper woke.
  EXPECT_FALSE(Answers(sleeper, 100)) << "the command returned only once the application woke";
  ClickControl(RequireChild(about, "Button", "OK"));
  EXPECT_TRUE(Eventually("the about box closed", [&] { return !IsWindowVisible(about); }));
}

TEST_F(PowerHelpTest, SleepTimerDialogShowsItsPictureAndRefusesTooManyMinutes) {
  ChooseSleepTimer();
  const HWND dialog = AwaitSleepTimerDialog(program.ProcessId());
  EXPECT_EQ(WindowTitle(dialog), "Sleep timer");
  EXPECT_EQ(FindMessageBox(program.ProcessId()), nullptr) << "an error box came up";

  const HWND picture = PictureControl(dialog);
  ASSERT_NE(picture, nullptr) << "no picture control in " << Describe(dialog);
  EXPECT_NE(Ask(picture, STM_GETIMAGE, IMAGE_BITMAP), 0) << "no bitmap in the picture control";
  const RECT area = WindowRect(picture);
  EXPECT_EQ(area.right - area.left, kPictureWidth);
  EXPECT_EQ(area.bottom - area.top, kPictureHeight);
  Image shown;
  ASSERT_TRUE(Eventually("the picture drawn", [&] {
    shown = CaptureScreen(area);
    return CountColours(shown) > 16;
  }));
  SaveArtifact(SettledPicture(WindowRect(dialog)), "sleep-timer-dialog");

  const HWND typeBox = RequireChild(dialog, "ComboBox");
  EXPECT_EQ(Ask(typeBox, CB_GETCOUNT), 2);
  EXPECT_EQ(Ask(typeBox, CB_GETCURSEL), 0);
  const HWND minutesField = RequireChild(dialog, "Edit");
  EXPECT_EQ(ControlText(minutesField), "10");

  // 99999 minutes would not fit the timer: the fifth digit is refused.
  FocusField(dialog, minutesField);
  Ask(minutesField, EM_SETSEL, 0, -1);
  for (int i = 0; i < 5; ++i) TapKey('9');
  EXPECT_TRUE(Eventually("the field to keep 9999", [&] {
    return ControlText(minutesField) == "9999";
  })) << ControlText(minutesField);

  ClickControl(RequireChild(dialog, "Button", "Cancel"));
  EXPECT_TRUE(Eventually("the dialog closed", [&] { return !IsWindowVisible(dialog); }));
  EXPECT_TRUE(ProgramGoesOn());
}

// Opens the sleep timer dialog of the copy from tray icon `icon`, expecting the error box about its
// picture first and then the dialog without a picture; closes both.
void ExpectPictureErrorThenDialog(const LoneProgramCopy& copy, int icon, const char* artifact) {
  const DWORD copyId = copy.Running().Id();
  ChooseSleepTimer(icon);
  HWND box = nullptr;
  ASSERT_TRUE(Eventually("the error box", [&] { return (box = FindMessageBox(copyId)) != nullptr; }));
  EXPECT_EQ(WindowTitle(box), kProgramTitle);
  SaveArtifact(SettledPicture(WindowRect(box)), artifact);
  const std::string expected = "Cannot open file \"" + copy.Folder() + "\\vdlogo.dat\". ";
  const std::string text = MessageBoxText(box);
  EXPECT_EQ(text.substr(0, expected.size()), expected) << text;
  EXPECT_GT(text.size(), expected.size()) << "no reason given: " << text;
  // The dialog waits for the error box.
  const HWND dialog = copy.Window(kSleepTimerClass);
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsWindowVisible(dialog));

  ClickControl(RequireChild(box, "Button", "OK"));
  ASSERT_TRUE(Eventually("the sleep timer dialog after the error box",
                         [&] { return IsWindowVisible(dialog); }));
  const HWND picture = PictureControl(dialog);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(Ask(picture, STM_GETIMAGE, IMAGE_BITMAP), 0) << "a picture from nowhere";

  ClickControl(RequireChild(dialog, "Button", "Cancel"));
  ASSERT_TRUE(Eventually("the dialog closed", [&] { return !IsWindowVisible(dialog); }));
}

TEST_F(PowerHelpTest, WithoutThePictureTheErrorBoxComesFirstThenTheDialog) {
  LoneProgramCopy copy;
  ExitProgram();
  // The icons of the ended program have gone before the copy's take their places.
  SweepDeadTrayIcons();
  copy.Start();
  copy.AwaitTrayIcons();

  // No file: "Exit" was chosen under icon 1 a moment ago.
  ASSERT_NO_FATAL_FAILURE(ExpectPictureErrorThenDialog(copy, 2, "missing-picture-error-box"));
  // A file that is no bitmap, read afresh at the next show.
  copy.WriteBeside("vdlogo.dat", "not a bitmap");
  ASSERT_NO_FATAL_FAILURE(ExpectPictureErrorThenDialog(copy, 3, "invalid-picture-error-box"));

  ChooseExit();
  EXPECT_TRUE(copy.Running().WaitForExit(seconds(15)));
}

// A program folder named in Cyrillic letters: the program finds the picture and the help page
// beside itself (its path is read and passed on as UTF-16).
TEST_F(PowerHelpTest, FromAFolderNamedInCyrillicThePictureAndTheHelpPageAreFound) {
  LoneProgramCopy copy("\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b");  // Программы
  copy.CopyBeside("vdlogo.dat");
  copy.CopyBeside("help\\products\\vd.htm");
  OpenPagesAsSampleWindows();
  ExitProgram();
  SweepDeadTrayIcons();
  copy.Start();
  copy.AwaitTrayIcons();
  const DWORD copyId = copy.Running().Id();

  ChooseSleepTimer(2);
  HWND dialog = nullptr;
  ASSERT_TRUE(Eventually("the sleep timer dialog", [&] {
    dialog = copy.Window(kSleepTimerClass);
    return (dialog != nullptr && IsWindowVisible(dialog)) || FindMessageBox(copyId) != nullptr;
  }));
  ASSERT_EQ(FindMessageBox(copyId), nullptr) << MessageBoxText(FindMessageBox(copyId));
  const HWND picture = PictureControl(dialog);
  ASSERT_NE(picture, nullptr);
  EXPECT_NE(Ask(picture, STM_GETIMAGE, IMAGE_BITMAP), 0) << "no bitmap from " << copy.Folder();
  ClickControl(RequireChild(dialog, "Button", "Cancel"));
  ASSERT_TRUE(Eventually("the dialog closed", [&] { return !IsWindowVisible(dialog); }));

  ChooseHowToUse(3);
  const std::string page = copy.Folder() + "\\help\\products\\vd.htm";
  HWND opened = nullptr;
  EXPECT_TRUE(Eventually("a window titled " + page, [&] {
    opened = FindTopLevel([&](HWND window) { return SameText(WindowTitle(window), page); });
    return opened != nullptr;
  }));
  if (opened != nullptr) {
    const win32::UniqueKernelHandle viewer(
        OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, WindowProcess(opened)));
    if (viewer) TerminateProcess(viewer.get(), 0);
  }
  ChooseExit();
  EXPECT_TRUE(copy.Running().WaitForExit(seconds(15)));
}

// Runs last: the refused end of the session may have ended processes that come before this test's
// own in the order of process ids.
TEST_F(PowerHelpTest, StartAsksToEndTheSessionAfterAMinuteAndCancelDisarms) {
  SessionEndWatch watch;
  constexpr int kPowerOff = 0;
  // The timer fires after its whole interval, never before; the margin above it covers a busy
  // machine.
  constexpr auto kMinute = seconds(60);
  constexpr auto kMargin = seconds(20);

  // Armed, then cancelled before the minute: nothing is asked when the minute has passed.
  const auto firstStart = Clock::now();
  ASSERT_NO_FATAL_FAILURE(StartSleepTimer(1, kPowerOff));
  ASSERT_NO_FATAL_FAILURE(CancelSleepTimer(2));
  ASSERT_LT(Clock::now() - firstStart, kMinute) << "too slow to cancel before the minute";
  EXPECT_FALSE(WaitUntil([&] { return watch.Requests() > 0; },
                         std::chrono::duration_cast<milliseconds>(
                             kMinute + kMargin - (Clock::now() - firstStart))))
      << "the session end was asked for after \"Cancel\"";
  EXPECT_TRUE(ProgramGoesOn());

  // Armed again: after one minute the program asks the system to end the session.
  const auto start = Clock::now();
  ASSERT_NO_FATAL_FAILURE(StartSleepTimer(1, kPowerOff));
  ASSERT_TRUE(Eventually("the session end asked for", [&] { return watch.Requests() > 0; },
                         kMinute + kMargin));
  EXPECT_GE(watch.LastRequest() - start, kMinute - seconds(1));
  // Refused here, the session goes on; so does the program, whose timer stays armed.
  EXPECT_TRUE(ProgramGoesOn());
}

}  // namespace
}  // namespace mirel::e2e
