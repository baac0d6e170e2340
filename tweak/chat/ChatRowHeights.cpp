#include "chat/ChatRowHeights.h"

#include <cfloat>

#include "chat/ChatDataModel.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSString.h"
#include "uikit/NSAttributedString.h"
#include "uikit/NSStringDrawing.h"
#include "uikit/UIFont.h"

namespace ChatRowHeights {

CGSize measureMessageText(const std::shared_ptr<NSString>& text, CGFloat textWidth) {
  if (!text || text->length() == 0) return CGSizeZero;
  // Made once: the font is shared, and NSStringDrawing keeps the measurements by text, box and
  // attributes.
  static const std::shared_ptr<NSDictionary> attributes = [] {
    auto made = NSMutableDictionary::dictionary();
    made->setObject(UIFont::systemFontOfSize(17), NSFontAttributeName);
    return std::shared_ptr<NSDictionary>(made);
  }();
  return NSStringDrawing::boundingRectWithSize(*text, CGSizeMake(textWidth, FLT_MAX),
                                               NSStringDrawingUsesLineFragmentOrigin, attributes)
      .size;
}

CGFloat heightForMessage(const std::shared_ptr<NSString>& text, bool liked, CGFloat viewWidth) {
  return measureMessageText(text, viewWidth - 120).height + 30 + (liked ? 16 : 2);
}

CGFloat heightForRecord(const ChatDataModel& record, CGFloat viewWidth) {
  if (record.isType(ChatMessageType::TimeHeader)) return 40;
  if (record.isType(ChatMessageType::Incoming) || record.isType(ChatMessageType::Outgoing)) {
    return heightForMessage(record.message, record.showLike, viewWidth);
  }
  return 73;
}

}  // namespace ChatRowHeights
