#pragma once

// The add-on's way into the host app: when the switch is on, the title label of a Direct thread
// gets a two-second long press that opens the add-on's options alert.

#include <memory>

#include "foundation/Forward.h"
#include "foundation/NSString.h"
#include "foundation/NSURL.h"
#include "uikit/Forward.h"

// The thread's first other user, as of the latest opening of the options alert (nil when the
// thread had none).
extern std::shared_ptr<NSString> recipientUsernameString;
extern std::shared_ptr<NSURL> recipientAvatarURL;

// Reads the add-on's switch ("toggleParlo" in "com.brisvale.ParloPrefs") into the enable flag.
void SettingsChanged();

namespace ThreadTitleHook {

// The work of the library's static initialiser: SettingsChanged(), then, when the switch is on,
// the setFrame: replacement and the three methods on UIButtonLabel. Installs at most once per
// process.
void load();

// The enable flag as SettingsChanged() last read it.
bool isEnabled();

// How long the options handler waits for the avatar before opening the alert without it.
inline constexpr double kAvatarTimeout = 5.0;

// The alert's actions, run after it has been dismissed, with the thread screen that presented it.
void launchFakeChat(const std::shared_ptr<UIViewController>& threadScreen,
                    const std::shared_ptr<NSData>& avatarData);
void openSettings(const std::shared_ptr<UIViewController>& threadScreen);

}  // namespace ThreadTitleHook
