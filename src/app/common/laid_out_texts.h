// Texts that a view draws again at every poll (a cell's value, a monitor row's name), laid out
// once and then drawn from their glyphs. Shaping a text costs far more than drawing it, and a
// live view would otherwise shape the same few strings forty times a second.
#pragma once
#include <QFont>
#include <QHash>
#include <QLabel>
#include <QStaticText>
#include <QString>

namespace pv {

class LaidOutTexts {
  public:
    struct Text {
        // Drawn with QPainter::drawStaticText at a text's top-left corner, in the font it was
        // laid out for: the pixels QPainter::drawText gives with AlignLeft | AlignTop.
        QStaticText glyphs;
        int advance = 0;        // as QFontMetrics::horizontalAdvance gives it
        qreal exact_width = 0;  // as QFontMetricsF gives it: where drawText right-aligns
    };
    // `text` in `font`, laid out on first use; the reference holds until the next call. The
    // font changing empties the store, as does its growing past a few hundred texts (values
    // that seldom come back).
    const Text& get(const QString& text, const QFont& font);

  private:
    static constexpr int kMost = 512;
    QFont font_;
    QHash<QString, Text> texts_;
};

// A label of one line of plain text, aligned to its top, that paints from laid-out glyphs:
// the monitor's values change at every poll, and QLabel would shape its text again at every
// paint. A number is drawn from the glyphs of its characters, so that a value never seen
// before costs no shaping either. The pixels are QLabel's; whatever else a label can be (rich
// text, wrapped, framed, centred) QLabel paints itself.
class GlyphLabel : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    bool composes(const QString& text);

    LaidOutTexts texts_;
    QFont composing_font_;
    bool composing_ = false;
};

}  // namespace pv
