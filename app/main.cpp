#include "app/AppServices.h"
#include "app/TForm1.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    lexfall::AppServices services;
    lexfall::TForm1 form(services.Services());
    form.move(form.screen()->availableGeometry().center() - form.rect().center());
    form.show();
    return app.exec();
}
