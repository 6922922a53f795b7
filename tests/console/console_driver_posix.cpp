// A small program that runs console operations named on its command line, for the tests
// that drive the real hosts through pipes and a pseudo-terminal. Each argument is one
// operation:
//   clear | colours F B N | cursor ROW COLUMN | text TEXT | number X | end
//   line      read a line, then write "<" line ">" and end the line
//   key       wait for a key, then write its bytes in hex ("[00 3B]")
//   keys N    wait for N keys, writing each as for key, then end the line
//   sleep MS  pause
//   flush     hand the output to the device
//   abort     end abnormally (to test the restore on a fatal error)
// "text" takes the next argument literally; \xHH in it stands for one byte. When the input
// ends during a read, the program says so on standard error and exits with status 2.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <thread>

#include "console/standard_console.hpp"

namespace {

std::string unescaped(std::string_view text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
      bytes.push_back(
          static_cast<char>(std::stoi(std::string(text.substr(i + 2, 2)), nullptr, 16)));
      i += 3;
    } else {
      bytes.push_back(text[i]);
    }
  }
  return bytes;
}

std::string hexKey(const std::string& key) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string shown = "[";
  for (std::size_t i = 0; i < key.size(); ++i) {
    const auto byte = static_cast<unsigned char>(key[i]);
    if (i > 0) shown.push_back(' ');
    shown.push_back(kDigits[byte >> 4]);
    shown.push_back(kDigits[byte & 15]);
  }
  shown.push_back(']');
  return shown;
}

int argument(char** argv, int& i, int argc) {
  if (i + 1 >= argc) throw std::runtime_error("missing argument");
  return std::atoi(argv[++i]);
}

void run(durno::Console& console, int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view op = argv[i];
    if (op == "clear") {
      console.clearScreen();
    } else if (op == "colours") {
      const int foreground = argument(argv, i, argc);
      const int background = argument(argv, i, argc);
      const int count = argument(argv, i, argc);
      console.setColours(static_cast<unsigned>(foreground), static_cast<unsigned>(background),
                         static_cast<unsigned>(count));
    } else if (op == "cursor") {
      const int row = argument(argv, i, argc);
      const int column = argument(argv, i, argc);
      console.placeCursor(row, column);
    } else if (op == "text" && i + 1 < argc) {
      console.writeText(unescaped(argv[++i]));
    } else if (op == "number" && i + 1 < argc) {
      console.writeNumber(std::strtold(argv[++i], nullptr));
    } else if (op == "end") {
      console.endLine();
    } else if (op == "line") {
      const std::string line = console.readLine();
      console.writeText("<" + line + ">");
      console.endLine();
    } else if (op == "key") {
      console.writeText(hexKey(console.waitForKey()));
    } else if (op == "keys") {
      const int count = argument(argv, i, argc);
      for (int k = 0; k < count; ++k)
        console.writeText(hexKey(console.waitForKey()));
      console.endLine();
    } else if (op == "sleep") {
      std::this_thread::sleep_for(std::chrono::milliseconds(argument(argv, i, argc)));
    } else if (op == "flush") {
      console.flush();
    } else if (op == "abort") {
      console.flush();
      std::abort();
    } else {
      throw std::runtime_error("unknown operation " + std::string(op));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  try {
    durno::StandardConsole standard;
    run(standard.console(), argc, argv);
  } catch (const durno::InputEnded& ended) {
    // The console is gone (and the terminal restored) before the message is shown.
    std::fprintf(stderr, "console_driver: %s\n", ended.what());
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "console_driver: %s\n", error.what());
    return 1;
  }
  return 0;
}
