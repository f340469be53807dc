#include "app/shell/app.h"

int main(int argc, char** argv) {
    return pv::run_pvedit(argc, argv);
}
