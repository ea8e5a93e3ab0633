#include "gui/main/MakerPage.h"

#include <QDesktopServices>

bool MakerPage::openMakerPage()
{
    return QDesktopServices::openUrl(address());
}
