#pragma once

class HoverTableView;
class QWidget;

// What the my-apps table asks of the one who fills it: the number of rows,
// the view of each row's one column, and word of a changed selection.
class HoverTableViewDelegate {
public:
    virtual ~HoverTableViewDelegate() = default;
    virtual int numberOfRowsInTableView(HoverTableView& table) = 0;
    // The table takes the view over; null leaves the row empty.
    virtual QWidget* tableViewForRow(HoverTableView& table, int row) = 0;
    virtual void tableViewSelectionDidChange(HoverTableView&) {}
};
