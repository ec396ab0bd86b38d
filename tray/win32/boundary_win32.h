// The boundary between user32 and the program's C++ code: window procedures, subclass procedures
// and timer messages run program code inside frames of user32 that cannot be unwound, so every
// exception is caught here and handed to the program's error report.
#pragma once

#include <exception>
#include <functional>
#include <string>

#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace mirel::win32 {

// Shows or records an error that reached the event loop (the application's error box).
using TErrorReport = std::function<void(const std::string& message)>;

inline void ReportError(const TErrorReport& report, const char* message) noexcept {
  try {
    if (report) {
      report(message);
      return;
    }
  } catch (...) {
    // The report itself failed: fall back to the debugger output below.
  }
  try {
    ::OutputDebugStringW(Wide(message).c_str());
  } catch (...) {
    // Out of memory while reporting: nothing more can be done.
  }
}

// Runs `body`; an exception ends it and is reported instead of propagating.
template <typename Body>
void RunAtBoundary(const TErrorReport& report, Body&& body) noexcept {
  try {
    body();
  } catch (const std::exception& error) {
    ReportError(report, error.what());
  } catch (...) {
    ReportError(report, "Unknown error");
  }
}

}  // namespace mirel::win32
