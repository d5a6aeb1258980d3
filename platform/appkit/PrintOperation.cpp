#include "PrintOperation.h"

#include "PrintInfo.h"

#include "platform/foundation/LoadableModule.h"

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

// The printing itself lives in a module, loaded by the first print.
bool PrintOperation::printTo(QPrinter& printer) const
{
    using Printer = bool (*)(const QImage&, bool, QPrinter&);
    static const auto print = reinterpret_cast<Printer>(
        LoadableModule::resolve(QStringLiteral("libVelumoPrinting.so"), "velumoPrintPicture"));
    return print && print(m_picture, fits(), printer);
}

bool PrintOperation::runModalForWindow(QWidget* window)
{
    using DialogRunner = bool (*)(const QImage&, bool, QWidget*, QWidget*, const QString&, const Confirmer&);
    static const auto run = reinterpret_cast<DialogRunner>(
        LoadableModule::resolve(QStringLiteral("libVelumoPrinting.so"), "velumoRunPrintDialog"));
    // A module that does not load has said why (a warning); nothing printed.
    return run && run(m_picture, fits(), window, m_accessory.data(), m_accessoryTitle, testConfirmer());
}

} // namespace platform
