// The throttle buttons of the parameter dialog: the unit samples its throttle sensor (with the
// throttle held closed or fully open) and reports the voltage.
#pragma once
#include <cstdint>

namespace pv {

// The unit needs this long between the sample command and the read of the voltage.
inline constexpr uint32_t kThrottleSampleWaitMs = 100;

// The sensor voltage in mV, or 0 when the unit did not take the command (no message) or the
// voltage could not be read ("Communication error(1171)" shown).
uint16_t sample_throttle_voltage();

}  // namespace pv
