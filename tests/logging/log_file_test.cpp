// The log file's reader and writer against hand-made images of both header layouts.
#include "core/logging/log_file.h"

#include <gtest/gtest.h>

#include "support/log_images.h"

namespace {

using logtest::cat;
using logtest::Scratch;
using logtest::Words;
using pv::LogHeader;
using pv::LogRead;

LogHeader read(const std::string& path, LogRead expect = LogRead::ok) {
    LogHeader h;
    EXPECT_EQ(pv::read_log_header(path, h), expect);
    return h;
}

TEST(LogReader, CurrentHeaderFields) {
    Scratch s;
    auto p = s.path("a.PVL");
    logtest::write_words(p, cat({logtest::current_header(250, 1, 0), Words(14, 5)}));
    LogHeader h = read(p);
    EXPECT_EQ(h.n, 7);
    EXPECT_EQ(h.version, 1150);
    EXPECT_TRUE(h.stamped);
    EXPECT_EQ(h.header_words, 19);
    for (int k = 0; k < 7; ++k) EXPECT_EQ(h.ch[static_cast<size_t>(k)], k + 1) << k;
    EXPECT_EQ(h.interval, 250);
    EXPECT_EQ(h.rev_flag, 1);
    EXPECT_EQ(h.pressure_unit, 0);
    EXPECT_EQ(h.last_index, 1);
    EXPECT_EQ(pv::log_date_text(h), "2024/3/7");
    EXPECT_EQ(pv::log_time_text(h), "9:05:02");
    EXPECT_EQ(pv::log_version_text(h.version, 7), "   1.15");
    EXPECT_EQ(pv::log_version_text(1125, 1), "1.125");
}

TEST(LogReader, OlderHeaderHasNoStampAndShorterHeader) {
    Scratch s;
    auto p = s.path("old.PVL");
    logtest::write_words(p, cat({logtest::old_header(125, 0, 1), Words(9, 1)}));
    LogHeader h = read(p);
    EXPECT_EQ(h.n, 3);
    EXPECT_EQ(h.version, 1100);
    EXPECT_FALSE(h.stamped);
    EXPECT_EQ(h.header_words, 8);
    EXPECT_EQ(h.ch[0], 1);
    EXPECT_EQ(h.ch[1], 3);
    EXPECT_EQ(h.ch[2], 7);
    EXPECT_EQ(h.interval, 125);
    EXPECT_EQ(h.pressure_unit, 1);
    EXPECT_EQ(h.last_index, 2);
    EXPECT_TRUE(h.has_channel(3));
    EXPECT_FALSE(h.has_channel(4));
}

TEST(LogReader, LastIndexCountsCompleteSamplesOnly) {
    Scratch s;
    auto p = s.path("x.PVL");
    struct Case {
        size_t sample_words;
        int32_t last;
    } cases[] = {{0, 0}, {7, 0}, {14, 1}, {20, 1}, {21, 2}};
    for (const auto& c : cases) {
        logtest::write_words(p,
                             cat({logtest::current_header(100, 1, 0), Words(c.sample_words, 3)}));
        EXPECT_EQ(read(p).last_index, c.last) << c.sample_words;
    }
    // A trailing odd byte is no word.
    logtest::write_words(p, cat({logtest::current_header(100, 1, 0), Words(14, 3)}), "\x01");
    EXPECT_EQ(read(p).last_index, 1);
}

TEST(LogReader, IntervalIsClampedAndItsCopyIgnored) {
    Scratch s;
    auto p = s.path("x.PVL");
    struct Case {
        uint16_t stored;
        int32_t shown;
    } cases[] = {{5, 10}, {10, 10}, {10000, 10000}, {20000, 10000}, {0xFFFF, 10}};
    for (const auto& c : cases) {
        Words w = logtest::current_header(c.stored, 1, 0);
        w[16] = 777;  // the copy
        logtest::write_words(p, w);
        EXPECT_EQ(read(p).interval, c.shown) << c.stored;
    }
}

TEST(LogReader, RefusesBadChannelCountsShortHeadersAndMissingFiles) {
    Scratch s;
    auto p = s.path("x.PVL");
    for (int count : {0, 8, 0x0100, 255}) {
        Words w = logtest::current_header(100, 1, 0);
        w[0] = static_cast<uint16_t>(count);
        logtest::write_words(p, cat({w, Words(20, 0)}));
        read(p, LogRead::bad_channels);
    }
    // Only the low byte of the count counts.
    Words w = logtest::current_header(100, 1, 0);
    w[0] = 0x0307;
    logtest::write_words(p, w);
    EXPECT_EQ(read(p).n, 7);

    Words cut = logtest::current_header(100, 1, 0);
    cut.pop_back();
    logtest::write_words(p, cut);
    read(p, LogRead::unreadable);
    logtest::write_words(p, {});
    read(p, LogRead::unreadable);
    read(s.path("none.PVL"), LogRead::missing);
}

TEST(LogReader, ReadsRangesOfSamplesInOneGo) {
    Scratch s;
    auto p = s.path("x.PVL");
    Words body;
    for (uint16_t k = 0; k < 5; ++k)
        for (int c = 0; c < 3; ++c) body.push_back(static_cast<uint16_t>(k * 10 + c));
    body.push_back(0xFFFF);  // a sample cut short
    logtest::write_words(p, cat({logtest::old_header(100, 1, 0), body}));

    pv::LogReader r;
    ASSERT_EQ(r.open(p), LogRead::ok);
    std::vector<int16_t> w;
    EXPECT_EQ(r.read_samples(1, 2, w), 2);
    EXPECT_EQ(w, (std::vector<int16_t>{10, 11, 12, 20, 21, 22}));
    EXPECT_EQ(r.read_samples(3, 100, w), 2);  // stops at the last complete sample
    EXPECT_EQ(w.size(), 6u);
    EXPECT_EQ(r.read_samples(5, 1, w), 0);
    EXPECT_EQ(r.read_words(23, 5, w), 1);
    EXPECT_EQ(w[0], -1);
}

TEST(LogWriter, HeaderAndSampleBytesFollowTheLayout) {
    Scratch s;
    auto p = s.path("w.PVL");
    pv::LogWriter wr;
    ASSERT_TRUE(wr.create(p));
    ASSERT_TRUE(wr.write_words(pv::log_header_words({2024, 3, 7, 9, 5, 2}, 1300, 1, 0)));
    pv::LiveValues v;
    v.live_boost = -600;
    v.live_peak_boost = 1234;
    v.live_rev = 200;
    v.live_throttle = 100;
    v.live_boost_correction = -17;
    v.live_offset_correction = 199;
    v.marking = 255;
    ASSERT_TRUE(wr.write_sample({1, 2, 3, 4, 5, 6, 7}, v));
    ASSERT_TRUE(wr.write_sample({1, 9, 0, 7}, v));  // numbers that are no channel write nothing
    ASSERT_TRUE(wr.close());

    Words expect = logtest::current_header(1300, 1, 0);
    expect.insert(expect.end(), {0xFDA8, 1234, 200, 100, 0xFFEF, 199, 255, 0xFDA8, 255});
    EXPECT_EQ(logtest::read_all(p), logtest::le_bytes(expect));

    LogHeader h = read(p);
    EXPECT_EQ(h.last_index, 0);
    EXPECT_EQ(h.interval, 1300);
}

TEST(LogWriter, FailsOnAFolderThatDoesNotExist) {
    pv::LogWriter wr;
    EXPECT_FALSE(wr.create("/nonexistent-folder/x.PVL"));
    EXPECT_FALSE(wr.write_words({1}));
}

}  // namespace
