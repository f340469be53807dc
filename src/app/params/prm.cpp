#include "app/params/prm.h"

#include <QAccessible>
#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QVBoxLayout>
#include <span>

#include "app/common/qt_prompter.h"
#include "app/common/spoken.h"
#include "core/document/unit.h"
#include "core/link/netunit.h"
#include "core/params/memo.h"
#include "core/params/throttle_sample.h"
#include "core/ui/texts.h"
#include "platform/codepage.h"

namespace pv {

namespace {

QString prm_text(uint32_t number) {
    return ui_text(text(Catalog::Prm, number));
}

QString latin(const char* s) {
    return QString::fromLatin1(s);
}

QComboBox* make_list(QWidget* parent, const char* name, std::span<const char* const> entries) {
    auto* c = new QComboBox(parent);
    c->setObjectName(latin(name));
    for (const char* e : entries) c->addItem(latin(e));
    return c;
}

// A caption label that names `buddy` for the keyboard and for screen readers.
// Lists would otherwise be read out by their current entry alone.
QLabel* caption(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    if (buddy->accessibleName().isEmpty()) buddy->setAccessibleName(text);
    return l;
}

std::optional<std::string> encode_char(std::string_view c) {
    return utf8_to_codepage(std::string(c), settings.lang_id);
}

}  // namespace

Tprmdlg::Tprmdlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("prmdlg"));
    setWindowTitle(QStringLiteral("Parameter Setting"));
    setModal(true);
    build();
    FormCreate();
}

void Tprmdlg::build() {
    auto* column = new QVBoxLayout(this);
    pcprm = new QTabWidget(this);
    pcprm->setObjectName(QStringLiteral("pcprm"));
    column->addWidget(pcprm);

    auto make_edit = [this](QWidget* parent, PrmField f) {
        auto* e = new QLineEdit(parent);
        e->setObjectName(QStringLiteral("ed") + latin(prm_field(f).name));
        e->setMaxLength(12);
        e->setAlignment(Qt::AlignRight);
        e->installEventFilter(this);
        ed[static_cast<size_t>(f)] = e;
        return e;
    };
    auto unit_label = [this](QWidget* parent, int index, PrmField f) {
        auto* l = new QLabel(parent);
        l->setObjectName(QStringLiteral("lbkpaorpsi%1").arg(index + 1));
        lbkpaorpsi[static_cast<size_t>(index)] = l;
        unit_[static_cast<size_t>(f)] = l;
        return l;
    };
    auto radio_pair = [](QWidget* parent, const QString& name, const char* on_name,
                         const char* off_name, QRadioButton*& on, QRadioButton*& off) {
        auto* panel = new QWidget(parent);
        auto* row = new QHBoxLayout(panel);
        row->setContentsMargins(0, 0, 0, 0);
        on = new QRadioButton(QStringLiteral("ON"), panel);
        off = new QRadioButton(QStringLiteral("OFF"), panel);
        on->setObjectName(latin(on_name));
        off->setObjectName(latin(off_name));
        on->setAccessibleName(name + QStringLiteral(" ON"));
        off->setAccessibleName(name + QStringLiteral(" OFF"));
        auto* group = new QButtonGroup(panel);
        group->addButton(on);
        group->addButton(off);
        row->addWidget(on);
        row->addWidget(off);
        row->addStretch();
        return panel;
    };
    auto fixed = [](QWidget* parent, const char* text) { return new QLabel(latin(text), parent); };
    auto unit_text = [this, &fixed](QWidget* parent, const char* text, PrmField f) {
        QLabel* l = fixed(parent, text);
        unit_[static_cast<size_t>(f)] = l;
        return l;
    };

    // --- Basic ---------------------------------------------------------------------------
    tsbasic = new QWidget;
    tsbasic->setObjectName(QStringLiteral("tsbasic"));
    pcprm->addTab(tsbasic, QStringLiteral("Basic"));
    auto* basic = new QVBoxLayout(tsbasic);

    gbfirst_select = new QGroupBox(QStringLiteral("Initial Setup Item"), tsbasic);
    gbfirst_select->setObjectName(QStringLiteral("gbfirst_select"));
    auto* g1 = new QGridLayout(gbfirst_select);
    cbext_bypass = make_list(gbfirst_select, "cbext_bypass", kBypassTexts);
    g1->addWidget(caption(gbfirst_select, QStringLiteral("Exhaust Bypass Type"), cbext_bypass), 0,
                  0);
    g1->addWidget(cbext_bypass, 0, 1);
    cbunit_select = make_list(gbfirst_select, "cbunit_select", kUnitTexts);
    g1->addWidget(caption(gbfirst_select, QStringLiteral("Pressure Unit"), cbunit_select), 1, 0);
    g1->addWidget(cbunit_select, 1, 1);
    basic->addWidget(gbfirst_select);

    gbnormal_select = new QGroupBox(QStringLiteral("Basic Setup Item"), tsbasic);
    gbnormal_select->setObjectName(QStringLiteral("gbnormal_select"));
    auto* g2 = new QGridLayout(gbnormal_select);
    QWidget* gb = gbnormal_select;
    int r = 0;
    cbcyls = make_list(gb, "cbcyls", kCylinderTexts);
    g2->addWidget(caption(gb, QStringLiteral("Number of Cylinders"), cbcyls), r, 0);
    g2->addWidget(cbcyls, r++, 1);
    QLineEdit* backlight = make_edit(gb, PrmField::backlight_level);
    g2->addWidget(caption(gb, QStringLiteral("Backlight Brightness"), backlight), r, 0);
    g2->addWidget(backlight, r, 1);
    g2->addWidget(unit_text(gb, "[%]", PrmField::backlight_level), r++, 2);
    QWidget* peak = radio_pair(gb, QStringLiteral("Bar Graph Peak Function"), "rdrev_sampling_on",
                               "rdrev_sampling_off", rdrev_sampling_on, rdrev_sampling_off);
    g2->addWidget(fixed(gb, "Bar Graph Peak Function"), r, 0);
    g2->addWidget(peak, r++, 1, 1, 3);
    QWidget* after = radio_pair(gb, QStringLiteral("After Image Function"), "rdafter_on",
                                "rdafter_off", rdafter_on, rdafter_off);
    g2->addWidget(fixed(gb, "After Image Function"), r, 0);
    g2->addWidget(after, r++, 1, 1, 3);
    cbbarselect = make_list(gb, "cbbarselect", kBarSelectTexts);
    g2->addWidget(caption(gb, QStringLiteral("Bar Graph Function"), cbbarselect), r, 0);
    g2->addWidget(cbbarselect, r++, 1, 1, 2);
    cbaxis_select_no = make_list(gb, "cbaxis_select_no", kMapFunctionTexts);
    g2->addWidget(caption(gb, QStringLiteral("Map Function"), cbaxis_select_no), r, 0);
    g2->addWidget(cbaxis_select_no, r++, 1, 1, 2);
    cbspdpulse = make_list(gb, "cbspdpulse", kSpeedPulseTexts);
    g2->addWidget(caption(gb, QStringLiteral("Speed Pulse"), cbspdpulse), r, 0);
    g2->addWidget(cbspdpulse, r++, 1);
    g2->addWidget(fixed(gb, "Throttle Parameter"), r++, 0);
    QLineEdit* close_mv = make_edit(gb, PrmField::closeth);
    close_mv->setAccessibleName(QStringLiteral("Throttle Parameter CLOSE"));
    g2->addWidget(caption(gb, QStringLiteral("CLOSE"), close_mv), r, 0, Qt::AlignRight);
    g2->addWidget(close_mv, r, 1);
    g2->addWidget(unit_text(gb, "[mV]", PrmField::closeth), r, 2);
    btnTH0set = new QPushButton(QStringLiteral("Set 0%"), gb);
    btnTH0set->setObjectName(QStringLiteral("btnTH0set"));
    btnTH0set->setAccessibleName(QStringLiteral("Read CLOSE voltage from the unit"));
    g2->addWidget(btnTH0set, r++, 3);
    QLineEdit* open_mv = make_edit(gb, PrmField::openth);
    open_mv->setAccessibleName(QStringLiteral("Throttle Parameter OPEN"));
    g2->addWidget(caption(gb, QStringLiteral("OPEN"), open_mv), r, 0, Qt::AlignRight);
    g2->addWidget(open_mv, r, 1);
    g2->addWidget(unit_text(gb, "[mV]", PrmField::openth), r, 2);
    btnTH100set = new QPushButton(QStringLiteral("Set 100%"), gb);
    btnTH100set->setObjectName(QStringLiteral("btnTH100set"));
    btnTH100set->setAccessibleName(QStringLiteral("Read OPEN voltage from the unit"));
    g2->addWidget(btnTH100set, r++, 3);
    cbsampling_time = make_list(gb, "cbsampling_time", kSamplingTimeTexts);
    g2->addWidget(caption(gb, QStringLiteral("Sampling Time Setting"), cbsampling_time), r, 0);
    g2->addWidget(cbsampling_time, r++, 1);
    basic->addWidget(gbnormal_select);
    basic->addStretch();

    // --- Control -------------------------------------------------------------------------
    tscontrol = new QWidget;
    tscontrol->setObjectName(QStringLiteral("tscontrol"));
    pcprm->addTab(tscontrol, QStringLiteral("Control"));
    auto* control = new QVBoxLayout(tscontrol);

    gbfirst_value = new QGroupBox(QStringLiteral("Initial Setup Value"), tscontrol);
    gbfirst_value->setObjectName(QStringLiteral("gbfirst_value"));
    auto* g3 = new QGridLayout(gbfirst_value);
    gb = gbfirst_value;
    r = 0;
    auto pressure_row = [&](QGridLayout* g, const char* text, PrmField f, int unit_index) {
        QLineEdit* e = make_edit(gb, f);
        g->addWidget(caption(gb, latin(text), e), r, 0);
        g->addWidget(e, r, 2);
        g->addWidget(unit_label(gb, unit_index, f), r++, 3);
    };
    auto plain_row = [&](QGridLayout* g, const char* text, PrmField f, const char* unit_caption) {
        QLineEdit* e = make_edit(gb, f);
        g->addWidget(caption(gb, latin(text), e), r, 0);
        g->addWidget(e, r, 2);
        g->addWidget(unit_text(gb, unit_caption, f), r++, 3);
    };
    pressure_row(g3, "Maximum Boost", PrmField::normal_boost, 6);
    pressure_row(g3, "Initial Boost Setting", PrmField::first_boost, 7);
    plain_row(g3, "Initial Offset", PrmField::up_boost_offset, "[%]");
    control->addWidget(gbfirst_value);

    gbnormal_value = new QGroupBox(QStringLiteral("Basic Setup Value"), tscontrol);
    gbnormal_value->setObjectName(QStringLiteral("gbnormal_value"));
    auto* g4 = new QGridLayout(gbnormal_value);
    gb = gbnormal_value;
    r = 0;
    pressure_row(g4, "Mode A Boost Setting", PrmField::setboost_a, 0);
    plain_row(g4, "Offset A", PrmField::offset_a, "[%]");
    pressure_row(g4, "Mode B Boost Setting", PrmField::setboost_b, 1);
    plain_row(g4, "Offset B", PrmField::offset_b, "[%]");
    pressure_row(g4, "Scramble Boost", PrmField::sbc_boost, 3);
    plain_row(g4, "Scramble Time", PrmField::sbc_time, "[sec]");
    g4->addWidget(radio_pair(gb, QStringLiteral("Drop Boost"), "rddropboost_on", "rddropboost_off",
                             rddropboost_on, rddropboost_off),
                  r, 1);
    pressure_row(g4, "Drop Boost", PrmField::drop_boost, 4);
    g4->addWidget(radio_pair(gb, QStringLiteral("Boost Warning"), "rdwarning_on", "rdwarning_off",
                             rdwarning_on, rdwarning_off),
                  r, 1);
    pressure_row(g4, "Boost Warning", PrmField::warning_boost, 5);
    pressure_row(g4, "Bar Graph Maximum Value", PrmField::barmaxset, 2);
    control->addWidget(gbnormal_value);
    control->addStretch();

    // --- Valve Condition -----------------------------------------------------------------
    tsvalvecondition = new QWidget;
    tsvalvecondition->setObjectName(QStringLiteral("tsvalvecondition"));
    pcprm->addTab(tsvalvecondition, QStringLiteral("Valve Condition"));
    auto* g5 = new QGridLayout(tsvalvecondition);
    r = 0;
    auto state_row = [&](const char* name, const char* object, QLabel*& value) {
        value = new QLabel(tsvalvecondition);
        value->setObjectName(latin(object));
        value->setTextInteractionFlags(Qt::TextSelectableByKeyboard);
        value->setFocusPolicy(Qt::TabFocus);
        auto* caption = new QLabel(latin(name), tsvalvecondition);
        // The value reads with its caption, as the row reads across: "Control: ON".
        speak_text(value, QAccessible::StaticText, [caption, value] {
            const QString v = value->text().trimmed();
            return caption->text() + (v.startsWith(QLatin1Char(':')) ? v : QLatin1Char(' ') + v);
        });
        g5->addWidget(caption, r, 0);
        g5->addWidget(value, r++, 1);
    };
    state_row("Control", "lbpower", lbpower);
    state_row("Learning Function", "lbstudy", lbstudy);
    state_row("Learning Function No.", "lbstudyno", lbstudyno);
    state_row("Valve Type", "lbvalvetype", lbvalvetype);
    state_row("Mode", "lbselect", lbselect);
    state_row("Horizontal Axis", "lbxaxis", lbxaxis);
    state_row("Horizontal Axis Type", "lbxaxistype", lbxaxistype);
    state_row("Vertical Axis", "lbyaxis", lbyaxis);
    g5->setRowStretch(r, 1);
    g5->setColumnStretch(2, 1);

    // --- Memo ----------------------------------------------------------------------------
    tsmemo = new QWidget;
    tsmemo->setObjectName(QStringLiteral("tsmemo"));
    pcprm->addTab(tsmemo, QStringLiteral("Memo"));
    auto* memo = new QVBoxLayout(tsmemo);
    auto* note = new QLabel(prm_text(80), tsmemo);
    mmcomment = new QPlainTextEdit(tsmemo);
    mmcomment->setObjectName(QStringLiteral("mmcomment"));
    mmcomment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmcomment->setTabChangesFocus(true);
    mmcomment->setAccessibleName(QStringLiteral("Memo"));
    note->setBuddy(mmcomment);
    lbmemo_state = new QLabel(tsmemo);
    lbmemo_state->setObjectName(QStringLiteral("lbmemo_state"));
    lbmemo_state->setWordWrap(true);
    memo->addWidget(note);
    memo->addWidget(mmcomment, 1);
    memo->addWidget(lbmemo_state);

    // --- Buttons -------------------------------------------------------------------------
    auto* buttons = new QHBoxLayout;
    btnprint = new QPushButton(prm_text(2), this);
    btnprint->setObjectName(QStringLiteral("btnprint"));
    btnok = new QPushButton(QStringLiteral("OK"), this);
    btnok->setObjectName(QStringLiteral("btnok"));
    btnok->setDefault(true);
    btncancel = new QPushButton(QStringLiteral("CANCEL"), this);
    btncancel->setObjectName(QStringLiteral("btncancel"));
    buttons->addWidget(btnprint);
    buttons->addStretch();
    buttons->addWidget(btnok);
    buttons->addWidget(btncancel);
    column->addLayout(buttons);

    // --- Events --------------------------------------------------------------------------
    connect(btnok, &QPushButton::clicked, this, &Tprmdlg::btnokClick);
    connect(btncancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnprint, &QPushButton::clicked, this, &Tprmdlg::btnprintClick);
    connect(btnTH0set, &QPushButton::clicked, this, &Tprmdlg::btnTH0setClick);
    connect(btnTH100set, &QPushButton::clicked, this, &Tprmdlg::btnTH100setClick);
    connect(rdwarning_on, &QRadioButton::clicked, this, &Tprmdlg::rdwarning_onClick);
    connect(rdwarning_off, &QRadioButton::clicked, this, &Tprmdlg::rdwarning_offClick);
    connect(rddropboost_on, &QRadioButton::clicked, this, &Tprmdlg::rddropboost_onClick);
    connect(rddropboost_off, &QRadioButton::clicked, this, &Tprmdlg::rddropboost_offClick);
    connect(rdrev_sampling_on, &QRadioButton::toggled, this,
            [this](bool on) { form_.rev_sampling_on = on; });
    connect(rdafter_on, &QRadioButton::toggled, this, [this](bool on) { form_.after_on = on; });
    auto on_change = [this](QComboBox* c, void (Tprmdlg::*handler)()) {
        connect(c, &QComboBox::currentIndexChanged, this, handler);
    };
    on_change(cbbarselect, &Tprmdlg::cbbarselectChange);
    on_change(cbunit_select, &Tprmdlg::cbunit_selectChange);
    on_change(cbext_bypass, &Tprmdlg::cbext_bypassChange);
    on_change(cbaxis_select_no, &Tprmdlg::cbaxis_select_noChange);
    on_change(cbsampling_time, &Tprmdlg::cbaxis_select_noChange);
    connect(cbcyls, &QComboBox::currentIndexChanged, this, [this](int i) { form_.cyls_entry = i; });
    connect(cbspdpulse, &QComboBox::currentIndexChanged, this,
            [this](int i) { form_.spdpulse_entry = i; });
    connect(mmcomment, &QPlainTextEdit::textChanged, this, &Tprmdlg::mmcommentChange);
}

void Tprmdlg::FormCreate() {
    uint16_t status = state.link_on ? read_status() : kStatusUnknown;
    prm_open(form_, pv::data, state.doc_is_new != 0, status);
    unit.derived_status_word = form_.derived_status_word;
    pcprm->setCurrentIndex(state.prm_page < pcprm->count() ? state.prm_page : 0);

    memo_ = memo_text_of_comment(codepage_to_utf8(pv::data.comment, settings.lang_id));
    memo_bytes_ = pv::data.comment;
    memo_changed_ = false;
    {
        QSignalBlocker block(mmcomment);
        mmcomment->setPlainText(QString::fromStdString(memo_));
    }
    // What the memo shows is what it holds, so the first edit compares against that.
    memo_ = mmcomment->toPlainText().toStdString();
    show_form();
}

void Tprmdlg::show_form() {
    auto set_list = [](QComboBox* c, int index) {
        QSignalBlocker block(c);
        c->setCurrentIndex(index >= 0 && index < c->count() ? index : -1);
    };
    set_list(cbext_bypass, form_.ext_bypass);
    set_list(cbunit_select, form_.unit);
    set_list(cbcyls, form_.cyls_entry);
    set_list(cbbarselect, form_.barselect);
    set_list(cbaxis_select_no, form_.axis_select_no);
    set_list(cbspdpulse, form_.spdpulse_entry);
    set_list(cbsampling_time, form_.sampling_time);
    cbext_bypass->setEnabled(form_.setup_enabled);
    cbunit_select->setEnabled(form_.setup_enabled);

    auto set_pair = [](QRadioButton* on, QRadioButton* off, bool is_on) {
        QSignalBlocker b1(on), b2(off);
        (is_on ? on : off)->setChecked(true);
    };
    set_pair(rdrev_sampling_on, rdrev_sampling_off, form_.rev_sampling_on);
    set_pair(rdafter_on, rdafter_off, form_.after_on);
    set_pair(rdwarning_on, rdwarning_off, form_.warning_on);
    set_pair(rddropboost_on, rddropboost_off, form_.drop_on);

    for (const auto& def : prm_fields()) {
        QLineEdit* e = field(def.field);
        QString t = QString::fromStdString(form_[def.field]);
        if (e->text() != t) e->setText(t);
        e->setEnabled(form_.is_enabled(def.field));
    }

    QString unit_caption = prm_text(form_.unit_label);
    for (size_t k = 0; k < lbkpaorpsi.size(); ++k)
        if (k != 2) lbkpaorpsi[k]->setText(unit_caption);
    lbkpaorpsi[2]->setText(prm_text(form_.bar_label));
    QString boost_hint = prm_text(form_.boost_hint), low_hint = prm_text(form_.low_boost_hint);
    for (PrmField f : {PrmField::setboost_a, PrmField::setboost_b, PrmField::normal_boost,
                       PrmField::first_boost, PrmField::warning_boost})
        field(f)->setToolTip(boost_hint);
    field(PrmField::drop_boost)->setToolTip(low_hint);
    field(PrmField::sbc_boost)->setToolTip(low_hint);
    field(PrmField::barmaxset)->setToolTip(prm_text(form_.bar_hint));
    // Screen readers hear the unit and the limit with the field's name.
    for (const auto& def : prm_fields()) {
        QLineEdit* e = field(def.field);
        QLabel* u = unit_[static_cast<size_t>(def.field)];
        QString description = u ? u->text() : QString();
        if (!e->toolTip().isEmpty()) description += QLatin1Char(' ') + e->toolTip();
        e->setAccessibleDescription(description.trimmed());
    }

    const ValveLabels& v = form_.valve;
    lbpower->setText(prm_text(v.power));
    lbstudy->setText(prm_text(v.study));
    lbstudyno->setText(prm_text(v.studyno));
    lbvalvetype->setText(prm_text(v.valvetype));
    lbyaxis->setText(prm_text(v.yaxis));
    lbxaxis->setText(prm_text(v.xaxis));
    lbxaxistype->setText(prm_text(v.xaxistype));
    lbselect->setText(prm_text(v.select));
}

std::optional<PrmField> Tprmdlg::field_of(QObject* o) const {
    for (size_t k = 0; k < ed.size(); ++k)
        if (ed[k] == o) return static_cast<PrmField>(k);
    return std::nullopt;
}

void Tprmdlg::take_text(PrmField f) {
    form_[f] = field(f)->text().toStdString();
}

bool Tprmdlg::eventFilter(QObject* watched, QEvent* event) {
    auto f = field_of(watched);
    if (!f) return QDialog::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::FocusIn: {
            auto reason = static_cast<QFocusEvent*>(event)->reason();
            // Coming back from another window or a pop-up menu is not a new entry.
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                edNEoffsetEnter(*f);
            break;
        }
        case QEvent::FocusOut: {
            auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                edNEoffsetExit(*f);
            break;
        }
        case QEvent::KeyPress:
            if (edNEoffsetKeyDown(*f, static_cast<QKeyEvent*>(event)->key())) return true;
            break;
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

void Tprmdlg::edNEoffsetEnter(PrmField f) {
    take_text(f);
    prm_enter(form_, f);
    editing_ = f;
}

bool Tprmdlg::edNEoffsetKeyDown(PrmField f, int key) {
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_PageUp:
        case Qt::Key_Down:
        case Qt::Key_PageDown:
            take_text(f);
            prm_step(form_, f, key == Qt::Key_Up || key == Qt::Key_PageUp ? 1 : -1);
            show_form();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Enter settles the field; it does not close the dialog.
            take_text(f);
            prm_normalise(form_, f);
            show_form();
            return true;
        default:
            return false;
    }
}

void Tprmdlg::edNEoffsetExit(PrmField f) {
    if (editing_ != f) return;
    take_text(f);
    prm_exit(form_, f);
    editing_.reset();
    show_form();
}

void Tprmdlg::btnTH0setClick() {
    form_[PrmField::closeth] = std::to_string(sample_throttle_voltage());
    show_form();
}

void Tprmdlg::btnTH100setClick() {
    form_[PrmField::openth] = std::to_string(sample_throttle_voltage());
    show_form();
}

void Tprmdlg::rdwarning_onClick() {
    prm_set_warning(form_, true);
    show_form();
}

void Tprmdlg::rdwarning_offClick() {
    prm_set_warning(form_, false);
    show_form();
}

void Tprmdlg::rddropboost_onClick() {
    prm_set_drop(form_, true);
    show_form();
}

void Tprmdlg::rddropboost_offClick() {
    prm_set_drop(form_, false);
    show_form();
}

void Tprmdlg::cbbarselectChange() {
    prm_select_bar(form_, cbbarselect->currentIndex());
    show_form();
}

void Tprmdlg::cbunit_selectChange() {
    prm_select_unit(form_, cbunit_select->currentIndex());
    show_form();
}

void Tprmdlg::cbext_bypassChange() {
    prm_select_bypass(form_, cbext_bypass->currentIndex());
    show_form();
}

void Tprmdlg::cbaxis_select_noChange() {
    form_.sampling_time = cbsampling_time->currentIndex();
    prm_select_map_function(form_, cbaxis_select_no->currentIndex());
    show_form();
}

void Tprmdlg::mmcommentChange() {
    std::string now = mmcomment->toPlainText().toStdString();
    MemoFit fit = fit_memo_edit(memo_, now, encode_char);
    memo_ = fit.text;
    memo_bytes_ = fit.bytes;
    memo_changed_ = true;
    if (fit.text == now) {
        lbmemo_state->clear();
        return;
    }
    // Put back what the memo can keep, with the caret after the last character kept.
    QString kept = QString::fromStdString(fit.text), shown = QString::fromStdString(now);
    int caret = 0;
    while (caret < kept.size() && caret < shown.size() && kept[caret] == shown[caret]) ++caret;
    {
        QSignalBlocker block(mmcomment);
        int scroll = mmcomment->verticalScrollBar()->value();
        mmcomment->setPlainText(kept);
        QTextCursor c = mmcomment->textCursor();
        c.setPosition(caret);
        mmcomment->setTextCursor(c);
        mmcomment->verticalScrollBar()->setValue(scroll);
    }
    if (!fit.refused.empty()) {
        QString ch = QString::fromStdString(fit.refused);
        lbmemo_state->setText(
            QStringLiteral("\"%1\" was not taken: the data file has no such character.").arg(ch));
    } else {
        lbmemo_state->setText(
            QStringLiteral("The memo holds at most 255 bytes; the rest was left out."));
    }
    QAccessibleEvent alert(lbmemo_state, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

namespace {
ParameterPrintout& printout() {
    static ParameterPrintout p;
    return p;
}
}  // namespace

void set_parameter_printout(ParameterPrintout p) {
    printout() = std::move(p);
}

void Tprmdlg::btnprintClick() {
    if (printout()) printout()(*this);
}

void Tprmdlg::btnokClick() {
    // OK from the keyboard leaves a field being edited without its exit event.
    if (editing_) edNEoffsetExit(*editing_);
    if (memo_changed_) form_.comment = memo_bytes_;
    prm_ok(form_, pv::data, read_status());
    close_port();
    accept();
}

void Tprmdlg::FormClose() {
    state.prm_page = static_cast<uint8_t>(std::max(0, pcprm->currentIndex()));
}

void Tprmdlg::done(int result) {
    FormClose();
    QDialog::done(result);
}

}  // namespace pv
