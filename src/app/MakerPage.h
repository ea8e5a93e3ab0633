#pragma once

#include <QUrl>

// The maker's web page, opened in the user's default browser.
class MakerPage
{
public:
    static QUrl address() { return QUrl(QStringLiteral("https://moxeno.example/trellin")); }
    static bool OpenMakerPage();
};
