#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow frame;
    frame.setWindowTitle(QStringLiteral("Pathkeep 2005"));
    frame.show();
    return app.exec();
}
