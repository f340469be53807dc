#include "core/document/document_flow.h"

#include "core/document/unit.h"
#include "core/ui/hooks.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {

bool save_modified_document_if_wanted() {
    if (!state.doc_modified) return true;
    Answer a = prompter().ask(Icon::Question, Buttons::YesNoCancel, msg_text(12));
    if (a == Answer::No) return true;
    if (a != Answer::Yes) return false;
    switch (document_flow().save_modified_document()) {
        case SaveResult::saved:
            return true;
        case SaveResult::failed:
            prompter().message(Icon::Error, msg_text(2));
            return false;
        case SaveResult::cancelled:
            return false;
    }
    return false;
}

}  // namespace pv
