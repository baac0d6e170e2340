#pragma once

// Row heights of the chat table, measured the way the message cells measure their text, so a
// row is always as tall as the bubble its cell lays out.

#include <memory>

#include "quartz/CGGeometry.h"

class ChatDataModel;
class NSString;

namespace ChatRowHeights {

// The text of a message bubble (system font 17, wrapped at `textWidth`, unlimited height, from
// the line-fragment origin): tw and th. Not rounded. A nil or empty text measures zero.
CGSize measureMessageText(const std::shared_ptr<NSString>& text, CGFloat textWidth);

// A text row in a table `viewWidth` wide: th + 30 and room below the bubble, 16 when the pill of
// a like hangs there and 2 when not.
CGFloat heightForMessage(const std::shared_ptr<NSString>& text, bool liked, CGFloat viewWidth);

// Any record: text rows as above, a time header 40, every other type (the call records and
// types nothing knows) 73.
CGFloat heightForRecord(const ChatDataModel& record, CGFloat viewWidth);

}  // namespace ChatRowHeights
