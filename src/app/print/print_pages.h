// The two printed pages, each drawn by one function over a QPainter, so that the printer,
// a PDF file and an image draw the same page. Texts are drawn as text: a PDF keeps them
// selectable and searchable.
#pragma once
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/print/page_layout.h"

class QPainter;
class QPagedPaintDevice;
class QPdfWriter;

namespace pv {

// The map page as the map window shows it: the two title lines and the grid's texts,
// cells[r][c] with row 0 and column 0 the headers.
struct MapPage {
    QString file_line;
    QString data_line;
    int cols = 0;
    int rows = 0;
    std::vector<QStringList> cells;
    // The log overlay, when it is on and drawn: a second grid of the chosen figures under its
    // title line, laid out as `cells` (headers in row 0 and column 0), each data cell on its
    // colour (an invalid colour: none) in its ink.
    QString overlay_line;
    std::vector<QStringList> overlay_cells;
    std::vector<std::vector<QColor>> overlay_fill;  // [r][c], data cells from 1
    std::vector<std::vector<QColor>> overlay_ink;
};

// The page of the table in the grid working area, from the texts the map window fills its
// grid with, under the map window's caption and the table's list entry as shown.
MapPage map_page_of_grid(const QString& caption, const QString& table_name);

// What the parameter dialog shows when the sheet is printed: the current texts of its
// controls and the state of its radio buttons.
struct ParameterSheetTexts {
    QString caption;  // the map window's caption
    QString ext_bypass, cyls, spdpulse, closeth, openth, barselect, axis_select_no;
    bool rev_sampling_on = false;
    bool after_on = false;
    QString backlight_level, sampling_time;
    QString first_boost, normal_boost, up_boost_offset;
    QString setboost_a, offset_a, setboost_b, offset_b;
    QString sbc_boost, sbc_time, drop_boost, warning_boost, barmaxset;
    // The valve-condition captions carry their own ": ".
    QString power, study, studyno, valvetype, select, xaxistype, xaxis, yaxis;
    QString comment;
};

struct SheetLine {
    int line;  // from 1
    QString label;
    QString value;
};
// Every printed line of the sheet in order; empty lines are left out. The pressure unit
// line follows the stored unit (data.pressure_unit), not the dialog's unit selector.
std::vector<SheetLine> parameter_sheet_lines(const ParameterSheetTexts& t);

// The fixed-pitch face the pages are printed in.
QFont page_font(int points);
// An 8-bit text of the current language as a QString.
QString page_text(const std::string& bytes);

// Sets the landscape orientation the pages are laid out for.
void prepare_page_device(QPagedPaintDevice& device);

// The map page on an active painter.
void PrintMap(QPainter& painter, const MapPage& page);
// The parameter sheet on an active painter.
void PrintParameters(QPainter& painter, const ParameterSheetTexts& texts);

// A PDF drawn by `paint` on a writer that `setup` has prepared, held in memory so that a file
// is only touched once the whole document exists. Nothing when the painter cannot start.
std::optional<QByteArray> pdf_document(const std::function<void(QPdfWriter&)>& setup,
                                       const std::function<void(QPainter&)>& paint);
// Puts a PDF in place at `path` all or nothing, as every other save: a full disk or a device
// leaves the old file as it was and gives false.
bool save_pdf(const QString& path, const QByteArray& bytes);

// Writes the map page as a one-page PDF. False when the file cannot be written.
bool write_map_pdf(const QString& path, const MapPage& page);

}  // namespace pv
