// A table of many rows: reloading it (every height asked, cells for the rows in view) and
// scrolling through it (cells leaving and entering through the reuse pool).
#include <benchmark/benchmark.h>

#include <string>

#include "uikit/UILabel.h"
#include "uikit/UITableView.h"

namespace {

// Rows of five heights in turn, each showing its number.
class ManyRows : public UITableViewDataSource, public UITableViewDelegate {
 public:
  explicit ManyRows(long count) : count_(count) {}

  long numberOfRowsInSection(const std::shared_ptr<UITableView>&, long) override { return count_; }
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const std::shared_ptr<UITableView>& table,
                                                         const IndexPath& indexPath) override {
    auto cell = table->dequeueReusableCellWithIdentifier("Row", indexPath);
    cell->textLabel()->setText(std::to_string(indexPath->row()));
    return cell;
  }
  CGFloat heightForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                  const IndexPath& indexPath) override {
    return 40 + static_cast<CGFloat>(indexPath->row() % 5) * 12;
  }

 private:
  long count_;
};

struct Scene {
  explicit Scene(long rows) : source(std::make_shared<ManyRows>(rows)) {
    root = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 390, 844));
    table = UITableView::alloc()->initWithFrame(root->bounds(), UITableViewStylePlain);
    table->registerClass<UITableViewCell>("Row");
    table->setDataSource(source);
    table->setDelegate(source);
    root->addSubview(table);
    root->layoutIfNeeded();
  }

  std::shared_ptr<ManyRows> source;
  std::shared_ptr<UIView> root;
  std::shared_ptr<UITableView> table;
};

void BM_ReloadAndLayout(benchmark::State& state) {
  Scene scene(state.range(0));
  for (auto _ : state) {
    scene.table->reloadData();
    scene.root->layoutIfNeeded();
    benchmark::DoNotOptimize(scene.table->contentSize());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReloadAndLayout)->Arg(10000)->Unit(benchmark::kMillisecond);

// One screen's worth of scrolling per step, laid out after each, from the top to the bottom.
void BM_ScrollThrough(benchmark::State& state) {
  Scene scene(state.range(0));
  CGFloat end = scene.table->maximumContentOffset().y;
  long steps = 0;
  for (auto _ : state) {
    for (CGFloat y = 0; y < end; y += 844) {
      scene.table->setContentOffset({0, y});
      scene.root->layoutIfNeeded();
      ++steps;
    }
    scene.table->setContentOffset(CGPointZero);
    scene.root->layoutIfNeeded();
  }
  state.counters["screens"] =
      benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScrollThrough)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
