// Runs the cases and ends with one line of counts, for people:
// "contract (SIDE): N cases, N passed, N marked as known Wine differences, N failed",
// followed by one line for each marked case with its reasons. A marked case passed in all
// else; the test runner reads the results file (--gtest_output=xml:...), not these lines.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/contract/ContractPlatform.h"

namespace {
class TCounts : public testing::EmptyTestEventListener {
 public:
  int Cases = 0;
  int Passed = 0;
  int Marked = 0;
  int Failed = 0;
  std::vector<std::string> Reasons;

  void OnTestEnd(const testing::TestInfo& info) override {
    ++Cases;
    const testing::TestResult& result = *info.result();
    if (result.Failed()) {
      ++Failed;
      return;
    }
    std::string reasons;
    for (int i = 0; i < result.test_property_count(); ++i)
      if (std::string(result.GetTestProperty(i).key()) == "wine_difference")
        reasons += std::string(" ") + result.GetTestProperty(i).value();
    if (reasons.empty()) {
      ++Passed;
      return;
    }
    ++Marked;
    Reasons.push_back(std::string(info.test_suite_name()) + "." + info.name() + ":" + reasons);
  }
};
}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == kContractChildArgument) {
    ContractPlatform().System.Sleep(30000);  // a process for the cases to end
    return 0;
  }
  testing::InitGoogleTest(&argc, argv);
  auto* counts = new TCounts;  // the listener list owns it
  testing::UnitTest::GetInstance()->listeners().Append(counts);
  int status = RUN_ALL_TESTS();
  std::printf(
      "contract (%s): %d cases, %d passed, %d marked as known Wine differences, %d failed\n",
      ContractSide().c_str(), counts->Cases, counts->Passed, counts->Marked, counts->Failed);
  for (const std::string& reason : counts->Reasons) std::printf("  marked %s\n", reason.c_str());
  std::fflush(stdout);
  return status;
}
