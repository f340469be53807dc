#include "tool/tool.h"

#include <cstdio>
#include <ostream>

#include "core/document/unit.h"
#include "core/settings/settings_file.h"
#include "core/ui/about.h"
#include "platform/codepage.h"
#include "platform/language.h"
#include "platform/program_folder.h"

namespace pvtool {

namespace {

constexpr const char* kUsageText =
    "usage: pvtool [--lang ID] COMMAND ...\n"
    "       pvtool --help | --version\n"
    "  pvd new OUT              write a New document as a data file\n"
    "  pvd dump FILE            print a data file as JSON\n"
    "  pvd build IN.json OUT    write a data file from the New defaults and a JSON object\n"
    "  pvd set FILE NAME=TEXT ...       change parameters as the parameter dialog would:\n"
    "  pvd set --new OUT NAME=TEXT ...  NAME a document field (setboost_a, barselect, ...),\n"
    "                           TEXT as typed into the field or a list entry (PSI, Speed, ON);\n"
    "                           warning_boost and drop_boost also take ON and OFF; prints\n"
    "                           NAME<TAB>TEXT of every field; in the comment\n"
    "                           a line break prints as \\n and a backslash as \\\\\n"
    "  pvd diff A.PVD B.PVD [--json]          what differs between two data files\n"
    "  pvd print FILE OUT.pdf [--table NAME]  the map page of one table as a PDF file\n"
    "  pvl info FILE.PVL        print a log file's header as JSON\n"
    "  pvl export FILE.PVL OUT.TXT   write a log file as tab-separated text\n"
    "  pvl export --csv FILE.PVL OUT.csv   write a log file's samples as CSV\n"
    "  pvl cells LOG.PVL DOC.PVD [--set A|B] [--marked | --throttle-above N] [--json]\n"
    "                           time and pressure in each map cell\n"
    "  unit status|versions|poll [--port DEVICE | --com N] [--count N] [--file DATA.PVD]\n"
    "                           [--monitor]\n"
    "  unit diff FILE.PVD [--json]  what Send All Data would change on the unit (reads only)\n"
    "  unit load-all OUT.PVD | load-params FILE.PVD | send-all IN.PVD | send-params IN.PVD\n"
    "  unit lock on|off | reset  [--yes | --no] [--lock-number N] [--port DEVICE | --com N]\n"
    "  unit record OUT.PVL [--samples N] [--file DATA.PVD] [--mark-throttle PCT]\n"
    "                           [--port DEVICE | --com N]\n"
    "  unit detect [--ports-root DIR]  the first port whose unit answers (reads only)\n"
    "  history list [--json]    the unit's restore points, newest first (Load All Data and\n"
    "                           every send keep one; send one back with unit send-all FILE)\n"
    "  history show N [--json]  what restore point N changed against the one before\n";

// The window program's settings file decides the COM port, the device behind each COM number
// and the frame header byte, so that pvtool talks to the unit exactly as pvedit would.
void read_program_settings() {
    std::string program_dir = pv::folder_of(pv::program_file_path(""));
    pv::IniFile ini;
    ini.load(pv::writable_folder(program_dir) + "/pvedit.INI");
    pv::ShellSettings shell;
    pv::read_settings(ini, program_dir, shell);
    // The same folder as the window program's, so that either can send back what the other kept.
    pv::settings.history_folder = pv::writable_data_folder(program_dir) + "/history";
}

}  // namespace

bool take_option(std::vector<std::string>& args, const std::string& name, std::string& value) {
    for (size_t k = 0; k + 1 < args.size(); ++k) {
        if (args[k] == name) {
            value = args[k + 1];
            args.erase(args.begin() + static_cast<long>(k),
                       args.begin() + static_cast<long>(k) + 2);
            return true;
        }
    }
    return false;
}

bool take_flag(std::vector<std::string>& args, const std::string& name) {
    for (size_t k = 0; k < args.size(); ++k) {
        if (args[k] == name) {
            args.erase(args.begin() + static_cast<long>(k));
            return true;
        }
    }
    return false;
}

std::string console_text(const std::string& text8) {
    std::string t = pv::codepage_to_utf8(text8, pv::settings.lang_id), out;
    for (size_t k = 0; k < t.size(); ++k) {
        if (t[k] != '\r')
            out += t[k];
        else if (k + 1 >= t.size() || t[k + 1] != '\n')
            out += '\n';
    }
    return out;
}

namespace {

// The code point of a UTF-8 C1 control (U+0080..U+009F) starting at `k`, or -1.
int c1_at(std::string_view t, size_t k) {
    if (k + 1 < t.size() && static_cast<unsigned char>(t[k]) == 0xC2) {
        const auto next = static_cast<unsigned char>(t[k + 1]);
        if (next >= 0x80 && next <= 0x9F) return next;
    }
    return -1;
}

std::string hex_escape(const char* form, int code) {
    char buf[8];
    std::snprintf(buf, sizeof buf, form, code);
    return buf;
}

}  // namespace

std::string terminal_safe(std::string_view t) {
    std::string out;
    out.reserve(t.size());
    for (size_t k = 0; k < t.size(); ++k) {
        const auto c = static_cast<unsigned char>(t[k]);
        if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else if (c < 0x20 || c == 0x7F)
            out += hex_escape("\\x%02x", c);
        else if (const int c1 = c1_at(t, k); c1 >= 0) {
            out += hex_escape("\\x%02x", c1);
            ++k;
        } else
            out += t[k];
    }
    return out;
}

std::string terminal_safe_json(std::string_view t) {
    std::string out;
    out.reserve(t.size());
    for (size_t k = 0; k < t.size(); ++k) {
        if (t[k] == 0x7F)
            out += "\\u007f";
        else if (const int c1 = c1_at(t, k); c1 >= 0) {
            out += hex_escape("\\u%04x", c1);
            ++k;
        } else
            out += t[k];
    }
    return out;
}

void say(std::ostream& os, const std::string& text8) {
    os << console_text(text8) << '\n';
}

int run(std::vector<std::string> args, Io io) {
    std::string lang;
    if (take_option(args, "--lang", lang)) {
        long id = 0;
        if (!pv::parse_integer(lang, 0, 0xFFFF, id)) {
            io.err << "pvtool: --lang needs a language identifier such as 1033 or 1041\n";
            return kUsage;
        }
        pv::settings.lang_id = static_cast<uint16_t>(id);
    } else {
        pv::settings.lang_id = pv::user_lang_id();
    }
    pv::InitState();
    read_program_settings();

    if (args.empty()) {
        io.err << kUsageText;
        return kUsage;
    }
    std::string group = args.front();
    args.erase(args.begin());
    if (group == "pvd") return pvd_main(args, io);
    if (group == "unit") return unit_main(args, io);
    if (group == "pvl") return pvl_main(args, io);
    if (group == "history") return history_main(args, io);
    if (group == "--help" || group == "help") {
        io.out << kUsageText;
        return kOk;
    }
    if (group == "--version" && args.empty()) {
        io.out << "pvtool " << pv::program_version_text() << '\n';
        return kOk;
    }
    io.err << kUsageText;
    return kUsage;
}

}  // namespace pvtool
