// The rule that guards a modified document before it is closed or replaced.
#pragma once

namespace pv {

// "Save data?" when the document has changes: Yes saves it through the document's window
// (the save dialog when it has no file yet), No goes on without saving. False when the
// command must stop: Cancel, a cancelled save dialog, or a failed write (reported here, so
// that the changes are not lost with the window or under new data).
bool save_modified_document_if_wanted();

}  // namespace pv
