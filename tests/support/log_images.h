// Log files written by hand, word by word from the layout tables, into a scratch folder.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace logtest {

using Words = std::vector<uint16_t>;

// A folder of its own for each test, removed afterwards.
class Scratch {
  public:
    Scratch() {
        static int counter = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("pvlog_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(dir_);
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::string dir() const { return dir_.string(); }

  private:
    std::filesystem::path dir_;
};

inline Words cat(std::initializer_list<Words> parts) {
    Words all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

inline void write_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string le_bytes(const Words& words) {
    std::string b;
    for (uint16_t w : words) {
        b += static_cast<char>(w & 0xFF);
        b += static_cast<char>(w >> 8);
    }
    return b;
}

inline void write_words(const std::string& path, const Words& words, const std::string& tail = {}) {
    write_bytes(path, le_bytes(words) + tail);
}

inline std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Header of a current recording: 7 channels, version 1150, 2024-03-07 09:05:02.
inline Words current_header(uint16_t interval, uint16_t rev_flag, uint16_t unit) {
    return {7,      1150,   2024,   3,      7,      9,        5,        2,        0x0201, 0x0302,
            0x0403, 0x0504, 0x0605, 0x0706, 0x0007, interval, interval, rev_flag, unit};
}

// Header of an older file with channels 1, 3 and 7.
inline Words old_header(uint16_t interval, uint16_t rev_flag, uint16_t unit) {
    return {3, 1, 3, 7, interval, interval, rev_flag, unit};
}

}  // namespace logtest
