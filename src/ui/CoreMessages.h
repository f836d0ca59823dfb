#pragma once

#include <QString>

#include "common/Deletion.h"
#include "common/DriveWalk.h"

namespace rk {

class Services;

// Tells the user what a search met that its list does not show, in the order the search met
// it: each drive that could not be opened (an error box each), then a list that was full (a
// warning in the tool's own words, with the warning beep where the tool gives it). The windows and
// the command-line reports call it once a search has ended; the search itself shows nothing.
// Asks a deletion's question in a Confirm box, No the default: Yes goes on with the file.
[[nodiscard]] AskYesNo confirmBox(const Services& services);

void tellSearchOutcome(const Services& services, const SearchOutcome& outcome,
                       const QString& listFullText, bool beepWhenFull = false);

}  // namespace rk
