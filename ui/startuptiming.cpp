#include "startuptiming.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

std::int64_t nowNs() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
}

class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(QObject* parent, std::int64_t t0) : QObject(parent), t0_(t0) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Report once the paint has finished and reached the screen.
            QTimer::singleShot(0, this, [this] {
                std::printf("first paint: %.1f ms\n", static_cast<double>(nowNs() - t0_) / 1e6);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::int64_t t0_;
    bool seen_ = false;
};

}  // namespace

void watchFirstPaint(QWidget* window) {
    const char* timing = std::getenv("VALDENTA_TIMING");
    if (!timing || std::string_view(timing) != "1")
        return;
    const char* t0 = std::getenv("VALDENTA_T0");
    const std::int64_t start = t0 ? std::strtoll(t0, nullptr, 10) : nowNs();
    window->installEventFilter(new FirstPaintWatch(window, start));
}
