// Measuring wrapped text from the widths of its words must give exactly what laying the whole
// text out with Pango gives, or decline.

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/NSDictionary.h"
#include "foundation/NSString.h"
#include "foundation/UTF16.h"
#include "uikit/NSAttributedString.h"
#include "uikit/NSParagraphStyle.h"
#include "uikit/NSStringDrawing.h"
#include "uikit/UIFont.h"
#include "uikit/WordWrapMeasurer+Private.h"

namespace {

std::shared_ptr<NSDictionary> attributes(const std::shared_ptr<UIFont>& font, CGFloat lineSpacing,
                                         NSTextAlignment alignment = NSTextAlignmentNatural) {
  auto made = NSMutableDictionary::dictionary();
  made->setObject(font, NSFontAttributeName);
  if (lineSpacing > 0 || alignment != NSTextAlignmentNatural) {
    auto style = NSMutableParagraphStyle::alloc()->init();
    style->setLineSpacing(lineSpacing);
    style->setAlignment(alignment);
    made->setObject(style, NSParagraphStyleAttributeName);
  }
  return made;
}

CGRect measure(const std::string& text, CGFloat width,
               const std::shared_ptr<NSDictionary>& attributes) {
  return NSStringDrawing::boundingRectWithSize(*NSString::string(text), CGSizeMake(width, FLT_MAX),
                                               NSStringDrawingUsesLineFragmentOrigin, attributes);
}

// With the cache off every text is laid out by Pango.
CGRect measureWithPango(const std::string& text, CGFloat width,
                        const std::shared_ptr<NSDictionary>& attributes) {
  size_t capacity = NSStringDrawing::measurementCacheCapacity();
  NSStringDrawing::setMeasurementCacheCapacity(0);
  CGRect rect = measure(text, width, attributes);
  NSStringDrawing::setMeasurementCacheCapacity(capacity);
  return rect;
}

// Words that kern and join inside themselves, accents, curly quotes, closing marks, numbers and
// emoji alone and against letters; and, less often, some the measurer must decline: hyphens,
// slashes, CJK, Arabic, joined emoji, marks that bind across a space.
const std::vector<std::string> kWords = {"hey",
                                         "AVAYA",
                                         "Yo",
                                         "Tomorrow",
                                         "ok.",
                                         "so,",
                                         "what?",
                                         "really?!",
                                         "don't",
                                         "don’t",
                                         "“quoted”",
                                         "(maybe)",
                                         "café",
                                         "naïve",
                                         "Łódź",
                                         "3.5",
                                         "12:30",
                                         "1,000",
                                         "plans;",
                                         "T.",
                                         "fjord",
                                         "office",
                                         "😂",
                                         "🎉🎉",
                                         "lol😂",
                                         "😂lol",
                                         "L'",
                                         "\"hi\"",
                                         "WAVY",
                                         "ſtraße",
                                         "ÆØÅ",
                                         "kayak",
                                         "rooftop",
                                         "tonight",
                                         "🙂",
                                         "a!",
                                         "extraordinarily",
                                         "supercalifragilisticexpialidocious"};
const std::vector<std::string> kRiskyWords = {
    "☺",   "❤", "👍🏽!", "wait-what", "and/or", "東京",   "مرحبا", "👍🏽", "hey!you",
    "x😂!", "?", ",",         ")",         "(",      "(a)(b)", "x.(y",  "((",       "\t"};

std::string sample(uint64_t& state) {
  auto next = [&](uint32_t bound) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state >> 33) % bound;
  };
  std::string text;
  if (next(8) == 0) text += std::string(1 + next(3), ' ');
  size_t words = 1 + next(30);
  for (size_t i = 0; i < words; ++i) {
    text += next(40) == 0 ? kRiskyWords[next(static_cast<uint32_t>(kRiskyWords.size()))]
                          : kWords[next(static_cast<uint32_t>(kWords.size()))];
    uint32_t gap = next(20);
    if (i + 1 == words) {
      if (gap == 0) text += "  ";
      if (gap == 1) text += "\n";
    } else {
      text += gap == 0 ? "  " : gap == 1 ? "\n" : gap == 2 ? "\n\n" : gap == 3 ? " \n " : " ";
    }
  }
  return text;
}

TEST(WordWrapMeasurement, GivesPangosSizeForEveryTextFontWidthAndSpacing) {
  NSStringDrawing::clearMeasurementCache();
  struct Style {
    std::shared_ptr<UIFont> font;
    CGFloat lineSpacing;
    std::shared_ptr<NSDictionary> attributes;
  };
  std::vector<Style> styles;
  auto addStyle = [&](std::shared_ptr<UIFont> font, CGFloat spacing,
                      NSTextAlignment alignment = NSTextAlignmentNatural) {
    styles.push_back({font, spacing, attributes(font, spacing, alignment)});
  };
  addStyle(UIFont::systemFontOfSize(17), 0);
  addStyle(UIFont::systemFontOfSize(16), 0);
  addStyle(UIFont::boldSystemFontOfSize(15), 3.5);  // bold kerns a comma against a space
  addStyle(UIFont::italicSystemFontOfSize(13), 0, NSTextAlignmentCenter);
  const CGFloat widths[] = {270, 155.5, 90, 41.3};
  WordWrapMeasurer measurer;
  uint64_t state = 0x5eed;
  int compared = 0, byWords = 0, wideByWords = 0;
  for (int i = 0; i < 500; ++i) {
    std::string text = sample(state);
    const Style& style = styles[static_cast<size_t>(i) % styles.size()];
    for (CGFloat width : widths) {
      CGRect expected = measureWithPango(text, width, style.attributes);
      auto measured = measurer.measure(toUTF16(text), *style.font, width, style.lineSpacing);
      if (measured) {
        ++byWords;
        if (width == widths[0]) ++wideByWords;
        ASSERT_TRUE(CGSizeEqualToSize(measured->size, expected.size))
            << "\"" << text << "\" at " << width << ": " << measured->size.width << "x"
            << measured->size.height << " instead of " << expected.size.width << "x"
            << expected.size.height;
      }
      ASSERT_TRUE(CGRectEqualToRect(measure(text, width, style.attributes), expected)) << text;
      ++compared;
    }
  }
  EXPECT_EQ(compared, 2000);
  // At a bubble's width most texts are ones it takes; narrower, more words break between
  // characters, which is left to Pango.
  EXPECT_GT(wideByWords, 500 * 6 / 10);
  EXPECT_GT(byWords, compared / 4);
  EXPECT_GT(NSStringDrawing::measuredWordCount(), 20u);
}

TEST(WordWrapMeasurement, ALineFitsWhenItIsExactlyTheWidthAndWrapsOneUnitNarrower) {
  auto style = attributes(UIFont::systemFontOfSize(17), 0);
  const std::string lines[] = {"see you tonight", "Yo AVAYA office", "don’t 😂 wait", "a  b"};
  for (const std::string& line : lines) {
    CGFloat full = measureWithPango(line, 0, style).size.width;
    for (CGFloat width : {full, full - 1.0 / 1024, full + 1.0 / 1024}) {
      NSStringDrawing::clearMeasurementCache();
      EXPECT_TRUE(
          CGRectEqualToRect(measure(line, width, style), measureWithPango(line, width, style)))
          << line << " at " << width;
    }
    EXPECT_EQ(measure(line, full, style).size.height, measure("x", full, style).size.height);
  }
}

TEST(WordWrapMeasurement, DeclinesTextWhoseBreaksItCannotBeSureOf) {
  WordWrapMeasurer measurer;
  auto font = UIFont::systemFontOfSize(17);
  auto measures = [&](const std::string& text, CGFloat width = 270) {
    return measurer.measure(toUTF16(text), *font, width, 0).has_value();
  };
  EXPECT_TRUE(measures("see you at 12:30, ok? 😂 don’t be late!"));
  EXPECT_TRUE(measures("two\n\nparagraphs  and trailing spaces  "));
  EXPECT_TRUE(measures("lol😂🎉 yes"));
  EXPECT_TRUE(measures("love it ❤️ 👍🏽👍🏾 👨‍👩‍👧"));
  EXPECT_FALSE(measures("well-known"));
  EXPECT_FALSE(measures("and/or"));
  EXPECT_FALSE(measures("hey!you"));
  EXPECT_FALSE(measures("wait ?"));
  EXPECT_FALSE(measures("so ( this"));
  EXPECT_FALSE(measures("“quoted” (aside)"));
  EXPECT_FALSE(measures("(a)(b)"));
  EXPECT_FALSE(measures("東京"));
  EXPECT_FALSE(measures("lol❤️"));
  EXPECT_FALSE(measures("so ☺ nice"));
  EXPECT_FALSE(measures("ok.😂"));
  EXPECT_FALSE(measures("tab\there"));
  EXPECT_FALSE(measures("line\r\nbreak"));
  // A word wider than the line would break between characters.
  EXPECT_FALSE(measures("supercalifragilisticexpialidocious", 60));
  // Spaces that open a paragraph and push its first word past the width.
  EXPECT_FALSE(measures("          word", 50));
  EXPECT_FALSE(measures("x", 0));
  EXPECT_FALSE(measures("x", 1e7));
}

}  // namespace
