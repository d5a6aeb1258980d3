#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QSize>
#include <QString>

#include <functional>

// The sheet that asks for the size of a new picture: width and height
// fields and a pop-up of presets, one of which takes the size of the
// picture on the clipboard. OK stores the size as the next sheet's
// defaults (HorizontalSize, VerticalSize) and ends the sheet with 1;
// Cancel ends it with 0.
class SWSizeWindowController : public QObject {
    Q_OBJECT
public:
    // Items of the size pop-up, in order.
    enum SizeItem {
        FromPasteboardItem = 0,
        CustomItem = 1,
        SeparatorItem = 2,
        Preset640x480Item = 3,
        Preset800x600Item = 4,
        Preset1024x768Item = 5,
        Preset1280x1024Item = 6,
    };

    explicit SWSizeWindowController(QObject* parent = nullptr);
    ~SWSizeWindowController() override;

    static QString windowNibName() { return QStringLiteral("SizeWindow"); }
    // The preset's size for items 3 to 6; an empty size for the others.
    static QSize presetSize(int item);

    // The sheet's window, made on first call.
    QDialog* window();
    bool isWindowLoaded() const { return m_window != nullptr; }

    // Shows the sheet on the window; didEnd gets the return code.
    void beginSheet(QWidget* documentWindow, std::function<void(int)> didEnd);

    // The pop-up's action: the clipboard picture's size or a preset's
    // numbers go into the fields.
    void changeSizeButton(int item);
    // Whether the pop-up item can be chosen: "From Pasteboard" only while
    // the clipboard holds a picture.
    bool validateMenuItem(int item) const;
    // Enables the pop-up's items by validateMenuItem.
    void validateSizeButton();
    // The fields changed: the pop-up shows the preset they match, else
    // "Custom".
    void textDidChange();
    // tag 1: OK (refused with a beep and a message that says why for a
    // size below 1 or too large to make; the sheet stays open with the
    // values typed); any other tag: Cancel.
    void endSheet(int tag);

    int width() const;
    int height() const;
    void setWidth(int width);
    void setHeight(int height);

    QLineEdit* widthField() const { return m_widthField; }
    QLineEdit* heightField() const { return m_heightField; }
    QComboBox* sizeButton() const { return m_sizeButton; }
    QPushButton* okButton() const { return m_okButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    // Why the last OK was refused; empty when it was not.
    QString refusalMessage() const;

private:
    void loadWindow();
    void windowDidLoad();
    void rebuildSizeButton();

    // Says why OK was refused, below the fields.
    void showRefusal(const QString& reason);
    QPointer<QLabel> m_refusalLabel;
    QPointer<QDialog> m_window;
    QPointer<QLineEdit> m_widthField;
    QPointer<QLineEdit> m_heightField;
    QPointer<QComboBox> m_sizeButton;
    QPointer<QPushButton> m_okButton;
    QPointer<QPushButton> m_cancelButton;
};
