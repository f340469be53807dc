// The common file and print dialogs of the shell. The program shows Qt's dialogs; window
// tests script the answers.
#pragma once
#include <QString>
#include <optional>
#include <string>

class QWidget;
class QPrinter;

namespace pv {

class ShellDialogs {
  public:
    virtual ~ShellDialogs() = default;
    // `initial` is the dialog's file name: a file, or a folder followed by "*.PVD".
    // The open dialog returns only existing files; the save dialog has asked before
    // overwriting and added the default extension.
    virtual std::optional<std::string> open_data_file(QWidget* parent,
                                                      const std::string& initial) = 0;
    virtual std::optional<std::string> save_data_file(QWidget* parent,
                                                      const std::string& initial) = 0;
    virtual bool print_setup(QWidget* parent, QPrinter& printer) = 0;
    // The log windows' file dialogs. `filter8` is the text library's filter
    // ("name|*.PVL|name|*.TXT"). The save dialog adds ".PVL" when no extension was given.
    virtual std::optional<std::string> open_log_file(QWidget* parent, const std::string& initial,
                                                     const std::string& filter8) = 0;
    virtual std::optional<std::string> save_log_file(QWidget* parent, const std::string& initial,
                                                     const std::string& filter8) = 0;
};

// The filter of the data-file Open and Save As dialogs.
QString data_file_filter();

class QtShellDialogs : public ShellDialogs {
  public:
    std::optional<std::string> open_data_file(QWidget* parent, const std::string& initial) override;
    std::optional<std::string> save_data_file(QWidget* parent, const std::string& initial) override;
    bool print_setup(QWidget* parent, QPrinter& printer) override;
    std::optional<std::string> open_log_file(QWidget* parent, const std::string& initial,
                                             const std::string& filter8) override;
    std::optional<std::string> save_log_file(QWidget* parent, const std::string& initial,
                                             const std::string& filter8) override;
};

}  // namespace pv
