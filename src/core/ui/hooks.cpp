#include "core/ui/hooks.h"

namespace pv {
namespace {

struct Defaults : ShellViews, DocumentViews, DocumentFlow, TransferProgress, LiveViews, LogViews {};
Defaults none;
FrontEnd current;

template <typename I>
I& or_default(I* installed) {
    return installed ? *installed : static_cast<I&>(none);
}

}  // namespace

ShellViews& shell_views() {
    return or_default(current.shell);
}
DocumentViews& document_views() {
    return or_default(current.documents);
}
DocumentFlow& document_flow() {
    return or_default(current.flow);
}
TransferProgress& transfer_progress() {
    return or_default(current.progress);
}
LiveViews& live_views() {
    return or_default(current.live);
}
LogViews& log_views() {
    return or_default(current.logs);
}

void install_front_end(const FrontEnd& f) {
    current = f;
}

FrontEnd installed_front_end() {
    return current;
}

}  // namespace pv
