// The references of bench_startup: the window of the resource set's
// window.qml, started the way the program starts. Each reference links its
// own resource set.

#include <QtGui/QGuiApplication>
#include <QtQml/QQmlApplicationEngine>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QGuiApplication application(argc, argv);
    QQmlApplicationEngine engine(QUrl(QStringLiteral("qrc:/window.qml")));
    return QGuiApplication::exec();
}
