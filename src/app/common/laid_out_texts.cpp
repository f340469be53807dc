#include "app/common/laid_out_texts.h"

#include <QFontMetrics>

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
    t.advance = QFontMetrics(font).horizontalAdvance(text);
    return *texts_.insert(text, std::move(t));
}

}  // namespace pv
