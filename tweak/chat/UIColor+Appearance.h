#pragma once

// The fake chat's palette. Seven colours are greys that follow the appearance (the dark value
// for a dark trait collection, the light one for light and unspecified); activeCall is one fixed
// green. Each call makes a new colour.
//
// A layer's border colour is fixed when it is set, so a view that paints a layer from this
// palette sets it again in traitCollectionDidChange:.

#include <memory>

#include "quartz/UIColor.h"

namespace Appearance {

// The hairline under the chat navigation bar.
std::shared_ptr<UIColor> line();
// The border of the input bar's entry field.
std::shared_ptr<UIColor> entryBorder();
// The input bar's placeholder text.
std::shared_ptr<UIColor> placeholder();
// Borders of incoming bubbles, incoming call cards and the banner's "View Profile" pill.
std::shared_ptr<UIColor> incomingBubbleBorder();
// Fills of outgoing bubbles, like pills and outgoing call cards.
std::shared_ptr<UIColor> outgoingBubble();
// Grey secondary text, and the call cards' icon plate while no call runs.
std::shared_ptr<UIColor> callIconBackground();
// The green join-call pill during a call; the same in both appearances.
std::shared_ptr<UIColor> activeCall();
// The thin ring round avatars.
std::shared_ptr<UIColor> avatarBorder();

}  // namespace Appearance
