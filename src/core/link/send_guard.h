// What happens between the checks of a send and its first write: the unit is read the way
// Load All Data reads it, what it held is kept as a restore point, and with review on the
// user sees what the send would change before anything is written.
#pragma once
#include <vector>

#include "core/document/data_diff.h"
#include "core/history/restore_points.h"

namespace pv {

// What a send would change: the unit's data as just read, the document, and their
// differences (the unit's value as a, the document's as b), as send_changes gives them.
struct SendChanges {
    const ControllerData& in_unit;
    const ControllerData& doc;
    const std::vector<Difference>& changes;
    bool parameters_only = false;
};

// Shows a send's changes and answers whether to send. The front-end installs its own;
// without one the changes are listed in a question.
class SendReview {
  public:
    virtual ~SendReview() = default;
    virtual bool confirm_send(const SendChanges& send) = 0;
};
void set_send_review(SendReview* review);

// The changes that a send of `doc` makes to a unit holding `in_unit`: only what is sent, so
// never the comment or the labels, and for Send Parameter no table.
std::vector<Difference> send_changes(const ControllerData& in_unit, const ControllerData& doc,
                                     bool parameters_only);

// Before the first write of Send All Data or Send Parameter. False when the send must stop:
// the unit could not be read (its error has been shown), or the user cancelled the review.
bool guard_send(RestoreCause cause);

// After a Load All Data that succeeded: the document holds what the unit held.
void keep_loaded_point();

}  // namespace pv
