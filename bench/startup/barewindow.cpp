// The reference of bench_startup: a Qt Quick window of the program's size
// with nothing in it, started the way the program starts.

#include <QtGui/QGuiApplication>
#include <QtQml/QQmlApplicationEngine>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QGuiApplication application(argc, argv);
    QQmlApplicationEngine engine(QUrl(QStringLiteral("qrc:/barewindow.qml")));
    return QGuiApplication::exec();
}
