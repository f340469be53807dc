// The desktop's side of the program: the file types it opens, and handing a file or web
// address to the desktop's default program.
#pragma once
#include <string>

namespace pv {

inline constexpr const char* kDataMimeType = "application/x-pavex5-data";
inline constexpr const char* kLogMimeType = "application/x-pavex5-log";

// Registers the program for the user as the opener of data files (*.PVD) and log files
// (*.PVL): a .desktop file and a shared-mime-info package under $XDG_DATA_HOME (or
// ~/.local/share), and the default opener in $XDG_CONFIG_HOME/mimeapps.list unless the user
// chose another. Descriptions are UTF-8. False when any part could not be written.
bool write_file_associations(const std::string& program_path, const std::string& icon_path,
                             const std::string& data_description,
                             const std::string& log_description);

// The text of the .desktop entry's Exec key for `program_path`, with its quoting rules.
std::string desktop_exec_line(const std::string& program_path);

// Opens a file or an address with the desktop's default program (xdg-open), without
// waiting for it. False when it could not be started.
bool open_with_default_program(const std::string& target);

}  // namespace pv
