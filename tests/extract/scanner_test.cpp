#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "extract/scanner.hpp"

namespace durno {
namespace {

// Records what the scanner hands over, in order, as short texts.
class RecordingSink final : public ScanSink {
 public:
  void stepReached(long double stepNumber) override {
    events.push_back("step " + std::to_string(static_cast<int>(stepNumber)));
  }
  void rowFinished(const ScannerState& state) override {
    events.push_back("row " + std::to_string(static_cast<int>(state.stepNumber)) + " vap " +
                     std::to_string(static_cast<double>(state.vap.value())) + " key " +
                     std::to_string(static_cast<double>(state.values[0].value())));
  }
  std::vector<std::string> events;
};

// Values read before a marker show in its row and in later ones; the progress step comes
// first; "G" holds its values as doubles, so 1E400 becomes an infinity.
TEST(Scanner, HandsOneStepAndOneFinishedRowPerMarker) {
  const std::vector<std::string> keys = {"GSiO2 "};
  ScannerState state;
  RecordingSink sink;
  Scanner scanner(state, Quantity::fromCode("G"), keys, sink);
  for (const char* line :
       {"  VAP = 0.5", "GSiO2 = 0.25", "STEP NUMBER 1", "GSiO2 = 1E400", " STEP NUMBER 2"})
    scanner.scanLine(line);
  EXPECT_EQ(sink.events, (std::vector<std::string>{"step 1", "row 1 vap 0.500000 key 0.250000",
                                                   "step 2", "row 2 vap 0.500000 key inf"}));
}

}  // namespace
}  // namespace durno
