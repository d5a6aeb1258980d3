#pragma once

#include <QList>
#include <QPoint>
#include <QSize>

#include <functional>

class QDialog;
class QWidget;

namespace platform {

// Window-modal dialogs that belong to one window: shown over its top edge,
// below the menu and tool bars, centred across it. Only that window is
// blocked while a sheet is open.
class Sheet {
public:
    // Shows the dialog as a sheet of the window and returns at once; didEnd
    // gets the dialog's result code when it closes. The dialog is not
    // deleted (its owner decides).
    static void begin(QDialog* sheet, QWidget* window, std::function<void(int)> didEnd);
    // Where a sheet of that size opens: its top-left corner in global
    // coordinates, at the top edge of the window's content area.
    static QPoint position(QWidget* window, const QSize& sheetSize);
    // Sheets currently open over any window.
    static QList<QDialog*> openSheets();
    static bool isSheet(const QWidget* widget);
};

} // namespace platform
