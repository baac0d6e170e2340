#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "foundation/RunLoop.h"
#include "uikit/UIApplication.h"
#include "uikit/UILabel.h"
#include "uikit/UISwitch.h"
#include "uikit/UITableView.h"
#include "uikit/UIWindow.h"

namespace {

// A cell that counts how it is made and reused, and carries a little state a row sets.
class NoteCell : public UITableViewCell {
  OBJC_CLASS(NoteCell, UITableViewCell);

 public:
  static inline int made = 0;

  std::shared_ptr<NoteCell> initWithStyle(UITableViewCellStyle style,
                                          const std::string& reuseIdentifier) {
    UITableViewCell::initWithStyle(style, reuseIdentifier);
    ++made;
    return selfAs<NoteCell>();
  }

  void prepareForReuse() override {
    UITableViewCell::prepareForReuse();
    ++reuses;
    textLabel()->setText(nullptr);
    marked = false;
  }

  int reuses = 0;
  bool marked = false;
};

// The data source and delegate of the tests: rows of given heights, a log of what it was asked.
class Rows : public UITableViewDataSource, public UITableViewDelegate {
 public:
  long numberOfSectionsInTableView(const std::shared_ptr<UITableView>&) override {
    return static_cast<long>(sections.size());
  }
  long numberOfRowsInSection(const std::shared_ptr<UITableView>&, long section) override {
    return static_cast<long>(sections[static_cast<size_t>(section)].size());
  }
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const std::shared_ptr<UITableView>& table,
                                                         const IndexPath& indexPath) override {
    ++cellRequests;
    auto cell = std::static_pointer_cast<NoteCell>(
        table->dequeueReusableCellWithIdentifier("Note", indexPath));
    cell->textLabel()->setText(label(indexPath));
    cell->marked = indexPath->row() % 2 == 0;
    return cell;
  }
  CGFloat heightForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                  const IndexPath& indexPath) override {
    ++heightRequests;
    return sections[static_cast<size_t>(indexPath->section())]
                   [static_cast<size_t>(indexPath->row())];
  }
  IndexPath willSelectRowAtIndexPath(const std::shared_ptr<UITableView>& table,
                                     const IndexPath& indexPath) override {
    return willSelect ? willSelect(indexPath)
                      : UITableViewDelegate::willSelectRowAtIndexPath(table, indexPath);
  }
  void didSelectRowAtIndexPath(const std::shared_ptr<UITableView>&,
                               const IndexPath& indexPath) override {
    selected.push_back(label(indexPath));
  }
  void didDeselectRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                 const IndexPath& indexPath) override {
    deselected.push_back(label(indexPath));
  }

  std::string label(const IndexPath& indexPath) const {
    return prefix + std::to_string(indexPath->section()) + "." + std::to_string(indexPath->row());
  }

  std::vector<std::vector<CGFloat>> sections{{}};
  std::string prefix = "row ";
  int cellRequests = 0;
  int heightRequests = 0;
  std::vector<std::string> selected;
  std::vector<std::string> deselected;
  std::function<IndexPath(const IndexPath&)> willSelect;
};

}  // namespace

OBJC_CLASS_IMPL(NoteCell) {}

namespace {

IndexPath path(long row, long section = 0) {
  return NSIndexPath::indexPathForRow(row, section);
}

std::string textOf(const std::shared_ptr<UITableViewCell>& cell) {
  auto text = cell->textLabel()->text();
  return text ? text->UTF8String() : "";
}

class TableViews : public ::testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    NoteCell::made = 0;
    window = UIWindow::alloc()->init();
    window->makeKeyAndVisible();
  }
  void TearDown() override {
    app->cancelAllTouches();
    RunLoop::advance(10);
  }

  std::shared_ptr<UITableView> makeTable(CGRect frame,
                                         UITableViewStyle style = UITableViewStylePlain) {
    auto table = UITableView::alloc()->initWithFrame(frame, style);
    table->registerClass<NoteCell>("Note");
    table->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentNever);
    table->setDataSource(rows);
    table->setDelegate(rows);
    window->addSubview(table);
    return table;
  }

  void tap(CGPoint point) {
    app->touchDown(point);
    RunLoop::advance(0.05);
    app->touchUp(point);
    RunLoop::advance(0.5);
  }

  std::vector<std::shared_ptr<UITableViewCell>> cellsInHierarchy(const UITableView& table) {
    std::vector<std::shared_ptr<UITableViewCell>> cells;
    for (auto& subview : table.subviews()) {
      if (auto cell = std::dynamic_pointer_cast<UITableViewCell>(subview)) cells.push_back(cell);
    }
    return cells;
  }

  std::shared_ptr<UIApplication> app = UIApplication::sharedApplication();
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<Rows> rows = std::make_shared<Rows>();
};

TEST_F(TableViews, ReloadAsksTheHeightOfEveryRowButMakesCellsOnlyForTheRowsInView) {
  rows->sections = {std::vector<CGFloat>(1000)};
  CGFloat total = 0;
  for (size_t r = 0; r < 1000; ++r) total += rows->sections[0][r] = 30 + (r % 5) * 10;
  auto table = makeTable(CGRectMake(0, 0, 390, 600));

  table->reloadData();

  EXPECT_EQ(rows->heightRequests, 1000);
  EXPECT_EQ(rows->cellRequests, 0);  // cells come with layout
  EXPECT_EQ(table->contentSize().height, total);
  table->layoutIfNeeded();
  // Rows 0-4 are 30+40+50+60+70 = 250 high together, so row 12 spans 570-620: 600 points
  // show 13 rows, the last one cut.
  EXPECT_EQ(rows->cellRequests, 13);
  auto cells = table->visibleCells();
  ASSERT_EQ(cells.size(), 13u);
  EXPECT_EQ(cells[12]->frame(), table->rectForRowAtIndexPath(path(12)));
  EXPECT_EQ(cellsInHierarchy(*table).size(), 13u);
}

TEST_F(TableViews, ScrollingBringsInCellsFromTheReusePool) {
  rows->sections = {std::vector<CGFloat>(1000, 50)};
  auto table = makeTable(CGRectMake(0, 0, 390, 600));
  table->layoutIfNeeded();
  int madeForOneScreen = NoteCell::made;

  for (int step = 1; step <= 20; ++step) {
    table->setContentOffset({0, step * 230.0});
    table->layoutIfNeeded();
  }

  EXPECT_EQ(madeForOneScreen, 12);
  EXPECT_LE(NoteCell::made, madeForOneScreen + 1);
  auto cells = table->visibleCells();
  ASSERT_FALSE(cells.empty());
  EXPECT_EQ(table->indexPathForCell(cells.front())->row(), 4600 / 50);
  EXPECT_EQ(textOf(cells.front()), "row 0.92");
  EXPECT_EQ(cellsInHierarchy(*table).size(), cells.size());
  EXPECT_EQ(table->cellForRowAtIndexPath(path(0)), nullptr);
}

TEST_F(TableViews, AReloadReusesTheCellsAfterPrepareForReuseAndLeavesNoStaleState) {
  rows->sections = {std::vector<CGFloat>(5, 100)};
  auto table = makeTable(CGRectMake(0, 0, 390, 600));
  table->layoutIfNeeded();
  auto before = table->visibleCells();
  table->selectRowAtIndexPath(path(1), false, UITableViewScrollPositionNone);
  ASSERT_TRUE(before[1]->isSelected());

  rows->prefix = "new ";
  rows->sections = {{100, 100, 100}};
  table->reloadData();
  table->layoutIfNeeded();

  auto after = table->visibleCells();
  ASSERT_EQ(after.size(), 3u);
  for (size_t i = 0; i < after.size(); ++i) {
    auto cell = std::static_pointer_cast<NoteCell>(after[i]);
    EXPECT_NE(std::find(before.begin(), before.end(), cell), before.end());
    EXPECT_EQ(cell->reuses, 1);
    EXPECT_EQ(textOf(cell), "new 0." + std::to_string(i));
    EXPECT_FALSE(cell->isSelected());
    EXPECT_EQ(cell->marked, i % 2 == 0);
  }
  EXPECT_EQ(NoteCell::made, 5);
  EXPECT_EQ(table->indexPathForSelectedRow(), nullptr);
  EXPECT_EQ(cellsInHierarchy(*table).size(), 3u);
}

TEST_F(TableViews, ScrollToRowPlacesItInTheAreaTheInsetsLeave) {
  // The chat's layout: a header, rows of 60, 100 points kept clear above and 95 below.
  rows->sections = {std::vector<CGFloat>(30, 60)};
  auto table = makeTable(CGRectMake(0, 0, 390, 844));
  table->setContentInset(UIEdgeInsetsMake(100, 0, 95, 0));
  table->setTableHeaderView(UIView::alloc()->initWithFrame(CGRectMake(0, 0, 390, 278)));
  table->reloadData();
  CGFloat lastBottom = 278 + 30 * 60;

  table->scrollToRowAtIndexPath(path(29), UITableViewScrollPositionBottom, true);
  table->layoutIfNeeded();

  EXPECT_EQ(table->contentOffset().y, lastBottom - (844 - 95));
  auto last = table->cellForRowAtIndexPath(path(29));
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(CGRectGetMaxY(last->convertRectToView(last->bounds(), nullptr)), 844 - 95);

  struct Case {
    long row;
    UITableViewScrollPosition position;
    CGFloat offset;
  };
  for (const Case& c : {
           Case{10, UITableViewScrollPositionTop, 278 + 600 - 100},
           Case{10, UITableViewScrollPositionMiddle, 278 + 630 - 100 - (844 - 195) / 2.0},
           Case{0, UITableViewScrollPositionTop, 278 - 100},
           Case{5, UITableViewScrollPositionNone, 278 - 100},               // already in view
           Case{10, UITableViewScrollPositionNone, 278 + 660 - 100 - 649},  // just below
           Case{29, UITableViewScrollPositionTop, lastBottom + 95 - 844},   // as far as it goes
       }) {
    table->scrollToRowAtIndexPath(path(c.row), c.position, false);
    EXPECT_DOUBLE_EQ(table->contentOffset().y, c.offset) << c.row << " " << c.position;
  }

  table->scrollToRowAtIndexPath(path(30), UITableViewScrollPositionBottom, false);
  EXPECT_DOUBLE_EQ(table->contentOffset().y, lastBottom + 95 - 844);  // ignored
}

TEST_F(TableViews, AShortTableScrolledToItsLastRowStaysAtTheTop) {
  rows->sections = {{60, 60}};
  auto table = makeTable(CGRectMake(0, 0, 390, 844));
  table->setContentInset(UIEdgeInsetsMake(100, 0, 95, 0));
  table->setContentOffset({0, -100});

  table->scrollToRowAtIndexPath(path(1), UITableViewScrollPositionBottom, false);

  EXPECT_EQ(table->contentOffset().y, -100);
}

TEST_F(TableViews, IndexPathForRowAtPointCountsTheOffsetHeadersAndSections) {
  rows->sections = {{50, 50}, {80}};
  auto table = makeTable(CGRectMake(0, 100, 390, 300), UITableViewStyleGrouped);
  table->layoutIfNeeded();
  // Grouped: 35 above the first section, 17.5 after it and 17.5 before the next, so the rows
  // of section 0 span 35-85 and 85-135 and the row of section 1 spans 170-250.
  ASSERT_EQ(table->rectForRowAtIndexPath(path(0, 1)), CGRectMake(0, 170, 390, 80));

  table->setContentOffset({0, 150});
  table->layoutIfNeeded();
  // A tap on the screen, as the table sees it: 100 for the table's top, 150 for the offset.
  auto atScreenY = [&](CGFloat y) {
    return table->indexPathForRowAtPoint(table->convertPointFromView({10, y}, nullptr));
  };

  EXPECT_EQ(atScreenY(100), nullptr);  // content y 150: between the sections
  EXPECT_EQ(*atScreenY(120), *path(0, 1));
  EXPECT_EQ(*atScreenY(199), *path(0, 1));
  EXPECT_EQ(atScreenY(200), nullptr);  // the last row ends at 250
  EXPECT_EQ(*table->indexPathForRowAtPoint({10, 35}), *path(0));
  EXPECT_EQ(*table->indexPathForRowAtPoint({10, 134.5}), *path(1));
  EXPECT_EQ(table->indexPathForRowAtPoint({10, 34}), nullptr);
  EXPECT_EQ(table->indexPathForRowAtPoint({400, 40}), nullptr);
  EXPECT_EQ(*table->indexPathForCell(table->cellForRowAtIndexPath(path(0, 1))), *path(0, 1));
}

TEST_F(TableViews, ATapHighlightsWhileDownSelectsOnLiftAndDeselectingClearsIt) {
  rows->sections = {std::vector<CGFloat>(10, 60)};
  auto table = makeTable(CGRectMake(0, 0, 390, 844));
  table->layoutIfNeeded();
  auto cell = table->cellForRowAtIndexPath(path(2));

  app->touchDown({100, 150});
  EXPECT_TRUE(cell->isHighlighted());
  ASSERT_NE(cell->selectedBackgroundView(), nullptr);
  EXPECT_EQ(cell->selectedBackgroundView()->superview(), cell);
  EXPECT_TRUE(rows->selected.empty());
  RunLoop::advance(0.05);
  app->touchUp({100, 150});

  EXPECT_EQ(rows->selected, std::vector<std::string>{"row 0.2"});
  EXPECT_FALSE(cell->isHighlighted());
  EXPECT_TRUE(cell->isSelected());
  EXPECT_EQ(*table->indexPathForSelectedRow(), *path(2));

  tap({100, 250});
  EXPECT_EQ(rows->deselected, std::vector<std::string>{"row 0.2"});
  EXPECT_FALSE(cell->isSelected());

  table->deselectRowAtIndexPath(path(4), true);
  auto other = table->cellForRowAtIndexPath(path(4));
  EXPECT_FALSE(other->isSelected());
  EXPECT_EQ(other->selectedBackgroundView()->superview(), nullptr);
  EXPECT_EQ(table->indexPathForSelectedRow(), nullptr);
  EXPECT_EQ(rows->deselected.size(), 1u);  // deselecting in code tells no one
}

TEST_F(TableViews, WillSelectCanRedirectOrRefuseAndADragSelectsNothing) {
  rows->sections = {std::vector<CGFloat>(30, 60)};
  auto table = makeTable(CGRectMake(0, 0, 390, 844));
  table->layoutIfNeeded();

  rows->willSelect = [](const IndexPath& indexPath) { return path(indexPath->row() + 1); };
  tap({100, 30});
  rows->willSelect = [](const IndexPath&) { return IndexPath(); };
  tap({100, 90});
  rows->willSelect = nullptr;
  app->touchDown({100, 500});
  for (int i = 1; i <= 10; ++i) {
    RunLoop::advance(1.0 / 60);
    app->touchMove({100, 500.0 - i * 20});
  }
  app->touchUp({100, 300});
  RunLoop::advance(5);

  EXPECT_EQ(rows->selected, std::vector<std::string>{"row 0.1"});
  EXPECT_GT(table->contentOffset().y, 0);
  for (auto& cell : table->visibleCells()) EXPECT_FALSE(cell->isHighlighted());
}

TEST_F(TableViews, SelectionNeedsAllowsSelectionAndEndsWithADisabledTable) {
  rows->sections = {std::vector<CGFloat>(3, 60)};
  auto table = makeTable(CGRectMake(0, 0, 390, 844));
  table->layoutIfNeeded();
  table->selectRowAtIndexPath(path(0), false, UITableViewScrollPositionNone);

  table->setAllowsSelection(false);
  tap({100, 90});

  EXPECT_TRUE(rows->selected.empty());
  EXPECT_EQ(table->indexPathForSelectedRow(), nullptr);
  EXPECT_FALSE(table->cellForRowAtIndexPath(path(0))->isSelected());
}

TEST_F(TableViews, TheAppearanceProxyReachesOnlyCellsShownAfterItWasSet) {
  rows->sections = {std::vector<CGFloat>(40, 60)};
  auto table = makeTable(CGRectMake(0, 0, 390, 300));
  table->layoutIfNeeded();
  auto early = table->cellForRowAtIndexPath(path(0));
  auto own = UIView::alloc()->init();
  auto keeper =
      std::static_pointer_cast<NoteCell>(table->dequeueReusableCellWithIdentifier("Note"));
  keeper->setSelectedBackgroundView(own);
  auto clear = UIView::alloc()->init();
  clear->setBackgroundColor(UIColor::clearColor());

  UITableViewCell::appearance()->setSelectedBackgroundView(clear);
  table->setFrame(CGRectMake(0, 0, 390, 844));  // more rows than there are cells to reuse
  table->layoutIfNeeded();
  window->addSubview(keeper);

  EXPECT_NE(early->selectedBackgroundView(), clear);
  int later = 0;
  for (auto& cell : table->visibleCells()) {
    if (cell != early) later += cell->selectedBackgroundView() == clear;
  }
  EXPECT_GT(later, 0);
  EXPECT_EQ(keeper->selectedBackgroundView(), own);
  UITableViewCell::appearance()->setSelectedBackgroundView(nullptr);
}

TEST_F(TableViews, ANewDataSourceReplacesTheRowsInViewAtTheNextLayout) {
  rows->sections = {std::vector<CGFloat>(10, 60)};
  auto table = makeTable(CGRectMake(0, 0, 390, 844));
  table->layoutIfNeeded();
  auto other = std::make_shared<Rows>();
  other->prefix = "other ";
  other->sections = {{60, 60}};

  table->setDataSource(other);
  table->layoutIfNeeded();

  auto cells = table->visibleCells();
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_EQ(textOf(cells[1]), "other 0.1");
  EXPECT_EQ(cellsInHierarchy(*table).size(), 2u);
}

TEST_F(TableViews, AReleasedDelegateOrDataSourceIsNotCalled) {
  rows->sections = {std::vector<CGFloat>(10, 60)};
  auto table = makeTable(CGRectMake(0, 0, 390, 844));
  table->layoutIfNeeded();

  rows.reset();
  tap({100, 30});
  table->reloadData();
  table->layoutIfNeeded();

  EXPECT_EQ(table->delegate(), nullptr);
  EXPECT_EQ(table->dataSource(), nullptr);
  EXPECT_EQ(table->numberOfSections(), 0);
  EXPECT_TRUE(table->visibleCells().empty());
}

TEST_F(TableViews, InsetGroupedSectionsAreInsetCardsWithRoundedEnds) {
  rows->sections = {std::vector<CGFloat>(3, 75), {75}};
  auto table = makeTable(CGRectMake(0, 0, 390, 844), UITableViewStyleInsetGrouped);
  table->layoutIfNeeded();

  EXPECT_EQ(table->backgroundColor(), UIColor::systemGroupedBackgroundColor());
  EXPECT_EQ(table->cellForRowAtIndexPath(path(0))->frame(), CGRectMake(20, 35, 350, 75));
  EXPECT_EQ(table->cellForRowAtIndexPath(path(0, 1))->frame().origin.y, 35 + 3 * 75 + 17.5 + 17.5);
  EXPECT_TRUE(table->cellForRowAtIndexPath(path(0))->clipsToBounds());
  EXPECT_FALSE(table->cellForRowAtIndexPath(path(1))->clipsToBounds());
  EXPECT_TRUE(table->cellForRowAtIndexPath(path(2))->clipsToBounds());
  EXPECT_TRUE(table->cellForRowAtIndexPath(path(0, 1))->clipsToBounds());
  auto plain = makeTable(CGRectMake(0, 0, 390, 844));
  EXPECT_EQ(plain->backgroundColor(), UIColor::systemBackgroundColor());
}

// A cell that sizes itself: a fixed-height block pinned to its content view.
class TallCell : public UITableViewCell {
  OBJC_CLASS(TallCell, UITableViewCell);

 public:
  std::shared_ptr<TallCell> initWithStyle(UITableViewCellStyle style,
                                          const std::string& reuseIdentifier) {
    UITableViewCell::initWithStyle(style, reuseIdentifier);
    auto block = UIView::alloc()->init();
    block->setTranslatesAutoresizingMaskIntoConstraints(false);
    contentView()->addSubview(block);
    NSLayoutConstraint::activateConstraints(
        {block->topAnchor().constraintEqualToAnchor(contentView()->topAnchor(), 10),
         block->bottomAnchor().constraintEqualToAnchor(contentView()->bottomAnchor(), -10),
         block->leadingAnchor().constraintEqualToAnchor(contentView()->leadingAnchor()),
         block->heightAnchor().constraintEqualToConstant(100)});
    return selfAs<TallCell>();
  }
};

}  // namespace

OBJC_CLASS_IMPL(TallCell) {}

namespace {

class TallRows : public UITableViewDataSource, public UITableViewDelegate {
 public:
  long numberOfRowsInSection(const std::shared_ptr<UITableView>&, long) override { return 3; }
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const std::shared_ptr<UITableView>& table,
                                                         const IndexPath& indexPath) override {
    if (indexPath->row() == 1) return table->dequeueReusableCellWithIdentifier("Tall");
    auto cell = table->dequeueReusableCellWithIdentifier("Plain");
    return cell ? cell
                : UITableViewCell::alloc()->initWithStyle(UITableViewCellStyleDefault, "Plain");
  }
  CGFloat heightForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                  const IndexPath& indexPath) override {
    return indexPath->row() == 1 ? UITableViewAutomaticDimension : 50;
  }
};

TEST_F(TableViews, AnAutomaticRowTakesItsCellsHeightOnceTheCellIsMade) {
  auto tall = std::make_shared<TallRows>();
  auto table = UITableView::alloc()->initWithFrame(CGRectMake(0, 0, 390, 844));
  table->registerClass<TallCell>("Tall");
  table->setEstimatedRowHeight(80);
  table->setDataSource(tall);
  table->setDelegate(tall);
  window->addSubview(table);

  table->reloadData();
  EXPECT_EQ(table->contentSize().height, 50 + 80 + 50);
  table->layoutIfNeeded();

  EXPECT_EQ(table->contentSize().height, 50 + 120 + 50);
  EXPECT_EQ(table->rectForRowAtIndexPath(path(2)), CGRectMake(0, 170, 390, 50));
  EXPECT_EQ(table->cellForRowAtIndexPath(path(2))->frame().origin.y, 170);
}

// A delegate with a header view for each section.
class HeaderRows : public Rows {
 public:
  CGFloat heightForHeaderInSection(const std::shared_ptr<UITableView>&, long) override {
    return 30;
  }
  std::shared_ptr<UIView> viewForHeaderInSection(const std::shared_ptr<UITableView>&,
                                                 long section) override {
    asked.push_back(section);
    return UIView::alloc()->init();
  }
  std::vector<long> asked;
};

TEST_F(TableViews, SectionHeaderViewsAreAskedForWhenTheirSectionComesIntoView) {
  auto headers = std::make_shared<HeaderRows>();
  headers->sections = {std::vector<CGFloat>(20, 50), std::vector<CGFloat>(20, 50)};
  rows = headers;
  auto table = makeTable(CGRectMake(0, 0, 390, 600));
  table->layoutIfNeeded();

  EXPECT_EQ(headers->asked, std::vector<long>{0});
  table->scrollToRowAtIndexPath(path(0, 1), UITableViewScrollPositionTop, false);
  table->layoutIfNeeded();

  EXPECT_EQ(headers->asked, (std::vector<long>{0, 1}));
  auto header = table->headerViewForSection(1);
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->frame(), CGRectMake(0, 30 + 1000, 390, 30));
  EXPECT_EQ(header->superview(), table);
  EXPECT_EQ(table->rectForRowAtIndexPath(path(0, 1)).origin.y, 1060);
}

// A cell that places its text itself after the inherited layout, as message bubbles do.
class BubbleCell : public UITableViewCell {
  OBJC_CLASS(BubbleCell, UITableViewCell);

 public:
  void layoutSubviews() override {
    UITableViewCell::layoutSubviews();
    ++passes;
    textLabel()->setFrame(CGRectMake(63, 10, 200, 20));
  }
  int passes = 0;
};

}  // namespace

OBJC_CLASS_IMPL(BubbleCell) {}

namespace {

TEST_F(TableViews, ViewsAddedToTheCellItselfGoBehindItsContentWhoseControlsKeepTheirTouches) {
  auto cell = UITableViewCell::alloc()->initWithStyle(UITableViewCellStyleDefault, "");
  cell->setFrame(CGRectMake(0, 100, 390, 75));
  window->addSubview(cell);
  auto toggle = UISwitch::alloc()->initWithFrame(CGRectMake(300, 22, 0, 0));
  cell->contentView()->addSubview(toggle);
  // A card over the whole cell, added after the content view.
  auto card = UIView::alloc()->initWithFrame(CGRectMake(5, 5, 380, 65));
  card->setBackgroundColor(UIColor::whiteColor());
  cell->addSubview(card);
  window->layoutIfNeeded();

  tap(CGPointMake(325, 137));

  const auto& order = cell->subviews();
  ASSERT_EQ(order.size(), 2u);
  EXPECT_EQ(order[0], card);
  EXPECT_EQ(order[1], cell->contentView());
  EXPECT_TRUE(toggle->isOn());
}

TEST_F(TableViews, CellsPlaceTheirBuiltInViewsAndAccessoriesButLeaveWhatASubclassPlaced) {
  auto root = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 390, 200));
  auto plain = UITableViewCell::alloc()->initWithStyle(UITableViewCellStyleDefault, "");
  auto checked = UITableViewCell::alloc()->initWithStyle(UITableViewCellStyleValue1, "");
  auto switched = UITableViewCell::alloc()->initWithStyle(UITableViewCellStyleDefault, "");
  auto bubble = BubbleCell::alloc();
  bubble->initWithStyle(UITableViewCellStyleDefault, "");
  int y = 0;
  for (auto cell : {plain, checked, switched, std::shared_ptr<UITableViewCell>(bubble)}) {
    cell->setFrame(CGRectMake(0, y, 390, 50));
    cell->textLabel()->setText("Title");
    root->addSubview(cell);
    y += 50;
  }
  checked->detailTextLabel()->setText("Detail");
  checked->setAccessoryType(UITableViewCellAccessoryCheckmark);
  auto toggle = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 51, 31));
  switched->setAccessoryView(toggle);

  root->layoutIfNeeded();
  bubble->setNeedsLayout();
  root->layoutIfNeeded();

  EXPECT_EQ(plain->textLabel()->frame(), CGRectMake(16, 0, 390 - 32, 50));
  EXPECT_EQ(plain->contentView()->frame(), CGRectMake(0, 0, 390, 50));
  EXPECT_EQ(toggle->frame(), CGRectMake(390 - 16 - 51, 10, 51, 31));
  EXPECT_EQ(switched->contentView()->frame().size.width, 390 - 16 - 51 - 8);
  EXPECT_LT(checked->contentView()->frame().size.width, 390 - 16);
  EXPECT_EQ(CGRectGetMaxX(checked->detailTextLabel()->frame()),
            checked->contentView()->frame().size.width - 16);
  EXPECT_EQ(bubble->textLabel()->frame(), CGRectMake(63, 10, 200, 20));
  EXPECT_EQ(bubble->passes, 2);  // one per request: the two placements do not fight
}

}  // namespace
