#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "layout/Cassowary.h"

namespace {

using cassowary::Constraint;
using cassowary::Expression;
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
BENCHMARK(BM_ChainOfViews)->Arg(1000)->Arg(3000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The chain as peers lay it out: each left edge after the previous view, widths at least 10
// and weakly 50. The widths stay in the tableau, so every left edge depends on all of them.
void BM_FlexibleChain(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    Solver solver;
    std::vector<Variable> left, width;
    left.reserve(static_cast<size_t>(count));
    width.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      left.emplace_back("l" + std::to_string(i));
      width.emplace_back("w" + std::to_string(i));
      if (i == 0) {
        add(solver, left[0] == 0);
      } else {
        add(solver, left[i] == left[i - 1] + width[i - 1] + 8);
      }
      add(solver, width[i] >= 10);
      add(solver, Constraint(width[i] == 50, 1));
    }
    benchmark::DoNotOptimize(solver.updateVariables());
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_FlexibleChain)->Arg(1000)->Arg(3000)->Arg(10000)->Unit(benchmark::kMillisecond);

// What the views' benchmark of independent views asks of the solver: a root and four
// constraints per view, each measured from the root.
void BM_IndependentViewsAsTheViewsPlaceThem(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    Solver solver;
    Frame root("root");
    add(solver, root.x == 0);
    add(solver, root.y == 0);
    add(solver, root.w == 390);
    add(solver, root.h == 844);
    std::vector<Frame> frames;
    frames.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      Frame& f = frames.emplace_back("view" + std::to_string(i));
      add(solver, f.x == root.x + i % 100);
      add(solver, f.y == root.y + i % 700);
      add(solver, f.w == 20);
      add(solver, f.h == 10);
    }
    for (const Frame& f : frames) {
      for (const Variable* v : {&f.x, &f.y, &f.w, &f.h}) benchmark::DoNotOptimize(solver.value(*v));
    }
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_IndependentViewsAsTheViewsPlaceThem)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);

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

// A relayout of the flexible chain when the constant of the first link changes in place.
void BM_MoveTheHeadOfAFlexibleChain(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  Solver solver;
  std::vector<Variable> left, width;
  Constraint head = Expression(0.0) == 0;
  for (int i = 0; i < count; ++i) {
    left.emplace_back("l" + std::to_string(i));
    width.emplace_back("w" + std::to_string(i));
    if (i == 0) {
      head = left[0] == 0;
      add(solver, head);
    } else {
      add(solver, left[i] == left[i - 1] + width[i - 1] + 8);
    }
    add(solver, width[i] >= 10);
    add(solver, Constraint(width[i] == 50, 1));
  }
  double at = 0;
  for (auto _ : state) {
    at = at == 0 ? -16 : 0;
    if (solver.changeConstant(head, at) != SolverStatus::ok) std::abort();
    benchmark::DoNotOptimize(solver.updateVariables());
  }
}
BENCHMARK(BM_MoveTheHeadOfAFlexibleChain)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
