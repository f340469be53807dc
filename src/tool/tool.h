// pvtool: the console companion. Each command group takes the words after its name.
#pragma once
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "core/ui/prompter.h"

namespace pv {
class Port;
}

namespace pvtool {

// Exit statuses shared by every command.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;  // the operation failed; the system's message is on stderr
inline constexpr int kUsage = 2;   // usage error or refused input

struct Io {
    std::ostream& out;
    std::ostream& err;
};

// Runs one command line (without the program name). Sets the language from --lang or the
// user's locale first.
int run(std::vector<std::string> args, Io io);

int pvd_main(const std::vector<std::string>& args, Io io);
// pvd set FILE NAME=TEXT ... | pvd set --new OUT NAME=TEXT ...
int pvd_set_main(const std::vector<std::string>& args, Io io);

// `pvd print FILE OUT [--table NAME]` draws with Qt, which a build without the windows does
// not have: the program that links the printing registers it, and without it the command
// refuses.
using Command = int (*)(const std::vector<std::string>& args, Io io);
void set_print_command(Command command);
int unit_main(const std::vector<std::string>& args, Io io);
int pvl_main(const std::vector<std::string>& args, Io io);
// history list [--json] | history show N [--json]: the unit's restore points.
int history_main(std::vector<std::string> args, Io io);

// unit record: the log window's START from a terminal; `port` stands in for --port.
int unit_record_main(std::vector<std::string> args, Io io);
int unit_record(std::vector<std::string> args, Io io, pv::Port& port);

// The maps the two corrections are worked out from: a data file's (`file`), or the unit's
// own when `file` is empty; then the unit's map function, and without a file its pressure
// unit. Failures have been said on err.
bool load_correction_maps(const std::string& file, Io io);
// unit_main on a given port instead of the serial device (tests); --port and --com then
// only choose the COM number that messages name.
int unit_command(const std::vector<std::string>& args, Io io, pv::Port* port);

// Removes "--name VALUE" from args; nullopt-like empty string when absent.
bool take_option(std::vector<std::string>& args, const std::string& name, std::string& value);
// Removes "--name" from args; true when it was there.
bool take_flag(std::vector<std::string>& args, const std::string& name);

// A library text converted from the current language's code page to UTF-8 for the console.
// Message boxes also break lines with a lone CR, which a terminal would take as a return to
// the start of the same line: every line break becomes LF.
std::string console_text(const std::string& text8);
// Text read from a file, made safe for a terminal: a line break shows as \n, a backslash as
// \\, every other control character (C0, DEL, C1) as \xHH, so that a file can neither break
// a line nor send the terminal commands of its own.
std::string terminal_safe(std::string_view utf8);
// The same for a JSON text, whose own escapes cover C0 already: DEL and C1 become \u007f to
// \u009f, which still parse as the same characters.
std::string terminal_safe_json(std::string_view json_text);
// One library text as a line of its own.
void say(std::ostream& os, const std::string& text8);

// The console's side of a command that asks nothing: every message goes to `err`, a question
// is declined (No, or Cancel) and an input refused, so nothing is changed behind the user.
class DecliningPrompter : public pv::Prompter {
  public:
    explicit DecliningPrompter(std::ostream& err) : err_(err) {}
    void message(pv::Icon, const std::string& text) override { say(err_, text); }
    pv::Answer ask(pv::Icon, pv::Buttons buttons, const std::string& text) override {
        say(err_, text);
        return buttons == pv::Buttons::YesNo ? pv::Answer::No : pv::Answer::Cancel;
    }
    std::optional<std::string> input(const std::string&, const std::string&,
                                     const std::string&) override {
        return std::nullopt;
    }

  private:
    std::ostream& err_;
};

}  // namespace pvtool
