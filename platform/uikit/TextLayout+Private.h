#pragma once

// Text laid out with Pango as the platform's text system lays it out, in points. Measurement
// (boundingRectWithSize, labels' sizes) and drawing use the same layouts, so a text drawn in the
// rectangle it measured fits it exactly.

#include <string>
#include <string_view>
#include <vector>

#include "foundation/Forward.h"
#include "foundation/NSObjCRuntime.h"
#include "quartz/CGContext.h"
#include "quartz/CGGeometry.h"
#include "uikit/Forward.h"
#include "uikit/NSParagraphStyle.h"

typedef struct _PangoContext PangoContext;
typedef struct _PangoLayout PangoLayout;
typedef struct _PangoAttrList PangoAttrList;
typedef struct _PangoAttribute PangoAttribute;

// One reusable layout: set the text, the box and the settings, then read the results or draw.
// Uses the shared Pango context; main thread only, as all of the user interface.
class TextLayout {
 public:
  TextLayout();
  ~TextLayout();
  TextLayout(const TextLayout&) = delete;
  TextLayout& operator=(const TextLayout&) = delete;
  TextLayout(TextLayout&& other) noexcept;
  TextLayout& operator=(TextLayout&& other) noexcept;

  // The text and its runs. What a run leaves out takes the platform's defaults: the system font
  // of size 12, black, the default paragraph style. The paragraph settings (alignment, line
  // spacing, line break mode) are those of the first character. Colours are resolved against the
  // current trait collection now.
  void setAttributedText(const NSAttributedString& text);
  // Plain text with one set of attributes (nil for none).
  void setText(const NSString& text, const NSDictionary* attributes);
  void setText(std::string_view utf8, const NSDictionary* attributes);

  // Overrides of the paragraph settings, as a label's own properties override its text's. Setting
  // the text again takes the text's own settings back.
  void setAlignment(NSTextAlignment alignment);
  void setLineBreakMode(NSLineBreakMode mode);
  void setLineSpacing(CGFloat spacing);

  // The box the text is laid out in: lines wrap at its width, and only the lines that fit in its
  // height are shown (always at least one). A dimension that is not positive, or beyond a million
  // points (CGFLOAT_MAX, FLT_MAX), is unlimited.
  void setSize(CGSize size);
  // The most lines shown; 0 for no limit.
  void setNumberOfLines(NSInteger lines);
  // As a label: lines always wrap, and the line break mode's truncation applies to the last
  // visible line only. Without it, as text drawn by its paragraph style, a truncating or clipping
  // mode keeps each paragraph on one line, truncated or clipped at the width.
  void setTruncatesLastVisibleLine(bool truncates);
  // One line: line breaks count as spaces and nothing wraps.
  void setSingleLine(bool singleLine);

  // Results, laid out on first use after a change. Width: the widest visible line; height: the
  // visible lines with the line spacing between them. A line is as tall as the tallest line
  // height among the fonts of its runs, also where glyphs come from a fallback font (emoji) with
  // other metrics, so n lines of one font measure n * lineHeight + (n - 1) * spacing. Empty text
  // measures {0, 0} and has no lines.
  CGSize size();
  NSInteger lineCount();
  // The first line's baseline, from the top.
  CGFloat firstBaseline();

  // Where a caret before the UTF-8 index stands among the visible lines: the x of the position
  // and the top and height of its line, zero wide. Empty text has no lines: CGRectZero.
  CGRect caretRect(size_t byteIndex);
  // The UTF-8 index of the caret position nearest to a point, in the layout's coordinates.
  size_t caretIndexAtPoint(CGPoint point);

  // Draws the visible lines in their runs' colours, the text's top left at `origin` in the
  // context's user space (points; any scale).
  void draw(CGContextRef context, CGPoint origin);
  // The Pango layout behind it, for hit testing and the like: its line breaks, glyphs and
  // horizontal positions are the ones drawn, but lines are stacked by TextLayout (see draw).
  PangoLayout* pangoLayout();

  // The process's Pango context: metrics unhinted and glyph positions unrounded, so that text
  // measures the same however it is drawn later.
  static PangoContext* context();

 private:
  void clearContent();
  void appendRun(std::string_view utf8, const NSDictionary* attributes);
  void readParagraph(const NSDictionary* attributes);
  void layoutIfNeeded();
  struct Line {
    CGFloat x;  // where the alignment puts the line
    CGFloat width;
    CGFloat top;
    CGFloat height;
    CGFloat baseline;
    int pangoBottom;  // the bottom of Pango's own extents of the line, in Pango units
  };
  std::vector<Line> measureLines() const;

  // The vertical metrics of the font of each run, by UTF-8 byte range, to stack lines with.
  struct FontRun {
    size_t start;
    CGFloat ascender;
    CGFloat descender;  // positive, below the baseline
    CGFloat leading;
  };
  const FontRun& fontRunAt(size_t byteIndex) const;
  std::vector<FontRun> fontRuns_;

  PangoLayout* layout_ = nullptr;
  std::string text_;
  PangoAttrList* attributes_ = nullptr;
  // The last run's attributes, which are stretched to the end of the text when it is laid out.
  std::vector<PangoAttribute*> lastRunAttributes_;

  NSTextAlignment alignment_ = NSTextAlignmentNatural;
  NSLineBreakMode lineBreakMode_ = NSLineBreakByWordWrapping;
  CGFloat lineSpacing_ = 0;
  CGSize box_{0, 0};
  NSInteger numberOfLines_ = 0;
  bool truncatesLastVisibleLine_ = false;
  bool singleLine_ = false;

  bool dirty_ = true;
  CGSize size_{0, 0};
  NSInteger lineCount_ = 0;
  CGFloat firstBaseline_ = 0;
  std::vector<Line> lines_;  // the visible ones
};
