// A table view whose in-place editor only ever delivers its text through the owner's Enter
// handling: the map grid and the graph's value grid.
#pragma once
#include <QAbstractButton>
#include <QAbstractItemDelegate>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionHeader>
#include <QTableView>

namespace pv {

class EditGrid : public QTableView {
  public:
    using QTableView::QTableView;

    bool editing() const { return state() == QAbstractItemView::EditingState; }
    // The in-place editor's text while editing.
    QString editor_text() const {
        auto* e = qobject_cast<QLineEdit*>(editor_.data());
        return e && editing() ? e->text() : QString();
    }
    // Closes the in-place editor; what was typed is dropped.
    void end_edit() {
        if (!editing() || !editor_) return;
        QWidget* e = editor_;
        editor_ = nullptr;
        closeEditor(e, QAbstractItemDelegate::NoHint);
    }
    // The grid's delegate makes the editor: a frameless line edit in the grid's font.
    QLineEdit* open_editor(QWidget* parent) {
        auto* e = new QLineEdit(parent);
        e->setFrame(false);
        e->setFont(font());
        editor_ = e;
        return e;
    }
    // Typed text reaches the table only through Enter, never by leaving the cell.
    void commitData(QWidget*) override {}

  protected:
    // Paints the view's corner button as a raised header section showing `text`, in the
    // grid's font: the table view's own corner shows no text.
    void paint_corner(QAbstractButton* corner, const QString& text) {
        QStyleOptionHeader opt;
        opt.initFrom(corner);
        opt.state |= QStyle::State_Raised;
        opt.rect = corner->rect();
        opt.position = QStyleOptionHeader::OnlyOneSection;
        opt.text = text;
        opt.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        QPainter p(corner);
        p.setFont(font());
        style()->drawControl(QStyle::CE_Header, &opt, &p, corner);
    }

  private:
    QPointer<QWidget> editor_;
};

}  // namespace pv
