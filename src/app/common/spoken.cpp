#include "app/common/spoken.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QApplication>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <vector>

namespace pv {
namespace {

struct Speech {
    QAccessible::Role role = QAccessible::StaticText;
    std::function<QString()> name;
    std::function<QString()> description;
    // Set for a list: its name, and the lines as children.
    QString list_name;
    std::function<QStringList()> lines;
    // What a reader was last told.
    QString told_name;
    QStringList told_lines;
};

QHash<const QObject*, Speech>& speeches() {
    static QHash<const QObject*, Speech> all;
    return all;
}

const Speech* speech_of(const QObject* o) {
    auto it = speeches().constFind(o);
    return it == speeches().constEnd() ? nullptr : &*it;
}

QStringList lines_of(const Speech& s) {
    return s.lines ? s.lines() : QStringList{};
}

// One line of a spoken list: no object of its own, it reads its text from the list's
// function each time it is asked.
class LineInterface : public QAccessibleInterface {
  public:
    LineInterface(QWidget* list, int index) : list_(list), index_(index) {}

    bool isValid() const override { return list_ && speech_of(list_); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return list_ ? list_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return list_ ? QAccessible::queryAccessibleInterface(list_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !isValid()) return {};
        const QStringList lines = lines_of(*speech_of(list_));
        return index_ < lines.size() ? lines[index_] : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!list_) return {};
        // The list's height shared out among its lines, in screen coordinates.
        const int count = std::max(1, static_cast<int>(lines_of(*speech_of(list_)).size()));
        const QRect all(list_->mapToGlobal(QPoint(0, 0)), list_->size());
        const int h = all.height() / count;
        return {all.left(), all.top() + index_ * h, all.width(), h};
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.readOnly = true;
        if (list_ && !list_->isVisible()) s.invisible = true;
        return s;
    }

  private:
    QPointer<QWidget> list_;
    int index_;
};

class SpokenInterface : public QAccessibleWidget {
  public:
    SpokenInterface(QWidget* w, QAccessible::Role role) : QAccessibleWidget(w, role) {}
    ~SpokenInterface() override {
        for (QAccessible::Id id : line_ids_) QAccessible::deleteAccessibleInterface(id);
    }

    QString text(QAccessible::Text t) const override {
        const Speech* s = speech_of(object());
        if (!s) return QAccessibleWidget::text(t);
        if (t == QAccessible::Name) return s->lines ? s->list_name : s->name();
        if (t == QAccessible::Description && s->description) return s->description();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override {
        const Speech* s = speech_of(object());
        return s && s->lines ? static_cast<int>(lines_of(*s).size())
                             : QAccessibleWidget::childCount();
    }
    QAccessibleInterface* child(int index) const override {
        const Speech* s = speech_of(object());
        if (!s || !s->lines) return QAccessibleWidget::child(index);
        if (index < 0 || index >= childCount()) return nullptr;
        while (static_cast<int>(line_ids_.size()) <= index) {
            auto* line = new LineInterface(widget(), static_cast<int>(line_ids_.size()));
            line_ids_.push_back(QAccessible::registerAccessibleInterface(line));
        }
        return QAccessible::accessibleInterface(line_ids_[static_cast<size_t>(index)]);
    }
    int indexOfChild(const QAccessibleInterface* c) const override {
        for (size_t k = 0; k < line_ids_.size(); ++k)
            if (QAccessible::accessibleInterface(line_ids_[k]) == c) return static_cast<int>(k);
        return QAccessibleWidget::indexOfChild(c);
    }

  private:
    mutable std::vector<QAccessible::Id> line_ids_;
};

QSet<const QObject*>& clicked_toggles() {
    static QSet<const QObject*> all;
    return all;
}

class ClickedToggle : public QAccessibleWidget {
  public:
    explicit ClickedToggle(QAbstractButton* b) : QAccessibleWidget(b, QAccessible::Button) {}
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }

    QString text(QAccessible::Text t) const override {
        QString said = QAccessibleWidget::text(t);
        if (t != QAccessible::Name || !said.isEmpty()) return said;
        said = button()->text().remove(QLatin1Char('&'));
        return said.isEmpty() ? button()->toolTip() : said;
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = button()->isChecked();
        s.pressed = button()->isDown();
        return s;
    }
    QStringList actionNames() const override {
        if (!button()->isEnabled()) return QAccessibleWidget::actionNames();
        return QStringList{pressAction(), toggleAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == pressAction() || name == toggleAction()) {
            if (button()->isEnabled()) button()->click();
            return;
        }
        QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface* spoken_factory(const QString&, QObject* o) {
    if (clicked_toggles().contains(o)) return new ClickedToggle(static_cast<QAbstractButton*>(o));
    const Speech* s = speech_of(o);
    if (!s || !o->isWidgetType()) return nullptr;
    return new SpokenInterface(static_cast<QWidget*>(o), s->lines ? QAccessible::List : s->role);
}

void install_factory() {
    static const bool installed = [] {
        QAccessible::installFactory(spoken_factory);
        return true;
    }();
    (void)installed;
}

// An interface made before the widget was enrolled would not know it: it goes, and the next
// look makes one through the factory.
void forget_interface_of(QWidget* w) {
    QAccessibleInterface* old = QAccessible::queryAccessibleInterface(w);
    if (old && !dynamic_cast<SpokenInterface*>(old) && !dynamic_cast<ClickedToggle*>(old))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(old));
}

void enrol(QWidget* w, Speech s) {
    install_factory();
    const bool known = speeches().contains(w);
    speeches().insert(w, std::move(s));
    if (!known) QObject::connect(w, &QObject::destroyed, [w] { speeches().remove(w); });
    forget_interface_of(w);
}

// Where announcements go: the platform's reader, or a test's listener.
std::function<void(QAccessibleEvent&)> listener;

void announce(QAccessibleEvent& e) {
    if (listener)
        listener(e);
    else
        QAccessible::updateAccessibility(&e);
}

std::vector<QPointer<QWidget>>& pending() {
    static std::vector<QPointer<QWidget>> all;
    return all;
}

QTimer& announcer() {
    static QTimer* timer = [] {
        auto* t = new QTimer(qApp);
        t->setSingleShot(true);
        t->setInterval(kAnnounceMs);
        QObject::connect(t, &QTimer::timeout, [] { announce_pending(); });
        return t;
    }();
    return *timer;
}

void tell(QWidget* w, Speech& s) {
    if (!s.lines) {
        const QString now = s.name();
        if (now == s.told_name) return;
        s.told_name = now;
        QAccessibleEvent e(w, QAccessible::NameChanged);
        announce(e);
        return;
    }
    const QStringList now = lines_of(s);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(w);
    if (!list) return;
    if (now.size() != s.told_lines.size()) {
        QAccessibleEvent e(w, QAccessible::ObjectReorder);
        announce(e);
    }
    for (int k = 0; k < now.size(); ++k) {
        if (k < s.told_lines.size() && now[k] == s.told_lines[k]) continue;
        if (QAccessibleInterface* line = list->child(k)) {
            QAccessibleEvent e(line, QAccessible::NameChanged);
            announce(e);
        }
    }
    s.told_lines = now;
}

}  // namespace

void speak_text(QWidget* w, QAccessible::Role role, std::function<QString()> name,
                std::function<QString()> description) {
    Speech s;
    s.role = role;
    s.name = std::move(name);
    s.description = std::move(description);
    enrol(w, std::move(s));
}

void speak_lines(QWidget* w, const QString& name, std::function<QStringList()> lines) {
    Speech s;
    s.list_name = name;
    s.lines = std::move(lines);
    enrol(w, std::move(s));
}

void toggle_by_click(QAbstractButton* b) {
    install_factory();
    if (clicked_toggles().contains(b)) return;
    clicked_toggles().insert(b);
    QObject::connect(b, &QObject::destroyed, [b] { clicked_toggles().remove(b); });
    forget_interface_of(b);
}

void texts_changed(QWidget* w) {
    if (!w || !(listener || QAccessible::isActive())) return;
    for (const QPointer<QWidget>& p : pending())
        if (p == w) return;
    pending().emplace_back(w);
    if (!announcer().isActive()) announcer().start();
}

void announce_pending() {
    announcer().stop();
    std::vector<QPointer<QWidget>> now;
    now.swap(pending());
    for (const QPointer<QWidget>& w : now) {
        if (!w) continue;
        auto it = speeches().find(w.data());
        if (it != speeches().end()) tell(w, *it);
    }
}

void listen_to_announcements(std::function<void(QAccessibleEvent&)> to) {
    listener = std::move(to);
}

}  // namespace pv
