#include "engine/desktop_record.h"

#include <charconv>

namespace mirel {

namespace {

constexpr const char* kCurrentValue = "Current";
constexpr const char* kLayoutValue = "Layout";
constexpr const char* kSwitchValue = "Switch";
constexpr const char* kRestoreHomesValue = "RestoreHomes";

std::optional<std::string> ReadText(IRegistry& registry, RegKey key, const char* name) {
  RegValue value;
  if (registry.QueryValue(key, name, value) != RegRead::kOk || value.type != kRegSz) {
    return std::nullopt;
  }
  std::string text(value.data.begin(), value.data.end());
  if (const auto zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
  return text;
}

// Reads the numbers of `text` separated by single blanks; false at anything else.
template <typename T>
bool NextNumber(const char*& p, const char* end, T& number, bool first) {
  if (!first) {
    if (p == end || *p != ' ') return false;
    ++p;
  }
  const auto [next, ec] = std::from_chars(p, end, number);
  if (ec != std::errc()) return false;
  p = next;
  return true;
}

}  // namespace

std::string EncodeSwitch(const TRecordedSwitch& record) {
  std::string text = std::to_string(record.From) + ' ' + std::to_string(record.To) + ' ' +
                     std::to_string(record.Delta.x) + ' ' + std::to_string(record.Delta.y);
  text.reserve(text.size() + record.Windows.size() * 24);
  for (const TRecordedWindow& w : record.Windows) {
    text += ' ';
    text += std::to_string(w.Handle);
    text += ' ';
    text += std::to_string(w.TopLeft.x);
    text += ' ';
    text += std::to_string(w.TopLeft.y);
  }
  return text;
}

std::optional<TRecordedSwitch> DecodeSwitch(const std::string& text) {
  TRecordedSwitch record;
  const char* p = text.data();
  const char* end = p + text.size();
  if (!NextNumber(p, end, record.From, true) || !NextNumber(p, end, record.To, false) ||
      !NextNumber(p, end, record.Delta.x, false) || !NextNumber(p, end, record.Delta.y, false)) {
    return std::nullopt;
  }
  if (record.From < 0 || record.From >= kDesktopCount || record.To < 0 ||
      record.To >= kDesktopCount) {
    return std::nullopt;
  }
  while (p != end) {
    TRecordedWindow w;
    if (!NextNumber(p, end, w.Handle, false) || !NextNumber(p, end, w.TopLeft.x, false) ||
        !NextNumber(p, end, w.TopLeft.y, false)) {
      return std::nullopt;
    }
    record.Windows.push_back(w);
  }
  return record;
}

std::string EncodeRestoreHomes(const std::vector<TRestoreHome>& homes) {
  std::string text;
  for (const TRestoreHome& h : homes) {
    if (!text.empty()) text += ' ';
    text += std::to_string(h.Handle) + ' ' + std::to_string(h.RestoreTopLeft.x) + ' ' +
            std::to_string(h.RestoreTopLeft.y) + ' ' + std::to_string(h.PlaneTopLeft.x) + ' ' +
            std::to_string(h.PlaneTopLeft.y);
  }
  return text;
}

std::optional<std::vector<TRestoreHome>> DecodeRestoreHomes(const std::string& text) {
  std::vector<TRestoreHome> homes;
  const char* p = text.data();
  const char* end = p + text.size();
  while (p != end) {
    TRestoreHome h;
    if (!NextNumber(p, end, h.Handle, homes.empty()) ||
        !NextNumber(p, end, h.RestoreTopLeft.x, false) ||
        !NextNumber(p, end, h.RestoreTopLeft.y, false) ||
        !NextNumber(p, end, h.PlaneTopLeft.x, false) ||
        !NextNumber(p, end, h.PlaneTopLeft.y, false)) {
      return std::nullopt;
    }
    homes.push_back(h);
  }
  return homes;
}

TDesktopState TDesktopRecord::Read() {
  TDesktopState state;
  ScopedRegKey key = OpenScopedKey(registry_, registry_.CurrentUser(), kDesktopsKeyPath, false);
  if (!key) return state;
  if (const auto current = ReadText(registry_, key.get(), kCurrentValue)) {
    int number = 0;
    const char* end = current->data() + current->size();
    const auto [p, ec] = std::from_chars(current->data(), end, number);
    if (ec == std::errc() && p == end && number >= 1 && number <= kDesktopCount) {
      state.Current = number - 1;
    }
  }
  if (const auto layout = ReadText(registry_, key.get(), kLayoutValue)) {
    state.Layout = DecodeLayout(*layout);
  }
  if (const auto record = ReadText(registry_, key.get(), kSwitchValue)) {
    state.Switch = DecodeSwitch(*record);
  }
  if (const auto homes = ReadText(registry_, key.get(), kRestoreHomesValue)) {
    state.RestoreHomes = DecodeRestoreHomes(*homes).value_or(std::vector<TRestoreHome>{});
  }
  return state;
}

void TDesktopRecord::BeginSwitch(const TRecordedSwitch& record) {
  ScopedRegKey key = OpenScopedKey(registry_, registry_.CurrentUser(), kDesktopsKeyPath, true);
  if (key) registry_.SetString(key.get(), kSwitchValue, EncodeSwitch(record));
}

void TDesktopRecord::Write(int current, const TDesktopLayout& layout) {
  ScopedRegKey key = OpenScopedKey(registry_, registry_.CurrentUser(), kDesktopsKeyPath, true);
  if (!key) return;
  registry_.SetString(key.get(), kCurrentValue, std::to_string(current + 1));
  registry_.SetString(key.get(), kLayoutValue, EncodeLayout(layout));
  registry_.DeleteValue(key.get(), kSwitchValue);
}

void TDesktopRecord::WriteRestoreHomes(const std::vector<TRestoreHome>& homes) {
  ScopedRegKey key = OpenScopedKey(registry_, registry_.CurrentUser(), kDesktopsKeyPath, true);
  if (!key) return;
  if (homes.empty()) {
    registry_.DeleteValue(key.get(), kRestoreHomesValue);
  } else {
    registry_.SetString(key.get(), kRestoreHomesValue, EncodeRestoreHomes(homes));
  }
}

}  // namespace mirel
