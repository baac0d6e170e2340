#pragma once

// The attributes a text view takes from its own settings, shared by the label, the text view
// and the text field.

#include <memory>
#include <optional>

#include "foundation/NSDictionary.h"
#include "quartz/UIColor.h"
#include "uikit/NSAttributedString.h"
#include "uikit/NSParagraphStyle.h"
#include "uikit/UIFont.h"

// Font and colour, and with an alignment a paragraph style that has it.
std::shared_ptr<NSDictionary> UITextAttributesMake(
    const std::shared_ptr<UIFont>& font, const std::shared_ptr<UIColor>& color,
    std::optional<NSTextAlignment> alignment = std::nullopt);
// The text with the font and colour filled in where a run has none; other runs keep theirs.
std::shared_ptr<NSAttributedString> UITextFillingMissingAttributes(
    const NSAttributedString& text, const std::shared_ptr<UIFont>& font,
    const std::shared_ptr<UIColor>& color);
