#include "app/MakerPage.h"

#include <QDesktopServices>

bool MakerPage::OpenMakerPage()
{
    return QDesktopServices::openUrl(address());
}
