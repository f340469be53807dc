// Frame bytes pinned by vectors written out by hand from the frame and block tables.
#include "support/link_support.h"

namespace linktest {
namespace {

using pv::data;

const Bytes kLiveRequest =
    hex("E5 3A 10 00 00 80 F7 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 3F");
const Bytes kRpmAxisWrite =
    hex("E5 B5 05 00 00 B3 F7 0A 19 28 37 46 00 00 00 00 00 00 00 00 00 00 00 D4");
const Bytes kBoostMapFirstWrite =
    hex("E5 B5 10 00 00 C0 F7 FF FF 00 0A 00 14 00 1E 00 28 00 01 00 0B 00 15 01");
const Bytes kBoostMapLastWrite =
    hex("E5 B5 02 00 00 F0 F7 00 2C 00 00 00 00 00 00 00 00 00 00 00 00 00 00 36");
const Bytes kOffsetMapLastWrite =
    hex("E5 B5 09 00 00 34 F8 6C 71 76 7B 68 6D 72 77 7C 00 00 00 00 00 00 00 0E");

// boost_map_a[i][j] = 10 i + j with a -1 in the corner; offset_map_a[i][j] = 100 + 5 i + j.
void fill_test_maps() {
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j) {
            data.boost_map_a[i][j] = static_cast<int16_t>(10 * i + j);
            data.offset_map_a[i][j] = static_cast<uint8_t>(100 + 5 * i + j);
        }
    data.boost_map_a[0][0] = -1;
}

TEST(FrameBytes, LiveDataRequestIsTheDocumentedExample) {
    pv::LinkFrame request = pv::make_read_request(0xE5, pv::live_data_address);
    EXPECT_EQ(Bytes(request.bytes.begin(), request.bytes.end()), kLiveRequest);
}

TEST(FrameBytes, ReplyValidationChecksLengthEchoAndChecksum) {
    pv::LinkFrame request = pv::make_read_request(0xE5, 0xF78A);
    Bytes good = hex("E5 3A 10 00 00 8A F7 12 34 00 00 00 00 00 00 00 00 00 00 00 00 00 00 EF");
    EXPECT_TRUE(pv::reply_valid(request, good.data(), good.size()));
    EXPECT_FALSE(pv::reply_valid(request, good.data(), 23));

    Bytes off_by_one = good;
    off_by_one[23] = 0xF0;
    EXPECT_FALSE(pv::reply_valid(request, off_by_one.data(), 24));

    // Another address, with a checksum that is right for it.
    Bytes other = hex("E5 3A 10 00 00 8B F7 12 34 00 00 00 00 00 00 00 00 00 00 00 00 00 00 EE");
    EXPECT_FALSE(pv::reply_valid(request, other.data(), 24));
    // Another length.
    Bytes length = hex("E5 3A 0F 00 00 8A F7 12 34 00 00 00 00 00 00 00 00 00 00 00 00 00 00 F0");
    EXPECT_FALSE(pv::reply_valid(request, length.data(), 24));
    // The header is echoed but not summed.
    Bytes header = good;
    header[0] = 0xA0;
    EXPECT_FALSE(pv::reply_valid(request, header.data(), 24));
}

class FrameOnLine : public LinkTest {
  protected:
    ScriptPort script;
};

TEST_F(FrameOnLine, WritesOfEachMapKindMatchTheTables) {
    open();
    fill_test_maps();
    ASSERT_TRUE(pv::write_table(pv::map_rpm_axis));
    ASSERT_TRUE(pv::write_table(pv::map_boost_a));
    ASSERT_TRUE(pv::write_table(pv::map_offset_a));
    ASSERT_EQ(sent().size(), 1u + 4u + 2u);

    EXPECT_EQ(sent()[0], kRpmAxisWrite);
    EXPECT_EQ(sent()[1], kBoostMapFirstWrite);
    // The middle frames of a boost map are full: 8 cells from cells 8 and 16.
    EXPECT_EQ(sent()[2][2], 0x10);
    EXPECT_EQ(sent()[2][5], 0xD0);
    EXPECT_EQ(sent()[3][2], 0x10);
    EXPECT_EQ(sent()[3][5], 0xE0);
    EXPECT_EQ(sent()[4], kBoostMapLastWrite);
    // Offset map: 16 cells, then the last 9.
    EXPECT_EQ(sent()[5][2], 0x10);
    EXPECT_EQ(sent()[6], kOffsetMapLastWrite);
}

TEST_F(FrameOnLine, DataBlockWritesMatchTheTables) {
    open();
    data.cyls = 8;
    data.spdpulse = 16;
    data.setboost_a = 300;
    data.setboost_b = 65336;
    ASSERT_TRUE(pv::write_block(112));
    ASSERT_TRUE(pv::write_table(104));
    {
        pv::CommandPurpose purpose(pv::cmd_apply_initial);
        ASSERT_TRUE(pv::write_block(115));
    }
    EXPECT_EQ(pv::unit.unit_command, pv::cmd_none);
    ASSERT_EQ(sent().size(), 3u);
    EXPECT_EQ(sent()[0],
              hex("E5 B5 02 00 00 65 F8 05 03 00 00 00 00 00 00 00 00 00 00 00 00 00 00 E4"));
    EXPECT_EQ(sent()[1],
              hex("E5 B5 04 00 00 A0 F7 01 2C FF 38 00 00 00 00 00 00 00 00 00 00 00 00 4C"));
    EXPECT_EQ(sent()[2],
              hex("E5 B5 01 00 00 78 F8 DD 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 FD"));
}

TEST_F(FrameOnLine, MapPassAfterBlock104StartsWithAFullFrame) {
    open();
    fill_test_maps();
    ASSERT_TRUE(pv::write_table(104));
    ASSERT_TRUE(pv::write_table(pv::map_boost_a));
    ASSERT_TRUE(pv::write_table(104));
    ASSERT_TRUE(pv::write_table(pv::map_offset_a));
    ASSERT_EQ(sent().size(), 1u + 4u + 1u + 2u);
    EXPECT_EQ(sent()[1], kBoostMapFirstWrite);
    EXPECT_EQ(sent()[6][2], 0x10);

    // Reading back after block 104 fills every cell, the first frame's 16 included.
    pv::ControllerData written = data;
    for (auto& row : data.offset_map_a) row.fill(0);
    for (auto& row : data.boost_map_a) row.fill(0);
    ASSERT_TRUE(pv::read_table(104));
    ASSERT_TRUE(pv::read_table(pv::map_offset_a));
    ASSERT_TRUE(pv::read_table(104));
    ASSERT_TRUE(pv::read_table(pv::map_boost_a));
    EXPECT_EQ(data.offset_map_a, written.offset_map_a);
    EXPECT_EQ(data.boost_map_a, written.boost_map_a);
}

TEST_F(FrameOnLine, FrameHeaderFollowsTheSetting) {
    pv::set_port(&script);
    pv::settings.spl_header = 0xA0;
    open();
    Bytes request = hex("A0 3A 10 00 00 8A F7 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 35");
    Bytes reply_e5 = reply_to(request, {0x40, 0x10});
    reply_e5[0] = 0xE5;
    script.replies = {reply_e5, reply_to(request, {0x40, 0x10})};
    ASSERT_TRUE(pv::read_block(103));
    ASSERT_EQ(script.written.size(), 2u);  // the E5 echo did not count
    EXPECT_EQ(script.written[0], request);
    EXPECT_EQ(pv::data.status_word, 0x4010);
}

// Replies written by hand, decoded into the model.
class Decoding : public LinkTest {
  protected:
    void SetUp() override {
        LinkTest::SetUp();
        pv::set_port(&script);
        open();
    }
    // Reads `block` at (col, row) with the unit answering `data`.
    bool answer(int block, const Bytes& data_bytes, int col = 1, int row = 1) {
        const pv::BlockDef* b = pv::find_block(block);
        pv::LinkFrame req = pv::make_read_request(0xE5, pv::frame_address(*b, col, row));
        script.replies = {reply_to(Bytes(req.bytes.begin(), req.bytes.end()), data_bytes)};
        return pv::read_block(block, col, row);
    }
    ScriptPort script;
};

TEST_F(Decoding, CylinderAndSpeedPulseCodes) {
    ASSERT_TRUE(answer(112, {0x05, 0x03}));
    EXPECT_EQ(data.cyls, 8);
    EXPECT_EQ(data.spdpulse, 16);
    ASSERT_TRUE(answer(112, {0x07, 0x09}));
    EXPECT_EQ(data.cyls, 4);
    EXPECT_EQ(data.spdpulse, 4);
    ASSERT_TRUE(answer(112, {0x00, 0x00}));
    EXPECT_EQ(data.cyls, 1);
    EXPECT_EQ(data.spdpulse, 2);

    const uint8_t cyls[] = {1, 2, 3, 4, 6, 8, 5, 0};
    const uint8_t cyl_codes[] = {0, 1, 2, 3, 4, 5, 3, 3};
    for (size_t k = 0; k < std::size(cyls); ++k)
        EXPECT_EQ(pv::cylinder_code(cyls[k]), cyl_codes[k]);
    const uint8_t pulses[] = {2, 4, 8, 16, 3, 0};
    const uint8_t pulse_codes[] = {0, 1, 2, 3, 1, 1};
    for (size_t k = 0; k < std::size(pulses); ++k)
        EXPECT_EQ(pv::speed_pulse_code(pulses[k]), pulse_codes[k]);
}

TEST_F(Decoding, VersionsPressureUnitAndStatus) {
    ASSERT_TRUE(answer(101, {0x01, 0x7B}));
    EXPECT_EQ(pv::unit.valve_version, 123);
    ASSERT_TRUE(answer(102, {0xFF, 0x64}));
    EXPECT_EQ(pv::unit.display_version, 100);
    ASSERT_TRUE(answer(109, {0x07}));
    EXPECT_EQ(data.pressure_unit, 1);
    ASSERT_TRUE(answer(109, {0x00}));
    EXPECT_EQ(data.pressure_unit, 0);

    ASSERT_TRUE(answer(103, {0xC8, 0x10}));
    EXPECT_EQ(data.status_word, 0xC810);
    EXPECT_TRUE(pv::rev_is_rpm());
    EXPECT_TRUE(pv::mode_b_active());
    EXPECT_TRUE(pv::setup_complete());
    EXPECT_TRUE(pv::status_flag(15));
    EXPECT_FALSE(pv::lock_set());
    EXPECT_FALSE(pv::setup_second_run());
    int set = 0;
    for (uint8_t f : pv::unit.status_flags) set += f;
    EXPECT_EQ(set, 4);
}

TEST_F(Decoding, SignedBoostCellsAndOnlyTheFramesCells) {
    data.boost_map_b[3][1] = 77;  // cell 8 of the map, beyond the first frame
    ASSERT_TRUE(answer(pv::map_boost_b, {0xFF, 0xFF, 0x80, 0x00, 0x7F, 0xFF, 0x00, 0x00, 0xFF, 0x9C,
                                         0x00, 0x01, 0x00, 0x02, 0x00, 0x03}));
    EXPECT_EQ(data.boost_map_b[0][0], -1);
    EXPECT_EQ(data.boost_map_b[1][0], -32768);
    EXPECT_EQ(data.boost_map_b[2][0], 32767);
    EXPECT_EQ(data.boost_map_b[3][0], 0);
    EXPECT_EQ(data.boost_map_b[4][0], -100);
    EXPECT_EQ(data.boost_map_b[0][1], 1);
    EXPECT_EQ(data.boost_map_b[2][1], 3);
    EXPECT_EQ(data.boost_map_b[3][1], 77);

    // An axis read takes 5 of the 16 bytes.
    pv::state.last_frame_flag = 1;
    ASSERT_TRUE(
        answer(pv::map_speed_axis, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(data.speed_axis, (pv::Axis{1, 2, 3, 4, 5}));
    EXPECT_EQ(data.rpm_axis, (pv::Axis{10, 25, 40, 55, 70}));
}

}  // namespace
}  // namespace linktest
