#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zorbel"));
    QApplication::setQuitOnLastWindowClosed(false);
    return 0;
}
