// pvtool pvl export --csv, read back with a CSV parser.
#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/logging/log_export.h"
#include "log_images.h"
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

}  // namespace
