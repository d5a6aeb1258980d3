#include "PopUpButtonExtensions.h"

#include "ControlExtensions.h"

#include <QComboBox>
#include <QVariant>

namespace vtr {

int selectedTag(const QComboBox* popUp)
{
    if (!popUp || popUp->currentIndex() < 0)
        return -1;
    return popUp->itemData(popUp->currentIndex(), TagRole).toInt();
}

bool selectItemWithTag(QComboBox* popUp, int tag)
{
    if (!popUp)
        return false;
    for (int i = 0; i < popUp->count(); ++i) {
        if (popUp->itemData(i, TagRole).toInt() == tag) {
            popUp->setCurrentIndex(i);
            return true;
        }
    }
    popUp->setCurrentIndex(-1);
    return false;
}

void selectItemWithTitle(QComboBox* popUp, const QString& title)
{
    if (!popUp)
        return;
    for (int i = 0; i < popUp->count(); ++i) {
        if (stringsEqual(popUp->itemText(i), title)) {
            popUp->setCurrentIndex(i);
            return;
        }
    }
    popUp->setCurrentIndex(-1);
}

void selectItemOnlyNeededAt(QComboBox* popUp, int index)
{
    if (popUp && popUp->currentIndex() != index)
        popUp->setCurrentIndex(index);
}

bool selectItemOnlyNeededWithTag(QComboBox* popUp, int tag)
{
    if (!popUp)
        return false;
    if (selectedTag(popUp) == tag)
        return true;
    return selectItemWithTag(popUp, tag);
}

void selectItemOnlyNeededWithTitle(QComboBox* popUp, const QString& title)
{
    if (!popUp)
        return;
    if (popUp->currentIndex() >= 0 && stringsEqual(popUp->currentText(), title))
        return;
    selectItemWithTitle(popUp, title);
}

bool selectItemOnlyNeededWithRepresentedObjectString(QComboBox* popUp, const QString& text)
{
    if (!popUp)
        return false;
    for (int i = 0; i < popUp->count(); ++i) {
        const QVariant object = popUp->itemData(i, RepresentedObjectRole);
        if (object.typeId() != QMetaType::QString || !stringsEqual(object.toString(), text))
            continue;
        if (popUp->currentIndex() != i)
            popUp->setCurrentIndex(i);
        return true;
    }
    return false;
}

void deselectAllItems(QComboBox* popUp)
{
    if (popUp)
        popUp->setCurrentIndex(-1);
}

} // namespace vtr
