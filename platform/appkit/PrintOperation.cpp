#include "PrintOperation.h"

#include "PrintInfo.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <cmath>

namespace platform {

namespace {
PrintOperation::Confirmer& testConfirmer()
{
    static PrintOperation::Confirmer confirmer;
    return confirmer;
}
} // namespace

PrintOperation::PrintOperation(const QImage& picture, PrintInfo* printInfo)
    : m_picture(picture)
    , m_info(printInfo)
{
}

void PrintOperation::setTestConfirmer(Confirmer confirmer)
{
    testConfirmer() = std::move(confirmer);
}

void PrintOperation::setAccessoryView(QWidget* view, const QString& title)
{
    m_accessory = view;
    m_accessoryTitle = title;
}

bool PrintOperation::fits() const
{
    return m_info && m_info->horizontalPagination() == PrintInfo::FitPagination &&
           m_info->verticalPagination() == PrintInfo::FitPagination;
}

QRectF PrintOperation::fittedRect(const QSizeF& picture, const QRectF& page)
{
    if (picture.isEmpty() || page.isEmpty())
        return {page.topLeft(), QSizeF(0, 0)};
    const double scale = std::min({1.0, page.width() / picture.width(), page.height() / picture.height()});
    return {page.topLeft(), picture * scale};
}

bool PrintOperation::printTo(QPrinter& printer) const
{
    if (m_picture.isNull())
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
    const QSizeF picture = m_picture.size();
    if (fits()) {
        painter.drawImage(fittedRect(picture, pageArea), m_picture);
    } else {
        const int columns = std::max(1, int(std::ceil(picture.width() / pageArea.width())));
        const int rows = std::max(1, int(std::ceil(picture.height() / pageArea.height())));
        bool first = true;
        for (int row = 0; row < rows; ++row) {
            for (int column = 0; column < columns; ++column) {
                if (!first)
                    printer.newPage();
                first = false;
                const QRectF source(column * pageArea.width(), row * pageArea.height(), pageArea.width(),
                                    pageArea.height());
                const QRectF clipped = source.intersected(QRectF(QPointF(0, 0), picture));
                painter.drawImage(QRectF(QPointF(0, 0), clipped.size()), m_picture, clipped);
            }
        }
    }
    painter.end();
    return true;
}

bool PrintOperation::runModalForWindow(QWidget* window)
{
    QPrinter printer(QPrinter::HighResolution);
    if (testConfirmer())
        return testConfirmer()(printer) && printTo(printer);
    QPrintDialog dialog(&printer, window);
    if (window)
        dialog.setWindowModality(Qt::WindowModal);
    if (m_accessory) {
        m_accessory->setWindowTitle(m_accessoryTitle);
        dialog.setOptionTabs({m_accessory.data()});
    }
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    if (m_accessory)
        m_accessory->setParent(nullptr);
    return confirmed && printTo(printer);
}

} // namespace platform
