#include "app/logging/mnt.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "app/common/caption.h"
#include "app/common/qt_prompter.h"
#include "app/common/spoken.h"
#include "core/document/unit.h"
#include "core/link/link_timer.h"
#include "core/link/netunit.h"
#include "core/logging/live.h"
#include "core/ui/hooks.h"
#include "core/ui/texts.h"

namespace pv {
namespace {

Tmntdlg* the_mntdlg = nullptr;

const QColor kNavy(0, 0, 128);

QColor row_colour(MonitorColour c) {
    switch (c) {
        case MonitorColour::blue:
            return QColor(0, 0, 255);
        case MonitorColour::red:
            return QColor(255, 0, 0);
        default:
            return QColor(0, 128, 0);
    }
}

const char* const kLabelNames[kMonitorRows] = {"lbboost",    "lbpeak_hold",     "lbrev_speed",
                                               "lbthrottle", "lbcorrect_boost", "lbcorrect_offset"};

void set_points(QWidget* w, int points) {
    QFont f = w->font();
    f.setPointSize(points);
    w->setFont(f);
}

}  // namespace

Tmntdlg::Tmntdlg(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    the_mntdlg = this;
    setObjectName(QStringLiteral("mntdlg"));
    setAttribute(Qt::WA_DeleteOnClose);
    setSizeGripEnabled(false);
    log_mode_ = state.monitor_log_mode == 1;

    QFont form = font();
    form.setBold(true);
    form.setPixelSize(13);
    setFont(form);
    QPalette navy = palette();
    navy.setColor(QPalette::WindowText, kNavy);
    setPalette(navy);

    menubar = new QMenuBar(this);
    menubar->setNativeMenuBar(false);
    menumset = menubar->addMenu(QStringLiteral("Setting"));
    menumset->setObjectName(QStringLiteral("menumset"));
    mmnt2 = menumset->addMenu(QStringLiteral("Font Size"));
    mmnt2->setObjectName(QStringLiteral("mmnt2"));
    font_items_ = new QActionGroup(this);
    const char* const captions[6] = {"1(Minimum)", "2", "3", "4", "5", "6(Maximum)"};
    for (int k = 0; k < 6; ++k) {
        QAction* a = mmnt2->addAction(QString::fromLatin1(captions[k]));
        a->setObjectName(QStringLiteral("ms%1").arg(k + 1));
        a->setCheckable(true);
        a->setData(k + 1);
        font_items_->addAction(a);
        connect(a, &QAction::triggered, this, [this, k] { ms1Click(k + 1); });
        ms[static_cast<size_t>(k)] = a;
    }
    menumsize = menumset->addMenu(QStringLiteral("Frame Size"));
    menumsize->setObjectName(QStringLiteral("menumsize"));
    frame_items_ = new QActionGroup(this);
    mntautosize_on = menumsize->addAction(QStringLiteral("Auto"));
    mntautosize_on->setObjectName(QStringLiteral("mntautosize_on"));
    mntautosize_off = menumsize->addAction(QStringLiteral("Manual"));
    mntautosize_off->setObjectName(QStringLiteral("mntautosize_off"));
    for (QAction* a : {mntautosize_on, mntautosize_off}) {
        a->setCheckable(true);
        frame_items_->addAction(a);
    }
    connect(mntautosize_on, &QAction::triggered, this, [this] { mntautosize_onClick(1); });
    connect(mntautosize_off, &QAction::triggered, this, [this] { mntautosize_onClick(2); });

    pnlmnt = new QFrame(this);
    pnlmnt->setObjectName(QStringLiteral("pnlmnt"));
    pnlmnt->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlmnt->setAutoFillBackground(true);
    QPalette white = pnlmnt->palette();
    white.setColor(QPalette::Window, Qt::white);
    pnlmnt->setPalette(white);
    pnlmnt->setAccessibleName(QStringLiteral("Data Monitor"));

    pbmnt = new QWidget(pnlmnt);
    pbmnt->setObjectName(QStringLiteral("pbmnt"));
    // The paint box fills its own white, so a value's repaint stops here and the panel's
    // frame is not drawn again at every poll.
    pbmnt->setAutoFillBackground(true);
    pbmnt->installEventFilter(this);
    auto* fill = new QVBoxLayout(pnlmnt);
    fill->setContentsMargins(pnlmnt->frameWidth(), pnlmnt->frameWidth(), pnlmnt->frameWidth(),
                             pnlmnt->frameWidth());
    fill->addWidget(pbmnt);

    for (int row = 0; row < kMonitorRows; ++row) {
        auto* l = new GlyphLabel(QString::fromLatin1(kMonitorBlank), pbmnt);
        l->setTextFormat(Qt::PlainText);
        l->setObjectName(QString::fromLatin1(kLabelNames[row]));
        QFont f = l->font();
        f.setPixelSize(16);
        l->setFont(f);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, row_colour(monitor_row_colour(row)));
        l->setPalette(p);
        l->setAlignment(Qt::AlignRight | Qt::AlignTop);
        l->adjustSize();
        l->hide();  // until the first paint places them
        value_labels[static_cast<size_t>(row)] = l;
    }
    name_labels();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->setMenuBar(menubar);
    column->addWidget(pnlmnt);

    btnmarking = new QPushButton(this);
    btnmarking->setObjectName(QStringLiteral("btnmarking"));
    btnmarking->setAutoDefault(false);
    btnmarking->setAccessibleName(ui_text(text(Catalog::Log, 18)));
    btnmarking->installEventFilter(this);
    btnmarking->hide();

    if (log_mode_) {
        setWindowTitle(ui_text(text(Catalog::Mnt, 13)));
        menumset->setEnabled(false);
        menubar->setEnabled(false);
        btnmarking->setGeometry(0, 0, 4, 4);
        btnmarking->show();
        btnmarking->raise();
        btnmarking->setFocus(Qt::OtherFocusReason);
    } else {
        setWindowTitle(QStringLiteral("Data Monitor"));
        btnmarking->setEnabled(false);
    }
    // The recording window's caption is the only place that tells how to mark and to stop.
    fit_caption(*this);

    resize(settings.monitor_width, settings.monitor_height);
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());

    state.monitor_open = 1;
    shell_views().refresh_commands();
    shell_views().repaint_status_bar();
}

Tmntdlg::~Tmntdlg() {
    if (!closed_) {
        // Freed with its owner rather than closed: the program is ending.
        closed_ = true;
        state.monitor_open = 0;
        settings.monitor_width = static_cast<int16_t>(width());
        settings.monitor_height = static_cast<int16_t>(height());
    }
    if (the_mntdlg == this) the_mntdlg = nullptr;
}

Tmntdlg* Tmntdlg::current() {
    return the_mntdlg;
}

// Each value reads as its row does on screen: the name, the value and its unit in one line,
// "Boost Pressure 88.8 kPa". The texts are put together only when a reader asks.
void Tmntdlg::name_labels() {
    for (int row = 0; row < kMonitorRows; ++row) {
        QLabel* l = value_labels[static_cast<size_t>(row)];
        // A label with a name of its own sends no event at each new value; the throttled
        // announcement below tells a reader instead.
        l->setAccessibleName(QString::fromLatin1(kLabelNames[row]));
        speak_text(l, QAccessible::StaticText, [l, row] {
            const MonitorRowText t = monitor_row_text(row, pv::data.pressure_unit, rev_is_rpm());
            QString line = ui_text(t.name);
            if (!l->isHidden()) line += QLatin1Char(' ') + l->text().trimmed();
            return line + QLatin1Char(' ') + ui_text(t.unit).trimmed();
        });
    }
}

void Tmntdlg::refresh() {
    // The status re-read may have switched engine and vehicle speed: the names follow.
    const bool rpm = rev_is_rpm();
    const bool shown = !value_labels[0]->isHidden();
    const bool names_changed = rpm != painted_rpm_ || pv::data.pressure_unit != painted_unit_;
    if (names_changed) {
        pbmnt->update();
        for (QLabel* l : value_labels) texts_changed(l);
    }
    const unsigned written = labels_.refresh(live, shown, pv::data.pressure_unit, rpm);
    for (int row = 0; row < kMonitorRows; ++row) {
        QLabel* l = value_labels[static_cast<size_t>(row)];
        if (written & (1u << row)) {
            l->setText(QString::fromStdString(labels_.text(row)));
            texts_changed(l);
        }
        // Other names may move the units' column: every label then finds its place again.
        if ((written & (1u << row)) || (names_changed && shown)) place_value_label(row);
    }
}

// The columns of the rows for the fonts and names shown, worked out again only when one of
// them changed: a refresh after every poll places labels, and shaping the same texts anew
// each time would cost more than the rest of the refresh.
const Tmntdlg::Columns& Tmntdlg::columns() const {
    const bool rpm = rev_is_rpm();
    const ColumnsKey key{pbmnt->font(), value_labels[0]->font(), pv::data.pressure_unit, rpm};
    if (key == columns_key_) return columns_;
    columns_key_ = key;
    const QFontMetrics fm(pbmnt->font());
    int names = 0;
    for (int row = 0; row < kMonitorRows; ++row)
        names = std::max(
            names,
            fm.horizontalAdvance(ui_text(monitor_row_text(row, pv::data.pressure_unit, rpm).name)));
    const int blank = fm.horizontalAdvance(QLatin1Char(' '));
    const int widest_value =
        value_labels[0]->fontMetrics().horizontalAdvance(QStringLiteral("-888.8"));
    // The sample texts' columns, the units' widened when the names and the widest value would
    // not fit before it with a blank either side.
    columns_.values = fm.horizontalAdvance(ui_text(text(Catalog::Mnt, 15))) + 8;
    columns_.units = std::max(fm.horizontalAdvance(ui_text(text(Catalog::Mnt, 14))) + 8,
                              8 + names + blank + widest_value + blank);
    columns_.blank = blank;
    columns_.row_height = fm.height();
    // One line of a label's font, whatever value it shows.
    columns_.value_height = value_labels[0]->sizeHint().height();
    const QFontMetrics value_fm = value_labels[0]->fontMetrics();
    for (int ch = 0; ch < 128; ++ch)
        columns_.char_advance[static_cast<size_t>(ch)] =
            value_fm.horizontalAdvance(QChar(static_cast<char16_t>(ch)));
    return columns_;
}

int Tmntdlg::unit_column() const {
    return columns().units;
}

// The values stand right-aligned before the units, a blank between, so that the numbers line
// up whatever the font's digit widths.
void Tmntdlg::place_value_label(int row) {
    const Columns& c = columns();
    const int right = c.units - c.blank;
    QLabel* l = value_labels[static_cast<size_t>(row)];
    // The leading blanks that pad a value need no room: right-aligned, they would only be cut.
    const int width =
        std::max(right - c.values, value_width(l->text().trimmed(), right - c.values));
    // A fixed size, so that a new value asks no layout of the panel at every poll.
    l->setFixedSize(width, c.value_height);
    l->move(right - width, row * c.row_height + 10);
}

// A value's width, measured only when it could be wider than `room`: the sum of its
// characters' advances, a pixel each for kerning, tells without shaping the text.
int Tmntdlg::value_width(const QString& value, int room) const {
    int bound = 0;
    for (const QChar ch : value) {
        if (ch.unicode() >= 128) return value_labels[0]->fontMetrics().horizontalAdvance(value);
        bound += columns_.char_advance[ch.unicode()] + 1;
    }
    return bound <= room ? bound : value_labels[0]->fontMetrics().horizontalAdvance(value);
}

// The panel's texts as shown, converted again only when the name or unit changed.
const QString& Tmntdlg::shown_text(int slot, const std::string& text) {
    std::pair<std::string, QString>& kept = shown_texts_[static_cast<size_t>(slot)];
    if (kept.second.isNull() || kept.first != text) kept = {text, ui_text(text)};
    return kept.second;
}

void Tmntdlg::SetView() {
    for (int k = 0; k < kMonitorRows; ++k) {
        place_value_label(k);
        value_labels[static_cast<size_t>(k)]->show();
    }
}

void Tmntdlg::pbmntPaint(const QRect& dirty) {
    QPainter p(pbmnt);
    p.setFont(pbmnt->font());
    const Columns& c = columns();
    const int h = c.row_height;
    const int x2 = c.units;
    const bool rpm = rev_is_rpm();
    painted_rpm_ = rpm;
    painted_unit_ = pv::data.pressure_unit;
    for (int row = 0; row < kMonitorRows; ++row) {
        const int y = row * h + 8;
        // A value label's repaint shows the panel behind it: only its own row is drawn anew.
        if (!dirty.intersects(QRect(0, y, pbmnt->width(), h))) continue;
        const MonitorRowText t = monitor_row_text(row, pv::data.pressure_unit, rpm);
        p.setPen(row_colour(t.colour));
        // Between the name and the unit stands the value: its repaint draws only a text that
        // reaches into it, as a long name may (a few pixels' margin for glyphs that overhang).
        const auto draw = [&](int x, const QString& text) {
            const LaidOutTexts::Text& laid = row_texts_.get(text, pbmnt->font());
            if (dirty.intersects(QRect(x - 4, y, laid.advance + 8, h)))
                p.drawStaticText(QPoint(x, y), laid.glyphs);
        };
        draw(8, shown_text(2 * row, t.name));
        draw(x2, shown_text(2 * row + 1, t.unit));
    }
    if (first_paint_) {
        first_paint_ = false;
        SetView();
    }
}

void Tmntdlg::ms1Click(int tag) {
    settings.monitor_font_index = static_cast<uint8_t>(tag);
    if (tag >= 1 && tag <= 6) ms[static_cast<size_t>(tag - 1)]->setChecked(true);
    const int points = monitor_font_points(static_cast<uint8_t>(tag));
    set_points(pnlmnt, points);
    set_points(pbmnt, points);
    for (QLabel* l : value_labels) set_points(l, points);
    SetView();
    pbmnt->update();
    if (settings.monitor_size != 1) return;

    const QFontMetrics fm(pbmnt->font());
    const QRect screen_area = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    const MonitorSize s =
        monitor_auto_size(first_sizing_, fm.height(),
                          std::max(fm.horizontalAdvance(ui_text(text(Catalog::Mnt, 18))),
                                   unit_column() + fm.horizontalAdvance(QStringLiteral("km/h"))),
                          screen_area.width(), screen_area.height());
    first_sizing_ = false;
    resize(s.width, s.height);
    move(screen_area.center() - rect().center());
}

void Tmntdlg::mntautosize_onClick(int tag) {
    settings.monitor_size = static_cast<uint8_t>(tag);
    if (tag == 2) {
        mntautosize_off->setChecked(true);
        return;
    }
    mntautosize_on->setChecked(true);
    activate_font_item();
}

void Tmntdlg::activate_font_item() {
    const uint8_t index = settings.monitor_font_index;
    ms1Click(index >= 1 && index <= 5 ? index : 6);
}

void Tmntdlg::activate_frame_item() {
    mntautosize_onClick(settings.monitor_size == 1 ? 1 : 2);
}

void Tmntdlg::btnmarkingKeyDown(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) live.marking = 255;
    // Every other key is swallowed too; Escape is the Cancel button's key.
    if (event->key() == Qt::Key_Escape) reject();
}

void Tmntdlg::btnmarkingKeyUp(QKeyEvent* event) {
    // A held key repeats as release and press pairs here; the mark lasts until the real one.
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) live.marking = 0;
}

bool Tmntdlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pbmnt && event->type() == QEvent::Paint) {
        pbmntPaint(static_cast<QPaintEvent*>(event)->rect());
        return true;
    }
    if (watched == btnmarking) {
        if (event->type() == QEvent::KeyPress) {
            btnmarkingKeyDown(static_cast<QKeyEvent*>(event));
            return true;
        }
        if (event->type() == QEvent::KeyRelease) {
            btnmarkingKeyUp(static_cast<QKeyEvent*>(event));
            return true;
        }
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();  // no menu shortcut reaches past the marking button
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tmntdlg::reject() {
    // The plain monitor has no Cancel button: Escape leaves it open.
    if (log_mode_) done(QDialog::Accepted);
}

void Tmntdlg::done(int result) {
    FormClose();
    QDialog::done(result);
}

void Tmntdlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The dialog would give the focus to its first control; the marking key needs it.
    if (log_mode_) btnmarking->setFocus(Qt::OtherFocusReason);
}

void Tmntdlg::closeEvent(QCloseEvent* event) {
    FormClose();
    setResult(QDialog::Accepted);
    event->accept();
}

void Tmntdlg::FormClose() {
    if (closed_) return;
    closed_ = true;
    state.monitor_open = 0;
    settings.monitor_width = static_cast<int16_t>(width());
    settings.monitor_height = static_cast<int16_t>(height());
    live.marking = 0;
    emit closed();
    if (!state.link_on) {
        link_off();
    } else {
        shell_views().refresh_commands();
        shell_views().repaint_status_bar();
    }
}

}  // namespace pv
