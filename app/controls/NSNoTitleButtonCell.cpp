#include "NSNoTitleButtonCell.h"

QRectF NSNoTitleButtonCell::drawTitle(QPainter&, const AttributedTitle&, const QRectF&, QWidget*)
{
    return QRectF();
}
