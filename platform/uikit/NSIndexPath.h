#pragma once

#include <memory>
#include <string>

#include "runtime/NSObject.h"

// A row of a table: its section and its row in that section. Immutable. Compare index paths with
// isEqual or their values, never by pointer: each call that answers one may make a new object.
class NSIndexPath : public NSObject {
  OBJC_CLASS(NSIndexPath, NSObject);

 public:
  static std::shared_ptr<NSIndexPath> indexPathForRow(long row, long section);
  // The collection-view spelling of the same pair.
  static std::shared_ptr<NSIndexPath> indexPathForItem(long item, long section) {
    return indexPathForRow(item, section);
  }

  long section() const { return section_; }
  long row() const { return row_; }
  long item() const { return row_; }

  // Orders by section, then row: -1, 0 or 1 (NSOrderedAscending, NSOrderedSame,
  // NSOrderedDescending).
  long compare(const NSIndexPath& other) const;
  bool operator==(const NSIndexPath& other) const {
    return section_ == other.section_ && row_ == other.row_;
  }
  bool operator<(const NSIndexPath& other) const { return compare(other) < 0; }

  bool isEqual(const id& other) const override;
  size_t hash() const override;
  std::string description() const override;

 private:
  long section_ = 0;
  long row_ = 0;
};
