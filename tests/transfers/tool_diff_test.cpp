// pvtool unit diff against the simulated unit: what Load All Data would read, compared with
// a file, without a single write on the line.
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/document/datafile.h"
#include "support/transfers_support.h"
#include "tool/diff_cmd.h"
#include "tool/tool.h"
#include "tool/unit_jobs.h"

namespace xfertest {
namespace {

using pv::data;

class ToolDiff : public TransferTest {
  protected:
    int run(std::vector<std::string> args) {
        out.str({});
        err.str({});
        return pvtool::unit_diff(std::move(args), {out, err}, *line);
    }
    // The unit's data as Load All Data saves it.
    std::string unit_file(const char* name) {
        std::string p = ::testing::TempDir() + name;
        std::ostringstream o, e;
        EXPECT_EQ(pvtool::unit_job("load-all", {p}, {o, e}, *line), pvtool::kOk) << e.str();
        return p;
    }
    std::ostringstream out, err;
};

TEST_F(ToolDiff, ListsWhatASendWouldChangeAndWritesNothing) {
    std::string p = unit_file("unit_diff.PVD");
    ASSERT_TRUE(pv::ReadDataFile(p));
    data.boost_map_a[2][0] = 77;
    data.setboost_b += 10;
    ASSERT_TRUE(pv::WriteDataFile(p));

    line->written.clear();
    ASSERT_EQ(run({p, "--json"}), 1) << err.str();
    EXPECT_EQ(writes(), 0u);
    EXPECT_GT(exchanges(), 28u);
    auto j = nlohmann::json::parse(out.str());
    std::set<std::string> counted;
    for (const auto& d : j)
        if (d["counts"].get<bool>()) counted.insert(d["field"].get<std::string>());
    EXPECT_EQ(counted, (std::set<std::string>{"boost_map_a", "setboost_b"}));
    for (const auto& d : j)
        if (d["field"] == "boost_map_a") {
            EXPECT_EQ(d["cell"], nlohmann::json({2, 0}));
            EXPECT_EQ(d["b"], 77);
        }
    EXPECT_FALSE(port->is_open());

    // The file as the unit holds it: nothing counts.
    std::string same = unit_file("unit_same.PVD");
    line->written.clear();
    EXPECT_EQ(run({same}), 0) << out.str() << err.str();
    EXPECT_EQ(writes(), 0u);
}

TEST_F(ToolDiff, TheFilesCommentIsNoDifferenceForTheUnitKeepsNone) {
    std::string p = unit_file("unit_comment.PVD");
    ASSERT_TRUE(pv::ReadDataFile(p));
    data.comment = "street tune";
    ASSERT_TRUE(pv::WriteDataFile(p));

    ASSERT_EQ(run({p}), 0) << out.str() << err.str();
    EXPECT_NE(out.str().find("Comment  - -> street tune  (the unit keeps no comment)\n"),
              std::string::npos)
        << out.str();
    ASSERT_EQ(run({p, "--json"}), 0) << err.str();
    auto j = nlohmann::json::parse(out.str());
    ASSERT_EQ(j.size(), 1u) << j.dump();
    EXPECT_EQ(j[0]["field"], "comment");
    EXPECT_TRUE(j[0]["a"].is_null());
    EXPECT_EQ(j[0]["b"], "street tune");
    EXPECT_FALSE(j[0]["counts"].get<bool>());

    // Beside a real difference the comment still does not count, and an axis point is placed
    // by one index, as the dump lists the axis.
    ASSERT_TRUE(pv::ReadDataFile(p));
    data.throttle_axis[2] += 3;
    ASSERT_TRUE(pv::WriteDataFile(p));
    ASSERT_EQ(run({p, "--json"}), 1) << err.str();
    j = nlohmann::json::parse(out.str());
    std::map<std::string, bool> counts;
    for (const auto& d : j) {
        counts[d["field"]] = d["counts"].get<bool>();
        if (d["field"] == "throttle_axis") {
            EXPECT_EQ(d["cell"], nlohmann::json::array({2}));
        }
    }
    EXPECT_EQ(counts, (std::map<std::string, bool>{{"throttle_axis", true}, {"comment", false}}));
    EXPECT_EQ(writes(), 0u);
}

TEST_F(ToolDiff, ALockedOrSilentUnitIsAnError) {
    std::string p = unit_file("unit_diff_lock.PVD");
    pvsim::Options o;
    o.locked = 1234;
    start_unit(o);
    line->written.clear();
    EXPECT_EQ(run({p}), 2);
    EXPECT_EQ(writes(), 0u);
    EXPECT_TRUE(sim->locked());
    EXPECT_NE(err.str().find("data lock"), std::string::npos);

    start_unit({});
    sim->scripted.assign(200, pvsim::Fault::silent);
    EXPECT_EQ(run({p}), 2);
    EXPECT_FALSE(err.str().empty());
    EXPECT_EQ(run({::testing::TempDir() + "no_such.PVD"}), 2);
}

}  // namespace
}  // namespace xfertest
