// The main window under test: offscreen, with the clock, the message boxes, the file
// dialogs, the serial port and the desktop opener replaced, in folders of its own.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QPrinter>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/shell/app.h"
#include "app/shell/dialogs.h"
#include "app/shell/main.h"
#include "core/document/datafile.h"
#include "core/document/unit.h"
#include "core/link/netunit.h"
#include "core/link/port.h"
#include "core/link/port_catalogue.h"
#include "core/ui/clock.h"
#include "core/ui/prompter.h"
#include "support/program.h"

namespace pv::test {

namespace fs = std::filesystem;

inline constexpr int kScreenWidth = 1600;
inline constexpr int kScreenHeight = 1000;

inline QApplication& application() {
    static int argc = 1;
    static char name[] = "app_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        // A desktop-sized screen of known size: the main window keeps to the available screen.
        // One file per process: tests run in parallel, and Qt reads it while another writes.
        const std::string screens = (fs::temp_directory_path() /
                                     ("pv_app_test_screen_" + std::to_string(getpid()) + ".json"))
                                        .string();
        std::ofstream(screens) << R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": )"
                               << kScreenWidth << R"(, "height": )" << kScreenHeight
                               << R"(, "logicalDpi": 96, "dpr": 1}]})";
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens).c_str());
        auto* a = new QApplication(argc, argv);
        init_app_resources();
        return a;
    }();
    return *app;
}

class ScriptedDialogs : public ShellDialogs {
  public:
    std::vector<std::optional<std::string>> open_answers, save_answers;
    std::vector<std::string> open_initial, save_initial;
    int prints = 0;
    std::string print_to;  // when set, the dialog is confirmed with a PDF file as the printer

    std::optional<std::string> open_data_file(QWidget*, const std::string& initial) override {
        open_initial.push_back(initial);
        return next(open_answers);
    }
    std::optional<std::string> save_data_file(QWidget*, const std::string& initial) override {
        save_initial.push_back(initial);
        return next(save_answers);
    }
    bool print_setup(QWidget*, QPrinter& printer) override {
        ++prints;
        if (print_to.empty()) return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(print_to));
        return true;
    }
    std::vector<std::optional<std::string>> log_open_answers, log_save_answers;
    std::vector<std::string> log_open_initial, log_save_initial;
    std::optional<std::string> open_log_file(QWidget*, const std::string& initial,
                                             const std::string&) override {
        log_open_initial.push_back(initial);
        return next(log_open_answers);
    }
    std::optional<std::string> save_log_file(QWidget*, const std::string& initial,
                                             const std::string&) override {
        log_save_initial.push_back(initial);
        return next(log_save_answers);
    }

  private:
    static std::optional<std::string> next(std::vector<std::optional<std::string>>& q) {
        if (q.empty()) return std::nullopt;
        auto v = q.front();
        q.erase(q.begin());
        return v;
    }
};

// A line that opens and stays silent: enough for commands that only hold the port.
class QuietPort : public Port {
  public:
    bool open(int) override { return true; }
    bool configure() override { return true; }
    void close() override {}
    bool purge() override { return true; }
    bool write(const uint8_t*, size_t) override { return true; }
    bool read(uint8_t*, size_t, size_t& got) override {
        got = 0;
        return true;
    }
};

// No serial ports at all, whatever the machine the tests run on has.
class NoPorts : public PortCatalogue {
  public:
    std::vector<PortEntry> scan() override { return {}; }
};

class AppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        application();
        root = fs::temp_directory_path() /
               ("pv_app_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(root);
        fs::create_directories(root / "prog");
        fs::create_directories(root / "docs");
        fs::create_directories(root / "run");
        setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
        setenv("XDG_DATA_HOME", (root / "xdata").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "xconfig").c_str(), 1);
        unsetenv("PVEDIT_PORT");
        // No desktop tool may run from a test.
        saved_path_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", (root / "nobin").c_str(), 1);
        pvtest::reset_program();
        settings.lang_id = kLangEnglish;
        set_clock(&clock_);
        set_prompter(&prompts);
        install_link(&port_);
        set_port_catalogue(&no_ports_);
        port_list() = {};
        paths.program_path = (root / "prog" / "pvedit").string();
        paths.program_dir = (root / "prog").string();
        paths.data_dir = (root / "prog").string();
    }

    void TearDown() override {
        main.reset();
        set_port_catalogue(nullptr);
        port_list() = {};
        pvtest::reset_program();
        setenv("PATH", saved_path_.c_str(), 1);
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    void write_settings_file(const std::string& text) {
        std::ofstream(paths.settings_file()) << text;
    }

    // The main window as start-up leaves it.
    Tmain& start(const std::vector<std::string>& args = {"pvedit"}) {
        main = std::make_unique<Tmain>(paths, &dialogs);
        main->open_external = [this](const std::string& s) {
            opened.push_back(s);
            return true;
        };
        main->FormCreate(clock_.tick_count());
        main->show();
        main->FormShow(args);
        return *main;
    }

    // A data file made from the New document.
    std::string data_file(const std::string& name) {
        SetDefaultData();
        std::string p = (root / "docs" / name).string();
        EXPECT_TRUE(WriteDataFile(p));
        return p;
    }

    bool enabled(const char* name) const {
        QAction* a = main->action(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        return a && a->isEnabled();
    }
    bool checked(const char* name) const {
        QAction* a = main->action(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        return a && a->isChecked();
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& s : prompts.shown) t.push_back(s.text);
        return t;
    }

    fs::path root;
    ShellPaths paths;
    ScriptedDialogs dialogs;
    ScriptedPrompter prompts;
    ManualClock clock_;
    QuietPort port_;
    NoPorts no_ports_;
    std::vector<std::string> opened;
    std::unique_ptr<Tmain> main;
    std::string saved_path_;
};

}  // namespace pv::test
