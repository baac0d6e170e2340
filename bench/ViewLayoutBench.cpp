// Auto Layout through views: activating constraints, solving and applying frames.
#include <benchmark/benchmark.h>

#include "uikit/UIView.h"

namespace {

std::shared_ptr<UIView> makeView(CGRect frame = CGRectZero) {
  return UIView::alloc()->initWithFrame(frame);
}

// Each view hangs from the one before it, so a change at the top moves all of them.
std::shared_ptr<UIView> makeChain(int count) {
  auto root = makeView(CGRectMake(0, 0, 390, 844));
  auto previous = root;
  for (int i = 0; i < count; ++i) {
    auto view = makeView();
    root->addSubview(view);
    view->setTranslatesAutoresizingMaskIntoConstraints(false);
    auto top = i == 0 ? view->topAnchor().constraintEqualToAnchor(root->topAnchor())
                      : view->topAnchor().constraintEqualToAnchor(previous->bottomAnchor(), 1);
    NSLayoutConstraint::activateConstraints(
        {top, view->leadingAnchor().constraintEqualToAnchor(root->leadingAnchor()),
         view->widthAnchor().constraintEqualToAnchor(root->widthAnchor()),
         view->heightAnchor().constraintEqualToConstant(2)});
    previous = view;
  }
  return root;
}

// Each view is placed on its own: four constraints to the root.
void BM_IndependentViews(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    auto root = makeView(CGRectMake(0, 0, 390, 844));
    for (int i = 0; i < count; ++i) {
      auto view = makeView();
      root->addSubview(view);
      view->setTranslatesAutoresizingMaskIntoConstraints(false);
      NSLayoutConstraint::activateConstraints(
          {view->leadingAnchor().constraintEqualToAnchor(root->leadingAnchor(), i % 100),
           view->topAnchor().constraintEqualToAnchor(root->topAnchor(), i % 700),
           view->widthAnchor().constraintEqualToConstant(20),
           view->heightAnchor().constraintEqualToConstant(10)});
    }
    root->layoutIfNeeded();
    benchmark::DoNotOptimize(root->subviews().back()->frame());
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_IndependentViews)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Building and solving a chain.
void BM_ChainOfViews(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    auto root = makeChain(count);
    root->layoutIfNeeded();
    benchmark::DoNotOptimize(root->subviews().back()->frame());
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ChainOfViews)->Arg(1000)->Arg(3000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Relayout of an existing chain after its root changes width.
void BM_ChainRelayoutAfterResize(benchmark::State& state) {
  auto root = makeChain(static_cast<int>(state.range(0)));
  root->layoutIfNeeded();
  double width = 390;
  for (auto _ : state) {
    width = width == 390 ? 375 : 390;
    root->setFrame(CGRectMake(0, 0, width, 844));
    root->layoutIfNeeded();
  }
}
BENCHMARK(BM_ChainRelayoutAfterResize)
    ->Arg(1000)
    ->Arg(3000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);

// A constant set on a constraint of the chain, then the relayout it causes.
void BM_ChainRelayoutAfterSetConstant(benchmark::State& state) {
  auto root = makeChain(static_cast<int>(state.range(0)));
  root->layoutIfNeeded();
  auto first = root->subviews().front();
  std::shared_ptr<NSLayoutConstraint> top;
  for (auto& constraint : root->constraints()) {
    if (constraint->firstItem().get() == first.get() &&
        constraint->firstAttribute() == NSLayoutAttributeTop) {
      top = constraint;
    }
  }
  double constant = 0;
  for (auto _ : state) {
    constant = constant == 0 ? 20 : 0;
    top->setConstant(constant);
    root->layoutIfNeeded();
  }
}
BENCHMARK(BM_ChainRelayoutAfterSetConstant)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
