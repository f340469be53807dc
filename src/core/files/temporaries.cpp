#include "core/files/temporaries.h"

#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>
#include <cstring>

namespace pv {
namespace {

// A handful is plenty: a command writes one or two files at a time. A name that finds no
// free slot is simply not removed by a signal.
constexpr size_t kSlots = 16;
std::array<std::atomic<char*>, kSlots> names{};

extern "C" void remove_and_end(int signal_number) {
    remove_temporaries();
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

}  // namespace

TemporaryName::TemporaryName(const std::string& path) {
    char* copy = new char[path.size() + 1];
    std::memcpy(copy, path.c_str(), path.size() + 1);
    for (size_t k = 0; k < kSlots; ++k) {
        char* expected = nullptr;
        if (names[k].compare_exchange_strong(expected, copy)) {
            slot_ = static_cast<int>(k);
            return;
        }
    }
    delete[] copy;
}

TemporaryName::~TemporaryName() {
    release();
}

void TemporaryName::release() {
    if (slot_ < 0) return;
    delete[] names[static_cast<size_t>(slot_)].exchange(nullptr);
    slot_ = -1;
}

void remove_temporaries() noexcept {
    for (auto& name : names)
        if (const char* path = name.load()) ::unlink(path);
}

void remove_temporaries_on_termination() {
    struct sigaction sa {};
    sa.sa_handler = remove_and_end;
    sigemptyset(&sa.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &sa, nullptr);
}

}  // namespace pv
