#pragma once

// Measuring text, as the platform's NSString(NSStringDrawing) and
// NSAttributedString(NSStringDrawing) categories do. A chat measures every row's text on every
// reload, so results are kept in a bounded cache (least recently used out first) keyed by
// everything that decides them: the text, its fonts, kern and paragraph settings, the box and the
// options. Colours do not take part; they change nothing in a size. A plain text in one font that
// wraps at a width is measured from the widths of its words where that gives the full layout's
// result exactly (WordWrapMeasurer), so a chat's first measurement shapes each word once, not each
// text.

#include <cstddef>
#include <memory>
#include <string_view>

#include "foundation/Forward.h"
#include "foundation/NSObjCRuntime.h"
#include "quartz/CGGeometry.h"
#include "uikit/Forward.h"
#include "uikit/NSParagraphStyle.h"

using NSStringDrawingOptions = NSInteger;
// Lay out in lines from the rectangle's top left, wrapping at its width. Without it the text is
// one line whose origin is the baseline: the rectangle starts at minus the first line's ascent.
inline constexpr NSStringDrawingOptions NSStringDrawingUsesLineFragmentOrigin = 1 << 0;
// Lines are spaced by the font's line height, which already holds its leading, so this adds
// nothing further; accepted for callers that pass it.
inline constexpr NSStringDrawingOptions NSStringDrawingUsesFontLeading = 1 << 1;
// Accepted; sizes are always the typographic ones.
inline constexpr NSStringDrawingOptions NSStringDrawingUsesDeviceMetrics = 1 << 3;
// With line fragment origin: lines wrap and the paragraph's truncating mode shortens only the
// last line that fits the box, instead of keeping each paragraph on one line.
inline constexpr NSStringDrawingOptions NSStringDrawingTruncatesLastVisibleLine = 1 << 5;

namespace NSStringDrawing {

// The rectangle the text occupies inside a box of `size`: its width is the widest line, its height
// the lines that fit the box (at least one) with the paragraph's line spacing between them. The
// values are not rounded; size views with ceil. A width or height that is not positive, or
// CGFLOAT_MAX / FLT_MAX, is unlimited. An empty string measures CGRectZero: an empty chat bubble
// is only its padding.
CGRect boundingRectWithSize(const NSString& string, CGSize size, NSStringDrawingOptions options,
                            const std::shared_ptr<NSDictionary>& attributes);
CGRect boundingRectWithSize(std::string_view utf8, CGSize size, NSStringDrawingOptions options,
                            const std::shared_ptr<NSDictionary>& attributes);
CGRect boundingRectWithSize(const NSAttributedString& string, CGSize size,
                            NSStringDrawingOptions options);

// The size of the text with no box: its lines as its line breaks make them.
CGSize sizeWithAttributes(const NSString& string, const std::shared_ptr<NSDictionary>& attributes);
CGSize sizeWithAttributes(std::string_view utf8, const std::shared_ptr<NSDictionary>& attributes);
// -[NSAttributedString size].
CGSize size(const NSAttributedString& string);

// A label's text (UILabel): lines wrap at size.width, at most `numberOfLines` of them (0: no
// limit) and those that fit size.height are shown, and `lineBreakMode` truncates the last one.
// Not rounded. Cached with the rest.
CGSize sizeOfLabelText(const NSAttributedString& text, CGSize size, NSInteger numberOfLines,
                       NSLineBreakMode lineBreakMode);

// The cache. A capacity of 0 turns it off: every call lays its text out in full, also the
// plain wrapped texts otherwise measured from the widths of their words.
// Clearing empties the word widths too, as in a process that has measured nothing yet.
void clearMeasurementCache();
// Distinct words whose widths are kept.
size_t measuredWordCount();
size_t measurementCacheCount();
size_t measurementCacheCapacity();
void setMeasurementCacheCapacity(size_t capacity);

}  // namespace NSStringDrawing
