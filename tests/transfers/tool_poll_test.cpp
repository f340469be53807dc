// pvtool unit poll --monitor against the simulated unit in the same process: each line is
// what the data monitor's six labels show after that poll.
#include <deque>
#include <optional>
#include <sstream>

#include "tool/tool.h"
#include "support/transfers_support.h"

namespace xfertest {
namespace {

// Sets the unit's measured values for each live-data request in turn; an empty entry
// drops that request.
class DrivingPort : public pv::Port {
  public:
    DrivingPort(pv::Port& inner, pvsim::SimUnit& sim) : inner_(inner), sim_(sim) {}
    std::deque<std::optional<pv::LiveSample>> samples;
    bool open(int n) override { return inner_.open(n); }
    bool configure() override { return inner_.configure(); }
    void close() override { inner_.close(); }
    bool purge() override { return inner_.purge(); }
    bool write(const uint8_t* b, size_t n) override {
        if (n == 24 && b[5] == 0x80 && b[6] == 0xF7 && !samples.empty()) {
            if (samples.front())
                sim_.fixed_live = *samples.front();
            else
                sim_.scripted.push_back(pvsim::Fault::drop);
            samples.pop_front();
        }
        return inner_.write(b, n);
    }
    bool read(uint8_t* b, size_t n, size_t& got) override { return inner_.read(b, n, got); }

  private:
    pv::Port& inner_;
    pvsim::SimUnit& sim_;
};

using Samples = std::deque<std::optional<pv::LiveSample>>;

class ToolPoll : public TransferTest {
  protected:
    int poll(std::vector<std::string> args, Samples samples) {
        DrivingPort driving(*line, *sim);
        driving.samples = std::move(samples);
        out.str({});
        err.str({});
        args.insert(args.begin(), "poll");
        return pvtool::unit_command(args, {out, err}, &driving);
    }
    std::vector<std::string> lines() const {
        std::vector<std::string> v;
        std::istringstream s(out.str());
        for (std::string l; std::getline(s, l);) v.push_back(l);
        return v;
    }
    std::ostringstream out, err;
};

TEST_F(ToolPoll, MonitorLinesFollowTheLabelsFirstDisplayAndDeadBand) {
    // boost, peak, rev, throttle: the peak starts on its sentinel and the throttle on 101.
    Samples s = {pv::LiveSample{49, 2578, 30, 101}, pv::LiveSample{50, 2578, 30, 60},
                 pv::LiveSample{-50, 300, 31, 60}};
    ASSERT_EQ(poll({"--monitor", "--count", "3"}, s), pvtool::kOk) << err.str();
    EXPECT_EQ(lines(), (std::vector<std::string>{
                           "  0.0\t*****\t 3000\t*****\t    0\t    0",
                           "  5.0\t*****\t 3000\t   60\t    0\t    0",
                           " -5.0\t 30.0\t 3100\t   60\t    0\t    0",
                       }));
    EXPECT_EQ(err.str(), "");
}

TEST_F(ToolPoll, MonitorShowsPsiAndVehicleSpeedAsTheUnitReportsThem) {
    pvsim::Options o;
    o.psi = true;
    o.speed = true;
    start_unit(o);
    ASSERT_EQ(poll({"--monitor", "--count", "1"}, {pv::LiveSample{50, 1225, 30, 10}}), pvtool::kOk)
        << err.str();
    EXPECT_EQ(lines(), (std::vector<std::string>{"  0.5\t 12.3\t   60\t   10\t    0\t    0"}));
}

TEST_F(ToolPoll, AFailedPollRepeatsTheLabelsAndIsCounted) {
    Samples s = {pv::LiveSample{1000, 1500, 20, 30}, std::nullopt,
                 pv::LiveSample{1000, 1500, 21, 30}};
    ASSERT_EQ(poll({"--monitor", "--count", "3"}, s), pvtool::kOk);
    EXPECT_EQ(lines(), (std::vector<std::string>{
                           "100.0\t150.0\t 2000\t   30\t    0\t    0",
                           "100.0\t150.0\t 2000\t   30\t    0\t    0",
                           "100.0\t150.0\t 2100\t   30\t    0\t    0",
                       }));
    EXPECT_EQ(err.str(), "failed polls: 1 of 3\n");
}

TEST_F(ToolPoll, MonitorIsAPollOption) {
    EXPECT_EQ(pvtool::unit_command({"status", "--monitor"}, {out, err}, line.get()),
              pvtool::kUsage);
}

}  // namespace
}  // namespace xfertest
