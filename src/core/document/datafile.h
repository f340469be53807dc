// The data file: 506 bytes of fixed fields, no magic number, no checksum.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pv {

inline constexpr size_t kDataFileSize = 506;

// Writes the whole document to `path`. The status word comes from the unit when it answers
// (see set_status_reader), else the one held in memory. A failed save leaves the previous
// file intact; the file keeps its mode, owner and links (see save_file). Clears doc_modified
// on success.
bool WriteDataFile(const std::string& path);

// Reads a whole data file into the document. Memory changes only when the file was read
// completely (at least 506 bytes); a failed read leaves the document as it was.
bool ReadDataFile(const std::string& path);

// Reads one table of a data file into grid.compare_values, element (column c, row r) of the
// full 5 x 5 shape at compare_values[c-1][r-1].
bool ReadMapFromFile(const std::string& path, int map_id);

// The byte image of the document as the writer lays it out, and its inverse. The image
// decoder fills a ControllerData without touching the program-wide one.
std::array<uint8_t, kDataFileSize> encode_data_file(const struct ControllerData& d,
                                                    uint16_t status_word);
void decode_data_file(const uint8_t* bytes, struct ControllerData& d);
// Table `map_id` of an image as compare_values would hold it: [column-1][row-1].
void decode_table(const uint8_t* bytes, int map_id, int32_t out[5][5]);

// The status word for the next save. The link installs read_status here; until then, and
// whenever nothing is installed, the unit counts as unknown (0x6603).
void set_status_reader(std::function<uint16_t()> reader);

}  // namespace pv
