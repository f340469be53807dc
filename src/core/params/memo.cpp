#include "core/params/memo.h"

#include <vector>

namespace pv {

namespace {

// Splits UTF-8 into characters; a malformed byte stands alone.
std::vector<std::string_view> characters(std::string_view s) {
    std::vector<std::string_view> out;
    for (size_t k = 0; k < s.size();) {
        auto c = static_cast<unsigned char>(s[k]);
        size_t n = c < 0x80           ? 1
                   : (c >> 5) == 0x6  ? 2
                   : (c >> 4) == 0xE  ? 3
                   : (c >> 3) == 0x1E ? 4
                                      : 1;
        size_t len = 1;
        while (len < n && k + len < s.size() &&
               (static_cast<unsigned char>(s[k + len]) & 0xC0) == 0x80)
            ++len;
        if (len < n) len = 1;
        out.push_back(s.substr(k, len));
        k += len;
    }
    return out;
}

std::optional<std::string> encode_char(std::string_view c, const CharEncoder& enc) {
    if (c == "\n") return std::string("\r\n");
    if (c == std::string_view("\0", 1)) return std::nullopt;  // would end the comment early
    return enc(c);
}

}  // namespace

MemoFit fit_memo_edit(std::string_view before, std::string_view after, const CharEncoder& enc) {
    auto b = characters(before);
    auto a = characters(after);
    size_t prefix = 0;
    while (prefix < b.size() && prefix < a.size() && b[prefix] == a[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < b.size() - prefix && suffix < a.size() - prefix &&
           b[b.size() - 1 - suffix] == a[a.size() - 1 - suffix])
        ++suffix;

    auto kept_bytes = [&](size_t from, size_t to, const std::vector<std::string_view>& chars) {
        std::string out;
        for (size_t k = from; k < to; ++k) out += encode_char(chars[k], enc).value_or("?");
        return out;
    };
    std::string head = kept_bytes(0, prefix, a);
    std::string tail = kept_bytes(a.size() - suffix, a.size(), a);

    MemoFit fit;
    std::vector<std::string> inserted;
    for (size_t k = prefix; k < a.size() - suffix; ++k) {
        auto e = encode_char(a[k], enc);
        if (!e) {
            fit.text = std::string(before);
            fit.bytes = kept_bytes(0, b.size(), b);
            fit.refused = std::string(a[k]);
            return fit;
        }
        inserted.push_back(*e);
    }

    std::string text;
    for (size_t k = 0; k < prefix; ++k) text += a[k];
    std::string middle;
    size_t used = head.size() + tail.size();
    size_t k = 0;
    for (; k < inserted.size() && used + inserted[k].size() <= kCommentMaxBytes; ++k) {
        used += inserted[k].size();
        middle += inserted[k];
        text += a[prefix + k];
    }
    fit.cut = k < inserted.size();
    for (size_t j = a.size() - suffix; j < a.size(); ++j) text += a[j];
    fit.text = text;
    fit.bytes = head + middle + tail;
    return fit;
}

std::string memo_text_of_comment(std::string_view utf8) {
    std::string out;
    for (size_t k = 0; k < utf8.size(); ++k) {
        if (utf8[k] == '\r' && k + 1 < utf8.size() && utf8[k + 1] == '\n') continue;
        out += utf8[k];
    }
    return out;
}

}  // namespace pv
