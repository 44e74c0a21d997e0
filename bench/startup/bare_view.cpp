// A frameless 810 x 62 QWebEngineView at the bar's place, loading the address given.
#include <QApplication>
#include <QWebEngineView>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QWebEngineView view;
    view.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
    view.setWindowTitle(QStringLiteral("Zorvel"));
    view.setGeometry(235, 0, 810, 62);
    view.load(QUrl(QString::fromLocal8Bit(argv[1])));
    view.show();
    return app.exec();
}
