// pvtool pvl info / export on hand-made logs, and unit record against the simulated unit.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/files/temporaries.h"
#include "core/logging/log_file.h"
#include "core/logging/log_view.h"
#include "core/logging/recorder.h"
#include "core/ui/texts.h"
#include "support/full_disk.h"
#include "support/link_support.h"
#include "support/log_images.h"
#include "tool/tool.h"

namespace {

using logtest::cat;
using logtest::Words;
using nlohmann::json;

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result pvtool(std::vector<std::string> args) {
    std::ostringstream out, err;
    args.insert(args.begin(), {"--lang", "1033"});
    int status = pvtool::run(std::move(args), {out, err});
    return {status, out.str(), err.str()};
}

class Pvl : public ::testing::Test {
  protected:
    logtest::Scratch s;
};

TEST_F(Pvl, InfoOfBothHeaderLayouts) {
    auto cur = s.path("cur.PVL");
    logtest::write_words(cur, cat({logtest::current_header(1300, 1, 0), Words(21, 4)}));
    Result r = pvtool({"pvl", "info", cur});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(json::parse(r.out), json::parse(R"({"channels":[1,2,3,4,5,6,7],"version":1150,
        "stamp":[2024,3,7,9,5,2],"interval":1300,"rev_flag":1,"pressure_unit":0,"last_index":2})"));

    auto old = s.path("old.PVL");
    logtest::write_words(old, cat({logtest::old_header(5, 0, 1), Words(3, 4)}));
    r = pvtool({"pvl", "info", old});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(json::parse(r.out), json::parse(R"({"channels":[1,3,7],"version":1100,
        "stamp":null,"interval":10,"rev_flag":0,"pressure_unit":1,"last_index":0})"));
}

// A recording of more than 2^31 samples: a 32 GB file, sparse here. Its length and past time
// count every sample; the window's scroll range stops where an int does.
TEST_F(Pvl, ALogPastTwoBillionSamplesKeepsItsLength) {
    const auto big = s.path("big.PVL");
    logtest::write_words(big, logtest::current_header(100, 1, 0));
    const int64_t samples = 2454267023;  // last index 2454267022
    std::filesystem::resize_file(big, 2 * (19 + 7 * samples));
    const Result r = pvtool({"pvl", "info", big});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["last_index"], 2454267022);

    pv::LogHeader h;
    ASSERT_EQ(pv::read_log_header(big, h), pv::LogRead::ok);
    EXPECT_EQ(h.reachable_last_index(), INT32_MAX);
    std::array<pv::LogChannel, 7> channels{};
    pv::LogView view;
    const auto rows = pv::value_rows(view, h, channels, std::vector<int16_t>(7));
    EXPECT_EQ(rows.at(0).text, "245426702.2");
}

// The names in a folder, sorted.
std::vector<std::string> listing(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// An export stopped by a signal while it writes leaves neither OUT nor its half-written
// temporary behind, and ends as the signal ends a program.
TEST_F(Pvl, AnExportStoppedBySignalLeavesNoFileBehind) {
    const auto big = s.path("big.PVL");
    logtest::write_words(big, logtest::current_header(100, 1, 0));
    std::filesystem::resize_file(big, 2 * (19 + 7 * int64_t{20000000}));
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        const std::string out = s.path("out.TXT");
        const pid_t child = ::fork();
        if (child == 0) {
            pv::remove_temporaries_on_termination();
            ::_exit(pvtool({"pvl", "export", big, out}).status);
        }
        // The export has begun once its temporary file holds something.
        const std::string part = out + ".part" + std::to_string(child);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        std::error_code ec;
        while (std::filesystem::file_size(part, ec) == 0 || ec)
            if (std::chrono::steady_clock::now() > deadline) break;
        ::kill(child, signal_number);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << signal_number;
        EXPECT_EQ(listing(s.dir()), std::vector<std::string>{"big.PVL"}) << signal_number;
    }
}

TEST_F(Pvl, RefusedFiles) {
    Result r = pvtool({"pvl", "info", s.path("none.PVL")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, s.path("none.PVL") + " cannot be found.\n");

    Words w = logtest::current_header(100, 1, 0);
    w[0] = 9;
    logtest::write_words(s.path("nine.PVL"), w);
    r = pvtool({"pvl", "export", s.path("nine.PVL"), s.path("nine.TXT")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Cannot open file.\n");
    EXPECT_FALSE(std::filesystem::exists(s.path("nine.TXT")));

    EXPECT_EQ(pvtool({"pvl", "info"}).status, 2);
    EXPECT_EQ(pvtool({"pvl", "dump", s.path("x")}).status, 2);
}

TEST_F(Pvl, ExportWritesTheWindowsText) {
    auto src = s.path("a.PVL");
    logtest::write_words(src, cat({logtest::old_header(1000, 1, 0), Words{123, 45, 255}}));
    Result r = pvtool({"pvl", "export", src, s.path("a.TXT")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(logtest::read_all(s.path("a.TXT")),
              "Recorded by Pavex Dravlo Ver. 1.10\r\n\r\n"
              "Time\tPressure\tRPM\tMarking\t\r\n"
              "      0\t 12.3\t 4500\t  255\t\r\n");
    r = pvtool({"pvl", "export", src, s.path("no/dir/a.TXT")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Cannot save file.\n");
}

class Record : public linktest::LinkTest {
  protected:
    void SetUp() override {
        LinkTest::SetUp();
        pv::settings.data_folder = s.dir();
        pvsim::Options o;
        o.baud_timing = true;
        start_unit(o);
        pv::set_port(nullptr);  // the command installs the port itself
    }
    Result record(std::vector<std::string> args) {
        std::ostringstream out, err;
        int status = pvtool::unit_record(std::move(args), {out, err}, *recorder);
        return {status, out.str(), err.str()};
    }
    logtest::Scratch s;
};

TEST_F(Record, RecordsTheAskedSamplesAndSavesThem) {
    Result r = record({s.path("drive.PVL"), "--samples", "5"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "interval\t100\nsamples\t5\n");
    pv::LogHeader h;
    ASSERT_EQ(pv::read_log_header(s.path("drive.PVL"), h), pv::LogRead::ok);
    EXPECT_EQ(h.n, 7);
    EXPECT_EQ(h.version, 1150);
    EXPECT_EQ(h.file_words, 19 + 7 * 5);
    EXPECT_FALSE(pv::state.port_open);
}

TEST_F(Record, MarkThrottleMarksTheSamplesAtOrAboveTheOpening) {
    ASSERT_EQ(record({s.path("marked.PVL"), "--samples", "40", "--mark-throttle", "60"}).status, 0);
    pv::LogReader log;
    ASSERT_EQ(log.open(s.path("marked.PVL")), pv::LogRead::ok);
    std::vector<int16_t> w;
    ASSERT_EQ(log.read_samples(0, 40, w), 40);
    int marked = 0;
    for (size_t k = 0; k < 40; ++k) {
        const int16_t throttle = w[k * 7 + 3], mark = w[k * 7 + 6];
        EXPECT_EQ(mark, throttle >= 60 ? 255 : 0) << "sample " << k << ", throttle " << throttle;
        marked += mark != 0;
    }
    EXPECT_GT(marked, 0);
    EXPECT_LT(marked, 40);
    for (const char* bad : {"0", "101", "full"})
        EXPECT_EQ(record({s.path("a.PVL"), "--mark-throttle", bad}).status, 2) << bad;
}

// Restores the current folder however the test ends.
class InFolder {
  public:
    explicit InFolder(const std::string& dir) : back_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~InFolder() { std::filesystem::current_path(back_); }

  private:
    std::filesystem::path back_;
};

TEST_F(Record, RecordsBesideTheOutputAndLeavesTheCurrentFolderAlone) {
    // Run from a folder holding the window program's temporary log, with pvtool's own
    // settings: the program's files in the current folder.
    const std::string here = s.path("here"), there = s.path("there");
    std::filesystem::create_directories(here);
    std::filesystem::create_directories(there);
    logtest::write_bytes(here + "/TMPLOG.PVL", "the window's recording");
    pv::settings.data_folder = ".";
    const std::string out = there + "/drive.PVL";
    logtest::write_bytes(out, "an older drive");
    InFolder cd(here);

    Result r = record({out, "--samples", "4"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "interval\t100\nsamples\t4\n");
    EXPECT_EQ(listing(there), std::vector<std::string>{"drive.PVL"});
    pv::LogHeader h;
    ASSERT_EQ(pv::read_log_header(out, h), pv::LogRead::ok);
    EXPECT_EQ(h.file_words, 19 + 7 * 4);
    EXPECT_EQ(std::filesystem::status(out).permissions() & std::filesystem::perms::others_read,
              std::filesystem::status(here + "/TMPLOG.PVL").permissions() &
                  std::filesystem::perms::others_read);

    // A refused start and an output folder that does not exist leave nothing behind either.
    port->unplugged = true;
    EXPECT_EQ(record({there + "/refused.PVL", "--samples", "3"}).status, 1);
    EXPECT_EQ(listing(there), std::vector<std::string>{"drive.PVL"});
    port->unplugged = false;
    r = record({s.path("no/such/drive.PVL"), "--samples", "3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Cannot save file.\n");

    EXPECT_EQ(listing(here), std::vector<std::string>{"TMPLOG.PVL"});
    EXPECT_EQ(logtest::read_all(here + "/TMPLOG.PVL"), "the window's recording");
}

TEST_F(Record, ASilentUnitEndsItWithTheSamplesSoFar) {
    ASSERT_EQ(record({s.path("three.PVL"), "--samples", "3"}).status, 0);
    long replies = sim->replies;
    // The same session again, but the unit stops answering at the third sample's poll.
    pvsim::Options o;
    o.baud_timing = true;
    o.silent_after = replies - 1;
    start_unit(o);
    pv::set_port(nullptr);
    Result r = record({s.path("drive.PVL"), "--samples", "3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "interval\t100\nsamples\t2\n");
    EXPECT_EQ(r.err, "pvtool: the unit stopped answering; the recording ended with 2 samples in " +
                         s.path("drive.PVL") + "\n");
    EXPECT_EQ(std::filesystem::file_size(s.path("drive.PVL")), 2u * (19 + 7 * 2));
}

// Passes everything to the test's port and raises `signal_number` at the poll of the third
// sample, as a user's kill or a closed terminal would.
class SignalAtThirdSample : public pv::Port {
  public:
    SignalAtThirdSample(pv::Port& inner, int signal_number)
        : inner_(inner), signal_(signal_number) {}
    bool open(int n) override { return inner_.open(n); }
    bool configure() override { return inner_.configure(); }
    void close() override { inner_.close(); }
    bool purge() override { return inner_.purge(); }
    bool write(const uint8_t* b, size_t n) override {
        if (pv::recording.logging_active && pv::recording.samples_written == 2 && !raised_) {
            raised_ = true;
            std::raise(signal_);
        }
        return inner_.write(b, n);
    }
    bool read(uint8_t* b, size_t n, size_t& got) override { return inner_.read(b, n, got); }

  private:
    pv::Port& inner_;
    int signal_;
    bool raised_ = false;
};

TEST_F(Record, CtrlCSigtermAndSighupEndItWithEverySampleInOut) {
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        SignalAtThirdSample line(*recorder, signal_number);
        std::ostringstream out, err;
        const std::string drive = s.path("drive" + std::to_string(signal_number) + ".PVL");
        ASSERT_EQ(pvtool::unit_record({drive, "--samples", "50"}, {out, err}, line), 0)
            << err.str();
        EXPECT_EQ(out.str(), "interval\t100\nsamples\t3\n") << signal_number;
        EXPECT_EQ(std::filesystem::file_size(drive), 2u * (19 + 7 * 3));
    }
    EXPECT_EQ(listing(s.dir()).size(), 3u);
}

TEST_F(Record, AFullDiskEndsItAndAFailedMoveSaysWhereTheSamplesAre) {
    {
        // Room for the timing test's ten samples, and so for ten of the recording's.
        const pv::test::FullDisk full(2 * (19 + 7 * 10));
        Result r = record({s.path("full.PVL"), "--samples", "20"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "interval\t100\nsamples\t10\n");
        EXPECT_NE(r.err.find("is the disk full?"), std::string::npos) << r.err;
    }
    std::error_code ec;
    EXPECT_EQ(std::filesystem::file_size(s.path("full.PVL"), ec), 2u * (19 + 7 * 10));

    // OUT is a folder: the samples cannot go there and stay where the message says.
    std::filesystem::create_directory(s.path("taken.PVL"));
    Result r = record({s.path("taken.PVL"), "--samples", "3"});
    EXPECT_EQ(r.status, 1);
    const std::string lead = "Cannot save file.\npvtool: the recording (3 samples) is kept in ";
    ASSERT_EQ(r.err.rfind(lead, 0), 0u) << r.err;
    const std::string kept = r.err.substr(lead.size(), r.err.size() - lead.size() - 1);
    EXPECT_EQ(std::filesystem::file_size(kept), 2u * (19 + 7 * 3));
}

TEST_F(Record, UsageAndRefusals) {
    EXPECT_EQ(record({}).status, 2);
    EXPECT_EQ(record({s.path("a.PVL"), "--samples", "0"}).status, 2);
    EXPECT_EQ(record({s.path("a.PVL"), "--bogus"}).status, 2);
    port->unplugged = true;
    Result r = record({s.path("a.PVL"), "--samples", "3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.empty());
    EXPECT_FALSE(std::filesystem::exists(s.path("a.PVL")));
}

}  // namespace
