#pragma once

#include <QImage>
#include <QList>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QWidget>

#include <functional>

class QPrinter;
class QWidget;

namespace platform {

class PrintInfo;

// Prints a picture through the print dialog, one picture pixel to one
// point. With fit pagination (both directions) a picture larger than the
// page is scaled down to fit it, keeping its proportions; otherwise it is
// cut into as many pages as it needs.
class PrintOperation {
public:
    PrintOperation(const QImage& picture, PrintInfo* printInfo);

    // A view of the caller's shown as its own tab of the print dialog.
    void setAccessoryView(QWidget* view, const QString& title);

    // Runs the print dialog modal to the window and prints when the user
    // confirms. Returns true when something was printed.
    bool runModalForWindow(QWidget* window);
    // Prints without a dialog.
    bool printTo(QPrinter& printer) const;

    // Where the picture goes on a page with that printable rectangle
    // (everything in points), for the fitting case.
    static QRectF fittedRect(const QSizeF& picture, const QRectF& page);

    // Tests print without showing the dialog: while set, a run hands the
    // printer to the function, which answers whether the user confirmed.
    using Confirmer = std::function<bool(QPrinter&)>;
    static void setTestConfirmer(Confirmer confirmer);

private:
    bool fits() const;
    QImage m_picture;
    PrintInfo* m_info; // not owned
    QPointer<QWidget> m_accessory;
    QString m_accessoryTitle;
};

} // namespace platform
