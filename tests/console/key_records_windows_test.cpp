// Console key records as the Windows host hands them to the key rules.

#include <gtest/gtest.h>

#include <string>

#include "console/console.hpp"
#include "console/console_host_windows.hpp"

namespace durno {
namespace {

INPUT_RECORD keyRecord(bool down, WORD virtualKey, WORD scanCode, char character, DWORD state = 0) {
  INPUT_RECORD record{};
  record.EventType = KEY_EVENT;
  record.Event.KeyEvent.bKeyDown = down ? TRUE : FALSE;
  record.Event.KeyEvent.wRepeatCount = 3;  // one key whatever the repeat count
  record.Event.KeyEvent.wVirtualKeyCode = virtualKey;
  record.Event.KeyEvent.wVirtualScanCode = scanCode;
  record.Event.KeyEvent.uChar.AsciiChar = character;
  record.Event.KeyEvent.dwControlKeyState = state;
  return record;
}

TEST(WindowsKeyRecords, BecomeTheKeyTextsOfTheKeyRules) {
  const struct {
    const char* name;
    INPUT_RECORD record;
    std::string text;
  } cases[] = {
      {"a letter", keyRecord(true, 'A', 0x1E, 'a'), "a"},
      {"its release", keyRecord(false, 'A', 0x1E, 'a'), ""},
      {"Esc as Windows gives it", keyRecord(true, VK_ESCAPE, 0x01, 27), "\x1b"},
      {"Esc as Wine gives it", keyRecord(true, VK_ESCAPE, 0x01, 0), "\x1b"},
      {"Ctrl+C", keyRecord(true, 'C', 0x2E, 3, LEFT_CTRL_PRESSED), "\x03"},
      {"Alt+A", keyRecord(true, 'A', 0x1E, 'a', LEFT_ALT_PRESSED), std::string("\0\x1e", 2)},
      {"AltGr+A", keyRecord(true, 'A', 0x1E, 'a', RIGHT_ALT_PRESSED), std::string("\0\x1e", 2)},
      {"F1", keyRecord(true, VK_F1, 0x3B, 0), std::string("\0\x3b", 2)},
      {"Shift alone", keyRecord(true, VK_SHIFT, 0x2A, 0, SHIFT_PRESSED), ""},
      {"'!' with Caps Lock, Shift up", keyRecord(true, '1', 0x02, '!', CAPSLOCK_ON), "1"},
      {"'1' with Caps Lock and Shift", keyRecord(true, '1', 0x02, '1', CAPSLOCK_ON | SHIFT_PRESSED),
       "!"},
  };
  for (const auto& key : cases) {
    EXPECT_EQ(keyTextOf(keyEventOf(key.record)), key.text) << key.name;
  }
  INPUT_RECORD focus{};
  focus.EventType = FOCUS_EVENT;
  EXPECT_EQ(keyEventOf(focus).kind, KeyEvent::Kind::Other);
}

}  // namespace
}  // namespace durno
