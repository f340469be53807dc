// Text export and save copy of hand-made logs, compared with the expected bytes.
#include "core/logging/log_export.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/document/unit.h"
#include "support/log_images.h"

namespace {

using logtest::cat;
using logtest::Scratch;
using logtest::Words;

class Export : public ::testing::Test {
  protected:
    void SetUp() override { pv::settings.lang_id = pv::kLangEnglish; }
    Scratch s;
};

TEST_F(Export, CurrentFileWithRpmAndKpa) {
    auto src = s.path("a.PVL");
    auto dst = s.path("a.TXT");
    Words body = {1234,   1500, 60, 100, 0xFFEF, 199, 255,  // sample 0
                  0xFDA8, 49,   7,  0,   30,     100, 0};   // sample 1
    logtest::write_words(src, cat({logtest::current_header(250, 1, 0), body}));
    ASSERT_TRUE(pv::export_log_text(src, dst));
    EXPECT_EQ(logtest::read_all(dst),
              "Recorded by Pavex Dravlo Ver. 1.15\r\n"
              "Date: 2024/3/7\t9:5:2\r\n"
              "Time\tPressure\tPeak Hold Value\tRPM\tThrottle\tBoost Correction\t"
              "Offset Correction\tMarking\t\r\n"
              "   0.00\t123.4\t150.0\t 6000\t  100\t  -17\t  199\t  255\t\r\n"
              "   0.25\t-60.0\t  4.9\t  700\t    0\t   30\t  100\t    0\t\r\n");
}

TEST_F(Export, OlderFileInPsiWithSpeedAndACutLastSample) {
    auto src = s.path("old.PVL");
    auto dst = s.path("old.TXT");
    // Channels 1, 3, 7; 125 ms gives three decimals.
    Words body = {5, 60, 0, 15, 120, 255, 0xFFFF};
    logtest::write_words(src, cat({logtest::old_header(125, 0, 1), body}));
    ASSERT_TRUE(pv::export_log_text(src, dst));
    EXPECT_EQ(logtest::read_all(dst),
              "Recorded by Pavex Dravlo Ver. 1.10\r\n"
              "\r\n"
              "Time\tPressure\tSpeed\tMarking\t\r\n"
              "  0.000\t  0.1\t  120\t    0\t\r\n"
              "  0.125\t  0.1\t  240\t  255\t\r\n"
              "  0.250\t -0.0\t");
}

TEST_F(Export, TimeDecimalsFollowTheInterval) {
    EXPECT_EQ(pv::time_decimals(1000), 0);
    EXPECT_EQ(pv::time_decimals(1300), 1);
    EXPECT_EQ(pv::time_decimals(250), 2);
    EXPECT_EQ(pv::time_decimals(125), 3);

    auto src = s.path("slow.PVL");
    auto dst = s.path("slow.TXT");
    Words h = logtest::old_header(1000, 1, 0);
    h[0] = 1;
    h.erase(h.begin() + 2, h.begin() + 4);  // one channel: pressure
    logtest::write_words(src, cat({h, Words{10, 20, 30}}));
    ASSERT_TRUE(pv::export_log_text(src, dst));
    std::string text = logtest::read_all(dst);
    EXPECT_NE(text.find("\r\n      2\t  3.0\t\r\n"), std::string::npos) << text;
}

TEST_F(Export, LongFieldsAreCutToEightCharacters) {
    auto src = s.path("big.PVL");
    auto dst = s.path("big.TXT");
    Words h = logtest::old_header(100, 1, 0);
    logtest::write_words(src, cat({h, Words{0x8000, 0x7FFF, 0}}));
    ASSERT_TRUE(pv::export_log_text(src, dst));
    std::string text = logtest::read_all(dst);
    EXPECT_NE(text.find("\r\n    0.0\t-3276.8\t3276700\t    0\t\r\n"), std::string::npos) << text;

    // 10000 samples of 9.999 s reach 99990.000 s, nine characters.
    Words one = {1, 1, 9999, 9999, 1, 0};
    logtest::write_words(src, cat({one, Words(10001, 0)}));
    ASSERT_TRUE(pv::export_log_text(src, dst));
    text = logtest::read_all(dst);
    EXPECT_NE(text.find("\r\n9999.000\t  0.0\t\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 19), "\r\n99990.00\t  0.0\t\r\n");
}

TEST_F(Export, SaveKindByNameAndExtension) {
    using pv::SaveKind;
    EXPECT_EQ(pv::save_kind("/a/b.PVL", "/a/b.PVL"), SaveKind::none);
    EXPECT_EQ(pv::save_kind("/a/c.pvl", "/a/b.PVL"), SaveKind::copy);
    EXPECT_EQ(pv::save_kind("/a/b.pvl", "/a/b.PVL"), SaveKind::copy);  // not the same name
    EXPECT_EQ(pv::save_kind("/a/c.Txt", "/a/b.PVL"), SaveKind::text);
    EXPECT_EQ(pv::save_kind("/a/c.csv", "/a/b.PVL"), SaveKind::none);
    EXPECT_EQ(pv::save_kind("/a/c.PVLX", "/a/b.PVL"), SaveKind::none);
    EXPECT_EQ(pv::save_kind("/a/c", "/a/b.PVL"), SaveKind::none);
}

TEST_F(Export, CopyKeepsWholeWordsOnly) {
    auto src = s.path("a.PVL");
    auto dst = s.path("b.PVL");
    Words w = cat({logtest::current_header(100, 1, 0), Words(7, 0x1234)});
    logtest::write_words(src, w, "\x7F");
    ASSERT_TRUE(pv::copy_log_file(src, dst));
    EXPECT_EQ(logtest::read_all(dst), logtest::le_bytes(w));
}

TEST_F(Export, FailedSavesLeaveNoFileUnderTheChosenName) {
    auto src = s.path("a.PVL");
    logtest::write_words(src, cat({logtest::current_header(100, 1, 0), Words(7, 1)}));
    std::string missing_dir = s.path("no/such/dir/b.PVL");
    EXPECT_FALSE(pv::copy_log_file(src, missing_dir));
    EXPECT_FALSE(pv::export_log_text(src, s.path("no/such/dir/b.TXT")));

    // A target that is a folder: the write succeeds beside it but the rename cannot.
    std::filesystem::create_directory(s.path("taken.TXT"));
    EXPECT_FALSE(pv::export_log_text(src, s.path("taken.TXT")));
    EXPECT_TRUE(std::filesystem::is_directory(s.path("taken.TXT")));
    for (const auto& e : std::filesystem::directory_iterator(s.dir()))
        EXPECT_EQ(e.path().string().find(".part"), std::string::npos) << e.path();

    // A source that vanished.
    EXPECT_FALSE(pv::copy_log_file(s.path("gone.PVL"), s.path("c.PVL")));
    EXPECT_FALSE(std::filesystem::exists(s.path("c.PVL")));
}

}  // namespace
