#include "core/document/datafile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/document/unit.h"
#include "support/program.h"

namespace pv {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes read_all(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void write_all(const fs::path& p, const Bytes& b) {
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

class DataFile : public ::testing::Test {
  protected:
    void SetUp() override {
        pvtest::reset_program();
        SetDefaultData();
        dir_ = fs::temp_directory_path() /
               ("pvd_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        set_status_reader(nullptr);
        fs::remove_all(dir_);
    }
    std::string path(const char* name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

// A file image laid out by hand from the offset table: every field has a distinct value,
// so a field written to the wrong place or in the wrong byte order shows up.
Bytes hand_made_image() {
    Bytes b(506, 0);
    const char comment[] = "Track day";
    std::copy(comment, comment + 9, b.begin());
    auto put16 = [&](size_t at, unsigned v) {
        b[at] = static_cast<uint8_t>(v >> 8);
        b[at + 1] = static_cast<uint8_t>(v);
    };
    put16(256, 0x0102);                    // setboost_a
    put16(258, 0x0304);                    // setboost_b
    put16(260, 0x00FB);                    // warning_boost 251
    put16(262 + 2 * (5 * 3 + 1), 0xFF88);  // boost_map_a[1][3] = -120
    put16(312 + 2 * (5 * 0 + 4), 0x0046);  // boost_map_b[4][0] = 70
    put16(362, 0x0190);                    // barmaxset 400
    put16(370, 0x01F4);                    // closeth 500
    put16(372, 0x1194);                    // openth 4500
    put16(376, 0x00C8);                    // normal_boost 200
    b[378] = 150;                          // up_boost_offset
    put16(379, 0x0064);                    // first_boost 100
    b[381] = 2;                            // sampling_time
    put16(384, 1150);                      // version word
    put16(386, 2008), put16(388, 3), put16(390, 7), put16(392, 9), put16(394, 5), put16(396, 3);
    put16(405, 0x4810);  // status_word
    b[407] = 121, b[408] = 122;
    b[425] = 90, b[426] = 110, b[427] = 20, b[428] = 30, b[429] = 40, b[430] = 4;
    for (int k = 0; k < 5; ++k) b[431 + k] = static_cast<uint8_t>(1 + k);   // speed_axis
    for (int k = 0; k < 5; ++k) b[436 + k] = static_cast<uint8_t>(20 + k);  // rpm_axis
    for (int k = 0; k < 5; ++k) b[441 + k] = static_cast<uint8_t>(10 * k);  // throttle_axis
    for (int k = 0; k < 25; ++k) b[448 + k] = 100;
    b[448 + 5 * 2 + 3] = 7;  // offset_map_a[3][2]
    for (int k = 0; k < 25; ++k) b[473 + k] = 100;
    b[473 + 5 * 4 + 0] = 199;  // offset_map_b[0][4]
    b[498] = 3, b[499] = 80, b[500] = 1, b[501] = 1, b[502] = 1, b[503] = 1, b[504] = 6,
    b[505] = 16;
    return b;
}

void set_hand_made_document() {
    data.comment = "Track day";
    data.setboost_a = 0x0102;
    data.setboost_b = 0x0304;
    data.warning_boost = 251;
    for (auto* m : {&data.boost_map_a, &data.boost_map_b})
        for (auto& row : *m) row.fill(0);
    data.boost_map_a[1][3] = -120;
    data.boost_map_b[4][0] = 70;
    data.barmaxset = 400;
    data.closeth = 500;
    data.openth = 4500;
    data.normal_boost = 200;
    data.up_boost_offset = 150;
    data.first_boost = 100;
    data.sampling_time = 2;
    data.status_word = 0x4810;
    data.file_valve_version = 121;
    data.file_display_version = 122;
    data.offset_a = 90, data.offset_b = 110, data.sbc_boost = 20, data.sbc_time = 30;
    data.drop_boost = 40, data.axis_select_no = 4;
    data.speed_axis = {1, 2, 3, 4, 5};
    data.rpm_axis = {20, 21, 22, 23, 24};
    data.throttle_axis = {0, 10, 20, 30, 40};
    data.offset_map_a[3][2] = 7;
    data.offset_map_b[0][4] = 199;
    data.barselect = 3, data.backlight_level = 80, data.pressure_unit = 1, data.after_on = 1;
    data.rev_sampling = 1, data.ext_bypass = 1, data.cyls = 6, data.spdpulse = 16;
}

TEST_F(DataFile, WriterPutsEveryFieldAtItsOffset) {
    set_hand_made_document();
    Bytes expected = hand_made_image();
    Bytes got(506);
    auto image = encode_data_file(data, 0x4810);
    std::copy(image.begin(), image.end(), got.begin());
    // The save stamp is the writer's own; take it from the hand-made image.
    std::copy(expected.begin() + 386, expected.begin() + 398, got.begin() + 386);
    for (size_t k = 0; k < 506; ++k) EXPECT_EQ(got[k], expected[k]) << "offset " << k;
}

TEST_F(DataFile, ReaderTakesEveryFieldFromItsOffset) {
    write_all(path("hand.pvd"), hand_made_image());
    data.warning_on = 0;  // not in the file: stays as it is
    ASSERT_TRUE(ReadDataFile(path("hand.pvd")));
    EXPECT_EQ(data.comment, "Track day");
    EXPECT_EQ(data.boost_map_a[1][3], -120);
    EXPECT_EQ(data.boost_map_b[4][0], 70);
    EXPECT_EQ(data.offset_map_a[3][2], 7);
    EXPECT_EQ(data.offset_map_b[0][4], 199);
    EXPECT_EQ(data.speed_axis, (Axis{1, 2, 3, 4, 5}));
    EXPECT_EQ(data.rpm_axis, (Axis{20, 21, 22, 23, 24}));
    EXPECT_EQ(data.throttle_axis, (Axis{0, 10, 20, 30, 40}));
    EXPECT_EQ(data.setboost_b, 0x0304);
    EXPECT_EQ(data.openth, 4500);
    EXPECT_EQ(data.first_boost, 100);
    EXPECT_EQ(data.status_word, 0x4810);
    EXPECT_EQ(data.file_version, 1150);
    EXPECT_EQ(data.save_date_text, "2008/3/7");
    EXPECT_EQ(data.save_time_text, "9:05:03");
    EXPECT_EQ(data.spdpulse, 16);
    EXPECT_EQ(data.cyls, 6);
    EXPECT_EQ(data.warning_on, 0);
}

TEST_F(DataFile, NewDocumentSurvivesSaveAndOpen) {
    set_status_reader([] { return uint16_t{0x4000}; });
    ASSERT_TRUE(WriteDataFile(path("new.pvd")));
    ControllerData saved = data;
    EXPECT_EQ(saved.status_word, 0);  // the unit's word goes to the file, not into memory
    data = ControllerData{};
    ASSERT_TRUE(ReadDataFile(path("new.pvd")));
    SetDefaultData();
    ControllerData defaults = data;
    ASSERT_TRUE(ReadDataFile(path("new.pvd")));
    EXPECT_EQ(data.rpm_axis, defaults.rpm_axis);
    EXPECT_EQ(data.boost_map_b, defaults.boost_map_b);
    EXPECT_EQ(data.offset_map_a, defaults.offset_map_a);
    EXPECT_EQ(data.warning_boost, 250);
    EXPECT_EQ(data.openth, 5000);
    EXPECT_EQ(data.comment, "");
    EXPECT_EQ(data.status_word, 0x4000);
    EXPECT_EQ(data.save_stamp, saved.save_stamp);
    EXPECT_GE(data.save_stamp[0], 2024);
    EXPECT_EQ(data.file_version, 1150);
}

TEST_F(DataFile, UnknownUnitStatusWritesTheWordInMemory) {
    data.status_word = 0x1234;
    ASSERT_TRUE(WriteDataFile(path("a.pvd")));  // no reader: unit unknown
    set_status_reader([] { return kStatusUnknown; });
    ASSERT_TRUE(WriteDataFile(path("b.pvd")));
    for (const char* f : {"a.pvd", "b.pvd"}) {
        Bytes b = read_all(path(f));
        EXPECT_EQ(b[405], 0x12);
        EXPECT_EQ(b[406], 0x34);
    }
}

TEST_F(DataFile, CommentTerminators) {
    data.comment = std::string(300, 'x');
    ASSERT_TRUE(WriteDataFile(path("long.pvd")));
    Bytes b = read_all(path("long.pvd"));
    ASSERT_EQ(b.size(), 506u);
    EXPECT_EQ(b[254], 'x');
    EXPECT_EQ(b[255], 0);
    ASSERT_TRUE(ReadDataFile(path("long.pvd")));
    EXPECT_EQ(data.comment, std::string(255, 'x'));

    b[3] = 0;      // bytes after the first 0 are not part of the comment
    b[255] = 'y';  // and a missing terminator does not run the comment into the fields
    write_all(path("cut.pvd"), b);
    ASSERT_TRUE(ReadDataFile(path("cut.pvd")));
    EXPECT_EQ(data.comment, "xxx");
}

TEST_F(DataFile, ShortFilesFailAndLeaveTheDocumentAlone) {
    Bytes image = hand_made_image();
    for (size_t size : {size_t{0}, size_t{100}, size_t{505}}) {
        write_all(path("short.pvd"), Bytes(image.begin(), image.begin() + static_cast<long>(size)));
        data.comment = "kept";
        data.setboost_a = 7;
        EXPECT_FALSE(ReadDataFile(path("short.pvd"))) << size;
        EXPECT_EQ(data.comment, "kept");
        EXPECT_EQ(data.setboost_a, 7);
        EXPECT_FALSE(ReadMapFromFile(path("short.pvd"), map_boost_a));
    }
    EXPECT_FALSE(ReadDataFile(path("missing.pvd")));
    EXPECT_FALSE(ReadDataFile(dir_.string()));  // a folder is not a data file

    image.resize(600, 0xAB);
    write_all(path("long.pvd"), image);
    EXPECT_TRUE(ReadDataFile(path("long.pvd")));
    EXPECT_EQ(data.spdpulse, 16);
}

TEST_F(DataFile, ComparisonTablesArriveColumnByRow) {
    write_all(path("cmp.pvd"), hand_made_image());
    ASSERT_TRUE(ReadMapFromFile(path("cmp.pvd"), map_boost_a));
    EXPECT_EQ(grid.compare_values[1][3], -120);
    ASSERT_TRUE(ReadMapFromFile(path("cmp.pvd"), map_offset_b));
    EXPECT_EQ(grid.compare_values[0][4], 199);
    ASSERT_TRUE(ReadMapFromFile(path("cmp.pvd"), map_rpm_axis));
    EXPECT_EQ(grid.compare_values[4][0], 24);

    Bytes b = hand_made_image();
    b[441 + 4] = 200;  // axis points of 128 and above read as negative for comparison
    write_all(path("cmp.pvd"), b);
    ASSERT_TRUE(ReadMapFromFile(path("cmp.pvd"), map_throttle_axis));
    EXPECT_EQ(grid.compare_values[4][0], -56);
    EXPECT_FALSE(ReadMapFromFile(path("cmp.pvd"), 101));
}

TEST_F(DataFile, FailedSaveKeepsThePreviousFile) {
    ASSERT_TRUE(WriteDataFile(path("doc.pvd")));
    Bytes before = read_all(path("doc.pvd"));
    state.doc_modified = 1;
    EXPECT_FALSE(WriteDataFile(path("no/such/folder/doc.pvd")));
    fs::create_directory(path("taken.pvd"));
    EXPECT_FALSE(WriteDataFile(path("taken.pvd")));  // cannot replace a folder
    EXPECT_EQ(state.doc_modified, 1);
    EXPECT_EQ(read_all(path("doc.pvd")), before);
    // Nothing half-written is left beside the target.
    size_t files = 0;
    for (auto& e : fs::directory_iterator(dir_)) files += e.is_regular_file();
    EXPECT_EQ(files, 1u);

    data.comment = "second";
    ASSERT_TRUE(WriteDataFile(path("doc.pvd")));
    EXPECT_EQ(state.doc_modified, 0);
    EXPECT_EQ(read_all(path("doc.pvd"))[0], 's');
}

}  // namespace
}  // namespace pv
