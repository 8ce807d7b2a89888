// Runs the cases and ends with one line of counts, the line the test runner picks up:
// "contract (SIDE): N cases, N passed, N marked as known Wine differences, N failed",
// followed by one line for each marked case with its reason.
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
    if (result.Failed())
      ++Failed;
    else if (result.Skipped())
      Mark(info, result);
    else
      ++Passed;
  }

 private:
  void Mark(const testing::TestInfo& info, const testing::TestResult& result) {
    ++Marked;
    std::string line = std::string(info.test_suite_name()) + "." + info.name() + ":";
    for (int i = 0; i < result.total_part_count(); ++i)
      if (result.GetTestPartResult(i).skipped())
        line += std::string(" ") + result.GetTestPartResult(i).message();
    Reasons.push_back(line);
  }
};
}  // namespace

int main(int argc, char** argv) {
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
