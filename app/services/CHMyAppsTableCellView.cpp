#include "CHMyAppsTableCellView.h"

#include "DLAsyncImageView.h"

#include <QGridLayout>
#include <QLabel>

CHMyAppsTableCellView::CHMyAppsTableCellView(QWidget* parent)
    : QWidget(parent)
    , m_ivIcon(new DLAsyncImageView(this))
    , m_lbTitle(new QLabel(this))
    , m_lbContent(new QLabel(this))
    , m_lbPrice(new QLabel(this))
{
    m_ivIcon->setFixedSize(48, 48);
    // Every text of a row comes from the server: plain, never markup.
    for (QLabel* label : {m_lbTitle, m_lbContent, m_lbPrice}) {
        label->setTextFormat(Qt::PlainText);
        label->setOpenExternalLinks(false);
    }
    QFont bold = m_lbTitle->font();
    bold.setBold(true);
    m_lbTitle->setFont(bold);
    m_lbContent->setWordWrap(true);
    m_lbContent->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont small = m_lbContent->font();
    if (small.pointSizeF() > 0)
        small.setPointSizeF(small.pointSizeF() * 0.85);
    m_lbContent->setFont(small);
    m_lbPrice->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 6, 10, 6);
    layout->setHorizontalSpacing(10);
    layout->setVerticalSpacing(2);
    layout->addWidget(m_ivIcon, 0, 0, 2, 1, Qt::AlignVCenter);
    layout->addWidget(m_lbTitle, 0, 1);
    layout->addWidget(m_lbPrice, 0, 2);
    layout->addWidget(m_lbContent, 1, 1, 1, 2);
    layout->setColumnStretch(1, 1);
}

QString CHMyAppsTableCellView::identifier()
{
    return QStringLiteral("MyAppCell");
}
