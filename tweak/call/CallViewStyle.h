#pragma once

// The looks the call pages share: the dark blurred cover over an enlarged picture, the light grey
// ring of the round avatars, and their white centred labels.

#include <memory>

#include "quartz/CGColor.h"
#include "uikit/UIFont.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UIVisualEffectView.h"

namespace CallViewStyle {

// The ring colour of the round avatars: red, green and blue 0.86.
CGColor lightGreyBorder();

// The enlarged picture behind a page: 375 points square, aspect fill, centred on `parent`.
// Added to `parent` already.
std::shared_ptr<UIImageView> addCover(const std::shared_ptr<UIView>& parent,
                                      std::shared_ptr<UIImage> image);

// A dark material blur filling `parent`, added to it.
std::shared_ptr<UIVisualEffectView> addBlur(const std::shared_ptr<UIView>& parent);

// The round picture of a page: 96 points across, 160 below the page's top, centred.
std::shared_ptr<UIImageView> addRoundAvatar(const std::shared_ptr<UIView>& parent,
                                            std::shared_ptr<UIImage> image, CGFloat borderWidth);

// A white, centred label in the system font, added to `parent`, not yet placed.
std::shared_ptr<UILabel> addLabel(const std::shared_ptr<UIView>& parent, const char* text,
                                  CGFloat size, UIFontWeight weight);

}  // namespace CallViewStyle
