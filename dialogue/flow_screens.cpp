#include <array>
#include <string_view>

#include "convert/text_ops.hpp"
#include "dialogue/screens.hpp"

namespace durno {
namespace {

constexpr std::array<std::string_view, 5> kMenuLines = {
    "Extract:  Activities                       = A ",
    "          Activity Coefficients            = G ",
    "          Oxide mole fractions in silicate = F ",
    "          Gas Mole Fractions               = X ",
    "          Gas Partial Pressures            = P ",
};

constexpr std::string_view kDefaultOutputName = "Zepres";

// An empty first line, then the menu; the answer is typed after the last line.
void writeMenu(Console& console) {
  console.endLine();
  for (std::size_t index = 0; index + 1 < kMenuLines.size(); ++index) {
    writeLine(console, kMenuLines[index]);
  }
  console.writeText(kMenuLines.back());
}

}  // namespace

void writeLine(Console& console, std::string_view text) {
  console.writeText(text);
  console.endLine();
}

std::string quoted(std::string_view name) {
  std::string text = "\"";
  text += name;
  text += '"';
  return text;
}

void notify(Console& console, RunState& state, std::string message) {
  writeLine(console, message);
  state.notices.push_back(std::move(message));
}

std::string askQuantityCode(Console& console) {
  console.clearScreen();
  for (;;) {
    writeMenu(console);
    std::string code = upperCase(console.readLine());
    if (!code.empty()) return code;
    // The menu comes back below the message, on the same screen.
    console.clearScreen();
    console.endLine();
    writeLine(console, "                SELECTION REQUIRED       ");
    console.endLine();
  }
}

std::string askOutputName(Console& console) {
  console.endLine();
  writeLine(console, "Filename for extracted data, NO EXTENSION ");
  console.writeText("                     (e.g.,data\\ZEPres) ");
  std::string name = console.readLine();
  if (name.empty()) return std::string(kDefaultOutputName);
  return name;
}

}  // namespace durno
