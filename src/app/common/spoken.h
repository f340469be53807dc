// What a screen reader reads of the views that paint their own texts. A widget names a
// function that gives its texts as the eye sees them now; the accessibility tree asks for
// them only when a reader looks, so a view that changes forty times a second does no
// accessibility work per change. Changes are announced to a running reader at most a few
// times a second, and only the lines that changed.
#pragma once
#include <QAccessible>
#include <QString>
#include <QStringList>
#include <functional>

class QAbstractButton;
class QWidget;

namespace pv {

// How often changes are announced at most.
inline constexpr int kAnnounceMs = 300;

// `w` reads as one text: `name` is what it shows (a value with its caption), `description`
// what a reader may add on request (what it is). Role as given.
void speak_text(QWidget* w, QAccessible::Role role, std::function<QString()> name,
                std::function<QString()> description = {});

// `w` reads as a list of lines, each a child of its own: `name` says what the list is.
void speak_lines(QWidget* w, const QString& name, std::function<QStringList()> lines);

// A toggle button whose click runs a command that decides its state: a reader's Toggle and
// Press click it, where Qt's own Toggle would flip the button without the command.
void toggle_by_click(QAbstractButton* b);

// The texts of `w` changed: a running reader hears of it within kAnnounceMs, once however
// often this is called. Costs nothing while no reader runs.
void texts_changed(QWidget* w);

// Announces every pending change now (tests: instead of waiting for the timer).
void announce_pending();

// Sends the announcements to `to` instead of the platform's reader, as though one ran (tests,
// where the platform has none); an empty function gives them back to the platform.
void listen_to_announcements(std::function<void(QAccessibleEvent&)> to);

}  // namespace pv
