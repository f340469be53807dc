// The map grid's log overlay in the real windows: View > Log Overlay over the data log that
// is open, the legend beside the grid, the cells' colours, tooltips and what a screen reader
// hears, the filters and the comparison log, the live trace on top, and the printed page.
#include "app/mapedit/map_overlay.h"

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QToolButton>

#include "app/logging/log.h"
#include "app/mapedit/map.h"
#include "app/mapedit/map_grid.h"
#include "app/print/print_pages.h"
#include "app_fixture.h"
#include "core/logging/log_file.h"
#include "core/mapedit/live_cursor.h"

namespace pv::test {

namespace {

class MapOverlayTest : public AppTest {
  protected:
    // A document in rpm x throttle mode showing Boost Correction Map A, and a data log of
    // (rev, throttle, pressure, marking) samples open beside it.
    Tmap& document_with_log(const std::vector<std::array<uint16_t, 4>>& samples) {
        start();
        main->menunewClick();
        Tmap* map = main->map_window();
        EXPECT_NE(map, nullptr);
        data.axis_select_no = 4;  // rpm 1000 .. 7000 across, throttle 0 .. 100 down
        map->rebuild_after_parameters();
        map->lvmap1->setCurrentRow(1);
        map->lvmap2->setCurrentRow(0);
        std::vector<uint16_t> w = log_header_words({2024, 3, 7, 9, 5, 2}, 100, 1, 0);
        for (const auto& x : samples) w.insert(w.end(), {x[2], 0, x[0], x[1], 0, 100, x[3]});
        const std::string p = (root / "docs" / "drive.PVL").string();
        LogWriter out;
        EXPECT_TRUE(out.create(p));
        out.write_words(w);
        out.close();
        dialogs.log_open_answers = {p};
        main->btnlogClick();
        for (QMdiSubWindow* s : main->mdi_area()->subWindowList())
            if (auto* l = qobject_cast<Tlog*>(s)) l->btnopen->click();
        return *map;
    }
    static QString tip(Tmap& map, int column, int row) {
        return map.sgmap->model()->index(row - 1, column - 1).data(Qt::ToolTipRole).toString();
    }
    // How many pixels of cell (column, row) show `colour`.
    static int pixels(Tmap& map, int column, int row, const QColor& colour) {
        const QImage shot = map.sgmap->viewport()->grab().toImage();
        const QRect r = map.sgmap->visualRect(map.sgmap->model()->index(row - 1, column - 1));
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) n += QColor(shot.pixel(x, y)) == colour;
        return n;
    }
    QAction* item(const char* name) { return main->action(QString::fromLatin1(name)); }
};

// 1000 rpm at 0 %: three samples (10.0, 30.0, -5.0 kPa, one marked); 4000 rpm at 100 %: one
// marked sample of 110.0 kPa.
const std::vector<std::array<uint16_t, 4>> kDrive = {
    {10, 0, 100, 0}, {10, 0, 300, 255}, {11, 5, 65486, 0}, {40, 100, 1100, 255}};

TEST_F(MapOverlayTest, TheMenuColoursTheGridFromTheDataLogWithLegendAndTooltips) {
    Tmap& map = document_with_log(kDrive);
    ASSERT_EQ(grid.current_map, map_boost_a);
    EXPECT_FALSE(map.lbloverlay->isVisible()) << "off by default";
    EXPECT_TRUE(tip(map, 1, 1).isEmpty());
    const int before = map.overlay_tally().computations();

    ASSERT_NE(item("mov1"), nullptr);
    item("mov1")->trigger();  // Time in Cell
    EXPECT_EQ(settings.overlay_choice, 1);
    EXPECT_TRUE(map.lbloverlay->isVisible());
    EXPECT_EQ(map.lbloverlay->title->text(), QStringLiteral("Time in cell [s]"));
    EXPECT_EQ(map.lbloverlay->high->text(), QStringLiteral("0.3"));
    EXPECT_EQ(map.lbloverlay->source->text(), QStringLiteral("Data Log"));
    EXPECT_EQ(
        tip(map, 1, 1),
        QStringLiteral("Time: 0.3 s\nSamples: 3\nMean boost: 11.7 kPa\nPeak boost: 30.0 kPa"));
    EXPECT_EQ(tip(map, 2, 1),
              QStringLiteral("Time: 0.0 s\nSamples: 0\nMean boost: -\nPeak boost: -"));
    // Cell (3, 5) is not selected: its background is the scale's colour for 0.1 of 0.3 s.
    const QColor third = overlay_qcolor(overlay_colour(1.0 / 3));
    EXPECT_GT(pixels(map, 3, 5, third), 20);
    EXPECT_EQ(pixels(map, 2, 1, third), 0);

    // A screen reader hears the cell's figures as its description.
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(map.sgmap);
    ASSERT_TRUE(table && table->tableInterface());
    QAccessibleInterface* cell = table->tableInterface()->cellAt(0, 0);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Description), tip(map, 1, 1));

    // Another choice reuses the tally; a filter works it out again.
    item("mov3")->trigger();  // Peak Boost
    EXPECT_EQ(map.lbloverlay->title->text(), QStringLiteral("Peak boost [kPa]"));
    EXPECT_EQ(map.overlay_tally().computations(), before + 1);
    item("movf1")->trigger();  // marked samples only
    EXPECT_EQ(map.overlay_tally().computations(), before + 2);
    EXPECT_EQ(map.lbloverlay->filter->text(), QStringLiteral("Marked samples only"));
    EXPECT_EQ(tip(map, 1, 1).section(QLatin1Char('\n'), 1, 1), QStringLiteral("Samples: 1"));

    // Above a throttle opening typed in: a wrong number keeps the filter.
    prompts.inputs = {std::string("150")};
    item("movf2")->trigger();
    EXPECT_EQ(settings.overlay_filter, 1);
    EXPECT_EQ(texts().back(), "Invalid value.");
    prompts.inputs = {std::string("50")};
    item("movf2")->trigger();
    EXPECT_EQ(settings.overlay_filter, 2);
    EXPECT_EQ(settings.overlay_throttle, 50);
    EXPECT_EQ(map.lbloverlay->filter->text(), QStringLiteral("Throttle above 50 %"));
    EXPECT_TRUE(tip(map, 1, 1).contains(QStringLiteral("Samples: 0")));

    // The comparison log is not open: the legend says so and no cell is coloured.
    item("movlog1")->trigger();
    EXPECT_EQ(map.lbloverlay->note->text(), QStringLiteral("No comparison log is open."));
    EXPECT_EQ(map.overlay_cell(4, 5), nullptr);
    EXPECT_TRUE(tip(map, 4, 5).isEmpty());

    item("mov0")->trigger();
    EXPECT_FALSE(map.lbloverlay->isVisible());
}

// The live trace frames its cells in green over the overlay instead of covering it, and the
// overlay's grid is printed under the map's.
TEST_F(MapOverlayTest, TraceFramesTheOverlayAndThePageCarriesItsGrid) {
    Tmap& map = document_with_log(kDrive);
    item("mov1")->trigger();
    const OverlayCell* c = map.overlay_cell(3, 5);
    ASSERT_NE(c, nullptr);
    const QColor fill = overlay_qcolor(c->fill);
    state.link_on = 1;
    cursors.trace_on = 1;
    cursors.trace_marks[2][4] = 5;
    map.repaint_grid();
    EXPECT_GT(pixels(map, 3, 5, QColor(0, 160, 0)), 10);
    EXPECT_GT(pixels(map, 3, 5, fill), 10) << "the overlay still shows inside the frame";
    EXPECT_EQ(pixels(map, 3, 5, QColor(0, 255, 0)), 0);
    cursors.trace_on = 0;
    state.link_on = 0;

    // The page: a second grid under the map's, its cells on their colours.
    MapPage page = map_page_of_grid(QStringLiteral("doc"), QStringLiteral("Map"));
    page.overlay_line = QStringLiteral("Log overlay");
    page.overlay_cells = page.cells;
    page.overlay_fill.assign(page.cells.size(), std::vector<QColor>(page.cols + 1));
    page.overlay_ink = page.overlay_fill;
    page.overlay_fill[5][3] = fill;
    page.overlay_ink[5][3] = Qt::black;
    QImage plain(1400, 1000, QImage::Format_RGB32), with(plain.size(), QImage::Format_RGB32);
    for (QImage* img : {&plain, &with}) {
        img->fill(Qt::white);
        QPainter p(img);
        MapPage shown = page;
        if (img == &plain) shown.overlay_cells.clear();
        PrintMap(p, shown);
    }
    int filled = 0, differ = 0;
    for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x) {
            filled += QColor(with.pixel(x, y)) == fill;
            differ += with.pixel(x, y) != plain.pixel(x, y);
        }
    EXPECT_GT(filled, 50);
    EXPECT_GT(differ, filled) << "rules and figures of the second grid";

    // Printing to a PDF file with the overlay on goes through as before.
    dialogs.print_to = (root / "docs" / "map.pdf").string();
    main->menuprintClick();
    EXPECT_TRUE(fs::exists(dialogs.print_to));
}

}  // namespace
}  // namespace pv::test
