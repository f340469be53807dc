// The map window's log overlay: the legend, and the map window's side of it (which logs are
// shown, when the tally is brought up to date, what each cell carries).
#include "app/mapedit/map_overlay.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>

#include "app/common/qt_prompter.h"
#include "app/mapedit/map.h"
#include "app/mapedit/map_grid.h"
#include "app/mapedit/map_host.h"
#include "core/ui/texts.h"

namespace pv {

QColor overlay_qcolor(OverlayRgb c) {
    return QColor(c.r, c.g, c.b);
}

OverlayScaleBar::OverlayScaleBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pboverlayscale"));
    setFixedWidth(18);
    setMinimumHeight(60);
}

void OverlayScaleBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    for (int k = 0; k <= 8; ++k)
        g.setColorAt(k / 8.0, overlay_qcolor(overlay_colour(1.0 - k / 8.0)));
    p.fillRect(r, g);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawRect(r);
}

MapLegend::MapLegend(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("pnloverlay"));
    setAccessibleName(ui_text(text(Catalog::Menu, 130)));
    auto label = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    title = label("lboverlaytitle");
    high = label("lboverlayhigh");
    low = label("lboverlaylow");
    empty = label("lboverlayempty");
    source = label("lboverlaysource");
    filter = label("lboverlayfilter");
    note = label("lboverlaynote");
    note->setWordWrap(true);
    bar_ = new OverlayScaleBar(this);
    swatch_ = new QFrame(this);
    swatch_->setFixedSize(18, 14);
    static_cast<QFrame*>(swatch_)->setFrameStyle(QFrame::Box | QFrame::Plain);
    swatch_->setAutoFillBackground(true);
    QPalette pal = swatch_->palette();
    pal.setColor(QPalette::Window, palette().color(QPalette::Base));
    swatch_->setPalette(pal);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(title, 0, 0, 1, 2);
    layout->addWidget(bar_, 1, 0, 2, 1);
    layout->addWidget(high, 1, 1, Qt::AlignTop);
    layout->addWidget(low, 2, 1, Qt::AlignBottom);
    layout->addWidget(swatch_, 3, 0);
    layout->addWidget(empty, 3, 1);
    layout->addWidget(source, 4, 0, 1, 2);
    layout->addWidget(filter, 5, 0, 1, 2);
    layout->addWidget(note, 6, 0, 1, 2);
    layout->setRowStretch(7, 1);
    setMinimumWidth(120);
    setMaximumWidth(220);
    hide();
}

void MapLegend::show_look(const OverlayLook& look) {
    setVisible(look.on);
    if (!look.on) return;
    title->setText(ui_text(look.legend.title));
    source->setText(ui_text(look.legend.source));
    filter->setText(ui_text(look.legend.filter));
    note->setText(ui_text(look.note));
    note->setVisible(!look.note.empty());
    high->setText(ui_text(look.legend.high));
    low->setText(ui_text(look.legend.low));
    empty->setText(ui_text(look.legend.empty));
    for (QWidget* w : {static_cast<QWidget*>(bar_), static_cast<QWidget*>(high),
                       static_cast<QWidget*>(low), swatch_, static_cast<QWidget*>(empty)})
        w->setVisible(look.drawn);
    // A reader hears the whole legend at once.
    QStringList said{title->text()};
    if (look.drawn) said << high->text() + QStringLiteral(" - ") + low->text() << empty->text();
    said << source->text() << filter->text();
    if (!look.note.empty()) said << note->text();
    setAccessibleDescription(said.join(QStringLiteral(", ")));
}

// --- The map window's side --------------------------------------------------------------

Tmap::~Tmap() = default;

const OverlayLook& Tmap::overlay() const {
    return overlay_->look;
}

const OverlayTally& Tmap::overlay_tally() const {
    return overlay_->tally;
}

const OverlayCell* Tmap::overlay_cell(int column, int row) const {
    if (!overlay_->look.drawn || column < 1 || column > 5 || row < 1 || row > 5) return nullptr;
    const OverlayCell& c = overlay_->look.cells[column - 1][row - 1];
    return c.filled ? &c : nullptr;
}

void Tmap::refresh_overlay(bool choice_changed) {
    const OverlayChoice choice = overlay_choice();
    const OverlaySource source = overlay_source();
    // Off costs nothing: the tally waits until a choice needs it.
    bool computed = false;
    if (choice != OverlayChoice::off)
        computed = overlay_->tally.update(host_->shown_log_file(source), overlay_filter());
    if (!computed && !choice_changed) return;
    overlay_->look = overlay_look(overlay_->tally, choice, source);
    MapGridModel& cells = *sgmap->cells();
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 5; ++r)
            cells.set_tip(c, r,
                          overlay_->look.on && overlay_->look.note.empty()
                              ? ui_text(overlay_->look.cells[c - 1][r - 1].tooltip)
                              : QString());
    lbloverlay->show_look(overlay_->look);
    cells.repaint_all();
}

}  // namespace pv
