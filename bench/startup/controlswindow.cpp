// The second reference of bench_startup: a Qt Quick Controls 2 window with
// the program's style, fonts and a few texts, started the way the program
// starts.

#include <QtGui/QGuiApplication>
#include <QtQml/QQmlApplicationEngine>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QGuiApplication application(argc, argv);
    QQmlApplicationEngine engine(QUrl(QStringLiteral("qrc:/controlswindow.qml")));
    return QGuiApplication::exec();
}
