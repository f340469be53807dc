// The 24-byte frame that carries every exchange with the controller unit, the unit's memory
// map as the program knows it, and the byte layout of each block. Pure functions over a
// ControllerData / UnitState pair, so that the simulated unit speaks through the same code.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "core/document/unit.h"

namespace pv {

inline constexpr size_t kFrameSize = 24;
inline constexpr size_t kFrameDataSize = 16;
inline constexpr size_t kFrameDataOffset = 7;
inline constexpr size_t kFrameEchoSize = 7;  // header, command, length, address

inline constexpr uint8_t read_request = 0x3A;
inline constexpr uint8_t write_request = 0xB5;

inline constexpr uint32_t live_data_address = 0xF780;

// Request and reply share one layout: header, command, length, the address as two 16-bit
// halves (high half first, each low byte first), 16 data bytes and a checksum.
struct LinkFrame {
    std::array<uint8_t, kFrameSize> bytes{};

    uint8_t header() const { return bytes[0]; }
    uint8_t command() const { return bytes[1]; }
    uint8_t length() const { return bytes[2]; }
    uint32_t address() const;
    uint8_t checksum() const { return bytes[23]; }
    const uint8_t* data() const { return bytes.data() + kFrameDataOffset; }
    uint8_t* data() { return bytes.data() + kFrameDataOffset; }

    void set_address(uint32_t address);
    // Fills byte 23 from bytes 1 to 22.
    void seal();
    bool operator==(const LinkFrame&) const = default;
};

// Two's complement of the 8-bit sum of bytes 1 to 22 (the header is not summed).
uint8_t frame_checksum(const uint8_t* frame24);

LinkFrame make_read_request(uint8_t header, uint32_t address);
// `length` bytes of `values` (at most 16) from offset 7; the rest stays 0.
LinkFrame make_write_request(uint8_t header, uint32_t address, const uint8_t* values,
                             size_t length);

// A reply is good when exactly 24 bytes came, bytes 0 to 6 echo the request and the checksum
// holds. The data of a reply to a write is not looked at.
bool reply_valid(const LinkFrame& request, const uint8_t* reply, size_t got);

// A request as the unit accepts it: 24 bytes, a known command, a length the command allows
// (16 for reads, 1 to 16 for writes) and a good checksum. Any header byte is echoed.
bool request_valid(const uint8_t* frame, size_t got);

enum class BlockUse : uint8_t { read, write, read_write };

struct BlockDef {
    int id;
    uint16_t base;
    uint8_t width;
    uint8_t height;
    uint8_t element;  // bytes per cell
    uint8_t length;   // data blocks: bytes carried; map blocks: the whole block
    BlockUse use;

    bool is_table() const { return id < 100; }
    bool readable() const { return use != BlockUse::write; }
    bool writable() const { return use != BlockUse::read; }
};

// The seven axis and map blocks in address order, then data blocks 101 to 121.
extern const std::array<BlockDef, 28> block_table;
const BlockDef* find_block(int block_id);

// Unit address of the frame that starts at cell (col, row), both from 1.
uint32_t frame_address(const BlockDef& b, int col, int row);
// Bytes of the block from (col, row) to its end.
int remaining_bytes(const BlockDef& b, int col, int row);
// Cells one frame carries from (col, row); the last frame of a pass carries only what is
// left of the block.
int frame_cell_count(const BlockDef& b, int col, int row, bool last_frame);
// Value of a write request's length byte for the frame at (col, row).
int write_length(const BlockDef& b, int col, int row);
// Frames of a whole pass over the block, and the start of the frame after (col, row).
int table_frame_count(const BlockDef& b);
void advance_frame(const BlockDef& b, int& col, int& row);

// Cylinder and speed-pulse codes of block 112. Unknown program values travel as the code of
// 4; unknown codes read as 4.
uint8_t cylinder_code(uint8_t cyls);
uint8_t cylinders_from_code(uint8_t code);
uint8_t speed_pulse_code(uint8_t pulses);
uint8_t speed_pulses_from_code(uint8_t code);

// The values the frame at (col, row) carries, packed from out[0]; returns the number of data
// bytes (the write length), or 0 for a position outside the block.
size_t encode_frame_data(const BlockDef& b, int col, int row, bool last_frame,
                         const ControllerData& d, const UnitState& u, uint8_t out[16]);
// The inverse: stores the block's fields from 16 data bytes of a read reply.
void decode_frame_data(const BlockDef& b, int col, int row, bool last_frame, const uint8_t in[16],
                       ControllerData& d, UnitState& u);

// The status word bits the program gives a name.
enum StatusBit : int {
    status_throttle_axis = 2,  // vertical axis of the map in use
    status_rev_axis = 3,       // horizontal axis of the map in use
    status_rev_is_rpm = 4,
    status_pressure_kpa = 5,
    status_after_image = 6,
    status_bar_peak = 7,
    status_lock_set = 8,
    status_mode_b_active = 11,
    status_valve_swing = 12,
    status_setup_second_run = 13,
    status_setup_complete = 14,
    status_control_on = 15,
};

// What block 115 tells the unit to do with the data written before it.
enum UnitCommand : uint8_t {
    cmd_none = 0x00,
    cmd_apply = 0xFF,
    cmd_apply_initial = 0xDD,  // the initial setup items were part of the send
    cmd_lock = 0xAA,
    cmd_reset = 0x55,
    cmd_throttle_sample = 0xCC,
};
inline constexpr uint8_t all_reset_request = 0xFF;  // the one value block 116 carries

struct LiveSample {
    int16_t boost = 0;
    int16_t peak_boost = 0;
    uint8_t rev = 0;
    uint8_t throttle = 0;
};
// The measured values in the 16 bytes of the live-data block.
LiveSample decode_live_data(const uint8_t in[16]);

}  // namespace pv
