#include "core/params/throttle_sample.h"

#include "core/document/unit.h"
#include "core/link/netunit.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {

uint16_t sample_throttle_voltage() {
    set_comm_state(1);
    uint16_t result = 0;
    {
        CommandPurpose purpose(cmd_throttle_sample);
        if (write_block(115)) {
            Delay(kThrottleSampleWaitMs);
            if (read_block(117))
                result = unit.throttle_voltage;
            else
                prompter().message(Icon::Error, error_text(32));
        }
    }
    set_comm_state(0);
    return result;
}

}  // namespace pv
