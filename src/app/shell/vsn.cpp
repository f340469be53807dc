#include "app/shell/vsn.h"

#include <QAccessible>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <utility>

#include "app/common/qt_prompter.h"
#include "app/common/spoken.h"
#include "core/ui/about.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

// The form's design: rows of the panel and the left edge of the version labels.
constexpr int kPanelLeft = 8;
constexpr int kPanelTop = 8;
constexpr int kLabelLeft = 16;
constexpr int kIconTop = 12;
constexpr int kNameTop = 14;
constexpr int kVersionTop = 36;
constexpr int kValveTop = 72;
constexpr int kDisplayTop = 92;
constexpr int kCopyrightTop = 124;
constexpr int kPanelHeight = 150;
constexpr int kButtonGap = 10;

QLabel* label(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(left, top);
    l->adjustSize();
    return l;
}

int text_width(const QLabel* l, const QString& t) {
    return l->fontMetrics().horizontalAdvance(t);
}

}  // namespace

Tvsndlg::Tvsndlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("vsndlg"));
    setWindowTitle(QStringLiteral("About"));
    setModal(true);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(QPixmap(QStringLiteral(":/images/pvedit.png"))
                               .scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    ProgramIcon->setFixedSize(32, 32);
    ProgramIcon->setAccessibleName(QStringLiteral("Pavex Dravlo"));
    ProductName = label(Panel1, "ProductName", QStringLiteral("Pavex Dravlo"), 0, kNameTop);
    Version = label(Panel1, "Version", QStringLiteral("Version 1.11"), 0, kVersionTop);
    lbvalve_ver = label(Panel1, "lbvalve_ver", QStringLiteral("Valve Ver."), kLabelLeft, kValveTop);
    lbvnum_valve = label(Panel1, "lbvnum_valve", QStringLiteral("CONNECTING ERROR"), 0, kValveTop);
    lbdisp_ver =
        label(Panel1, "lbdisp_ver", QStringLiteral("Display Ver."), kLabelLeft, kDisplayTop);
    lbvnum_display =
        label(Panel1, "lbvnum_display", QStringLiteral("CONNECTING ERROR"), 0, kDisplayTop);
    // A screen reader reads each number with the caption beside it: "Valve Ver. 1.23".
    for (auto [number, caption] : {std::pair{lbvnum_valve, lbvalve_ver}, {lbvnum_display, lbdisp_ver}})
        speak_text(number, QAccessible::StaticText, [number, caption] {
            return caption->text() + QLatin1Char(' ') + number->text().trimmed();
        });
    Copyright = label(Panel1, "Copyright", ui_text(text(Catalog::Ver, 3)), 0, kCopyrightTop);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();
}

void Tvsndlg::FormCreate() {
    Version->setText(QString::fromStdString(about_version_text()));
    Version->adjustSize();

    const FirmwareVersions v = read_firmware_versions();
    lbvnum_valve->setText(ui_text(firmware_version_text(v.valve)));
    lbvnum_display->setText(ui_text(firmware_version_text(v.display)));

    AboutMeasures m;
    m.disp_label_left = lbdisp_ver->x();
    m.disp_label_width = text_width(lbdisp_ver, lbdisp_ver->text());
    m.width_A = text_width(lbvnum_display, QStringLiteral("A"));
    m.width_C = fontMetrics().horizontalAdvance(QLatin1Char('C'));
    m.icon_width = ProgramIcon->width();
    m.error_text_width = text_width(lbvnum_display, ui_text(text(Catalog::Ver, 6)));
    m.panel_left = kPanelLeft;
    m.ok_width = OKButton->sizeHint().width();
    const QString notice = ui_text(text(Catalog::Ver, 3));
    m.copyright_width = text_width(Copyright, notice);
    m.copyright_height = Copyright->fontMetrics().height();
    m.japanese = japanese();
    const AboutLayout l = about_layout(m);

    lbvnum_display->move(l.number_left, lbvnum_display->y());
    lbvnum_valve->move(l.number_left, lbvnum_valve->y());
    lbvnum_valve->adjustSize();
    lbvnum_display->adjustSize();
    ProgramIcon->move(l.icon_left, kIconTop);
    ProductName->move(l.name_left, ProductName->y());
    Version->move(l.name_left, Version->y());
    Copyright->resize(l.copyright_width, l.copyright_height);
    Panel1->setGeometry(kPanelLeft, kPanelTop, l.panel_width, kPanelHeight);
    Copyright->move(l.copyright_left, Copyright->y());

    OKButton->resize(m.ok_width, OKButton->sizeHint().height());
    const int height = kPanelTop + kPanelHeight + kButtonGap + OKButton->height() + kButtonGap;
    OKButton->move(l.ok_left, kPanelTop + kPanelHeight + kButtonGap);
    setFixedSize(l.form_width, height);
}

}  // namespace pv
