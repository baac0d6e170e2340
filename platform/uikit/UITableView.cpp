#include "uikit/UITableView.h"

#include <algorithm>
#include <cmath>

#include "foundation/NSLog.h"

OBJC_CLASS_IMPL(UITableView) {
  c.method("reloadData", &UITableView::reloadData)
      .method("numberOfSections", &UITableView::numberOfSections)
      .method("numberOfRowsInSection:", &UITableView::numberOfRowsInSection)
      .method("cellForRowAtIndexPath:", &UITableView::cellForRowAtIndexPath)
      .method("indexPathForRowAtPoint:", &UITableView::indexPathForRowAtPoint)
      .method("indexPathForCell:", &UITableView::indexPathForCell)
      .method("rectForRowAtIndexPath:", &UITableView::rectForRowAtIndexPath)
      .method("deselectRowAtIndexPath:animated:", &UITableView::deselectRowAtIndexPath);
}

namespace {

// The platform's standard row, and the spacing of a grouped table's sections when nothing says
// otherwise: a taller gap above the first section, then equal halves around each boundary.
constexpr CGFloat kStandardRowHeight = 44;
constexpr CGFloat kGroupedFirstHeaderHeight = 35;
constexpr CGFloat kGroupedHeaderHeight = 17.5;
constexpr CGFloat kGroupedFooterHeight = 17.5;

}  // namespace

// ---- Delegate defaults ----

CGFloat UITableViewDelegate::heightForRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                     const IndexPath&) {
  return tableView->rowHeight();
}

CGFloat UITableViewDelegate::heightForHeaderInSection(const std::shared_ptr<UITableView>& tableView,
                                                      long) {
  return tableView->sectionHeaderHeight();
}

CGFloat UITableViewDelegate::heightForFooterInSection(const std::shared_ptr<UITableView>& tableView,
                                                      long) {
  return tableView->sectionFooterHeight();
}

// ---- Making ----

UITableView::UITableView() = default;

UITableView::~UITableView() = default;

std::shared_ptr<UITableView> UITableView::initWithFrame(CGRect frame, UITableViewStyle style) {
  UIScrollView::initWithFrame(frame);
  style_ = style;
  // A table drags vertically however few rows it has.
  setAlwaysBounceVertical(true);
  setBackgroundColor(style == UITableViewStylePlain ? UIColor::systemBackgroundColor()
                                                    : UIColor::systemGroupedBackgroundColor());
  if (style == UITableViewStyleInsetGrouped) {
    separatorInset_ = UIEdgeInsetsMake(0, 16, 0, 0);
  }
  return selfAs<UITableView>();
}

void UITableView::setDataSource(const std::shared_ptr<UITableViewDataSource>& dataSource) {
  dataSource_ = dataSource;
  geometryValid_ = false;
  setNeedsLayout();
}

std::shared_ptr<UITableViewDelegate> UITableView::delegate() const {
  return std::dynamic_pointer_cast<UITableViewDelegate>(UIScrollView::delegate());
}

void UITableView::setDelegate(const std::shared_ptr<UITableViewDelegate>& delegate) {
  UIScrollView::setDelegate(delegate);
  geometryValid_ = false;
  setNeedsLayout();
}

// ---- Geometry ----

long UITableView::numberOfRowsInSection(long section) const {
  if (section < 0 || section >= numberOfSections()) return 0;
  return sections_[static_cast<size_t>(section)].rowCount();
}

CGFloat UITableView::standardHeaderHeight(long section) const {
  if (style_ == UITableViewStylePlain) return 0;
  return section == 0 ? kGroupedFirstHeaderHeight : kGroupedHeaderHeight;
}

CGFloat UITableView::standardFooterHeight(long) const {
  return style_ == UITableViewStylePlain ? 0 : kGroupedFooterHeight;
}

void UITableView::computeGeometry() {
  auto me = selfAs<UITableView>();
  auto source = dataSource();
  auto delegate = this->delegate();
  long count = source ? std::max(0L, source->numberOfSectionsInTableView(me)) : 0;

  sections_.assign(static_cast<size_t>(count), Section{});
  CGFloat fallbackRow = rowHeight_ >= 0 ? rowHeight_ : UITableViewAutomaticDimension;
  for (long s = 0; s < count; ++s) {
    Section& section = sections_[static_cast<size_t>(s)];
    CGFloat header = delegate ? delegate->heightForHeaderInSection(me, s) : sectionHeaderHeight_;
    CGFloat footer = delegate ? delegate->heightForFooterInSection(me, s) : sectionFooterHeight_;
    section.headerHeight = header >= 0 ? header : standardHeaderHeight(s);
    section.footerHeight = footer >= 0 ? footer : standardFooterHeight(s);
    // Automatic header and footer heights without a view keep the style's spacing; a view asks
    // for its own height once it is made.

    long rows = std::max(0L, source->numberOfRowsInSection(me, s));
    section.rowOffsets.resize(static_cast<size_t>(rows) + 1);
    section.unmeasured.assign(static_cast<size_t>(rows), false);
    CGFloat y = 0;
    for (long r = 0; r < rows; ++r) {
      section.rowOffsets[static_cast<size_t>(r)] = y;
      CGFloat height = fallbackRow;
      if (delegate)
        height = delegate->heightForRowAtIndexPath(me, NSIndexPath::indexPathForRow(r, s));
      if (height < 0 || !std::isfinite(height)) {
        // The cell will tell; until it is made, the estimate holds its place.
        section.unmeasured[static_cast<size_t>(r)] = true;
        height = estimatedRowHeight_ > 0 ? estimatedRowHeight_ : kStandardRowHeight;
      }
      y += height;
    }
    section.rowOffsets[static_cast<size_t>(rows)] = y;
  }
  restackSections(0);
  geometryValid_ = true;
}

void UITableView::restackSections(size_t from) {
  sectionsTop_ = tableHeaderView_ ? tableHeaderView_->frame().size.height : 0;
  CGFloat y = from == 0 || sections_.empty() ? sectionsTop_ : sections_[from - 1].bottom();
  for (size_t s = from; s < sections_.size(); ++s) {
    sections_[s].top = y;
    y = sections_[s].bottom();
  }
  updateContentSize();
}

void UITableView::updateContentSize() {
  CGFloat height = sections_.empty() ? sectionsTop_ : sections_.back().bottom();
  if (tableFooterView_) height += tableFooterView_->frame().size.height;
  setContentSize(CGSizeMake(bounds().size.width, height));
}

bool UITableView::isValid(const IndexPath& indexPath) const {
  return indexPath && indexPath->section() >= 0 && indexPath->section() < numberOfSections() &&
         indexPath->row() >= 0 && indexPath->row() < numberOfRowsInSection(indexPath->section());
}

CGRect UITableView::rowRect(long section, long row) const {
  if (row < 0) return CGRectMake(0, 0, bounds().size.width, rowHeight_ >= 0 ? rowHeight_ : 44);
  const Section& s = sections_[static_cast<size_t>(section)];
  CGFloat top = s.rowsTop() + s.rowOffsets[static_cast<size_t>(row)];
  CGFloat height =
      s.rowOffsets[static_cast<size_t>(row) + 1] - s.rowOffsets[static_cast<size_t>(row)];
  return CGRectMake(0, top, bounds().size.width, height);
}

CGRect UITableView::cellFrame(long section, long row) const {
  CGRect rect = rowRect(section, row);
  if (style_ == UITableViewStyleInsetGrouped) {
    UIEdgeInsets safe = safeAreaInsets();
    CGFloat left = kInsetGroupedMargin + safe.left, right = kInsetGroupedMargin + safe.right;
    rect.origin.x = left;
    rect.size.width = std::max(0.0, rect.size.width - left - right);
  }
  return rect;
}

std::vector<UITableView::RowKey> UITableView::rowsBetween(CGFloat top, CGFloat bottom) const {
  std::vector<RowKey> rows;
  // The first section that reaches below the top, then its rows by binary search.
  auto first = std::upper_bound(sections_.begin(), sections_.end(), top,
                                [](CGFloat y, const Section& s) { return y < s.bottom(); });
  for (auto it = first; it != sections_.end() && it->top < bottom; ++it) {
    long section = static_cast<long>(it - sections_.begin());
    const auto& offsets = it->rowOffsets;
    CGFloat rowsTop = it->rowsTop();
    auto begin = std::upper_bound(offsets.begin(), offsets.end() - 1, top - rowsTop);
    long row = std::max(0L, static_cast<long>(begin - offsets.begin()) - 1);
    for (; row < it->rowCount(); ++row) {
      CGFloat rowTop = rowsTop + offsets[static_cast<size_t>(row)];
      CGFloat rowBottom = rowsTop + offsets[static_cast<size_t>(row) + 1];
      if (rowTop >= bottom) break;
      if (rowBottom > top && rowBottom > rowTop) rows.emplace_back(section, row);
    }
  }
  return rows;
}

CGRect UITableView::rectForRowAtIndexPath(const IndexPath& indexPath) const {
  if (!isValid(indexPath)) return CGRectZero;
  return rowRect(indexPath->section(), indexPath->row());
}

CGRect UITableView::rectForSection(long section) const {
  if (section < 0 || section >= numberOfSections()) return CGRectZero;
  const Section& s = sections_[static_cast<size_t>(section)];
  return CGRectMake(0, s.top, bounds().size.width, s.bottom() - s.top);
}

CGRect UITableView::rectForHeaderInSection(long section) const {
  if (section < 0 || section >= numberOfSections()) return CGRectZero;
  const Section& s = sections_[static_cast<size_t>(section)];
  return CGRectMake(0, s.top, bounds().size.width, s.headerHeight);
}

CGRect UITableView::rectForFooterInSection(long section) const {
  if (section < 0 || section >= numberOfSections()) return CGRectZero;
  const Section& s = sections_[static_cast<size_t>(section)];
  return CGRectMake(0, s.rowsTop() + s.rowsHeight(), bounds().size.width, s.footerHeight);
}

IndexPath UITableView::indexPathForRowAtPoint(CGPoint point) const {
  if (point.x < 0 || point.x >= bounds().size.width) return nullptr;
  auto rows = rowsBetween(point.y, std::nextafter(point.y, CGFLOAT_MAX));
  if (rows.empty()) return nullptr;
  return NSIndexPath::indexPathForRow(rows.front().second, rows.front().first);
}

IndexPath UITableView::indexPathForCell(const std::shared_ptr<UITableViewCell>& cell) const {
  for (auto& [key, visible] : visibleCells_) {
    if (visible == cell) return NSIndexPath::indexPathForRow(key.second, key.first);
  }
  return nullptr;
}

void UITableView::measureRow(long section, long row, const std::shared_ptr<UITableViewCell>& cell) {
  Section& s = sections_[static_cast<size_t>(section)];
  auto index = static_cast<size_t>(row);
  if (!s.unmeasured[index]) return;
  s.unmeasured[index] = false;
  // The content view's constraints decide its height at the cell's width.
  CGFloat width = cellFrame(section, row).size.width;
  auto content = cell->contentView();
  bool translated = content->translatesAutoresizingMaskIntoConstraints();
  content->setTranslatesAutoresizingMaskIntoConstraints(false);
  // Constraints the content could not meet at the cell's first, standard size were set aside
  // then; they get another chance now that nothing holds the content to that size.
  std::function<void(UIView&)> readd = [&](UIView& view) {
    auto held = view.constraints();
    view.removeConstraints(held);
    view.addConstraints(held);
    for (auto& subview : view.subviews()) readd(*subview);
  };
  readd(*content);
  auto widthConstraint = content->widthAnchor().constraintEqualToConstant(width);
  widthConstraint->setActive(true);
  CGFloat height = content->systemLayoutSizeFittingSize(CGSizeMake(width, 0)).height;
  widthConstraint->setActive(false);
  if (height <= 0 || !std::isfinite(height)) height = kStandardRowHeight;
  height = std::ceil(height);
  // At its measured size before its frame is pinned again, so the two never disagree.
  CGRect frame = cell->frame();
  cell->setFrame(CGRectMake(frame.origin.x, frame.origin.y, width, height));
  content->setFrame(CGRectMake(0, 0, width, height));
  content->setTranslatesAutoresizingMaskIntoConstraints(translated);

  CGFloat old = s.rowOffsets[index + 1] - s.rowOffsets[index];
  if (height == old) return;
  for (size_t r = index + 1; r < s.rowOffsets.size(); ++r) s.rowOffsets[r] += height - old;
  restackSections(static_cast<size_t>(section) + 1);
}

// ---- Headers, footers, background ----

void UITableView::setTableHeaderView(std::shared_ptr<UIView> view) {
  if (tableHeaderView_ && tableHeaderView_->superview().get() == this) {
    tableHeaderView_->removeFromSuperview();
  }
  tableHeaderView_ = std::move(view);
  if (tableHeaderView_) addSubview(tableHeaderView_);
  if (geometryValid_) restackSections(0);
  placeTableHeaderAndFooter();
  rowsNeedLayout_ = true;
  setNeedsLayout();
}

void UITableView::setTableFooterView(std::shared_ptr<UIView> view) {
  if (tableFooterView_ && tableFooterView_->superview().get() == this) {
    tableFooterView_->removeFromSuperview();
  }
  tableFooterView_ = std::move(view);
  if (tableFooterView_) addSubview(tableFooterView_);
  if (geometryValid_) updateContentSize();
  placeTableHeaderAndFooter();
  setNeedsLayout();
}

void UITableView::setBackgroundView(std::shared_ptr<UIView> view) {
  if (backgroundView_ && backgroundView_->superview().get() == this) {
    backgroundView_->removeFromSuperview();
  }
  backgroundView_ = std::move(view);
  if (backgroundView_) {
    insertSubview(backgroundView_, 0);
    backgroundView_->setFrame(bounds());
  }
}

std::shared_ptr<UIView> UITableView::headerViewForSection(long section) const {
  if (section < 0 || section >= numberOfSections()) return nullptr;
  return sections_[static_cast<size_t>(section)].headerView;
}

std::shared_ptr<UIView> UITableView::footerViewForSection(long section) const {
  if (section < 0 || section >= numberOfSections()) return nullptr;
  return sections_[static_cast<size_t>(section)].footerView;
}

// ---- Scrolling to a row ----

void UITableView::scrollToRowAtIndexPath(const IndexPath& indexPath,
                                         UITableViewScrollPosition position, bool animated) {
  if (!geometryValid_) reloadRows();
  if (!isValid(indexPath)) {
    NSLog("Ignoring a scroll to a row that does not exist: %s",
          indexPath ? indexPath->description().c_str() : "nil");
    return;
  }
  CGRect row = rowRect(indexPath->section(), indexPath->row());
  UIEdgeInsets insets = adjustedContentInset();
  CGFloat height = bounds().size.height;
  CGFloat visibleTop = insets.top, visibleHeight = height - insets.top - insets.bottom;
  CGPoint offset = contentOffset();
  if (position == UITableViewScrollPositionNone) {
    if (CGRectGetMinY(row) < offset.y + visibleTop) {
      position = UITableViewScrollPositionTop;
    } else if (CGRectGetMaxY(row) > offset.y + visibleTop + visibleHeight) {
      position = UITableViewScrollPositionBottom;
    } else {
      return;
    }
  }
  switch (position) {
    case UITableViewScrollPositionTop:
      offset.y = CGRectGetMinY(row) - visibleTop;
      break;
    case UITableViewScrollPositionMiddle:
      offset.y = CGRectGetMidY(row) - visibleTop - visibleHeight / 2;
      break;
    default:
      offset.y = CGRectGetMaxY(row) - visibleTop - visibleHeight;
      break;
  }
  offset.y = std::clamp(offset.y, minimumContentOffset().y, maximumContentOffset().y);
  setContentOffset(offset, animated);
}

// ---- Changes ----

void UITableView::insertRowsAtIndexPaths(const std::vector<IndexPath>&, UITableViewRowAnimation) {
  reloadData();
}

void UITableView::deleteRowsAtIndexPaths(const std::vector<IndexPath>&, UITableViewRowAnimation) {
  reloadData();
}

void UITableView::reloadRowsAtIndexPaths(const std::vector<IndexPath>&, UITableViewRowAnimation) {
  reloadData();
}

void UITableView::setEditing(bool editing, bool animated) {
  editing_ = editing;
  for (auto& [key, cell] : visibleCells_) cell->setEditing(editing, animated);
}

// ---- Separators ----

void UITableView::setSeparatorStyle(UITableViewCellSeparatorStyle style) {
  separatorStyle_ = style;
  rowsNeedLayout_ = true;
  for (auto& [key, cell] : visibleCells_) configureCell(cell, key.first, key.second);
}

void UITableView::setSeparatorColor(std::shared_ptr<UIColor> color) {
  separatorColor_ = std::move(color);
  for (auto& [key, cell] : visibleCells_) configureCell(cell, key.first, key.second);
}

void UITableView::setSeparatorInset(UIEdgeInsets insets) {
  separatorInset_ = insets;
  for (auto& [key, cell] : visibleCells_) configureCell(cell, key.first, key.second);
}
