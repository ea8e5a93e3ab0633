#pragma once

#include <QUrl>

// The maker's web page, opened in the user's default browser.
namespace MakerPage {

inline QUrl address()
{
    return QUrl(QStringLiteral("https://moxeno.example/trellin"));
}
bool openMakerPage();

} // namespace MakerPage
