// The state and commands of one log window, without the window: which file it shows (the
// caption), the header read from it, the view, loading (ChReset), what each paint reads, the
// cursor's values and Log Link, and saving. The data log and the comparison log are two
// instances, each configured by its LogSide.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "core/logging/log_channels.h"
#include "core/logging/log_file.h"
#include "core/logging/log_view.h"

namespace pv {

class LogViewer {
  public:
    explicit LogViewer(const LogSide& side) : side_(side) {}

    const LogSide& side() const { return side_; }
    // The caption while no file is shown: "Data Log" or "Comparison Log".
    std::string placeholder() const;

    // The file shown: the window's caption.
    const std::string& caption() const { return caption_; }
    void set_caption(const std::string& c) { caption_ = c; }
    bool shows_file() const { return caption_ != placeholder(); }

    const LogHeader& header() const { return header_; }
    LogView& view() { return view_; }
    const LogView& view() const { return view_; }
    int32_t last_index() const { return header_.reachable_last_index(); }

    // ChReset: reads the header of the file named by the caption and resets the view for a
    // chart `chart_width` pixels wide. A missing file is reported (unless the caption is the
    // placeholder); a file with no channels or more than seven, or one too short for its
    // header, is refused with "Cannot open file." and the caption falls back to the
    // placeholder. True when a file is shown.
    bool load(int chart_width);

    // Whether the three paint boxes draw at all: a recording or a save suspends the side that
    // records; a file must be shown that holds at least two samples.
    bool paints() const;

    // The samples of a paint: from view.first as far as the chart reaches, read from the file
    // in one go. False when the file has gone; the caller then reports it once (missing_text)
    // and the caption falls back to the placeholder.
    bool read_visible(std::vector<int16_t>& samples) const;
    // The sample under the cursor (n words); false when the file has gone.
    bool read_cursor_sample(std::vector<int16_t>& sample) const;
    // Caption + " cannot be found." (the Japanese text reads on from the name).
    std::string missing_text() const;
    // After a paint found the file gone: the message is shown once, then no file.
    void forget_missing_file() { caption_ = placeholder(); }

    // Log Link: the values under the cursor become the side's live values; `moved` runs after
    // each copied channel.
    void push_cursor_values(const std::vector<int16_t>& sample,
                            const std::function<void()>& moved) const;

    enum class SaveResult { nothing, saved, failed };
    // btnsaveClick after the dialog: a copy under `chosen` (then shown instead) or a text
    // export, by the chosen name's extension. A failure says "Cannot save file." and leaves
    // no file under the chosen name.
    SaveResult save(const std::string& chosen);

  private:
    const LogSide& side_;
    std::string caption_;
    LogHeader header_;
    LogView view_;
};

// The folder of a file, as log_dir keeps it (no trailing separator).
std::string log_folder_of(const std::string& path);

}  // namespace pv
