#pragma once

#include "platform/foundation/ObservableProperty.h"

#include <QComboBox>
#include <QPointer>
#include <QSlider>
#include <QWidget>
#include <QString>
#include <QStringList>

class QComboBox;
class QSlider;
class QWidget;

// The save panel's accessory: the file type to write and, for JPEG, the
// quality. The document observes currentFileType and reads imageQuality
// when it encodes a JPEG.
class SWSavePanelAccessoryViewController {
public:
    SWSavePanelAccessoryViewController();
    ~SWSavePanelAccessoryViewController();

    // The type titles offered, in order ("PNG", "JPEG", "BMP", "GIF", "TIFF").
    static QStringList fileTypeTitles();

    // Makes the view anew: quality back to 0.8, alpha on.
    void loadView();
    QWidget* view();

    // Selects that type title, shows its controls and returns the view.
    QWidget* viewForFileType(const QString& title);
    void updateViewForFileType(const QString& title);
    // The type pop-up's action.
    void fileTypeDidChange();
    // Chooses a type (a lower-case extension such as "jpg") as if the user
    // had picked its title in the pop-up.
    void selectFileType(const QString& type);

    platform::ObservableProperty<QString>& currentFileType() { return m_currentFileType; }
    double imageQuality() const { return m_imageQuality; }
    void setImageQuality(double quality);
    bool isAlphaEnabled() const { return m_alphaEnabled; }
    void setAlphaEnabled(bool enabled) { m_alphaEnabled = enabled; }

    // The controls, for tests and for the panel.
    QComboBox* fileTypeButton() const { return m_fileTypeButton; }
    QWidget* jpegView() const { return m_jpegView; }

private:
    QPointer<QWidget> m_view;
    QPointer<QComboBox> m_fileTypeButton;
    QPointer<QWidget> m_containerView;
    QPointer<QWidget> m_jpegView;
    QPointer<QSlider> m_qualitySlider;
    platform::ObservableProperty<QString> m_currentFileType;
    double m_imageQuality = 0.8;
    bool m_alphaEnabled = true;
};
