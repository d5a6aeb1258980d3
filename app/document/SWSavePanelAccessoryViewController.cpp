#include "SWSavePanelAccessoryViewController.h"

#include "SWImageTools.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QWidget>

#include <cmath>

SWSavePanelAccessoryViewController::SWSavePanelAccessoryViewController() = default;

SWSavePanelAccessoryViewController::~SWSavePanelAccessoryViewController()
{
    delete m_view;
}

QStringList SWSavePanelAccessoryViewController::fileTypeTitles()
{
    return {QStringLiteral("PNG"), QStringLiteral("JPEG"), QStringLiteral("BMP"), QStringLiteral("GIF"),
            QStringLiteral("TIFF")};
}

void SWSavePanelAccessoryViewController::loadView()
{
    delete m_view;
    m_view = new QWidget;
    auto* row = new QHBoxLayout(m_view);
    row->setContentsMargins(0, 4, 0, 4);
    auto* fileFormat = new QLabel(QStringLiteral("File Format:"), m_view);
    row->addWidget(fileFormat);
    m_fileTypeButton = new QComboBox(m_view);
    // Each label names the control beside it, for accessibility clients.
    fileFormat->setBuddy(m_fileTypeButton);
    m_fileTypeButton->setObjectName(QStringLiteral("fileTypeButton"));
    m_fileTypeButton->addItems(fileTypeTitles());
    row->addWidget(m_fileTypeButton);

    m_containerView = new QWidget(m_view);
    auto* container = new QHBoxLayout(m_containerView);
    container->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_containerView, 1);

    m_jpegView = new QWidget;
    auto* jpeg = new QHBoxLayout(m_jpegView);
    jpeg->setContentsMargins(12, 0, 0, 0);
    auto* quality = new QLabel(QStringLiteral("Quality:"), m_jpegView);
    jpeg->addWidget(quality);
    jpeg->addWidget(new QLabel(QStringLiteral("Least"), m_jpegView));
    m_qualitySlider = new QSlider(Qt::Horizontal, m_jpegView);
    quality->setBuddy(m_qualitySlider);
    m_qualitySlider->setObjectName(QStringLiteral("qualitySlider"));
    m_qualitySlider->setRange(0, 100);
    jpeg->addWidget(m_qualitySlider, 1);
    jpeg->addWidget(new QLabel(QStringLiteral("Best"), m_jpegView));
    m_jpegView->setParent(m_view);
    m_jpegView->hide();

    m_imageQuality = 0.8;
    m_alphaEnabled = true;
    m_qualitySlider->setValue(int(std::lround(m_imageQuality * 100)));
    QObject::connect(m_qualitySlider, &QSlider::valueChanged, m_view,
                     [this](int value) { m_imageQuality = value / 100.0; });
    QObject::connect(m_fileTypeButton, &QComboBox::activated, m_view, [this](int) { fileTypeDidChange(); });
}

QWidget* SWSavePanelAccessoryViewController::view()
{
    if (!m_view)
        loadView();
    return m_view;
}

void SWSavePanelAccessoryViewController::setImageQuality(double quality)
{
    m_imageQuality = quality;
    if (m_qualitySlider) {
        const QSignalBlocker block(m_qualitySlider);
        m_qualitySlider->setValue(int(std::lround(quality * 100)));
    }
}

QWidget* SWSavePanelAccessoryViewController::viewForFileType(const QString& title)
{
    view();
    const int index = m_fileTypeButton->findText(title, Qt::MatchFixedString);
    if (index >= 0)
        m_fileTypeButton->setCurrentIndex(index);
    updateViewForFileType(m_fileTypeButton->currentText());
    return m_view;
}

void SWSavePanelAccessoryViewController::updateViewForFileType(const QString& title)
{
    if (!m_containerView)
        return;
    QLayout* layout = m_containerView->layout();
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            w->hide();
            w->setParent(m_view);
        }
        delete item;
    }
    if (title.compare(QLatin1String("JPEG"), Qt::CaseInsensitive) == 0) {
        m_jpegView->setParent(m_containerView);
        layout->addWidget(m_jpegView);
        m_jpegView->show();
    }
}

void SWSavePanelAccessoryViewController::fileTypeDidChange()
{
    const QString title = m_fileTypeButton->currentText();
    m_currentFileType.set(SWImageTools::convertFileType(title));
    updateViewForFileType(title);
}

void SWSavePanelAccessoryViewController::selectFileType(const QString& type)
{
    view();
    for (int i = 0; i < m_fileTypeButton->count(); ++i) {
        if (SWImageTools::convertFileType(m_fileTypeButton->itemText(i)) == type) {
            m_fileTypeButton->setCurrentIndex(i);
            fileTypeDidChange();
            return;
        }
    }
}
