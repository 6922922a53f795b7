// Reads every line of the files named on the command line the way the result-file scanner
// does (atEnd, then readLine into a reused string) and prints the lines, bytes, seconds and
// MB/s. The line is handed to the caller, which looks at its length and its first byte (as
// a scanner looks for leading blanks), so nothing is optimised away.
//
//   durno_read_lines FILE...

#include <chrono>
#include <cstdio>
#include <string>

#include "textfile/posix_file_system.hpp"
#include "textfile/text_files.hpp"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE...\n", argv[0]);
    return 2;
  }
  durno::PosixFileSystem fileSystem;
  durno::TextFiles files(fileSystem);
  constexpr int kResultFile = 11;
  unsigned long long lines = 0;
  unsigned long long lineBytes = 0;
  unsigned long long byteSum = 0;
  std::string line;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 1; i < argc; ++i) {
    files.openFile(kResultFile, argv[i], durno::FileMode::Input);
    if (!files.isOpen(kResultFile)) {
      std::fprintf(stderr, "cannot open %s: %s\n", argv[i],
                   files.lastOutcome(kResultFile).reason.c_str());
      return 1;
    }
    while (!files.atEnd(kResultFile)) {
      files.readLine(kResultFile, line);
      ++lines;
      lineBytes += line.size();
      if (!line.empty()) byteSum += static_cast<unsigned char>(line.front());
    }
    files.closeFile(kResultFile);
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  std::printf("%llu lines, %llu line bytes (check %llu), %.3f s\n", lines, lineBytes, byteSum,
              elapsed.count());
  return 0;
}
