// The simulated car, seen as the program sees it: polls of the unit's live block on the
// test's clock, and the unit's data changed the way Send All Data changes it.
#include <array>
#include <cstdlib>
#include <vector>

#include "support/link_support.h"

namespace simtest {
namespace {

struct Polled {
    uint8_t rev;
    uint8_t throttle;
    int16_t boost;
    int16_t peak;
    int gear;
};

class CarTest : public linktest::LinkTest {
  protected:
    void drive(pvsim::Drive d, uint32_t seed = 1) {
        pvsim::Options o = pvsim::program_defaults();
        o.drive = d;
        o.seed = seed;
        start_unit(o);
        open();
    }
    // Polls every `step_ms` for `seconds` of driving.
    std::vector<Polled> run(int seconds, uint32_t step_ms = 100) {
        std::vector<Polled> out;
        for (uint32_t t = 0; t < static_cast<uint32_t>(seconds) * 1000; t += step_ms) {
            clock.advance(step_ms);
            EXPECT_TRUE(pv::poll_live_data());
            out.push_back({pv::live.live_rev, pv::live.live_throttle, pv::live.live_boost,
                           pv::live.live_peak_boost, sim->car().gear()});
        }
        return out;
    }
};

TEST_F(CarTest, APullRisesThroughTheGearsAndDropsAtEachChange) {
    drive(pvsim::Drive::pulls);
    std::vector<Polled> s = run(60);
    size_t k = 0;
    while (k < s.size() && s[k].throttle < 100) ++k;
    ASSERT_LT(k, s.size());
    // From the first full-throttle sample until the driver lifts off in fourth.
    std::vector<int> gears{s[k].gear};
    int top = 0, pulled_to = s[k].rev;
    for (++k; k < s.size() && !(s[k].gear == 4 && s[k].throttle == 0); ++k) {
        const Polled &was = s[k - 1], &is = s[k];
        if (is.gear != was.gear) {
            gears.push_back(is.gear);
            EXPECT_LE(is.rev + 10, pulled_to) << "at least 1000 rpm less after the change up";
        } else if (is.throttle == 100 && was.throttle == 100) {
            EXPECT_GE(is.rev, was.rev) << "in gear at full throttle, sample " << k;
        }
        if (is.throttle == 100) pulled_to = is.rev;
        top = std::max<int>(top, is.rev);
    }
    EXPECT_EQ(gears, (std::vector<int>{2, 3, 4}));
    EXPECT_GE(top, 62) << "each gear is pulled to the change-up point";
}

TEST_F(CarTest, AClosedThrottleLeavesVacuumAndThePeakHoldsTheHighest) {
    for (pvsim::Drive d :
         {pvsim::Drive::idle, pvsim::Drive::street, pvsim::Drive::pulls, pvsim::Drive::track}) {
        drive(d);
        std::vector<Polled> s = run(120);
        int closed = 0, boosted = 0;
        for (size_t k = 5; k < s.size(); ++k) {
            EXPECT_GE(s[k].peak, s[k].boost);
            boosted += s[k].boost > 500;
            bool shut = true;
            for (size_t b = k - 5; b <= k; ++b) shut = shut && s[b].throttle == 0;
            if (!shut) continue;
            ++closed;
            EXPECT_LT(s[k].boost, 0) << "drive " << static_cast<int>(d) << ", sample " << k;
        }
        EXPECT_GT(closed, 50);
        EXPECT_EQ(boosted > 0, d != pvsim::Drive::idle) << static_cast<int>(d);
    }
}

// The nearest point of a 5-point axis, from 0: the cell a sample belongs to.
int nearest(int value, const pv::Axis& axis) {
    int best = 0;
    for (int k = 1; k < 5; ++k)
        if (std::abs(value - axis[k]) < std::abs(value - axis[best])) best = k;
    return best;
}

struct CellMeans {
    std::array<std::array<double, 5>, 5> sum{};
    std::array<std::array<int, 5>, 5> count{};
    double kpa(int i, int j) const { return sum[i][j] / count[i][j] / 10; }
};

CellMeans cell_means(const std::vector<Polled>& samples, const pv::ControllerData& d) {
    CellMeans m;
    for (const Polled& p : samples) {
        int i = nearest(p.rev, d.rpm_axis), j = nearest(p.throttle, d.throttle_axis);
        m.sum[i][j] += p.boost;
        ++m.count[i][j];
    }
    return m;
}

TEST_F(CarTest, ASentBoostMapCellMovesTheBoostInThatCellOnly) {
    const pv::ControllerData tuned = pvsim::tuned_data(false);
    const int ci = 4, cj = 4;  // 6000 rpm, 100 % throttle
    drive(pvsim::Drive::pulls);
    const CellMeans before = cell_means(run(300, 15), tuned);

    drive(pvsim::Drive::pulls);
    pv::data.boost_map_a = tuned.boost_map_a;
    pv::data.boost_map_a[ci][cj] += 30;
    ASSERT_TRUE(pv::write_table(21));
    {
        pv::CommandPurpose purpose(pv::cmd_apply);
        ASSERT_TRUE(pv::write_block(115));
    }
    const CellMeans after = cell_means(run(300, 15), tuned);

    ASSERT_GT(before.count[ci][cj], 500);
    const double raised = after.kpa(ci, cj) - before.kpa(ci, cj);
    EXPECT_GE(raised, 20);
    EXPECT_LE(raised, 30);
    // Two engine-speed points away the boost never came from the changed cell.
    int far = 0;
    for (int i = 0; i <= ci - 2; ++i) {
        for (int j = 0; j < 5; ++j) {
            if (before.count[i][j] < 200 || after.count[i][j] < 200) continue;
            ++far;
            EXPECT_NEAR(after.kpa(i, j), before.kpa(i, j), 2.0) << "cell " << i << "," << j;
        }
    }
    EXPECT_GE(far, 5);
}

// The bytes the unit answers to the live-block reads of a street drive polled every 100 ms.
std::vector<uint8_t> replies(uint32_t seed) {
    pvsim::Options o = pvsim::program_defaults();
    o.seed = seed;
    uint32_t now = 0;
    pvsim::SimUnit unit(o, [&now] { return now; });
    const pv::LinkFrame read = pv::make_read_request(0xE5, pv::live_data_address);
    std::vector<uint8_t> out;
    for (; now < 180000; now += 100) {
        pvsim::Outcome r = unit.handle(read.bytes.data(), read.bytes.size());
        out.insert(out.end(), r.reply.begin(), r.reply.end());
    }
    return out;
}

TEST(CarDrive, TheSameSeedDrivesTheSameWay) {
    EXPECT_EQ(replies(7), replies(7));
    EXPECT_NE(replies(7), replies(8));

    pvsim::Options o;
    std::string error;
    EXPECT_EQ(o.drive, pvsim::Drive::sweep) << "the tests' unit keeps its fixed waves";
    EXPECT_EQ(pvsim::program_defaults().drive, pvsim::Drive::street);
    ASSERT_TRUE(pvsim::parse_options({"--drive", "track", "--seed", "9"}, o, error)) << error;
    EXPECT_EQ(o.drive, pvsim::Drive::track);
    EXPECT_EQ(o.seed, 9u);
    EXPECT_FALSE(pvsim::parse_options({"--drive", "fast"}, o, error));
    EXPECT_FALSE(pvsim::parse_options({"--drive"}, o, error));
}

}  // namespace
}  // namespace simtest
