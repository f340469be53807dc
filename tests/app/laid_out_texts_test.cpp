// The live views draw their repeated texts from laid-out glyphs instead of QPainter::drawText:
// the pixels must be the ones drawText gives, or the map and the monitor would look different
// while the link runs than when they are painted anew.
#include "app/common/laid_out_texts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
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

// The monitor's values: a label's look, right- or left-aligned, in its own colour and font,
// whatever width the label is given.
TEST(LaidOutTexts, GlyphLabelsLookAsLabelsDo) {
    application();
    for (const Qt::Alignment align : {Qt::AlignRight | Qt::AlignTop, Qt::AlignLeft | Qt::AlignTop,
                                      Qt::AlignLeft | Qt::AlignVCenter}) {
        for (int pixels : {16, 27}) {
            for (const QString& t :
                 {QStringLiteral("  88.8"), QStringLiteral("-1.25"), QStringLiteral("12000"),
                  QStringLiteral("+0,47"), QStringLiteral("ブースト"), QStringLiteral("1.2 km")}) {
                QLabel label(t);
                GlyphLabel glyphs(t);
                for (QLabel* l : {&label, static_cast<QLabel*>(&glyphs)}) {
                    l->setTextFormat(Qt::PlainText);
                    QFont f = l->font();
                    f.setPixelSize(pixels);
                    l->setFont(f);
                    QPalette p = l->palette();
                    p.setColor(QPalette::WindowText, QColor(0, 128, 0));
                    l->setPalette(p);
                    l->setAlignment(align);
                    l->setGeometry(0, 0, 150, pixels * 2);
                }
                EXPECT_EQ(glyphs.grab().toImage(), label.grab().toImage())
                    << t.toStdString() << " at " << pixels << " px, alignment " << align;
            }
        }
    }
}

}  // namespace
}  // namespace pv::test
