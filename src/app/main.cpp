#include "util/AppPaths.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    kalido::InitPaths();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalido"));
    QLabel window(QStringLiteral("Kalido"));
    window.setWindowTitle(QStringLiteral("Kalido"));
    window.setAlignment(Qt::AlignCenter);
    window.resize(640, 480);
    window.show();
    const int rc = app.exec();
    kalido::ClearPaths();
    return rc;
}
