// Stands in for a program that still writes its output: opens FILE for writing, sharing it
// for reading only (as ZEPRO may), creates FILE.held to say so, and keeps FILE open until
// FILE.held is gone.
//
//   hold_for_writing FILE

#include <windows.h>

#include <string>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string name = argv[1];
  const HANDLE held = ::CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 1;
  const std::string marker = name + ".held";
  const HANDLE made = ::CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (made == INVALID_HANDLE_VALUE) return 1;
  ::CloseHandle(made);
  while (::GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES)
    ::Sleep(50);
  ::CloseHandle(held);
  return 0;
}
