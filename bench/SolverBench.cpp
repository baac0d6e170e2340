#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "uikit/CassowarySolver.h"

namespace {

using cassowary::Constraint;
using cassowary::Solver;
using cassowary::SolverStatus;
using cassowary::Variable;

struct Frame {
  explicit Frame(const std::string& name)
      : x(name + ".x"), y(name + ".y"), w(name + ".w"), h(name + ".h") {}
  Variable x, y, w, h;
};

void add(Solver& solver, const Constraint& constraint) {
  if (solver.addConstraint(constraint) != SolverStatus::ok) std::abort();
}

// Views that do not depend on each other, as in a long table: pinned to the leading edge, a row
// apart, with a preferred width that yields to a required trailing margin.
void BM_IndependentViews(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    Solver solver;
    std::vector<Frame> frames;
    frames.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      Frame& f = frames.emplace_back("view" + std::to_string(i));
      add(solver, f.x == 16);
      add(solver, f.y == 44.0 * i);
      add(solver, f.h == 44);
      add(solver, Constraint(f.w == 400, 750));
      add(solver, f.x + f.w <= 390 - 16);
    }
    benchmark::DoNotOptimize(solver.updateVariables());
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_IndependentViews)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Each view placed after the previous one, so every position depends on all before it.
void BM_ChainOfViews(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    Solver solver;
    std::vector<Frame> frames;
    frames.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      Frame& f = frames.emplace_back("view" + std::to_string(i));
      add(solver, f.w == 50);
      add(solver, f.y == 0);
      add(solver, f.h == 44);
      if (i == 0) {
        add(solver, f.x == 0);
      } else {
        const Frame& previous = frames[static_cast<size_t>(i - 1)];
        add(solver, f.x == previous.x + previous.w + 8);
      }
    }
    benchmark::DoNotOptimize(solver.updateVariables());
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ChainOfViews)->Arg(1000)->Unit(benchmark::kMillisecond);

// A relayout of the chain when its first view's width changes: one suggestion, then reading
// what moved.
void BM_ResizeTheHeadOfAChain(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  Solver solver;
  std::vector<Frame> frames;
  frames.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    Frame& f = frames.emplace_back("view" + std::to_string(i));
    if (i == 0) {
      add(solver, f.x == 0);
    } else {
      const Frame& previous = frames[static_cast<size_t>(i - 1)];
      add(solver, f.w == 50);
      add(solver, f.x == previous.x + previous.w + 8);
    }
  }
  if (solver.addEditVariable(frames[0].w, 750) != SolverStatus::ok) std::abort();
  double width = 10;
  for (auto _ : state) {
    width = width == 10 ? 20 : 10;
    if (solver.suggestValue(frames[0].w, width) != SolverStatus::ok) std::abort();
    benchmark::DoNotOptimize(solver.updateVariables());
  }
}
BENCHMARK(BM_ResizeTheHeadOfAChain)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
