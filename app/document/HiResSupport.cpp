#include "HiResSupport.h"

#include <QWidget>

namespace HiResSupport {

double screenScaleFactor(const QWidget* view)
{
    if (!view)
        return 1.0;
    const double ratio = view->devicePixelRatioF();
    return ratio > 0.0 ? ratio : 1.0;
}

} // namespace HiResSupport
