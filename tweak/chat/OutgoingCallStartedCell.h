#pragma once

// A call the user started: the grey card on the right. While the call runs the controller makes it
// read "Tap to join" on a green plate.

#include <memory>
#include <string>

#include "chat/CallRecordCell.h"

class OutgoingCallStartedCell : public CallRecordCell {
  OBJC_CLASS(OutgoingCallStartedCell, CallRecordCell);

 public:
  // The controller's reuse identifier is "OutgoingStartCallCell".
  std::shared_ptr<OutgoingCallStartedCell> initWithStyle(UITableViewCellStyle style,
                                                         const std::string& reuseIdentifier);
};
