#include "app/AppServices.h"
#include "app/TForm1.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QTimer>

#include <functional>

namespace {

// Runs an action once, a moment after the first paint of any widget: time for the display
// server, which shares the processor, to put the first frame on the screen.
class AfterFirstPaint : public QObject {
public:
    static constexpr int kDelay = 250; // ms

    explicit AfterFirstPaint(std::function<void()> action) : action_(std::move(action)) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && action_) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(kDelay, qApp, std::move(action_));
            action_ = nullptr;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> action_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    lexfall::AppServices services;
    lexfall::TForm1 form(services.Services());
    // Loading the audio library would compete with the first paint for the processor.
    const AfterFirstPaint startAudio([&services] { services.StartAudio(); });
    form.move(form.screen()->availableGeometry().center() - form.rect().center());
    form.show();
    return app.exec();
}
