#pragma once

// Compound list files (.cpd) and file list files (.xtr) share one layout: a count line
// holding the count's plain number text (' 2 '), then one name per line, CR LF line ends.
// They are read back field by field: the count as a number field, each name as a text
// field, so a name that holds a comma or a TAB does not survive a round trip.
// A UTF-8 byte order mark at the start of a list (Notepad's) is passed over. The names read
// become the names the program takes, and names are saved as a list holds them, both as
// the file system says (TextFiles::takeListedNames, TextFiles::listedName): on Windows a
// list is UTF-8 or in the ANSI code page and the program's names in the console's.

#include <span>
#include <string>
#include <string_view>

#include "dialogue/run_state.hpp"
#include "textfile/text_files.hpp"

namespace durno {

// What loading a list file found.
struct ListLoadOutcome {
  // Whether the file could be opened.
  FileStatus opened;
  // The file names more entries than the table holds; the table holds the first ones that
  // fit and nothing after them was used.
  bool cutToCapacity = false;
  // Whether a count line was read at all (the file held more than blanks, TABs and line
  // ends), what the count line of the block used asks for (namesAskedFor), and how many of
  // those names the file holds, up to the table's capacity; the entries it lacks are empty.
  bool countRead = false;
  double namesAsked = 0;
  int namesFound = 0;
  // A count line that reads as no number a count can be (1e400 is past every double): no
  // names are read then, and countText holds the count line's text as read.
  bool countImpossible = false;
  std::string countText;
  // Names follow the names a count line asked for (a count line smaller than its list):
  // namesFollowing counts that block's names (namesCounted) and the ones after them, and
  // firstNameBeyond is
  // the first of those after them, and moreNamesBeyond tells whether others come after
  // it. A compound list reads them as new count lines, a file list does not read them.
  int namesFollowing = 0;
  double namesCounted = 0;  // what the count line before them asked for
  std::string firstNameBeyond;
  bool moreNamesBeyond = false;
};

// Writes names as a list file under kListFileNumber, emptying an existing file. Ok only
// when the file was created and every byte reached it.
// Whether a list may be written over what fileName holds: nothing, an empty file, or a
// list (TextFiles::mayReplace).
FileStatus listMayReplace(TextFiles& files, std::string_view fileName);

FileStatus saveListFile(TextFiles& files, std::string_view fileName,
                        std::span<const std::string> names);

// Reads a compound list into table. A file may hold several count-and-names blocks; each
// replaces the table from its first entry, and the last block read wins. A tail of blanks,
// TABs and line ends after a block (what many editors leave) is no block. Names lose their
// leading blanks and keep everything else (the quantity letter and the trailing blank of
// a saved key). A file that cannot be opened leaves the table empty.
ListLoadOutcome loadCompoundList(TextFiles& files, std::string_view fileName, CompoundTable& table);

// Reads one count-and-names block of a file list into table; the names are kept exactly
// as the field reader gives them. A file that cannot be opened leaves the table empty.
ListLoadOutcome loadFileList(TextFiles& files, std::string_view fileName, ResultFileTable& table);
// The same without a capacity: every name the count line asks for and the file holds.
ListLoadOutcome loadFileList(TextFiles& files, std::string_view fileName, NameList& list);

// How many names a count field asks for: its whole part, 0 for a count below 1 or not a
// number. Kept as a double so that a huge count is never squeezed into an int.
double namesAskedFor(double count);

}  // namespace durno
