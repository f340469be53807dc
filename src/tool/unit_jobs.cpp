#include "tool/unit_jobs.h"

#include <optional>
#include <ostream>
#include <set>

#include "core/document/datafile.h"
#include "core/document/unit.h"
#include "core/link/link_timer.h"
#include "core/link/lock.h"
#include "core/link/netunit.h"
#include "core/link/transfers.h"
#include "core/ui/clock.h"
#include "core/ui/hooks.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"
#include "platform/serial_port.h"
#include "tool/unit_session.h"

namespace pvtool {

namespace {

constexpr const char* kJobUsage =
    "usage: pvtool unit load-all OUT.PVD      [--port DEVICE | --com N] [ANSWERS]\n"
    "       pvtool unit load-params FILE.PVD  [--port DEVICE | --com N] [ANSWERS]\n"
    "       pvtool unit send-all IN.PVD       [--port DEVICE | --com N] [ANSWERS]\n"
    "       pvtool unit send-params IN.PVD    [--port DEVICE | --com N] [ANSWERS]\n"
    "       pvtool unit lock on|off           [--port DEVICE | --com N] [ANSWERS]\n"
    "       pvtool unit reset                 [--port DEVICE | --com N] [ANSWERS]\n"
    "ANSWERS: --yes | --no       answer every yes/no question (default: No or Cancel)\n"
    "         --lock-number N    answer the data lock number prompts (default: Cancel)\n"
    "A prompt that comes again after a refusal is answered Cancel.\n";

const char* answer_name(pv::Answer a) {
    switch (a) {
        case pv::Answer::Ok:
            return "OK";
        case pv::Answer::Cancel:
            return "Cancel";
        case pv::Answer::Yes:
            return "Yes";
        case pv::Answer::No:
            return "No";
    }
    return "?";
}

// Answers the program's questions from the command line and says on the console how each
// was answered. A question asked a second time is declined, so no command can loop.
class AnsweringPrompter : public pv::Prompter {
  public:
    AnsweringPrompter(Io io, std::optional<bool> yes, std::optional<std::string> lock_number)
        : io_(io), yes_(yes), lock_number_(std::move(lock_number)) {}

    void message(pv::Icon icon, const std::string& text) override {
        bool trouble = icon == pv::Icon::Error || icon == pv::Icon::Warning;
        (trouble ? io_.err : io_.out) << console_text(text) << '\n';
    }

    pv::Answer ask(pv::Icon, pv::Buttons buttons, const std::string& text) override {
        io_.out << console_text(text) << '\n';
        bool yes_no = buttons == pv::Buttons::YesNo || buttons == pv::Buttons::YesNoCancel;
        pv::Answer decline = buttons == pv::Buttons::YesNo ? pv::Answer::No : pv::Answer::Cancel;
        pv::Answer a = decline;
        const char* why = "no --yes or --no given";
        if (!asked_.insert(text).second) {
            why = "asked again";
        } else if (yes_ == true) {
            a = yes_no ? pv::Answer::Yes : pv::Answer::Ok;
            why = "--yes";
        } else if (yes_ == false) {
            a = yes_no ? pv::Answer::No : pv::Answer::Cancel;
            why = "--no";
        }
        io_.out << "  -> " << answer_name(a) << " (" << why << ")\n";
        return a;
    }

    std::optional<std::string> input(const std::string& caption, const std::string& prompt,
                                     const std::string&) override {
        io_.out << console_text(caption) << ": " << console_text(prompt) << '\n';
        if (!asked_.insert(prompt).second) {
            io_.out << "  -> Cancel (asked again)\n";
            return std::nullopt;
        }
        if (!lock_number_) {
            io_.out << "  -> Cancel (no --lock-number given)\n";
            return std::nullopt;
        }
        io_.out << "  -> " << *lock_number_ << " (--lock-number)\n";
        return lock_number_;
    }

  private:
    Io io_;
    std::optional<bool> yes_;
    std::optional<std::string> lock_number_;
    std::set<std::string> asked_;
};

// The window parts of the commands, as far as a console has them: the transfer's progress
// and the copy of what was loaded.
class ConsoleHooks : public pv::TransferProgress, public pv::DocumentFlow {
  public:
    ConsoleHooks(Io io, std::string unit_data_path)
        : io_(io), unit_data_path_(std::move(unit_data_path)) {}

    bool run_progress_dialog(uint8_t kind, const std::function<bool()>& job) override {
        say(io_.out, pv::net_label_text(kind));
        return job();
    }
    void show_processing_dialog() override {
        io_.out << "Processing...\n";
        pv::Delay(pv::kProcessingShowMs);
        pv::Delay(pv::kProcessingCloseWaitMs);
    }
    void save_unit_data() override {
        if (unit_data_path_.empty()) return;
        saved_ = pv::WriteDataFile(unit_data_path_);
        if (!saved_) say(io_.err, pv::msg_text(2));
    }
    bool saved() const { return saved_; }
    pv::FrontEnd front_end() {
        pv::FrontEnd f;
        f.progress = this;
        f.flow = this;
        return f;
    }

  private:
    Io io_;
    std::string unit_data_path_;
    bool saved_ = false;
};

// The document a send or a parameter load works on, as Open would leave it.
bool open_document(const std::string& path, Io io) {
    if (!pv::ReadDataFile(path)) {
        say(io.err, pv::msg_text(1));
        return false;
    }
    pv::state.doc_named = 1;
    pv::state.doc_modified = 0;
    pv::state.doc_is_new = 0;
    return true;
}

struct JobLine {
    std::string command;
    std::string operand;  // file, or on/off
    std::optional<bool> yes;
    std::optional<std::string> lock_number;
    long com = 0;
};

bool parse_job(const std::string& command, std::vector<std::string> args, JobLine& line) {
    line.command = command;
    std::string device, com, lock_number;
    take_option(args, "--port", device);
    if (take_option(args, "--com", com)) {
        long n = 0;
        if (!pv::parse_integer(com, 1, 255, n)) return false;
        line.com = n;
    }
    if (take_option(args, "--lock-number", lock_number)) line.lock_number = lock_number;
    bool yes = take_flag(args, "--yes");
    bool no = take_flag(args, "--no");
    if (yes && no) return false;
    if (yes || no) line.yes = yes;

    bool wants_operand = command != "reset";
    if (args.size() != (wants_operand ? 1u : 0u)) return false;
    if (wants_operand) line.operand = args.front();
    if (line.operand.rfind("--", 0) == 0) return false;
    if (command == "lock") return line.operand == "on" || line.operand == "off";
    return command == "reset" || !line.operand.empty();
}

}  // namespace

bool is_unit_job(const std::string& command) {
    return command == "load-all" || command == "load-params" || command == "send-all" ||
           command == "send-params" || command == "lock" || command == "reset";
}

int unit_job(const std::string& command, std::vector<std::string> args, Io io, pv::Port& port) {
    JobLine line;
    if (!is_unit_job(command) || !parse_job(command, std::move(args), line)) {
        io.err << kJobUsage;
        return kUsage;
    }
    if (line.com != 0) pv::settings.com_port = static_cast<uint8_t>(line.com);

    AnsweringPrompter prompter(io, line.yes, line.lock_number);
    ConsoleHooks hooks(io, command == "load-all" ? line.operand : std::string());
    const pv::FrontEnd views = hooks.front_end();
    UnitSession session(port, prompter, &views);

    bool ok = false;
    if (command == "load-all") {
        pv::SetDefaultData();
        ok = pv::load_all_data() && hooks.saved();
    } else if (command == "load-params") {
        if (!open_document(line.operand, io)) return kFailed;
        pv::state.doc_open = 1;
        ok = pv::load_parameter();
        if (ok && !pv::WriteDataFile(line.operand)) {
            say(io.err, pv::msg_text(2));
            ok = false;
        }
    } else if (command == "send-all") {
        if (!open_document(line.operand, io)) return kFailed;
        ok = pv::send_all_data();
    } else if (command == "send-params") {
        if (!open_document(line.operand, io)) return kFailed;
        pv::state.doc_open = 1;
        ok = pv::send_parameter();
    } else if (command == "lock") {
        ok = line.operand == "on" ? pv::data_lock_on() : pv::data_lock_off();
    } else {
        ok = pv::all_reset();
    }
    return ok ? kOk : kFailed;
}

int unit_job_main(const std::string& command, std::vector<std::string> args, Io io) {
    std::string device;
    std::vector<std::string> probe = args;
    take_option(probe, "--port", device);
    pv::SerialPort serial(device);
    return unit_job(command, std::move(args), io, serial);
}

}  // namespace pvtool
