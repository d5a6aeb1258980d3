#include "MyPushAdBoxView.h"

MyPushAdBoxView::MyPushAdBoxView(QWidget* parent)
    : QWidget(parent)
{
    setAccessibleName(QStringLiteral("Ad"));
}
