// The first settings file shipped with the program (assets/pvedit.INI), read as any settings
// file is: a first log must show every channel, readably, on the scale the channel can hold.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/document/unit.h"
#include "core/logging/log_channels.h"
#include "core/settings/settings_file.h"

namespace pv {
namespace {

struct Rgb {
    double r, g, b;
};
Rgb rgb_of(int32_t colorref) {  // 0x00BBGGRR, as the settings file stores colours
    return {static_cast<double>(colorref & 0xFF), static_cast<double>((colorref >> 8) & 0xFF),
            static_cast<double>((colorref >> 16) & 0xFF)};
}
double luminance(int32_t c) {
    auto lin = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    Rgb x = rgb_of(c);
    return 0.2126 * lin(x.r) + 0.7152 * lin(x.g) + 0.0722 * lin(x.b);
}
double contrast(int32_t a, int32_t b) {
    double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
double distance(int32_t a, int32_t b) {
    Rgb x = rgb_of(a), y = rgb_of(b);
    return std::sqrt((x.r - y.r) * (x.r - y.r) + (x.g - y.g) * (x.g - y.g) +
                     (x.b - y.b) * (x.b - y.b));
}

class FirstSettings : public ::testing::Test {
  protected:
    void SetUp() override {
        settings = Settings{};
        ASSERT_TRUE(ini.load(PV_SOURCE_DIR "/assets/pvedit.INI"));
        read_settings(ini, "/opt/pv", shell);
    }
    IniFile ini;
    ShellSettings shell;
};

TEST_F(FirstSettings, EveryChannelIsDrawnReadablyInAColourOfItsOwn) {
    for (const LogSide* side : {&data_log_side, &comparison_log_side}) {
        const auto& ch = side->channel_settings();
        const int32_t back = side->background();
        // The names column's own rows: black, blue and red text.
        for (int32_t fixed : {0x000000, 0xFF0000, 0x0000FF})
            EXPECT_GE(contrast(fixed, back), 3.0) << side->window_name << " fixed " << fixed;
        for (int n = 0; n < kLogChannels; ++n) {
            EXPECT_EQ(ch[n].draw, 1) << side->window_name << " channel " << n + 1;
            EXPECT_GE(contrast(ch[n].color, back), 4.5) << side->window_name << " " << n + 1;
            for (int m = 0; m < n; ++m)
                EXPECT_GE(distance(ch[n].color, ch[m].color), 60.0)
                    << side->window_name << " channels " << m + 1 << " and " << n + 1;
        }
    }
    for (int n = 0; n < kLogChannels; ++n)
        EXPECT_GE(distance(settings.log_channels[n].color, settings.other_log_channels[n].color),
                  60.0)
            << "the comparison log's channel " << n + 1 << " looks like the data log's";
    EXPECT_NE(settings.log_back_color, settings.other_log_back_color);
}

// Whatever the file's rev flag and pressure unit, and the unit's, each scale lies within what
// the settings dialog lets the channel hold.
TEST_F(FirstSettings, EveryScaleFitsItsChannel) {
    for (const LogSide* side : {&data_log_side, &comparison_log_side})
        for (int rev : {0, 1})
            for (int unit : {0, 1})
                for (UnitScale now : {UnitScale{false, 0}, UnitScale{true, 1}})
                    for (int n = 1; n < kLogChannels; ++n) {  // marking has no scale
                        const LogChannel& ch = side->channel_settings()[n - 1];
                        ChannelLimits lim = channel_limits(side->limits, n, {rev, unit}, now);
                        EXPECT_LT(ch.min, ch.max) << n;
                        EXPECT_LE(ch.max, lim.top) << side->window_name << " " << n;
                        EXPECT_GE(ch.min, lim.bottom) << side->window_name << " " << n;
                    }
}

}  // namespace
}  // namespace pv
