#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "core/document/datafile.h"
#include "core/document/unit.h"
#include "support/program.h"
#include "tool/tool.h"

namespace {

namespace fs = std::filesystem;

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result pvtool(std::vector<std::string> args) {
    std::ostringstream out, err;
    int status = pvtool::run(std::move(args), {out, err});
    return {status, out.str(), err.str()};
}

// NAME<TAB>TEXT lines, in order.
std::vector<std::pair<std::string, std::string>> lines_of(const std::string& out) {
    std::vector<std::pair<std::string, std::string>> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        size_t tab = line.find('\t');
        lines.emplace_back(line.substr(0, tab),
                           tab == std::string::npos ? "" : line.substr(tab + 1));
    }
    return lines;
}

class PvdSet : public ::testing::Test {
  protected:
    void SetUp() override {
        pvtest::reset_program();  // one process runs many commands here, unlike a shell
        dir_ = fs::temp_directory_path() /
               ("pvd_set_test_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::vector<uint8_t> bytes(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static int word(const std::vector<uint8_t>& b, size_t at) { return b[at] * 256 + b[at + 1]; }
    // Runs pvd set in English and returns the printed fields by name.
    std::map<std::string, std::string> set(std::vector<std::string> args) {
        args.insert(args.begin(), {"--lang", "1033", "pvd", "set"});
        Result r = pvtool(args);
        EXPECT_EQ(r.status, 0) << r.err;
        auto lines = lines_of(r.out);
        EXPECT_EQ(lines.size(), 25u);
        return {lines.begin(), lines.end()};
    }
    fs::path dir_;
};

TEST_F(PvdSet, NewDocumentTakesInitialSetupAndUnitSwitch) {
    auto shown =
        set({"--new", path("a.pvd"), "pressure_unit=PSI", "normal_boost=15", "setboost_a=1.2",
             "barselect=RPM", "barmaxset=8050", "warning_boost=OFF", "drop_boost=ON",
             "axis_select_no=RPM+Throttle", "cyls=6", "ext_bypass=popet", "comment=Road\\car"});
    EXPECT_EQ(shown["pressure_unit"], "PSI");
    EXPECT_EQ(shown["normal_boost"], "15.0");
    EXPECT_EQ(shown["setboost_a"], "15.0");  // below the maximum boost
    EXPECT_EQ(shown["setboost_b"], "15.0");  // raised by the maximum boost
    EXPECT_EQ(shown["barmaxset"], "8000");
    EXPECT_EQ(shown["warning_boost"], "OFF");
    EXPECT_EQ(shown["drop_boost"], "0.1");
    EXPECT_EQ(shown["axis_select_no"], "RPM +Throttle");
    EXPECT_EQ(shown["ext_bypass"], "POPET");
    EXPECT_EQ(shown["sampling_time"], "4");
    EXPECT_EQ(shown["comment"], "Road\\\\car");  // escaped on the console

    auto b = bytes("a.pvd");
    ASSERT_EQ(b.size(), 506u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 8), "Road\\car");
    EXPECT_EQ(word(b, 256), 150);  // setboost_a, PSI x 10
    EXPECT_EQ(word(b, 258), 150);
    EXPECT_EQ(word(b, 260), 361);  // warning OFF
    EXPECT_EQ(word(b, 362), 80);   // 8000 rpm
    EXPECT_EQ(word(b, 376), 150);
    EXPECT_EQ(word(b, 379), 150);     // initial boost raised too
    EXPECT_EQ(word(b, 405), 0x001C);  // POPET, PSI, both axes with rpm
    EXPECT_EQ(b[429], 1);
    EXPECT_EQ(b[430], 4);
    EXPECT_EQ(b[498], 3);
    EXPECT_EQ(b[500], 1);
    EXPECT_EQ(b[503], 1);
    EXPECT_EQ(b[504], 6);
}

TEST_F(PvdSet, StoredFileKeepsItsStatusAndPrintsEveryFieldInOrder) {
    ASSERT_EQ(pvtool({"--lang", "1033", "pvd", "new", path("f.pvd")}).status, 0);
    auto before = bytes("f.pvd");
    Result r = pvtool({"--lang", "1033", "pvd", "set", path("f.pvd"), "setboost_a=300",
                       "barselect=Speed", "barmaxset=123", "offset_a=abc0"});
    EXPECT_EQ(r.status, 2);  // the last one is not a number: nothing written
    EXPECT_EQ(bytes("f.pvd"), before);

    r = pvtool({"--lang", "1033", "pvd", "set", path("f.pvd"), "setboost_a=300", "barselect=Speed",
                "barmaxset=123", "rev_sampling=on"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto lines = lines_of(r.out);
    ASSERT_EQ(lines.size(), 25u);
    EXPECT_EQ(lines.front().first, "ext_bypass");
    EXPECT_EQ(lines[15], (std::pair<std::string, std::string>{"setboost_a", "250"}));
    EXPECT_EQ(lines[23], (std::pair<std::string, std::string>{"barmaxset", "120"}));
    EXPECT_EQ(lines.back().first, "comment");
    auto b = bytes("f.pvd");
    EXPECT_EQ(word(b, 256), 250);
    EXPECT_EQ(word(b, 362), 12);
    EXPECT_EQ(word(b, 405), word(before, 405));  // a stored document keeps its status word
    EXPECT_EQ(b[502], 1);
}

TEST_F(PvdSet, RefusalsNameTheFieldAndLeaveTheFileAlone) {
    ASSERT_EQ(pvtool({"--lang", "1033", "pvd", "new", path("f.pvd")}).status, 0);
    auto before = bytes("f.pvd");
    struct Case {
        const char* assignment;
        const char* named;
    } cases[] = {
        {"pressure_unit=PSI", "pressure_unit"},
        {"normal_boost=100", "normal_boost"},
        {"ext_bypass=SWING", "ext_bypass"},
        {"up_boost_offset=50", "up_boost_offset"},
        {"first_boost=10", "first_boost"},
        {"setboost_b=fast", "setboost_b"},
        {"cyls=5", "cyls"},
        {"barselect=Boost C", "barselect"},
        {"after_on=maybe", "after_on"},
        {"colour=red", "colour"},
        {"setboost_a", "setboost_a"},
        {"comment=\xC5\x81", "comment"},  // U+0141
        {"warning_boost=", "warning_boost"},
    };
    for (const Case& c : cases) {
        Result r = pvtool({"--lang", "1033", "pvd", "set", path("f.pvd"), c.assignment});
        EXPECT_EQ(r.status, 2) << c.assignment;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << c.assignment;
    }
    Result r =
        pvtool({"--lang", "1033", "pvd", "set", path("f.pvd"), "comment=" + std::string(256, 'x')});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(bytes("f.pvd"), before);

    r = pvtool({"--lang", "1033", "pvd", "set", path("missing.pvd"), "cyls=6"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Cannot open file.\n");
    EXPECT_FALSE(fs::exists(path("missing.pvd")));
    EXPECT_EQ(pvtool({"pvd", "set", path("f.pvd")}).status, 2);
    EXPECT_EQ(pvtool({"pvd", "set", "--new", path("g.pvd")}).status, 2);
}

TEST_F(PvdSet, JapaneseCommentFitsWholeCharacters) {
    // 127 double-byte characters fill 254 bytes; one more would need 256.
    std::string jp;
    for (int k = 0; k < 127; ++k) jp += "\xE3\x81\x82";  // あ
    Result r = pvtool({"--lang", "1041", "pvd", "set", "--new", path("j.pvd"), "comment=" + jp});
    ASSERT_EQ(r.status, 0) << r.err;
    auto b = bytes("j.pvd");
    EXPECT_EQ(b[0], 0x82);
    EXPECT_EQ(b[253], 0xA0);
    EXPECT_EQ(b[254], 0);
    r = pvtool(
        {"--lang", "1041", "pvd", "set", "--new", path("k.pvd"), "comment=" + jp + "\xE3\x81\x82"});
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(fs::exists(path("k.pvd")));
}

TEST_F(PvdSet, WarningAndDropNumbersSwitchThemOn) {
    auto shown = set({"--new", path("a.pvd"), "warning_boost=OFF", "warning_boost=180",
                      "drop_boost=130", "sbc_boost=200"});
    EXPECT_EQ(shown["warning_boost"], "180");
    EXPECT_EQ(shown["drop_boost"], "120");
    EXPECT_EQ(shown["sbc_boost"], "120");
    auto b = bytes("a.pvd");
    EXPECT_EQ(word(b, 260), 180);
    EXPECT_EQ(b[429], 120);
    EXPECT_EQ(b[427], 120);
}

// A comment holding a terminal's commands (colour, bell, a title change, DEL and a CP1252 byte
// that stands for a C1 control) never reaches the terminal raw, whichever command shows it.
TEST_F(PvdSet, ControlCharactersOfACommentAreShownEscaped) {
    const std::string hostile = "red\x1b[31m\x07\x1b]0;owned\x07\x7f\x9d\r\nend";
    pv::SetDefaultData();
    pv::data.comment = hostile;
    ASSERT_TRUE(pv::WriteDataFile(path("bad.PVD")));
    pv::data.comment = "plain";
    ASSERT_TRUE(pv::WriteDataFile(path("plain.PVD")));

    const auto raw_controls = [](const std::string& out) {
        for (size_t k = 0; k < out.size(); ++k) {
            const auto c = static_cast<unsigned char>(out[k]);
            if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7F) return true;
            if (c == 0xC2 && k + 1 < out.size() &&
                static_cast<unsigned char>(out[k + 1]) <= 0x9F)
                return true;
        }
        return false;
    };
    const Result dump = pvtool({"--lang", "1033", "pvd", "dump", path("bad.PVD")});
    ASSERT_EQ(dump.status, 0) << dump.err;
    EXPECT_FALSE(raw_controls(dump.out)) << dump.out;
    const std::string read_back = nlohmann::json::parse(dump.out)["comment"];
    EXPECT_EQ(read_back.substr(0, 14), hostile.substr(0, 14));

    const Result diff =
        pvtool({"--lang", "1033", "pvd", "diff", path("plain.PVD"), path("bad.PVD")});
    EXPECT_FALSE(raw_controls(diff.out)) << diff.out;
    EXPECT_NE(diff.out.find("plain -> red\\x1b[31m"), std::string::npos) << diff.out;
    const Result json_diff =
        pvtool({"--lang", "1033", "pvd", "diff", "--json", path("plain.PVD"), path("bad.PVD")});
    EXPECT_FALSE(raw_controls(json_diff.out)) << json_diff.out;

    const auto shown = set({path("bad.PVD"), "cyls=4"});
    EXPECT_EQ(shown.at("comment"), "red\\x1b[31m\\x07\\x1b]0;owned\\x07\\x7f\\x9d\\nend");
}

}  // namespace
