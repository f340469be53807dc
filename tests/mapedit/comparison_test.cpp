#include "core/mapedit/comparison.h"

#include <filesystem>
#include <fstream>

#include "core/document/datafile.h"
#include "core/document/file_name.h"
#include "mapedit_fixture.h"

namespace pv {
namespace {

namespace fs = std::filesystem;

TEST(ComparisonFileName, OnlyTheFirstFourCharactersOfTheExtensionCount) {
    EXPECT_TRUE(has_extension("/home/u/run.pvd", ".PVD"));
    EXPECT_TRUE(has_extension("run.PVDX", ".PVD"));
    EXPECT_TRUE(has_extension("a.txt.Pvd", ".PVD"));
    EXPECT_FALSE(has_extension("run.PV", ".PVD"));
    EXPECT_FALSE(has_extension("run", ".PVD"));
    EXPECT_FALSE(has_extension("/data.pvd/run", ".PVD"));
}

class Comparison : public MapGrid {
  protected:
    void TearDown() override {
        fs::remove_all(dir_);
        MapGrid::TearDown();
    }
    // A data file whose Boost Correction Map A holds 10 i + j at [i][j].
    std::string write_file(const std::string& name) {
        ControllerData other = data;
        for (int i = 0; i < 5; ++i)
            for (int j = 0; j < 5; ++j) other.boost_map_a[i][j] = static_cast<int16_t>(10 * i + j);
        auto image = encode_data_file(other, 0);
        fs::create_directories(dir_);
        std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), image.size());
        return path;
    }
    fs::path dir_ = fs::temp_directory_path() /
                    ("pv_compare_" +
                     std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
};

TEST_F(Comparison, WrongExtensionOrUnreadableFileLeavesTheViewOff) {
    show(map_boost_a, 4, -120, 120);
    EXPECT_FALSE(open_comparison(write_file("other.pvl")));
    EXPECT_FALSE(open_comparison((dir_ / "missing.pvd").string()));
    ASSERT_EQ(dialogs_.shown.size(), 2u);
    EXPECT_EQ(dialogs_.shown[0].text, "Select PVD file.");
    EXPECT_EQ(dialogs_.shown[1].text, "Internal error(201):Cannot open file.");
    EXPECT_EQ(state.compare_loaded, 0);
    EXPECT_FALSE(PasteComparison());
}

TEST_F(Comparison, PasteWritesEveryCellAsTheComparisonShowsIt) {
    show(map_boost_a, 1, -120, 120);
    ASSERT_TRUE(open_comparison(write_file("cmp.PVDX")));
    // Throttle-only mode: the columns run along the first line's throttle index.
    ASSERT_TRUE(PasteComparison());
    for (int j = 0; j < 5; ++j) EXPECT_EQ(data.boost_map_a[0][j], j);
    EXPECT_EQ(data.boost_map_a[1][0], 0);
    EXPECT_EQ(state.doc_modified, 1);

    show(map_boost_a, 4, -120, 120);
    ASSERT_TRUE(reread_comparison());
    PasteComparison();
    EXPECT_EQ(data.boost_map_a[3][2], 32);
    EXPECT_EQ(changed_count(), 25);
}

TEST_F(Comparison, TableChangeAfterTheFileWentAwaySwitchesTheViewOff) {
    show(map_offset_a, 4, 1, 199);
    std::string path = write_file("gone.pvd");
    ASSERT_TRUE(open_comparison(path));
    fs::remove(path);
    show(map_boost_a, 4, -120, 120);
    EXPECT_FALSE(reread_comparison());
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_EQ(dialogs_.shown[0].text, "Cannot open comparison file.");
    EXPECT_EQ(state.compare_loaded, 0);
}

}  // namespace
}  // namespace pv
