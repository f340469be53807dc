// What a save and a read do to the files around them: the data file and the settings file
// share one save and one read, so each case runs through both front doors.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

#include "../support/run_within.h"
#include "core/document/datafile.h"
#include "core/document/unit.h"
#include "core/settings/ini.h"

namespace pv {
namespace {

namespace fs = std::filesystem;

std::string read_all(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void write_text(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

mode_t mode_of(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::lstat(p.c_str(), &st), 0);
    return st.st_mode & 07777;
}

class FileSafety : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        InitState();
        SetDefaultData();
        set_status_reader(nullptr);
        dir_ = fs::temp_directory_path() /
               ("pv_filesafety_" + std::to_string(::getpid()) + "_" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }
    bool data_file() const { return std::string(GetParam()) == "data file"; }
    bool save(const fs::path& p) const {
        if (data_file()) return WriteDataFile(p.string());
        IniFile ini;
        ini.parse("[FORM]\nLEFT=12\n");
        return ini.save(p.string());
    }
    bool load(const fs::path& p) const {
        if (data_file()) return ReadDataFile(p.string());
        IniFile ini;
        return ini.load(p.string());
    }
    // What a successful save leaves in the file.
    size_t saved_size() const {
        return data_file() ? kDataFileSize : std::string("[FORM]\nLEFT=12\n").size();
    }
    size_t entries() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {}));
    }
    fs::path dir_;
};

TEST_P(FileSafety, SaveKeepsModeAndRefusesReadOnlyFiles) {
    fs::path f = dir_ / "doc";
    write_text(f, "old");
    ::chmod(f.c_str(), 0600);
    ASSERT_TRUE(save(f));
    EXPECT_EQ(mode_of(f), 0600u);
    EXPECT_EQ(fs::file_size(f), saved_size());

    fs::path ro = dir_ / "ro";
    write_text(ro, "kept");
    ::chmod(ro.c_str(), 0444);
    EXPECT_FALSE(save(ro)) << "a read-only file is not replaced, even by the superuser";
    EXPECT_EQ(read_all(ro), "kept");
    EXPECT_EQ(mode_of(ro), 0444u);
    EXPECT_EQ(entries(), 2u) << "a refused save leaves no temporary behind";
}

TEST_P(FileSafety, SaveKeepsTheOwnerWherePermitted) {
    if (::geteuid() != 0) GTEST_SKIP() << "only the superuser can hand a file to someone else";
    fs::path f = dir_ / "doc";
    write_text(f, "old");
    ASSERT_EQ(::chown(f.c_str(), 4321, 4322), 0);
    ASSERT_TRUE(save(f));
    struct stat st {};
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
}

TEST_P(FileSafety, SaveThroughASymbolicLinkUpdatesItsTarget) {
    fs::create_directories(dir_ / "real");
    fs::path target = dir_ / "real" / "doc";
    write_text(target, "old");
    fs::create_symlink("real/doc", dir_ / "link");
    fs::create_symlink(dir_ / "link", dir_ / "link2");  // a chain, absolute this time
    ASSERT_TRUE(save(dir_ / "link2"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "link"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "link2"));
    EXPECT_EQ(fs::file_size(target), saved_size());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "real"), {}), 1);

    // A link to nothing yet names where the file is made.
    fs::create_symlink("real/new", dir_ / "dangling");
    ASSERT_TRUE(save(dir_ / "dangling"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "dangling"));
    EXPECT_EQ(fs::file_size(dir_ / "real" / "new"), saved_size());
}

TEST_P(FileSafety, HardLinkedFileIsWrittenInPlace) {
    fs::path a = dir_ / "a", b = dir_ / "b";
    write_text(a, std::string(2000, 'x'));  // longer than the save: the tail must go
    fs::create_hard_link(a, b);
    ASSERT_TRUE(save(a));
    EXPECT_EQ(fs::hard_link_count(a), 2u);
    EXPECT_EQ(read_all(b), read_all(a));
    EXPECT_EQ(fs::file_size(b), saved_size());
}

TEST_P(FileSafety, LongNamesSaveAndTemporariesStayOutOfSight) {
    // A name at the file system's limit leaves no room for a suffix on the temporary.
    fs::path f = dir_ / (std::string(251, 'n') + ".PVD");
    ASSERT_TRUE(save(f));
    ASSERT_TRUE(save(f));  // and the second time, replacing it
    EXPECT_EQ(fs::file_size(f), saved_size());
    EXPECT_EQ(entries(), 1u);

    // A save that fails half-way leaves only hidden names, never one ending like the document.
    fs::create_directory(dir_ / "folder.PVD");
    EXPECT_FALSE(save(dir_ / "folder.PVD"));
    for (auto& e : fs::directory_iterator(dir_)) {
        std::string name = e.path().filename().string();
        EXPECT_TRUE(name == f.filename().string() || name == "folder.PVD") << name;
    }
}

TEST_P(FileSafety, NonRegularFilesAreRefusedAtOnce) {
    fs::path fifo = dir_ / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(
        testsupport::status_within([&] { return load(fifo) ? 1 : 0; }, std::chrono::seconds(3)), 0)
        << "reading a FIFO must neither block nor succeed";
    EXPECT_EQ(
        testsupport::status_within([&] { return save(fifo) ? 1 : 0; }, std::chrono::seconds(3)), 0);
    EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);

    fs::create_directory(dir_ / "folder");
    EXPECT_FALSE(load(dir_ / "folder"));
    EXPECT_FALSE(load("/dev/null"));
    EXPECT_FALSE(load(dir_ / "missing"));
}

INSTANTIATE_TEST_SUITE_P(Writers, FileSafety, ::testing::Values("data file", "settings file"),
                         [](const auto& param_info) {
                             return std::string(param_info.param) == "data file" ? "DataFile"
                                                                                 : "SettingsFile";
                         });

}  // namespace
}  // namespace pv
