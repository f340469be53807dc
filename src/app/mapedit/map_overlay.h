// The legend of the map grid's log overlay, beside the grid: the choice and its unit, the
// colour scale from its lowest to its highest figure, the swatch of cells without samples,
// the log it reads and the samples that count; or, when nothing can be drawn, why.
#pragma once
#include <QFrame>

#include "core/logging/map_overlay.h"

class QLabel;

namespace pv {

// The colour bar alone: the overlay's scale, the highest figure at the top.
class OverlayScaleBar : public QWidget {
  public:
    explicit OverlayScaleBar(QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

class MapLegend : public QFrame {
  public:
    explicit MapLegend(QWidget* parent);
    // Shows `look`; hidden while the overlay is off.
    void show_look(const OverlayLook& look);

    QLabel* title = nullptr;
    QLabel* high = nullptr;
    QLabel* low = nullptr;
    QLabel* empty = nullptr;
    QLabel* source = nullptr;
    QLabel* filter = nullptr;
    QLabel* note = nullptr;

  private:
    OverlayScaleBar* bar_ = nullptr;
    QWidget* swatch_ = nullptr;
};

QColor overlay_qcolor(OverlayRgb c);

// What the map window keeps of its overlay: the tally and the look made from it.
struct MapOverlayState {
    OverlayTally tally;
    OverlayLook look;
};

}  // namespace pv
