// Start-up and shutdown: the settings file, the command-line file, the splash picture and
// the single instance.
#include <spawn.h>
#include <sys/wait.h>

#include <QScreen>

#include "app/mapedit/map.h"
#include "app/shell/splash.h"
#include "app_fixture.h"
#include "core/settings/ini.h"
#include "core/ui/texts.h"
#include "platform/instance_lock.h"

extern char** environ;

namespace pv::test {
namespace {

using Startup = AppTest;

TEST_F(Startup, WithoutASettingsFileTheDesignedChoicesHold) {
    Tmain& m = start();
    EXPECT_TRUE(checked("mc3"));
    EXPECT_TRUE(checked("mcom1"));
    EXPECT_TRUE(checked("ml3"));
    EXPECT_TRUE(checked("mtr2"));
    EXPECT_EQ(settings.monitor_width, 310);
    EXPECT_EQ(settings.monitor_height, 210);
    EXPECT_EQ(settings.spl_header, 0xE5);
    EXPECT_EQ(settings.log_dir, paths.program_dir);
    EXPECT_EQ(m.size(), QSize(900, 640));
    EXPECT_EQ(state.last_log_file, "Data Log") << "InitState ran";
}

TEST_F(Startup, StoredChoicesAreClickedWithFallbacks) {
    write_settings_file(
        "[FORM]\nLEFT=-5\nTOP=30\nWIDTH=1000\nHEIGHT=0\n[VIEW]\nMAP=9\n[OPTION]\nCOM=12\nLOCUS=7\n"
        "AUTOSELECT=1\n[FILEDIR]\nPVD=/srv/maps\n");
    Tmain& m = start();
    EXPECT_TRUE(checked("mc3")) << "MAP 9 has no item";
    EXPECT_TRUE(checked("mcom12"));
    EXPECT_TRUE(checked("ml3")) << "LOCUS 7 has no item";
    EXPECT_TRUE(checked("mtr1"));
    EXPECT_EQ(m.width(), 1000);
    EXPECT_EQ(m.height(), 640) << "a bound of 0 keeps the designed one";
    EXPECT_EQ(m.y(), 30);
    EXPECT_NE(m.x(), -5) << "a negative left edge is not applied";

    dialogs.open_answers = {std::nullopt};
    m.menuopenClick();
    EXPECT_EQ(dialogs.open_initial.front(), "/srv/maps/*.PVD");
}

TEST_F(Startup, StoredBoundsAreKeptOnTheScreen) {
    write_settings_file("[FORM]\nLEFT=30000\nTOP=20000\nWIDTH=40000\nHEIGHT=40000\n");
    Tmain& m = start();
    const QRect avail = m.screen()->availableGeometry();
    EXPECT_EQ(avail.width(), kScreenWidth);
    EXPECT_EQ(m.width(), kScreenWidth);
    EXPECT_EQ(m.height(), kScreenHeight);
    EXPECT_EQ(m.x(), 0) << "moved back so that the whole window shows";
    EXPECT_EQ(m.y(), 0);
    m.close();
    IniFile ini;
    ASSERT_TRUE(ini.load(paths.settings_file()));
    EXPECT_EQ(ini.read_int("FORM", "WIDTH", 0), kScreenWidth) << "not written back oversized";
    EXPECT_EQ(ini.read_int("FORM", "LEFT", -1), 0);
}

TEST_F(Startup, TheMainWindowIsNeverNarrowerThanItsToolBar) {
    write_settings_file("[FORM]\nLEFT=0\nTOP=0\nWIDTH=300\nHEIGHT=500\n");
    Tmain& m = start();
    EXPECT_EQ(m.width(), 870);
    m.resize(400, 500);
    EXPECT_EQ(m.width(), 870);
}

TEST_F(Startup, MapFontFiveIsRestored) {
    write_settings_file("[view]\nmap=5\n");
    start();
    EXPECT_TRUE(checked("mc5"));
    EXPECT_FALSE(checked("mc3"));
}

TEST_F(Startup, SettingsAreWrittenOnceAtCloseKeepingForeignKeys) {
    write_settings_file(
        "; my notes\n[SPL]\nHEADDER=$E7\n[OPTION]\nCOM=2\nMINE=1\n[LOG]\nMAX3=900\n");
    Tmain& m = start();
    EXPECT_EQ(settings.spl_header, 0xE7);
    EXPECT_EQ(settings.other_log_channels[2].max, 900) << "the comparison log takes the log's";
    m.action("mcom5")->trigger();
    m.action("mc1")->trigger();
    settings.spl_header = 0x01;
    m.close();
    ASSERT_TRUE(m.settings_written());

    IniFile ini;
    ASSERT_TRUE(ini.load(paths.settings_file()));
    EXPECT_EQ(ini.read_int("OPTION", "COM", 0), 5);
    EXPECT_EQ(ini.read_int("VIEW", "MAP", 0), 1);
    EXPECT_EQ(ini.read_string("OPTION", "MINE", ""), "1");
    EXPECT_EQ(ini.read_string("SPL", "HEADDER", ""), "$E7");
    EXPECT_EQ(ini.read_int("OTHERLOG", "MAX3", 0), 900);
    EXPECT_EQ(ini.read_int("FORM", "WIDTH", 0), 900);
    EXPECT_EQ(ini.read_string("FILEDIR", "PVD", ""), paths.program_dir);
    EXPECT_EQ(ini.text().rfind("; my notes\n", 0), 0u);
}

// An installed program's first start reads the settings shipped beside its resources; from
// then on only the user's own file counts, and the shipped one is never written.
TEST_F(Startup, TheShippedSettingsStandInOnlyForAMissingFile) {
    fs::create_directories(root / "share");
    const std::string shipped = "[LOG]\nDRAW1=1\nCOLOR1=192\n";
    std::ofstream(root / "share" / "pvedit.INI") << shipped;
    paths.resource_dir = (root / "share").string();
    paths.config_dir = (root / "config").string();
    fs::create_directories(paths.config_dir);
    {
        Tmain& m = start();
        EXPECT_EQ(settings.log_channels[0].draw, 1);
        EXPECT_EQ(settings.other_log_channels[0].color, 192);
        m.close();
        ASSERT_TRUE(m.settings_written());
    }
    EXPECT_EQ(paths.settings_file(), (root / "config" / "pvedit.INI").string());
    IniFile own;
    ASSERT_TRUE(own.load(paths.settings_file()));
    EXPECT_EQ(own.read_int("LOG", "COLOR1", 0), 192);
    std::ifstream in(root / "share" / "pvedit.INI");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), shipped);

    write_settings_file("[LOG]\nDRAW1=0\n");
    main.reset();
    pvtest::reset_program();
    settings.lang_id = kLangEnglish;
    start();
    EXPECT_EQ(settings.log_channels[0].draw, 0) << "the user's file wins";
    EXPECT_EQ(settings.log_channels[0].color, 0);
}

TEST_F(Startup, CommandLineFileOpensByItsExtension) {
    std::string lower = data_file("drive.pvd");
    {
        start({"pvedit", lower});
        ASSERT_NE(main->map_window(), nullptr);
        EXPECT_EQ(main->map_window()->windowTitle().toStdString(), lower);
        EXPECT_EQ(state.doc_named, 1);
        EXPECT_TRUE(enabled("menusaveas"));
        main.reset();
    }
    InitState();
    std::string longer = (root / "docs" / "drive.PVDX").string();
    fs::copy_file(lower, longer);
    start({"pvedit", longer});
    EXPECT_NE(main->map_window(), nullptr) << "four characters are compared";
    main.reset();

    InitState();
    std::string text_file = (root / "docs" / "drive.txt").string();
    fs::copy_file(lower, text_file);
    start({"pvedit", text_file});
    EXPECT_EQ(state.doc_open, 0);
    main.reset();

    InitState();
    start({"pvedit", (root / "docs" / "missing.PVD").string()});
    EXPECT_EQ(state.doc_open, 0);
    EXPECT_TRUE(prompts.shown.empty()) << "a file that does not exist is ignored";
}

TEST_F(Startup, CommandLineFileThatCannotBeReadIsReported) {
    std::string bad = (root / "docs" / "bad.PVD").string();
    std::ofstream(bad) << "short";
    start({"pvedit", bad});
    EXPECT_EQ(state.doc_open, 0);
    EXPECT_EQ(texts(), std::vector<std::string>{"Cannot open file."});
}

TEST_F(Startup, CommandLineLogFileNamesTheLogAndItsFolder) {
    std::string log = (root / "docs" / "run1.pvl").string();
    std::ofstream(log) << "log";
    start({"pvedit", log});
    EXPECT_EQ(state.last_log_file, log);
    EXPECT_EQ(settings.log_dir, (root / "docs").string());
    EXPECT_EQ(state.doc_open, 0);
}

TEST_F(Startup, MissingSplashPictureEndsStartWithItsMessage) {
    Tsplashdlg splash;
    EXPECT_FALSE(splash.FormCreate(paths.program_dir, kLangEnglish));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, error_text(3));
    EXPECT_EQ(prompts.shown[0].icon, Icon::Information);
    EXPECT_EQ(fs::current_path(), fs::path(paths.program_dir)) << "the program's folder is current";

    fs::copy_file(fs::path(PVEDIT_PATH).parent_path() / "SPLASH.BMP", root / "prog" / "SPLASH.BMP");
    prompts.shown.clear();
    Tsplashdlg shown;
    EXPECT_TRUE(shown.FormCreate(paths.program_dir, kLangJapanese));
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(shown.isVisible());
    EXPECT_EQ(settings.lang_id, kLangJapanese);
    fs::current_path(fs::temp_directory_path());
}

TEST_F(Startup, TheSplashStaysAtLeastOneSecond) {
    uint32_t shown_at = clock_.tick_count();
    clock_.advance(200);
    start();
    EXPECT_GE(clock_.tick_count() - shown_at, 1000u);

    main.reset();
    InitState();
    shown_at = clock_.tick_count();
    clock_.advance(5000);
    main = std::make_unique<Tmain>(paths, &dialogs);
    uint32_t before = clock_.tick_count();
    main->FormCreate(shown_at);
    EXPECT_EQ(clock_.tick_count(), before) << "no wait once the second has passed";
}

TEST_F(Startup, ASecondInstanceEndsSilently) {
    pid_t pid = 0;
    // The test holds the lock as a running pvedit would.
    InstanceLock held;
    ASSERT_TRUE(held.acquire("pvedit"));
    char* argv[] = {const_cast<char*>(PVEDIT_PATH), nullptr};
    std::vector<std::string> env_text = {"QT_QPA_PLATFORM=offscreen",
                                         "XDG_RUNTIME_DIR=" + (root / "run").string(),
                                         "HOME=" + root.string()};
    std::vector<char*> envp;
    for (auto& e : env_text) envp.push_back(e.data());
    envp.push_back(nullptr);
    ASSERT_EQ(posix_spawn(&pid, PVEDIT_PATH, nullptr, nullptr, argv, envp.data()), 0);
    int status = -1;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace pv::test
