#include "core/logging/log_viewer.h"

#include <filesystem>

#include "core/logging/log_export.h"
#include "core/logging/recorder.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {

std::string LogViewer::placeholder() const {
    return text(Catalog::Log, side_.placeholder_text);
}

std::string LogViewer::missing_text() const {
    return caption_ + msg_text(33);
}

bool LogViewer::load(int chart_width) {
    reset_view(view_, chart_width);
    view_.name_row_offset = 0;
    LogHeader h;
    LogRead result = read_log_header(caption_, h);
    if (result == LogRead::ok) {
        header_ = h;
        set_channel_present(header_);
        return true;
    }
    header_ = LogHeader{};
    if (result == LogRead::missing) {
        if (shows_file()) prompter().message(Icon::Error, missing_text());
    } else {
        // Nothing of a file that cannot be laid out is shown; the message says why.
        prompter().message(Icon::Error, msg_text(1));
        caption_ = placeholder();
    }
    return false;
}

bool LogViewer::paints() const {
    if (side_.records && recording.logging_active) return false;
    return shows_file() && header_.n > 0 && header_.last_index >= 1;
}

bool LogViewer::read_visible(std::vector<int16_t>& samples) const {
    samples.clear();
    LogReader r;
    if (r.open(caption_) == LogRead::missing) return false;
    if (!r.is_open() || r.header().n != header_.n) return true;
    r.read_samples(view_.first, visible_count(view_, last_index()), samples);
    return true;
}

bool LogViewer::read_cursor_sample(std::vector<int16_t>& sample) const {
    sample.clear();
    LogReader r;
    if (r.open(caption_) == LogRead::missing) return false;
    if (!r.is_open() || r.header().n != header_.n) return true;
    r.read_samples(cursor_sample(view_), 1, sample);
    return true;
}

void LogViewer::push_cursor_values(const std::vector<int16_t>& sample,
                                   const std::function<void()>& moved) const {
    push_live_values(header_, sample, *side_.live_target, moved);
}

LogViewer::SaveResult LogViewer::save(const std::string& chosen) {
    switch (save_kind(chosen, caption_)) {
        case SaveKind::none:
            return SaveResult::nothing;
        case SaveKind::copy:
            if (!copy_log_file(caption_, chosen)) break;
            caption_ = chosen;
            settings.log_dir = log_folder_of(chosen);
            return SaveResult::saved;
        case SaveKind::text:
            if (!export_log_text(caption_, chosen)) break;
            return SaveResult::saved;
    }
    prompter().message(Icon::Error, msg_text(2));
    return SaveResult::failed;
}

std::string log_folder_of(const std::string& path) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? std::string(".") : folder;
}

}  // namespace pv
