// Every message box, question and one-line input of the program goes through a Prompter.
// The window program shows modal dialogs, pvtool talks on the console, tests script the
// answers and read back what was shown. Texts are the 8-bit texts of the text library
// (Shift-JIS for Japanese); the implementation decodes them for display.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace pv {

enum class Icon { None, Error, Warning, Information, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

class Prompter {
  public:
    virtual ~Prompter() = default;
    virtual void message(Icon icon, const std::string& text) = 0;
    virtual Answer ask(Icon icon, Buttons buttons, const std::string& text) = 0;
    // A one-line input query; nullopt when the user cancels.
    virtual std::optional<std::string> input(const std::string& caption, const std::string& prompt,
                                             const std::string& initial) = 0;
};

Prompter& prompter();
// Installs a prompter (nullptr restores the silent default). The caller keeps ownership.
void set_prompter(Prompter* p);

// Records every text and answers from a script; the default answers are Ok/Yes-less: a
// question without a scripted answer is answered Cancel (or No for Yes/No), an input nullopt.
class ScriptedPrompter : public Prompter {
  public:
    struct Shown {
        Icon icon;
        std::string text;
    };
    std::vector<Shown> shown;
    std::vector<Answer> answers;                     // consumed front first by ask()
    std::vector<std::optional<std::string>> inputs;  // consumed front first by input()

    void message(Icon icon, const std::string& text) override;
    Answer ask(Icon icon, Buttons buttons, const std::string& text) override;
    std::optional<std::string> input(const std::string& caption, const std::string& prompt,
                                     const std::string& initial) override;
};

}  // namespace pv
