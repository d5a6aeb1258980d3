#include "SWPrintPanelAccessoryViewController.h"

#include "CHStringsTable.h"

#include "platform/appkit/PrintInfo.h"
#include "platform/foundation/UserDefaults.h"

#include <QCheckBox>
#include <QVBoxLayout>
#include <QWidget>

SWPrintPanelAccessoryViewController::SWPrintPanelAccessoryViewController() = default;

SWPrintPanelAccessoryViewController::~SWPrintPanelAccessoryViewController()
{
    delete m_view;
}

void SWPrintPanelAccessoryViewController::setRepresentedObject(platform::PrintInfo* printInfo)
{
    m_printInfo = printInfo;
    const QString key = QStringLiteral("ScaleImageToFitPage");
    auto& defaults = platform::UserDefaults::standard();
    setScaling(defaults.value(key).isValid() ? defaults.boolean(key) : true);
}

bool SWPrintPanelAccessoryViewController::scaling() const
{
    return m_printInfo && m_printInfo->verticalPagination() == platform::PrintInfo::FitPagination;
}

void SWPrintPanelAccessoryViewController::setScaling(bool scaling)
{
    if (!m_printInfo)
        return;
    const int pagination = scaling ? platform::PrintInfo::FitPagination : platform::PrintInfo::AutoPagination;
    m_printInfo->dictionary().insert(platform::PrintInfo::horizontalPaginationKey(), pagination);
    m_printInfo->dictionary().insert(platform::PrintInfo::verticalPaginationKey(), pagination);
    if (m_scaleSwitch) {
        const QSignalBlocker block(m_scaleSwitch);
        m_scaleSwitch->setChecked(scaling);
    }
}

void SWPrintPanelAccessoryViewController::changeScaling()
{
    setScaling(m_scaleSwitch && m_scaleSwitch->isChecked());
}

QWidget* SWPrintPanelAccessoryViewController::view()
{
    if (!m_view) {
        m_view = new QWidget;
        auto* layout = new QVBoxLayout(m_view);
        m_scaleSwitch = new QCheckBox(QStringLiteral("Scale image to fit page"), m_view);
        m_scaleSwitch->setChecked(scaling());
        layout->addWidget(m_scaleSwitch);
        layout->addStretch(1);
        QObject::connect(m_scaleSwitch, &QCheckBox::toggled, m_view, [this](bool) { changeScaling(); });
    }
    return m_view;
}

QList<QPair<QString, QString>> SWPrintPanelAccessoryViewController::localizedSummaryItems() const
{
    const CHStringsTable& strings = CHStringsTable::named(QStringLiteral("Localizable"));
    return {{strings.localizedString(QStringLiteral("Scaling")),
             strings.localizedString(scaling() ? QStringLiteral("On") : QStringLiteral("Off"))}};
}

QSet<QString> SWPrintPanelAccessoryViewController::keyPathsForValuesAffectingPreview()
{
    return {QStringLiteral("scaling")};
}
