#pragma once

// What the incoming and outgoing message cells share: the built-in text label styled for a
// bubble, the like pill, and the layout pass that sizes the bubble from the measured text.

#include <memory>

#include "BrisvaleKit/UIView+Layout.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UITableViewCell.h"

namespace ChatBubble {

// System font 17, wrapping over as many lines as it needs, left aligned, in the label colour.
void styleTextLabel(UILabel& label);
// The heart in a pill that overlaps the bubble's lower left corner. Its ring is the background
// colour, so the pill looks cut out of the bubble.
void makeLikePill(UIView& contentView, std::shared_ptr<UIView>& likeView,
                  std::shared_ptr<UILabel>& likeLabel);
// The other user's round avatar with its thin ring, aspect-filled; the caller places it.
std::shared_ptr<UIImageView> makeAvatar(UIView& contentView);
// Paints the layer colours from the palette for the view's current appearance; a layer keeps a
// fixed colour, so this runs again on every appearance change.
void setBorderColor(UIView& view, const std::shared_ptr<UIColor>& color);

}  // namespace ChatBubble

// The constraints of one bubble cell's layout pass. A pass measures the text, places the label by
// frame and the bubble round it, then ties the avatar and the pill to the bubble. The set is made
// once and afterwards only the bubble's place and size follow the text, so passes never pile up
// copies; after the cell's prepareForReuse removed them, the next pass makes a fresh set.
class ChatBubbleLayout {
 public:
  struct Parts {
    std::shared_ptr<UILabel> textLabel;
    std::shared_ptr<UIView> baseView;
    std::shared_ptr<UIView> likeView;
    std::shared_ptr<UILabel> likeLabel;
    std::shared_ptr<UIImageView> avatarImage;  // incoming only
  };

  // `incoming` puts the text 63 points from the left; otherwise it ends 35 from the right.
  void layout(UITableViewCell& cell, const Parts& parts, bool incoming);

 private:
  bool isActive() const;

  Layout::Constraints constraints_;
  Layout::Constraint bubbleLeading_;
  Layout::Constraint bubbleWidth_;
  Layout::Constraint bubbleHeight_;
};
