// Reads every line of the files named on the command line the way the extraction does
// (readLine until the end, the line a view into the read buffer) and prints the lines,
// bytes and seconds. The caller looks at each line's length and first byte (as a scanner
// looks for leading blanks), so nothing is optimised away. --in-place is accepted, and
// means what every read now does.
//
//   durno_read_lines [--in-place] FILE...

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

#include "textfile/file_system_posix.hpp"
#include "textfile/text_files.hpp"

int main(int argc, char** argv) {
  const bool inPlace = argc > 1 && std::string_view(argv[1]) == "--in-place";
  const int firstFile = inPlace ? 2 : 1;
  if (argc <= firstFile) {
    std::fprintf(stderr, "usage: %s [--in-place] FILE...\n", argv[0]);
    return 2;
  }
  durno::PosixFileSystem fileSystem;
  durno::TextFiles files(fileSystem);
  constexpr int kResultFile = 11;
  unsigned long long lines = 0;
  unsigned long long lineBytes = 0;
  unsigned long long byteSum = 0;
  std::string storage;
  const auto start = std::chrono::steady_clock::now();
  for (int i = firstFile; i < argc; ++i) {
    if (const durno::FileStatus opened =
            files.openFile(kResultFile, argv[i], durno::FileMode::Input);
        !opened.ok()) {
      std::fprintf(stderr, "cannot open %s: %s\n", argv[i], opened.reason.c_str());
      return 1;
    }
    std::string_view line;
    durno::OpenTextFile& input = *files.inputFile(kResultFile);
    while (input.readLine(line, storage).ok()) {
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
