#include "app/logging/log.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>
#include <map>

#include "app/common/qt_prompter.h"
#include "app/common/spoken.h"
#include "core/document/unit.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

QString log_text(uint32_t n) {
    return ui_text(text(Catalog::Log, n));
}

constexpr int kSpeedButtonWidth = 31;
constexpr int kSpeedButtonHeight = 30;
// What the sub-window's own title bar adds to the design client height.
constexpr int kTitleBarHeight = 24;

QToolButton* speed_button(QWidget* parent, const char* name, const QString& icon,
                          const QString& hint, int x) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(QIcon(icon));
    b->setToolTip(hint);
    b->setAccessibleName(hint);
    b->setAutoRaise(true);
    b->setGeometry(x, 0, kSpeedButtonWidth, kSpeedButtonHeight);
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

std::string absolute_path(const std::string& path) {
    std::error_code ec;
    auto abs = std::filesystem::absolute(path, ec);
    return ec ? path : abs.lexically_normal().string();
}

}  // namespace

QColor log_color(int32_t c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

PaintBox::PaintBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PaintBox::paintEvent(QPaintEvent* event) {
    if (!paint) return;
    QPainter p(this);
    p.setClipRegion(event->region());
    paint(p, event->rect());
}

void PaintBox::mousePressEvent(QMouseEvent* event) {
    if (mouse_down) mouse_down(event);
}

Tlog::Tlog(const LogSide& side, LogWindowHost& host, QWidget* parent)
    : QMdiSubWindow(parent), viewer_(side), host_(host) {
    setObjectName(side.records ? QStringLiteral("log") : QStringLiteral("otherlog"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* client = new QWidget(this);
    auto* row = new QHBoxLayout(client);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    const LogForm& form = side.form;
    // The comparison log heads its left panel with a title; Panel2 holds it above Panel1.
    QWidget* left_panel = nullptr;
    if (form.title_text) {
        Panel2 = new QWidget(client);
        Panel2->setObjectName(QStringLiteral("Panel2"));
        auto* column = new QVBoxLayout(Panel2);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        Panel3 = new QLabel(log_text(form.title_text), Panel2);
        Panel3->setObjectName(QStringLiteral("Panel3"));
        Panel3->setAlignment(Qt::AlignCenter);
        Panel3->setFrameStyle(QFrame::Panel | QFrame::Raised);
        Panel3->setFixedHeight(24);
        Panel3->setAutoFillBackground(true);
        QPalette title = Panel3->palette();
        title.setColor(QPalette::Window, QColor(0x00, 0xFF, 0xFF));
        title.setColor(QPalette::WindowText, Qt::black);
        Panel3->setPalette(title);
        column->addWidget(Panel3);
        Panel1 = new QWidget(Panel2);
        column->addWidget(Panel1, 1);
        left_panel = Panel2;
    } else {
        Panel1 = new QWidget(client);
        left_panel = Panel1;
    }
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* left = new QVBoxLayout(Panel1);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);

    pnldata = new QFrame(Panel1);
    pnldata->setObjectName(QStringLiteral("pnldata"));
    pnldata->setAutoFillBackground(true);
    QFont data_font = pnldata->font();
    data_font.setPixelSize(13);
    pnldata->setFont(data_font);
    auto* boxes = new QHBoxLayout(pnldata);
    boxes->setContentsMargins(0, 0, 0, 0);
    boxes->setSpacing(0);
    pbname = new PaintBox(pnldata);
    pbname->setObjectName(QStringLiteral("pbname"));
    pbname->setAccessibleName(QStringLiteral("Channel names"));
    pbdata = new PaintBox(pnldata);
    pbdata->setObjectName(QStringLiteral("pbdata"));
    pbdata->setAccessibleName(QStringLiteral("Values at the cursor"));
    boxes->addWidget(pbname);
    boxes->addWidget(pbdata, 1);
    left->addWidget(pnldata, 1);

    sbdata = new QScrollBar(Qt::Horizontal, Panel1);
    sbdata->setObjectName(QStringLiteral("sbdata"));
    sbdata->setAccessibleName(QStringLiteral("Channel rows"));
    sbdata->setPageStep(5);
    sbdata->setMaximum(0);
    sbdata->setFocusPolicy(Qt::StrongFocus);
    sbdata->installEventFilter(this);
    left->addWidget(sbdata);

    pnlbtn = new QWidget(Panel1);
    pnlbtn->setObjectName(QStringLiteral("pnlbtn"));
    pnlbtn->setFixedHeight(form.button_panel_height);
    std::vector<QWidget*> order;
    int x = 0;
    for (LogButton b : form.buttons) {
        switch (b) {
            case LogButton::open:
                btnopen = speed_button(pnlbtn, "btnopen", QStringLiteral(":/icons/open.png"),
                                       log_text(side.open_hint_text), x);
                order.push_back(btnopen);
                break;
            case LogButton::save:
                btnsave = speed_button(pnlbtn, "btnsave", QStringLiteral(":/icons/save.png"),
                                       log_text(3), x);
                btnsave->setEnabled(false);
                order.push_back(btnsave);
                break;
            case LogButton::zoom_out:
                btnzoomout = speed_button(pnlbtn, "btnzoomout",
                                          QStringLiteral(":/icons/zoomout.png"), log_text(4), x);
                btnzoomout->setEnabled(false);
                order.push_back(btnzoomout);
                break;
            case LogButton::zoom_in:
                btnzoomin = speed_button(pnlbtn, "btnzoomin", QStringLiteral(":/icons/zoomin.png"),
                                         log_text(5), x);
                order.push_back(btnzoomin);
                break;
            case LogButton::display_setting:
                btnlset = speed_button(pnlbtn, "btnlset", QStringLiteral(":/icons/param.png"),
                                       log_text(6), x);
                btnlset->setEnabled(false);
                order.push_back(btnlset);
                break;
        }
        x += kSpeedButtonWidth;
    }
    lblogdate = new QLabel(pnlbtn);
    lblogdate->setObjectName(QStringLiteral("lblogdate"));
    lblogtime = new QLabel(pnlbtn);
    lblogtime->setObjectName(QStringLiteral("lblogtime"));
    if (form.stamp_in_one_line) {
        lblogdate->setGeometry(2, 35, 76, 13);
        lblogtime->setGeometry(80, 35, 64, 13);
    } else {
        lblogdate->setGeometry(2, 33, 90, 13);
        lblogtime->setGeometry(2, 46, 90, 13);
    }
    lblogdate->hide();
    lblogtime->hide();
    if (side.records) {
        btnlogstart = new QPushButton(log_text(7), pnlbtn);
        btnlogstart->setObjectName(QStringLiteral("btnlogstart"));
        btnlogstart->setToolTip(log_text(8));
        btnlogstart->setAccessibleName(log_text(8));
        btnlogstart->setDefault(true);
        btnlogstart->setGeometry(96, 32, 92, 27);
        order.push_back(btnlogstart);
    }
    left->addWidget(pnlbtn);
    row->addWidget(left_panel);

    pnldraw = new QFrame(client);
    pnldraw->setObjectName(QStringLiteral("pnldraw"));
    pnldraw->setFrameShape(QFrame::Panel);
    pnldraw->setFrameShadow(QFrame::Sunken);
    pnldraw->setAutoFillBackground(true);
    auto* chart = new QVBoxLayout(pnldraw);
    chart->setContentsMargins(1, 1, 1, 1);
    chart->setSpacing(0);
    pblog = new PaintBox(pnldraw);
    pblog->setObjectName(QStringLiteral("pblog"));
    pblog->setAccessibleName(QStringLiteral("Log chart"));
    pblog->installEventFilter(this);
    // The chart takes the keyboard: the arrows move the cursor, + and - zoom.
    pblog->setFocusPolicy(Qt::StrongFocus);
    chart->addWidget(pblog, 1);
    sblog = new QScrollBar(Qt::Horizontal, pnldraw);
    sblog->setObjectName(QStringLiteral("sblog"));
    sblog->setAccessibleName(QStringLiteral("Log position"));
    sblog->setPageStep(10);
    sblog->setMaximum(0);
    sblog->setFocusPolicy(Qt::StrongFocus);
    sblog->installEventFilter(this);
    chart->addWidget(sblog);
    row->addWidget(pnldraw, 1);
    setWidget(client);

    logtimer = new QTimer(this);
    logtimer->setObjectName(QStringLiteral("logtimer"));

    pbname->paint = [this](QPainter& p, const QRect&) { pbnamePaint(p); };
    pbdata->paint = [this](QPainter& p, const QRect&) { pbdataPaint(p); };
    pblog->paint = [this](QPainter& p, const QRect& r) { pblogPaint(p, r); };
    pblog->mouse_down = [this](QMouseEvent* e) { pblogMouseDown(e); };
    speak_lines(pbname, pbname->accessibleName(), [this] { return spoken_rows(false); });
    speak_lines(pbdata, pbdata->accessibleName(), [this] { return spoken_rows(true); });
    speak_text(
        pblog, QAccessible::Chart, [this] { return spoken_cursor(); },
        [this] { return spoken_chart(); });
    connect(btnopen, &QToolButton::clicked, this, [this] { btnopenClick(); });
    if (btnsave) connect(btnsave, &QToolButton::clicked, this, [this] { btnsaveClick(); });
    connect(btnzoomin, &QToolButton::clicked, this, [this] { btnzoominClick(); });
    connect(btnzoomout, &QToolButton::clicked, this, [this] { btnzoomoutClick(); });
    connect(btnlset, &QToolButton::clicked, this, [this] { btnlsetClick(); });
    if (btnlogstart)
        connect(btnlogstart, &QPushButton::clicked, this, [this] { btnlogstartClick(); });
    connect(sblog, &QScrollBar::valueChanged, this, [this](int v) { sblogChange(v); });
    connect(sbdata, &QScrollBar::valueChanged, this, [this](int v) { sbdataChange(v); });

    // Visual order: the buttons left to right, START, the channel rows' scroll bar, the chart
    // and its scroll bar.
    order.push_back(sbdata);
    order.push_back(pblog);
    order.push_back(sblog);
    for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    resize(form.client_width, form.client_height + kTitleBarHeight);
    FormCreate();
}

Tlog::~Tlog() = default;

void Tlog::FormCreate() {
    const LogSide& side = viewer_.side();
    side.open() = 1;
    if (side.records) recording.logging_active = 0;
    // The comparison log forgets the file it showed the last time it was open.
    if (side.opens_empty) side.remembered_file() = viewer_.placeholder();
    if (side.remembered_file().empty()) side.remembered_file() = viewer_.placeholder();
    const std::string& remembered = side.remembered_file();
    set_caption(remembered == viewer_.placeholder() ? remembered : absolute_path(remembered));
    if (btnsave) {
        std::error_code ec;
        btnsave->setEnabled(viewer_.shows_file() && std::filesystem::exists(viewer_.caption(), ec));
    }
    viewer_.view().zoom = 1;

    QFontMetrics names(pnldata->font());
    row_height = names.height() + 6;
    const int w = names.horizontalAdvance(QLatin1Char('A'));
    const bool ja = japanese();
    (Panel2 ? Panel2 : Panel1)->setFixedWidth((ja ? 23 : 28) * w);
    pbname->setFixedWidth((ja ? 15 : 20) * w);

    std::string folder = side.open_folder();
    if (!folder.empty() && folder.back() != '/') folder += '/';
    open_dialog_file_ = folder + "*.PVL";
    save_dialog_file_ = folder + "*.PVL";
    ChReset();
    apply_back_color();
}

int Tlog::chart_width() const {
    return pblog->width();
}

int Tlog::chart_height() const {
    return pblog->height();
}

void Tlog::set_caption(const std::string& caption) {
    viewer_.set_caption(caption);
    setWindowTitle(caption == viewer_.placeholder() ? ui_text(caption)
                                                    : QString::fromStdString(caption));
}

void Tlog::apply_back_color() {
    const QColor c = log_color(viewer_.side().background());
    for (QWidget* w : {static_cast<QWidget*>(pnldata), static_cast<QWidget*>(pnldraw)}) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, c);
        w->setPalette(pal);
    }
}

void Tlog::show_file(const std::string& path) {
    set_caption(absolute_path(path));
    viewer_.side().open_folder() = log_folder_of(viewer_.caption());
    open_dialog_file_ = viewer_.caption();
    ChReset();
}

void Tlog::ChReset() {
    missing_reported_ = false;
    const std::string before = viewer_.caption();
    bool shown = viewer_.load(chart_width());
    if (viewer_.caption() != before) set_caption(viewer_.caption());
    sblog->blockSignals(true);
    sblog->setValue(0);
    sblog->setMaximum(shown ? viewer_.last_index() : 0);
    sblog->blockSignals(false);
    if (!shown) {
        sbdata->setMaximum(0);
        lblogdate->hide();
        lblogtime->hide();
        btnlset->setEnabled(false);
        repaint_all();
        return;
    }
    if (btnsave) btnsave->setEnabled(true);
    btnlset->setEnabled(viewer_.header().n > 0);
    if (viewer_.header().stamped) {
        lblogdate->setText(QString::fromStdString(log_date_text(viewer_.header())));
        lblogtime->setText(QString::fromStdString(log_time_text(viewer_.header())));
        lblogdate->show();
        lblogtime->show();
    } else {
        lblogdate->hide();
        lblogtime->hide();
    }
    SbdataReset();
    host_.log_channels_changed();
    repaint_all();
}

void Tlog::SbdataReset() {
    sbdata->blockSignals(true);
    sbdata->setValue(0);
    viewer_.view().name_row_offset = 0;
    sbdata->setMaximum(drawn_channel_count(viewer_.header(), viewer_.side().channel_settings()));
    sbdata->blockSignals(false);
}

void Tlog::repaint_all() {
    pbname->update();
    pblog->update();
    values_changed();
}

void Tlog::log_link_changed() {
    values_changed();
}

void Tlog::pbnamePaint(QPainter& p) {
    if (!viewer_.paints()) return;
    QFontMetrics fm(p.font());
    for (const TextRow& r : name_rows(viewer_.header(), viewer_.side().channel_settings(),
                                      viewer_.view().name_row_offset)) {
        p.setPen(log_color(r.color));
        p.drawText(4, r.row * row_height + fm.ascent(), ui_text(r.text));
    }
}

void Tlog::pbdataPaint(QPainter& p) {
    if (!viewer_.paints()) return;
    std::vector<int16_t> sample;
    if (!viewer_.read_cursor_sample(sample)) return;
    QFontMetrics fm(p.font());
    for (const TextRow& r :
         value_rows(viewer_.view(), viewer_.header(), viewer_.side().channel_settings(), sample)) {
        p.setPen(log_color(r.color));
        p.drawText(0, r.row * row_height + fm.ascent(), QString::fromStdString(r.text));
    }
}

void Tlog::values_changed() {
    pbdata->update();
    texts_changed(pbdata);
    texts_changed(pblog);
    // Under Log Link the values under the cursor are the live values, whether or not the
    // values column is in sight to be painted.
    if (!state.log_link || !viewer_.paints()) return;
    std::vector<int16_t> sample;
    if (viewer_.read_cursor_sample(sample) && !sample.empty())
        viewer_.push_cursor_values(sample, [this] { host_.log_cursor_moved(viewer_.side()); });
}

// The names column's rows as lines; with `values`, each with the value beside it, as the two
// columns read together across: "Past Time 12.3", "Boost 88.8".
QStringList Tlog::spoken_rows(bool values) const {
    if (!viewer_.paints()) return {};
    const auto& channels = viewer_.side().channel_settings();
    std::map<int, QString> rows;
    for (const TextRow& r : name_rows(viewer_.header(), channels, viewer_.view().name_row_offset))
        rows[r.row] = ui_text(r.text).trimmed();
    std::vector<int16_t> sample;
    if (values && viewer_.read_cursor_sample(sample))
        for (const TextRow& r : value_rows(viewer_.view(), viewer_.header(), channels, sample)) {
            QString& line = rows[r.row];
            const QString value = QString::fromStdString(r.text).trimmed();
            line = line.isEmpty() ? value : line + QLatin1Char(' ') + value;
        }
    QStringList lines;
    for (const auto& [row, line] : rows) lines << line;
    return lines;
}

// The chart as a reader hears it at once: where the cursor stands.
QString Tlog::spoken_cursor() const {
    if (!viewer_.paints()) return pblog->accessibleName();
    const LogHeader& h = viewer_.header();
    const int32_t k = cursor_sample(viewer_.view());
    return QStringLiteral("%1, sample %2 of %3 at %4 s")
        .arg(pblog->accessibleName())
        .arg(k)
        .arg(h.last_index)
        .arg(k / 1000.0 * h.interval, 0, 'f', time_decimals(h.interval));
}

// And on request: the channels drawn, the zoom and the samples in sight.
QString Tlog::spoken_chart() const {
    if (!viewer_.paints()) return {};
    const LogHeader& h = viewer_.header();
    const auto& channels = viewer_.side().channel_settings();
    QStringList drawn;
    for (int pos = 0; pos < h.n; ++pos) {
        const int number = h.ch[static_cast<size_t>(pos)];
        if (number >= 1 && number <= 7 && channels[static_cast<size_t>(number - 1)].draw)
            drawn << ui_text(log_channel_name(number, h.scale()));
    }
    const LogView& v = viewer_.view();
    return QStringLiteral("Channels drawn: %1; %2 pixels per sample; samples %3 to %4 in sight")
        .arg(drawn.isEmpty() ? QStringLiteral("none") : drawn.join(QStringLiteral(", ")))
        .arg(v.zoom)
        .arg(v.first)
        .arg(std::min<int64_t>(int64_t{v.first} + v.columns - 1, h.last_index));
}

void Tlog::pblogPaint(QPainter& p, const QRect& area) {
    // Layer 1: the background (the panel's colour shows through the paint box).
    p.fillRect(area, log_color(viewer_.side().background()));
    if (!viewer_.paints()) return;
    std::vector<int16_t> samples;
    if (!viewer_.read_visible(samples)) {
        report_missing_file();
        return;
    }
    const LogView& v = viewer_.view();
    if (v.first >= viewer_.last_index()) return;
    ChartGeometry g = chart_geometry(v, viewer_.header(), viewer_.side().channel_settings(),
                                     samples, chart_height());
    // Layer 2: the traces, one polyline per channel in file order.
    std::vector<QPoint> pts;
    for (const ChartTrace& t : g.traces) {
        // A cosmetic pen: one pixel wide, drawn on the raster fast path.
        p.setPen(QPen(log_color(t.color), 0));
        pts.clear();
        for (const ChartPoint& c : t.points) pts.emplace_back(c.x, c.y);
        if (pts.size() == 1)
            p.drawPoint(pts[0]);
        else
            p.drawPolyline(pts.data(), static_cast<int>(pts.size()));
    }
    // Layer 3: the marking bars along the top.
    if (g.marking_drawn && !g.bars.empty()) {
        p.setPen(
            QPen(log_color(g.marking_color), ChartGeometry::kBarWidth, Qt::SolidLine, Qt::FlatCap));
        for (const MarkingBar& b : g.bars)
            p.drawLine(b.x0, ChartGeometry::kBarY, b.x1, ChartGeometry::kBarY);
    }
    // Layer 4: the cursor, inverting what lies under it.
    p.setCompositionMode(QPainter::RasterOp_NotDestination);
    p.setPen(QPen(Qt::black, 1));
    const int cx = cursor_x(v);
    p.drawLine(cx, 0, cx, chart_height());
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void Tlog::report_missing_file() {
    if (missing_reported_) return;
    missing_reported_ = true;
    // A message cannot open inside a paint: it follows at once, and the window shows no file
    // from then on, so it comes only once.
    const std::string message = viewer_.missing_text();
    viewer_.forget_missing_file();
    QTimer::singleShot(0, this, [this, message] {
        set_caption(viewer_.caption());
        prompter().message(Icon::Error, message);
        repaint_all();
    });
}

void Tlog::cursor_line_changed(int old_x) {
    const int h = chart_height();
    pblog->update(QRect(old_x, 0, 1, h + 1));
    pblog->update(QRect(cursor_x(viewer_.view()), 0, 1, h + 1));
    values_changed();
}

void Tlog::pblogMouseDown(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int old_x = cursor_x(viewer_.view());
    cursor_to_x(viewer_.view(), event->position().toPoint().x(), viewer_.last_index());
    cursor_line_changed(old_x);
    if (sblog->isVisible()) sblog->setFocus(Qt::MouseFocusReason);
}

void Tlog::sblogChange(int position) {
    scroll_to(viewer_.view(), position, viewer_.last_index());
    pblog->update();
    values_changed();
}

void Tlog::sbdataChange(int position) {
    viewer_.view().name_row_offset = position;
    pbname->update();
    values_changed();
}

void Tlog::btnzoominClick() {
    zoom_in(viewer_.view(), chart_width());
    pblog->update();
    btnzoomout->setEnabled(true);
    if (!can_zoom_in(viewer_.view())) btnzoomin->setEnabled(false);
}

void Tlog::btnzoomoutClick() {
    zoom_out(viewer_.view(), chart_width());
    pblog->update();
    btnzoomin->setEnabled(true);
    if (!can_zoom_out(viewer_.view())) btnzoomout->setEnabled(false);
}

void Tlog::pnldrawResize() {
    fit_columns(viewer_.view(), chart_width());
}

// The chart's keys: Left and Right step the cursor by a sample (with Ctrl by ten), Page Up
// and Page Down by a chart's width, Home and End to the ends; + and - zoom. The view scrolls
// to keep the cursor in sight.
bool Tlog::chart_key(const QKeyEvent& key) {
    if (!viewer_.paints()) return false;
    const LogView& v = viewer_.view();
    const int64_t here = cursor_sample(v);
    const int64_t ten = key.modifiers() & Qt::ControlModifier ? 10 : 1;
    int64_t to = here;
    switch (key.key()) {
        case Qt::Key_Left:
            to = here - ten;
            break;
        case Qt::Key_Right:
            to = here + ten;
            break;
        case Qt::Key_PageUp:
            to = here - v.columns;
            break;
        case Qt::Key_PageDown:
            to = here + v.columns;
            break;
        case Qt::Key_Home:
            to = 0;
            break;
        case Qt::Key_End:
            to = viewer_.last_index();
            break;
        case Qt::Key_Plus:
            if (btnzoomin->isEnabled()) btnzoominClick();
            return true;
        case Qt::Key_Minus:
            if (btnzoomout->isEnabled()) btnzoomoutClick();
            return true;
        default:
            return false;
    }
    cursor_to_sample(static_cast<int32_t>(std::clamp<int64_t>(to, 0, viewer_.last_index())));
    return true;
}

void Tlog::cursor_to_sample(int32_t sample) {
    const LogView& v = viewer_.view();
    if (sample < v.first)
        sblog->setValue(sample);
    else if (int64_t{sample} >= int64_t{v.first} + v.columns)
        sblog->setValue(static_cast<int32_t>(int64_t{sample} - v.columns + 1));
    const int old_x = cursor_x(viewer_.view());
    viewer_.view().cursor = sample - viewer_.view().first;
    cursor_line_changed(old_x);
}

bool Tlog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pblog && event->type() == QEvent::Resize) pnldrawResize();
    if (watched == pblog && event->type() == QEvent::KeyPress &&
        chart_key(*static_cast<QKeyEvent*>(event)))
        return true;
    // A focused scroll bar steps with the arrow keys: Left and Up back, Right and Down on,
    // whatever the style would make of a horizontal bar.
    if ((watched == sblog || watched == sbdata) && event->type() == QEvent::KeyPress) {
        auto* bar = static_cast<QScrollBar*>(watched);
        switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Left:
            case Qt::Key_Up:
                bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
                return true;
            case Qt::Key_Right:
            case Qt::Key_Down:
                bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
                return true;
            default:
                break;
        }
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

void Tlog::btnopenClick() {
    auto chosen = host_.open_log_file(this, open_dialog_file_, viewer_.side().open_filter_text);
    if (!chosen) return;
    std::error_code ec;
    if (!std::filesystem::exists(*chosen, ec)) return;
    set_caption(absolute_path(*chosen));
    open_dialog_file_ = viewer_.caption();
    viewer_.side().open_folder() = log_folder_of(viewer_.caption());
    ChReset();
}

void Tlog::btnsaveClick() {
    auto chosen = host_.save_log_file(this, save_dialog_file_);
    if (!chosen) return;
    save_dialog_file_ = *chosen;
    recording.logging_active = 1;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    pnlbtn->setEnabled(false);
    pnldraw->setEnabled(false);
    const std::string target = absolute_path(*chosen);
    // A failure is reported inside; the panels and the cursor come back on every path.
    if (viewer_.save(target) == LogViewer::SaveResult::saved) set_caption(viewer_.caption());
    pnlbtn->setEnabled(true);
    pnldraw->setEnabled(true);
    QGuiApplication::restoreOverrideCursor();
    recording.logging_active = 0;
    repaint_all();
}

void Tlog::btnlsetClick() {
    if (!host_.run_log_settings(this, viewer_.side(), viewer_.header())) return;
    SbdataReset();
    apply_back_color();
    repaint_all();
}

void Tlog::btnlogstartClick() {
    if (start_recording(*this) && recording.end != RecordingEnd::stopped)
        host_.recording_ended(recording.end);
}

// --- Recording -----------------------------------------------------------------------------

bool Tlog::close_monitor() {
    return host_.close_data_monitor();
}

void Tlog::show_recording_file(const std::string& path) {
    set_caption(path);
}

void Tlog::run_recording_window(uint32_t interval_ms, const std::function<bool()>& tick) {
    QPointer<QDialog> monitor;
    auto on_tick = connect(logtimer, &QTimer::timeout, this, [&] {
        if (tick()) return;
        // The sample limit, a failed write or a silent unit end the recording like Escape.
        logtimer->stop();
        if (monitor) monitor->done(QDialog::Accepted);
    });
    host_.run_recording_monitor([&](QDialog* dlg) {
        monitor = dlg;
        logtimer->start(static_cast<int>(interval_ms));
    });
    logtimer->stop();
    disconnect(on_tick);
}

void Tlog::refresh_monitor() {
    host_.refresh_data_monitor();
}

void Tlog::recording_finished(const std::string& path) {
    set_caption(path);
    ChReset();
}

void Tlog::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        const LogSide& side = viewer_.side();
        side.open() = 0;
        side.remembered_file() = viewer_.caption();
        if (!open_dialog_file_.empty() && open_dialog_file_.find('*') == std::string::npos)
            side.open_folder() = log_folder_of(open_dialog_file_);
        host_.log_window_closed(side);
    }
    QMdiSubWindow::closeEvent(event);
}

}  // namespace pv
