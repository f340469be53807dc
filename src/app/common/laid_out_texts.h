// Texts that a view draws again at every poll (a cell's value, a monitor row's name), laid out
// once and then drawn from their glyphs. Shaping a text costs far more than drawing it, and a
// live view would otherwise shape the same few strings forty times a second.
#pragma once
#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QString>

namespace pv {

class LaidOutTexts {
  public:
    struct Text {
        // Drawn with QPainter::drawStaticText at a text's top-left corner, in the font it was
        // laid out for: the pixels QPainter::drawText gives with AlignLeft | AlignTop.
        QStaticText glyphs;
        int advance = 0;  // as QFontMetrics::horizontalAdvance gives it
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

}  // namespace pv
