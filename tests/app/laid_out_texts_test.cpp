// The live views draw their repeated texts from laid-out glyphs instead of QPainter::drawText:
// the pixels must be the ones drawText gives, or the map and the monitor would look different
// while the link runs than when they are painted anew.
#include "app/common/laid_out_texts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "app_fixture.h"

namespace pv::test {
namespace {

QImage blank() {
    QImage i(240, 48, QImage::Format_RGB32);
    i.fill(Qt::white);
    return i;
}

TEST(LaidOutTexts, DrawTheSamePixelsAsDrawTextAndFollowTheFont) {
    application();
    LaidOutTexts texts;
    for (int pixels : {11, 16, 23}) {
        QFont font = QApplication::font();
        font.setPixelSize(pixels);
        const QFontMetrics fm(font);
        for (const QString& t : {QStringLiteral("  88.8"), QStringLiteral("-888.8"),
                                 QStringLiteral("offset correction*"),
                                 QStringLiteral("ブースト補正"), QStringLiteral("km/h")}) {
            QImage expected = blank(), drawn = blank();
            {
                QPainter p(&expected);
                p.setFont(font);
                p.setPen(Qt::red);
                p.drawText(QRect(5, 7, fm.horizontalAdvance(t), fm.height()),
                           Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, t);
            }
            {
                QPainter p(&drawn);
                p.setFont(font);
                p.setPen(Qt::red);
                p.drawStaticText(QPoint(5, 7), texts.get(t, font).glyphs);
            }
            EXPECT_EQ(drawn, expected) << t.toStdString() << " at " << pixels << " px";
            // A text kept from another size would place the monitor's labels wrongly.
            EXPECT_EQ(texts.get(t, font).advance, fm.horizontalAdvance(t));
        }
    }
}

}  // namespace
}  // namespace pv::test
