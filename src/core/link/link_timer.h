// The live link: starting and stopping it, the Link button and the decision the 15 ms timer
// makes on each tick.
#pragma once
#include <cstdint>
#include <functional>

namespace pv {

// The link gives up after this many consecutive failed polls plus one.
inline constexpr uint16_t kPollMissLimit = 60;

void link_on_start();
void link_off();
// Polls without the link (the data monitor opened on its own).
void start_polling();

// Tmain.btnlinkClick: switches the link off when it runs, else checks the unit, reads the
// table shown and starts the link. True when the link runs afterwards.
bool link_button();

// Tmain.linktimerTimer: one poll unless the link is idle or something holds the port. With
// a port that can be watched the tick only sends the request; the poll goes on in
// link_poll_collect as the reply arrives, and the window stays free meanwhile.
void link_timer_tick();
// The port turned readable or the reply is overdue (the watch_port hook).
void link_poll_collect();

// Told when the link has switched itself off after its missed polls (the window shows it
// without a message box). Empty: nobody is told.
void set_link_gave_up_listener(std::function<void()> listener);

}  // namespace pv
