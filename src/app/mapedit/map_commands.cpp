// The main window's editing commands; the map window carries them out on its grid.
#include "mapedit/map.h"
#include "shell/main.h"

namespace pv {

void Tmain::menuundoClick() {}
void Tmain::menucutClick() {}
void Tmain::menucopyClick() {}
void Tmain::menupasteClick() {}
void Tmain::menuconstClick() {}
void Tmain::menurateClick() {}
void Tmain::menutrimClick() {}
void Tmain::menuotherClick() {
    menuother->setChecked(false);
}
void Tmain::menuopasteClick() {}

}  // namespace pv
