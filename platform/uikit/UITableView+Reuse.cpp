// The cells in view: made from the data source as rows come into view during layout, placed on
// their rows, and handed back to the reuse pool when they leave it or the table reloads.

#include <algorithm>

#include "runtime/RuntimeError.h"
#include "uikit/UITableView.h"

namespace {

// A data source that makes new cells instead of dequeuing them would otherwise fill the pool
// without end.
constexpr size_t kMaximumPooledCells = 64;
// Measuring a self-sizing row moves the rows after it, which can bring others into view; a few
// rounds settle it.
constexpr int kMaximumLayoutRounds = 4;

void setFrameIfChanged(UIView& view, CGRect frame) {
  if (!(view.frame() == frame)) view.setFrame(frame);
}

}  // namespace

void UITableView::reloadData() {
  reloadRows();
  setNeedsLayout();
}

void UITableView::reloadRows() {
  auto keep = selfAs<UITableView>();
  endTouchTracking();
  enqueueAllCells();
  for (auto& section : sections_) {
    if (section.headerView) section.headerView->removeFromSuperview();
    if (section.footerView) section.footerView->removeFromSuperview();
  }
  // The rows may be other rows now; what was selected is not.
  selectedRows_.clear();
  computeGeometry();
  rowsNeedLayout_ = true;
}

void UITableView::layoutSubviews() {
  UIScrollView::layoutSubviews();
  if (!geometryValid_) reloadRows();
  if (contentSize().width != bounds().size.width) updateContentSize();
  // The background stays put while the content scrolls.
  if (backgroundView_) setFrameIfChanged(*backgroundView_, bounds());
  placeTableHeaderAndFooter();
  layoutRows();
  layoutSectionViews();
}

void UITableView::layoutRowsIfNeeded() {
  if (!geometryValid_) reloadRows();
  if (rowsNeedLayout_ || !(bounds() == laidOutBounds_)) layoutRows();
}

std::shared_ptr<UIView> UITableView::hitTest(CGPoint point, const std::shared_ptr<UIEvent>& event) {
  if (needsLayout() || rowsNeedLayout_) layoutIfNeeded();
  return UIScrollView::hitTest(point, event);
}

void UITableView::placeTableHeaderAndFooter() {
  CGFloat width = bounds().size.width;
  if (tableHeaderView_) {
    setFrameIfChanged(*tableHeaderView_,
                      CGRectMake(0, 0, width, tableHeaderView_->frame().size.height));
  }
  if (tableFooterView_) {
    CGFloat top = sections_.empty() ? sectionsTop_ : sections_.back().bottom();
    setFrameIfChanged(*tableFooterView_,
                      CGRectMake(0, top, width, tableFooterView_->frame().size.height));
  }
}

void UITableView::layoutRows() {
  if (inLayoutRows_) return;
  inLayoutRows_ = true;
  auto keep = selfAs<UITableView>();
  for (int round = 0; round < kMaximumLayoutRounds; ++round) {
    CGRect visible = bounds();
    auto rows = rowsBetween(CGRectGetMinY(visible), CGRectGetMaxY(visible));
    // Rows that left the view give their cells back first, so the new rows can reuse them.
    std::set<RowKey> wanted(rows.begin(), rows.end());
    for (auto it = visibleCells_.begin(); it != visibleCells_.end();) {
      if (wanted.count(it->first)) {
        ++it;
        continue;
      }
      auto cell = it->second;
      RowKey key = it->first;
      it = visibleCells_.erase(it);
      enqueueCell(cell);
      if (auto delegate = this->delegate()) {
        delegate->didEndDisplayingCell(keep, cell,
                                       NSIndexPath::indexPathForRow(key.second, key.first));
      }
    }
    bool moved = false;
    for (const RowKey& key : rows) {
      auto found = visibleCells_.find(key);
      if (found != visibleCells_.end()) {
        configureCell(found->second, key.first, key.second);
        continue;
      }
      CGFloat before = contentSize().height;
      makeCell(key.first, key.second);
      if (contentSize().height != before) moved = true;
    }
    if (!moved) break;
  }
  // Rows that measured themselves may have moved the footer.
  placeTableHeaderAndFooter();
  rowsNeedLayout_ = false;
  laidOutBounds_ = bounds();
  inLayoutRows_ = false;
}

void UITableView::makeCell(long section, long row) {
  auto keep = selfAs<UITableView>();
  auto source = dataSource();
  if (!source) return;
  auto indexPath = NSIndexPath::indexPathForRow(row, section);
  auto cell = source->cellForRowAtIndexPath(keep, indexPath);
  if (!cell) {
    throw objc::RuntimeError("the table's data source gave no cell for " +
                             indexPath->description());
  }
  // A data source that hands out a cell twice moves it to the newer row.
  for (auto it = visibleCells_.begin(); it != visibleCells_.end(); ++it) {
    if (it->second == cell) {
      visibleCells_.erase(it);
      break;
    }
  }
  visibleCells_[{section, row}] = cell;
  // A self-sizing cell measures itself on its own, before it joins the table's layout at a
  // height its content would contradict.
  if (sections_[static_cast<size_t>(section)].unmeasured[static_cast<size_t>(row)]) {
    if (cell->superview().get() == this) cell->removeFromSuperview();
    measureRow(section, row, cell);
  }
  configureCell(cell, section, row);
  if (cell->superview().get() != this) {
    insertSubview(cell, backgroundView_ && backgroundView_->superview().get() == this ? 1 : 0);
  }
  if (auto delegate = this->delegate()) delegate->willDisplayCell(keep, cell, indexPath);
}

void UITableView::configureCell(const std::shared_ptr<UITableViewCell>& cell, long section,
                                long row) {
  const Section& s = sections_[static_cast<size_t>(section)];
  bool last = row == s.rowCount() - 1;
  setFrameIfChanged(*cell, cellFrame(section, row));
  if (style_ != UITableViewStylePlain && !cell->backgroundColorSet_) {
    bool rounded = style_ == UITableViewStyleInsetGrouped;
    cell->setSectionCard(rounded && row == 0, rounded && last,
                         rounded ? kInsetGroupedCornerRadius : 0);
  }
  bool separator = separatorStyle_ != UITableViewCellSeparatorStyleNone &&
                   !(style_ != UITableViewStylePlain && last);
  if (separator && !(cell->separatorInset_ == separatorInset_)) {
    cell->setSeparatorInset(separatorInset_);
  }
  cell->setSeparator(separator, separatorColor_);
  bool selected = isRowSelected(section, row);
  if (cell->isSelected() != selected) cell->setSelected(selected, false);
  if (cell->isEditing() != editing_) cell->setEditing(editing_, false);
}

void UITableView::layoutSectionViews() {
  auto keep = selfAs<UITableView>();
  auto delegate = this->delegate();
  CGRect visible = bounds();
  for (size_t s = 0; s < sections_.size(); ++s) {
    Section& section = sections_[s];
    bool inView = section.bottom() > CGRectGetMinY(visible) && section.top < CGRectGetMaxY(visible);
    if (inView && !section.viewsAsked) {
      section.viewsAsked = true;
      if (delegate) {
        section.headerView = delegate->viewForHeaderInSection(keep, static_cast<long>(s));
        section.footerView = delegate->viewForFooterInSection(keep, static_cast<long>(s));
      }
    }
    auto place = [&](const std::shared_ptr<UIView>& view, CGRect frame) {
      if (!view) return;
      if (!inView || frame.size.height <= 0) {
        if (view->superview().get() == this) view->removeFromSuperview();
        return;
      }
      if (view->superview().get() != this) addSubview(view);
      setFrameIfChanged(*view, frame);
    };
    place(section.headerView, rectForHeaderInSection(static_cast<long>(s)));
    place(section.footerView, rectForFooterInSection(static_cast<long>(s)));
  }
}

void UITableView::enqueueCell(const std::shared_ptr<UITableViewCell>& cell) {
  if (cell->superview().get() == this) cell->removeFromSuperview();
  if (cell->isHighlighted()) cell->setHighlighted(false, false);
  // A cell without an identifier cannot be asked for again.
  if (cell->reuseIdentifier().empty()) return;
  auto& pool = reusePool_[cell->reuseIdentifier()];
  if (pool.size() < kMaximumPooledCells &&
      std::find(pool.begin(), pool.end(), cell) == pool.end()) {
    pool.push_back(cell);
  }
}

void UITableView::enqueueAllCells() {
  auto keep = selfAs<UITableView>();
  auto cells = std::move(visibleCells_);
  visibleCells_.clear();
  auto delegate = this->delegate();
  for (auto& [key, cell] : cells) {
    enqueueCell(cell);
    if (delegate) {
      delegate->didEndDisplayingCell(keep, cell,
                                     NSIndexPath::indexPathForRow(key.second, key.first));
    }
  }
  rowsNeedLayout_ = true;
}

std::shared_ptr<UITableViewCell> UITableView::dequeueReusableCellWithIdentifier(
    const std::string& identifier) {
  std::shared_ptr<UITableViewCell> cell;
  auto pooled = reusePool_.find(identifier);
  if (pooled != reusePool_.end() && !pooled->second.empty()) {
    cell = pooled->second.back();
    pooled->second.pop_back();
    cell->prepareForReuse();
  } else if (auto registered = registeredCells_.find(identifier);
             registered != registeredCells_.end()) {
    cell = registered->second();
  }
  // Configured at the width it will have, so layout done while configuring holds.
  if (cell) {
    CGRect frame = cell->frame();
    CGFloat width = cellFrame(0, -1).size.width;
    if (frame.size.width != width) {
      cell->setFrame(CGRectMake(frame.origin.x, frame.origin.y, width, frame.size.height));
    }
  }
  return cell;
}

std::shared_ptr<UITableViewCell> UITableView::dequeueReusableCellWithIdentifier(
    const std::string& identifier, const IndexPath& indexPath) {
  auto cell = dequeueReusableCellWithIdentifier(identifier);
  if (!cell) {
    throw objc::RuntimeError("unable to dequeue a cell with identifier " + identifier +
                             ": register a class for it first");
  }
  if (isValid(indexPath)) {
    CGRect frame = cellFrame(indexPath->section(), indexPath->row());
    if (!(cell->frame() == frame)) cell->setFrame(frame);
  }
  return cell;
}

std::vector<std::shared_ptr<UITableViewCell>> UITableView::visibleCells() {
  layoutRowsIfNeeded();
  std::vector<std::shared_ptr<UITableViewCell>> cells;
  for (auto& [key, cell] : visibleCells_) cells.push_back(cell);
  return cells;
}

std::vector<IndexPath> UITableView::indexPathsForVisibleRows() {
  layoutRowsIfNeeded();
  std::vector<IndexPath> paths;
  for (auto& [key, cell] : visibleCells_) {
    paths.push_back(NSIndexPath::indexPathForRow(key.second, key.first));
  }
  return paths;
}

std::shared_ptr<UITableViewCell> UITableView::cellForRowAtIndexPath(const IndexPath& indexPath) {
  if (!indexPath) return nullptr;
  layoutRowsIfNeeded();
  auto found = visibleCells_.find({indexPath->section(), indexPath->row()});
  return found == visibleCells_.end() ? nullptr : found->second;
}
