#pragma once

// The kinds of table a run writes: the blank-separated .dat that users' scripts read, whose
// rows hold the values printed before each step line, or a table for analysis tools with
// one header row and one row per step line holding that step's own values.

#include <string_view>

namespace durno {

enum class TableFormat { Dat, Csv, Tsv };

// The extension of a table of the format: ".dat", ".csv", ".tsv".
constexpr std::string_view tableExtensionOf(TableFormat format) {
  switch (format) {
    case TableFormat::Csv:
      return ".csv";
    case TableFormat::Tsv:
      return ".tsv";
    case TableFormat::Dat:
      break;
  }
  return ".dat";
}

}  // namespace durno
