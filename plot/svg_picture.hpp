#pragma once

// The picture of a table as an SVG document: one curve per compound column against the row
// number, a thin line where each result file begins, the quantity and source as its title.

#include <cstddef>
#include <string>
#include <string_view>

#include "plot/table_reader.hpp"

namespace durno {

// The number of pixel columns a curve is thinned to: the plot area's width.
std::size_t pixelColumns();

// Text from the table (code page 437 bytes, as the screen shows them) as SVG text: UTF-8
// with the XML specials escaped, so the document is well formed whatever bytes it holds.
std::string svgText(std::string_view text);

std::string drawPicture(const PlotData& data);

// How every picture drawPicture draws begins, up to its size.
inline constexpr std::string_view kPictureOpening =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" ";
// True when head, a file's first bytes, begins as a picture drawPicture drew.
bool isDrawnPicture(std::string_view head);

}  // namespace durno
