// The printed pages drawn on images and into PDF files, and `pvtool pvd print` end to end.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/print/print_pages.h"
#include "core/document/datafile.h"
#include "core/document/unit.h"
#include "core/mapedit/table_pick.h"
#include "core/print/page_layout.h"
#include "core/ui/texts.h"
#include "support/full_disk.h"
#include "tool/print/pvd_print.h"
#include "tool/tool.h"

namespace pv {
namespace {

namespace fs = std::filesystem;

void gui() {
    static int argc = 1;
    static char name[] = "print_test";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

std::string run_out(const std::string& command) {
    std::string out;
    if (FILE* f = popen(command.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        pclose(f);
    }
    return out;
}

// The text of a PDF as pdftotext lays it out.
std::string pdf_text(const std::string& path) {
    return run_out("pdftotext -layout '" + path + "' - 2>/dev/null");
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

std::vector<std::string> words_of(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

class PrintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gui();
        settings.lang_id = kLangEnglish;
        InitState();
        SetDefaultData();
        dir_ = fs::temp_directory_path() /
               ("print_test_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    static MapPage page_of(int map_id, const QString& caption = QStringLiteral("-New-")) {
        choose_table(map_id);
        return map_page_of_grid(
            caption,
            page_text(text(Catalog::Map, static_cast<uint32_t>(table_caption_of(map_id)))));
    }

    // Draws the map page on a white image the size of a landscape A4 page at 150 dpi.
    static QImage draw(const MapPage& page) {
        QImage img(1754, 1240, QImage::Format_RGB32);
        img.setDotsPerMeterX(5906);
        img.setDotsPerMeterY(5906);
        img.fill(Qt::white);
        QPainter p(&img);
        PrintMap(p, page);
        p.end();
        return img;
    }

    fs::path dir_;
};

// Runs of dark pixels along a line: (start, length) pairs.
std::vector<std::pair<int, int>> dark_runs(const QImage& img, bool vertical, int at, int from,
                                           int to) {
    std::vector<std::pair<int, int>> runs;
    int start = -1;
    for (int k = from; k <= to; ++k) {
        QRgb px = vertical ? img.pixel(at, k) : img.pixel(k, at);
        bool dark = qGray(px) < 128;
        if (dark && start < 0) start = k;
        if (!dark && start >= 0) {
            runs.push_back({start, k - start});
            start = -1;
        }
    }
    if (start >= 0) runs.push_back({start, to + 1 - start});
    return runs;
}

TEST_F(PrintTest, MapLayoutFollowsTheFontMeasures) {
    MapPageMetrics m = map_page_metrics(60, 11, 21);
    EXPECT_EQ(m.cell_width, 60);
    EXPECT_EQ(m.half_char, 5);
    EXPECT_EQ(m.line_height, 31);
    EXPECT_EQ(m.inner_offset, 5);
    EXPECT_EQ(m.table_top, 124);
    EXPECT_EQ(map_page_points(5), 9);
    EXPECT_EQ(map_page_points(24), 8);

    MapPageLayout one = map_page_layout(m, 5, 1);
    EXPECT_EQ(one.file_line.y, 31);
    EXPECT_EQ(one.data_line.y, 62);
    ASSERT_EQ(one.cells.size(), 2u);
    EXPECT_EQ(one.cells[1][3].x, 3 * 60 + 5);
    EXPECT_EQ(one.cells[1][3].y, 31 + 124 + 5);
    // A one-row table: three horizontal rules, all of them thick, and seven vertical ones.
    ASSERT_EQ(one.rules.size(), 3u + 7u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(one.rules[i].width, 5);
        EXPECT_EQ(one.rules[i].y1, 124 + i * 31);
        EXPECT_EQ(one.rules[i].x2, 360);
    }
    EXPECT_EQ(one.rules[3 + 6].x1, 360);
    EXPECT_EQ(one.rules[3 + 6].y2, 2 * 31 + 124);

    MapPageLayout six = map_page_layout(m, 5, 5);
    ASSERT_EQ(six.rules.size(), 7u + 7u);
    std::vector<int> widths;
    for (const PageRule& r : six.rules) widths.push_back(r.width);
    EXPECT_EQ(widths, (std::vector<int>{5, 5, 2, 2, 2, 2, 5, 5, 5, 2, 2, 2, 2, 5}));
}

TEST_F(PrintTest, OneRowTablePrintsTwoRuledRows) {
    MapPage page = page_of(map_rpm_axis);
    ASSERT_EQ(page.rows, 1);
    ASSERT_EQ(page.cells.size(), 2u);
    EXPECT_EQ(page.cells[1][1].trimmed(), QStringLiteral("1000"));
    QImage img = draw(page);

    QPainter probe(&img);
    probe.setFont(page_font(9));
    const QFontMetrics fm = probe.fontMetrics();
    probe.end();
    const MapPageMetrics m = map_page_metrics(fm.horizontalAdvance(QStringLiteral("******")),
                                              fm.horizontalAdvance(QLatin1Char('*')), fm.height());
    // Down the first (blank) character of the last column's texts: the three rules only.
    auto across = dark_runs(img, true, 5 * m.cell_width + 2 * m.half_char, m.table_top - 10,
                            m.table_top + 3 * m.line_height);
    ASSERT_EQ(across.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(across[i].second, 5);
        EXPECT_NEAR(across[i].first, m.table_top + static_cast<int>(i) * m.line_height - 2, 1);
    }
    // Along the value row just under the texts' baseline: the seven vertical rules, framed.
    auto along =
        dark_runs(img, false, m.table_top + m.line_height + m.inner_offset + fm.ascent() + 2, 0,
                  7 * m.cell_width);
    std::vector<int> thickness;
    for (auto& r : along) thickness.push_back(r.second);
    EXPECT_EQ(thickness, (std::vector<int>{3, 5, 2, 2, 2, 2, 5}));
    ASSERT_EQ(along.size(), 7u);
    EXPECT_EQ(along[6].first, 6 * m.cell_width - 2);
}

TEST_F(PrintTest, TwoAxisMapHasThickRulesAfterTheHeaders) {
    data.axis_select_no = 4;
    MapPage page = page_of(map_boost_a);
    ASSERT_EQ(page.rows, 5);
    ASSERT_EQ(page.cols, 5);
    QImage img = draw(page);
    QPainter probe(&img);
    probe.setFont(page_font(9));
    const QFontMetrics fm = probe.fontMetrics();
    probe.end();
    const MapPageMetrics m = map_page_metrics(fm.horizontalAdvance(QStringLiteral("******")),
                                              fm.horizontalAdvance(QLatin1Char('*')), fm.height());
    // Down the first (blank) character of a column's texts.
    auto across = dark_runs(img, true, m.cell_width + 2 * m.half_char, m.table_top - 10,
                            m.table_top + 7 * m.line_height);
    ASSERT_EQ(across.size(), 7u);
    std::vector<int> thickness;
    for (auto& r : across) thickness.push_back(r.second);
    EXPECT_EQ(thickness, (std::vector<int>{5, 5, 2, 2, 2, 2, 5}));
    // Along a row just under the digits' baseline.
    auto along =
        dark_runs(img, false, m.table_top + 3 * m.line_height + m.inner_offset + fm.ascent() + 2, 0,
                  6 * m.cell_width + 10);
    ASSERT_GE(along.size(), 2u);
    EXPECT_EQ(along[0].second, 3);  // the left frame, half outside the page
    EXPECT_EQ(along[1].second, 5);  // after the header column
}

TEST_F(PrintTest, MapPdfHoldsEveryTextAsText) {
    data.axis_select_no = 4;
    data.boost_map_a[2][3] = -37;
    MapPage page = page_of(map_boost_a);
    ASSERT_TRUE(write_map_pdf(QString::fromStdString(path("map.pdf")), page));
    const std::vector<std::string> lines = lines_of(pdf_text(path("map.pdf")));
    ASSERT_FALSE(lines.empty()) << "pdftotext gave nothing";

    std::vector<std::string> found;
    for (const std::string& l : lines)
        if (!words_of(l).empty()) found.push_back(l);
    ASSERT_GE(found.size(), 2u + 6u);
    EXPECT_EQ(words_of(found[0]), words_of("File Name : -New-"));
    EXPECT_EQ(found[1].rfind("Data Name : Mode ABoost Correction Map A ", 0), 0u) << found[1];
    EXPECT_NE(found[1].find("[kPa]"), std::string::npos);
    // Each table row reads back as the grid's texts, left to right.
    for (int r = 0; r <= 5; ++r) {
        std::vector<std::string> want;
        for (int c = 0; c <= 5; ++c)
            for (const std::string& w : words_of(page.cells[r][c].toStdString())) want.push_back(w);
        EXPECT_EQ(words_of(found[2 + static_cast<size_t>(r)]), want) << "row " << r;
    }
}

TEST_F(PrintTest, ParameterSheetTakesThePressureUnitFromTheData) {
    ParameterSheetTexts t;
    t.caption = QStringLiteral("/tmp/car.PVD");
    t.closeth = QStringLiteral("500");
    t.openth = QStringLiteral("4500");
    t.rev_sampling_on = true;
    t.power = QStringLiteral(": ON");
    t.comment = QStringLiteral("first line\r\nsecond line");
    data.pressure_unit = 1;  // the dialog's selector may show kPa: the stored unit counts
    std::vector<SheetLine> lines = parameter_sheet_lines(t);
    auto line = [&](int n) {
        for (const SheetLine& l : lines)
            if (l.line == n) return l;
        return SheetLine{0, {}, {}};
    };
    EXPECT_EQ(line(1).label, QStringLiteral("File Name : /tmp/car.PVD"));
    EXPECT_EQ(line(5).label, QStringLiteral("Pressure Unit"));
    EXPECT_EQ(line(5).value, QStringLiteral(": PSI"));
    EXPECT_EQ(line(10).value, QStringLiteral(": CLOSE=500[mV] OPEN=4500[mV]"));
    EXPECT_EQ(line(13).value, QStringLiteral(": ON"));
    EXPECT_EQ(line(14).value, QStringLiteral(": OFF"));
    EXPECT_EQ(line(36).label, QStringLiteral(" Control"));
    EXPECT_EQ(line(36).value, QStringLiteral(": ON"));
    EXPECT_EQ(line(46).label, QStringLiteral("Comment"));

    data.pressure_unit = 0;
    QPdfWriter pdf(QString::fromStdString(path("sheet.pdf")));
    prepare_page_device(pdf);
    QPainter p(&pdf);
    PrintParameters(p, t);
    p.end();
    const std::string text = pdf_text(path("sheet.pdf"));
    std::vector<std::string> rows;
    for (const std::string& l : lines_of(text)) rows.push_back(l);
    auto has_row = [&](const std::string& a, const std::string& b) {
        for (const std::string& r : rows) {
            auto w = words_of(r);
            auto wa = words_of(a), wb = words_of(b);
            wa.insert(wa.end(), wb.begin(), wb.end());
            if (w == wa) return true;
        }
        return false;
    };
    EXPECT_TRUE(has_row("Pressure Unit", ": kPa")) << text;
    EXPECT_TRUE(has_row("Comment", ": first line")) << text;
    EXPECT_TRUE(has_row("", "second line")) << text;
    EXPECT_TRUE(has_row("Throttle Parameter", ": CLOSE=500[mV] OPEN=4500[mV]")) << text;
}

class PvdPrint : public PrintTest {
  protected:
    void SetUp() override {
        PrintTest::SetUp();
        pvtool::set_print_command(pvtool::pvd_print);
    }
    void TearDown() override {
        pvtool::set_print_command(nullptr);
        PrintTest::TearDown();
    }
    int pvtool(std::vector<std::string> args) {
        std::ostringstream out, err;
        int status = pvtool::run(std::move(args), {out, err});
        err_ = err.str();
        return status;
    }
    std::string err_;
};

TEST_F(PvdPrint, WritesTheMapPageOfTheNamedTable) {
    SetDefaultData();
    data.axis_select_no = 5;
    data.offset_map_b[1][4] = 123;
    ASSERT_TRUE(WriteDataFile(path("car.PVD")));

    ASSERT_EQ(pvtool({"--lang", "1033", "pvd", "print", path("car.PVD"), path("default.pdf")}), 0)
        << err_;
    std::string first = pdf_text(path("default.pdf"));
    EXPECT_NE(first.find("File Name : " + path("car.PVD")), std::string::npos) << first;
    EXPECT_NE(first.find("RPM Axis"), std::string::npos) << first;  // the list's first table

    ASSERT_EQ(pvtool({"--lang", "1033", "pvd", "print", path("car.PVD"), path("b.pdf"), "--table",
                      "offset_map_b"}),
              0)
        << err_;
    std::string text = pdf_text(path("b.pdf"));
    EXPECT_NE(text.find("Data Name : Mode BOffset Map B"), std::string::npos) << text;
    // Speed + throttle: the speed axis heads the columns, the throttle axis the rows.
    bool found = false;
    for (const std::string& l : lines_of(text)) {
        auto w = words_of(l);
        if (!w.empty() && w[0] == "100") found = w.size() == 6 && w[2] == "123";
    }
    EXPECT_TRUE(found) << text;
}

TEST_F(PvdPrint, RefusesWhatItCannotPrint) {
    SetDefaultData();
    ASSERT_TRUE(WriteDataFile(path("car.PVD")));
    EXPECT_EQ(pvtool({"--lang", "1033", "pvd", "print", path("car.PVD"), path("x.pdf"), "--table",
                      "boost_map_c"}),
              2);
    EXPECT_NE(err_.find("boost_map_c"), std::string::npos);
    EXPECT_EQ(pvtool({"--lang", "1033", "pvd", "print", path("none.PVD"), path("x.pdf")}), 1);
    EXPECT_NE(err_.find("Cannot open file."), std::string::npos);
    EXPECT_EQ(
        pvtool({"--lang", "1033", "pvd", "print", path("car.PVD"), path("no/such/folder/x.pdf")}),
        1);
    EXPECT_NE(err_.find("Cannot save file."), std::string::npos);
    EXPECT_FALSE(fs::exists(path("x.pdf")));
}

TEST_F(PvdPrint, AFailedWriteKeepsTheOldFileAndIsReported) {
    SetDefaultData();
    ASSERT_TRUE(WriteDataFile(path("car.PVD")));
    const std::string keep = path("keep.pdf");
    {
        std::ofstream(keep) << std::string(20000, 'k');
    }
    const std::vector<std::string> print = {"--lang", "1033", "pvd", "print", path("car.PVD"),
                                            keep};
    {
        const test::FullDisk full(4096);
        EXPECT_EQ(pvtool(print), 1);
        EXPECT_EQ(pvtool({"--lang", "1033", "pvd", "print", path("car.PVD"), path("new.pdf")}), 1);
    }
    EXPECT_NE(err_.find("Cannot save file."), std::string::npos) << err_;
    EXPECT_EQ(fs::file_size(keep), 20000u);
    EXPECT_FALSE(fs::exists(path("new.pdf")));
    for (const auto& e : fs::directory_iterator(fs::path(keep).parent_path()))
        EXPECT_EQ(e.path().filename().string().rfind('.', 0), std::string::npos)
            << "left behind: " << e.path();

    // A device takes no file; with room again the print replaces the old one.
    EXPECT_EQ(pvtool({"--lang", "1033", "pvd", "print", path("car.PVD"), "/dev/full"}), 1);
    ASSERT_EQ(pvtool(print), 0) << err_;
    EXPECT_NE(pdf_text(keep).find("RPM Axis"), std::string::npos);
}

}  // namespace
}  // namespace pv
