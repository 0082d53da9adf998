#include <QApplication>

#include "Resources.h"
#include "app/AppShell.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ovelin"));
    QApplication::setApplicationName(QStringLiteral("Ovelin"));
    QApplication::setQuitOnLastWindowClosed(false);
    initOvelinResources();

    AppShell shell;
    return QApplication::exec();
}
