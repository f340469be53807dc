#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../support/run_within.h"
#include "core/settings/ini.h"
#include "platform/desktop.h"
#include "platform/instance_lock.h"
#include "platform/program_folder.h"

namespace pv {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class TempEnv : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("pv_shell_" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "run");
        setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_DATA_DIRS", (root / "system").c_str(), 1);  // the system's entries stay out
        setenv("PATH", "/nonexistent", 1);  // no desktop database tools run from a test
    }
    void TearDown() override { fs::remove_all(root); }
    fs::path root;
};

using InstanceLockTest = TempEnv;

TEST_F(InstanceLockTest, OnlyOneHolderAtATime) {
    InstanceLock first;
    ASSERT_TRUE(first.acquire("pvedit"));
    EXPECT_EQ(first.path(), (root / "run" / "pvedit.lock").string());
    InstanceLock second;
    EXPECT_FALSE(second.acquire("pvedit"));
    first.release();
    EXPECT_TRUE(second.acquire("pvedit"));
}

TEST_F(InstanceLockTest, AHolderThatCrashedDoesNotBlockTheNextStart) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstanceLock lock;
        if (!lock.acquire("pvedit")) _exit(3);
        std::abort();
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child held the lock and crashed";
    EXPECT_TRUE(fs::exists(root / "run" / "pvedit.lock"));
    InstanceLock next;
    EXPECT_TRUE(next.acquire("pvedit"));
}

using DesktopTest = TempEnv;

TEST_F(DesktopTest, ExecLineQuotesThePath) {
    EXPECT_EQ(desktop_exec_line("/opt/pv edit/pvedit"), "\"/opt/pv edit/pvedit\" %f");
    EXPECT_EQ(desktop_exec_line("/a$b/100%"), "\"/a\\\\$b/100%%\" %f");
}

std::string default_for(const fs::path& list, const char* type) {
    IniFile apps;
    apps.load(list.string());
    return apps.read_string("Default Applications", type, "");
}

TEST_F(DesktopTest, ACopyRegistersUnderItsOwnIdAndKeepsTheUsersChoice) {
    {
        fs::create_directories(root / "config");
        std::ofstream(root / "config" / "mimeapps.list")
            << "[Default Applications]\napplication/x-pavex5-log=other.desktop\n";
    }
    const std::string id = local_desktop_id("/opt/pv/pvedit");
    EXPECT_EQ(id.rfind("pvedit-local-", 0), 0u) << id;
    EXPECT_NE(id, local_desktop_id("/home/me/pv2/pvedit")) << "each folder has its own";
    ASSERT_TRUE(write_file_associations("/opt/pv/pvedit", "/opt/pv/pvedit.png", "Pavex5 DataFile",
                                        "Pavex5 <Log> & more"));
    std::string entry = slurp(root / "data" / "applications" / id);
    EXPECT_NE(entry.find("Exec=\"/opt/pv/pvedit\" %f\n"), std::string::npos);
    EXPECT_NE(entry.find("Icon=/opt/pv/pvedit.png\n"), std::string::npos);
    EXPECT_NE(entry.find("NoDisplay=true\n"), std::string::npos) << "no second menu entry";
    EXPECT_NE(entry.find("MimeType=application/x-pavex5-data;application/x-pavex5-log;"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(root / "data" / "applications" / "org.pvedit.pvedit.desktop"));
    // One glob per type, matched without regard to case (.PVD, .pvd, .Pvl).
    std::string mime = slurp(root / "data" / "mime" / "packages" / "pvedit-local.xml");
    EXPECT_NE(mime.find("<glob pattern=\"*.pvd\"/>"), std::string::npos);
    EXPECT_NE(mime.find("<glob pattern=\"*.pvl\"/>"), std::string::npos);
    EXPECT_EQ(mime.find("case-sensitive"), std::string::npos);
    EXPECT_NE(mime.find("<comment>Pavex5 &lt;Log&gt; &amp; more</comment>"), std::string::npos);

    const fs::path list = root / "config" / "mimeapps.list";
    EXPECT_EQ(default_for(list, "application/x-pavex5-data"), id);
    EXPECT_EQ(default_for(list, "application/x-pavex5-log"), "other.desktop")
        << "the user's own choice stays";
}

// The package installed, or another copy registered first: their types are theirs. A default
// this copy took before another entry came is given back.
TEST_F(DesktopTest, ATypeAnotherEntryOpensIsLeftToIt) {
    const std::string first = local_desktop_id("/a/pvedit");
    ASSERT_TRUE(write_file_associations("/a/pvedit", "/a/pvedit.png", "d", "l"));
    ASSERT_TRUE(write_file_associations("/b/pvedit", "/b/pvedit.png", "d", "l"));
    const fs::path list = root / "config" / "mimeapps.list";
    EXPECT_EQ(default_for(list, "application/x-pavex5-data"), first);
    std::string second = slurp(root / "data" / "applications" / local_desktop_id("/b/pvedit"));
    EXPECT_EQ(second.find("MimeType="), std::string::npos) << second;

    fs::create_directories(root / "system" / "applications");
    std::ofstream(root / "system" / "applications" / "org.pvedit.pvedit.desktop")
        << "[Desktop Entry]\nType=Application\nName=P\nExec=pvedit %f\n"
           "MimeType=application/x-pavex5-data;\n";
    fs::remove(root / "data" / "applications" / local_desktop_id("/b/pvedit"));
    ASSERT_TRUE(write_file_associations("/a/pvedit", "/a/pvedit.png", "d", "l"));
    std::string entry = slurp(root / "data" / "applications" / first);
    EXPECT_NE(entry.find("MimeType=application/x-pavex5-log;\n"), std::string::npos) << entry;
    EXPECT_EQ(default_for(list, "application/x-pavex5-data"), "") << "given back";
    EXPECT_EQ(default_for(list, "application/x-pavex5-log"), first);
}

TEST_F(DesktopTest, AFifoInPlaceOfAnAssociationFileDoesNotBlockTheStart) {
    fs::create_directories(root / "data" / "applications");
    fs::create_directories(root / "config");
    ASSERT_EQ(
        ::mkfifo((root / "data" / "applications" / local_desktop_id("/p/pvedit")).c_str(), 0600),
        0);
    ASSERT_EQ(::mkfifo((root / "config" / "mimeapps.list").c_str(), 0600), 0);
    int status = testsupport::status_within(
        [] { return write_file_associations("/p/pvedit", "/p/pvedit.png", "a", "b") ? 1 : 0; },
        std::chrono::seconds(5));
    EXPECT_EQ(status, 0) << "refused at once, and reported";
    EXPECT_EQ(fs::status(root / "config" / "mimeapps.list").type(), fs::file_type::fifo);
}

TEST_F(DesktopTest, UnwritableDataFolderIsReportedNotFatal) {
    std::ofstream(root / "blocker") << "a file where a folder should be";
    setenv("XDG_DATA_HOME", (root / "blocker").c_str(), 1);
    EXPECT_FALSE(write_file_associations("/p/pvedit", "/p/pvedit.png", "a", "b"));
    EXPECT_FALSE(open_with_default_program("/tmp/x.html")) << "no opener on the PATH";
}

using ProgramFolderTest = TempEnv;

// An installed program (P/bin/pvedit) finds its splash and help in P/share/pvedit; a program in
// a build folder finds them beside itself.
TEST_F(ProgramFolderTest, ResourcesBesideTheProgramElseInTheInstalledShareFolder) {
    fs::create_directories(root / "P/bin");
    fs::create_directories(root / "P/share/pvedit");
    std::ofstream(root / "P/share/pvedit/SPLASH.BMP") << "BM";
    std::string bin = (root / "P/bin").string();
    EXPECT_EQ(resource_folder(bin), fs::canonical(root / "P/share/pvedit").string());

    std::ofstream(root / "P/bin/SPLASH.BMP") << "BM";
    EXPECT_EQ(resource_folder(bin), bin);

    fs::create_directories(root / "lonely");
    EXPECT_EQ(resource_folder((root / "lonely").string()), (root / "lonely").string());
}

// Settings go to the config folder, the unit's data copy and recordings to the data folder,
// when the program's own folder cannot be written, and always for an installed program (root
// may write to /usr/bin, and must not).
TEST_F(ProgramFolderTest, UserFoldersUnlessTheProgramHasAFolderOfItsOwn) {
    std::string writable = root.string();
    EXPECT_EQ(writable_folder(writable), writable);
    EXPECT_EQ(writable_data_folder(writable), writable);

    std::string gone = (root / "no/such/folder").string();
    EXPECT_EQ(writable_folder(gone), (root / "config/pvedit").string());
    EXPECT_EQ(writable_data_folder(gone), (root / "data/pvedit").string());
    EXPECT_TRUE(fs::is_directory(root / "data/pvedit")) << "made with its missing parents";

    fs::create_directories(root / "P/bin");
    fs::create_directories(root / "P/share/pvedit");
    std::ofstream(root / "P/share/pvedit/SPLASH.BMP") << "BM";
    std::string bin = (root / "P/bin").string();
    EXPECT_TRUE(installed_program(bin));
    EXPECT_EQ(writable_folder(bin), (root / "config/pvedit").string()) << "installed, writable";
    EXPECT_EQ(writable_data_folder(bin), (root / "data/pvedit").string());

    std::ofstream(root / "P/bin/SPLASH.BMP") << "BM";  // a copy with its files beside it
    EXPECT_FALSE(installed_program(bin));
    EXPECT_EQ(writable_folder(bin), bin);
}

}  // namespace
}  // namespace pv
