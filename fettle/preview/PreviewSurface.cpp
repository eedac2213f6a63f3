#include "preview/PreviewSurface.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QSurfaceFormat>
#include <exception>

namespace fettle {

void setDefaultSurfaceFormat() {
    QSurfaceFormat f;
    f.setRenderableType(QSurfaceFormat::OpenGL);
    f.setProfile(QSurfaceFormat::CompatibilityProfile);
    f.setVersion(2, 1);
    f.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    f.setRedBufferSize(8);
    f.setGreenBufferSize(8);
    f.setBlueBufferSize(8);
    f.setDepthBufferSize(16);
    QSurfaceFormat::setDefaultFormat(f);
}

PreviewSurface::PreviewSurface(QWidget* parent) : QOpenGLWidget(parent) {
    setObjectName("picPreview");
    // The last frame stays until the next one is drawn.
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
    setMinimumSize(64, 64);
}

bool PreviewSurface::makeCurrent() {
    if (!glReady_ || !context() || !context()->isValid()) return false;
    QOpenGLWidget::makeCurrent();
    return true;
}

void PreviewSurface::present() {
    frameValid_ = true;
    update();
}

void PreviewSurface::clearWhite() {
    QOpenGLFunctions* f = context()->functions();
    f->glClearColor(1, 1, 1, 1);
    f->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

int PreviewSurface::pixelWidth() const { return qRound(width() * devicePixelRatioF()); }
int PreviewSurface::pixelHeight() const { return qRound(height() * devicePixelRatioF()); }

void PreviewSurface::initializeGL() {
    glReady_ = true;  // makeCurrent, which initOpenGL calls, needs it
    try {
        preview_.initOpenGL(*this);
    } catch (const std::exception& e) {
        glReady_ = false;
        initError_ = e.what();
    }
    Q_EMIT glInitialized();
}

void PreviewSurface::resizeGL(int, int) {
    frameValid_ = false;
    Q_EMIT frameLost();
}

void PreviewSurface::paintGL() {
    if (!frameValid_ && !paused_) clearWhite();
}

}  // namespace fettle
