#include "core/ui/prompter.h"

namespace pv {
namespace {

// Used until a front end installs its own: shows nothing, declines every question.
class SilentPrompter : public Prompter {
  public:
    void message(Icon, const std::string&) override {}
    Answer ask(Icon, Buttons buttons, const std::string&) override {
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
    std::optional<std::string> input(const std::string&, const std::string&,
                                     const std::string&) override {
        return std::nullopt;
    }
};

SilentPrompter silent;
Prompter* current = &silent;

}  // namespace

Prompter& prompter() {
    return *current;
}
void set_prompter(Prompter* p) {
    current = p ? p : &silent;
}

void ScriptedPrompter::message(Icon icon, const std::string& text) {
    shown.push_back({icon, text});
}

Answer ScriptedPrompter::ask(Icon icon, Buttons buttons, const std::string& text) {
    shown.push_back({icon, text});
    if (answers.empty()) return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    Answer a = answers.front();
    answers.erase(answers.begin());
    return a;
}

std::optional<std::string> ScriptedPrompter::input(const std::string& caption,
                                                   const std::string& prompt, const std::string&) {
    shown.push_back({Icon::None, caption + "|" + prompt});
    if (inputs.empty()) return std::nullopt;
    auto v = inputs.front();
    inputs.erase(inputs.begin());
    return v;
}

}  // namespace pv
