// The key codes the windows' key handlers are written against: one number per key, the same
// on every keyboard layout, with the keypad's operators told apart from the main block's.
#pragma once

namespace pv {

enum VirtualKey : int {
    vk_back = 8,
    vk_tab = 9,
    vk_return = 13,
    vk_shift = 16,
    vk_control = 17,
    vk_menu = 18,  // Alt
    vk_escape = 27,
    vk_space = 32,
    vk_prior = 33,  // Page Up
    vk_next = 34,   // Page Down
    vk_end = 35,
    vk_home = 36,
    vk_left = 37,
    vk_up = 38,
    vk_right = 39,
    vk_down = 40,
    vk_0 = 48,          // '0'..'9' follow
    vk_a = 65,          // 'A'..'Z' follow
    vk_numpad0 = 96,    // keypad digits follow
    vk_multiply = 106,  // keypad '*'
    vk_add = 107,       // keypad '+'
    vk_subtract = 109,  // keypad '-'
    vk_decimal = 110,   // keypad '.'
    vk_divide = 111,    // keypad '/'
    vk_f1 = 112,        // F1..F24 follow
    vk_oem_1 = 186,     // ';' ':' and the main block's '*'
    vk_oem_plus = 187,  // '=' '+'
    vk_oem_minus = 189,
    vk_oem_period = 190,
    vk_oem_2 = 191,  // '/' '?'
    vk_other = 255,  // any other key: above the navigation keys
};

}  // namespace pv
