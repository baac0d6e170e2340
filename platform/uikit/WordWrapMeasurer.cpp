#include "uikit/WordWrapMeasurer+Private.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

#include "foundation/UTF16.h"
#include "uikit/TextLayout+Private.h"
#include "uikit/UIFont+Private.h"
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

// The code point at `index` and how many units it takes; an unpaired surrogate is itself.
char32_t codePointAt(std::u16string_view text, size_t index, size_t& units) {
  char16_t high = text[index];
  if (high >= 0xD800 && high <= 0xDBFF && index + 1 < text.size() && text[index + 1] >= 0xDC00 &&
      text[index + 1] <= 0xDFFF) {
    units = 2;
    return 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (text[index + 1] - 0xDC00);
  }
  units = 1;
  return high;
}

bool isSkinToneModifier(char32_t code) {
  return code >= 0x1F3FB && code <= 0x1F3FF;
}

// Pictographs of the blocks that are drawn as emoji by default.
bool isPictograph(char32_t code) {
  if (isSkinToneModifier(code)) return false;
  return (code >= 0x1F300 && code <= 0x1F64F) || (code >= 0x1F680 && code <= 0x1F6FF) ||
         (code >= 0x1F900 && code <= 0x1F9FF) || (code >= 0x1FA70 && code <= 0x1FAFF);
}

// Older symbols that are emoji when a variation selector asks for it.
bool isSymbol(char32_t code) {
  return code >= 0x2600 && code <= 0x27BF;
}

constexpr char16_t kEmojiVariation = 0xFE0F;
constexpr char16_t kZeroWidthJoiner = 0x200D;

struct EmojiCluster {
  size_t length = 0;  // in units; 0 when there is none
  char32_t base = 0;
  // A symbol with a variation selector, or a joined sequence: breaks next to letters are less
  // certain, so it is only taken between spaces.
  bool standsAlone = false;
};

// An emoji as one piece: a pictograph, or a symbol asked to be an emoji, with its variation
// selector, skin tone and further emoji joined to it. No break falls inside.
EmojiCluster emojiClusterAt(std::u16string_view text, size_t index) {
  EmojiCluster cluster;
  size_t units = 0;
  char32_t base = codePointAt(text, index, units);
  if (isSymbol(base)) {
    if (index + units >= text.size() || text[index + units] != kEmojiVariation) return cluster;
    cluster.standsAlone = true;
  } else if (!isPictograph(base)) {
    return cluster;
  }
  size_t end = index + units;
  while (end < text.size()) {
    if (text[end] == kEmojiVariation) {
      ++end;
      continue;
    }
    char32_t next = codePointAt(text, end, units);
    if (isSkinToneModifier(next)) {
      end += units;
    } else if (next == kZeroWidthJoiner && end + 1 < text.size()) {
      char32_t joined = codePointAt(text, end + 1, units);
      if (!isPictograph(joined) && !isSymbol(joined)) break;
      end += 1 + units;
      cluster.standsAlone = true;
    } else {
      break;
    }
  }
  cluster.length = end - index;
  cluster.base = base;
  return cluster;
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
  pango_layout_set_font_description(layout_, font.fontDescription().pango);
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
  auto place = [&](size_t start, size_t end, char32_t first, char32_t last) {
    std::u16string_view piece = text.substr(start, end - start);
    int64_t pieceWidth = widthOf(piece, font, words);
    if (end < text.size() && text[end] == u' ') {
      pieceWidth += kernWithSpace(last, true, font, words);
    }
    int64_t gap = static_cast<int64_t>(pendingSpaces) * space;
    if (pendingSpaces > 0) gap += kernWithSpace(first, false, font, words);
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

  // What the piece about to be placed touches on its left, with no space between.
  enum class Left { Nothing, Word, Emoji, LoneEmoji } left = Left::Nothing;
  char16_t wordEnd = 0;
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
      left = Left::Nothing;
      if (i == count) break;
      ++i;
    } else if (text[i] == u' ') {
      ++pendingSpaces;
      left = Left::Nothing;
      ++i;
    } else if (EmojiCluster emoji = emojiClusterAt(text, i); emoji.length > 0) {
      // Between an emoji and a letter, a digit or another emoji lies a plain break opportunity.
      bool touchesLeft = left != Left::Nothing;
      if (touchesLeft && (emoji.standsAlone || left == Left::LoneEmoji ||
                          (left == Left::Word && !isAsciiAlphanumeric(wordEnd)))) {
        return std::nullopt;
      }
      size_t end = i + emoji.length;
      if (emoji.standsAlone && end < count && text[end] != u' ' && text[end] != u'\n') {
        return std::nullopt;
      }
      if (!place(i, end, emoji.base, emoji.base)) return std::nullopt;
      left = emoji.standsAlone ? Left::LoneEmoji : Left::Emoji;
      i = end;
    } else {
      size_t start = i;
      while (i < count && isWordUnit(text[i])) ++i;
      while (i < count && isClosingMark(text[i])) ++i;
      if (i == start) return std::nullopt;
      std::u16string_view word = text.substr(start, i - start);
      // Two words touch only where a mark that allows a break after it split them ("hey!you").
      if (left == Left::Word || left == Left::LoneEmoji ||
          (left == Left::Emoji && !isAsciiAlphanumeric(word.front()))) {
        return std::nullopt;
      }
      // Spaces do not open a break before a closing mark, after an opening bracket, nor between
      // a quotation mark and an opening bracket.
      bool afterSpace = start > 0 && text[start - 1] == u' ';
      if (breaksInside(word) || (afterSpace && refusesBreakBefore(word.front())) ||
          (word.back() == u'(' && i < count && text[i] == u' ') ||
          (afterSpace && word.front() == u'(' && isQuotationMark(unitBeforeSpaces(text, start)))) {
        return std::nullopt;
      }
      if (!place(start, i, word.front(), word.back())) return std::nullopt;
      left = Left::Word;
      wordEnd = word.back();
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
