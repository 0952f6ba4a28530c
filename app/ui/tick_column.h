#pragma once
// The tick column of a grid: one click anywhere in the cell, the box itself
// included, changes the tick once. (The item view would toggle a checkable
// cell by itself on a click on the box, and a click handler toggling too
// would undo it.)

#include <functional>

class QTableView;

namespace rubso {

// Makes a click in `column` of `grid` run `toggle(row)` exactly once, as a
// command. Space is the grid's own business (mark and move on).
void UseTickColumn(QTableView* grid, int column, std::function<void(int row)> toggle);

}  // namespace rubso
