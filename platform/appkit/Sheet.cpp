#include "Sheet.h"

#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QPointer>

namespace platform {

namespace {
const char* const kSheetProperty = "velumoSheet";
}

QPoint Sheet::position(QWidget* window, const QSize& sheetSize)
{
    if (!window)
        return {};
    QRect content = window->geometry();
    if (auto* main = qobject_cast<QMainWindow*>(window); main && main->centralWidget()) {
        QWidget* central = main->centralWidget();
        content = QRect(central->mapToGlobal(QPoint(0, 0)), central->size());
    }
    const int x = content.left() + (content.width() - sheetSize.width()) / 2;
    return {x, content.top()};
}

void Sheet::begin(QDialog* sheet, QWidget* window, std::function<void(int)> didEnd)
{
    sheet->setProperty(kSheetProperty, true);
    if (window) {
        if (sheet->parentWidget() != window)
            sheet->setParent(window, sheet->windowFlags() | Qt::Dialog);
        sheet->setWindowModality(Qt::WindowModal);
    } else {
        sheet->setWindowModality(Qt::ApplicationModal);
    }
    QPointer<QDialog> guard(sheet);
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(sheet, &QDialog::finished, sheet, [guard, connection, didEnd](int result) {
        QObject::disconnect(*connection);
        if (guard)
            guard->setProperty(kSheetProperty, false);
        if (didEnd)
            didEnd(result);
    });
    sheet->adjustSize();
    if (window)
        sheet->move(position(window, sheet->size()));
    sheet->open();
}

QList<QDialog*> Sheet::openSheets()
{
    QList<QDialog*> sheets;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible() && isSheet(dialog))
            sheets << dialog;
    }
    return sheets;
}

bool Sheet::isSheet(const QWidget* widget)
{
    return widget && widget->property(kSheetProperty).toBool();
}

} // namespace platform
