// pvtool unit load-all / load-params / send-all / send-params / lock / reset against the
// simulated unit in the same process.
#include <fstream>
#include <sstream>

#include "core/document/datafile.h"
#include "support/transfers_support.h"
#include "tool/tool.h"
#include "tool/unit_jobs.h"

namespace xfertest {
namespace {

using pv::data;

class ToolJobs : public TransferTest {
  protected:
    int run(const std::string& command, std::vector<std::string> args) {
        out.str({});
        err.str({});
        return pvtool::unit_job(command, std::move(args), {out, err}, *line);
    }
    std::string file(const char* name, bool write_document = false) {
        std::string p = ::testing::TempDir() + name;
        std::remove(p.c_str());
        if (write_document) {
            EXPECT_TRUE(pv::WriteDataFile(p));
        }
        return p;
    }
    pv::ControllerData read_back(const std::string& p) {
        pv::ControllerData kept = data;
        EXPECT_TRUE(pv::ReadDataFile(p));
        std::swap(kept, data);
        return kept;
    }
    bool said(const std::ostringstream& s, const std::string& text) const {
        return s.str().find(text) != std::string::npos;
    }
    std::ostringstream out, err;
};

TEST_F(ToolJobs, LoadAllWritesTheFileOnceTheLockNumberIsGiven) {
    pvsim::Options o;
    o.locked = 31;
    start_unit(o);
    sim->poke(0xF7F3, 0xFE);  // boost_map_b[0][0] = 254
    std::string p = file("xfer_load_all.PVD");
    EXPECT_EQ(run("load-all", {p}), pvtool::kFailed);
    EXPECT_TRUE(said(out, "Data Lock: Input data lock number.\n  -> Cancel (no --lock-number"));
    EXPECT_FALSE(std::ifstream(p).good());

    EXPECT_EQ(run("load-all", {p, "--lock-number", "31"}), pvtool::kOk);
    EXPECT_TRUE(said(out, "Loading..."));
    pv::ControllerData d = read_back(p);
    EXPECT_EQ(d.boost_map_b[0][0], 254);
    EXPECT_TRUE(same_unit_data(d, unit_memory(*sim)));
    EXPECT_FALSE(port->is_open());

    EXPECT_EQ(run("load-all", {file("no-such-dir/x.PVD")}), pvtool::kFailed);
    EXPECT_TRUE(said(err, "Cannot save file."));
}

TEST_F(ToolJobs, SendAllMakesTheWindowCommandsExchanges) {
    data.boost_map_a[2][2] = 40;
    data.file_valve_version = data.file_display_version = 120;
    std::string p = file("xfer_send_all.PVD", true);
    ASSERT_TRUE(pv::send_all_data());
    std::vector<Bytes> window = line->written;
    pv::link_off();

    start_unit({});
    pv::SetDefaultData();
    EXPECT_EQ(run("send-all", {p}), pvtool::kOk);
    EXPECT_EQ(line->written, window);
    EXPECT_EQ(sim->in_use().boost_map_a[2][2], 40);
    EXPECT_TRUE(said(out, "Sending...\nProcessing...\n"));
    EXPECT_FALSE(port->is_open());
}

TEST_F(ToolJobs, LockAnswersEachPromptOnceThenCancels) {
    EXPECT_EQ(run("lock", {"on", "--lock-number", "12a"}), pvtool::kFailed);
    EXPECT_TRUE(said(err, "Input value between 1 - 9999."));
    EXPECT_TRUE(said(out, "-> Cancel (asked again)"));

    EXPECT_EQ(run("lock", {"on", "--lock-number", "55"}), pvtool::kOk);
    EXPECT_TRUE(said(out, "Data Lock: Reinput.\n  -> 55 (--lock-number)"));
    EXPECT_EQ(sim->lock_number(), 55);

    EXPECT_EQ(run("lock", {"off", "--lock-number", "1111"}), pvtool::kFailed);
    EXPECT_TRUE(said(err, "Error:Invalid data lock number."));
    EXPECT_TRUE(sim->locked());
    EXPECT_EQ(run("lock", {"off", "--lock-number", "55"}), pvtool::kOk);
    EXPECT_FALSE(sim->locked());
}

TEST_F(ToolJobs, ResetOnlyOnYes) {
    EXPECT_EQ(run("reset", {}), pvtool::kFailed);
    EXPECT_TRUE(said(out, "Will cancel and reset data lock.\nProceed?\n  -> No (no --yes or --no"));
    EXPECT_EQ(run("reset", {"--no"}), pvtool::kFailed);
    EXPECT_EQ(run("reset", {"--yes"}), pvtool::kOk);
    EXPECT_EQ(line->unit_commands(), std::vector<uint8_t>{pv::cmd_reset});
}

TEST_F(ToolJobs, ParameterCommandsWorkOnTheFile) {
    data.boost_map_a[1][1] = -60;
    data.comment = "my car";
    std::string p = file("xfer_params.PVD", true);
    sim->poke(0xF7A5, 150);  // offset_a
    EXPECT_EQ(run("load-params", {p}), pvtool::kOk);
    pv::ControllerData d = read_back(p);
    EXPECT_EQ(d.offset_a, 150);
    EXPECT_EQ(d.boost_map_a[1][1], -60);
    EXPECT_EQ(d.comment, "my car");

    data.ext_bypass = 1;
    p = file("xfer_params.PVD", true);
    EXPECT_EQ(run("send-params", {p}), pvtool::kFailed);
    EXPECT_TRUE(said(err, "Cannot write due to wrong  Exhaust Bypass Type."));
    EXPECT_EQ(writes(), 0u);
}

TEST_F(ToolJobs, BadCommandLinesAreUsageErrors) {
    EXPECT_EQ(run("lock", {"sideways"}), pvtool::kUsage);
    EXPECT_EQ(run("reset", {"--yes", "--no"}), pvtool::kUsage);
    EXPECT_EQ(run("send-all", {"a.PVD", "b.PVD"}), pvtool::kUsage);
    EXPECT_EQ(exchanges(), 0u);
}

}  // namespace
}  // namespace xfertest
