#pragma once

#include "VTRNumericTextField.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QSizeF>
#include <QString>

#include <functional>

// The sheet that asks for a new picture size, in percent of the current
// size or in pixels. The document says whether the picture is scaled to it
// or the canvas is resized (scales) and reads the result (width, height)
// when the sheet ends with 1.
class SWResizeWindowController : public QObject {
    Q_OBJECT
public:
    enum Unit { PercentUnit = 0, PixelsUnit = 1 };

    explicit SWResizeWindowController(QObject* parent = nullptr);
    ~SWResizeWindowController() override;

    static QString windowNibName() { return QStringLiteral("ResizePanel"); }

    // The sheet's window, made on first call.
    QDialog* window();
    bool isWindowLoaded() const { return m_window != nullptr; }

    // The current canvas size, given before the sheet shows.
    void setCurrentSize(const QSizeF& size) { m_originalSize = size; }
    QSizeF originalSize() const { return m_originalSize; }
    QSizeF newSize() const { return m_newSize; }

    // Shows the sheet on the window; didEnd gets the return code.
    void beginSheet(QWidget* documentWindow, std::function<void(int)> didEnd);

    // The sheet came up: the current size is shown, and the new size starts
    // equal to it (100 % or the pixel size).
    void windowDidBecomeKey();
    // The unit control changed selectedUnit: the new-size fields follow.
    void changeUnits();
    // tag 1: OK, refused with a beep while a value is 0 or less or the
    // result has a side below one pixel or is too large to make; any other
    // tag: Cancel.
    void endSheet(int tag);

    int width() const { return int(m_newSize.width()); }
    int height() const { return int(m_newSize.height()); }
    bool scales() const { return m_scales; }
    void setScales(bool scales) { m_scales = scales; }
    int selectedUnit() const { return m_selectedUnit; }
    void setSelectedUnit(int unit);

    QLabel* widthFieldOriginal() const { return m_widthFieldOriginal; }
    QLabel* heightFieldOriginal() const { return m_heightFieldOriginal; }
    VTRNumericTextField* widthFieldNew() const { return m_widthFieldNew; }
    VTRNumericTextField* heightFieldNew() const { return m_heightFieldNew; }
    QComboBox* unitButton() const { return m_unitButton; }
    QLabel* widthUnits() const { return m_widthUnits; }
    QLabel* heightUnits() const { return m_heightUnits; }
    QPushButton* okButton() const { return m_okButton; }
    // Why the last OK was refused; empty when it was not.
    QString refusalMessage() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadWindow();
    // Ranges and unit labels of the new-size fields for the selected unit.
    void configureFieldsForUnit();
    void showNewValues(double width, double height);

    QSizeF m_originalSize;
    QSizeF m_newSize;
    int m_selectedUnit = PercentUnit;
    bool m_scales = false;

    // Says why OK was refused, below the fields.
    void showRefusal(const QString& reason);
    QPointer<QLabel> m_refusalLabel;
    QPointer<QDialog> m_window;
    QPointer<QLabel> m_widthFieldOriginal;
    QPointer<QLabel> m_heightFieldOriginal;
    QPointer<VTRNumericTextField> m_widthFieldNew;
    QPointer<VTRNumericTextField> m_heightFieldNew;
    QPointer<QComboBox> m_unitButton;
    QPointer<QLabel> m_widthUnits;
    QPointer<QLabel> m_heightUnits;
    QPointer<QPushButton> m_okButton;
    QPointer<QPushButton> m_cancelButton;
};
