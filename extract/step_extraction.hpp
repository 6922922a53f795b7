#pragma once

// The extraction of a CSV or TSV table: each step line's own values, one row per step line,
// the last of each file included. No value is carried from one step or file to another, so
// the rows of each file are made on their own, by worker threads with -j, and written in
// order: the table is byte for byte the one a single thread writes.

#include <array>
#include <span>
#include <string>

#include "extract/capacities.hpp"
#include "extract/extraction.hpp"
#include "extract/quantity.hpp"

namespace durno {

struct StepTableRun {
  ExtractionOutcome outcome;
  // Whether the run went far enough to tell the keys that began no line, and which did.
  bool keysToReport = false;
  std::array<bool, kMaxCompounds> keyMatched{};
};

// As runExtraction, once the table is known to be none of the run's inputs; keys are the
// used compound keys, examined when quantity is known.
StepTableRun runStepTable(const ExtractionJob& job, Quantity quantity,
                          std::span<const std::string> keys, ScannerState& state, TextFiles& files,
                          ExtractionEvents& events);

}  // namespace durno
