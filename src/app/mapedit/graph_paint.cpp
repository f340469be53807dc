#include "app/mapedit/graph_paint.h"

#include <QFont>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

#include "app/common/qt_prompter.h"

namespace pv {

QColor graph_color(GraphColor c) {
    switch (c) {
        case GraphColor::grey:
            return {128, 128, 128};
        case GraphColor::red:
            return {255, 0, 0};
        case GraphColor::teal:
            return {0, 128, 128};
        case GraphColor::blue:
            return {0, 0, 255};
        case GraphColor::black:
        default:
            return {0, 0, 0};
    }
}

void paint_graph_scene(QPainter& p, const GraphScene& scene, QFont font) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(Qt::black, 1);
    pen.setCosmetic(true);
    // Through pixel centres, so that level and upright lines stay one pixel wide.
    auto lines = [&](const std::vector<GraphLine>& layer) {
        for (const GraphLine& l : layer) {
            pen.setColor(graph_color(l.color));
            p.setPen(pen);
            p.drawLine(QPointF(l.a.x + 0.5, l.a.y + 0.5), QPointF(l.b.x + 0.5, l.b.y + 0.5));
        }
    };
    lines(scene.axes);
    lines(scene.posts);
    lines(scene.curves);

    font.setPointSize(std::max(scene.font_size, 1));
    p.setFont(font);
    p.setPen(Qt::black);
    const QFontMetrics fm(font);
    const QRect bounds(0, 0, p.device()->width(), p.device()->height());
    for (const GraphLabel& l : scene.labels) {
        const QString t = ui_text(l.text);
        p.drawText(graph_label_box(l, t, fm, bounds),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, t);
    }
    p.restore();
}

QRect graph_label_box(const GraphLabel& label, const QString& text, const QFontMetrics& fm,
                      const QRect& bounds) {
    const int w = fm.horizontalAdvance(text);
    const int h = fm.height();
    QRect box = label.anchor == GraphLabel::Anchor::right_middle
                    ? QRect(label.at.x - w, label.at.y - h / 2, w, h)
                    : QRect(label.at.x - w / 2, label.at.y, w, h);
    // The right and bottom edges give way first: the start of a number matters most.
    box.moveRight(std::min(box.right(), bounds.right()));
    box.moveBottom(std::min(box.bottom(), bounds.bottom()));
    box.moveLeft(std::max(box.left(), bounds.left()));
    box.moveTop(std::max(box.top(), bounds.top()));
    return box;
}

}  // namespace pv
