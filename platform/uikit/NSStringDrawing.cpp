#include "uikit/NSStringDrawing.h"

#include <cmath>
#include <cstring>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>

#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "uikit/NSAttributedString.h"
#include "uikit/TextLayout+Private.h"
#include "uikit/UIFont.h"
#include "uikit/WordWrapMeasurer+Private.h"

namespace {

// Holds the measurements of a long chat's rows, reloaded whole, with room to spare.
constexpr size_t kDefaultCapacity = 16384;

struct Measured {
  CGSize size;
  CGFloat baseline;
};

class MeasurementCache {
 public:
  const Measured* find(std::string_view key) {
    auto found = index_.find(key);
    if (found == index_.end()) return nullptr;
    entries_.splice(entries_.begin(), entries_, found->second);
    return &found->second->measured;
  }

  void insert(std::string_view key, Measured measured) {
    if (capacity_ == 0) return;
    entries_.push_front({std::string(key), measured});
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

WordWrapMeasurer& wordMeasurer() {
  static WordWrapMeasurer measurer;
  return measurer;
}

// The key of the measurement being made, built in place: a lookup that finds it allocates
// nothing.
std::string& scratchKey() {
  static std::string key;
  return key;
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

// The attributes that decide a size, found in one walk over the dictionary.
struct DrawingStyle {
  UIFont* font = nullptr;
  CGFloat kern = 0;
  NSParagraphStyle* paragraph = nullptr;
};

DrawingStyle readStyle(const NSDictionary* attributes) {
  DrawingStyle style;
  if (!attributes) return style;
  for (const NSDictionary::Entry& entry : attributes->entries()) {
    auto* name = dynamic_cast<NSString*>(entry.key.get());
    if (!name) continue;
    if (name->isEqualToString(NSFontAttributeName)) {
      style.font = dynamic_cast<UIFont*>(entry.value.get());
    } else if (name->isEqualToString(NSKernAttributeName)) {
      if (auto* number = dynamic_cast<NSNumber*>(entry.value.get())) {
        style.kern = number->doubleValue();
      }
    } else if (name->isEqualToString(NSParagraphStyleAttributeName)) {
      style.paragraph = dynamic_cast<NSParagraphStyle*>(entry.value.get());
    }
  }
  return style;
}

void appendStyle(std::string& key, const DrawingStyle& style) {
  CGFloat font[3] = {0, 0, 0};
  CGFloat paragraph[3] = {0, NSTextAlignmentNatural, NSLineBreakByWordWrapping};
  if (style.font) {
    font[0] = style.font->pointSize();
    font[1] = style.font->weight();
    font[2] = style.font->isItalic();
  }
  if (style.paragraph) {
    paragraph[0] = style.paragraph->lineSpacing();
    paragraph[1] = style.paragraph->alignment();
    paragraph[2] = style.paragraph->lineBreakMode();
  }
  append(key, font);
  append(key, style.kern);
  append(key, paragraph);
}

void appendAttributes(std::string& key, const NSDictionary* attributes) {
  appendStyle(key, readStyle(attributes));
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

// Unmeasured texts are laid out with Pango, unless `byWords` can measure them from word widths.
template <class ByWords, class Configure>
Measured measure(std::string_view key, const ByWords& byWords, const Configure& configure) {
  MeasurementCache& shared = cache();
  if (const Measured* found = shared.find(key)) return *found;
  std::optional<Measured> measured = byWords();
  if (!measured) {
    TextLayout& layout = scratchLayout();
    configure(layout);
    measured = Measured{layout.size(), layout.firstBaseline()};
  }
  shared.insert(key, *measured);
  return *measured;
}

auto noWordMeasure = [] { return std::optional<Measured>(); };

// Plain text in one font, wrapped by words at a width with no height limit: the shape of every
// chat message, measured from its words' widths where it can be.
std::optional<Measured> measureByWords(std::u16string_view units, const DrawingStyle& style,
                                       CGSize size, NSStringDrawingOptions options) {
  // With the cache off every call lays its text out, which is also how the two are compared.
  if (cache().capacity() == 0) return std::nullopt;
  if (!(options & NSStringDrawingUsesLineFragmentOrigin) || !style.font || style.kern != 0) {
    return std::nullopt;
  }
  if (normalizedExtent(size.width) == 0 || normalizedExtent(size.height) != 0) {
    return std::nullopt;
  }
  CGFloat lineSpacing = 0;
  if (style.paragraph) {
    if (style.paragraph->lineBreakMode() != NSLineBreakByWordWrapping ||
        style.paragraph->alignment() == NSTextAlignmentJustified) {
      return std::nullopt;
    }
    lineSpacing = style.paragraph->lineSpacing();
  }
  auto measured = wordMeasurer().measure(units, *style.font, size.width, lineSpacing);
  if (!measured) return std::nullopt;
  return Measured{measured->size, measured->firstBaseline};
}

void applyOptions(TextLayout& layout, CGSize size, NSStringDrawingOptions options) {
  bool lines = options & NSStringDrawingUsesLineFragmentOrigin;
  layout.setSingleLine(!lines);
  layout.setSize(lines ? size : CGSizeZero);
  layout.setNumberOfLines(0);
  layout.setTruncatesLastVisibleLine(lines && (options & NSStringDrawingTruncatesLastVisibleLine));
}

std::string& drawingKey(char kind, CGSize size, NSStringDrawingOptions options) {
  std::string& key = scratchKey();
  key.assign(1, kind);
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
  std::string& key = drawingKey('U', size, options);
  DrawingStyle style = readStyle(attributes.get());
  appendStyle(key, style);
  appendUnits(key, string);
  return rectFor(measure(
                     key, [&] { return measureByWords(string.characters(), style, size, options); },
                     [&](TextLayout& layout) {
                       layout.setText(string, attributes.get());
                       applyOptions(layout, size, options);
                     }),
                 options);
}

CGRect boundingRectWithSize(std::string_view utf8, CGSize size, NSStringDrawingOptions options,
                            const std::shared_ptr<NSDictionary>& attributes) {
  if (utf8.empty()) return CGRectZero;
  std::string& key = drawingKey('8', size, options);
  appendAttributes(key, attributes.get());
  key.append(utf8);
  return rectFor(measure(key, noWordMeasure,
                         [&](TextLayout& layout) {
                           layout.setText(utf8, attributes.get());
                           applyOptions(layout, size, options);
                         }),
                 options);
}

CGRect boundingRectWithSize(const NSAttributedString& string, CGSize size,
                            NSStringDrawingOptions options) {
  if (string.length() == 0) return CGRectZero;
  std::string& key = drawingKey('A', size, options);
  appendAttributedString(key, string);
  return rectFor(measure(key, noWordMeasure,
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
  std::string& key = scratchKey();
  key.assign(1, 'L');
  appendBox(key, size);
  append(key, numberOfLines);
  append(key, lineBreakMode);
  appendAttributedString(key, text);
  return measure(key, noWordMeasure,
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
  wordMeasurer().clear();
}

size_t measuredWordCount() {
  return wordMeasurer().wordCount();
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
