// Message boxes and the one-line input query of the window program, and the decoding of
// the text library's 8-bit texts for display.
#pragma once
#include <QString>
#include <string>

#include "core/ui/prompter.h"

class QWidget;

namespace pv {

// A text of the text library (or any 8-bit text in the language's code page) for display:
// code page 932 for Japanese, Windows-1252 otherwise. Bare CRs are line breaks.
QString ui_text(const std::string& bytes);
// The inverse for texts the user typed; nullopt when the code page cannot hold them.
std::optional<std::string> ui_bytes(const QString& text);

class QtPrompter : public Prompter {
  public:
    // Dialogs open over `parent_finder()`'s window (the active window when it gives null).
    void message(Icon icon, const std::string& text) override;
    Answer ask(Icon icon, Buttons buttons, const std::string& text) override;
    std::optional<std::string> input(const std::string& caption, const std::string& prompt,
                                     const std::string& initial) override;
};

}  // namespace pv
