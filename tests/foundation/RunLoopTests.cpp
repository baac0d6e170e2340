#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/Clock.h"
#include "foundation/Dispatch.h"
#include "foundation/RunLoop.h"

namespace {

class RunLoopTest : public ::testing::Test {
 protected:
  void SetUp() override { RunLoop::useManualClock(); }
  void TearDown() override { RunLoop::useManualClock(); }

  // Records the block's name and the clock it saw.
  RunLoop::Block note(std::string name) {
    return [this, name] { journal.push_back(name + "@" + std::to_string(Clock::now())); };
  }

  std::vector<std::string> journal;
};

std::string at(const std::string& name, double time) {
  return name + "@" + std::to_string(time);
}

TEST_F(RunLoopTest, BlocksRunInDueOrderWithEqualTimesInSubmissionOrderEachAtItsOwnTime) {
  RunLoop::scheduleAt(2.0, note("c"));
  RunLoop::scheduleAt(1.0, note("a"));
  RunLoop::scheduleAt(2.0, note("d"));
  RunLoop::scheduleAt(1.5, note("b"));
  RunLoop::scheduleAt(3.5, note("late"));

  RunLoop::advance(3.0);

  EXPECT_EQ(journal,
            (std::vector<std::string>{at("a", 1.0), at("b", 1.5), at("c", 2.0), at("d", 2.0)}));
  EXPECT_DOUBLE_EQ(Clock::now(), 3.0);
  EXPECT_EQ(RunLoop::pendingCount(), 1u);
}

TEST_F(RunLoopTest, BlocksScheduledByRunningBlocksRunWhenDueWithinTheSameAdvance) {
  RunLoop::scheduleAt(1.0, [this] {
    note("outer")();
    dispatch_async(dispatch_get_main_queue(), note("async"));
    RunLoop::scheduleAfter(0.5, note("later"));
    RunLoop::scheduleAfter(5.0, note("beyond"));
  });
  RunLoop::scheduleAt(1.2, note("between"));

  RunLoop::advance(2.0);

  EXPECT_EQ(journal, (std::vector<std::string>{at("outer", 1.0), at("async", 1.0),
                                               at("between", 1.2), at("later", 1.5)}));
  EXPECT_EQ(RunLoop::pendingCount(), 1u);
}

TEST_F(RunLoopTest, ManySmallStepsReachADueTimeExactly) {
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, NSEC_PER_SEC), dispatch_get_main_queue(),
                 note("one second"));

  for (int step = 0; step < 9; ++step) RunLoop::advance(0.1);
  bool ranEarly = !journal.empty();
  RunLoop::advance(0.1);

  EXPECT_FALSE(ranEarly);
  EXPECT_EQ(journal, (std::vector<std::string>{at("one second", 1.0)}));
}

TEST_F(RunLoopTest, RunUntilIdleRunsOnlyWhatIsDueWithoutMovingTheClock) {
  RunLoop::advance(1.0);
  RunLoop::scheduleAt(0.5, note("overdue"));
  dispatch_async(dispatch_get_main_queue(), note("async"));
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, NSEC_PER_SEC / 10), dispatch_get_main_queue(),
                 note("future"));

  size_t ran = RunLoop::runUntilIdle();

  EXPECT_EQ(ran, 2u);
  EXPECT_EQ(journal, (std::vector<std::string>{at("overdue", 1.0), at("async", 1.0)}));
  EXPECT_DOUBLE_EQ(Clock::now(), 1.0);
}

TEST_F(RunLoopTest, ACancelledBlockNeverRunsAndReleasesWhatItCaptured) {
  auto captured = std::make_shared<int>(7);
  std::weak_ptr<int> watch = captured;
  RunLoop::Token token = RunLoop::scheduleAt(1.0, [this, captured] { note("cancelled")(); });
  captured.reset();
  RunLoop::Token ranAlready = RunLoop::scheduleAt(0.2, note("ran"));

  token.cancel();
  RunLoop::advance(2.0);
  ranAlready.cancel();

  EXPECT_TRUE(watch.expired());
  EXPECT_FALSE(token.isPending());
  EXPECT_EQ(journal, std::vector<std::string>{at("ran", 0.2)});
  EXPECT_EQ(RunLoop::pendingCount(), 0u);
}

TEST_F(RunLoopTest, ABlockCancelledByAnEarlierBlockAtTheSameTimeDoesNotRun) {
  RunLoop::Token victim;
  RunLoop::scheduleAt(0.5, [&] { victim.cancel(); });
  victim = RunLoop::scheduleAt(0.5, note("victim"));

  RunLoop::advance(1.0);

  EXPECT_TRUE(journal.empty());
}

TEST_F(RunLoopTest, DispatchAfterForeverNeverRunsAndNegativeDeltasRunAtOnce) {
  dispatch_after(DISPATCH_TIME_FOREVER, dispatch_get_main_queue(), note("never"));
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, -static_cast<int64_t>(NSEC_PER_SEC)),
                 dispatch_get_main_queue(), note("past"));

  RunLoop::runUntilIdle();
  RunLoop::advance(1e6);

  EXPECT_EQ(journal, (std::vector<std::string>{at("past", 0.0)}));
  EXPECT_EQ(dispatch_time(DISPATCH_TIME_FOREVER, 5), DISPATCH_TIME_FOREVER);
}

TEST_F(RunLoopTest, DispatchOnceRunsItsBlockOnceAndAgainOnlyIfItThrew) {
  dispatch_once_t once = 0;
  dispatch_once_t failing = 0;
  int runs = 0;
  int attempts = 0;

  for (int call = 0; call < 3; ++call) dispatch_once(&once, [&] { ++runs; });
  EXPECT_THROW(dispatch_once(&failing,
                             [&] {
                               ++attempts;
                               throw std::runtime_error("first try fails");
                             }),
               std::runtime_error);
  dispatch_once(&failing, [&] { ++attempts; });
  dispatch_once(&failing, [&] { ++attempts; });

  EXPECT_EQ(runs, 1);
  EXPECT_EQ(attempts, 2);
}

TEST_F(RunLoopTest, AThrowingBlockPropagatesAndLeavesTheRestScheduled) {
  RunLoop::scheduleAt(1.0, [] { throw std::logic_error("broken invariant"); });
  RunLoop::scheduleAt(1.5, note("after"));

  EXPECT_THROW(RunLoop::advance(2.0), std::logic_error);
  RunLoop::advance(1.0);

  EXPECT_EQ(journal, (std::vector<std::string>{at("after", 1.5)}));
}

TEST_F(RunLoopTest, ManualClockStartsAtAFixedWallTimeAndMovesOnlyWhenAdvanced) {
  double start = Clock::wallTime();
  RunLoop::runUntilIdle();
  double unmoved = Clock::wallTime();

  RunLoop::advance(90.0);

  EXPECT_DOUBLE_EQ(start, 1773481260.0);  // 2026-03-14 09:41:00 UTC
  EXPECT_DOUBLE_EQ(unmoved, start);
  EXPECT_DOUBLE_EQ(Clock::wallTime(), start + 90.0);
  EXPECT_DOUBLE_EQ(Clock::now(), 90.0);
}

TEST_F(RunLoopTest, RunOnceOnTheManualClockJumpsToTheNextBlockWithinTheTimeout) {
  RunLoop::scheduleAt(3.0, note("next"));

  bool ranWithinShortTimeout = RunLoop::runOnce(1.0);
  bool ranWithinLongTimeout = RunLoop::runOnce(10.0);

  EXPECT_FALSE(ranWithinShortTimeout);
  EXPECT_TRUE(ranWithinLongTimeout);
  EXPECT_EQ(journal, (std::vector<std::string>{at("next", 3.0)}));
}

}  // namespace
