// A table view whose in-place editor only ever delivers its text through the owner's Enter
// handling: the map grid and the graph's value grid.
#pragma once
#include <QAbstractItemDelegate>
#include <QLineEdit>
#include <QPointer>
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

  private:
    QPointer<QWidget> editor_;
};

}  // namespace pv
