#include "KZColorMatrix.h"

#include "platform/appkit/ColorPanel.h"

#include <QHelpEvent>
#include <QToolTip>

KZColorMatrix::KZColorMatrix(int rows, int columns, QWidget* parent)
    : SWMatrix(RadioMode, [] { return std::make_unique<KZColorButtonCell>(); }, rows, columns, parent)
{
    // Every cell starts without a colour, so none can be chosen before the
    // matrix has a list.
    for (platform::ButtonCell* cell : cells())
        static_cast<KZColorButtonCell*>(cell)->setColor(QColor());
}

KZColorMatrix::~KZColorMatrix() = default;

QString KZColorMatrix::userColorKey(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return QString::asprintf("%.0f %.0f %.0f", rgb.redF() * 255, rgb.greenF() * 255, rgb.blueF() * 255);
}

void KZColorMatrix::setColorList(std::shared_ptr<platform::ColorList> list)
{
    m_colorList = std::move(list);
    assignColors(m_frontMagnitude);
}

KZColorButtonCell* KZColorMatrix::colorCellAt(int row, int column) const
{
    return static_cast<KZColorButtonCell*>(cellAt(row, column));
}

void KZColorMatrix::setToolTipForCell(const QString& toolTip, const platform::ButtonCell* cell)
{
    if (toolTip.isEmpty())
        m_toolTips.remove(cell);
    else
        m_toolTips.insert(cell, toolTip);
}

void KZColorMatrix::assignColors(bool)
{
    const QList<platform::ButtonCell*> all = cells();
    // A swatch's title is its key too: never drawn (the cell shows its image
    // only), it names the cell wherever a cell is known by its title.
    for (platform::ButtonCell* cell : all) {
        static_cast<KZColorButtonCell*>(cell)->setColor(QColor());
        cell->setTitle(QString());
        setToolTipForCell(QString(), cell);
    }
    const QStringList keys = m_colorList ? m_colorList->allKeys() : QStringList();
    for (int k = 0; k < keys.size() && k < all.size(); ++k) {
        const QString& key = m_frontMagnitude ? keys[k] : keys[keys.size() - 1 - k];
        static_cast<KZColorButtonCell*>(all[k])->setColor(*m_colorList->colorWithKey(key));
        all[k]->setTitle(key);
        setToolTipForCell(key, all[k]);
    }
    update();
}

void KZColorMatrix::appendColor(const QColor& color)
{
    if (!color.isValid())
        return;
    if (!m_colorList)
        m_colorList = std::make_shared<platform::ColorList>(QString());
    const QString key = userColorKey(color);
    m_colorList->removeColorWithKey(key);
    m_colorList->setColorForKey(color, key);
    assignColors(m_frontMagnitude);
    const QList<platform::ButtonCell*> all = cells();
    const int last = int(all.indexOf(lastColorCell()));
    if (last >= 0 && numberOfColumns() > 0)
        selectCell(last / numberOfColumns(), last % numberOfColumns());
}

void KZColorMatrix::editColor(QObject*)
{
    appendColor(platform::ColorPanel::shared().color());
}

KZColorButtonCell* KZColorMatrix::lastColorCell() const
{
    KZColorButtonCell* last = nullptr;
    for (platform::ButtonCell* cell : cells()) {
        auto* colorCell = static_cast<KZColorButtonCell*>(cell);
        if (!colorCell->color().isValid())
            break;
        last = colorCell;
    }
    return last;
}

QColor KZColorMatrix::selectedColor() const
{
    const auto* cell = static_cast<const KZColorButtonCell*>(selectedCell());
    return cell ? cell->color() : QColor();
}

QString KZColorMatrix::accessibleNameForCell(int row, int column) const
{
    // A swatch not filled yet still has a name to be found by.
    const QString name = toolTipForCell(cellAt(row, column));
    return name.isEmpty() && cellAt(row, column) ? tr("Empty Swatch") : name;
}

QString KZColorMatrix::accessibleDescriptionForCell(int row, int column) const
{
    const KZColorButtonCell* cell = colorCellAt(row, column);
    return cell && cell->color().isValid() ? userColorKey(cell->color()) : QString();
}

bool KZColorMatrix::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        int row = -1, column = -1;
        const QString tip = getRowColumnForPoint(help->pos(), &row, &column) ? toolTipForCell(cellAt(row, column))
                                                                             : QString();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this, cellFrame(row, column).toAlignedRect());
        return true;
    }
    return SWMatrix::event(event);
}
