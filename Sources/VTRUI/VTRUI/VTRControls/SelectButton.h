#pragma once

#include "UniformGrayScale.h"
#include "UniformImageMark.h"
#include "VTRImage.h"
#include "VTRImagePosition.h"

#include <QAbstractButton>
#include <QString>

#include <optional>

// A borderless, image-only button whose picture is a composed icon: a
// template shape tinted in a grey level per appearance, optionally on a
// background mark. It keeps a selected state of its own, which the owner
// sets; a click does not change it. A subclass styles the states by
// overriding the look properties and recomposes when their answers change.
class SelectButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(QString iconTemplateImageName READ iconTemplateImageNameText WRITE setIconTemplateImageNameText)
public:
    // How the platform button behaves and draws, as the settings name them.
    enum BezelStyle { ShadowlessSquare = 6 };
    enum ButtonType { MomentaryChange = 5, MomentaryPushIn = 7 };
    enum ImageScaling { ScaleAxesIndependently = 1, ScaleNone = 2 };

    explicit SelectButton(QWidget* parent = nullptr);

    virtual bool isSelected() const { return m_isSelected; }
    virtual std::optional<QString> iconTemplateImageName() const { return m_iconTemplateImageName; }
    // Stores and recomposes, also when the value is unchanged.
    virtual void setIconTemplateImageName(const std::optional<QString>& name);
    virtual VTRImage iconBaseImage() const { return m_iconBaseImage; }
    virtual void setIconBaseImage(const VTRImage& image);
    virtual std::optional<QString> stringTag() const { return m_stringTag; }
    virtual void setStringTag(const std::optional<QString>& tag) { m_stringTag = tag; }

    virtual std::optional<UniformImageMark> normalBackgroundMark() const { return std::nullopt; }
    virtual UniformGrayScale normalImageGrayScale() const { return UniformGrayScale(0); }
    virtual std::optional<UniformImageMark> selectedBackgroundMark() const { return std::nullopt; }
    virtual UniformGrayScale selectedImageGrayScale() const { return UniformGrayScale(0); }

    // Recomposes only when the state changes.
    virtual void setSelectedOnlyNeeded(bool selected);
    virtual void recomposeButtonImages();

    // The pictures shown normally and while pressed (with MomentaryChange).
    const VTRImage& image() const { return m_image; }
    void setImage(const VTRImage& image);
    const VTRImage& alternateImage() const { return m_alternateImage; }
    void setAlternateImage(const VTRImage& image);

    int bezelStyle() const { return m_bezelStyle; }
    int buttonType() const { return m_buttonType; }
    bool isBordered() const { return m_bordered; }
    VTRImagePosition imagePosition() const { return m_imagePosition; }
    int imageScaling() const { return m_imageScaling; }

    // How many times images were composed; a way to see that nothing was.
    int compositionCount() const { return m_compositionCount; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

    void setButtonType(int type) { m_buttonType = type; }
    void setImageScaling(int scaling) { m_imageScaling = scaling; }
    // The state's grey scale and background mark.
    UniformGrayScale currentImageGrayScale() const;
    std::optional<UniformImageMark> currentBackgroundMark() const;
    VTRImage composeUniformImage(const std::optional<QString>& iconImageName, const VTRImage& iconBaseImage,
                                 const UniformGrayScale& imageGrayScale,
                                 const std::optional<UniformImageMark>& backgroundMark);
    void countComposition() { ++m_compositionCount; }

private:
    void customInit();
    QString iconTemplateImageNameText() const { return m_iconTemplateImageName.value_or(QString()); }
    void setIconTemplateImageNameText(const QString& name);

    bool m_isSelected = false;
    std::optional<QString> m_iconTemplateImageName;
    VTRImage m_iconBaseImage;
    std::optional<QString> m_stringTag;

    VTRImage m_image;
    VTRImage m_alternateImage;
    int m_bezelStyle = 0;
    int m_buttonType = 0;
    bool m_bordered = true;
    VTRImagePosition m_imagePosition = VTRImagePosition::NoImage;
    int m_imageScaling = 0;
    int m_compositionCount = 0;
};
