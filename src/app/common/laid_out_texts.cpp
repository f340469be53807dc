#include "app/common/laid_out_texts.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

namespace pv {

const LaidOutTexts::Text& LaidOutTexts::get(const QString& text, const QFont& font) {
    if (font != font_) {
        texts_.clear();
        font_ = font;
    }
    auto it = texts_.find(text);
    if (it != texts_.end()) return *it;
    if (texts_.size() >= kMost) texts_.clear();
    Text t;
    t.glyphs.setText(text);
    t.glyphs.setTextFormat(Qt::PlainText);
    t.glyphs.setPerformanceHint(QStaticText::AggressiveCaching);
    t.glyphs.prepare(QTransform(), font);
    t.exact_width = QFontMetricsF(font).horizontalAdvance(text);
    t.advance = qRound(t.exact_width);
    return *texts_.insert(text, std::move(t));
}

void GlyphLabel::paintEvent(QPaintEvent* e) {
    const Qt::Alignment align = QStyle::visualAlignment(Qt::LeftToRight, alignment());
    const QString& shown = text();
    const bool one_plain_line =
        textFormat() == Qt::PlainText && !wordWrap() && frameWidth() == 0 && margin() == 0 &&
        indent() <= 0 && layoutDirection() == Qt::LeftToRight && (align & Qt::AlignTop) &&
        !(align & Qt::AlignHCenter) && !shown.contains(QLatin1Char('\n')) && pixmap().isNull();
    if (!one_plain_line) {
        QLabel::paintEvent(e);
        return;
    }
    if (shown.isEmpty()) return;
    // As QLabel hands it to the style: the palette of the widget's state, its text role.
    QStyleOption opt;
    opt.initFrom(this);
    QPainter p(this);
    p.setPen(QPen(opt.palette.brush(foregroundRole()), p.pen().widthF()));
    const QRect r = contentsRect();
    const bool right = align & Qt::AlignRight;
    if (!composes(shown)) {
        const LaidOutTexts::Text& laid = texts_.get(shown, font());
        p.drawStaticText(QPointF(right ? r.x() + r.width() - laid.exact_width : r.x(), r.y()),
                         laid.glyphs);
        return;
    }
    qreal width = 0;
    for (const QChar ch : shown) width += texts_.get(ch, font()).exact_width;
    qreal x = right ? r.x() + r.width() - width : r.x();
    for (const QChar ch : shown) {
        const LaidOutTexts::Text& laid = texts_.get(ch, font());
        p.drawStaticText(QPointF(x, r.y()), laid.glyphs);
        x += laid.exact_width;
    }
}

// A number is set as its characters side by side, unless the font kerns some pair of them:
// tried once for each font, on every pair.
bool GlyphLabel::composes(const QString& text) {
    static const QString kNumberCharacters = QStringLiteral("0123456789.,-+ ");
    if (font() != composing_font_) {
        composing_font_ = font();
        const QFontMetricsF fm(composing_font_);
        composing_ = true;
        for (const QChar a : kNumberCharacters)
            for (const QChar b : kNumberCharacters)
                if (fm.horizontalAdvance(QString(a) + b) !=
                    fm.horizontalAdvance(QString(a)) + fm.horizontalAdvance(QString(b)))
                    composing_ = false;
    }
    return composing_ && std::all_of(text.begin(), text.end(),
                                     [](QChar ch) { return kNumberCharacters.contains(ch); });
}

}  // namespace pv
