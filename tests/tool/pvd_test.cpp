#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/program.h"
#include "support/run_within.h"
#include "tool/tool.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

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

class Pvd : public ::testing::Test {
  protected:
    void SetUp() override {
        pvtest::reset_program();  // one process runs many commands here, unlike a shell
        dir_ = fs::temp_directory_path() /
               ("pvtool_test_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    void write_text(const std::string& name, const std::string& text) const {
        std::ofstream(path(name)) << text;
    }
    fs::path dir_;
};

TEST_F(Pvd, NewThenDumpShowsTheDefaults) {
    ASSERT_EQ(pvtool({"--lang", "1033", "pvd", "new", path("new.pvd")}).status, 0);
    EXPECT_EQ(fs::file_size(path("new.pvd")), 506u);
    Result r = pvtool({"--lang", "1033", "pvd", "dump", path("new.pvd")});
    ASSERT_EQ(r.status, 0) << r.err;
    json j = json::parse(r.out);
    EXPECT_EQ(j["rpm_axis"], json({10, 25, 40, 55, 70}));
    EXPECT_EQ(j["offset_map_b"][4][4], 100);
    EXPECT_EQ(j["warning_boost"], 250);
    EXPECT_EQ(j["file_version"], 1150);
    EXPECT_EQ(j["status_word"], 0);
    EXPECT_EQ(j["comment"], "");
    EXPECT_EQ(j["save_stamp"].size(), 6u);
    EXPECT_EQ(j.size(), 37u);
    EXPECT_EQ(r.out.rfind("{\n  \"comment\": \"\",\n  \"setboost_a\"", 0), 0u);  // field order
}

TEST_F(Pvd, BuildAppliesKeysOverTheDefaults) {
    write_text("in.json", R"({"comment": "Kurz \u00e4", "boost_map_a": [[0,0,0,-120,0],[0,0,0,0,0],
        [0,0,0,0,0],[0,0,0,0,0],[0,0,0,0,7]], "cyls": 6, "status_word": 16384})");
    Result b = pvtool({"--lang", "1033", "pvd", "build", path("in.json"), path("out.pvd")});
    ASSERT_EQ(b.status, 0) << b.err;
    std::ifstream in(path("out.pvd"), std::ios::binary);
    std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    ASSERT_EQ(bytes.size(), 506u);
    EXPECT_EQ(bytes[5], 0xE4);             // Windows-1252
    EXPECT_EQ(bytes[262 + 2 * 15], 0xFF);  // map[0][3], throttle-major on file
    EXPECT_EQ(bytes[262 + 2 * 15 + 1], 0x88);
    EXPECT_EQ(bytes[405], 0x40);
    EXPECT_EQ(bytes[504], 6);

    json j = json::parse(pvtool({"--lang", "1033", "pvd", "dump", path("out.pvd")}).out);
    EXPECT_EQ(j["comment"], "Kurz \u00e4");
    EXPECT_EQ(j["boost_map_a"][4][4], 7);
    EXPECT_EQ(j["file_version"], 1150);
    EXPECT_EQ(j["openth"], 5000);
}

TEST_F(Pvd, JapaneseCommentsUseCodePage932) {
    write_text("in.json", R"({"comment": "ブースト"})");
    ASSERT_EQ(pvtool({"--lang", "1041", "pvd", "build", path("in.json"), path("out.pvd")}).status,
              0);
    std::ifstream in(path("out.pvd"), std::ios::binary);
    std::string head(8, '\0');
    in.read(head.data(), 8);
    EXPECT_EQ(head, "\x83\x75\x81\x5B\x83\x58\x83\x67");
    json j = json::parse(pvtool({"--lang", "1041", "pvd", "dump", path("out.pvd")}).out);
    EXPECT_EQ(j["comment"], "ブースト");
}

TEST_F(Pvd, BadInputIsRefusedAndWritesNothing) {
    struct Case {
        const char* json;
        const char* key;
    } cases[] = {
        {R"({"colour": 1})", "colour"},
        {R"({"cyls": 256})", "cyls"},
        {R"({"cyls": -1})", "cyls"},
        {R"({"openth": 1.5})", "openth"},
        {R"({"openth": "5000"})", "openth"},
        {R"({"boost_map_b": [[1,2,3,4,5]]})", "boost_map_b"},
        {R"({"boost_map_a": [[0,0,0,0,40000],[0],[0],[0],[0]]})", "boost_map_a"},
        {R"({"rpm_axis": [1,2,3,4]})", "rpm_axis"},
        {R"({"comment": "あ"})", "comment"},  // not in Windows-1252
        // The writer sets these itself: a value given for them would be silently lost.
        {R"({"save_stamp": [2020,1,2,3,4,5]})", "save_stamp"},
        {R"({"file_version": 1150})", "file_version"},
        {R"({"cyls": 4, "cyls": 6})", "cyls"},
    };
    for (const Case& c : cases) {
        write_text("in.json", c.json);
        Result r = pvtool({"--lang", "1033", "pvd", "build", path("in.json"), path("out.pvd")});
        EXPECT_EQ(r.status, 2) << c.json;
        EXPECT_NE(r.err.find(c.key), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(path("out.pvd"))) << c.json;
    }
    write_text("in.json", "{ not json");
    EXPECT_EQ(pvtool({"pvd", "build", path("in.json"), path("out.pvd")}).status, 2);
    write_text("in.json", R"({"comment": ")" + std::string(256, 'x') + R"("})");
    EXPECT_EQ(pvtool({"pvd", "build", path("in.json"), path("out.pvd")}).status, 2);
}

TEST_F(Pvd, JsonErrorsSayWhatAndWhere) {
    struct Case {
        std::string json;
        const char* expected;
    } cases[] = {
        {"{\"cyls\": 01}", "line 1, column"},
        {"{\"comment\": \"\xC3\x28\"}", "UTF-8"},
        {"{\n  \"cyls\": 4,\n  \"openth\": 5000,\n}", "line 4"},
        {"[1, 2]", "must be a JSON object, not array"},
    };
    for (const Case& c : cases) {
        write_text("in.json", c.json);
        Result r = pvtool({"--lang", "1033", "pvd", "build", path("in.json"), path("out.pvd")});
        EXPECT_EQ(r.status, 2) << c.json;
        EXPECT_NE(r.err.find(c.expected), std::string::npos) << c.json << " -> " << r.err;
        EXPECT_NE(r.err.find(path("in.json")), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(path("out.pvd")));
    }
}

TEST_F(Pvd, NonRegularInputsFailAtOnce) {
    ASSERT_EQ(::mkfifo(path("fifo.PVD").c_str(), 0600), 0);
    for (const char* command : {"dump", "build"}) {
        int status = testsupport::status_within(
            [&] {
                std::vector<std::string> args = {"--lang", "1033", "pvd", command,
                                                 path("fifo.PVD")};
                if (std::string(command) == "build") args.push_back(path("out.pvd"));
                Result r = pvtool(args);
                return r.err == "Cannot open file.\n" ? r.status : 99;
            },
            std::chrono::seconds(5));
        EXPECT_EQ(status, 1) << command;
    }
    // A folder given as the JSON input.
    fs::create_directory(path("dir"));
    int status = testsupport::status_within(
        [&] {
            return pvtool({"pvd", "build", path("dir"), path("out.pvd")}).status;
        },
        std::chrono::seconds(5));
    EXPECT_EQ(status, 1);
    EXPECT_FALSE(fs::exists(path("out.pvd")));
}

TEST_F(Pvd, PortMessagesNameTheDevice) {
    Result r = pvtool({"--lang", "1033", "unit", "status", "--port", "/dev/null"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Cannot open /dev/null.\nNot a serial port (not a terminal).\n");
    r = pvtool({"--lang", "1033", "unit", "reset", "--yes", "--port", path("no-such-tty")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Cannot open " + path("no-such-tty") +
                         ".\nNo such device. Is the adapter plugged in?\n");
}

TEST_F(Pvd, FailuresAndUsage) {
    Result r = pvtool({"--lang", "1033", "pvd", "dump", path("missing.pvd")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Cannot open file.\n");
    std::ofstream(path("short.pvd")) << std::string(505, 'x');
    EXPECT_EQ(pvtool({"--lang", "1033", "pvd", "dump", path("short.pvd")}).status, 1);
    r = pvtool({"--lang", "1033", "pvd", "new", path("no/such/dir/x.pvd")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Cannot save file.\n");
    EXPECT_EQ(pvtool({}).status, 2);
    EXPECT_EQ(pvtool({"pvd"}).status, 2);
    EXPECT_EQ(pvtool({"pvd", "dump"}).status, 2);
    EXPECT_EQ(pvtool({"--lang", "x", "pvd", "new", path("a.pvd")}).status, 2);
    EXPECT_EQ(pvtool({"frobnicate"}).status, 2);
}

TEST_F(Pvd, PrintRefusesWithoutThePrintingPart) {
    ASSERT_EQ(pvtool({"--lang", "1033", "pvd", "new", path("new.pvd")}).status, 0);
    Result r = pvtool({"--lang", "1033", "pvd", "print", path("new.pvd"), path("out.pdf")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("without Qt"), std::string::npos);
    EXPECT_FALSE(fs::exists(path("out.pdf")));
}

}  // namespace
