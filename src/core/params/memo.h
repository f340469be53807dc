// The memo of the parameter dialog holds the data file's comment: at most 255 bytes in the
// file's code page. What the code page cannot hold is refused when it is typed or pasted, and
// what does not fit is cut at a whole character, so that saving never changes the text.
#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pv {

inline constexpr size_t kCommentMaxBytes = 255;

// One character (its UTF-8 bytes) in the data file's code page; nullopt when the code page
// has no such character.
using CharEncoder = std::function<std::optional<std::string>(std::string_view utf8_char)>;

struct MemoFit {
    std::string text;     // UTF-8, line breaks as LF
    std::string bytes;    // the comment as the data file keeps it, line breaks as CR LF
    bool cut = false;     // the end of what was inserted did not fit
    std::string refused;  // first inserted character the code page cannot hold (edit undone)
};

// The memo after an edit that turned `before` into `after`. The inserted characters are
// checked one by one; a character that cannot be kept undoes the whole edit, and characters
// beyond the byte limit are left out. Characters that were there before the edit are kept
// even when they cannot be encoded (they stand for bytes of a file that the code page does
// not define, and are written as '?').
MemoFit fit_memo_edit(std::string_view before, std::string_view after, const CharEncoder& enc);

// The memo text of a comment decoded to UTF-8: CR LF line breaks become LF.
std::string memo_text_of_comment(std::string_view utf8);

}  // namespace pv
