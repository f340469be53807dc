// Printing from the main window: the map shown and the parameter dialog's sheet, each read
// from what is on screen at the moment of printing.
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTextEdit>

#include "app/common/qt_prompter.h"
#include "app/mapedit/map.h"
#include "app/mapedit/map_grid.h"
#include "app/mapedit/map_overlay.h"
#include "app/print/print_pages.h"
#include "app/shell/dialogs.h"
#include "app/shell/main.h"
#include "core/document/unit.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

// The text a control of the parameter dialog shows, found by its design name.
QString shown_text(const QWidget& dialog, const char* name) {
    const QWidget* w = dialog.findChild<QWidget*>(QString::fromLatin1(name));
    if (auto* combo = qobject_cast<const QComboBox*>(w)) return combo->currentText();
    if (auto* edit = qobject_cast<const QLineEdit*>(w)) return edit->text();
    if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(w)) return plain->toPlainText();
    if (auto* rich = qobject_cast<const QTextEdit*>(w)) return rich->toPlainText();
    return {};
}

bool checked(const QWidget& dialog, const char* name) {
    auto* b = dialog.findChild<QAbstractButton*>(QString::fromLatin1(name));
    return b && b->isChecked();
}

ParameterSheetTexts sheet_texts(const QWidget& d, const QString& caption) {
    ParameterSheetTexts t;
    t.caption = caption;
    t.ext_bypass = shown_text(d, "cbext_bypass");
    t.cyls = shown_text(d, "cbcyls");
    t.spdpulse = shown_text(d, "cbspdpulse");
    t.closeth = shown_text(d, "edcloseth");
    t.openth = shown_text(d, "edopenth");
    t.barselect = shown_text(d, "cbbarselect");
    t.axis_select_no = shown_text(d, "cbaxis_select_no");
    t.rev_sampling_on = checked(d, "rdrev_sampling_on");
    t.after_on = checked(d, "rdafter_on");
    t.backlight_level = shown_text(d, "edbacklight_level");
    t.sampling_time = shown_text(d, "cbsampling_time");
    t.first_boost = shown_text(d, "edfirst_boost");
    t.normal_boost = shown_text(d, "ednormal_boost");
    t.up_boost_offset = shown_text(d, "edup_boost_offset");
    t.setboost_a = shown_text(d, "edsetboost_a");
    t.offset_a = shown_text(d, "edoffset_a");
    t.setboost_b = shown_text(d, "edsetboost_b");
    t.offset_b = shown_text(d, "edoffset_b");
    t.sbc_boost = shown_text(d, "edsbc_boost");
    t.sbc_time = shown_text(d, "edsbc_time");
    t.drop_boost = shown_text(d, "eddrop_boost");
    t.warning_boost = shown_text(d, "edwarning_boost");
    t.barmaxset = shown_text(d, "edbarmaxset");
    t.power = shown_text(d, "lbpower");
    t.study = shown_text(d, "lbstudy");
    t.studyno = shown_text(d, "lbstudyno");
    t.valvetype = shown_text(d, "lbvalvetype");
    t.select = shown_text(d, "lbselect");
    t.xaxistype = shown_text(d, "lbxaxistype");
    t.xaxis = shown_text(d, "lbxaxis");
    t.yaxis = shown_text(d, "lbyaxis");
    t.comment = shown_text(d, "mmcomment");
    return t;
}

// The overlay's grid under the map's, with the same headers, when the overlay is drawn.
void add_overlay(MapPage& page, const OverlayLook& look) {
    if (!look.drawn) return;
    page.overlay_line = page_text(overlay_print_line(look));
    page.overlay_cells = page.cells;
    page.overlay_fill.assign(page.cells.size(), std::vector<QColor>(page.cols + 1));
    page.overlay_ink = page.overlay_fill;
    for (int r = 1; r <= page.rows; ++r)
        for (int c = 1; c <= page.cols; ++c) {
            const OverlayCell& cell = look.cells[c - 1][r - 1];
            page.overlay_cells[r][c] = QString::fromStdString(cell.figure);
            if (!cell.filled) continue;
            page.overlay_fill[r][c] = overlay_qcolor(cell.fill);
            page.overlay_ink[r][c] = overlay_qcolor(cell.ink);
        }
}

}  // namespace

bool Tmain::print_page(const std::function<void(QPainter&)>& page) {
    const QString where = printer_->outputFileName();
    const auto refused = [&] {
        prompter().message(Icon::Error, where.isEmpty()
                                            ? std::string("The printer could not be started.")
                                            : msg_text(2) + "\r\n" + where.toStdString());
        return false;
    };
    // A PDF file is drawn whole first and then saved as every other file is, so that a full
    // disk or a failed write leaves the file that was there and says so.
    if (printer_->outputFormat() == QPrinter::PdfFormat && !where.isEmpty()) {
        const auto bytes = pdf_document(
            [&](QPdfWriter& pdf) {
                pdf.setPageLayout(printer_->pageLayout());
                pdf.setResolution(printer_->resolution());
                pdf.setTitle(printer_->docName());
                pdf.setCreator(printer_->creator());
            },
            page);
        return bytes && save_pdf(where, *bytes) ? true : refused();
    }
    QPainter painter;
    if (!painter.begin(printer_.get())) return refused();
    page(painter);
    painter.end();
    return true;
}

void Tmain::print_map() {
    if (!map_) return;
    MapGridModel& cells = *map_->sgmap->cells();
    MapPage page;
    page.file_line = page_text(text(Catalog::Prm, 108)) + map_->windowTitle();
    page.data_line = page_text(map_page_data_prefix(grid.current_map)) + status_text(1) +
                     QLatin1Char(' ') + status_text(2);
    page.cols = cells.columnCount();
    page.rows = cells.rowCount();
    for (int r = 0; r <= page.rows; ++r) {
        QStringList row;
        for (int c = 0; c <= page.cols; ++c) {
            if (r == 0 && c == 0)
                row << cells.corner();
            else if (r == 0)
                row << cells.headerData(c - 1, Qt::Horizontal, Qt::DisplayRole).toString();
            else if (c == 0)
                row << cells.headerData(r - 1, Qt::Vertical, Qt::DisplayRole).toString();
            else
                row << cells.cell(c, r);
        }
        page.cells.push_back(row);
    }
    add_overlay(page, map_->overlay());
    print_page([&](QPainter& p) { PrintMap(p, page); });
}

bool Tmain::print_parameter_sheet(const QWidget& prmdlg) {
    if (!printer_ || !dialogs_->print_setup(const_cast<QWidget*>(&prmdlg), *printer_)) return false;
    const QString caption = map_ ? map_->windowTitle() : QString();
    const ParameterSheetTexts texts = sheet_texts(prmdlg, caption);
    return print_page([&](QPainter& p) { PrintParameters(p, texts); });
}

}  // namespace pv
