#include "uikit/NSIndexPath.h"

#include <cstdio>

OBJC_CLASS_IMPL(NSIndexPath) {
  c.method("section", &NSIndexPath::section).method("row", &NSIndexPath::row);
}

std::shared_ptr<NSIndexPath> NSIndexPath::indexPathForRow(long row, long section) {
  auto path = alloc();
  path->row_ = row;
  path->section_ = section;
  return path;
}

long NSIndexPath::compare(const NSIndexPath& other) const {
  if (section_ != other.section_) return section_ < other.section_ ? -1 : 1;
  if (row_ != other.row_) return row_ < other.row_ ? -1 : 1;
  return 0;
}

bool NSIndexPath::isEqual(const id& other) const {
  auto* path = dynamic_cast<const NSIndexPath*>(other.get());
  return path && *path == *this;
}

size_t NSIndexPath::hash() const {
  return static_cast<size_t>(section_) * 1000003u ^ static_cast<size_t>(row_);
}

std::string NSIndexPath::description() const {
  char text[96];
  std::snprintf(text, sizeof text, "<NSIndexPath: %p> {length = 2, path = %ld - %ld}",
                static_cast<const void*>(this), section_, row_);
  return text;
}
