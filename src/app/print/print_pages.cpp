#include "app/print/print_pages.h"

#include <QBuffer>
#include <QFile>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>

#include "core/document/unit.h"
#include "core/files/file_io.h"
#include "core/mapedit/grid_view.h"
#include "core/ui/texts.h"
#include "platform/codepage.h"

namespace pv {

namespace {

// The canvas places a text by its top-left corner; QPainter by the baseline.
void text_at(QPainter& p, PagePoint at, const QString& t) {
    p.drawText(at.x, at.y + p.fontMetrics().ascent(), t);
}

void rule(QPainter& p, const PageRule& r) {
    QPen pen(Qt::black);
    pen.setWidth(r.width);
    p.setPen(pen);
    p.drawLine(r.x1, r.y1, r.x2, r.y2);
}

void begin_page(QPainter& p, int points) {
    p.setFont(page_font(points));
    p.setBrush(Qt::NoBrush);
    p.setPen(Qt::black);
}

QString prm(uint32_t n) {
    return page_text(text(Catalog::Prm, n));
}

}  // namespace

std::vector<SheetLine> parameter_sheet_lines(const ParameterSheetTexts& t) {
    auto on_off = [](bool on) { return prm(on ? 62 : 61); };
    const QString c = QStringLiteral(": ");
    return {
        {1, prm(108) + t.caption, {}},
        {2, prm(109), {}},
        {4, prm(3), {}},
        {5, prm(12), prm(data.pressure_unit == 1 ? 111 : 110)},
        {6, prm(14), c + t.ext_bypass},
        {8, prm(16), c + t.cyls},
        {9, prm(18), c + t.spdpulse},
        {10, prm(20),
         QStringLiteral(": CLOSE=") + t.closeth + QStringLiteral("[mV] OPEN=") + t.openth +
             QStringLiteral("[mV]")},
        {11, prm(23), c + t.barselect},
        {12, prm(25), c + t.axis_select_no},
        {13, prm(27), on_off(t.rev_sampling_on)},
        {14, prm(31), on_off(t.after_on)},
        {15, prm(35), c + t.backlight_level},
        {16, prm(38), c + t.sampling_time},
        {19, prm(4), {}},
        {20, prm(42), c + t.first_boost},
        {21, prm(40), c + t.normal_boost},
        {22, prm(43), c + t.up_boost_offset},
        {24, prm(45), c + t.setboost_a},
        {25, prm(46), c + t.offset_a},
        {26, prm(47), c + t.setboost_b},
        {27, prm(48), c + t.offset_b},
        {28, prm(49), c + t.sbc_boost},
        {29, prm(51), c + t.sbc_time},
        {30, prm(53), c + t.drop_boost},
        {31, prm(56), c + t.warning_boost},
        {32, prm(59), c + t.barmaxset},
        {35, prm(5), {}},
        {36, prm(60), t.power},
        {37, prm(63), t.study},
        {38, prm(66), t.studyno},
        {39, prm(69), t.valvetype},
        {40, prm(72), t.select},
        {41, prm(75), t.xaxistype},
        {42, prm(78), t.xaxis},
        {43, prm(79), t.yaxis},
        {46, prm(11), c + t.comment},
    };
}

QString page_text(const std::string& bytes) {
    return QString::fromStdString(codepage_to_utf8(bytes, settings.lang_id));
}

QFont page_font(int points) {
    QFont f(QStringLiteral("Monospace"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPointSize(points);
    return f;
}

MapPage map_page_of_grid(const QString& caption, const QString& table_name) {
    MapPage page;
    page.file_line = page_text(text(Catalog::Prm, 108)) + caption;
    page.data_line = page_text(map_page_data_prefix(grid.current_map)) + table_name +
                     QLatin1Char(' ') + page_text(status_axis_text());
    page.cols = grid.grid_cols;
    page.rows = grid.grid_rows;
    for (int r = 0; r <= page.rows; ++r) {
        QStringList row;
        for (int c = 0; c <= page.cols; ++c) {
            if (r == 0 && c == 0)
                row << page_text(corner_text());
            else if (r == 0)
                row << page_text(column_header_text(c));
            else if (c == 0)
                row << page_text(row_header_text(r));
            else
                row << QString::fromStdString(FormatCell(grid.grid_values[c][r - 1]));
        }
        page.cells.push_back(row);
    }
    return page;
}

void prepare_page_device(QPagedPaintDevice& device) {
    device.setPageOrientation(QPageLayout::Landscape);
}

void PrintMap(QPainter& p, const MapPage& page) {
    begin_page(p, map_page_points(page.cols));
    const QFontMetrics fm = p.fontMetrics();
    const MapPageMetrics m = map_page_metrics(fm.horizontalAdvance(QStringLiteral("******")),
                                              fm.horizontalAdvance(QLatin1Char('*')), fm.height());
    const MapPageLayout layout = map_page_layout(m, page.cols, page.rows);
    text_at(p, layout.file_line, page.file_line);
    text_at(p, layout.data_line, page.data_line);
    for (size_t r = 0; r < layout.cells.size() && r < page.cells.size(); ++r)
        for (size_t c = 0; c < layout.cells[r].size(); ++c)
            if (c < static_cast<size_t>(page.cells[r].size()))
                text_at(p, layout.cells[r][c], page.cells[r][static_cast<qsizetype>(c)]);
    for (const PageRule& r : layout.rules) rule(p, r);
    if (page.overlay_cells.empty()) return;

    // The overlay's grid: the cells' colours first, then the figures and the rules over them.
    const MapPageLayout below = map_page_overlay_layout(m, page.cols, page.rows);
    text_at(p, below.file_line, page.overlay_line);
    const int W = m.cell_width, L = m.line_height, T = below.cells[0][0].y - m.inner_offset;
    for (size_t r = 0; r < below.cells.size() && r < page.overlay_cells.size(); ++r)
        for (size_t c = 0; c < below.cells[r].size(); ++c) {
            if (c >= static_cast<size_t>(page.overlay_cells[r].size())) continue;
            QColor ink(Qt::black);
            if (r > 0 && c > 0 && r < page.overlay_fill.size() && c < page.overlay_fill[r].size() &&
                page.overlay_fill[r][c].isValid()) {
                p.fillRect(static_cast<int>(c) * W, static_cast<int>(r) * L + T, W, L,
                           page.overlay_fill[r][c]);
                ink = page.overlay_ink[r][c];
            }
            p.setPen(ink);
            text_at(p, below.cells[r][c], page.overlay_cells[r][static_cast<qsizetype>(c)]);
        }
    for (const PageRule& r : below.rules) rule(p, r);
}

void PrintParameters(QPainter& p, const ParameterSheetTexts& texts) {
    begin_page(p, kSheetPoints);
    const QFontMetrics fm = p.fontMetrics();
    const int label_width = fm.horizontalAdvance(prm(107));
    const int H = parameter_sheet_line_height(fm.height());
    for (const SheetLine& line : parameter_sheet_lines(texts)) {
        text_at(p, {0, line.line * H}, line.label);
        // A multi-line comment goes on down the value column, one line per line.
        const QStringList parts =
            line.value.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
        for (qsizetype k = 0; k < parts.size(); ++k)
            text_at(p, {label_width, (line.line + static_cast<int>(k)) * H}, parts[k]);
    }
}

std::optional<QByteArray> pdf_document(const std::function<void(QPdfWriter&)>& setup,
                                       const std::function<void(QPainter&)>& paint) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        setup(pdf);
        QPainter p;
        if (!p.begin(&pdf)) return std::nullopt;
        paint(p);
        if (!p.end()) return std::nullopt;
    }
    return bytes;
}

bool save_pdf(const QString& path, const QByteArray& bytes) {
    return !path.isEmpty() &&
           save_file(QFile::encodeName(path).toStdString(),
                     std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

bool write_map_pdf(const QString& path, const MapPage& page) {
    const auto bytes = pdf_document(
        [&](QPdfWriter& pdf) {
            prepare_page_device(pdf);
            pdf.setTitle(page.file_line);
            pdf.setCreator(QStringLiteral("pvedit"));
        },
        [&](QPainter& p) { PrintMap(p, page); });
    return bytes && save_pdf(path, *bytes);
}

}  // namespace pv
