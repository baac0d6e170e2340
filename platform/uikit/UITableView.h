#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "uikit/Forward.h"
#include "uikit/NSIndexPath.h"
#include "uikit/UIScrollView.h"
#include "uikit/UITableViewCell.h"

enum UITableViewStyle : long {
  UITableViewStylePlain = 0,
  UITableViewStyleGrouped = 1,
  // Grouped, with each section a card inset from the sides with rounded corners.
  UITableViewStyleInsetGrouped = 2,
};

enum UITableViewScrollPosition : long {
  // Scrolls the least distance that shows the whole row.
  UITableViewScrollPositionNone = 0,
  UITableViewScrollPositionTop = 1,
  UITableViewScrollPositionMiddle = 2,
  UITableViewScrollPositionBottom = 3,
};

enum UITableViewRowAnimation : long {
  UITableViewRowAnimationFade = 0,
  UITableViewRowAnimationRight = 1,
  UITableViewRowAnimationLeft = 2,
  UITableViewRowAnimationTop = 3,
  UITableViewRowAnimationBottom = 4,
  UITableViewRowAnimationNone = 5,
  UITableViewRowAnimationMiddle = 6,
  UITableViewRowAnimationAutomatic = 100,
};

// As a row, header or footer height: let the content decide (a cell's Auto Layout height, the
// style's standard spacing for a header or footer).
inline constexpr CGFloat UITableViewAutomaticDimension = -1;

using IndexPath = std::shared_ptr<NSIndexPath>;

// Where the rows come from. The table asks for the counts on reloadData and for a cell only when
// its row comes into view.
class UITableViewDataSource {
 public:
  virtual ~UITableViewDataSource() = default;

  virtual long numberOfSectionsInTableView(const std::shared_ptr<UITableView>&) { return 1; }
  virtual long numberOfRowsInSection(const std::shared_ptr<UITableView>& tableView,
                                     long section) = 0;
  // Must answer a cell (dequeued or new); a table cannot show a row without one.
  virtual std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(
      const std::shared_ptr<UITableView>& tableView, const IndexPath& indexPath) = 0;
};

// How the rows look and what selecting them does. Every method is optional; the defaults give
// the table's own settings.
class UITableViewDelegate : public UIScrollViewDelegate {
 public:
  // Asked for every row on reloadData. UITableViewAutomaticDimension sizes the row by its cell.
  virtual CGFloat heightForRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                          const IndexPath& indexPath);
  virtual CGFloat heightForHeaderInSection(const std::shared_ptr<UITableView>& tableView,
                                           long section);
  virtual CGFloat heightForFooterInSection(const std::shared_ptr<UITableView>& tableView,
                                           long section);
  // Asked when the section comes into view.
  virtual std::shared_ptr<UIView> viewForHeaderInSection(const std::shared_ptr<UITableView>&,
                                                         long) {
    return nullptr;
  }
  virtual std::shared_ptr<UIView> viewForFooterInSection(const std::shared_ptr<UITableView>&,
                                                         long) {
    return nullptr;
  }

  virtual void willDisplayCell(const std::shared_ptr<UITableView>&,
                               const std::shared_ptr<UITableViewCell>&, const IndexPath&) {}
  virtual void didEndDisplayingCell(const std::shared_ptr<UITableView>&,
                                    const std::shared_ptr<UITableViewCell>&, const IndexPath&) {}

  // Selection by the user's tap (not by selectRowAtIndexPath / deselectRowAtIndexPath).
  virtual bool shouldHighlightRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                             const IndexPath&) {
    return true;
  }
  // Answers the row to select instead, or nil to select none.
  virtual IndexPath willSelectRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                             const IndexPath& indexPath) {
    return indexPath;
  }
  virtual void didSelectRowAtIndexPath(const std::shared_ptr<UITableView>&, const IndexPath&) {}
  virtual void didDeselectRowAtIndexPath(const std::shared_ptr<UITableView>&, const IndexPath&) {}
};

// A scrolling list of rows in sections. Row geometry (every height) is taken on reloadData; the
// cells exist only for the rows in view, made during layout as the offset changes, and the cells
// that leave the view wait in a reuse pool by their reuse identifier.
//
// Content, top to bottom: the table header view, then per section its header, rows and footer,
// then the table footer view. In the inset-grouped style the cells are inset 20 points from the
// sides and a section's first and last cell round their outer corners (10 points).
class UITableView : public UIScrollView {
  OBJC_CLASS(UITableView, UIScrollView);

 public:
  UITableView();
  ~UITableView() override;

  std::shared_ptr<UITableView> init() { return initWithFrame(CGRectZero, UITableViewStylePlain); }
  std::shared_ptr<UITableView> initWithFrame(CGRect frame) {
    return initWithFrame(frame, UITableViewStylePlain);
  }
  std::shared_ptr<UITableView> initWithFrame(CGRect frame, UITableViewStyle style);

  UITableViewStyle style() const { return style_; }

  // Both weak. Setting the delegate also makes it the scroll view's delegate.
  std::shared_ptr<UITableViewDataSource> dataSource() const { return dataSource_.lock(); }
  void setDataSource(const std::shared_ptr<UITableViewDataSource>& dataSource);
  std::shared_ptr<UITableViewDelegate> delegate() const;
  void setDelegate(const std::shared_ptr<UITableViewDelegate>& delegate);

  // Row metrics used when the delegate does not say.
  CGFloat rowHeight() const { return rowHeight_; }
  void setRowHeight(CGFloat height) { rowHeight_ = height; }
  // The height an automatic row has until its cell has measured it; 0 means the standard 44.
  CGFloat estimatedRowHeight() const { return estimatedRowHeight_; }
  void setEstimatedRowHeight(CGFloat height) { estimatedRowHeight_ = height; }
  CGFloat sectionHeaderHeight() const { return sectionHeaderHeight_; }
  void setSectionHeaderHeight(CGFloat height) { sectionHeaderHeight_ = height; }
  CGFloat sectionFooterHeight() const { return sectionFooterHeight_; }
  void setSectionFooterHeight(CGFloat height) { sectionFooterHeight_ = height; }

  // Above and below the sections; they keep their heights and take the table's width.
  std::shared_ptr<UIView> tableHeaderView() const { return tableHeaderView_; }
  void setTableHeaderView(std::shared_ptr<UIView> view);
  std::shared_ptr<UIView> tableFooterView() const { return tableFooterView_; }
  void setTableFooterView(std::shared_ptr<UIView> view);
  // Behind the content, filling the table; it does not scroll.
  std::shared_ptr<UIView> backgroundView() const { return backgroundView_; }
  void setBackgroundView(std::shared_ptr<UIView> view);

  // Asks the data source and delegate again for the counts and every height, drops the cells in
  // view into the reuse pool and lays out the rows in view afresh.
  void reloadData();
  // The rows change, and the table reloads to show them (without a row animation).
  void insertRowsAtIndexPaths(const std::vector<IndexPath>& indexPaths,
                              UITableViewRowAnimation animation);
  void deleteRowsAtIndexPaths(const std::vector<IndexPath>& indexPaths,
                              UITableViewRowAnimation animation);
  void reloadRowsAtIndexPaths(const std::vector<IndexPath>& indexPaths,
                              UITableViewRowAnimation animation);
  void beginUpdates() {}
  void endUpdates() { reloadData(); }

  long numberOfSections() const { return static_cast<long>(sections_.size()); }
  long numberOfRowsInSection(long section) const;

  // Reuse. A registered class is made when the pool has no cell for its identifier; the
  // class's initWithStyle(style, reuseIdentifier) builds it.
  template <class Cell>
  void registerClass(const std::string& reuseIdentifier) {
    registeredCells_[reuseIdentifier] = [reuseIdentifier] {
      std::shared_ptr<UITableViewCell> cell =
          Cell::alloc()->initWithStyle(UITableViewCellStyleDefault, reuseIdentifier);
      return cell;
    };
  }
  // A cell from the pool, ready for reuse (prepareForReuse has run); else a new one of the
  // registered class; else nil.
  std::shared_ptr<UITableViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier);
  // As above, and the identifier must be registered: an unregistered one is a programming
  // error and throws.
  std::shared_ptr<UITableViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier,
                                                                     const IndexPath& indexPath);

  // The cells in view, top to bottom.
  std::vector<std::shared_ptr<UITableViewCell>> visibleCells();
  std::vector<IndexPath> indexPathsForVisibleRows();
  // nil unless the row is in view.
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const IndexPath& indexPath);
  // The row under a point in the table's (content) coordinates; nil between or outside rows.
  IndexPath indexPathForRowAtPoint(CGPoint point) const;
  IndexPath indexPathForCell(const std::shared_ptr<UITableViewCell>& cell) const;
  // In the table's (content) coordinates; CGRectZero for a row that does not exist.
  CGRect rectForRowAtIndexPath(const IndexPath& indexPath) const;
  CGRect rectForSection(long section) const;
  CGRect rectForHeaderInSection(long section) const;
  CGRect rectForFooterInSection(long section) const;
  std::shared_ptr<UIView> headerViewForSection(long section) const;
  std::shared_ptr<UIView> footerViewForSection(long section) const;

  // Scrolls so the row sits at the position within the area the content insets leave, as far
  // as the content allows. A row that does not exist is ignored.
  void scrollToRowAtIndexPath(const IndexPath& indexPath, UITableViewScrollPosition position,
                              bool animated);

  // Selection.
  bool allowsSelection() const { return allowsSelection_; }
  void setAllowsSelection(bool allows);
  bool allowsMultipleSelection() const { return allowsMultipleSelection_; }
  void setAllowsMultipleSelection(bool allows) { allowsMultipleSelection_ = allows; }
  bool allowsSelectionDuringEditing() const { return allowsSelectionDuringEditing_; }
  void setAllowsSelectionDuringEditing(bool allows) { allowsSelectionDuringEditing_ = allows; }
  IndexPath indexPathForSelectedRow() const;
  std::vector<IndexPath> indexPathsForSelectedRows() const;
  // In code: the delegate is not told.
  void selectRowAtIndexPath(const IndexPath& indexPath, bool animated,
                            UITableViewScrollPosition position);
  void deselectRowAtIndexPath(const IndexPath& indexPath, bool animated);

  bool isEditing() const { return editing_; }
  void setEditing(bool editing) { setEditing(editing, false); }
  void setEditing(bool editing, bool animated);

  // Separators between rows (not after a grouped section's last row).
  UITableViewCellSeparatorStyle separatorStyle() const { return separatorStyle_; }
  void setSeparatorStyle(UITableViewCellSeparatorStyle style);
  std::shared_ptr<UIColor> separatorColor() const { return separatorColor_; }
  void setSeparatorColor(std::shared_ptr<UIColor> color);
  UIEdgeInsets separatorInset() const { return separatorInset_; }
  void setSeparatorInset(UIEdgeInsets insets);

  void layoutSubviews() override;
  // Lays out pending rows first, so a touch finds the cells the screen shows.
  std::shared_ptr<UIView> hitTest(CGPoint point, const std::shared_ptr<UIEvent>& event) override;

  // A tap on a row highlights it while the finger is down and selects it when it lifts inside.
  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

 private:
  // A row's place: section and row.
  using RowKey = std::pair<long, long>;

  // An inset-grouped section is a card this far from the table's sides, with these corners.
  static constexpr CGFloat kInsetGroupedMargin = 20;
  static constexpr CGFloat kInsetGroupedCornerRadius = 10;

  struct Section {
    CGFloat top = 0;  // where the header starts
    CGFloat headerHeight = 0;
    CGFloat footerHeight = 0;
    // Row tops relative to the section's first row, with one more entry for the end.
    std::vector<CGFloat> rowOffsets;
    // Rows whose height their cell gives, not yet measured.
    std::vector<bool> unmeasured;
    std::shared_ptr<UIView> headerView;
    std::shared_ptr<UIView> footerView;
    bool viewsAsked = false;
    CGFloat rowsTop() const { return top + headerHeight; }
    CGFloat rowsHeight() const { return rowOffsets.back(); }
    CGFloat bottom() const { return rowsTop() + rowsHeight() + footerHeight; }
    long rowCount() const { return static_cast<long>(rowOffsets.size()) - 1; }
  };

  // Geometry (UITableView.cpp).
  void computeGeometry();
  void restackSections(size_t from);
  void updateContentSize();
  CGFloat standardHeaderHeight(long section) const;
  CGFloat standardFooterHeight(long section) const;
  bool isValid(const IndexPath& indexPath) const;
  CGRect rowRect(long section, long row) const;
  // Where the row's cell goes; a row of -1 gives the width and standard height of any row.
  CGRect cellFrame(long section, long row) const;
  // The rows whose rectangles meet a vertical range of the content, in order.
  std::vector<RowKey> rowsBetween(CGFloat top, CGFloat bottom) const;
  void measureRow(long section, long row, const std::shared_ptr<UITableViewCell>& cell);

  // Cells (UITableView+Reuse.cpp).
  // reloadData without asking for another layout pass: for use inside one.
  void reloadRows();
  void layoutRows();
  void layoutRowsIfNeeded();
  void layoutSectionViews();
  void placeTableHeaderAndFooter();
  void configureCell(const std::shared_ptr<UITableViewCell>& cell, long section, long row);
  void enqueueCell(const std::shared_ptr<UITableViewCell>& cell);
  void enqueueAllCells();
  void makeCell(long section, long row);

  // Selection (UITableView+Selection.cpp).
  void selectRowByUser(const IndexPath& indexPath);
  void endTouchTracking();
  bool isRowSelected(long section, long row) const;

  UITableViewStyle style_ = UITableViewStylePlain;
  std::weak_ptr<UITableViewDataSource> dataSource_;

  CGFloat rowHeight_ = 44;
  CGFloat estimatedRowHeight_ = 0;
  CGFloat sectionHeaderHeight_ = UITableViewAutomaticDimension;
  CGFloat sectionFooterHeight_ = UITableViewAutomaticDimension;

  std::shared_ptr<UIView> tableHeaderView_;
  std::shared_ptr<UIView> tableFooterView_;
  std::shared_ptr<UIView> backgroundView_;

  std::vector<Section> sections_;
  CGFloat sectionsTop_ = 0;
  bool geometryValid_ = false;
  bool rowsNeedLayout_ = true;
  bool inLayoutRows_ = false;
  // The bounds the cells in view were laid out for.
  CGRect laidOutBounds_ = CGRectNull;

  std::map<RowKey, std::shared_ptr<UITableViewCell>> visibleCells_;
  std::unordered_map<std::string, std::vector<std::shared_ptr<UITableViewCell>>> reusePool_;
  std::unordered_map<std::string, std::function<std::shared_ptr<UITableViewCell>()>>
      registeredCells_;

  bool allowsSelection_ = true;
  bool allowsMultipleSelection_ = false;
  bool allowsSelectionDuringEditing_ = false;
  std::set<RowKey> selectedRows_;
  bool editing_ = false;
  // The row a finger is on, highlighted until the finger lifts or moves off it.
  std::shared_ptr<UITouch> trackedTouch_;
  IndexPath trackedRow_;

  UITableViewCellSeparatorStyle separatorStyle_ = UITableViewCellSeparatorStyleSingleLine;
  std::shared_ptr<UIColor> separatorColor_;
  UIEdgeInsets separatorInset_{0, 16, 0, 0};
};
