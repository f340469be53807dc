#include "core/ui/views.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/document/unit.h"
#include "core/link/netunit.h"
#include "support/program.h"

namespace pv {
namespace {

using Calls = std::vector<std::string>;

struct Grid : DocumentViews {
    Calls& calls;
    std::string name;
    bool refuse = false;
    Grid(Calls& c, std::string n) : calls(c), name(std::move(n)) {}
    void fill_grid() override { calls.push_back(name + " fill"); }
    bool commit_axis_edit() override {
        calls.push_back(name + " commit");
        return !refuse;
    }
};

struct Monitor : LiveViews {
    Calls& calls;
    ViewRegistry* registry = nullptr;
    explicit Monitor(Calls& c) : calls(c) {}
    // Closing takes the window out of the registry while the registry is calling.
    void close_monitor() override {
        calls.push_back("monitor close");
        registry->remove(this);
    }
    void refresh_monitor() override { calls.push_back("monitor refresh"); }
};

struct MapWithCursor : DocumentViews, LiveViews {
    Calls& calls;
    explicit MapWithCursor(Calls& c) : calls(c) {}
    void fill_grid() override { calls.push_back("map fill"); }
    void close_monitor() override { calls.push_back("map close_monitor"); }
    void refresh_monitor() override { calls.push_back("map refresh"); }
};

class Views : public ::testing::Test {
  protected:
    void SetUp() override { pvtest::reset_program(); }
    void TearDown() override { pvtest::reset_program(); }
    Calls calls;
    ViewRegistry registry;
};

TEST_F(Views, EachCallReachesTheWindowsOfItsAudienceOnceInOrder) {
    Grid graph(calls, "graph");
    MapWithCursor map(calls);
    Monitor monitor(calls);
    monitor.registry = &registry;
    registry.add(&map);
    registry.add(&graph);
    registry.add(&map);  // a second add changes nothing
    registry.add(&monitor);
    install_front_end(registry.as_front_end({}));

    document_views().fill_grid();
    live_views().refresh_monitor();
    EXPECT_EQ(calls, (Calls{"map fill", "graph fill", "map refresh", "monitor refresh"}));

    calls.clear();
    registry.remove(&map);
    document_views().fill_grid();
    live_views().refresh_monitor();
    EXPECT_EQ(calls, (Calls{"graph fill", "monitor refresh"})) << "a closed window hears nothing";
}

TEST_F(Views, AWindowLeavingDuringACallIsNotCalledAgain) {
    Monitor monitor(calls);
    MapWithCursor map(calls);
    monitor.registry = &registry;
    registry.add(&monitor);
    registry.add(&map);
    registry.close_monitor();
    registry.close_monitor();
    EXPECT_EQ(calls, (Calls{"monitor close", "map close_monitor", "map close_monitor"}));
}

TEST_F(Views, OneRefusedAxisEditStopsTheCommandButEveryViewIsAsked) {
    Grid a(calls, "a"), b(calls, "b");
    registry.add(&a);
    registry.add(&b);
    EXPECT_TRUE(registry.commit_axis_edit());
    a.refuse = true;
    calls.clear();
    EXPECT_FALSE(registry.commit_axis_edit());
    EXPECT_EQ(calls, (Calls{"a commit", "b commit"}));
    EXPECT_TRUE(ViewRegistry().commit_axis_edit()) << "no document window, nothing pending";
}

struct BusyLook : pvtest::FakeWindows {
    std::vector<bool> busy;
    void set_windows_busy(bool b) override { busy.push_back(b); }
};

TEST_F(Views, EveryWayOutOfABusyScopeLeavesTheProgramIdle) {
    BusyLook look;
    look.install();
    auto command = [](bool early) {
        UiBusy ui;
        Busy busy(3);
        if (early) return;
        busy.to(1);
    };
    command(true);
    command(false);
    EXPECT_EQ(look.busy, (std::vector<bool>{true, false, true, true, false}));
    EXPECT_EQ(state.ui_busy, 0);
    EXPECT_EQ(state.comm_state, 0);
    EXPECT_EQ(state.transfer_active, 0);
}

}  // namespace
}  // namespace pv
