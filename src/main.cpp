#include <QApplication>

#include "Resources.h"
#include "app/OvelinApp.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ovelin"));
    QApplication::setApplicationName(QStringLiteral("Ovelin"));
    QApplication::setQuitOnLastWindowClosed(false);
    initOvelinResources();

    OvelinApp ovelin(StartupServices::application());
    ovelin.launch();
    return QApplication::exec();
}
