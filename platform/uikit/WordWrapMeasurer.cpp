#include "uikit/WordWrapMeasurer.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

#include "foundation/UTF16.h"
#include "uikit/TextLayout.h"
#include "uikit/UIFont.h"

namespace {

// A font's table is emptied when it grows past this, which only text far from any language
// reaches; a few megabytes at most.
constexpr size_t kMaxWordsPerFont = 65536;

bool isAsciiAlphanumeric(char16_t unit) {
  return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z') ||
         (unit >= u'0' && unit <= u'9');
}

// Characters no break opportunity can fall between, in any order among themselves: letters of
// the Latin scripts, digits, and punctuation that binds to its neighbours (full stops, commas,
// colons, quotes, apostrophes, brackets).
bool isWordUnit(char16_t unit) {
  if (isAsciiAlphanumeric(unit)) return true;
  switch (unit) {
    case u'.':
    case u',':
    case u':':
    case u';':
    case u'\'':
    case u'"':
    case u'(':
    case u')':
    case u'\u2018':
    case u'\u2019':
    case u'\u201C':
    case u'\u201D':
      return true;
    default:
      break;
  }
  // Latin-1 letters (without the multiplication and division signs) and Latin Extended-A.
  return (unit >= 0x00C0 && unit <= 0x017F && unit != 0x00D7 && unit != 0x00F7);
}

// "!" and "?" forbid a break before them but allow one after, so they may only end a word.
bool isClosingMark(char16_t unit) {
  return unit == u'!' || unit == u'?';
}

bool isQuotationMark(char16_t unit) {
  return unit == u'\'' || unit == u'"' || (unit >= 0x2018 && unit <= 0x201D);
}

// Marks no break may fall before, even after a space: closing brackets, full stops, commas,
// colons, exclamation and question marks.
bool refusesBreakBefore(char16_t unit) {
  return unit == u')' || unit == u'.' || unit == u',' || unit == u':' || unit == u';' ||
         isClosingMark(unit);
}

// Whether a word's own characters hold a break opportunity: only an opening bracket after a
// closing one or after a full stop, comma, colon or semicolon does.
bool breaksInside(std::u16string_view word) {
  for (size_t i = 1; i < word.size(); ++i) {
    if (word[i] == u'(' && refusesBreakBefore(word[i - 1])) return true;
  }
  return false;
}

// The unit before the spaces that precede `index`, or 0 at the start of its paragraph.
char16_t unitBeforeSpaces(std::u16string_view text, size_t index) {
  while (index > 0 && text[index - 1] == u' ') --index;
  return index > 0 && text[index - 1] != u'\n' ? text[index - 1] : 0;
}

// A lone pictographic emoji from the blocks that are drawn as emoji by default, as a surrogate
// pair. Skin tone modifiers, joiners and variation selectors make sequences whose breaks are not
// this simple, so they are not taken.
bool isEmojiAt(std::u16string_view text, size_t index) {
  if (index + 1 >= text.size()) return false;
  char16_t high = text[index], low = text[index + 1];
  if (high < 0xD800 || high > 0xDBFF || low < 0xDC00 || low > 0xDFFF) return false;
  char32_t code = 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (low - 0xDC00);
  if (code >= 0x1F3FB && code <= 0x1F3FF) return false;
  return (code >= 0x1F300 && code <= 0x1F64F) || (code >= 0x1F680 && code <= 0x1F6FF) ||
         (code >= 0x1F900 && code <= 0x1F9FF) || (code >= 0x1FA70 && code <= 0x1FAFF);
}

// What may stand next to an emoji with a plain break opportunity between them.
bool isEmojiNeighbour(std::u16string_view text, size_t index) {
  if (index >= text.size()) return true;
  char16_t unit = text[index];
  return unit == u' ' || unit == u'\n' || isAsciiAlphanumeric(unit) || isEmojiAt(text, index);
}

// The code point of a piece's first or last character.
char32_t firstCodePoint(std::u16string_view piece) {
  return isEmojiAt(piece, 0)
             ? 0x10000 + ((static_cast<char32_t>(piece[0]) - 0xD800) << 10) + (piece[1] - 0xDC00)
             : piece.front();
}

char32_t lastCodePoint(std::u16string_view piece) {
  return piece.size() >= 2 && isEmojiAt(piece, piece.size() - 2)
             ? firstCodePoint(piece.substr(piece.size() - 2))
             : piece.back();
}

}  // namespace

WordWrapMeasurer::WordWrapMeasurer() : layout_(pango_layout_new(TextLayout::context())) {}

WordWrapMeasurer::~WordWrapMeasurer() {
  if (layout_) g_object_unref(layout_);
}

WordWrapMeasurer::FontWords& WordWrapMeasurer::wordsFor(const UIFont& font) {
  for (FontWords& words : fonts_) {
    if (words.pointSize == font.pointSize() && words.weight == font.weight() &&
        words.italic == font.isItalic()) {
      return words;
    }
  }
  fonts_.push_back({font.pointSize(), font.weight(), font.isItalic(), 0, {}, {}, {}});
  FontWords& made = fonts_.back();
  made.spaceWidth = shapedWidth(u" ", font);
  return made;
}

int32_t WordWrapMeasurer::shapedWidth(std::u16string_view text, const UIFont& font) {
  std::string utf8 = toUTF8(text);
  pango_layout_set_font_description(layout_, font.pangoFontDescription());
  pango_layout_set_text(layout_, utf8.data(), static_cast<int>(utf8.size()));
  PangoRectangle logical;
  pango_layout_get_extents(layout_, nullptr, &logical);
  return logical.width;
}

int32_t WordWrapMeasurer::widthOf(std::u16string_view word, const UIFont& font, FontWords& words) {
  if (auto found = words.widths.find(word); found != words.widths.end()) return found->second;
  int32_t width = shapedWidth(word, font);
  if (words.widths.size() >= kMaxWordsPerFont) words.widths.clear();
  words.widths.emplace(word, width);
  return width;
}

int32_t WordWrapMeasurer::kernWithSpace(char32_t code, bool spaceAfter, const UIFont& font,
                                        FontWords& words) {
  auto& kerns = spaceAfter ? words.kernBeforeSpace : words.kernAfterSpace;
  if (auto found = kerns.find(code); found != kerns.end()) return found->second;
  std::u16string character;
  if (code < 0x10000) {
    character.push_back(static_cast<char16_t>(code));
  } else {
    character.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
    character.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
  }
  std::u16string pair = spaceAfter ? character + u" " : u" " + character;
  int32_t kern = shapedWidth(pair, font) - shapedWidth(character, font) - words.spaceWidth;
  kerns.emplace(code, kern);
  return kern;
}

std::optional<WordWrapMeasurer::Measurement> WordWrapMeasurer::measure(std::u16string_view text,
                                                                       const UIFont& font,
                                                                       CGFloat width,
                                                                       CGFloat lineSpacing) {
  if (!std::isfinite(width) || width <= 0 || width >= 1e6) return std::nullopt;
  FontWords& words = wordsFor(font);
  const int64_t limit = std::lround(width * PANGO_SCALE);
  const int64_t space = words.spaceWidth;

  int64_t widest = 0;
  size_t lines = 0;
  int64_t lineWidth = 0;  // without the spaces waiting after its last piece
  size_t pendingSpaces = 0;
  bool lineHasPiece = false;
  auto endLine = [&](int64_t lineExtent) {
    widest = std::max(widest, lineExtent);
    ++lines;
  };
  // A word or an emoji at [start, end): onto this line after the spaces before it, or onto the
  // next line with those spaces left hanging at the end of this one. A pair kerned against a
  // space changes the advance of the pair's first glyph: the space's when it precedes the piece,
  // the piece's last when a space follows, and that one stays when the line wraps there.
  auto place = [&](size_t start, size_t end) {
    std::u16string_view piece = text.substr(start, end - start);
    int64_t pieceWidth = widthOf(piece, font, words);
    if (end < text.size() && text[end] == u' ') {
      pieceWidth += kernWithSpace(lastCodePoint(piece), true, font, words);
    }
    int64_t gap = static_cast<int64_t>(pendingSpaces) * space;
    if (pendingSpaces > 0) gap += kernWithSpace(firstCodePoint(piece), false, font, words);
    if (lineWidth + gap + pieceWidth <= limit) {
      lineWidth += gap + pieceWidth;
    } else {
      // Pango would break inside the spaces that start a paragraph, or inside a piece too wide
      // for a line of its own. Where a line wraps at more than one space, it hangs only the last
      // past the width and may set the others on a line of their own.
      if (!lineHasPiece || pieceWidth > limit || pendingSpaces > 1) return false;
      endLine(lineWidth);
      lineWidth = pieceWidth;
    }
    pendingSpaces = 0;
    lineHasPiece = true;
    return true;
  };

  const size_t count = text.size();
  for (size_t i = 0;;) {
    if (i == count || text[i] == u'\n') {
      // The last line of a paragraph keeps its trailing spaces; Pango lets them reach past the
      // width, which is left to it.
      int64_t last = lineWidth + static_cast<int64_t>(pendingSpaces) * space;
      if (last > limit) return std::nullopt;
      endLine(last);
      lineWidth = 0;
      pendingSpaces = 0;
      lineHasPiece = false;
      if (i == count) break;
      ++i;
    } else if (text[i] == u' ') {
      ++pendingSpaces;
      ++i;
    } else if (isEmojiAt(text, i)) {
      if (i > 0 && !isEmojiNeighbour(text, i - 1) && !(i >= 2 && isEmojiAt(text, i - 2))) {
        return std::nullopt;
      }
      if (!isEmojiNeighbour(text, i + 2)) return std::nullopt;
      if (!place(i, i + 2)) return std::nullopt;
      i += 2;
    } else {
      size_t start = i;
      while (i < count && isWordUnit(text[i])) ++i;
      while (i < count && isClosingMark(text[i])) ++i;
      if (i == start) return std::nullopt;
      if (i < count && text[i] != u' ' && text[i] != u'\n' && !isEmojiAt(text, i)) {
        return std::nullopt;
      }
      std::u16string_view word = text.substr(start, i - start);
      bool afterSpace = start > 0 && text[start - 1] == u' ';
      // Spaces do not open a break before a closing mark, after an opening bracket, nor between
      // a quotation mark and an opening bracket.
      if (breaksInside(word) || (afterSpace && refusesBreakBefore(word.front())) ||
          (word.back() == u'(' && i < count && text[i] == u' ') ||
          (afterSpace && word.front() == u'(' && isQuotationMark(unitBeforeSpaces(text, start)))) {
        return std::nullopt;
      }
      if (!place(start, i)) return std::nullopt;
    }
  }

  // Stacked as TextLayout stacks lines of one font, in the same order of additions.
  const CGFloat ascender = std::max<CGFloat>(0, font.ascender());
  const CGFloat lineHeight =
      ascender + std::max<CGFloat>(0, -font.descender()) + std::max<CGFloat>(0, font.leading());
  CGFloat top = 0;
  for (size_t line = 0; line < lines; ++line) {
    if (line > 0) top += lineSpacing;
    top += lineHeight;
  }
  return Measurement{CGSizeMake(widest / static_cast<double>(PANGO_SCALE), top), ascender};
}

void WordWrapMeasurer::clear() {
  fonts_.clear();
}

size_t WordWrapMeasurer::wordCount() const {
  size_t total = 0;
  for (const FontWords& words : fonts_) total += words.widths.size();
  return total;
}
