// The printing half of PrintOperation, in a module of its own
// (libVelumoPrinting.so) that the first print loads: the print support
// library and its printer plug-ins are not loaded at start-up.
#include "platform/appkit/PrintOperation.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <cmath>

namespace {

bool printPicture(const QImage& picture, bool fits, QPrinter& printer)
{
    if (picture.isNull())
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // Work in points, whatever the printer's resolution.
    const double dotsPerPoint = printer.resolution() / 72.0;
    painter.scale(dotsPerPoint, dotsPerPoint);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QRectF page = printer.pageLayout().paintRect(QPageLayout::Point);
    const QRectF pageArea(QPointF(0, 0), page.size());
    const QSizeF size = picture.size();
    if (fits) {
        painter.drawImage(platform::PrintOperation::fittedRect(size, pageArea), picture);
    } else {
        const int columns = std::max(1, int(std::ceil(size.width() / pageArea.width())));
        const int rows = std::max(1, int(std::ceil(size.height() / pageArea.height())));
        bool first = true;
        for (int row = 0; row < rows; ++row) {
            for (int column = 0; column < columns; ++column) {
                if (!first)
                    printer.newPage();
                first = false;
                const QRectF source(column * pageArea.width(), row * pageArea.height(), pageArea.width(),
                                    pageArea.height());
                const QRectF clipped = source.intersected(QRectF(QPointF(0, 0), size));
                painter.drawImage(QRectF(QPointF(0, 0), clipped.size()), picture, clipped);
            }
        }
    }
    painter.end();
    return true;
}

} // namespace

extern "C" Q_DECL_EXPORT bool velumoPrintPicture(const QImage& picture, bool fits, QPrinter& printer)
{
    return printPicture(picture, fits, printer);
}

extern "C" Q_DECL_EXPORT bool velumoRunPrintDialog(const QImage& picture, bool fits, QWidget* window, QWidget* accessory,
                                                   const QString& accessoryTitle,
                                                   const platform::PrintOperation::Confirmer& confirmer)
{
    QPrinter printer(QPrinter::HighResolution);
    if (confirmer)
        return confirmer(printer) && printPicture(picture, fits, printer);
    QPrintDialog dialog(&printer, window);
    if (window)
        dialog.setWindowModality(Qt::WindowModal);
    if (accessory) {
        accessory->setWindowTitle(accessoryTitle);
        dialog.setOptionTabs({accessory});
    }
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    if (accessory)
        accessory->setParent(nullptr);
    return confirmed && printPicture(picture, fits, printer);
}
