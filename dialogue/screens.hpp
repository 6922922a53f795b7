#pragma once

// The dialogue's screens, one function each, in the order a run shows them. Each starts
// from the screen state the one before leaves behind.

#include <span>
#include <string>
#include <string_view>

#include "console/console.hpp"
#include "convert/text_ops.hpp"
#include "dialogue/run_state.hpp"
#include "textfile/text_files.hpp"

namespace durno {

// The quantity menu, repeated under "SELECTION REQUIRED" until the answer is not empty;
// returns the answer upper-cased. Any non-empty answer is accepted.
std::string askQuantityCode(Console& console);

// Asks whether compounds are typed or loaded, and fills state.compounds either way.
void chooseCompounds(Console& console, TextFiles& files, RunState& state);

// Asks whether result-file names are typed or loaded, and fills state.resultFiles.
void chooseResultFiles(Console& console, TextFiles& files, RunState& state);

// The output-name prompt; an empty answer gives "Zepres". Returns the base name.
std::string askOutputName(Console& console, TextFiles& files, RunState& state);

// Writes text and ends the line.
void writeLine(Console& console, std::string_view text);

// Shows a problem on one line at once and keeps it for the extraction screen.
void notify(Console& console, RunState& state, std::string message);

// Whether a list may be saved as fileName: not when that is a file the run reads or will
// read (a list loaded, a result file named), however it is spelt. Else says why, on one
// line, so that the caller can ask for another name.
bool mayWriteList(Console& console, TextFiles& files, const RunState& state,
                  std::string_view fileName);
// Why a list saved as fileName would replace one of the run's inputs ('"a.out" is the result
// file "a.out", which this run reads'); empty when it would not.
std::string inputAListWouldReplace(TextFiles& files, std::string_view fileName,
                                   std::span<const std::string> resultFiles,
                                   std::span<const std::string> listsRead);

// A number's plain number text without its blanks ('5', '1E+300').
std::string numberText(long double value);

struct ListLoadOutcome;

// How the messages about a loaded list name it and its entries.
struct ListWords {
  std::string_view list;     // "Compound list"
  std::string_view entry;    // "compound"
  std::string_view entries;  // "compounds"
  int capacity;
  // What becomes of names after those the count line asked for.
  std::string_view restFate;  // "is read as a new count line"
};

inline constexpr ListWords kCompoundListWords{"Compound list", "compound", "compounds",
                                              kMaxCompounds, "is read as a new count line"};
inline constexpr ListWords kFileListWords{"File list", "file", "files", kMaxResultFiles,
                                          "is not read"};

// Shows, as notify() does, what went wrong loading the list fileName, if anything: it could
// not be read, it names more entries than fit, its count line asks for none although it
// holds text, or it names fewer entries than its count line says.
void notifyListLoad(Console& console, RunState& state, const ListWords& words,
                    std::string_view fileName, const ListLoadOutcome& outcome);
// The text notifyListLoad shows; empty when all went well.
std::string listLoadNotice(const ListWords& words, std::string_view fileName,
                           const ListLoadOutcome& outcome);

}  // namespace durno
