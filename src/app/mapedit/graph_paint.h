// Draws the graph's layers, as the core laid them out, onto a painter.
#pragma once
#include <QColor>

#include "core/mapedit/graph_view.h"

class QFontMetrics;
class QPainter;
class QFont;
class QRect;

namespace pv {

QColor graph_color(GraphColor c);
// Axes and zero line (or base plane), posts, curves (or mesh), labels, in that order, over
// what the painter's device already shows. `font` is the paint box's font; its size is set
// from the scene.
void paint_graph_scene(QPainter& p, const GraphScene& scene, QFont font);
// Where a label's text goes: placed by its anchor, then moved back inside `bounds` where
// the anchor would cut it (a long value-axis label on a narrow window).
QRect graph_label_box(const GraphLabel& label, const QString& text, const QFontMetrics& fm,
                      const QRect& bounds);

}  // namespace pv
