#pragma once

// Where a scan hands what it finds: a progress step at each step marker, and the finished
// row once the marker's line has been taken in.

#include "extract/scanner_state.hpp"

namespace durno {

class ScanSink {
 public:
  virtual ~ScanSink() = default;
  // A step marker was read; its number is state's stepNumber.
  virtual void stepReached(long double stepNumber) = 0;
  // The row of the marker just read: state's step, VAP, WTVAP, PTOT and values.
  virtual void rowFinished(const ScannerState& state) = 0;
};

}  // namespace durno
