#pragma once
#include <QCoreApplication>
#include <QElapsedTimer>

namespace testutil {

// Lets window events run for ms milliseconds (at least once).
inline void pump(int ms) {
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (t.elapsed() < ms);
}

}  // namespace testutil
