// Arbitrary bytes as a list file, loaded as a compound list, as a file list into the
// dialogue's table and into the command line's list without a capacity. Each load must
// keep to its table's capacity and agree with what it says it found, and the two file
// list loads agree on the names both hold; what a load kept is saved and loaded again.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "dialogue/list_files.hpp"
#include "dialogue/run_state.hpp"
#include "testing/memory_file_system.hpp"
#include "textfile/text_files.hpp"

namespace {

using namespace durno;

void check(bool condition) {
  if (!condition) __builtin_trap();
}

template <typename Table>
void checkLoad(const ListLoadOutcome& outcome, const Table& table) {
  check(outcome.opened.ok());
  check(outcome.namesFound >= 0 && outcome.namesFound <= table.count());
  check(!outcome.countImpossible || outcome.namesFound == 0);
  check(outcome.namesAsked >= 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryFileSystem fileSystem;
  fileSystem.put("list", std::string(reinterpret_cast<const char*>(data), size));
  TextFiles files(fileSystem);

  CompoundTable compounds;
  checkLoad(loadCompoundList(files, "list", compounds), compounds);
  ResultFileTable resultFiles;
  const ListLoadOutcome tableLoad = loadFileList(files, "list", resultFiles);
  checkLoad(tableLoad, resultFiles);
  NameList names;
  const ListLoadOutcome listLoad = loadFileList(files, "list", names);
  checkLoad(listLoad, names);
  // The table with a capacity holds the first names of the list without one (and empty
  // entries for the names a count asks for that the file lacks).
  check(tableLoad.namesFound <= listLoad.namesFound);
  const long long common = std::min<long long>(resultFiles.count(), names.count());
  for (long long index = 0; index < common; ++index)
    check(resultFiles.names()[index] == names.names()[index]);

  const std::vector<std::string> kept(names.names().begin(), names.names().end());
  check(saveListFile(files, "again", kept).ok());
  NameList again;
  loadFileList(files, "again", again);
  (void)again;
  return 0;
}
