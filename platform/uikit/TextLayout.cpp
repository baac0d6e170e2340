#include "uikit/TextLayout+Private.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/UTF16.h"
#include "quartz/CGContext+Private.h"
#include "quartz/UIColor.h"
#include "uikit/NSAttributedString.h"
#include "uikit/UIFont+Private.h"
#include "uikit/UIFont.h"

#if defined(__SANITIZE_ADDRESS__)
#define PARLO_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PARLO_LEAK_CHECKED 1
#endif
#endif

#ifdef PARLO_LEAK_CHECKED
// Fontconfig keeps its caches where leak checking cannot follow them and holds some patterns for
// the life of the process; what it allocates is not this program's to report.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
#endif

namespace {

constexpr double kPangoScale = PANGO_SCALE;
// Pango measures in ints of 1/1024 point; anything this wide or tall is as good as unlimited.
constexpr CGFloat kUnlimited = 1e6;

bool isLimited(CGFloat extent) {
  return std::isfinite(extent) && extent > 0 && extent < kUnlimited;
}

int toPango(CGFloat points) {
  return static_cast<int>(std::lround(points * kPangoScale));
}

bool isTruncating(NSLineBreakMode mode) {
  return mode == NSLineBreakByTruncatingHead || mode == NSLineBreakByTruncatingTail ||
         mode == NSLineBreakByTruncatingMiddle;
}

PangoEllipsizeMode ellipsizeMode(NSLineBreakMode mode) {
  switch (mode) {
    case NSLineBreakByTruncatingHead:
      return PANGO_ELLIPSIZE_START;
    case NSLineBreakByTruncatingMiddle:
      return PANGO_ELLIPSIZE_MIDDLE;
    case NSLineBreakByTruncatingTail:
      return PANGO_ELLIPSIZE_END;
    default:
      return PANGO_ELLIPSIZE_NONE;
  }
}

// The attributes that layout reads, found in one walk over the dictionary.
struct RunStyle {
  UIFont* font = nullptr;
  UIColor* color = nullptr;
  NSParagraphStyle* paragraph = nullptr;
  double kern = 0;
};

RunStyle readStyle(const NSDictionary* attributes) {
  RunStyle style;
  if (!attributes) return style;
  for (const NSDictionary::Entry& entry : attributes->entries()) {
    auto* key = dynamic_cast<NSString*>(entry.key.get());
    if (!key) continue;
    if (key->isEqualToString(NSFontAttributeName)) {
      style.font = dynamic_cast<UIFont*>(entry.value.get());
    } else if (key->isEqualToString(NSForegroundColorAttributeName)) {
      style.color = dynamic_cast<UIColor*>(entry.value.get());
    } else if (key->isEqualToString(NSParagraphStyleAttributeName)) {
      style.paragraph = dynamic_cast<NSParagraphStyle*>(entry.value.get());
    } else if (key->isEqualToString(NSKernAttributeName)) {
      if (auto* number = dynamic_cast<NSNumber*>(entry.value.get())) {
        style.kern = number->doubleValue();
      }
    }
  }
  return style;
}

// Line breaks become spaces of the same byte length, so that attribute indices stay valid.
void flattenLineBreaks(std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\n' || byte == '\r' || byte == '\v' || byte == '\f') {
      text[i] = ' ';
    } else if (byte == 0xC2 && i + 1 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) == 0x85) {
      text[i + 1] = static_cast<char>(0xA0);  // NEL -> no-break space
    } else if (byte == 0xE2 && i + 2 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) == 0x80 &&
               (static_cast<unsigned char>(text[i + 2]) == 0xA8 ||
                static_cast<unsigned char>(text[i + 2]) == 0xA9)) {
      text[i + 2] = static_cast<char>(0x82);  // line / paragraph separator -> en space
    }
  }
}

}  // namespace

PangoContext* TextLayout::context() {
  static PangoContext* const shared = [] {
    PangoFontMap* fontMap = pango_cairo_font_map_new();
    pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(fontMap), 72);
    PangoContext* made = pango_font_map_create_context(fontMap);
    g_object_unref(fontMap);  // the context keeps it
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(made, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(made, FALSE);
    // Fallback fonts depend on the language; fix it rather than follow the environment.
    pango_context_set_language(made, pango_language_from_string("en-us"));
    return made;
  }();
  return shared;
}

TextLayout::TextLayout()
    : layout_(pango_layout_new(context())), attributes_(pango_attr_list_new()) {
  pango_layout_set_auto_dir(layout_, TRUE);
}

TextLayout::~TextLayout() {
  if (layout_) g_object_unref(layout_);
  if (attributes_) pango_attr_list_unref(attributes_);
}

TextLayout::TextLayout(TextLayout&& other) noexcept {
  *this = std::move(other);
}

TextLayout& TextLayout::operator=(TextLayout&& other) noexcept {
  if (this == &other) return *this;
  std::swap(layout_, other.layout_);
  std::swap(attributes_, other.attributes_);
  text_ = std::move(other.text_);
  lastRunAttributes_ = std::move(other.lastRunAttributes_);
  fontRuns_ = std::move(other.fontRuns_);
  alignment_ = other.alignment_;
  lineBreakMode_ = other.lineBreakMode_;
  lineSpacing_ = other.lineSpacing_;
  box_ = other.box_;
  numberOfLines_ = other.numberOfLines_;
  truncatesLastVisibleLine_ = other.truncatesLastVisibleLine_;
  singleLine_ = other.singleLine_;
  dirty_ = true;
  return *this;
}

void TextLayout::clearContent() {
  text_.clear();
  fontRuns_.clear();
  lastRunAttributes_.clear();
  if (attributes_) pango_attr_list_unref(attributes_);
  attributes_ = pango_attr_list_new();
  readParagraph(nullptr);
  dirty_ = true;
}

void TextLayout::appendRun(std::string_view utf8, const NSDictionary* attributes) {
  if (utf8.empty()) return;
  auto start = static_cast<guint>(text_.size());
  text_ += utf8;
  auto end = static_cast<guint>(text_.size());
  RunStyle style = readStyle(attributes);
  std::shared_ptr<UIFont> fallback;
  if (!style.font) {
    fallback = UIFont::systemFontOfSize(12);
    style.font = fallback.get();
  }
  lastRunAttributes_.clear();
  auto add = [&](PangoAttribute* attribute) {
    attribute->start_index = start;
    attribute->end_index = end;
    pango_attr_list_insert(attributes_, attribute);
    lastRunAttributes_.push_back(attribute);
  };
  fontRuns_.push_back(
      {start, style.font->ascender(), -style.font->descender(), style.font->leading()});
  add(pango_attr_font_desc_new(style.font->fontDescription().pango));
  if (style.kern != 0) add(pango_attr_letter_spacing_new(toPango(style.kern)));
  CGFloat red = 0, green = 0, blue = 0, alpha = 1;
  if (style.color) style.color->getRed(&red, &green, &blue, &alpha);
  auto channel = [](CGFloat value) {
    return static_cast<guint16>(std::lround(std::clamp<CGFloat>(value, 0, 1) * 65535));
  };
  add(pango_attr_foreground_new(channel(red), channel(green), channel(blue)));
  if (alpha < 1) add(pango_attr_foreground_alpha_new(channel(alpha)));
}

void TextLayout::readParagraph(const NSDictionary* attributes) {
  RunStyle style = readStyle(attributes);
  const NSParagraphStyle& paragraph =
      style.paragraph ? *style.paragraph : *NSParagraphStyle::defaultParagraphStyle();
  alignment_ = paragraph.alignment();
  lineBreakMode_ = paragraph.lineBreakMode();
  lineSpacing_ = paragraph.lineSpacing();
}

void TextLayout::setAttributedText(const NSAttributedString& text) {
  clearContent();
  if (text.length() == 0) return;
  std::u16string_view units = text.string()->characters();
  text.enumerateAttributesInRange(
      NSMakeRange(0, text.length()), 0,
      [&](const std::shared_ptr<NSDictionary>& attributes, NSRange range, bool*) {
        appendRun(toUTF8(units.substr(range.location, range.length)), attributes.get());
      });
  readParagraph(text.attributesAtIndex(0).get());
}

void TextLayout::setText(const NSString& text, const NSDictionary* attributes) {
  clearContent();
  appendRun(text.utf8(), attributes);
  readParagraph(attributes);
}

void TextLayout::setText(std::string_view utf8, const NSDictionary* attributes) {
  clearContent();
  appendRun(utf8, attributes);
  readParagraph(attributes);
}

void TextLayout::setAlignment(NSTextAlignment alignment) {
  alignment_ = alignment;
  dirty_ = true;
}

void TextLayout::setLineBreakMode(NSLineBreakMode mode) {
  lineBreakMode_ = mode;
  dirty_ = true;
}

void TextLayout::setLineSpacing(CGFloat spacing) {
  lineSpacing_ = std::max<CGFloat>(spacing, 0);
  dirty_ = true;
}

void TextLayout::setSize(CGSize size) {
  box_ = size;
  dirty_ = true;
}

void TextLayout::setNumberOfLines(NSInteger lines) {
  numberOfLines_ = std::max<NSInteger>(lines, 0);
  dirty_ = true;
}

void TextLayout::setTruncatesLastVisibleLine(bool truncates) {
  truncatesLastVisibleLine_ = truncates;
  dirty_ = true;
}

void TextLayout::setSingleLine(bool singleLine) {
  singleLine_ = singleLine;
  dirty_ = true;
}

void TextLayout::layoutIfNeeded() {
  if (!dirty_) return;
  dirty_ = false;
  size_ = CGSizeZero;
  lineCount_ = 0;
  firstBaseline_ = 0;
  lines_.clear();

  // The last run's attributes reach past the end, so that Pango gives an empty last line (after
  // a final line break) the last run's font too.
  for (PangoAttribute* attribute : lastRunAttributes_) {
    attribute->end_index = PANGO_ATTR_INDEX_TO_TEXT_END;
  }
  if (singleLine_) {
    std::string flat = text_;
    flattenLineBreaks(flat);
    pango_layout_set_text(layout_, flat.data(), static_cast<int>(flat.size()));
  } else {
    pango_layout_set_text(layout_, text_.data(), static_cast<int>(text_.size()));
  }
  pango_layout_set_attributes(layout_, attributes_);

  bool widthLimited = isLimited(box_.width);
  bool wrapsByMode =
      lineBreakMode_ == NSLineBreakByWordWrapping || lineBreakMode_ == NSLineBreakByCharWrapping;
  bool wraps = widthLimited && !singleLine_ && (truncatesLastVisibleLine_ || wrapsByMode);
  bool ellipsizesParagraphs = widthLimited && !wraps && isTruncating(lineBreakMode_);
  // Word wrapping breaks a word that is wider than the line between characters, as the platform
  // does; Pango's plain word mode would let it overflow.
  pango_layout_set_wrap(layout_, lineBreakMode_ == NSLineBreakByCharWrapping
                                     ? PANGO_WRAP_CHAR
                                     : PANGO_WRAP_WORD_CHAR);
  pango_layout_set_width(layout_, wraps || ellipsizesParagraphs ? toPango(box_.width) : -1);
  pango_layout_set_height(layout_, -1);
  pango_layout_set_ellipsize(
      layout_, ellipsizesParagraphs ? ellipsizeMode(lineBreakMode_) : PANGO_ELLIPSIZE_NONE);
  // Lines are stacked here (measureLines), not by Pango.
  pango_layout_set_spacing(layout_, 0);
  pango_layout_set_justify(layout_, alignment_ == NSTextAlignmentJustified);
  PangoAlignment alignment = alignment_ == NSTextAlignmentCenter  ? PANGO_ALIGN_CENTER
                             : alignment_ == NSTextAlignmentRight ? PANGO_ALIGN_RIGHT
                                                                  : PANGO_ALIGN_LEFT;
  pango_layout_set_alignment(layout_, alignment);
  if (text_.empty()) return;
  // Left and right are the screen's sides also for a right-to-left paragraph, which Pango's
  // automatic direction would mirror.
  if ((alignment_ == NSTextAlignmentLeft || alignment_ == NSTextAlignmentRight) &&
      pango_layout_get_line_readonly(layout_, 0)->resolved_dir == PANGO_DIRECTION_RTL) {
    pango_layout_set_alignment(
        layout_, alignment == PANGO_ALIGN_LEFT ? PANGO_ALIGN_RIGHT : PANGO_ALIGN_LEFT);
  }

  std::vector<Line> lines = measureLines();
  auto visibleLines = [&] {
    size_t visible = lines.size();
    if (numberOfLines_ > 0) visible = std::min(visible, static_cast<size_t>(numberOfLines_));
    if (isLimited(box_.height)) {
      size_t fitting = 0;
      while (fitting < visible &&
             lines[fitting].top + lines[fitting].height <= box_.height + 1e-9) {
        ++fitting;
      }
      visible = std::max<size_t>(fitting, 1);
    }
    return visible;
  };
  size_t visible = visibleLines();
  if (truncatesLastVisibleLine_ && visible < lines.size() && widthLimited &&
      isTruncating(lineBreakMode_)) {
    // A height that holds exactly the visible lines makes Pango truncate the last of them.
    pango_layout_set_ellipsize(layout_, ellipsizeMode(lineBreakMode_));
    pango_layout_set_height(layout_, lines[visible - 1].pangoBottom + 16);
    lines = measureLines();
    visible = std::min(visible, lines.size());
  }
  lines.resize(visible);

  for (const Line& line : lines) size_.width = std::max(size_.width, line.width);
  if (lineBreakMode_ == NSLineBreakByClipping && widthLimited && !wraps) {
    size_.width = std::min(size_.width, box_.width);
  }
  size_.height = lines.back().top + lines.back().height;
  lineCount_ = static_cast<NSInteger>(visible);
  firstBaseline_ = lines.front().baseline;
  lines_ = std::move(lines);
}

CGSize TextLayout::size() {
  layoutIfNeeded();
  return size_;
}

NSInteger TextLayout::lineCount() {
  layoutIfNeeded();
  return lineCount_;
}

CGFloat TextLayout::firstBaseline() {
  layoutIfNeeded();
  return firstBaseline_;
}

const TextLayout::FontRun& TextLayout::fontRunAt(size_t byteIndex) const {
  auto after = std::upper_bound(fontRuns_.begin(), fontRuns_.end(), byteIndex,
                                [](size_t index, const FontRun& run) { return index < run.start; });
  return after == fontRuns_.begin() ? fontRuns_.front() : *(after - 1);
}

std::vector<TextLayout::Line> TextLayout::measureLines() const {
  std::vector<Line> lines;
  CGFloat top = 0;
  PangoLayoutIter* iter = pango_layout_get_iter(layout_);
  do {
    PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
    PangoRectangle logical;
    pango_layout_iter_get_line_extents(iter, nullptr, &logical);
    // The line's metrics are those of the fonts its runs asked for, not of the fonts that drew
    // them: a fallback font must not make one line taller or shorter than the others.
    CGFloat ascender = 0, descender = 0, leading = 0;
    auto take = [&](const FontRun& run) {
      ascender = std::max(ascender, run.ascender);
      descender = std::max(descender, run.descender);
      leading = std::max(leading, run.leading);
    };
    if (!line->runs) take(fontRunAt(static_cast<size_t>(line->start_index)));
    for (GSList* item = line->runs; item; item = item->next) {
      auto* run = static_cast<PangoLayoutRun*>(item->data);
      take(fontRunAt(static_cast<size_t>(run->item->offset)));
    }
    if (!lines.empty()) top += lineSpacing_;
    CGFloat height = ascender + descender + leading;
    lines.push_back({logical.x / kPangoScale, logical.width / kPangoScale, top, height,
                     top + ascender, logical.y + logical.height});
    top += height;
  } while (pango_layout_iter_next_line(iter));
  pango_layout_iter_free(iter);
  return lines;
}

void TextLayout::draw(CGContextRef context, CGPoint origin) {
  layoutIfNeeded();
  cairo_t* cr = CGContextGetCairo(context);
  if (!cr) return;
  cairo_save(cr);
  for (size_t i = 0; i < lines_.size(); ++i) {
    cairo_move_to(cr, origin.x + lines_[i].x, origin.y + lines_[i].baseline);
    pango_cairo_show_layout_line(cr, pango_layout_get_line_readonly(layout_, static_cast<int>(i)));
  }
  cairo_restore(cr);
}

CGRect TextLayout::caretRect(size_t byteIndex) {
  layoutIfNeeded();
  if (lines_.empty()) return CGRectZero;
  int line = 0, x = 0;
  pango_layout_index_to_line_x(layout_, static_cast<int>(std::min(byteIndex, text_.size())), false,
                               &line, &x);
  size_t index = std::min(static_cast<size_t>(std::max(line, 0)), lines_.size() - 1);
  const Line& found = lines_[index];
  return CGRectMake(found.x + x / kPangoScale, found.top, 0, found.height);
}

size_t TextLayout::caretIndexAtPoint(CGPoint point) {
  layoutIfNeeded();
  if (lines_.empty()) return 0;
  size_t lineIndex = 0;
  while (lineIndex + 1 < lines_.size() &&
         point.y >= lines_[lineIndex].top + lines_[lineIndex].height) {
    ++lineIndex;
  }
  PangoLayoutLine* line = pango_layout_get_line_readonly(layout_, static_cast<int>(lineIndex));
  int index = 0, trailing = 0;
  pango_layout_line_x_to_index(line, toPango(point.x - lines_[lineIndex].x), &index, &trailing);
  const char* at = text_.data() + std::clamp<size_t>(static_cast<size_t>(index), 0, text_.size());
  for (; trailing > 0 && at < text_.data() + text_.size(); --trailing) at = g_utf8_next_char(at);
  return static_cast<size_t>(at - text_.data());
}

PangoLayout* TextLayout::pangoLayout() {
  layoutIfNeeded();
  return layout_;
}
