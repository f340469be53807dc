// The editing operations of the map grid that change many cells at once: undo, the
// clipboard, filling, the two trims and equal division.
//
// Each works on the table shown (grid.current_map) and a block of its cells, and writes
// every cell through SetCell, so parsing, clamping, storing, the changed mark and the
// window's cell text are handled in one place. The window moves text to and from the
// system clipboard, repaints the graph after an operation that changed data and, after
// Undo, rewrites the grid from the data.
#pragma once
#include <string>

namespace pv {

// A block of grid cells, columns and rows counted from 1 as the map grid counts them.
struct Selection {
    int left = 1;
    int top = 1;
    int right = 1;
    int bottom = 1;
};

// The part of `s` that lies inside the table shown; left > right or top > bottom when
// nothing does.
Selection clip_to_grid(const Selection& s);

// What the map window computes whenever it fills the grid: the column and row header
// values and every cell's stored value, from ControllerData.
void fill_grid_values();
// Remembers the cells as they are now for Undo (done each time a table is chosen).
void take_undo_point();

// Restores the selected cells to their values when the table was chosen and clears their
// changed marks. Marks on cells outside the selection stay, and with them Undo.
void UndoSelection(const Selection& sel);

// The clipboard text of the selected cells: the cell texts as shown, TAB between cells,
// CR LF after every line.
std::string copy_text(const Selection& sel);
// Copies, then writes 0 into every selected cell (clamped like any entry). Returns the
// text for the clipboard.
std::string CutCells(const Selection& sel);
// Pastes a clipboard text as a block from the selection's top-left cell, clipped at the
// table's right and bottom edges. A value is taken when TAB, CR or LF follows it; CR LF
// ends one line, as does a lone CR or a lone LF.
void PasteCells(const Selection& sel, const std::string& text);
// The in-place editor's text, confirmed with Enter, into every selected cell.
void FillSelection(const Selection& sel, const std::string& text);

// Adds `x`, in the units the grid shows, to every selected cell; the constant is rounded
// to whole stored steps once (250 rpm is 2 steps of 100). False, changing nothing, when
// `x` is not a finite number.
bool ConstantTrim(const Selection& sel, double x);
// Multiplies the stored value of every selected cell by `x`. False, changing nothing, when
// `x` is not a finite number.
bool MultiplierTrim(const Selection& sel, double x);
// Page Up (+1) and Page Down (-1): Constant Trim by one step of the table as shown.
void StepTrim(const Selection& sel, int direction);
// Fills the selection by linear interpolation between its corner cells, weighted by the
// header values, so that unequal axis spacing is honoured. The corners keep their values.
void EqualDivide(const Selection& sel);

// The commands as the menu, the tool bar and the grid's keys run them, with their input
// boxes and questions through the Prompter. Each returns true when it changed data (the
// graph then needs repainting).
bool constant_trim_command(const Selection& sel);
bool multiplier_trim_command(const Selection& sel);
bool equal_divide_command(const Selection& sel);
// The "/" key: asks first.
bool equal_divide_key(const Selection& sel);

}  // namespace pv
