#include "core/link/frames.h"

#include <algorithm>

namespace pv {

uint32_t LinkFrame::address() const {
    uint32_t high = bytes[3] | (bytes[4] << 8);
    uint32_t low = bytes[5] | (bytes[6] << 8);
    return (high << 16) | low;
}

void LinkFrame::set_address(uint32_t address) {
    bytes[3] = static_cast<uint8_t>(address >> 16);
    bytes[4] = static_cast<uint8_t>(address >> 24);
    bytes[5] = static_cast<uint8_t>(address);
    bytes[6] = static_cast<uint8_t>(address >> 8);
}

void LinkFrame::seal() {
    bytes[23] = frame_checksum(bytes.data());
}

uint8_t frame_checksum(const uint8_t* frame24) {
    unsigned sum = 0;
    for (size_t k = 1; k < kFrameSize - 1; ++k) sum += frame24[k];
    return static_cast<uint8_t>(0u - sum);
}

LinkFrame make_read_request(uint8_t header, uint32_t address) {
    LinkFrame f;
    f.bytes[0] = header;
    f.bytes[1] = read_request;
    f.bytes[2] = kFrameDataSize;
    f.set_address(address);
    f.seal();
    return f;
}

LinkFrame make_write_request(uint8_t header, uint32_t address, const uint8_t* values,
                             size_t length) {
    LinkFrame f;
    length = std::min(length, kFrameDataSize);
    f.bytes[0] = header;
    f.bytes[1] = write_request;
    f.bytes[2] = static_cast<uint8_t>(length);
    f.set_address(address);
    std::copy(values, values + length, f.data());
    f.seal();
    return f;
}

bool reply_valid(const LinkFrame& request, const uint8_t* reply, size_t got) {
    if (got != kFrameSize || reply == nullptr) return false;
    if (!std::equal(request.bytes.begin(), request.bytes.begin() + kFrameEchoSize, reply))
        return false;
    return reply[23] == frame_checksum(reply);
}

bool request_valid(const uint8_t* frame, size_t got) {
    if (got != kFrameSize || frame == nullptr) return false;
    bool length_ok = (frame[1] == read_request && frame[2] == kFrameDataSize) ||
                     (frame[1] == write_request && frame[2] >= 1 && frame[2] <= kFrameDataSize);
    return length_ok && frame[23] == frame_checksum(frame);
}

namespace {
constexpr BlockDef table(int id, uint16_t base, uint8_t w, uint8_t h, uint8_t e) {
    return {id, base, w, h, e, static_cast<uint8_t>(w * h * e), BlockUse::read_write};
}
constexpr BlockDef block(int id, uint16_t base, uint8_t length, BlockUse use) {
    return {id, base, 1, 1, 1, length, use};
}
constexpr BlockUse R = BlockUse::read;
constexpr BlockUse W = BlockUse::write;
constexpr BlockUse RW = BlockUse::read_write;
}  // namespace

const std::array<BlockDef, 28> block_table = {{
    table(12, 0xF7AE, 5, 1, 1), table(11, 0xF7B3, 5, 1, 1), table(14, 0xF7B8, 5, 1, 1),
    table(21, 0xF7C0, 5, 5, 2), table(25, 0xF7F2, 5, 5, 2), table(22, 0xF824, 5, 5, 1),
    table(26, 0xF83D, 5, 5, 1), block(101, 0xF78E, 2, R),   block(102, 0xD100, 2, R),
    block(103, 0xF78A, 2, R),   block(104, 0xF7A0, 4, RW),  block(105, 0xF7A5, 4, RW),
    block(106, 0xF7AA, 4, RW),  block(107, 0xF856, 1, RW),  block(108, 0xF858, 3, RW),
    block(109, 0xF85E, 1, RW),  block(110, 0xF85F, 2, RW),  block(111, 0xF862, 2, W),
    block(112, 0xF865, 2, RW),  block(113, 0xF868, 4, RW),  block(114, 0xF870, 3, RW),
    block(115, 0xF878, 1, W),   block(116, 0xF86E, 1, W),   block(117, 0xF86C, 2, R),
    block(118, 0xF87C, 1, R),   block(119, 0xF864, 1, RW),  block(120, 0xF87A, 2, RW),
    block(121, 0xF87D, 1, RW),
}};

const BlockDef* find_block(int block_id) {
    for (const BlockDef& b : block_table)
        if (b.id == block_id) return &b;
    return nullptr;
}

namespace {
bool inside(const BlockDef& b, int col, int row) {
    return col >= 1 && col <= b.width && row >= 1 && row <= b.height;
}
int cell_index(const BlockDef& b, int col, int row) {
    return (row - 1) * b.width + (col - 1);
}
}  // namespace

uint32_t frame_address(const BlockDef& b, int col, int row) {
    return b.base + static_cast<uint32_t>(cell_index(b, col, row) * b.element);
}

int remaining_bytes(const BlockDef& b, int col, int row) {
    if (!b.is_table()) return b.length;
    if (!inside(b, col, row)) return 0;
    return (b.width * b.height - cell_index(b, col, row)) * b.element;
}

int frame_cell_count(const BlockDef& b, int col, int row, bool last_frame) {
    int left = remaining_bytes(b, col, row);
    int count = last_frame ? (left % static_cast<int>(kFrameDataSize)) / b.element
                           : static_cast<int>(kFrameDataSize) / b.element;
    // A frame never walks past the block's end, however it was asked for.
    return std::min(count, left / b.element);
}

int write_length(const BlockDef& b, int col, int row) {
    return std::min(remaining_bytes(b, col, row), static_cast<int>(kFrameDataSize));
}

int table_frame_count(const BlockDef& b) {
    return b.width * b.height * b.element / static_cast<int>(kFrameDataSize) + 1;
}

void advance_frame(const BlockDef& b, int& col, int& row) {
    col += static_cast<int>(kFrameDataSize) / b.element;
    while (col > b.width) {
        row += 1;
        col -= b.width;
    }
}

uint8_t cylinder_code(uint8_t cyls) {
    switch (cyls) {
        case 1:
            return 0;
        case 2:
            return 1;
        case 3:
            return 2;
        case 4:
            return 3;
        case 6:
            return 4;
        case 8:
            return 5;
        default:
            return 3;
    }
}

uint8_t cylinders_from_code(uint8_t code) {
    static constexpr uint8_t cyls[] = {1, 2, 3, 4, 6, 8};
    return code < 6 ? cyls[code] : 4;
}

uint8_t speed_pulse_code(uint8_t pulses) {
    switch (pulses) {
        case 2:
            return 0;
        case 4:
            return 1;
        case 8:
            return 2;
        case 16:
            return 3;
        default:
            return 1;
    }
}

uint8_t speed_pulses_from_code(uint8_t code) {
    static constexpr uint8_t pulses[] = {2, 4, 8, 16};
    return code < 4 ? pulses[code] : 4;
}

namespace {

uint16_t be16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

void put16(uint8_t*& out, uint16_t v) {
    *out++ = static_cast<uint8_t>(v >> 8);
    *out++ = static_cast<uint8_t>(v);
}
void put8(uint8_t*& out, uint8_t v) {
    *out++ = v;
}

size_t encode_table(const BlockDef& b, int col, int row, bool last_frame, const ControllerData& d,
                    uint8_t out[16]) {
    int count = frame_cell_count(b, col, row, last_frame);
    int start = cell_index(b, col, row);
    uint8_t* p = out;
    for (int n = 0; n < count; ++n) {
        int k = start + n;
        int32_t v = table_element(d, b.id, k % b.width, k / b.width);
        if (b.element == 2)
            put16(p, static_cast<uint16_t>(v));
        else
            put8(p, static_cast<uint8_t>(v));
    }
    return static_cast<size_t>(write_length(b, col, row));
}

void decode_table(const BlockDef& b, int col, int row, bool last_frame, const uint8_t in[16],
                  ControllerData& d) {
    int count = frame_cell_count(b, col, row, last_frame);
    int start = cell_index(b, col, row);
    for (int n = 0; n < count; ++n) {
        int k = start + n;
        int32_t v = b.element == 2 ? static_cast<int16_t>(be16(in + 2 * n)) : in[n];
        set_table_element(d, b.id, k % b.width, k / b.width, v);
    }
}

}  // namespace

size_t encode_frame_data(const BlockDef& b, int col, int row, bool last_frame,
                         const ControllerData& d, const UnitState& u, uint8_t out[16]) {
    std::fill(out, out + kFrameDataSize, uint8_t{0});
    if (b.is_table())
        return inside(b, col, row) ? encode_table(b, col, row, last_frame, d, out) : 0;
    if (col != 1 || row != 1) return 0;
    uint8_t* p = out;
    switch (b.id) {
        case 101:
            put16(p, u.valve_version);
            break;
        case 102:
            put16(p, u.display_version);
            break;
        case 103:
            put16(p, d.status_word);
            break;
        case 104:
            put16(p, d.setboost_a), put16(p, d.setboost_b);
            break;
        case 105:
            put8(p, d.offset_a), put8(p, d.offset_b), put8(p, d.sbc_boost), put8(p, d.sbc_time);
            break;
        case 106:
            put16(p, d.warning_boost), put8(p, d.drop_boost), put8(p, d.axis_select_no);
            break;
        case 107:
            put8(p, d.barselect);
            break;
        case 108:
            put16(p, d.barmaxset), put8(p, d.backlight_level);
            break;
        case 109:
            put8(p, d.pressure_unit);
            break;
        case 110:
            put8(p, d.after_on), put8(p, d.rev_sampling);
            break;
        case 111:
            put16(p, u.lock_number);
            break;
        case 112:
            put8(p, cylinder_code(d.cyls)), put8(p, speed_pulse_code(d.spdpulse));
            break;
        case 113:
            put16(p, d.closeth), put16(p, d.openth);
            break;
        case 114:
            put16(p, d.normal_boost), put8(p, d.up_boost_offset);
            break;
        case 115:
            put8(p, u.unit_command);
            break;
        case 116:
            put8(p, all_reset_request);
            break;
        case 117:
            put16(p, u.throttle_voltage);
            break;
        case 118:
            put8(p, u.unit_link_ready);
            break;
        case 119:
            put8(p, d.ext_bypass);
            break;
        case 120:
            put16(p, d.first_boost);
            break;
        case 121:
            put8(p, d.sampling_time);
            break;
        default:
            return 0;
    }
    return b.length;
}

void decode_frame_data(const BlockDef& b, int col, int row, bool last_frame, const uint8_t in[16],
                       ControllerData& d, UnitState& u) {
    if (b.is_table()) {
        if (inside(b, col, row)) decode_table(b, col, row, last_frame, in, d);
        return;
    }
    if (col != 1 || row != 1) return;
    switch (b.id) {
        case 101:
            u.valve_version = in[1];
            break;
        case 102:
            u.display_version = in[1];
            break;
        case 103:
            d.status_word = be16(in);
            for (int bit = 0; bit < 16; ++bit)
                u.status_flags[bit] = static_cast<uint8_t>((d.status_word >> bit) & 1);
            break;
        case 104:
            d.setboost_a = be16(in), d.setboost_b = be16(in + 2);
            break;
        case 105:
            d.offset_a = in[0], d.offset_b = in[1], d.sbc_boost = in[2], d.sbc_time = in[3];
            break;
        case 106:
            d.warning_boost = be16(in), d.drop_boost = in[2], d.axis_select_no = in[3];
            break;
        case 107:
            d.barselect = in[0];
            break;
        case 108:
            d.barmaxset = be16(in), d.backlight_level = in[2];
            break;
        case 109:
            d.pressure_unit = in[0] != 0 ? 1 : 0;
            break;
        case 110:
            d.after_on = in[0], d.rev_sampling = in[1];
            break;
        case 111:
            u.lock_number = be16(in);
            break;
        case 112:
            d.cyls = cylinders_from_code(in[0]);
            d.spdpulse = speed_pulses_from_code(in[1]);
            break;
        case 113:
            d.closeth = be16(in), d.openth = be16(in + 2);
            break;
        case 114:
            d.normal_boost = be16(in), d.up_boost_offset = in[2];
            break;
        case 115:
            u.unit_command = in[0];
            break;
        case 117:
            u.throttle_voltage = be16(in);
            break;
        case 118:
            u.unit_link_ready = in[0];
            break;
        case 119:
            d.ext_bypass = in[0];
            break;
        case 120:
            d.first_boost = be16(in);
            break;
        case 121:
            d.sampling_time = in[0];
            break;
        default:
            break;
    }
}

LiveSample decode_live_data(const uint8_t in[16]) {
    LiveSample s;
    s.boost = static_cast<int16_t>(be16(in));
    s.rev = in[4];
    s.throttle = in[5];
    s.peak_boost = static_cast<int16_t>(be16(in + 6));
    return s;
}

}  // namespace pv
