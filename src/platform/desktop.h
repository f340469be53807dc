// The desktop's side of the program: the file types it opens, and handing a file or web
// address to the desktop's default program.
#pragma once
#include <string>

namespace pv {

inline constexpr const char* kDataMimeType = "application/x-pavex5-data";
inline constexpr const char* kLogMimeType = "application/x-pavex5-log";

// The desktop id of a program run from a build folder or a copied folder: one of its own for
// each folder ("pvedit-local-" and a hash of the path), never the installed package's
// org.pvedit.pvedit.desktop.
std::string local_desktop_id(const std::string& program_path);

// Registers a program that is not installed as an opener of data files and log files (any
// case of *.pvd and *.pvl), for the user: a hidden .desktop entry under its own id and a
// shared-mime-info package under $XDG_DATA_HOME (or ~/.local/share). A file type that another
// desktop entry already opens is left to it: the entry does not list it, and the default in
// $XDG_CONFIG_HOME/mimeapps.list is only taken for a type without one (and given back once
// another entry handles the type). An installed program calls none of this: its package ships
// the entry and the types. Descriptions are UTF-8. False when any part could not be written.
bool write_file_associations(const std::string& program_path, const std::string& icon_path,
                             const std::string& data_description,
                             const std::string& log_description);

// Whether a desktop entry's text lists `type` in its MimeType key.
bool entry_lists_type(const std::string& entry_text, const std::string& type);

// The text of the .desktop entry's Exec key for `program_path`, with its quoting rules.
std::string desktop_exec_line(const std::string& program_path);

// Opens a file or an address with the desktop's default program (xdg-open), without
// waiting for it. False when it could not be started.
bool open_with_default_program(const std::string& target);

}  // namespace pv
