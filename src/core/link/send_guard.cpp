#include "core/link/send_guard.h"

#include <ctime>

#include "core/link/netunit.h"
#include "core/link/transfers.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

SendReview* installed_review = nullptr;

bool confirm_by_question(const std::vector<Difference>& changes) {
    std::string text = msg_text(230);
    for (const Difference& d : changes) {
        text += "\r\n" + d.name + ": " + d.a_text + " -> " + d.b_text;
    }
    return prompter().ask(Icon::Question, Buttons::OkCancel, text) == Answer::Ok;
}

void keep_point(const ControllerData& d, RestoreCause cause) {
    if (history_folder().empty()) return;
    if (!keep_restore_point(d, cause, history_folder(), std::time(nullptr)))
        prompter().message(Icon::Warning, msg_text(228));
}

}  // namespace

void set_send_review(SendReview* review) {
    installed_review = review;
}

std::vector<Difference> send_changes(const ControllerData& in_unit, const ControllerData& doc,
                                     bool parameters_only) {
    std::vector<Difference> out;
    for (Difference& d : diff_data(in_unit, doc)) {
        if (!d.counts || d.field == "comment" || (parameters_only && d.is_cell)) continue;
        out.push_back(std::move(d));
    }
    return out;
}

bool guard_send(RestoreCause cause) {
    const bool review = settings.review_send != 0;
    const bool keep = settings.history_before_send != 0 && !history_folder().empty();
    if (!review && !keep) return true;

    // The read fills a copy of the document: what no block carries (the comment, the file's
    // labels) stays the document's, and the document itself is never touched, so no window
    // can paint the unit's values while the read or the review runs. The comparison works on
    // a copy too: it borrows the program's data to format the cells.
    const ControllerData doc = data;
    ControllerData in_unit = doc;
    set_comm_state(1);
    bool read = false;
    {
        ReadInto into(in_unit);
        read = run_net_dialog(1);
    }
    // The block that failed has been named; the send ends as a failed transfer does.
    if (!read) {
        link_error(error_text(46));
        return false;
    }

    const bool parameters_only = cause == RestoreCause::before_send_parameter;
    const std::vector<Difference> changes = send_changes(in_unit, doc, parameters_only);
    // A send that changes nothing leaves the unit as the last point found it.
    if (!changes.empty()) keep_point(in_unit, cause);
    if (!review) return true;
    if (changes.empty())
        return prompter().ask(Icon::Information, Buttons::YesNo, msg_text(229)) == Answer::Yes;
    return installed_review
               ? installed_review->confirm_send({in_unit, doc, changes, parameters_only})
               : confirm_by_question(changes);
}

void keep_loaded_point() {
    keep_point(data, RestoreCause::load_all);
}

}  // namespace pv
