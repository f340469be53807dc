// pvtool pvl export --csv read back with a CSV parser, and pvl cells: the time a drive spent in
// each boost map cell, on hand-made logs and data files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <clocale>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/document/datafile.h"
#include "core/document/unit.h"
#include "core/logging/log_export.h"
#include "support/log_images.h"
#include "support/run_within.h"
#include "tool/tool.h"

namespace {

namespace fs = std::filesystem;
using logtest::cat;
using logtest::Words;
using nlohmann::json;
using Table = std::vector<std::vector<std::string>>;

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result pvtool(std::vector<std::string> args) {
    args.insert(args.begin(), {"--lang", "1033"});
    std::ostringstream out, err;
    int status = pvtool::run(std::move(args), {out, err});
    return {status, out.str(), err.str()};
}

// RFC 4180 as a spreadsheet reads it: records end with CR LF, fields are separated by commas,
// a quoted field may hold commas, line breaks and doubled quotes. Anything else (a bare LF,
// a stray quote, a missing final CR LF) fails the test.
Table parse_csv(const std::string& text) {
    Table rows;
    std::vector<std::string> row;
    std::string field;
    size_t k = 0;
    while (k < text.size()) {
        if (text[k] == '"') {
            for (++k;; ++k) {
                if (k >= text.size()) {
                    ADD_FAILURE() << "unterminated quoted field";
                    return rows;
                }
                if (text[k] == '"') {
                    if (k + 1 < text.size() && text[k + 1] == '"') {
                        field += '"';
                        ++k;
                    } else {
                        ++k;
                        break;
                    }
                } else {
                    field += text[k];
                }
            }
        } else {
            while (k < text.size() && text[k] != ',' && text[k] != '\r') {
                if (text[k] == '"' || text[k] == '\n') ADD_FAILURE() << "stray character at " << k;
                field += text[k++];
            }
        }
        row.push_back(field);
        field.clear();
        if (k < text.size() && text[k] == ',') {
            ++k;
            continue;
        }
        if (text.compare(k, 2, "\r\n") != 0) {
            ADD_FAILURE() << "record not ended by CR LF at " << k;
            return rows;
        }
        k += 2;
        rows.push_back(row);
        row.clear();
    }
    return rows;
}

class Csv : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const { return s.path(name); }
    Table export_csv(const Words& log) {
        logtest::write_words(path("in.PVL"), log);
        Result r = pvtool({"pvl", "export", "--csv", path("in.PVL"), path("out.csv")});
        EXPECT_EQ(r.status, 0) << r.err;
        return parse_csv(logtest::read_all(path("out.csv")));
    }
    logtest::Scratch s;
};

TEST_F(Csv, OfAKpaRpmRecording) {
    // 250 ms: two decimals of time. The last sample is cut short and left out.
    Words body = {1234,   1500, 60, 100, 0xFFEF, 199, 255,  // sample 0
                  0xFDA8, 49,   7,  0,   30,     100, 0,    // sample 1
                  5,      5,    5};                         // incomplete
    Table t = export_csv(cat({logtest::current_header(250, 1, 0), body}));
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0], (std::vector<std::string>{"Time [s]", "Pressure [kPa]", "Peak Hold Value [kPa]",
                                              "RPM [rpm]", "Throttle [%]", "Boost Correction",
                                              "Offset Correction [%]", "Marking"}));
    // 1234 counts of 0.1 kPa, 60 x 100 rpm, 0xFFEF the signed word -17, 0xFDA8 -600 counts.
    EXPECT_EQ(t[1], (std::vector<std::string>{"0.00", "123.4", "150.0", "6000", "100", "-17", "199",
                                              "255"}));
    EXPECT_EQ(t[2],
              (std::vector<std::string>{"0.25", "-60.0", "4.9", "700", "0", "30", "100", "0"}));
}

TEST_F(Csv, OfAnOlderPsiSpeedRecording) {
    // Channels 1, 3, 7 at 125 ms: three decimals of time; counts of 0.01 PSI and 2 km/h.
    Words body = {1234, 60, 0, 0xFF38, 121, 255, 7, 0, 0};
    Table t = export_csv(cat({logtest::old_header(125, 0, 1), body}));
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0],
              (std::vector<std::string>{"Time [s]", "Pressure [PSI]", "Speed [km/h]", "Marking"}));
    EXPECT_EQ(t[1], (std::vector<std::string>{"0.000", "12.3", "120", "0"}));
    EXPECT_EQ(t[2], (std::vector<std::string>{"0.125", "-2.0", "242", "255"}));
    EXPECT_EQ(t[3], (std::vector<std::string>{"0.250", "0.1", "0", "0"}));
}

TEST_F(Csv, NumbersNeverTakeTheLocalesDecimalComma) {
    const char* found = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (std::setlocale(LC_ALL, name)) found = name;
    if (!found) GTEST_SKIP() << "no locale with a decimal comma installed";
    Table t = export_csv(cat({logtest::current_header(1300, 1, 0),
                              Words{15, 15, 1, 1, 1, 1, 0, 15, 15, 1, 1, 1, 1, 0}}));
    std::setlocale(LC_ALL, "C");
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[2][0], "1.3");
    EXPECT_EQ(t[2][1], "1.5");
}

TEST_F(Csv, FieldsAreQuotedOnlyWhenTheyMustBe) {
    EXPECT_EQ(pv::csv_field("Throttle [%]"), "Throttle [%]");
    EXPECT_EQ(pv::csv_field("a,b"), "\"a,b\"");
    EXPECT_EQ(pv::csv_field("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(pv::csv_field("two\r\nlines"), "\"two\r\nlines\"");
    std::string row = pv::csv_field("a,b") + "," + pv::csv_field("say \"hi\"") + "," +
                      pv::csv_field("two\r\nlines") + "\r\n";
    EXPECT_EQ(parse_csv(row), (Table{{"a,b", "say \"hi\"", "two\r\nlines"}}));
}

TEST_F(Csv, OfAnEmptyRecordingIsTheHeaderRowAlone) {
    Table t = export_csv(logtest::current_header(100, 1, 0));
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].size(), 8u);
}

TEST_F(Csv, FailuresLeaveNothingBehind) {
    Result r = pvtool({"pvl", "export", "--csv", path("gone.PVL"), path("out.csv")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, path("gone.PVL") + " cannot be found.\n");
    EXPECT_FALSE(fs::exists(path("out.csv")));

    logtest::write_words(path("zero.PVL"), Words{0, 1150, 0, 0});  // no channels
    r = pvtool({"pvl", "export", "--csv", path("zero.PVL"), path("out.csv")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Cannot open file.\n");

    logtest::write_words(path("in.PVL"), logtest::current_header(100, 1, 0));
    r = pvtool({"pvl", "export", "--csv", path("in.PVL"), path("no/such/dir/out.csv")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Cannot save file.\n");

    EXPECT_EQ(pvtool({"pvl", "export", "--csv", path("in.PVL")}).status, 2);
    EXPECT_FALSE(fs::exists(path("out.csv")));
}

// A data file with the New defaults (rpm axis 1000, 2500, 4000, 5500, 7000; speed axis 20,
// 50, 80, 110, 140 km/h; throttle axis 0, 25, 50, 75, 100 %) in the given axis mode.
class Cells : public ::testing::Test {
  protected:
    std::string document(uint8_t axis_mode, const pv::Axis* rpm = nullptr) {
        pv::SetDefaultData();
        pv::data.axis_select_no = axis_mode;
        if (rpm) pv::data.rpm_axis = *rpm;
        pv::set_status_reader(nullptr);
        const std::string doc = s.path("doc.PVD");
        EXPECT_TRUE(pv::WriteDataFile(doc));
        return doc;
    }
    // A current recording of (rev, throttle, pressure) samples.
    std::string drive(uint16_t interval, uint16_t rev_flag, uint16_t unit,
                      std::initializer_list<std::array<uint16_t, 3>> samples) {
        Words w = logtest::current_header(interval, rev_flag, unit);
        for (const auto& x : samples) w.insert(w.end(), {x[2], 0, x[0], x[1], 0, 0, 0});
        const std::string log = s.path("drive.PVL");
        logtest::write_words(log, w);
        return log;
    }
    json cells_json(std::vector<std::string> args) {
        args.insert(args.begin(), {"pvl", "cells"});
        args.push_back("--json");
        Result r = pvtool(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.status == 0 ? json::parse(r.out) : json();
    }
    // The cell at (column, row) of a cells listing.
    static json cell(const json& j, int column, int row) {
        for (const json& c : j["cells"])
            if (c["column"] == column && c["row"] == row) return c;
        ADD_FAILURE() << "no cell " << column << "," << row;
        return {};
    }
    logtest::Scratch s;
};

TEST_F(Cells, RpmModePlacesSamplesByTheNearestHeader) {
    // Axis 1000, 2000, 4000, 5500, 7000 rpm: the change-over between two columns lies half
    // way between their headers (1500, 3000, 4750, 6250), and a sample on it goes right.
    const pv::Axis rpm{10, 20, 40, 55, 70};
    const std::string doc = document(2, &rpm);
    const std::string log = drive(100, 1, 0,
                                  {{5, 0, 100},      // below the axis: column 1
                                   {10, 0, 300},     // on point 1
                                   {14, 0, 65486},   // 1400 rpm, -5.0 kPa
                                   {15, 0, 200},     // on the change-over: column 2
                                   {40, 0, 1000},    // on point 3
                                   {47, 0, 1200},    // 4700 < 4750
                                   {48, 0, 0},       // 4800: column 4
                                   {70, 0, 500},     // on the last point
                                   {250, 0, 700}});  // far above it
    json j = cells_json({log, doc});
    EXPECT_EQ(j["map"], "boost_map_a");
    EXPECT_EQ(j["samples"], 9);
    EXPECT_EQ(j["columns"], json({1000, 2000, 4000, 5500, 7000}));
    EXPECT_EQ(j["cells"].size(), 5u);  // one row in a one-axis mode
    const int counts[] = {3, 1, 2, 1, 2};
    for (int c = 1; c <= 5; ++c) EXPECT_EQ(cell(j, c, 1)["samples"], counts[c - 1]) << c;
    json c1 = cell(j, 1, 1);
    EXPECT_DOUBLE_EQ(c1["seconds"].get<double>(), 0.3);
    EXPECT_NEAR(c1["mean"].get<double>(), 35.0 / 3, 1e-9);  // (10.0 + 30.0 - 5.0) / 3
    EXPECT_DOUBLE_EQ(c1["peak"].get<double>(), 30.0);
    EXPECT_EQ(c1["cell"], json({0, 0}));
    EXPECT_DOUBLE_EQ(cell(j, 3, 1)["mean"].get<double>(), 110.0);
    EXPECT_DOUBLE_EQ(cell(j, 5, 1)["peak"].get<double>(), 70.0);
    EXPECT_EQ(cell(j, 3, 1)["cell"], json({2, 0}));

    // The same as three grids laid out like the map window's.
    Result r = pvtool({"pvl", "cells", log, doc});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "Time [s]\n"
              " RPM               1000   2000   4000   5500   7000\n"
              "Correction value    0.3    0.1    0.2    0.1    0.2\n"
              "\n"
              "Mean pressure [kPa]\n"
              " RPM               1000   2000   4000   5500   7000\n"
              "Correction value   11.7   20.0  110.0    0.0   60.0\n"
              "\n"
              "Peak pressure [kPa]\n"
              " RPM               1000   2000   4000   5500   7000\n"
              "Correction value   30.0   20.0  120.0    0.0   70.0\n");
}

TEST_F(Cells, RpmAndThrottleModeUsesBothAxesOfTheChosenSet) {
    // Throttle 0, 25, 50, ...: half of 25 rounds to the even 12, so the change-over from row
    // 1 to 2 is at 12 % and from row 2 to 3 at 37 %. PSI counts are 0.01 PSI.
    const std::string doc = document(4);
    const std::string log = drive(250, 1, 1,
                                  {{17, 11, 1234},   // 1700 < 1750 rpm, 11 % : (1, 1)
                                   {18, 12, 65436},  // (2, 2), -1.00 PSI
                                   {18, 36, 300},    // (2, 2)
                                   {18, 37, 50},     // (2, 3)
                                   {100, 255, 7}});  // beyond both axes: (5, 5)
    json j = cells_json({log, doc, "--set", "B"});
    EXPECT_EQ(j["map"], "boost_map_b");
    EXPECT_EQ(j["pressure_unit"], "PSI");
    EXPECT_EQ(j["rows"], json({0, 25, 50, 75, 100}));
    EXPECT_EQ(j["cells"].size(), 25u);
    EXPECT_EQ(cell(j, 1, 1)["samples"], 1);
    EXPECT_DOUBLE_EQ(cell(j, 1, 1)["peak"].get<double>(), 12.34);
    json c22 = cell(j, 2, 2);
    EXPECT_EQ(c22["samples"], 2);
    EXPECT_DOUBLE_EQ(c22["seconds"].get<double>(), 0.5);
    EXPECT_DOUBLE_EQ(c22["mean"].get<double>(), 1.0);
    EXPECT_DOUBLE_EQ(c22["peak"].get<double>(), 3.0);
    EXPECT_EQ(cell(j, 2, 3)["samples"], 1);
    EXPECT_EQ(cell(j, 2, 3)["cell"], json({1, 2}));  // boost_map_b[1][2]
    EXPECT_EQ(cell(j, 5, 5)["samples"], 1);
    EXPECT_EQ(cell(j, 3, 3)["samples"], 0);
    EXPECT_EQ(cell(j, 3, 3)["mean"], nullptr);
    EXPECT_DOUBLE_EQ(cell(j, 3, 3)["seconds"].get<double>(), 0.0);

    // The text grids carry the throttle values as row headers and no corner text.
    Result r = pvtool({"pvl", "cells", log, doc, "--set", "b"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\n        1000   2500   4000   5500   7000\n"
                         "    0   0.25   0.00   0.00   0.00   0.00\n"
                         "   25   0.00   0.50   0.00   0.00   0.00\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Mean pressure [PSI]"), std::string::npos);
}

TEST_F(Cells, SpeedAndThrottleOnlyModes) {
    // Speed counts are 2 km/h: 34 km/h lies below the change-over at 35, 36 above it.
    json j = cells_json({drive(100, 0, 0, {{17, 0, 10}, {18, 0, 10}, {18, 0, 10}}), document(3)});
    EXPECT_EQ(j["columns"], json({20, 50, 80, 110, 140}));
    EXPECT_EQ(cell(j, 1, 1)["samples"], 1);
    EXPECT_EQ(cell(j, 2, 1)["samples"], 2);

    j = cells_json({drive(100, 0, 0, {{17, 37, 10}, {18, 12, 10}}), document(5)});
    EXPECT_EQ(cell(j, 1, 3)["samples"], 1);
    EXPECT_EQ(cell(j, 2, 2)["samples"], 1);

    // Throttle alone: the columns are the throttle axis and the rev channel plays no part.
    j = cells_json({drive(100, 0, 0, {{90, 11, 10}, {3, 12, 10}, {0, 100, 10}}), document(1)});
    EXPECT_EQ(j["columns"], json({0, 25, 50, 75, 100}));
    EXPECT_EQ(cell(j, 1, 1)["samples"], 1);
    EXPECT_EQ(cell(j, 2, 1)["samples"], 1);
    EXPECT_EQ(cell(j, 5, 1)["samples"], 1);
    EXPECT_EQ(cell(j, 3, 1)["cell"], json({0, 2}));  // the throttle mode uses map[0][j]
}

TEST_F(Cells, RefusesWhatCannotBePlaced) {
    const std::string log = drive(100, 1, 0, {{20, 20, 10}});
    Result r = pvtool({"pvl", "cells", log, document(0)});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("OFF"), std::string::npos) << r.err;

    // An older log with pressure, throttle and marking only: no rev channel.
    Words w = logtest::old_header(100, 1, 0);
    w[2] = 4;
    logtest::write_words(s.path("norev.PVL"), cat({w, Words{10, 20, 0}}));
    r = pvtool({"pvl", "cells", s.path("norev.PVL"), document(2)});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("no RPM or speed channel"), std::string::npos) << r.err;
    EXPECT_EQ(pvtool({"pvl", "cells", s.path("norev.PVL"), document(1)}).status, 0);

    // The old header's channels 1, 3, 7: no throttle for the two-axis modes.
    logtest::write_words(s.path("nothr.PVL"),
                         cat({logtest::old_header(100, 1, 0), Words{1, 2, 3}}));
    r = pvtool({"pvl", "cells", s.path("nothr.PVL"), document(4)});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("no throttle channel"), std::string::npos) << r.err;

    // A speed recording cannot be placed on an rpm axis, nor the other way round.
    EXPECT_EQ(pvtool({"pvl", "cells", drive(100, 0, 0, {{20, 20, 10}}), document(2)}).status, 2);
    EXPECT_EQ(pvtool({"pvl", "cells", drive(100, 1, 0, {{20, 20, 10}}), document(5)}).status, 2);

    EXPECT_EQ(pvtool({"pvl", "cells", log, document(2), "--set", "C"}).status, 2);
    EXPECT_EQ(pvtool({"pvl", "cells", log}).status, 2);
    r = pvtool({"pvl", "cells", s.path("gone.PVL"), document(2)});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, s.path("gone.PVL") + " cannot be found.\n");
    EXPECT_EQ(pvtool({"pvl", "cells", log, s.path("gone.PVD")}).status, 1);
}

TEST_F(Cells, FiltersCountOnlyMarkedSamplesOrThoseAboveAThrottleOpening) {
    // (rev, throttle, pressure, marking) in rpm mode on the default axis.
    Words w = logtest::current_header(100, 1, 0);
    const std::array<uint16_t, 4> samples[] = {
        {10, 100, 500, 255}, {10, 80, 300, 0}, {40, 81, 900, 255}, {40, 20, 100, 0}};
    for (const auto& x : samples) w.insert(w.end(), {x[2], 0, x[0], x[1], 0, 0, x[3]});
    const std::string log = s.path("pulls.PVL");
    logtest::write_words(log, w);
    const std::string doc = document(2);

    json j = cells_json({log, doc, "--marked"});
    EXPECT_EQ(j["samples"], 2);
    EXPECT_EQ(cell(j, 1, 1)["samples"], 1);
    EXPECT_DOUBLE_EQ(cell(j, 1, 1)["peak"].get<double>(), 50.0);
    EXPECT_EQ(cell(j, 3, 1)["samples"], 1);

    // Above 80 %: 80 itself does not count.
    j = cells_json({log, doc, "--throttle-above", "80"});
    EXPECT_EQ(j["samples"], 2);
    EXPECT_DOUBLE_EQ(cell(j, 1, 1)["mean"].get<double>(), 50.0);
    EXPECT_DOUBLE_EQ(cell(j, 3, 1)["mean"].get<double>(), 90.0);
    EXPECT_EQ(cells_json({log, doc, "--throttle-above", "20"})["samples"], 3);

    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"--throttle-above", "101"},
             {"--throttle-above", "8x"},
             {"--throttle-above"},
             {"--marked", "--throttle-above", "50"}}) {
        std::vector<std::string> args{"pvl", "cells", log, doc};
        args.insert(args.end(), bad.begin(), bad.end());
        EXPECT_EQ(pvtool(args).status, 2) << bad[0];
    }
    // An older log without the marking channel cannot be filtered by it.
    Words old = logtest::old_header(100, 1, 0);
    old[3] = 4;  // channels 1, 3, 4
    logtest::write_words(s.path("old.PVL"), cat({old, Words{10, 20, 30}}));
    Result r = pvtool({"pvl", "cells", s.path("old.PVL"), doc, "--marked"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("no marking channel"), std::string::npos) << r.err;
}

// A FIFO or a folder where a log should be is refused at once by every log command, never
// waited on.
TEST_F(Cells, EveryLogCommandRefusesAFifoOrAFolderAtOnce) {
    const std::string doc = document(1);
    const std::string fifo = s.path("fifo.PVL");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(s.path("dir.PVL"));
    for (const std::string& log : {fifo, s.path("dir.PVL")}) {
        const std::vector<std::vector<std::string>> commands = {
            {"pvl", "info", log},
            {"pvl", "export", log, s.path("out.TXT")},
            {"pvl", "export", "--csv", log, s.path("out.csv")},
            {"pvl", "cells", log, doc},
        };
        for (const auto& args : commands) {
            const int status = testsupport::status_within(
                [&] {
                    const Result r = pvtool(args);
                    return r.err == "Cannot open file.\n" ? r.status : 99;
                },
                std::chrono::seconds(5));
            EXPECT_EQ(status, 1) << args[1] << ' ' << args[2] << " on " << log;
        }
    }
    EXPECT_FALSE(fs::exists(s.path("out.TXT")));
    EXPECT_FALSE(fs::exists(s.path("out.csv")));
}

}  // namespace
