#pragma once

// `durno --plot`: draws a table DURNO wrote as an SVG picture, one curve per key column
// against the row number or a column the caller chooses. The table is read once, line by line,
// through the text-file layer; memory grows with the number of compound columns and the picture's
// width, never with the number of rows. The picture is written whole or not at all
// (FileSystem::openWhole).

#include <csignal>
#include <string>

#include "plot/table_reader.hpp"
#include "textfile/stop_flag.hpp"
#include "textfile/text_files.hpp"

namespace durno {

// The picture name that means standard output.
inline constexpr const char* kStandardOutputName = "-";

enum class PlotEnd {
  Drawn,         // the picture was written
  NotPlottable,  // the table is missing, unreadable, not a DURNO table, or has nothing to plot
  NotWritten,    // the picture could not be written; what the name held before is kept
  Stopped,       // a stop signal came; the picture was not written
};

struct PlotOutcome {
  PlotEnd end = PlotEnd::Drawn;
  std::string reason;  // one line, without the program name, when not Drawn or Stopped
  int stopSignal = 0;  // the signal's number when Stopped
};

// Whether a picture may be written over what picturePath holds: nothing, an empty file, or
// a picture this program drew (TextFiles::mayReplace).
FileStatus pictureMayReplace(TextFiles& files, std::string_view picturePath);

// Draws the table at tablePath into picturePath (kStandardOutputName: standard output).
// Nothing is written unless the whole table was read and plotted. A stop noted in *stop
// (when given) ends the reading or the writing at the next line or block.
PlotOutcome plotTable(TextFiles& files, const std::string& tablePath,
                      const std::string& picturePath, const StopFlag* stop = nullptr,
                      const PlotChoices& choices = {});

}  // namespace durno
