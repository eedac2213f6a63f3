#pragma once
#include <QOpenGLWidget>
#include <QWheelEvent>
#include <functional>
#include <string>

#include "modkit/preview/GLSurface.h"
#include "modkit/preview/OpenGLPreviewObject.h"

namespace fettle {

// The preview's drawing surface (the picture box) and its rendering object:
// the library draws into the widget's frame buffer after makeCurrent, and
// present shows the frame.
class PreviewSurface : public QOpenGLWidget, public modkit::GLSurface {
    Q_OBJECT
public:
    explicit PreviewSurface(QWidget* parent = nullptr);

    bool makeCurrent() override;
    void present() override;
    modkit::OpenGLPreviewObject& previewObject() { return preview_; }
    // Why the context could not be set up (empty when it could).
    const std::string& initError() const { return initError_; }
    void clearWhite();
    bool glReady() const { return glReady_; }
    // While the library builds a draw list on this context, painting must not
    // issue GL commands (they would be compiled into the list).
    void setPaused(bool p) { paused_ = p; }
    // Size of the drawing in device pixels.
    int pixelWidth() const;
    int pixelHeight() const;

Q_SIGNALS:
    void glInitialized();
    void mousePressed(QMouseEvent* e);
    void mouseMoved(QMouseEvent* e);
    void mouseReleased(QMouseEvent* e);
    void wheelTurned(QWheelEvent* e);
    // The frame buffer was made anew (its picture is gone).
    void frameLost();

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* e) override { Q_EMIT mousePressed(e); }
    void mouseMoveEvent(QMouseEvent* e) override { Q_EMIT mouseMoved(e); }
    void mouseReleaseEvent(QMouseEvent* e) override { Q_EMIT mouseReleased(e); }
    void wheelEvent(QWheelEvent* e) override {
        Q_EMIT wheelTurned(e);
        e->accept();
    }

private:
    modkit::OpenGLPreviewObject preview_;
    std::string initError_;
    bool glReady_ = false;
    bool frameValid_ = false;
    bool paused_ = false;
};

// The surface format the preview asks for (compatibility profile, double
// buffer, 24-bit colour, 16-bit depth); set before the application object exists.
void setDefaultSurfaceFormat();

}  // namespace fettle
