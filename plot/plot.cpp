#include "plot/plot.hpp"

#include <algorithm>
#include <memory>

#include "convert/text_ops.hpp"
#include "plot/svg_picture.hpp"
#include "plot/table_reader.hpp"

namespace durno {

namespace {

// The picture goes out in blocks of this size, with a look for a stop before each, so a
// stop while it is written leaves the old picture in place within a moment.
constexpr std::size_t kWriteBlock = 64 * 1024;

PlotOutcome notWritten(const std::string& picturePath, const std::string& why) {
  const std::string name =
      picturePath == kStandardOutputName ? "standard output" : quoted(picturePath);
  return {PlotEnd::NotWritten, "picture could not be written to " + name + ": " + why, 0};
}

PlotOutcome writePicture(TextFiles& files, const std::string& picturePath, std::string_view svg,
                         const StopFlag* stop) {
  FileStatus status;
  if (picturePath != kStandardOutputName) {
    status = pictureMayReplace(files, picturePath);
    if (!status.ok()) return notWritten(picturePath, status.reason);
  }
  const std::unique_ptr<WholeFile> picture = picturePath == kStandardOutputName
                                                 ? files.standardOutput(status)
                                                 : files.openWhole(picturePath, status);
  if (!picture) return notWritten(picturePath, status.reason);
  while (!svg.empty()) {
    if (stop != nullptr && *stop != 0) return {PlotEnd::Stopped, {}, *stop};
    const std::string_view block = svg.substr(0, std::min(svg.size(), kWriteBlock));
    if (status = picture->write(block); !status.ok()) return notWritten(picturePath, status.reason);
    svg.remove_prefix(block.size());
  }
  if (stop != nullptr && *stop != 0) return {PlotEnd::Stopped, {}, *stop};
  if (status = picture->commit(); !status.ok()) return notWritten(picturePath, status.reason);
  return {};
}

}  // namespace

FileStatus pictureMayReplace(TextFiles& files, std::string_view picturePath) {
  return files.mayReplace(picturePath, isDrawnPicture, "picture");
}

PlotOutcome plotTable(TextFiles& files, const std::string& tablePath,
                      const std::string& picturePath, const StopFlag* stop,
                      const PlotChoices& choices) {
  PlotData data;
  const TableRead read = readTable(files, tablePath, pixelColumns(), choices, stop, data);
  if (read.end == ReadEnd::Stopped) return {PlotEnd::Stopped, {}, *stop};
  if (read.end == ReadEnd::NotPlottable) return {PlotEnd::NotPlottable, read.reason, 0};
  const bool toOutput = picturePath == kStandardOutputName;
  if (toOutput ? files.standardOutputIs(tablePath) : files.sameFile(tablePath, picturePath)) {
    return notWritten(picturePath, "it is the table itself");
  }
  return writePicture(files, picturePath, drawPicture(data), stop);
}

}  // namespace durno
