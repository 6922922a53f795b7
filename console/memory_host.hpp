#pragma once

// An in-memory console host for tests: a W x H grid of (byte, attribute) cells, a cursor
// and a queue of key presses. When the queue is empty, readLine()/waitForKey() throw
// InputEnded (readKey() returns empty text), so a scripted test never hangs.
//
// Required API (used by the dialogue and extraction tests):
//   MemoryHost(int width = 80, int height = 25);
//   void typeText(std::string_view keys);   // each byte one key press; '\n' and '\r' are Enter
//   void pressKey(std::string keyText);     // one key press giving this key text
//   std::string rowText(int row) const;     // the W characters of a 1-based row
//   unsigned char character(int row, int column) const;
//   unsigned char attribute(int row, int column) const;
//   int cursorRow() const; int cursorColumn() const;   // 1-based
//   std::string transcript() const;         // every text written, with '\n' per end line
