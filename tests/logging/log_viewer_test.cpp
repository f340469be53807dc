// One log window's state without the window, over both sides: loading, the paint
// conditions, Log Link's target and saving.
#include "core/logging/log_viewer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/logging/recorder.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"
#include "support/log_images.h"

namespace {

using logtest::cat;
using logtest::Words;

class Viewer : public ::testing::TestWithParam<const pv::LogSide*> {
  protected:
    void SetUp() override {
        pv::settings = pv::Settings{};
        pv::recording = pv::RecordingState{};
        pv::set_prompter(&prompter);
        viewer.set_caption(viewer.placeholder());
    }
    void TearDown() override { pv::set_prompter(nullptr); }
    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& shown : prompter.shown) t.push_back(shown.text);
        return t;
    }
    std::string log_with(size_t samples) {
        auto p = s.path("a.PVL");
        Words body;
        for (size_t k = 0; k < samples; ++k)
            body.insert(body.end(), {static_cast<uint16_t>(100 + k), 0, 30, 40, 5, 100, 0});
        logtest::write_words(p, cat({logtest::current_header(100, 1, 0), body}));
        return p;
    }

    logtest::Scratch s;
    pv::ScriptedPrompter prompter;
    pv::LogViewer viewer{*GetParam()};
};

TEST_P(Viewer, PlaceholderLoadsQuietlyAndAMissingFileIsReported) {
    EXPECT_FALSE(viewer.load(600));
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_FALSE(viewer.paints());

    viewer.set_caption(s.path("gone.PVL"));
    EXPECT_FALSE(viewer.load(600));
    EXPECT_EQ(texts(), std::vector<std::string>{s.path("gone.PVL") + " cannot be found."});
    EXPECT_EQ(viewer.header().n, 0);
}

TEST_P(Viewer, RefusesAFileItCannotLayOut) {
    Words w = logtest::current_header(100, 1, 0);
    w[0] = 0;
    logtest::write_words(s.path("zero.PVL"), cat({w, Words(30, 1)}));
    viewer.set_caption(s.path("zero.PVL"));
    EXPECT_FALSE(viewer.load(600));
    EXPECT_EQ(texts(), std::vector<std::string>{pv::msg_text(1)});
    EXPECT_FALSE(viewer.shows_file());
    EXPECT_FALSE(viewer.paints());
}

TEST_P(Viewer, PaintsFilesOfTwoSamplesOrMore) {
    viewer.set_caption(log_with(1));
    ASSERT_TRUE(viewer.load(600));
    EXPECT_FALSE(viewer.paints());  // one sample: last index 0
    viewer.set_caption(log_with(2));
    ASSERT_TRUE(viewer.load(600));
    EXPECT_TRUE(viewer.paints());
    EXPECT_EQ(viewer.view().columns, 601);

    // A recording or a save suspends only the side that records.
    pv::recording.logging_active = 1;
    EXPECT_EQ(viewer.paints(), !GetParam()->records);
}

TEST_P(Viewer, ReadsWhatThePaintNeedsAndNoticesAVanishedFile) {
    viewer.set_caption(log_with(5));
    ASSERT_TRUE(viewer.load(2));  // three columns
    pv::scroll_to(viewer.view(), 1, viewer.last_index());
    viewer.view().cursor = 2;
    std::vector<int16_t> w;
    ASSERT_TRUE(viewer.read_visible(w));
    EXPECT_EQ(w.size(), 7u * 4);
    EXPECT_EQ(w[0], 101);
    ASSERT_TRUE(viewer.read_cursor_sample(w));
    EXPECT_EQ(w[0], 103);

    std::filesystem::remove(viewer.caption());
    EXPECT_FALSE(viewer.read_visible(w));
    EXPECT_EQ(viewer.missing_text(), s.path("a.PVL") + " cannot be found.");
    viewer.forget_missing_file();
    EXPECT_FALSE(viewer.shows_file());
}

TEST_P(Viewer, LogLinkWritesTheSidesOwnLiveValues) {
    pv::live = pv::LiveValues{};
    pv::other_live = pv::LiveValues{};
    viewer.set_caption(log_with(3));
    ASSERT_TRUE(viewer.load(600));
    int moves = 0;
    viewer.push_cursor_values({-300, 5, 44, 77, 9, 120, 255}, [&] { ++moves; });
    EXPECT_EQ(moves, 6);
    const pv::LiveValues& mine = *GetParam()->live_target;
    const pv::LiveValues& other = &mine == &pv::live ? pv::other_live : pv::live;
    EXPECT_EQ(mine.live_boost, -300);
    EXPECT_EQ(mine.live_throttle, 77);
    EXPECT_EQ(mine.marking, 0);
    EXPECT_EQ(other.live_boost, 0);
}

INSTANTIATE_TEST_SUITE_P(BothSides, Viewer,
                         ::testing::Values(&pv::data_log_side, &pv::comparison_log_side));

class Saving : public ::testing::Test {
  protected:
    void SetUp() override {
        pv::settings = pv::Settings{};
        pv::set_prompter(&prompter);
        logtest::write_words(src, cat({logtest::current_header(100, 1, 0), Words(14, 3)}));
        viewer.set_caption(src);
        ASSERT_TRUE(viewer.load(600));
    }
    void TearDown() override { pv::set_prompter(nullptr); }
    logtest::Scratch s;
    std::string src = s.path("TMPLOG.PVL");
    pv::ScriptedPrompter prompter;
    pv::LogViewer viewer{pv::data_log_side};
};

TEST_F(Saving, CopyThenShowsTheCopy) {
    auto dst = s.path("drive.PVL");
    EXPECT_EQ(viewer.save(dst), pv::LogViewer::SaveResult::saved);
    EXPECT_EQ(viewer.caption(), dst);
    EXPECT_EQ(pv::settings.log_dir, s.dir());
    EXPECT_EQ(logtest::read_all(dst), logtest::read_all(src));
}

TEST_F(Saving, ExportKeepsShowingTheSource) {
    EXPECT_EQ(viewer.save(s.path("drive.txt")), pv::LogViewer::SaveResult::saved);
    EXPECT_EQ(viewer.caption(), src);
    EXPECT_TRUE(std::filesystem::exists(s.path("drive.txt")));
}

TEST_F(Saving, NothingOntoItselfOrForOtherExtensions) {
    EXPECT_EQ(viewer.save(src), pv::LogViewer::SaveResult::nothing);
    EXPECT_EQ(viewer.save(s.path("drive.csv")), pv::LogViewer::SaveResult::nothing);
    EXPECT_FALSE(std::filesystem::exists(s.path("drive.csv")));
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(Saving, FailureSaysSoAndKeepsTheShownFile) {
    EXPECT_EQ(viewer.save(s.path("no/dir/drive.PVL")), pv::LogViewer::SaveResult::failed);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, pv::msg_text(2));
    EXPECT_EQ(viewer.caption(), src);
}

}  // namespace
