// The choices of View > Log Overlay, apart from what they compute, for the windows that only
// pass them on.
#pragma once
#include <cstdint>

namespace pv {

// What the overlay colours the map's cells by.
enum class OverlayChoice : uint8_t { off = 0, time = 1, mean = 2, peak = 3 };
// Which log the overlay reads.
enum class OverlaySource : uint8_t { data_log = 0, comparison_log = 1 };

}  // namespace pv
