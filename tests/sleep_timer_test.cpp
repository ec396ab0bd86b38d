// The sleep timer's rules: accepted minutes and their interval, when arming or disarming restarts
// or stops the clock, the shutdown flags of the "Type" items, and the files beside the program.
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/sleep_timer.h"

using namespace mirel;

TEST(SleepTimerMinutes, IntervalIsWholeMinutesInMilliseconds) {
  EXPECT_EQ(SleepTimerInterval(kSleepMinutesInitial), 600000u);
  EXPECT_EQ(SleepTimerInterval(1), 60000u);
  // The largest delay still fits a signed 32-bit interval.
  EXPECT_EQ(SleepTimerInterval(35791), 2147460000u);
  EXPECT_LE(SleepTimerInterval(kSleepMinutesMax), 0x7FFFFFFFu);
}

TEST(SleepTimerMinutes, LimitsAreOneTo35791) {
  EXPECT_FALSE(ValidSleepMinutes(0));
  EXPECT_FALSE(ValidSleepMinutes(-1));
  EXPECT_TRUE(ValidSleepMinutes(1));
  EXPECT_TRUE(ValidSleepMinutes(35791));
  // 35792 minutes would be 2147520000 ms, past the largest signed 32-bit number.
  EXPECT_FALSE(ValidSleepMinutes(35792));
  EXPECT_THROW(SleepTimerInterval(0), std::out_of_range);
  EXPECT_THROW(SleepTimerInterval(-5), std::out_of_range);
  EXPECT_THROW(SleepTimerInterval(35792), std::out_of_range);
}

TEST(SleepTimerMinutes, ParseAcceptsOnlyDigitsWithinLimits) {
  EXPECT_EQ(ParseSleepMinutes("10"), 10);
  EXPECT_EQ(ParseSleepMinutes("1"), 1);
  EXPECT_EQ(ParseSleepMinutes("35791"), 35791);
  EXPECT_EQ(ParseSleepMinutes("007"), 7);
  EXPECT_EQ(ParseSleepMinutes(""), std::nullopt);
  EXPECT_EQ(ParseSleepMinutes("0"), std::nullopt);
  EXPECT_EQ(ParseSleepMinutes("000"), std::nullopt);
  EXPECT_EQ(ParseSleepMinutes("35792"), std::nullopt);
  EXPECT_EQ(ParseSleepMinutes("-3"), std::nullopt);
  EXPECT_EQ(ParseSleepMinutes("+3"), std::nullopt);
  EXPECT_EQ(ParseSleepMinutes(" 3"), std::nullopt);
  EXPECT_EQ(ParseSleepMinutes("3 "), std::nullopt);
  EXPECT_EQ(ParseSleepMinutes("1,000"), std::nullopt);
  EXPECT_EQ(ParseSleepMinutes("2.5"), std::nullopt);
  // A run of digits far beyond any integer type is refused, not wrapped into range.
  EXPECT_EQ(ParseSleepMinutes("18446744073709551626"), std::nullopt);
  EXPECT_EQ(ParseSleepMinutes("99999999999999999999999999999999999999"), std::nullopt);
}

TEST(SleepTimerClock, StartsDisarmedWithTheComponentInterval) {
  TSleepTimer timer;
  EXPECT_FALSE(timer.Armed());
  EXPECT_EQ(timer.Interval(), 60000u);
  // Cancel on a sleep timer that never ran: nothing to stop.
  EXPECT_EQ(timer.Disarm(), TTimerChange::None);
  EXPECT_FALSE(timer.Armed());
}

TEST(SleepTimerClock, StartArmsAndCancelDisarms) {
  TSleepTimer timer;
  EXPECT_EQ(timer.Arm(kSleepMinutesInitial), TTimerChange::Restart);
  EXPECT_TRUE(timer.Armed());
  EXPECT_EQ(timer.Interval(), 600000u);
  EXPECT_EQ(timer.Disarm(), TTimerChange::Stop);
  EXPECT_FALSE(timer.Armed());
  // The interval stays what it was; only the enabled state changed.
  EXPECT_EQ(timer.Interval(), 600000u);
  EXPECT_EQ(timer.Disarm(), TTimerChange::None);
}

TEST(SleepTimerClock, RearmingWithTheSameMinutesKeepsTheRunningDelay) {
  TSleepTimer timer;
  ASSERT_EQ(timer.Arm(5), TTimerChange::Restart);
  EXPECT_EQ(timer.Arm(5), TTimerChange::None);
  EXPECT_TRUE(timer.Armed());
  EXPECT_EQ(timer.Interval(), 300000u);
}

TEST(SleepTimerClock, RearmingWithOtherMinutesRestartsTheDelay) {
  TSleepTimer timer;
  ASSERT_EQ(timer.Arm(5), TTimerChange::Restart);
  EXPECT_EQ(timer.Arm(6), TTimerChange::Restart);
  EXPECT_EQ(timer.Interval(), 360000u);
  EXPECT_EQ(timer.Arm(5), TTimerChange::Restart);
  EXPECT_EQ(timer.Interval(), 300000u);
}

TEST(SleepTimerClock, ArmingAfterCancelStartsAgainEvenWithTheSameMinutes) {
  TSleepTimer timer;
  ASSERT_EQ(timer.Arm(3), TTimerChange::Restart);
  ASSERT_EQ(timer.Disarm(), TTimerChange::Stop);
  EXPECT_EQ(timer.Arm(3), TTimerChange::Restart);
  EXPECT_TRUE(timer.Armed());
}

TEST(SleepTimerClock, OneMinuteOnAFreshTimerStillStartsIt) {
  // The component's initial interval equals one minute's; the clock is off, so it must start.
  TSleepTimer timer;
  EXPECT_EQ(timer.Arm(1), TTimerChange::Restart);
  EXPECT_TRUE(timer.Armed());
}

TEST(SleepTimerClock, InvalidMinutesLeaveTheStateAlone) {
  TSleepTimer timer;
  ASSERT_EQ(timer.Arm(4), TTimerChange::Restart);
  EXPECT_THROW(timer.Arm(0), std::out_of_range);
  EXPECT_THROW(timer.Arm(35792), std::out_of_range);
  EXPECT_TRUE(timer.Armed());
  EXPECT_EQ(timer.Interval(), 240000u);
}

TEST(SleepTimerShutdown, FlagsFollowTheTypeItem) {
  // "Power Off": EWX_SHUTDOWN | EWX_POWEROFF, no forcing flag.
  EXPECT_EQ(ShutdownFlagsForType(kSleepTypePowerOff), 9u);
  // "Restart": EWX_REBOOT.
  EXPECT_EQ(ShutdownFlagsForType(kSleepTypeRestart), 2u);
  // No selection (CB_ERR) or an unknown item asks for nothing.
  EXPECT_EQ(ShutdownFlagsForType(-1), std::nullopt);
  EXPECT_EQ(ShutdownFlagsForType(2), std::nullopt);
}

TEST(ProgramFiles, FolderEndsInABackslash) {
  EXPECT_EQ(ProgramFolderOf("C:\\Program Files\\Mirel\\MirelVirtualDesktop.exe"),
            "C:\\Program Files\\Mirel\\");
  EXPECT_EQ(ProgramFolderOf("C:\\vd.exe"), "C:\\");
  EXPECT_EQ(ProgramFolderOf("\\\\server\\share\\vd.exe"), "\\\\server\\share\\");
  EXPECT_EQ(ProgramFolderOf("vd.exe"), "");
  EXPECT_EQ(ProgramFolderOf(""), "");
}

TEST(ProgramFiles, HelpPageAndPictureLieBesideTheProgram) {
  const std::string folder = ProgramFolderOf("D:\\Tools\\Mirel\\MirelVirtualDesktop.exe");
  EXPECT_EQ(HelpPagePath(folder), "D:\\Tools\\Mirel\\help\\products\\vd.htm");
  EXPECT_EQ(SleepPicturePath(folder), "D:\\Tools\\Mirel\\vdlogo.dat");
}

TEST(ProgramFiles, CannotOpenFileMessageNamesPathAndReason) {
  EXPECT_EQ(CannotOpenFileMessage("C:\\vd\\vdlogo.dat",
                                  "The system cannot find the file specified.\r\n"),
            "Cannot open file \"C:\\vd\\vdlogo.dat\". The system cannot find the file specified.");
  EXPECT_EQ(CannotOpenFileMessage("x", ""), "Cannot open file \"x\". ");
}
