// Restore points of the unit and the review before a send, against the simulated unit.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/document/datafile.h"
#include "core/link/send_guard.h"
#include "support/transfers_support.h"
#include "tool/tool.h"
#include "tool/unit_jobs.h"

namespace xfertest {
namespace {

using pv::data;
namespace fs = std::filesystem;

class RestorePoints : public TransferTest {
  protected:
    void SetUp() override {
        TransferTest::SetUp();
        folder = ::testing::TempDir() + "history_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(folder);
        pv::settings.history_folder = folder;
    }
    void TearDown() override {
        pv::settings.history_folder.clear();
        pv::settings.history_limit = 200;
        pv::settings.review_send = 0;
        pv::settings.history_before_send = 1;
        TransferTest::TearDown();
    }
    std::vector<pv::RestorePoint> points() const { return pv::list_restore_points(folder); }
    pv::ControllerData point(size_t k) const {
        pv::ControllerData d;
        EXPECT_TRUE(pv::read_restore_point(points().at(k), d));
        return d;
    }
    bool shown(const std::string& part) const {
        for (const auto& s : prompter.shown)
            if (s.text.find(part) != std::string::npos) return true;
        return false;
    }
    std::string folder;
};

TEST_F(RestorePoints, AreListedOldestFirstAndTheLimitDropsTheOldest) {
    pv::settings.history_limit = 3;
    const std::time_t t0 = 1'800'000'000;
    for (int k = 0; k < 4; ++k) {
        data.setboost_a = static_cast<uint16_t>(100 + k);
        ASSERT_TRUE(pv::keep_restore_point(data, pv::RestoreCause::before_send_all, folder,
                                           t0 + (k < 3 ? k : 2)));
    }
    auto p = points();
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0].cause, "before Send All Data");
    EXPECT_EQ(point(0).setboost_a, 101);
    // Two points within one second keep their order.
    EXPECT_EQ(point(1).setboost_a, 102);
    EXPECT_EQ(point(2).setboost_a, 103);
    EXPECT_EQ(p[1].when, p[2].when);
}

TEST_F(RestorePoints, UnfinishedOrForeignFilesAreNoPoints) {
    ASSERT_TRUE(pv::keep_restore_point(data, pv::RestoreCause::load_all, folder, 1'800'000'000));
    const std::string name = fs::path(points()[0].path).filename().string();
    // What a killed save leaves: its hidden temporary, or a short file under a point's name.
    std::ofstream(folder + "/.tmp_" + name) << std::string(506, 'x');
    std::ofstream(folder + "/20270101-000000 Load All Data.PVD") << "short";
    std::ofstream(folder + "/notes.txt") << "x";
    EXPECT_EQ(points().size(), 1u);

    const std::string not_a_folder = folder + "/notes.txt";
    EXPECT_FALSE(pv::keep_restore_point(data, pv::RestoreCause::load_all, not_a_folder, 0));
    EXPECT_EQ(points().size(), 1u);
}

TEST_F(RestorePoints, LoadAllAndEverySendKeepWhatTheUnitHeld) {
    sim->poke(0xF7A1, 150);  // setboost_a
    ASSERT_TRUE(pv::load_all_data());
    ASSERT_EQ(points().size(), 1u);
    EXPECT_EQ(points()[0].cause, "Load All Data");
    EXPECT_TRUE(same_unit_data(point(0), unit_memory(*sim)));

    data.boost_map_a[1][1] = 44;
    ASSERT_TRUE(pv::send_all_data());
    ASSERT_EQ(points().size(), 2u);
    EXPECT_EQ(points()[1].cause, "before Send All Data");
    EXPECT_NE(point(1).boost_map_a[1][1], 44);
    EXPECT_EQ(sim->in_use().boost_map_a[1][1], 44);

    // A send that changes nothing keeps no point.
    ASSERT_TRUE(pv::send_all_data());
    EXPECT_EQ(points().size(), 2u);

    data.setboost_a = 120;
    ASSERT_TRUE(pv::send_parameter());
    ASSERT_EQ(points().size(), 3u);
    EXPECT_EQ(points()[2].cause, "before Send Parameter");
    EXPECT_EQ(point(2).setboost_a, 150);
    EXPECT_TRUE(prompter.shown.empty()) << prompter.shown.front().text;

    // A point sent back makes the unit what it was.
    data = point(1);
    ASSERT_TRUE(pv::send_all_data());
    EXPECT_TRUE(same_unit_data(sim->in_use(), point(1)));
}

TEST_F(RestorePoints, OffMeansASendReadsNothingFirst) {
    pv::settings.history_before_send = 0;
    ASSERT_TRUE(pv::load_all_data());
    fs::remove_all(folder);
    hooks.events.clear();
    data.boost_map_a[1][1] = 44;
    ASSERT_TRUE(pv::send_all_data());
    EXPECT_TRUE(points().empty());
    EXPECT_FALSE(hooks.has("progress Loading..."));
}

TEST_F(RestorePoints, AFailedReadBeforeASendWritesNothing) {
    ASSERT_TRUE(pv::load_all_data());
    data.boost_map_a[1][1] = 44;
    line->break_block(107, false);
    line->written.clear();
    prompter.shown.clear();
    EXPECT_FALSE(pv::send_all_data());
    EXPECT_EQ(writes(), 0u);
    EXPECT_EQ(texts(),
              (Texts{"Communication error(1071):Please check connection", pv::error_text(46)}));
    EXPECT_EQ(points().size(), 1u);
}

TEST_F(RestorePoints, ReviewShowsTheChangesAndCancelWritesNothing) {
    pv::settings.review_send = 1;
    ASSERT_TRUE(pv::load_all_data());
    const size_t kept = points().size();

    data.boost_map_a[2][3] = 77;
    prompter.answers = {pv::Answer::Cancel};
    line->written.clear();
    EXPECT_FALSE(pv::send_all_data());
    EXPECT_EQ(writes(), 0u);
    EXPECT_TRUE(shown(pv::msg_text(230)));
    EXPECT_TRUE(shown(" -> 77")) << prompter.shown.back().text;
    EXPECT_EQ(points().size(), kept + 1) << "the read is kept even when the send is cancelled";

    prompter.shown.clear();
    prompter.answers = {pv::Answer::Ok};
    EXPECT_TRUE(pv::send_all_data());
    EXPECT_EQ(sim->in_use().boost_map_a[2][3], 77);

    // A parameter: the dialog's texts of both sides; Send Parameter lists no table.
    const std::string before = pv::parameter_text(data, "setboost_a");
    data.setboost_a = static_cast<uint16_t>(data.setboost_a + 10);
    data.boost_map_a[2][3] = 5;
    prompter.shown.clear();
    prompter.answers = {pv::Answer::Cancel};
    line->written.clear();
    EXPECT_FALSE(pv::send_parameter());
    EXPECT_EQ(writes(), 0u);
    EXPECT_TRUE(shown(before + " -> " + pv::parameter_text(data, "setboost_a")));
    EXPECT_FALSE(shown(" -> 5"));
}

TEST_F(RestorePoints, ReviewOfOnlyACommentSaysSoAndSendsNothingUnlessAsked) {
    pv::settings.review_send = 1;
    ASSERT_TRUE(pv::load_all_data());
    data.comment = "new comment";
    prompter.answers = {pv::Answer::No};
    line->written.clear();
    EXPECT_FALSE(pv::send_all_data());
    EXPECT_EQ(writes(), 0u);
    EXPECT_TRUE(shown(pv::msg_text(229)));

    prompter.answers = {pv::Answer::Yes};
    EXPECT_TRUE(pv::send_all_data());
    EXPECT_GT(writes(), 0u);
}

TEST_F(RestorePoints, ConsoleSendsKeepPointsAndHistoryListsAndShowsThem) {
    std::ostringstream out, err;
    pvtool::Io io{out, err};
    const std::string file = ::testing::TempDir() + "history_send.PVD";
    ASSERT_EQ(pvtool::unit_job("load-all", {file}, io, *line), pvtool::kOk) << err.str();
    data.boost_map_b[0][4] = 33;
    data.setboost_b = 95;
    ASSERT_TRUE(pv::WriteDataFile(file));
    ASSERT_EQ(pvtool::unit_job("send-all", {file}, io, *line), pvtool::kOk) << err.str();
    ASSERT_EQ(pvtool::unit_job("send-all", {file}, io, *line), pvtool::kOk) << err.str();
    ASSERT_EQ(points().size(), 2u) << "the second send changed nothing";
    // What the first send replaced is the newest point, and the unit holds it no more.
    data.boost_map_b[0][4] = 34;
    ASSERT_TRUE(pv::WriteDataFile(file));
    ASSERT_EQ(pvtool::unit_job("send-params", {file}, io, *line), pvtool::kOk) << err.str();
    ASSERT_EQ(points().size(), 2u) << "Send Parameter sends no table";

    out.str({});
    EXPECT_EQ(pvtool::history_main({"list"}, io), pvtool::kOk);
    EXPECT_NE(out.str().find("1  "), std::string::npos);
    EXPECT_NE(out.str().find("before Send All Data"), std::string::npos) << out.str();

    out.str({});
    EXPECT_EQ(pvtool::history_main({"list", "--json"}, io), pvtool::kOk);
    EXPECT_NE(out.str().find("\"changed_cells\": 0"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\"cause\": \"Load All Data\""), std::string::npos);

    // Load All Data and the point before the send read the same unit.
    out.str({});
    EXPECT_EQ(pvtool::history_main({"show", "1"}, io), pvtool::kOk);
    EXPECT_EQ(out.str().find("->"), out.str().find("(information only)") == std::string::npos
                                        ? std::string::npos
                                        : out.str().find("->"))
        << out.str();
    EXPECT_EQ(pvtool::history_main({"show", "2"}, io), pvtool::kOk);
    EXPECT_NE(out.str().find("oldest"), std::string::npos);
    EXPECT_EQ(pvtool::history_main({"show", "3"}, io), pvtool::kFailed);
    EXPECT_EQ(pvtool::history_main({"show"}, io), pvtool::kUsage);

    pv::settings.history_limit = 1;
    data.setboost_b = 96;
    ASSERT_TRUE(pv::WriteDataFile(file));
    ASSERT_EQ(pvtool::unit_job("send-params", {file}, io, *line), pvtool::kOk) << err.str();
    ASSERT_EQ(points().size(), 1u);
    EXPECT_EQ(points()[0].cause, "before Send Parameter");
    EXPECT_EQ(point(0).setboost_b, 95);
}

}  // namespace
}  // namespace xfertest
