#include "tool/print/pvd_print.h"

#include <QGuiApplication>
#include <ostream>

#include "app/print/print_pages.h"
#include "core/document/datafile.h"
#include "core/document/unit.h"
#include "core/mapedit/grid_view.h"
#include "core/mapedit/table_pick.h"
#include "core/ui/texts.h"

namespace pvtool {

namespace {

// Fonts need a GUI application; the offscreen platform needs no display.
void ensure_gui() {
    if (QGuiApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "pvtool";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

constexpr const char* kUsageText = "usage: pvtool pvd print FILE.PVD OUT.pdf [--table NAME]\n";

}  // namespace

int pvd_print(const std::vector<std::string>& in, Io io) {
    std::vector<std::string> args = in;
    std::string table_name = pv::table_field_name(pv::table_of(0, 0));
    take_option(args, "--table", table_name);
    if (args.size() != 2) {
        io.err << kUsageText;
        return kUsage;
    }
    const int id = pv::table_of_field_name(table_name);
    if (id == 0) {
        io.err << "pvtool: no table is named \"" << table_name
               << "\" (rpm_axis, speed_axis, throttle_axis, boost_map_a, offset_map_a, "
                  "boost_map_b, offset_map_b)\n";
        return kUsage;
    }
    if (!pv::ReadDataFile(args[0])) {
        say(io.err, pv::msg_text(1));
        return kFailed;
    }
    ensure_gui();
    pv::choose_table(id);
    // The map window's caption is the file name it was opened with.
    const pv::MapPage page = pv::map_page_of_grid(
        QString::fromStdString(args[0]),
        pv::page_text(pv::text(pv::Catalog::Map, static_cast<uint32_t>(pv::table_caption_of(id)))));
    if (!pv::write_map_pdf(QString::fromStdString(args[1]), page)) {
        say(io.err, pv::msg_text(2));
        return kFailed;
    }
    return kOk;
}

}  // namespace pvtool
