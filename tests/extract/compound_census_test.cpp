// What the result files hold, as --list-compounds, --all-compounds and the suggestions for a
// key that matched nothing see it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogue/found_compounds.hpp"
#include "extract/compound_census.hpp"
#include "testing/memory_file_system.hpp"
#include "textfile/text_files.hpp"

namespace durno {
namespace {

TEST(CompoundCensus, OnlyCompoundLinesOfTheCodesAskedForAreTaken) {
  struct Case {
    std::string line;
    std::string key;  // empty: no compound line
  };
  const std::vector<Case> cases = {
      {"   ASiO2 = 0.25", "ASiO2"},
      {"AMgO  =  -1.5E-3", "AMgO"},
      {" GCa(OH)2 = .5", "GCa(OH)2"},
      {" PTOT = 2", ""},
      {" ASiO2 = none", ""},
      {" A = 1", ""},
      {" ASiO2 0.25", ""},
      {" STEP NUMBER 1", ""},
      {" TEMPERATURE (K) = 2234.87", ""},
      {" SSiO2 = 1", ""},
  };
  for (const Case& test : cases) {
    std::string_view key;
    const bool taken = isCompoundLine(test.line, "AGFXP", key);
    EXPECT_EQ(taken ? std::string(key) : std::string(), test.key) << test.line;
  }
}

TEST(CompoundCensus, CountsFilesAndStepsInOrderOfFirstAppearance) {
  MemoryFileSystem fileSystem;
  TextFiles files(fileSystem);
  fileSystem.put("r1",
                 " STEP NUMBER 1\r\n AMgO = 1\r\n ASiO2 = 2\r\n ASiO2 = 3\r\n"
                 " STEP NUMBER 2\r\n ASiO2 = 4\r\n STEP NUMBER 3\r\n AMgO = 5\r\n");
  fileSystem.put("r2", " ASiO2 = 1\r\n AFeO = 1\r\n GFeO = 1\r\n STEP NUMBER 1\r\n");
  const std::vector<std::string> names = {"r1", "gone", "r2"};
  for (const int jobs : {1, 3}) {
    const CompoundCensus census = takeCompoundCensus(files, names, "AF", jobs);
    std::string seen;
    for (const CensusEntry& entry : census.compounds) {
      seen += "[" + entry.key + "]" + std::to_string(entry.files) + "/" +
              std::to_string(entry.steps) + " ";
    }
    // A step is its step line and what follows it: the last one ends with its file, and
    // what comes before a file's first step line is no step's.
    EXPECT_EQ(seen, "[AMgO ]1/2 [ASiO2 ]2/2 [AFeO ]1/0 ") << jobs;
    EXPECT_EQ(census.steps, 4);
    ASSERT_EQ(census.unreadable.size(), 1u);
    EXPECT_EQ(census.unreadable[0].name, "gone");

    // The suggestion for a key that matched nothing comes from these keys.
    EXPECT_EQ(suggestionFor("Asio2 ", census), "ASiO2");
    EXPECT_EQ(suggestionFor("ASiO ", census), "ASiO2");
    EXPECT_EQ(suggestionFor("AMgOO ", census), "AMgO");
    EXPECT_EQ(suggestionFor("AFe0 ", census), "AFeO");
    EXPECT_EQ(suggestionFor("AXyz ", census), "");
  }
}

}  // namespace
}  // namespace durno
