#include "NPAdViewController.h"

NPAdViewController::NPAdViewController(QObject* parent)
    : QObject(parent)
{
}
