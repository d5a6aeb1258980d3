#pragma once

#include <QString>
#include <Qt>

class QComboBox;

// A pop-up button is a combo box. An item's tag (an integer, 0 when unset)
// sits in TagRole, its represented object in RepresentedObjectRole.
namespace vtr {

constexpr int RepresentedObjectRole = Qt::UserRole;
constexpr int TagRole = Qt::UserRole + 1;

// -1 when nothing is selected.
int selectedTag(const QComboBox* popUp);
// Selects the first item with the tag; with none, nothing stays selected.
bool selectItemWithTag(QComboBox* popUp, int tag);
// Selects the first item with the title; with none, nothing stays selected.
void selectItemWithTitle(QComboBox* popUp, const QString& title);

void selectItemOnlyNeededAt(QComboBox* popUp, int index);
// True when the tag was already selected, else what the selection by tag gave.
bool selectItemOnlyNeededWithTag(QComboBox* popUp, int tag);
// With nothing selected, every title counts as different.
void selectItemOnlyNeededWithTitle(QComboBox* popUp, const QString& title);
// The first item whose represented object is this text; items that carry no
// text (a number, nothing) never match. False when no item matches.
bool selectItemOnlyNeededWithRepresentedObjectString(QComboBox* popUp, const QString& text);
void deselectAllItems(QComboBox* popUp);

} // namespace vtr
