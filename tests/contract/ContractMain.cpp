// Runs the cases and ends with one line of counts, the line the test runner picks up:
// "contract (SIDE): N cases, N passed, N marked as known Wine differences, N failed".
#include <cstdio>

#include "tests/contract/ContractPlatform.h"

namespace {
class TCounts : public testing::EmptyTestEventListener {
 public:
  int Cases = 0;
  int Passed = 0;
  int Marked = 0;
  int Failed = 0;
  void OnTestEnd(const testing::TestInfo& info) override {
    ++Cases;
    const testing::TestResult& result = *info.result();
    if (result.Failed())
      ++Failed;
    else if (result.Skipped())
      ++Marked;
    else
      ++Passed;
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
  std::fflush(stdout);
  return status;
}
