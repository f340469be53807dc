// The Print command and the parameter sheet from the main window into PDF files, and the
// about box against the simulated unit.
#include <QAccessible>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/common/modal.h"
#include "app/mapedit/map.h"
#include "app/params/prm.h"
#include "app/shell/vsn.h"
#include "unit_app_test.h"
#include "core/link/link_timer.h"
#include "support/full_disk.h"
#include "support/transfers_support.h"

namespace pv::test {
namespace {

// The tests run with an empty PATH (no desktop tool may start): pdftotext is looked up in
// the PATH the tests started with.
std::string pdf_text(const std::string& path, const std::string& search_path) {
    std::string out;
    const std::string command =
        "PATH='" + search_path + "' pdftotext -layout '" + path + "' - 2>/dev/null";
    if (FILE* f = popen(command.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        pclose(f);
    }
    return out;
}

std::vector<std::vector<std::string>> word_lines(const std::string& text) {
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        std::istringstream ws(l);
        std::vector<std::string> words;
        for (std::string w; ws >> w;) words.push_back(w);
        if (!words.empty()) lines.push_back(words);
    }
    return lines;
}

std::vector<std::string> words(const std::string& s) {
    return word_lines(s).empty() ? std::vector<std::string>{} : word_lines(s)[0];
}

class Printing : public AppTest {
  protected:
    std::string pdf(const char* name) {
        std::string p = (root / "docs" / name).string();
        dialogs.print_to = p;
        return p;
    }
    std::string pdf_text(const std::string& path) const {
        return test::pdf_text(path, saved_path_);
    }
};

TEST_F(Printing, NewDocumentPrintsItsOneRowTableUnderTheNewCaption) {
    start();
    main->action("btnnew")->trigger();
    std::string out = pdf("new.pdf");
    main->action("menuprint")->trigger();
    EXPECT_EQ(dialogs.prints, 1);
    EXPECT_EQ(state.ui_busy, 0);
    auto lines = word_lines(pdf_text(out));
    ASSERT_EQ(lines.size(), 4u) << pdf_text(out);
    EXPECT_EQ(lines[0], words("File Name : -New-"));
    EXPECT_EQ(lines[1], words("Data Name : RPM Axis " + main->status_text(2).toStdString()));
    EXPECT_EQ(lines[2], words("Point 1 2 3 4 5"));
    EXPECT_EQ(lines[3], words("RPM 1000 2500 4000 5500 7000"));
}

TEST_F(Printing, TwoAxisMapPrintsTheGridAsShown) {
    SetDefaultData();
    data.axis_select_no = 4;
    data.boost_map_a[1][3] = 42;
    std::string file = (root / "docs" / "two.PVD").string();
    ASSERT_TRUE(WriteDataFile(file));
    start({"pvedit", file});
    Tmap* map = main->map_window();
    ASSERT_NE(map, nullptr);
    map->lvmap1->setCurrentRow(1);
    map->lvmap2->setCurrentRow(0);
    ASSERT_EQ(grid.current_map, map_boost_a);

    std::string out = pdf("two.pdf");
    main->action("btnprint")->trigger();
    auto lines = word_lines(pdf_text(out));
    ASSERT_EQ(lines.size(), 2u + 6u) << pdf_text(out);
    EXPECT_EQ(lines[0], words("File Name : " + file));
    EXPECT_EQ(lines[1][4], "ABoost");                        // "Mode A" runs into the table's name
    EXPECT_EQ(lines[2], words("1000 2500 4000 5500 7000"));  // the corner is empty
    // Row 4 (throttle point 4) holds the 42 in column 2.
    EXPECT_EQ(lines[6][0], std::to_string(data.throttle_axis[3]));
    EXPECT_EQ(lines[6][2], "42");
}

TEST_F(Printing, ParameterSheetPrintsTheDialogsTextsAndTheStoredUnit) {
    start();
    main->action("btnnew")->trigger();
    data.pressure_unit = 0;
    // A dialog with the design's controls, showing an edit not yet confirmed.
    QWidget prmdlg;
    auto combo = [&](const char* name, const QString& shown) {
        auto* c = new QComboBox(&prmdlg);
        c->setObjectName(QString::fromLatin1(name));
        c->addItem(shown);
    };
    auto edit = [&](const char* name, const QString& shown) {
        auto* e = new QLineEdit(shown, &prmdlg);
        e->setObjectName(QString::fromLatin1(name));
    };
    combo("cbunit_select", QStringLiteral("PSI"));
    combo("cbext_bypass", QStringLiteral("POPET"));
    combo("cbcyls", QStringLiteral(" 6"));
    edit("edcloseth", QStringLiteral("420"));
    edit("edopenth", QStringLiteral("4380"));
    edit("edsetboost_a", QStringLiteral("135"));
    auto* on = new QRadioButton(&prmdlg);
    on->setObjectName(QStringLiteral("rdafter_on"));
    on->setChecked(true);
    auto* power = new QLabel(QStringLiteral(": ---"), &prmdlg);
    power->setObjectName(QStringLiteral("lbpower"));
    auto* memo = new QPlainTextEdit(QStringLiteral("street\nsecond line"), &prmdlg);
    memo->setObjectName(QStringLiteral("mmcomment"));

    std::string out = pdf("sheet.pdf");
    ASSERT_TRUE(main->print_parameter_sheet(prmdlg));
    auto lines = word_lines(pdf_text(out));
    auto has = [&](const std::string& line) {
        for (const auto& l : lines)
            if (l == words(line)) return true;
        return false;
    };
    EXPECT_TRUE(has("File Name : -New-"));
    EXPECT_TRUE(has("Pressure Unit : kPa"));
    EXPECT_TRUE(has("Exhaust Bypass Type : POPET"));
    EXPECT_TRUE(has("Number of Cylinders : 6"));
    EXPECT_TRUE(has("Throttle Parameter : CLOSE=420[mV] OPEN=4380[mV]"));
    EXPECT_TRUE(has("After Image Function : ON"));
    EXPECT_TRUE(has("Bar Graph Peak Function : OFF"));
    EXPECT_TRUE(has("Mode A Boost Setting : 135"));
    EXPECT_TRUE(has("Control : ---"));
    EXPECT_TRUE(has("Comment : street"));
    EXPECT_TRUE(has("second line"));

    dialogs.print_to.clear();  // the print dialog cancelled
    EXPECT_FALSE(main->print_parameter_sheet(prmdlg));
}

TEST_F(Printing, TheParameterDialogsPrintButtonPrintsItsSheet) {
    start();
    main->action("btnnew")->trigger();
    Tprmdlg dialog(main.get());
    std::string out = pdf("prm.pdf");
    dialog.btnprint->click();
    EXPECT_EQ(dialogs.prints, 1);
    auto lines = word_lines(pdf_text(out));
    auto has = [&](const std::string& line) {
        for (const auto& l : lines)
            if (l == words(line)) return true;
        return false;
    };
    EXPECT_TRUE(has("File Name : -New-")) << pdf_text(out);
    EXPECT_TRUE(has("Pressure Unit : kPa")) << pdf_text(out);
    EXPECT_TRUE(has("Mode A Boost Setting : " + std::to_string(data.setboost_a))) << pdf_text(out);
}

TEST_F(Printing, APrinterThatCannotStartIsReported) {
    start();
    main->action("btnnew")->trigger();
    dialogs.print_to = (root / "no" / "such" / "folder" / "x.pdf").string();
    main->action("menuprint")->trigger();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text.rfind(msg_text(2), 0), 0u);
    EXPECT_EQ(state.ui_busy, 0);
}

TEST_F(Printing, APdfFileThatCannotBeWrittenKeepsTheOldOneAndSaysSo) {
    start();
    main->action("btnnew")->trigger();
    const std::string keep = pdf("keep.pdf");
    {
        std::ofstream(keep) << std::string(20000, 'k');
    }
    {
        const FullDisk full(4096);
        main->action("menuprint")->trigger();
    }
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, msg_text(2) + "\r\n" + keep);
    EXPECT_EQ(std::filesystem::file_size(keep), 20000u);

    dialogs.print_to = "/dev/full";
    main->action("menuprint")->trigger();
    EXPECT_EQ(prompts.shown.size(), 2u);

    pdf("keep.pdf");
    main->action("menuprint")->trigger();
    EXPECT_EQ(prompts.shown.size(), 2u);
    EXPECT_NE(pdf_text(keep).find("File Name : -New-"), std::string::npos) << pdf_text(keep);
}

// What the user saw of the about box.
struct SeenAbout {
    QString caption, version, valve, display, valve_name;
    bool fits = false;
    uint8_t comm_state = 0;
};

class AboutBox : public UnitAppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        set_modal_runner([this](QDialog& d) { return look(d); });
    }
    void TearDown() override {
        set_modal_runner({});
        install_link(nullptr);
        AppTest::TearDown();
    }
    int look(QDialog& d) {
        auto* box = qobject_cast<Tvsndlg*>(&d);
        EXPECT_NE(box, nullptr);
        if (!box) return 0;
        box->show();
        SeenAbout s;
        s.caption = box->windowTitle();
        s.version = box->Version->text();
        s.valve = box->lbvnum_valve->text();
        s.display = box->lbvnum_display->text();
        s.comm_state = state.comm_state;
        if (QAccessibleInterface* a = QAccessible::queryAccessibleInterface(box->lbvnum_valve))
            s.valve_name = a->text(QAccessible::Name);
        // Both numbers lie inside the panel, and the panel inside the box.
        const QRect panel = box->Panel1->geometry();
        const int right =
            box->lbvnum_display->x() +
            box->lbvnum_display->fontMetrics().horizontalAdvance(box->lbvnum_display->text());
        s.fits = right <= panel.width() && panel.right() < box->width() &&
                 box->lbvnum_valve->x() == box->lbvnum_display->x() &&
                 box->Version->x() == box->ProductName->x() &&
                 box->OKButton->geometry().right() < box->width();
        seen.push_back(s);
        box->OKButton->click();
        EXPECT_FALSE(box->isVisible());
        return box->result();
    }

    std::vector<SeenAbout> seen;
};

TEST_F(AboutBox, ShowsTheUnitsVersions) {
    pvsim::Options o;
    o.valve_version = 120;
    o.display_version = 125;
    use_unit(o);
    start();
    main->action("menuvsn")->trigger();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, QStringLiteral("About"));
    EXPECT_EQ(seen[0].version, QStringLiteral("Version 1.15"));
    EXPECT_EQ(seen[0].valve, QStringLiteral("    1.20"));
    EXPECT_EQ(seen[0].display, QStringLiteral("    1.25"));
    EXPECT_EQ(seen[0].valve_name, QStringLiteral("Valve Ver. 1.20"));
    EXPECT_TRUE(seen[0].fits);
    EXPECT_EQ(line->count(write_request), 0u);
    EXPECT_FALSE(state.port_open);
    EXPECT_EQ(state.ui_busy, 0);
    EXPECT_EQ(state.comm_state, 0);
}

TEST_F(AboutBox, WithoutAUnitBothNumbersSayConnectingError) {
    use_unit({});
    sim_port->present = false;
    start();
    main->action("menuvsn")->trigger();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].valve, QStringLiteral("CONNECTING ERROR"));
    EXPECT_EQ(seen[0].display, QStringLiteral("CONNECTING ERROR"));
    EXPECT_TRUE(seen[0].fits) << "the box is wide enough for the error text";
    EXPECT_EQ(prompts.shown.size(), 1u) << "the port's own message";
}

TEST_F(AboutBox, LeavesARunningLinkRunning) {
    use_unit({});
    set_modal_runner([this](QDialog& d) {
        if (auto* box = qobject_cast<Tvsndlg*>(&d)) return look(*box);
        d.show();
        d.accept();
        return d.result();
    });
    start();
    main->action("btnnew")->trigger();
    ASSERT_TRUE(link_button());
    ASSERT_TRUE(state.link_on);
    main->action("menuvsn")->trigger();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].valve, QStringLiteral("    1.20"));
    EXPECT_TRUE(state.link_on);
    EXPECT_TRUE(state.port_open);
    EXPECT_TRUE(sim_port->is_open());
}

}  // namespace
}  // namespace pv::test
