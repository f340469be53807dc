#include "core/document/datafile.h"

#include <algorithm>
#include <optional>

#include "core/document/unit.h"
#include "core/files/file_io.h"
#include "core/ui/clock.h"

namespace pv {
namespace {

std::function<uint16_t()> status_reader;

// Where each table starts in the file. Note the axis order: speed, rpm, throttle.
int table_offset(int map_id) {
    switch (map_id) {
        case map_rpm_axis:
            return 436;
        case map_speed_axis:
            return 431;
        case map_throttle_axis:
            return 441;
        case map_boost_a:
            return 262;
        case map_offset_a:
            return 448;
        case map_boost_b:
            return 312;
        case map_offset_b:
            return 473;
        default:
            return -1;
    }
}

class Writer {
  public:
    explicit Writer(std::array<uint8_t, kDataFileSize>& b) : b_(b) {}
    Writer& at(size_t offset) {
        pos_ = offset;
        return *this;
    }
    Writer& u8(unsigned v) {
        b_[pos_++] = static_cast<uint8_t>(v);
        return *this;
    }
    Writer& u16(unsigned v) { return u8((v >> 8) & 0xFF).u8(v & 0xFF); }
    template <typename T>
    Writer& map(const Map<T>& m) {
        // Throttle-major on file, i-major in memory.
        for (int j = 0; j < 5; ++j)
            for (int i = 0; i < 5; ++i)
                sizeof(T) == 2 ? u16(static_cast<uint16_t>(m[i][j])) : u8(m[i][j]);
        return *this;
    }
    Writer& axis(const Axis& a) {
        for (uint8_t v : a) u8(v);
        return *this;
    }

  private:
    std::array<uint8_t, kDataFileSize>& b_;
    size_t pos_ = 0;
};

uint16_t word(const uint8_t* b, size_t offset) {
    return static_cast<uint16_t>(b[offset] * 256 + b[offset + 1]);
}

// The first 506 bytes of a file, or nothing when it is shorter, cannot be read or is not a
// regular file.
std::optional<std::array<uint8_t, kDataFileSize>> read_image(const std::string& path) {
    auto bytes = read_regular_file(path, kDataFileSize);
    if (!bytes || bytes->size() != kDataFileSize) return std::nullopt;
    std::array<uint8_t, kDataFileSize> b{};
    std::copy(bytes->begin(), bytes->end(), b.begin());
    return b;
}

}  // namespace

void set_status_reader(std::function<uint16_t()> reader) {
    status_reader = std::move(reader);
}

std::array<uint8_t, kDataFileSize> encode_data_file(const ControllerData& d, uint16_t status) {
    std::array<uint8_t, kDataFileSize> b{};
    Writer w(b);
    for (size_t k = 0; k < 255 && k < d.comment.size(); ++k)
        b[k] = static_cast<uint8_t>(d.comment[k]);
    w.at(256).u16(d.setboost_a).u16(d.setboost_b).u16(d.warning_boost);
    w.at(262).map(d.boost_map_a).map(d.boost_map_b);
    w.at(362).u16(d.barmaxset);
    w.at(370).u16(d.closeth).u16(d.openth);
    w.at(376).u16(d.normal_boost).u8(d.up_boost_offset).u16(d.first_boost).u8(d.sampling_time);
    w.at(384).u16(static_cast<uint16_t>(program_version));
    for (uint16_t v : d.save_stamp) w.u16(v);
    w.at(405).u16(status).u8(d.file_valve_version).u8(d.file_display_version);
    w.at(425).u8(d.offset_a).u8(d.offset_b).u8(d.sbc_boost).u8(d.sbc_time).u8(d.drop_boost);
    w.u8(d.axis_select_no).axis(d.speed_axis).axis(d.rpm_axis).axis(d.throttle_axis);
    w.at(448).map(d.offset_map_a).map(d.offset_map_b);
    w.at(498).u8(d.barselect).u8(d.backlight_level).u8(d.pressure_unit).u8(d.after_on);
    w.u8(d.rev_sampling).u8(d.ext_bypass).u8(d.cyls).u8(d.spdpulse);
    return b;
}

void decode_table(const uint8_t* b, int map_id, int32_t out[5][5]) {
    size_t pos = static_cast<size_t>(table_offset(map_id));
    Shape shape{5, is_map(map_id) ? 5 : 1};
    for (int r = 0; r < shape.rows; ++r) {
        for (int c = 0; c < shape.cols; ++c) {
            int32_t v;
            if (is_boost_map(map_id)) {
                v = static_cast<int16_t>(word(b, pos));
                pos += 2;
            } else if (is_axis(map_id)) {
                v = static_cast<int8_t>(b[pos++]);
            } else {
                v = b[pos++];
            }
            out[c][r] = v;
        }
    }
}

void decode_data_file(const uint8_t* b, ControllerData& d) {
    size_t len = 0;
    while (len < 255 && b[len] != 0) ++len;
    d.comment.assign(reinterpret_cast<const char*>(b), len);

    d.setboost_a = word(b, 256);
    d.setboost_b = word(b, 258);
    d.warning_boost = word(b, 260);
    d.barmaxset = word(b, 362);
    d.closeth = word(b, 370);
    d.openth = word(b, 372);
    d.normal_boost = word(b, 376);
    d.up_boost_offset = b[378];
    d.first_boost = word(b, 379);
    d.sampling_time = b[381];
    d.file_version = static_cast<int16_t>(word(b, 384));
    for (size_t k = 0; k < 6; ++k) d.save_stamp[k] = word(b, 386 + 2 * k);
    d.status_word = word(b, 405);
    d.file_valve_version = b[407];
    d.file_display_version = b[408];
    d.offset_a = b[425];
    d.offset_b = b[426];
    d.sbc_boost = b[427];
    d.sbc_time = b[428];
    d.drop_boost = b[429];
    d.axis_select_no = b[430];
    d.barselect = b[498];
    d.backlight_level = b[499];
    d.pressure_unit = b[500];
    d.after_on = b[501];
    d.rev_sampling = b[502];
    d.ext_bypass = b[503];
    d.cyls = b[504];
    d.spdpulse = b[505];

    int32_t t[5][5];
    for (int id : kTableIds) {
        decode_table(b, id, t);
        for (int c = 0; c < 5; ++c) {
            switch (id) {
                case map_rpm_axis:
                    d.rpm_axis[c] = static_cast<uint8_t>(t[c][0]);
                    break;
                case map_speed_axis:
                    d.speed_axis[c] = static_cast<uint8_t>(t[c][0]);
                    break;
                case map_throttle_axis:
                    d.throttle_axis[c] = static_cast<uint8_t>(t[c][0]);
                    break;
                default:
                    for (int r = 0; r < 5; ++r) {
                        if (is_boost_map(id))
                            (id == map_boost_a ? d.boost_map_a : d.boost_map_b)[c][r] =
                                static_cast<int16_t>(t[c][r]);
                        else
                            (id == map_offset_a ? d.offset_map_a : d.offset_map_b)[c][r] =
                                static_cast<uint8_t>(t[c][r]);
                    }
            }
        }
    }
}

bool WriteDataFile(const std::string& path) {
    uint16_t status = status_reader ? status_reader() : kStatusUnknown;
    unit.derived_status_word = 0;
    set_save_stamp(local_stamp());
    if (status == kStatusUnknown) status = data.status_word;
    auto image = encode_data_file(data, status);
    if (!save_file(path, {reinterpret_cast<const char*>(image.data()), image.size()})) return false;
    state.doc_modified = 0;
    return true;
}

bool ReadDataFile(const std::string& path) {
    auto image = read_image(path);
    if (!image) return false;
    decode_data_file(image->data(), data);
    set_save_stamp(data.save_stamp);
    return true;
}

bool ReadMapFromFile(const std::string& path, int map_id) {
    if (table_offset(map_id) < 0) return false;
    auto image = read_image(path);
    if (!image) return false;
    decode_table(image->data(), map_id, grid.compare_values);
    return true;
}

}  // namespace pv
