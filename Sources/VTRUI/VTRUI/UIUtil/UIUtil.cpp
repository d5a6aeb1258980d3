#include "UIUtil.h"

#include <utility>

namespace {
UIUtil::AlertPresenter& currentPresenter()
{
    static UIUtil::AlertPresenter presenter;
    return presenter;
}
} // namespace

void UIUtil::showAlert(const QString& message)
{
    runModalAlert({QMessageBox::Warning, message, QStringLiteral(" ")});
}

void UIUtil::runModalAlert(const AlertRequest& request)
{
    // A copy, so a presenter that replaces itself while it runs stays alive.
    const AlertPresenter presenter = currentPresenter();
    if (presenter)
        presenter(request);
    else
        presentWithMessageBox(request);
}

UIUtil::AlertPresenter UIUtil::setAlertPresenter(AlertPresenter presenter)
{
    return std::exchange(currentPresenter(), std::move(presenter));
}

void UIUtil::presentWithMessageBox(const AlertRequest& request)
{
    QMessageBox box(request.icon, QString(), request.messageText, QMessageBox::Ok);
    box.setInformativeText(request.informativeText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}
