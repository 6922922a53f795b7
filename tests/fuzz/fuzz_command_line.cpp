// Arbitrary argument lists through the command-line parser: any words make exactly one
// request or one usage problem, and what a request holds is what the rest of the program
// may take on trust (a known quantity, a job count in range, a picture name it may write).
// Input layout: the arguments, separated by NUL bytes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.hpp"
#include "convert/text_ops.hpp"
#include "extract/quantity.hpp"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

void checkRequest(const durno::Request& request) {
  if (request.kind == durno::RequestKind::Misuse) {
    check(!request.problem.empty());
    return;
  }
  check(request.problem.empty());
  check(request.jobs >= 1 && request.jobs <= durno::kMostJobs);
  if (request.kind == durno::RequestKind::Extract) {
    check(durno::Quantity::fromCode(request.job.quantityCode).known());
    check(request.job.jobs == request.jobs);
    check(!request.job.tableName.empty());
    for (const durno::CompoundSource& source : request.job.compounds) {
      for (const std::string& formula : source.formulas)
        check(!formula.empty() && formula.find(',') == std::string::npos);
    }
  }
  if (request.kind == durno::RequestKind::Plot) {
    const std::string& picture = request.plot.picture;
    check(!request.plot.table.empty());
    check(picture == "-" ||
          (picture.size() > 4 && durno::lowerCase(picture.substr(picture.size() - 4)) == ".svg"));
    // A column name is never empty nor holds the comma that separates them.
    for (const std::string& column : request.plot.choices.columns)
      check(!column.empty() && column.find(',') == std::string::npos);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> words;
  for (std::size_t at = 0; at <= input.size();) {
    const std::size_t end = std::min(input.find('\0', at), input.size());
    words.push_back(input.substr(at, end - at));
    at = end + 1;
  }
  checkRequest(durno::parseCommandLine(words, 2));
  return 0;
}
