#include "core/ui/hooks.h"

namespace pv {
namespace {
FrontEndHooks none;
FrontEndHooks* current = &none;
}  // namespace

FrontEndHooks& hooks() {
    return *current;
}
void set_hooks(FrontEndHooks* h) {
    current = h ? h : &none;
}

}  // namespace pv
