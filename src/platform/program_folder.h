// Where the program's own files are: the folder of the program file, and the folder for
// the files it writes beside itself (its settings, the unit's data copy, the recording file).
#pragma once
#include <string>

namespace pv {

// The program file as an absolute path: the running executable, else argument 0 made
// absolute.
std::string program_file_path(const char* argv0);
std::string folder_of(const std::string& path);  // without the trailing slash
// True for a program installed under a prefix (P/bin/pvedit with its files in
// P/share/pvedit); false for a build folder or a copy of the program in a folder of its own,
// which keeps its splash picture beside itself.
bool installed_program(const std::string& program_dir);
// The settings file's folder: `program_dir` for a program in a folder of its own that may
// write there; else, and always once installed (whoever runs it, root too), the user's config
// folder for pvedit ($XDG_CONFIG_HOME/pvedit or ~/.config/pvedit), created when missing.
std::string writable_folder(const std::string& program_dir);
// Where UNITDATA.PVD and TMPLOG.PVL go, by the same rule: `program_dir`, else the user's
// data folder for pvedit ($XDG_DATA_HOME/pvedit or ~/.local/share/pvedit).
std::string writable_data_folder(const std::string& program_dir);
// The folder of the program's own read-only files (splash picture, help pages, icon): beside
// the program in a build folder, the installed share folder (P/share/pvedit for a program in
// P/bin) once installed. Falls back to `program_dir`.
std::string resource_folder(const std::string& program_dir);
bool file_exists(const std::string& path);
bool change_directory(const std::string& dir);

}  // namespace pv
