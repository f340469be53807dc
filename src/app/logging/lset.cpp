#include "app/logging/lset.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <algorithm>
#include <array>

#include "app/common/modal.h"
#include "app/common/qt_prompter.h"
#include "app/logging/log.h"
#include "app/mapedit/map_grid.h"
#include "core/ui/texts.h"

namespace pv {

int32_t stored_color(const QColor& color) {
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

std::optional<int32_t> desktop_color_dialog(QWidget* parent, int32_t initial,
                                            const std::optional<int32_t>& custom) {
    // The custom colours are process-wide in Qt; the other log's dialog keeps its own.
    std::array<QColor, 16> saved;
    for (int i = 0; i < 16; ++i) saved[i] = QColorDialog::customColor(i);
    if (custom)
        for (int i = 0; i < 16; ++i) QColorDialog::setCustomColor(i, log_color(*custom));
    QColor chosen = QColorDialog::getColor(log_color(initial), parent);
    if (custom)
        for (int i = 0; i < 16; ++i) QColorDialog::setCustomColor(i, saved[i]);
    if (!chosen.isValid()) return std::nullopt;
    return stored_color(chosen);
}

namespace {

constexpr int kItemHeight = 18;
constexpr int kClientHeight = 230;
constexpr int kMargin = 8;  // the list's left and top
constexpr int kRowStep = 28;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kEditHeight = 21;
const QColor kSilver(0xC0, 0xC0, 0xC0);

// Rows of hidden channels in silver; every row's text at the item's top left.
class ChannelRowDelegate : public QStyledItemDelegate {
  public:
    ChannelRowDelegate(const ChannelSettingsWork& work, QObject* parent)
        : QStyledItemDelegate(parent), work_(work) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        QColor back = selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base);
        QColor fore = selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text);
        switch (work_.look(index.row() + 1, selected)) {
            case ChannelSettingsWork::RowLook::hidden_selected:
                back = kSilver;
                fore = pal.color(QPalette::Base);
                break;
            case ChannelSettingsWork::RowLook::hidden:
                fore = kSilver;
                break;
            case ChannelSettingsWork::RowLook::normal:
                break;
        }
        p->save();
        p->fillRect(option.rect, back);
        p->setPen(fore);
        p->setFont(option.font);
        p->drawText(option.rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    index.data(Qt::DisplayRole).toString());
        if (option.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(option);
            focus.backgroundColor = back;
            option.widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, p,
                                                  option.widget);
        }
        p->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kItemHeight};
    }

  private:
    const ChannelSettingsWork& work_;
};

QString log_text(uint32_t number) {
    return ui_text(text(Catalog::Log, number));
}

}  // namespace

Tlsetdlg::Tlsetdlg(const LogSide& side, const std::vector<int>& file_channels, const LogScale& file,
                   ColorChooser choose_color, QWidget* parent)
    : QDialog(parent),
      side_(side),
      work_(side, file_channels, file, current_unit_scale()),
      choose_color_(std::move(choose_color)),
      dialog_color_(side.color_dialog_seed) {
    FormCreate();
}

bool Tlsetdlg::run(const LogSide& side, const LogHeader& h, const ColorChooser& choose_color,
                   QWidget* parent) {
    std::vector<int> channels(h.ch.begin(), h.ch.begin() + std::clamp(h.n, 0, kMaxLogChannels));
    Tlsetdlg dlg(side, channels, LogScale{h.rev_flag, h.pressure_unit}, choose_color, parent);
    return run_modal(dlg) == QDialog::Accepted;
}

void Tlsetdlg::FormCreate() {
    setObjectName(QString::fromLatin1(side_.dialog_name));
    setWindowTitle(log_text(side_.dialog_caption_text));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    lblset = new QListWidget(this);
    lblset->setObjectName("lblset");
    lblset->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lblset->setItemDelegate(new ChannelRowDelegate(work_, lblset));
    lblset->setUniformItemSizes(true);
    lblset->setAccessibleName(windowTitle());

    pnldisplayset = new QWidget(this);
    pnldisplayset->setObjectName("pnldisplayset");
    cbdraw = new QCheckBox(log_text(24), pnldisplayset);
    cbdraw->setObjectName("cbdraw");
    cbdraw->setAccessibleName(cbdraw->text());

    auto make_panel = [this](QWidget* owner, const char* name, QLabel* label) {
        auto* panel = new QPushButton(owner);
        panel->setObjectName(name);
        panel->setAutoDefault(false);
        panel->setAccessibleName(label->text());
        label->setBuddy(panel);
        return panel;
    };
    auto make_edit = [](QWidget* owner, const char* name, QLabel* label) {
        auto* edit = new QLineEdit(owner);
        edit->setObjectName(name);
        edit->setMaxLength(6);
        edit->setAccessibleName(label->text());
        label->setBuddy(edit);
        return edit;
    };
    lbcolor = new QLabel(log_text(25), pnldisplayset);
    pnlcolor = make_panel(pnldisplayset, "pnlcolor", lbcolor);
    lbmax = new QLabel(log_text(26), pnldisplayset);
    edmax = make_edit(pnldisplayset, "edmax", lbmax);
    lbmin = new QLabel(log_text(27), pnldisplayset);
    edmin = make_edit(pnldisplayset, "edmin", lbmin);
    lbbcolor = new QLabel(log_text(28), this);
    pnlbcolor = make_panel(this, "pnlbcolor", lbbcolor);

    btnok = new QPushButton(QStringLiteral("OK"), this);
    btnok->setObjectName("btnok");
    btncancel = new QPushButton(QStringLiteral("CANCEL"), this);
    btncancel->setObjectName("btncancel");
    for (QPushButton* b : {btnok, btncancel}) {
        b->setAutoDefault(false);
        b->setAccessibleName(b->text());
    }

    setTabOrder(lblset, cbdraw);
    setTabOrder(cbdraw, pnlcolor);
    setTabOrder(pnlcolor, edmax);
    setTabOrder(edmax, edmin);
    setTabOrder(edmin, pnlbcolor);
    setTabOrder(pnlbcolor, btnok);
    setTabOrder(btnok, btncancel);

    for (const auto& row : work_.rows()) lblset->addItem(ui_text(row.name));

    connect(lblset, &QListWidget::itemSelectionChanged, this, &Tlsetdlg::lblsetClick);
    connect(lblset, &QListWidget::currentRowChanged, this, &Tlsetdlg::lblsetClick);
    connect(cbdraw, &QCheckBox::clicked, this, &Tlsetdlg::cbdrawClick);
    connect(pnlcolor, &QPushButton::clicked, this, &Tlsetdlg::pnlcolorClick);
    connect(pnlbcolor, &QPushButton::clicked, this, &Tlsetdlg::pnlbcolorClick);
    connect(btnok, &QPushButton::clicked, this, &Tlsetdlg::btnokClick);
    connect(btncancel, &QPushButton::clicked, this, &QDialog::reject);
    edmax->installEventFilter(this);
    edmin->installEventFilter(this);

    if (lblset->count() > 0) {
        lblset->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
        DataRef(1);
    } else {
        DataRef(0);
    }
    paint_panel(pnlbcolor, work_.background());

    layout_by_language();
}

void Tlsetdlg::layout_by_language() {
    const int w = QFontMetrics(font()).horizontalAdvance(QLatin1Char('A'));
    const bool ja = japanese();
    const int list_width = (ja ? 14 : 20) * w;
    const int panel_width = (ja ? 15 : 21) * w;
    const int control_left = (ja ? 6 : 11) * w;
    const int back_offset = (ja ? 4 : 6) * w;
    const int ok_left = (ja ? 5 : 10) * w;
    const int list_height = kItemHeight * kLogChannels + 2 * lblset->frameWidth();

    lblset->setGeometry(kMargin, kMargin, list_width, list_height);
    const int panel_left = 2 * kMargin + list_width;
    pnldisplayset->setGeometry(panel_left, kMargin, panel_width, list_height);
    cbdraw->setGeometry(w, 4, ja ? 50 : 81, 20);
    const int control_width = panel_width - control_left - w;
    QLabel* labels[] = {lbcolor, lbmax, lbmin};
    QWidget* controls[] = {pnlcolor, edmax, edmin};
    for (int i = 0; i < 3; ++i) {
        int y = 4 + kRowStep * (i + 1);
        labels[i]->setGeometry(w, y, control_left - w, kEditHeight);
        controls[i]->setGeometry(control_left, y, control_width, kEditHeight);
    }

    const int back_y = kMargin + list_height + 10;
    lbbcolor->setGeometry(panel_left + w, back_y, back_offset - w, kEditHeight);
    pnlbcolor->setGeometry(panel_left + back_offset, back_y, panel_width - back_offset,
                           kEditHeight);
    // A label wider than its room (a long translation) pushes the panel to the right.
    if (lbbcolor->sizeHint().width() > back_offset - w) {
        int shift = lbbcolor->sizeHint().width() - (back_offset - w);
        lbbcolor->setFixedWidth(lbbcolor->sizeHint().width());
        pnlbcolor->setGeometry(panel_left + back_offset + shift, back_y,
                               std::max(w, panel_width - back_offset - shift), kEditHeight);
    }

    const int button_y = kClientHeight - kButtonHeight - 10;
    btnok->setGeometry(ok_left, button_y, kButtonWidth, kButtonHeight);
    btncancel->setGeometry(ok_left + kButtonWidth + 2 * w, button_y, kButtonWidth, kButtonHeight);

    int width = panel_left + panel_width + 2 * kMargin;
    width = std::max(width, btncancel->geometry().right() + 1 + kMargin);
    setFixedSize(width, kClientHeight);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Tlsetdlg::paint_panel(QPushButton* panel, int32_t color) {
    // A flat, filled button: a colour swatch that the keyboard reaches as well.
    panel->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px inset "
                                        "gray; } QPushButton:disabled { border-style: dotted; }")
                             .arg(log_color(color).name()));
    panel->setProperty("color", static_cast<qlonglong>(color));
}

void Tlsetdlg::DataRef(int row) {
    work_.select(row);
    const auto v = work_.view(static_cast<int>(selected_rows().size()));
    // setChecked does not emit clicked, so the Display handler stays out of it.
    cbdraw->setChecked(v.draw);
    paint_panel(pnlcolor, v.color);
    edmax->setText(QString::fromStdString(v.max_text));
    edmin->setText(QString::fromStdString(v.min_text));
    pnlcolor->setEnabled(v.color_enabled);
    edmax->setEnabled(v.edits_enabled);
    edmin->setEnabled(v.edits_enabled);
}

std::vector<int> Tlsetdlg::selected_rows() const {
    std::vector<int> rows;
    for (int i = 0; i < lblset->count(); ++i)
        if (lblset->item(i)->isSelected()) rows.push_back(i + 1);
    return rows;
}

void Tlsetdlg::lblsetClick() {
    if (lblset->currentRow() < 0) return;
    DataRef(lblset->currentRow() + 1);
}

void Tlsetdlg::cbdrawClick(bool checked) {
    work_.set_draw(selected_rows(), checked);
    lblset->viewport()->update();
}

std::optional<int32_t> Tlsetdlg::choose(int32_t current) {
    int32_t initial = dialog_color_.value_or(current);
    auto chosen = choose_color_(this, initial, side_.color_dialog_seed);
    if (chosen && side_.color_dialog_seed) dialog_color_ = chosen;
    return chosen;
}

void Tlsetdlg::pnlcolorClick() {
    if (work_.current_row() == 0) return;
    if (auto c = choose(work_.rows()[work_.current_row() - 1].rec.color)) {
        work_.set_color(*c);
        paint_panel(pnlcolor, *c);
    }
}

void Tlsetdlg::pnlbcolorClick() {
    if (auto c = choose(work_.background())) {
        work_.set_background(*c);
        paint_panel(pnlbcolor, *c);
    }
}

EditField Tlsetdlg::field_of(QLineEdit* edit) const {
    return edit == edmax ? EditField::max : EditField::min;
}

void Tlsetdlg::edit_exit(QLineEdit* edit) {
    if (work_.current_row() == 0 || !edit->isEnabled()) return;
    edit->setText(QString::fromStdString(work_.leave(field_of(edit), edit->text().toStdString())));
}

bool Tlsetdlg::edit_key_down(QLineEdit* edit, int vkey) {
    if (work_.current_row() == 0) return is_step_key(vkey);
    auto shown = work_.key(field_of(edit), vkey, edit->text().toStdString());
    if (!shown) return false;
    edit->setText(QString::fromStdString(*shown));
    return true;
}

bool Tlsetdlg::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && (edit == edmax || edit == edmin)) {
        if (event->type() == QEvent::FocusOut) edit_exit(edit);
        if (event->type() == QEvent::KeyPress &&
            edit_key_down(edit, virtual_key(static_cast<QKeyEvent*>(event))))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Tlsetdlg::btnokClick() {
    // A button pressed from the keyboard leaves the edit's text untaken otherwise.
    if (QWidget* f = focusWidget(); f == edmax || f == edmin) edit_exit(static_cast<QLineEdit*>(f));
    work_.commit();
    accept();
}

}  // namespace pv
