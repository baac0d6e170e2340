#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "foundation/NSNumber.h"
#include "quartz/CGContext+Private.h"
#include "runtime/RuntimeError.h"
#include "uikit/NSAttributedString.h"
#include "uikit/NSParagraphStyle.h"
#include "uikit/NSStringDrawing.h"
#include "uikit/TextLayout+Private.h"
#include "uikit/UIFont.h"
#include "uikit/UILabel.h"

namespace {

std::shared_ptr<NSDictionary> attributes(const std::shared_ptr<UIFont>& font,
                                         CGFloat lineSpacing = 0) {
  auto made = NSMutableDictionary::dictionary();
  made->setObject(font, NSFontAttributeName);
  if (lineSpacing > 0) {
    auto style = NSMutableParagraphStyle::alloc()->init();
    style->setLineSpacing(lineSpacing);
    made->setObject(style, NSParagraphStyleAttributeName);
  }
  return made;
}

// A chat bubble's measurement: multi-line, `width` wide, unlimited height.
CGRect bubbleRect(const std::string& text, CGFloat width, const std::shared_ptr<UIFont>& font) {
  return NSStringDrawing::boundingRectWithSize(*NSString::string(text), CGSizeMake(width, FLT_MAX),
                                               NSStringDrawingUsesLineFragmentOrigin,
                                               attributes(font));
}

CGFloat singleLineWidth(const std::string& text, const std::shared_ptr<UIFont>& font) {
  return NSStringDrawing::sizeWithAttributes(text, attributes(font)).width;
}

std::string repeated(const std::string& word, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += (i ? " " : "") + word;
  return out;
}

std::shared_ptr<UIView> makeView(CGRect frame) {
  return UIView::alloc()->initWithFrame(frame);
}

std::shared_ptr<UILabel> pinnedLabel(const std::shared_ptr<UIView>& parent, const std::string& text,
                                     NSInteger lines) {
  auto label = UILabel::alloc()->init();
  label->setText(text);
  label->setNumberOfLines(lines);
  parent->addSubview(label);
  label->setTranslatesAutoresizingMaskIntoConstraints(false);
  return label;
}

const char* const kLongMessage =
    "Are you coming to the rooftop tonight? Bring the speaker and the good snacks, "
    "everyone is already asking about you.";

}  // namespace

TEST(UIFont, InterIsTheFamilyLoadedForEveryWeight) {
  struct Case {
    UIFontWeight weight;
    const char* postScriptName;
  };
  const std::vector<Case> cases = {
      {UIFontWeightUltraLight, "Inter-Thin"}, {UIFontWeightThin, "Inter-ExtraLight"},
      {UIFontWeightLight, "Inter-Light"},     {UIFontWeightRegular, "Inter-Regular"},
      {UIFontWeightMedium, "Inter-Medium"},   {UIFontWeightSemibold, "Inter-SemiBold"},
      {UIFontWeightBold, "Inter-Bold"},       {UIFontWeightHeavy, "Inter-ExtraBold"},
      {UIFontWeightBlack, "Inter-Black"},
  };

  for (const Case& c : cases) {
    auto font = UIFont::systemFontOfSize(17, c.weight);

    EXPECT_TRUE(font->familyName()->isEqualToString("Inter")) << c.postScriptName;
    EXPECT_TRUE(font->fontName()->isEqualToString(c.postScriptName)) << font->fontName()->utf8();
  }
  EXPECT_TRUE(UIFont::italicSystemFontOfSize(17)->fontName()->isEqualToString("Inter-Italic"));
}

TEST(UIFont, MetricsAreConsistentAndScaleWithTheSize) {
  auto font = UIFont::systemFontOfSize(17);
  auto twice = font->fontWithSize(34);

  EXPECT_GT(font->ascender(), 0);
  EXPECT_LT(font->descender(), 0);
  EXPECT_GE(font->leading(), 0);
  EXPECT_DOUBLE_EQ(font->lineHeight(), font->ascender() - font->descender() + font->leading());
  EXPECT_GT(font->lineHeight(), 17);
  EXPECT_LT(font->lineHeight(), 17 * 1.5);
  EXPECT_GT(font->capHeight(), font->xHeight());
  EXPECT_GT(font->xHeight(), 0);
  EXPECT_LT(font->capHeight(), font->ascender());
  EXPECT_NEAR(twice->lineHeight(), 2 * font->lineHeight(), 0.01);
  EXPECT_NEAR(twice->capHeight(), 2 * font->capHeight(), 0.01);
}

TEST(UIFont, FontsAreSharedBySizeWeightAndSlant) {
  auto regular = UIFont::systemFontOfSize(17);

  auto bold = UIFont::boldSystemFontOfSize(17);
  auto resized = bold->fontWithSize(12);
  auto between = UIFont::systemFontOfSize(17, 0.37);  // nearer bold (0.4) than semibold (0.3)

  EXPECT_EQ(UIFont::systemFontOfSize(17, UIFontWeightRegular), regular);
  EXPECT_EQ(UIFont::systemFontOfSize(17, UIFontWeightBold), bold);
  EXPECT_NE(bold, regular);
  EXPECT_EQ(resized->pointSize(), 12);
  EXPECT_EQ(resized->weight(), UIFontWeightBold);
  EXPECT_EQ(between, bold);
  EXPECT_TRUE(UIFont::italicSystemFontOfSize(17)->isItalic());
  EXPECT_EQ(UIFont::systemFontOfSize(0)->pointSize(), UIFont::systemFontSize());
}

TEST(TextMeasurement, HeightGrowsByWholeLinesAsTextWrapsAtAWidth) {
  // Widths are made from the words' own measured widths, so the expected line counts do not
  // depend on the font's exact metrics.
  struct Case {
    std::string word;
    int words;
    int wordsPerLine;
    int lines;
  };
  const std::vector<Case> cases = {
      {"hello", 1, 1, 1},    {"hello", 2, 1, 2}, {"hello", 5, 2, 3},    {"message", 9, 3, 3},
      {"message", 10, 3, 4}, {"ok", 40, 7, 6},   {"👍🏽", 6, 2, 3}, {"naïve", 7, 4, 2},
  };
  auto font = UIFont::systemFontOfSize(16);

  for (const Case& c : cases) {
    CGFloat width = singleLineWidth(repeated(c.word, c.wordsPerLine), font) + 0.5;

    CGRect rect = bubbleRect(repeated(c.word, c.words), width, font);

    SCOPED_TRACE(c.word + " x" + std::to_string(c.words));
    EXPECT_EQ(rect.origin, CGPointZero);
    EXPECT_NEAR(rect.size.height, c.lines * font->lineHeight(), 1e-9);
    EXPECT_LE(rect.size.width, width);
  }
}

TEST(TextMeasurement, LineBreaksAndLineSpacingMakeTheHeight) {
  auto font = UIFont::systemFontOfSize(17);
  CGFloat line = font->lineHeight();
  CGSize box = CGSizeMake(250, DBL_MAX);
  NSStringDrawingOptions lines = NSStringDrawingUsesLineFragmentOrigin;

  CGRect three = NSStringDrawing::boundingRectWithSize("a\nb\nc", box, lines, attributes(font));
  CGRect spaced = NSStringDrawing::boundingRectWithSize("a\nb\nc", box, lines, attributes(font, 2));
  CGRect blankLine = NSStringDrawing::boundingRectWithSize("a\n\nb", box, lines, attributes(font));
  CGRect empty = NSStringDrawing::boundingRectWithSize("", box, lines, attributes(font));
  CGRect oneLine = NSStringDrawing::boundingRectWithSize("a\nb\nc", box, 0, attributes(font));

  EXPECT_NEAR(three.size.height, 3 * line, 0.01);
  EXPECT_NEAR(spaced.size.height, 3 * line + 2 * 2, 0.01);  // between lines, not after the last
  EXPECT_NEAR(blankLine.size.height, 3 * line, 0.01);
  EXPECT_EQ(empty, CGRectZero);  // an empty bubble is only its padding
  EXPECT_NEAR(oneLine.size.height, line, 0.01);
  EXPECT_NEAR(oneLine.origin.y, -font->ascender(), 0.5);  // measured from the baseline
}

TEST(TextMeasurement, ALongUnbrokenWordWrapsBetweenCharacters) {
  auto font = UIFont::systemFontOfSize(16);
  std::string word(80, 'w');
  CGFloat full = singleLineWidth(word, font);

  CGRect rect = bubbleRect("see " + word, 100, font);

  auto lines = static_cast<int>(std::lround(rect.size.height / font->lineHeight()));
  EXPECT_NEAR(rect.size.height, lines * font->lineHeight(), 0.01);
  EXPECT_GE(lines, static_cast<int>(std::ceil(full / 100)));
  EXPECT_LE(lines, static_cast<int>(std::ceil(full / 100)) + 2);
  EXPECT_LE(rect.size.width, 100);
}

TEST(TextMeasurement, EmojiAccentsCombiningMarksAndRightToLeftTextMeasureAsOneLine) {
  const std::vector<std::string> texts = {
      "👍🏽",                                         // modifier sequence
      "👨‍👩‍👧‍👦 family",                 // zero-width-joiner sequence
      "🇫🇷🇯🇵",                                             // flags
      "♥️",                                           // text symbol with emoji presentation
      "crème brûlée",                                     // precomposed accents
      "cre\u0300me bru\u0302le\u0301e",                   // combining marks
      "Z\u0351\u0352\u0353\u0354\u0355a\u0356\u0357lgo",  // stacked marks
      "שלום עולם",                                        // Hebrew
      "مرحبا بالعالم",                                    // Arabic
      "hi שלום 123",                                      // mixed directions
  };
  auto font = UIFont::systemFontOfSize(17);

  for (const std::string& text : texts) {
    TextLayout layout;
    layout.setText(text, attributes(font).get());
    layout.setSize(CGSizeMake(300, 0));

    CGSize size = layout.size();

    SCOPED_TRACE(text);
    EXPECT_EQ(layout.lineCount(), 1);
    EXPECT_GT(size.width, 0);
    EXPECT_LT(size.width, 300);
    EXPECT_NEAR(size.height, font->lineHeight(), 1e-9);
    EXPECT_EQ(pango_layout_get_unknown_glyphs_count(layout.pangoLayout()), 0);
  }
}

TEST(TextMeasurement, EveryUnlimitedExtentMeasuresAlike) {
  auto font = UIFont::systemFontOfSize(17);
  NSStringDrawingOptions lines = NSStringDrawingUsesLineFragmentOrigin;

  std::vector<CGRect> rects;
  for (CGSize box : {CGSizeMake(FLT_MAX, FLT_MAX), CGSizeMake(DBL_MAX, DBL_MAX), CGSizeZero,
                     CGSizeMake(INFINITY, -1)}) {
    rects.push_back(
        NSStringDrawing::boundingRectWithSize(kLongMessage, box, lines, attributes(font)));
  }

  for (const CGRect& rect : rects) EXPECT_EQ(rect, rects[0]);
  EXPECT_NEAR(rects[0].size.height, font->lineHeight(), 0.01);
  EXPECT_NEAR(rects[0].size.width, singleLineWidth(kLongMessage, font), 1e-9);
}

TEST(TextMeasurement, TheCacheReturnsWhatUncachedMeasurementDoes) {
  auto font = UIFont::systemFontOfSize(16);
  std::vector<std::string> texts;
  for (int i = 1; i <= 40; ++i) texts.push_back(repeated("word" + std::to_string(i), i));
  auto measureAll = [&] {
    std::vector<CGRect> rects;
    for (const std::string& text : texts) {
      rects.push_back(bubbleRect(text, 250, font));
      rects.push_back(NSStringDrawing::boundingRectWithSize(
          *NSString::string(text), CGSizeMake(120, 60), NSStringDrawingUsesLineFragmentOrigin,
          attributes(font, 3)));
    }
    return rects;
  };
  size_t capacity = NSStringDrawing::measurementCacheCapacity();
  NSStringDrawing::setMeasurementCacheCapacity(0);
  std::vector<CGRect> uncached = measureAll();

  NSStringDrawing::setMeasurementCacheCapacity(capacity);
  NSStringDrawing::clearMeasurementCache();
  std::vector<CGRect> cold = measureAll();
  size_t stored = NSStringDrawing::measurementCacheCount();
  std::vector<CGRect> warm = measureAll();
  NSStringDrawing::setMeasurementCacheCapacity(10);
  size_t bounded = NSStringDrawing::measurementCacheCount();
  std::vector<CGRect> afterEviction = measureAll();
  NSStringDrawing::setMeasurementCacheCapacity(capacity);

  EXPECT_EQ(cold, uncached);
  EXPECT_EQ(warm, uncached);
  EXPECT_EQ(afterEviction, uncached);
  EXPECT_EQ(stored, texts.size() * 2);
  EXPECT_EQ(bounded, 10u);
}

TEST(AttributedString, RunRangesCountUTF16UnitsAsNSStringDoes) {
  auto text = NSMutableAttributedString::alloc()->initWithString(
      "👍🏽 é 中", attributes(UIFont::systemFontOfSize(12)));
  auto red = UIColor::redColor();

  text->addAttribute(NSForegroundColorAttributeName, red, NSMakeRange(0, 4));
  NSRange first, second;
  auto firstColor = text->attribute(NSForegroundColorAttributeName, 3, &first);
  auto secondColor = text->attribute(NSForegroundColorAttributeName, 4, &second);
  auto tail = text->attributedSubstringFromRange(NSMakeRange(5, 3));

  EXPECT_EQ(text->length(), NSString::string("👍🏽 é 中")->length());
  EXPECT_EQ(text->length(), 8u);
  EXPECT_EQ(firstColor, red);
  EXPECT_EQ(first, NSMakeRange(0, 4));
  EXPECT_EQ(secondColor, nullptr);
  EXPECT_EQ(second, NSMakeRange(4, 4));
  EXPECT_TRUE(tail->string()->isEqualToString("é 中"));
  EXPECT_THROW(text->attributesAtIndex(8), objc::RuntimeError);
  EXPECT_THROW(
      text->addAttribute(NSKernAttributeName, NSNumber::numberWithInt(1), NSMakeRange(6, 3)),
      objc::RuntimeError);
}

TEST(AttributedString, EditsSplitJoinAndInheritRuns) {
  auto bold = attributes(UIFont::boldSystemFontOfSize(12));
  auto plain = attributes(UIFont::systemFontOfSize(12));
  auto text = NSMutableAttributedString::alloc()->initWithString("hello world", plain);
  text->setAttributes(bold, NSMakeRange(0, 5));

  text->replaceCharactersInRange(NSMakeRange(0, 5), "HEY");  // takes the replaced bold
  text->replaceCharactersInRange(NSMakeRange(3, 0), "!");    // takes the bold before it
  text->insertAttributedString(*NSAttributedString::alloc()->initWithString(">", plain), 0);
  NSRange boldRange;
  text->attributesAtIndex(1, &boldRange);
  std::vector<NSRange> runs;
  text->enumerateAttributesInRange(
      NSMakeRange(0, text->length()), 0,
      [&](const std::shared_ptr<NSDictionary>&, NSRange range, bool*) { runs.push_back(range); });
  text->setAttributes(plain, NSMakeRange(0, text->length()));
  NSRange whole;
  text->attributesAtIndex(0, &whole);

  EXPECT_TRUE(text->string()->isEqualToString(">HEY! world"));
  EXPECT_EQ(boldRange, NSMakeRange(1, 4));
  EXPECT_EQ(runs, (std::vector<NSRange>{{0, 1}, {1, 4}, {5, 6}}));
  EXPECT_EQ(whole, NSMakeRange(0, 11));  // equal neighbours join again
}

TEST(AttributedString, RunsMeasureInTheirOwnFontsAndKern) {
  auto small = UIFont::systemFontOfSize(12);
  auto large = UIFont::systemFontOfSize(30);
  auto mixed = NSMutableAttributedString::alloc()->initWithString("small LARGE", attributes(small));
  mixed->addAttribute(NSFontAttributeName, large, NSMakeRange(6, 5));
  auto uniform = NSAttributedString::alloc()->initWithString("abcd", attributes(small));
  auto kerned = uniform->mutableCopy();
  kerned->addAttribute(NSKernAttributeName, NSNumber::numberWithDouble(2), NSMakeRange(0, 4));

  CGSize mixedSize = NSStringDrawing::size(*mixed);
  CGSize uniformSize = NSStringDrawing::size(*uniform);
  CGSize kernedSize = NSStringDrawing::size(*kerned);

  EXPECT_NEAR(mixedSize.height, large->lineHeight(), 0.5);
  EXPECT_EQ(uniformSize, NSStringDrawing::sizeWithAttributes("abcd", attributes(small)));
  EXPECT_GE(kernedSize.width - uniformSize.width, 3 * 2 - 0.01);
  EXPECT_LE(kernedSize.width - uniformSize.width, 4 * 2 + 0.01);
}

TEST(TextLayout, ALabelsLastVisibleLineIsTruncatedWithinTheWidth) {
  auto font = UIFont::systemFontOfSize(17);
  auto text = NSAttributedString::alloc()->initWithString(kLongMessage, attributes(font));
  TextLayout layout;
  layout.setAttributedText(*text);
  layout.setLineBreakMode(NSLineBreakByTruncatingTail);
  layout.setTruncatesLastVisibleLine(true);
  layout.setSize(CGSizeMake(150, 0));
  layout.setNumberOfLines(2);

  CGSize size = layout.size();

  EXPECT_EQ(layout.lineCount(), 2);
  EXPECT_NEAR(size.height, 2 * font->lineHeight(), 0.01);
  EXPECT_LE(size.width, 150);
  EXPECT_TRUE(pango_layout_is_ellipsized(layout.pangoLayout()));
}

TEST(TextLayout, DrawsItsLinesInsideTheRectangleItMeasures) {
  auto font = UIFont::systemFontOfSize(17);
  TextLayout layout;
  layout.setText("Hg 👍🏽 quite a long first line\nÅj", attributes(font, 4).get());
  layout.setSize(CGSizeMake(150, 0));
  CGSize size = layout.size();
  const int scale = 3, margin = 10;
  cairo_surface_t* surface = cairo_image_surface_create(
      CAIRO_FORMAT_ARGB32, static_cast<int>((size.width + 2 * margin) * scale),
      static_cast<int>((size.height + 2 * margin) * scale));
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, scale, scale);
  CGContextRef context = CGContextCreateWithCairo(cr);

  layout.draw(context, CGPointMake(margin, margin));
  CGContextRelease(context);
  cairo_surface_flush(surface);
  std::vector<int> inkPerLine(static_cast<size_t>(layout.lineCount()), 0);
  int outside = 0;
  const unsigned char* pixels = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < cairo_image_surface_get_height(surface); ++y) {
    for (int x = 0; x < cairo_image_surface_get_width(surface); ++x) {
      if (pixels[y * stride + x * 4 + 3] == 0) continue;  // alpha
      double px = static_cast<double>(x) / scale - margin,
             py = static_cast<double>(y) / scale - margin;
      if (px < -1 || px > size.width + 1 || py < -1 || py > size.height + 1) ++outside;
      auto line = static_cast<size_t>(py / (font->lineHeight() + 4));
      if (py >= 0 && line < inkPerLine.size()) ++inkPerLine[line];
    }
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);

  EXPECT_EQ(layout.lineCount(), 3);
  EXPECT_NEAR(size.height, 3 * font->lineHeight() + 2 * 4, 1e-9);
  EXPECT_EQ(outside, 0);
  for (int ink : inkPerLine) EXPECT_GT(ink, 0);
}

TEST(UILabel, DefaultsFollowThePlatform) {
  auto label = UILabel::alloc()->init();

  EXPECT_EQ(label->font(), UIFont::systemFontOfSize(17));
  EXPECT_EQ(label->textColor(), UIColor::labelColor());
  EXPECT_EQ(label->numberOfLines(), 1);
  EXPECT_EQ(label->lineBreakMode(), NSLineBreakByTruncatingTail);
  EXPECT_EQ(label->textAlignment(), NSTextAlignmentNatural);
  EXPECT_FALSE(label->isUserInteractionEnabled());
  EXPECT_EQ(label->text(), nullptr);
  EXPECT_EQ(label->intrinsicContentSize(), CGSizeZero);
}

TEST(UILabel, IntrinsicSizeIsOneCeiledLineOrTheWrappedText) {
  auto font = UIFont::systemFontOfSize(17);
  auto single = UILabel::alloc()->init();
  single->setText(kLongMessage);
  auto wrapped = UILabel::alloc()->init();
  wrapped->setText(kLongMessage);
  wrapped->setNumberOfLines(0);
  wrapped->setPreferredMaxLayoutWidth(200);
  CGRect expected = bubbleRect(kLongMessage, 200, font);

  CGSize singleSize = single->intrinsicContentSize();
  CGSize wrappedSize = wrapped->intrinsicContentSize();
  wrapped->setNumberOfLines(2);
  CGSize twoLines = wrapped->intrinsicContentSize();

  EXPECT_EQ(singleSize, CGSizeMake(std::ceil(singleLineWidth(kLongMessage, font)),
                                   std::ceil(font->lineHeight())));
  EXPECT_EQ(wrappedSize,
            CGSizeMake(std::ceil(expected.size.width), std::ceil(expected.size.height)));
  EXPECT_GT(wrappedSize.height, 2 * font->lineHeight());
  EXPECT_EQ(twoLines.height, std::ceil(2 * font->lineHeight()));
  EXPECT_LE(twoLines.width, 200);
}

TEST(UILabel, AMultiLineLabelPinnedToAWidthGetsItsWrappedHeightInOneLayout) {
  auto root = makeView(CGRectMake(0, 0, 300, 600));
  auto multi = pinnedLabel(root, kLongMessage, 0);
  auto single = pinnedLabel(root, kLongMessage, 1);
  NSLayoutConstraint::activateConstraints(
      {multi->leadingAnchor().constraintEqualToAnchor(root->leadingAnchor(), 20),
       multi->trailingAnchor().constraintEqualToAnchor(root->trailingAnchor(), -20),
       multi->topAnchor().constraintEqualToAnchor(root->topAnchor(), 10),
       single->leadingAnchor().constraintEqualToAnchor(root->leadingAnchor(), 20),
       single->trailingAnchor().constraintEqualToAnchor(root->trailingAnchor(), -20),
       single->topAnchor().constraintEqualToAnchor(multi->bottomAnchor(), 8)});
  auto font = UIFont::systemFontOfSize(17);

  root->layoutIfNeeded();
  CGRect before = multi->frame();
  root->setFrame(CGRectMake(0, 0, 200, 600));
  root->layoutIfNeeded();

  EXPECT_EQ(before,
            CGRectMake(20, 10, 260, std::ceil(bubbleRect(kLongMessage, 260, font).size.height)));
  EXPECT_EQ(multi->frame().size.width, 160);
  EXPECT_EQ(multi->frame().size.height, std::ceil(bubbleRect(kLongMessage, 160, font).size.height));
  EXPECT_GT(multi->frame().size.height, before.size.height);
  EXPECT_EQ(single->frame(),
            CGRectMake(20, CGRectGetMaxY(multi->frame()) + 8, 160, std::ceil(font->lineHeight())));
}

TEST(UILabel, SettersThatChangeTheSizeRelayoutTheLabel) {
  auto root = makeView(CGRectMake(0, 0, 390, 844));
  auto label = pinnedLabel(root, "Hi", 1);
  NSLayoutConstraint::activateConstraints(
      {label->leadingAnchor().constraintEqualToAnchor(root->leadingAnchor()),
       label->topAnchor().constraintEqualToAnchor(root->topAnchor())});
  root->layoutIfNeeded();
  CGSize small = label->frame().size;

  label->setText("Hi there, how are you?");
  root->layoutIfNeeded();
  CGSize longer = label->frame().size;
  label->setFont(UIFont::systemFontOfSize(30));
  root->layoutIfNeeded();
  CGSize larger = label->frame().size;
  label->setText(nullptr);
  root->layoutIfNeeded();

  EXPECT_GT(longer.width, small.width);
  EXPECT_EQ(larger.height, std::ceil(UIFont::systemFontOfSize(30)->lineHeight()));
  EXPECT_GT(larger.width, longer.width);
  EXPECT_EQ(label->frame().size, CGSizeZero);
}

TEST(UILabel, SizeThatFitsAndTextRectLimitTheLines) {
  auto font = UIFont::systemFontOfSize(17);
  auto label = UILabel::alloc()->init();
  label->setText(kLongMessage);
  label->setNumberOfLines(0);
  CGFloat wrappedHeight = std::ceil(bubbleRect(kLongMessage, 150, font).size.height);

  CGSize fits = label->sizeThatFits(CGSizeMake(150, 10));
  CGRect oneLine = label->textRectForBounds(CGRectMake(5, 5, 150, 500), 1);
  CGRect short_ = label->textRectForBounds(CGRectMake(0, 0, 150, 2.5 * font->lineHeight()), 0);

  EXPECT_EQ(fits.height, wrappedHeight);  // the height given does not limit it
  EXPECT_LE(fits.width, 150);
  EXPECT_EQ(oneLine.origin, CGPointMake(5, 5));
  EXPECT_EQ(oneLine.size.height, std::ceil(font->lineHeight()));
  EXPECT_LE(oneLine.size.width, 150);
  EXPECT_EQ(short_.size.height, std::ceil(2 * font->lineHeight()));  // only whole lines that fit
}

TEST(UILabel, AttributedTextKeepsItsRunsAndTakesTheLabelsFontWhereItHasNone) {
  auto big = UIFont::systemFontOfSize(24);
  auto colored = NSMutableAttributedString::alloc()->initWithString("Hello");
  colored->addAttribute(NSForegroundColorAttributeName, UIColor::redColor(), NSMakeRange(0, 5));
  auto label = UILabel::alloc()->init();
  label->setFont(big);

  label->setAttributedText(colored);
  CGSize size = label->intrinsicContentSize();
  label->setFont(UIFont::systemFontOfSize(12));
  auto afterFont = label->attributedText();

  EXPECT_TRUE(label->text()->isEqualToString("Hello"));
  EXPECT_EQ(size,
            CGSizeMake(std::ceil(singleLineWidth("Hello", big)), std::ceil(big->lineHeight())));
  EXPECT_EQ(afterFont->attribute(NSFontAttributeName, 0), UIFont::systemFontOfSize(12));
  EXPECT_EQ(afterFont->attribute(NSForegroundColorAttributeName, 4), UIColor::redColor());
}

TEST(UILabel, AnswersItsTextSelectorsByName) {
  auto label = UILabel::alloc()->init();

  objc_msgSend(label, "setText:", NSString::string("Send"));
  objc_msgSend(label, "setNumberOfLines:", NSInteger{0});
  auto text = objc_msgSend<std::shared_ptr<NSString>>(label, "text");
  auto font = objc_msgSend<std::shared_ptr<UIFont>>(label, "font");

  EXPECT_TRUE(text->isEqualToString("Send"));
  EXPECT_EQ(font, UIFont::systemFontOfSize(17));
  EXPECT_EQ(label->numberOfLines(), 0);
}
