#pragma once

// A call the user started that ended: the grey card on the right.

#include <memory>
#include <string>

#include "chat/CallRecordCell.h"

class OutgoingCallEndedCell : public CallRecordCell {
  OBJC_CLASS(OutgoingCallEndedCell, CallRecordCell);

 public:
  // The controller's reuse identifier is "OutgoingEndedCallCell".
  std::shared_ptr<OutgoingCallEndedCell> initWithStyle(UITableViewCellStyle style,
                                                       const std::string& reuseIdentifier);
};
