// Every data block on the line, both ways, against frames written out by hand from the frame
// layout: address bytes low first, the length byte, the fields high byte first, the checksum.
// The simulated unit stores through the same codec as the program, so only these vectors
// catch a field that both sides would swap the same way.
#include <gtest/gtest.h>

#include <functional>

#include "core/link/frames.h"
#include "core/link/netunit.h"
#include "support/link_support.h"

namespace linktest {
namespace {

using pv::data;
using pv::unit;

struct WriteVector {
    int block;
    std::function<void()> set;  // the document's values for the frame
    const char* request;
};

struct ReadVector {
    int block;
    const char* request;
    const char* reply;  // the block's own bytes, then EE where the unit sends what it likes
    std::function<void()> check;
};

class BlockVectors : public LinkTest {
  protected:
    void SetUp() override {
        LinkTest::SetUp();
        pv::set_port(&script);
        open();
    }
    ScriptPort script;
};

TEST_F(BlockVectors, EncoderWritesEveryWritableBlockAsTabled) {
    const WriteVector vectors[] = {
        {104, [] { data.setboost_a = 0x0123, data.setboost_b = 0xFF9C; },
         "E5 B5 04 00 00 A0 F7 01 23 FF 9C 00 00 00 00 00 00 00 00 00 00 00 00 F1"},
        {105,
         [] { data.offset_a = 100, data.offset_b = 90, data.sbc_boost = 15, data.sbc_time = 3; },
         "E5 B5 04 00 00 A5 F7 64 5A 0F 03 00 00 00 00 00 00 00 00 00 00 00 00 DB"},
        {106, [] { data.warning_boost = 250, data.drop_boost = 20, data.axis_select_no = 2; },
         "E5 B5 04 00 00 AA F7 00 FA 14 02 00 00 00 00 00 00 00 00 00 00 00 00 96"},
        {107, [] { data.barselect = 1; },
         "E5 B5 01 00 00 56 F8 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 FB"},
        {108, [] { data.barmaxset = 300, data.backlight_level = 80; },
         "E5 B5 03 00 00 58 F8 01 2C 50 00 00 00 00 00 00 00 00 00 00 00 00 00 7B"},
        {109, [] { data.pressure_unit = 1; },
         "E5 B5 01 00 00 5E F8 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 F3"},
        {110, [] { data.after_on = 1, data.rev_sampling = 2; },
         "E5 B5 02 00 00 5F F8 01 02 00 00 00 00 00 00 00 00 00 00 00 00 00 00 EF"},
        {111, [] { unit.lock_number = 1234; },
         "E5 B5 02 00 00 62 F8 04 D2 00 00 00 00 00 00 00 00 00 00 00 00 00 00 19"},
        {112, [] { data.cyls = 6, data.spdpulse = 8; },
         "E5 B5 02 00 00 65 F8 04 02 00 00 00 00 00 00 00 00 00 00 00 00 00 00 E6"},
        {113, [] { data.closeth = 500, data.openth = 4500; },
         "E5 B5 04 00 00 68 F8 01 F4 11 94 00 00 00 00 00 00 00 00 00 00 00 00 4D"},
        {114, [] { data.normal_boost = 150, data.up_boost_offset = 105; },
         "E5 B5 03 00 00 70 F8 00 96 69 00 00 00 00 00 00 00 00 00 00 00 00 00 E1"},
        {115, [] { unit.unit_command = pv::cmd_lock; },
         "E5 B5 01 00 00 78 F8 AA 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 30"},
        {116, [] {}, "E5 B5 01 00 00 6E F8 FF 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 E5"},
        {119, [] { data.ext_bypass = 1; },
         "E5 B5 01 00 00 64 F8 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ED"},
        {120, [] { data.first_boost = 200; },
         "E5 B5 02 00 00 7A F8 00 C8 00 00 00 00 00 00 00 00 00 00 00 00 00 00 0F"},
        {121, [] { data.sampling_time = 5; },
         "E5 B5 01 00 00 7D F8 05 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 D0"},
    };
    for (const WriteVector& v : vectors) {
        SCOPED_TRACE(v.block);
        v.set();
        const Bytes expected = hex(v.request);
        script.written.clear();
        script.replies = {reply_to(expected, {})};
        ASSERT_TRUE(pv::write_block(v.block));
        ASSERT_EQ(script.written.size(), 1u);
        EXPECT_EQ(script.written[0], expected);
    }
    // The read-only blocks are never written.
    for (int block : {101, 102, 103, 117, 118}) EXPECT_FALSE(pv::write_block(block)) << block;
}

TEST_F(BlockVectors, DecoderReadsEveryReadableBlockAsTabled) {
    const ReadVector vectors[] = {
        {101, "E5 3A 10 00 00 8E F7 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 31",
         "E5 3A 10 00 00 8E F7 01 7B EE EE EE EE EE EE EE EE EE EE EE EE EE EE B1",
         [] { EXPECT_EQ(unit.valve_version, 123); }},
        {102, "E5 3A 10 00 00 00 D1 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 E5",
         "E5 3A 10 00 00 00 D1 00 78 EE EE EE EE EE EE EE EE EE EE EE EE EE EE 69",
         [] { EXPECT_EQ(unit.display_version, 120); }},
        {103, "E5 3A 10 00 00 8A F7 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 35",
         "E5 3A 10 00 00 8A F7 40 10 EE EE EE EE EE EE EE EE EE EE EE EE EE EE E1",
         [] { EXPECT_EQ(data.status_word, 0x4010); }},
        {104, "E5 3A 10 00 00 A0 F7 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 1F",
         "E5 3A 10 00 00 A0 F7 01 23 FF 9C EE EE EE EE EE EE EE EE EE EE EE EE 38",
         [] {
             EXPECT_EQ(data.setboost_a, 0x0123);
             EXPECT_EQ(data.setboost_b, 0xFF9C);
         }},
        {105, "E5 3A 10 00 00 A5 F7 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 1A",
         "E5 3A 10 00 00 A5 F7 64 5A 0F 03 EE EE EE EE EE EE EE EE EE EE EE EE 22",
         [] {
             EXPECT_EQ(data.offset_a, 100);
             EXPECT_EQ(data.offset_b, 90);
             EXPECT_EQ(data.sbc_boost, 15);
             EXPECT_EQ(data.sbc_time, 3);
         }},
        {106, "E5 3A 10 00 00 AA F7 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 15",
         "E5 3A 10 00 00 AA F7 00 FA 14 02 EE EE EE EE EE EE EE EE EE EE EE EE DD",
         [] {
             EXPECT_EQ(data.warning_boost, 250);
             EXPECT_EQ(data.drop_boost, 20);
             EXPECT_EQ(data.axis_select_no, 2);
         }},
        {107, "E5 3A 10 00 00 56 F8 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 68",
         "E5 3A 10 00 00 56 F8 01 EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE 75",
         [] { EXPECT_EQ(data.barselect, 1); }},
        {108, "E5 3A 10 00 00 58 F8 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 66",
         "E5 3A 10 00 00 58 F8 01 2C 50 EE EE EE EE EE EE EE EE EE EE EE EE EE D3",
         [] {
             EXPECT_EQ(data.barmaxset, 300);
             EXPECT_EQ(data.backlight_level, 80);
         }},
        {109, "E5 3A 10 00 00 5E F8 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 60",
         "E5 3A 10 00 00 5E F8 07 EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE 67",
         [] { EXPECT_EQ(data.pressure_unit, 1); }},
        {110, "E5 3A 10 00 00 5F F8 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 5F",
         "E5 3A 10 00 00 5F F8 01 02 EE EE EE EE EE EE EE EE EE EE EE EE EE EE 58",
         [] {
             EXPECT_EQ(data.after_on, 1);
             EXPECT_EQ(data.rev_sampling, 2);
         }},
        {112, "E5 3A 10 00 00 65 F8 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 59",
         "E5 3A 10 00 00 65 F8 04 02 EE EE EE EE EE EE EE EE EE EE EE EE EE EE 4F",
         [] {
             EXPECT_EQ(data.cyls, 6);
             EXPECT_EQ(data.spdpulse, 8);
         }},
        {113, "E5 3A 10 00 00 68 F8 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 56",
         "E5 3A 10 00 00 68 F8 01 F4 11 94 EE EE EE EE EE EE EE EE EE EE EE EE 94",
         [] {
             EXPECT_EQ(data.closeth, 500);
             EXPECT_EQ(data.openth, 4500);
         }},
        {114, "E5 3A 10 00 00 70 F8 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 4E",
         "E5 3A 10 00 00 70 F8 00 96 69 EE EE EE EE EE EE EE EE EE EE EE EE EE 39",
         [] {
             EXPECT_EQ(data.normal_boost, 150);
             EXPECT_EQ(data.up_boost_offset, 105);
         }},
        {117, "E5 3A 10 00 00 6C F8 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 52",
         "E5 3A 10 00 00 6C F8 13 88 EE EE EE EE EE EE EE EE EE EE EE EE EE EE B3",
         [] { EXPECT_EQ(unit.throttle_voltage, 5000); }},
        {118, "E5 3A 10 00 00 7C F8 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 42",
         "E5 3A 10 00 00 7C F8 01 EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE 4F",
         [] { EXPECT_EQ(unit.unit_link_ready, 1); }},
        {119, "E5 3A 10 00 00 64 F8 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 5A",
         "E5 3A 10 00 00 64 F8 01 EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE 67",
         [] { EXPECT_EQ(data.ext_bypass, 1); }},
        {120, "E5 3A 10 00 00 7A F8 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 44",
         "E5 3A 10 00 00 7A F8 00 C8 EE EE EE EE EE EE EE EE EE EE EE EE EE EE 78",
         [] { EXPECT_EQ(data.first_boost, 200); }},
        {121, "E5 3A 10 00 00 7D F8 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 41",
         "E5 3A 10 00 00 7D F8 05 EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE 4A",
         [] { EXPECT_EQ(data.sampling_time, 5); }},
    };
    for (const ReadVector& v : vectors) {
        SCOPED_TRACE(v.block);
        script.written.clear();
        script.replies = {hex(v.reply)};
        ASSERT_TRUE(pv::read_block(v.block));
        ASSERT_EQ(script.written.size(), 1u) << "the hand-made reply was taken at once";
        EXPECT_EQ(script.written[0], hex(v.request));
        v.check();
    }
    // The write-only blocks are never read.
    for (int block : {111, 115, 116}) EXPECT_FALSE(pv::read_block(block)) << block;
}

}  // namespace
}  // namespace linktest
