#include "uikit/NSStringDrawing.h"

#include <cmath>
#include <cstring>
#include <list>
#include <string>
#include <unordered_map>

#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "uikit/NSAttributedString.h"
#include "uikit/TextLayout.h"
#include "uikit/UIFont.h"

namespace {

// Holds the measurements of a long chat's rows, reloaded whole, with room to spare.
constexpr size_t kDefaultCapacity = 16384;

struct Measured {
  CGSize size;
  CGFloat baseline;
};

class MeasurementCache {
 public:
  const Measured* find(const std::string& key) {
    auto found = index_.find(key);
    if (found == index_.end()) return nullptr;
    entries_.splice(entries_.begin(), entries_, found->second);
    return &found->second->measured;
  }

  void insert(std::string key, Measured measured) {
    if (capacity_ == 0) return;
    entries_.push_front({std::move(key), measured});
    index_.emplace(entries_.front().key, entries_.begin());
    while (entries_.size() > capacity_) {
      index_.erase(entries_.back().key);
      entries_.pop_back();
    }
  }

  void clear() {
    index_.clear();
    entries_.clear();
  }
  size_t count() const { return entries_.size(); }
  size_t capacity() const { return capacity_; }
  void setCapacity(size_t capacity) {
    capacity_ = capacity;
    while (entries_.size() > capacity_) {
      index_.erase(entries_.back().key);
      entries_.pop_back();
    }
  }

 private:
  struct Entry {
    std::string key;
    Measured measured;
  };
  std::list<Entry> entries_;  // most recently used first
  // Keys view the entries' own strings, which list nodes keep in place.
  std::unordered_map<std::string_view, std::list<Entry>::iterator> index_;
  size_t capacity_ = kDefaultCapacity;
};

MeasurementCache& cache() {
  static MeasurementCache shared;
  return shared;
}

// One layout, reused by every measurement.
TextLayout& scratchLayout() {
  static TextLayout layout;
  return layout;
}

// ---- Cache keys: the bytes of everything that decides a size ----

template <class T>
void append(std::string& key, const T& value) {
  key.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// Every unlimited extent is the same extent.
CGFloat normalizedExtent(CGFloat extent) {
  return std::isfinite(extent) && extent > 0 && extent < 1e6 ? extent : 0;
}

void appendBox(std::string& key, CGSize size) {
  append(key, normalizedExtent(size.width));
  append(key, normalizedExtent(size.height));
}

void appendAttributes(std::string& key, const NSDictionary* attributes) {
  CGFloat font[3] = {0, 0, 0};
  CGFloat kern = 0;
  CGFloat paragraph[3] = {0, NSTextAlignmentNatural, NSLineBreakByWordWrapping};
  if (attributes) {
    for (const NSDictionary::Entry& entry : attributes->entries()) {
      auto* name = dynamic_cast<NSString*>(entry.key.get());
      if (!name) continue;
      if (name->isEqualToString(NSFontAttributeName)) {
        if (auto* f = dynamic_cast<UIFont*>(entry.value.get())) {
          font[0] = f->pointSize();
          font[1] = f->weight();
          font[2] = f->isItalic();
        }
      } else if (name->isEqualToString(NSKernAttributeName)) {
        if (auto* number = dynamic_cast<NSNumber*>(entry.value.get())) kern = number->doubleValue();
      } else if (name->isEqualToString(NSParagraphStyleAttributeName)) {
        if (auto* style = dynamic_cast<NSParagraphStyle*>(entry.value.get())) {
          paragraph[0] = style->lineSpacing();
          paragraph[1] = style->alignment();
          paragraph[2] = style->lineBreakMode();
        }
      }
    }
  }
  append(key, font);
  append(key, kern);
  append(key, paragraph);
}

void appendUnits(std::string& key, const NSString& string) {
  const std::u16string& units = string.characters();
  append(key, units.size());
  key.append(reinterpret_cast<const char*>(units.data()), units.size() * sizeof(char16_t));
}

void appendAttributedString(std::string& key, const NSAttributedString& text) {
  appendUnits(key, *text.string());
  text.enumerateAttributesInRange(
      NSMakeRange(0, text.length()), 0,
      [&](const std::shared_ptr<NSDictionary>& attributes, NSRange range, bool*) {
        append(key, range);
        appendAttributes(key, attributes.get());
      });
}

// ---- Measuring ----

template <class Configure>
Measured measure(std::string key, const Configure& configure) {
  MeasurementCache& shared = cache();
  if (const Measured* found = shared.find(key)) return *found;
  TextLayout& layout = scratchLayout();
  configure(layout);
  Measured measured{layout.size(), layout.firstBaseline()};
  shared.insert(std::move(key), measured);
  return measured;
}

void applyOptions(TextLayout& layout, CGSize size, NSStringDrawingOptions options) {
  bool lines = options & NSStringDrawingUsesLineFragmentOrigin;
  layout.setSingleLine(!lines);
  layout.setSize(lines ? size : CGSizeZero);
  layout.setNumberOfLines(0);
  layout.setTruncatesLastVisibleLine(lines && (options & NSStringDrawingTruncatesLastVisibleLine));
}

std::string drawingKey(char kind, CGSize size, NSStringDrawingOptions options) {
  std::string key(1, kind);
  key.reserve(256);
  appendBox(key, size);
  // Only the options that change a size.
  append(key, options & (NSStringDrawingUsesLineFragmentOrigin |
                         NSStringDrawingTruncatesLastVisibleLine));
  return key;
}

CGRect rectFor(const Measured& measured, NSStringDrawingOptions options) {
  CGFloat top = options & NSStringDrawingUsesLineFragmentOrigin ? 0 : -measured.baseline;
  return CGRectMake(0, top, measured.size.width, measured.size.height);
}

}  // namespace

namespace NSStringDrawing {

CGRect boundingRectWithSize(const NSString& string, CGSize size, NSStringDrawingOptions options,
                            const std::shared_ptr<NSDictionary>& attributes) {
  if (string.length() == 0) return CGRectZero;
  std::string key = drawingKey('U', size, options);
  appendAttributes(key, attributes.get());
  appendUnits(key, string);
  return rectFor(measure(std::move(key),
                         [&](TextLayout& layout) {
                           layout.setText(string, attributes.get());
                           applyOptions(layout, size, options);
                         }),
                 options);
}

CGRect boundingRectWithSize(std::string_view utf8, CGSize size, NSStringDrawingOptions options,
                            const std::shared_ptr<NSDictionary>& attributes) {
  if (utf8.empty()) return CGRectZero;
  std::string key = drawingKey('8', size, options);
  appendAttributes(key, attributes.get());
  key.append(utf8);
  return rectFor(measure(std::move(key),
                         [&](TextLayout& layout) {
                           layout.setText(utf8, attributes.get());
                           applyOptions(layout, size, options);
                         }),
                 options);
}

CGRect boundingRectWithSize(const NSAttributedString& string, CGSize size,
                            NSStringDrawingOptions options) {
  if (string.length() == 0) return CGRectZero;
  std::string key = drawingKey('A', size, options);
  appendAttributedString(key, string);
  return rectFor(measure(std::move(key),
                         [&](TextLayout& layout) {
                           layout.setAttributedText(string);
                           applyOptions(layout, size, options);
                         }),
                 options);
}

CGSize sizeWithAttributes(const NSString& string, const std::shared_ptr<NSDictionary>& attributes) {
  return boundingRectWithSize(string, CGSizeZero, NSStringDrawingUsesLineFragmentOrigin, attributes)
      .size;
}

CGSize sizeWithAttributes(std::string_view utf8, const std::shared_ptr<NSDictionary>& attributes) {
  return boundingRectWithSize(utf8, CGSizeZero, NSStringDrawingUsesLineFragmentOrigin, attributes)
      .size;
}

CGSize size(const NSAttributedString& string) {
  return boundingRectWithSize(string, CGSizeZero, NSStringDrawingUsesLineFragmentOrigin).size;
}

CGSize sizeOfLabelText(const NSAttributedString& text, CGSize size, NSInteger numberOfLines,
                       NSLineBreakMode lineBreakMode) {
  if (text.length() == 0) return CGSizeZero;
  std::string key(1, 'L');
  appendBox(key, size);
  append(key, numberOfLines);
  append(key, lineBreakMode);
  appendAttributedString(key, text);
  return measure(std::move(key),
                 [&](TextLayout& layout) {
                   layout.setAttributedText(text);
                   layout.setLineBreakMode(lineBreakMode);
                   layout.setSingleLine(false);
                   layout.setSize(size);
                   layout.setNumberOfLines(numberOfLines);
                   layout.setTruncatesLastVisibleLine(true);
                 })
      .size;
}

void clearMeasurementCache() {
  cache().clear();
}

size_t measurementCacheCount() {
  return cache().count();
}

size_t measurementCacheCapacity() {
  return cache().capacity();
}

void setMeasurementCacheCapacity(size_t capacity) {
  cache().setCapacity(capacity);
}

}  // namespace NSStringDrawing
