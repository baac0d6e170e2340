// Selection: by the user's tap (highlight while the finger is down, select when it lifts on the
// same row, telling the delegate) and in code (telling no one).

#include "uikit/UITableView.h"
#include "uikit/UITouch.h"

namespace {

std::shared_ptr<UITouch> findTouch(const UITouchSet& touches,
                                   const std::shared_ptr<UITouch>& touch) {
  for (auto& candidate : touches) {
    if (candidate == touch) return candidate;
  }
  return nullptr;
}

}  // namespace

bool UITableView::isRowSelected(long section, long row) const {
  return selectedRows_.count({section, row}) != 0;
}

IndexPath UITableView::indexPathForSelectedRow() const {
  if (selectedRows_.empty()) return nullptr;
  const RowKey& first = *selectedRows_.begin();
  return NSIndexPath::indexPathForRow(first.second, first.first);
}

std::vector<IndexPath> UITableView::indexPathsForSelectedRows() const {
  std::vector<IndexPath> paths;
  for (const RowKey& key : selectedRows_) {
    paths.push_back(NSIndexPath::indexPathForRow(key.second, key.first));
  }
  return paths;
}

void UITableView::setAllowsSelection(bool allows) {
  allowsSelection_ = allows;
  if (allows) return;
  for (const RowKey& key : std::set<RowKey>(selectedRows_)) {
    deselectRowAtIndexPath(NSIndexPath::indexPathForRow(key.second, key.first), false);
  }
}

void UITableView::selectRowAtIndexPath(const IndexPath& indexPath, bool animated,
                                       UITableViewScrollPosition position) {
  if (!indexPath) {
    // nil clears the selection, as on the platform.
    for (const RowKey& key : std::set<RowKey>(selectedRows_)) {
      deselectRowAtIndexPath(NSIndexPath::indexPathForRow(key.second, key.first), animated);
    }
    return;
  }
  if (!isValid(indexPath) || !allowsSelection_) return;
  if (!allowsMultipleSelection_) {
    for (const RowKey& key : std::set<RowKey>(selectedRows_)) {
      if (key != RowKey{indexPath->section(), indexPath->row()}) {
        deselectRowAtIndexPath(NSIndexPath::indexPathForRow(key.second, key.first), animated);
      }
    }
  }
  selectedRows_.emplace(indexPath->section(), indexPath->row());
  auto found = visibleCells_.find({indexPath->section(), indexPath->row()});
  if (found != visibleCells_.end()) found->second->setSelected(true, animated);
  if (position != UITableViewScrollPositionNone) {
    scrollToRowAtIndexPath(indexPath, position, animated);
  }
}

void UITableView::deselectRowAtIndexPath(const IndexPath& indexPath, bool animated) {
  if (!indexPath) return;
  RowKey key{indexPath->section(), indexPath->row()};
  selectedRows_.erase(key);
  auto found = visibleCells_.find(key);
  if (found != visibleCells_.end() && found->second->isSelected()) {
    found->second->setSelected(false, animated);
  }
}

void UITableView::selectRowByUser(const IndexPath& indexPath) {
  auto keep = selfAs<UITableView>();
  auto delegate = this->delegate();
  IndexPath target = delegate ? delegate->willSelectRowAtIndexPath(keep, indexPath) : indexPath;
  if (!isValid(target)) return;
  RowKey key{target->section(), target->row()};

  // The cells may change under a delegate call (it may reload), so each is looked up afresh.
  auto deselect = [&](const RowKey& row) {
    auto path = NSIndexPath::indexPathForRow(row.second, row.first);
    deselectRowAtIndexPath(path, false);
    if (auto current = this->delegate()) current->didDeselectRowAtIndexPath(keep, path);
  };
  if (allowsMultipleSelection_ && isRowSelected(key.first, key.second)) {
    deselect(key);
    return;
  }
  if (!allowsMultipleSelection_) {
    for (const RowKey& row : std::set<RowKey>(selectedRows_)) {
      if (row != key) deselect(row);
    }
  }
  selectedRows_.insert(key);
  auto found = visibleCells_.find(key);
  if (found != visibleCells_.end()) found->second->setSelected(true, false);
  if (auto current = this->delegate()) current->didSelectRowAtIndexPath(keep, target);
}

// ---- Touches ----

void UITableView::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  bool selectable = allowsSelection_ && (!editing_ || allowsSelectionDuringEditing_);
  if (trackedTouch_ || !selectable || touches.empty()) {
    if (!trackedTouch_) UIScrollView::touchesBegan(touches, event);
    return;
  }
  auto keep = selfAs<UITableView>();
  auto touch = touches.front();
  auto indexPath = indexPathForRowAtPoint(touch->locationInView(keep));
  auto delegate = this->delegate();
  if (!indexPath || (delegate && !delegate->shouldHighlightRowAtIndexPath(keep, indexPath))) {
    UIScrollView::touchesBegan(touches, event);
    return;
  }
  trackedTouch_ = touch;
  trackedRow_ = indexPath;
  if (auto cell = cellForRowAtIndexPath(indexPath)) cell->setHighlighted(true, false);
}

void UITableView::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  auto touch = findTouch(touches, trackedTouch_);
  if (!touch) {
    if (!trackedTouch_) UIScrollView::touchesMoved(touches, event);
    return;
  }
  if (!trackedRow_) return;
  // A finger that slides off its row leaves it unselected.
  auto now = indexPathForRowAtPoint(touch->locationInView(selfAs<UITableView>()));
  if (!now || !(*now == *trackedRow_)) {
    if (auto cell = cellForRowAtIndexPath(trackedRow_)) cell->setHighlighted(false, false);
    trackedRow_ = nullptr;
  }
}

void UITableView::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  auto touch = findTouch(touches, trackedTouch_);
  if (!touch) {
    if (!trackedTouch_) UIScrollView::touchesEnded(touches, event);
    return;
  }
  auto row = trackedRow_;
  endTouchTracking();
  if (row) selectRowByUser(row);
}

void UITableView::touchesCancelled(const UITouchSet& touches,
                                   const std::shared_ptr<UIEvent>& event) {
  if (!findTouch(touches, trackedTouch_)) {
    if (!trackedTouch_) UIScrollView::touchesCancelled(touches, event);
    return;
  }
  endTouchTracking();
}

void UITableView::endTouchTracking() {
  if (trackedRow_) {
    auto found = visibleCells_.find({trackedRow_->section(), trackedRow_->row()});
    if (found != visibleCells_.end()) found->second->setHighlighted(false, false);
  }
  trackedTouch_.reset();
  trackedRow_.reset();
}
