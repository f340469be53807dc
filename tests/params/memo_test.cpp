#include "core/params/memo.h"

#include <gtest/gtest.h>

namespace pv {
namespace {

// A small double-byte code page: ASCII, "あ" and "い" as two bytes each, nothing else.
std::optional<std::string> encode(std::string_view c) {
    if (c.size() == 1 && static_cast<unsigned char>(c[0]) < 0x80) return std::string(c);
    if (c == "あ") return std::string("\x82\xA0");
    if (c == "い") return std::string("\x82\xA2");
    return std::nullopt;
}

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int k = 0; k < n; ++k) out += s;
    return out;
}

TEST(Memo, TypingWithinTheLimitKeepsEverything) {
    MemoFit f = fit_memo_edit("ab", "aあb", encode);
    EXPECT_EQ(f.text, "aあb");
    EXPECT_EQ(f.bytes,
              "a\x82\xA0"
              "b");
    EXPECT_FALSE(f.cut);
    EXPECT_TRUE(f.refused.empty());
}

TEST(Memo, ByteLimitCutsAtAWholeCharacter) {
    std::string before = repeat("x", 254);
    MemoFit f = fit_memo_edit(before, before + "あ", encode);
    EXPECT_EQ(f.text, before);  // half of "あ" would not be a character
    EXPECT_EQ(f.bytes.size(), 254u);
    EXPECT_TRUE(f.cut);

    // A paste in the middle keeps what fits and everything after the caret.
    std::string mid = repeat("y", 250);
    f = fit_memo_edit("ab", "a" + repeat("あ", 5) + mid + "b", encode);
    EXPECT_TRUE(f.cut);
    EXPECT_EQ(f.bytes.size(), 255u);
    EXPECT_EQ(f.text, "a" + repeat("あ", 5) + repeat("y", 243) + "b");

    f = fit_memo_edit(before, before + "z", encode);
    EXPECT_FALSE(f.cut);
    EXPECT_EQ(f.bytes.size(), 255u);
}

TEST(Memo, LineBreaksCountAsTheTwoBytesTheFileKeeps) {
    std::string before = repeat("x", 254);
    MemoFit f = fit_memo_edit(before, before + "\n", encode);
    EXPECT_TRUE(f.cut);
    EXPECT_EQ(f.text, before);
    f = fit_memo_edit("a", "a\nb", encode);
    EXPECT_EQ(f.bytes, "a\r\nb");
    EXPECT_EQ(memo_text_of_comment("a\r\nb\r\n"), "a\nb\n");
}

TEST(Memo, CharacterTheCodePageLacksUndoesTheEdit) {
    MemoFit f = fit_memo_edit("ab", "a€xb", encode);
    EXPECT_EQ(f.text, "ab");
    EXPECT_EQ(f.bytes, "ab");
    EXPECT_EQ(f.refused, "€");
    f = fit_memo_edit("ab", std::string("a\0b", 3), encode);
    EXPECT_EQ(f.text, "ab");
    EXPECT_FALSE(f.refused.empty());
}

TEST(Memo, DeletingAlwaysWorksAndOldUnencodableTextStays) {
    // "\xEF\xBF\xBD" (U+FFFD) stands for a byte a file held that the code page lacks.
    MemoFit f = fit_memo_edit(
        "a\xEF\xBF\xBD"
        "bc",
        "a\xEF\xBF\xBD"
        "c",
        encode);
    EXPECT_EQ(f.text,
              "a\xEF\xBF\xBD"
              "c");
    EXPECT_EQ(f.bytes, "a?c");
    EXPECT_TRUE(f.refused.empty());
    f = fit_memo_edit("abc", "", encode);
    EXPECT_EQ(f.text, "");
    EXPECT_EQ(f.bytes, "");
}

}  // namespace
}  // namespace pv
