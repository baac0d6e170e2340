#pragma once

// Measures plain text of one font wrapped at a width without laying the whole text out. A long
// chat measures thousands of messages when it opens, and shaping each with Pango costs tens of
// microseconds; the same few thousand words make up all of them. So each distinct word is shaped
// once and its width kept, and lines are filled from those widths the way Pango fills them:
// greedily, breaking after a space or around an emoji, the space at a wrap hanging past the
// width.
//
// Only text whose break opportunities are certain is taken: letters, digits, everyday
// punctuation, spaces, line feeds and
// emoji (with their skin tones, variation selectors and joined sequences). Anything else, and any
// word wider than a line (which would break between characters), is declined, and the caller lays
// the text out fully. Widths add up exactly in Pango's units: a line is its words, its spaces, and
// the kerning of each character that meets a space (kept by character); emoji come from a font of
// their own.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "quartz/CGGeometry.h"
#include "uikit/Forward.h"

typedef struct _PangoLayout PangoLayout;

class WordWrapMeasurer {
 public:
  struct Measurement {
    CGSize size;
    CGFloat firstBaseline;
  };

  WordWrapMeasurer();
  ~WordWrapMeasurer();
  WordWrapMeasurer(const WordWrapMeasurer&) = delete;
  WordWrapMeasurer& operator=(const WordWrapMeasurer&) = delete;

  // The size TextLayout gives the text in `font`, wrapped by words at `width` (points, limited)
  // with no height limit and `lineSpacing` between lines; nothing when the text is not one this
  // can measure exactly.
  std::optional<Measurement> measure(std::u16string_view text, const UIFont& font, CGFloat width,
                                     CGFloat lineSpacing);

  void clear();
  // Distinct words kept, over all fonts.
  size_t wordCount() const;

 private:
  struct ViewHash {
    using is_transparent = void;
    size_t operator()(std::u16string_view text) const noexcept {
      return std::hash<std::u16string_view>{}(text);
    }
  };
  using WordWidths = std::unordered_map<std::u16string, int32_t, ViewHash, std::equal_to<>>;
  struct FontWords {
    CGFloat pointSize;
    CGFloat weight;
    bool italic;
    int32_t spaceWidth;
    WordWidths widths;
    std::unordered_map<char32_t, int32_t> kernBeforeSpace;  // a character followed by a space
    std::unordered_map<char32_t, int32_t> kernAfterSpace;   // a space followed by a character
  };

  FontWords& wordsFor(const UIFont& font);
  int32_t shapedWidth(std::u16string_view text, const UIFont& font);
  int32_t widthOf(std::u16string_view word, const UIFont& font, FontWords& words);
  int32_t kernWithSpace(char32_t code, bool spaceAfter, const UIFont& font, FontWords& words);

  std::vector<FontWords> fonts_;
  PangoLayout* layout_ = nullptr;
};
