#pragma once

#include "platform/appkit/ColorList.h"
#include "platform/appkit/Responder.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <memory>

class KZColorButton;
class KZColorMatrix;
class KZTexturalButton;

// The ribbon's "Colors" group: the first (foreground) and second
// (background) colour buttons, one of them active; the fixed swatches
// (clear and the crayons); the user swatches, which collect every colour
// picked in the shared colour panel that is not a fixed swatch (newest
// first, for the life of the panel, never saved); and a button that shows
// or hides the shared colour panel. What the active button shows is pushed
// into the shared colour panel, whose change notification tells the
// toolbox controller to read the colours from here.
//
// Actions it answers (the buttons and matrices target it):
// "activeColorButton:", "selectedColor:", "editColor:", "changeColor:".
class KZColorPanel : public QWidget, public platform::Responder {
    Q_OBJECT
public:
    static const QString kClearColorKey;   // "Transparant"
    static const QStringList& crayonKeys(); // the fixed swatches after the clear one

    // Grid sizes and the panel's layout.
    static constexpr int kSwatchColumns = 10;
    static constexpr int kSystemRows = 2;
    static constexpr int kUserRows = 1;
    static constexpr int kSwatchSide = 18;
    static constexpr int kSwatchSpacing = 2;
    static constexpr int kButtonSide = 40;

    // With the "Crayons" colour list.
    explicit KZColorPanel(QWidget* parent = nullptr);
    // With another crayon list; null stands for a missing one.
    KZColorPanel(const platform::ColorList* crayons, QWidget* parent);
    ~KZColorPanel() override;

    QColor firstColor() const;
    QColor secondColor() const;
    // An invalid colour, or one equal to the button's, changes nothing.
    void setFirstColor(const QColor& color);
    void setSecondColor(const QColor& color);

    // The active button's colour.
    QColor selectedColor() const;
    void setSelectedColor(const QColor& color);
    // The matrices' action: the sender's chosen swatch, or white.
    void selectedColor(QObject* sender);

    KZColorButton* activeColorButton() const { return m_activeColorButton; }
    // The colour buttons' action: the sender becomes the active button.
    void activeColorButton(QObject* sender);

    // Hides the shared colour panel when it shows; otherwise shows it with
    // the selected colour.
    void editColor(QObject* sender);
    // The shared colour panel's action.
    void changeColor(QObject* sender);
    // Takes the shared colour panel's colour as the selected colour; a
    // colour that is not a fixed swatch joins the user swatches.
    void receiveColorChangeDelay();
    // Gives the shared colour panel the selected colour and tells its
    // observers.
    void didChangedColor();

    KZColorMatrix* systemColorsMatrix() const { return m_systemColorsMatrix; }
    void setSystemColorsMatrix(KZColorMatrix* matrix) { m_systemColorsMatrix = matrix; }
    KZColorMatrix* userColorsMatrix() const { return m_userColorsMatrix; }
    void setUserColorsMatrix(KZColorMatrix* matrix) { m_userColorsMatrix = matrix; }
    KZColorButton* colorButton1() const { return m_colorButton1; }
    KZColorButton* colorButton2() const { return m_colorButton2; }
    KZTexturalButton* editColorButton() const { return m_editColorButton; }

    // The colour's swatch name, else its "R G B" key; empty for no colour.
    QString nameForColor(const QColor& color) const;

    QSize sizeHint() const override;

private:
    void awakeFromNib(const platform::ColorList* crayons);
    void layOut();

    // Children of the panel; the pointers do not own.
    QPointer<KZColorMatrix> m_systemColorsMatrix;
    QPointer<KZColorMatrix> m_userColorsMatrix;
    QPointer<KZColorButton> m_colorButton1;
    QPointer<KZColorButton> m_colorButton2;
    QPointer<KZColorButton> m_activeColorButton;
    QPointer<KZTexturalButton> m_editColorButton;
};
