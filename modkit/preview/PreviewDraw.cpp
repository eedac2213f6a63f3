// The preview operations of MDLObject: textures, the display list and one frame.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "modkit/bgl/CommandWalk.h"
#include "modkit/bgl/WalkState.h"
#include "modkit/core/Error.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"
#include "modkit/lists/TextureGroups.h"
#include "modkit/preview/GLSurface.h"
#include "modkit/preview/OpenGLPreviewObject.h"
#include "modkit/preview/ViewCamera.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.MDLObject";
const char* const kContextSource = "Modkit.OpenGLPreviewObject";

// A texture name that never receives an image: binding it turns texturing off.
// Textures that failed to load carry it as their glPointer.
constexpr int32_t kNoImage = -1;

void colorOf(const Color& c, GLfloat out[4]) {
    out[0] = c.r();
    out[1] = c.g();
    out[2] = c.b();
    out[3] = c.a();
}

struct Extent {
    float xmin, ymin, zmin, xmax, ymax, zmax;
    float radius() const {
        const float dx = xmax - xmin, dy = ymax - ymin, dz = zmax - zmin;
        return std::sqrt((dx / 2) * (dx / 2) + (dy / 2) * (dy / 2) + (dz / 2) * (dz / 2));
    }
};

// The bounding box frames the camera. A box without size (all zero, as some
// models carry) or with values that are not numbers would put the eye inside
// the model; the extent of the vertices stands in for it then.
Extent cameraExtent(const BoundingBox& b, const VertexList& vertices) {
    Extent box{b.xmin(), b.ymin(), b.zmin(), b.xmax(), b.ymax(), b.zmax()};
    const float r = box.radius();
    if (std::isfinite(r) && r > 0) return box;
    Extent v{INFINITY, INFINITY, INFINITY, -INFINITY, -INFINITY, -INFINITY};
    for (const auto& p : vertices) {
        if (!std::isfinite(p->x()) || !std::isfinite(p->y()) || !std::isfinite(p->z())) continue;
        v = {std::min(v.xmin, p->x()), std::min(v.ymin, p->y()), std::min(v.zmin, p->z()),
             std::max(v.xmax, p->x()), std::max(v.ymax, p->y()), std::max(v.zmax, p->z())};
    }
    if (!(v.xmin <= v.xmax)) return std::isfinite(r) ? box : Extent{0, 0, 0, 0, 0, 0};
    return v;
}

int pixels(float size) {
    if (!(size >= 0.5f)) return 0;
    return static_cast<int>(std::lround(std::min(size, 65536.0f)));
}

}  // namespace

std::vector<TextureLoadFailure> MDLObject::loadPreviewTextures(OpenGLPreviewObject& oglPObj) {
    std::vector<TextureLoadFailure> failures;
    for (const auto& t : *textures_) {
        pumpEvents();
        if (t->file().empty()) {
            t->setGlPointer(0);
            continue;
        }
        try {
            t->setGlPointer(oglPObj.loadTexture(t->file()));
        } catch (const Error& e) {
            t->setGlPointer(kNoImage);
            failures.push_back(TextureLoadFailure{t->file(), e});
        }
    }
    return failures;
}

void MDLObject::glLoadTextureList(OpenGLPreviewObject& oglPObj) {
    std::vector<TextureLoadFailure> failures = loadPreviewTextures(oglPObj);
    if (!failures.empty()) throw failures.front().error;
}

void MDLObject::glGenerateDrawList(const WalkState* state) {
    if (previewList_ != 0) {
        if (glIsList(previewList_)) glDeleteLists(previewList_, 1);
        previewList_ = 0;
    }
    const GLuint list = glGenLists(1);
    if (list == 0) raiseLibrary(kContextSource, "Could not initialize OpenGL");
    glNewList(list, GL_COMPILE);
    try {
        compileDrawList(state);
    } catch (...) {
        // A list left open would swallow every later GL call of the context.
        glEndList();
        glDeleteLists(list, 1);
        throw;
    }
    glEndList();
    previewList_ = list;
}

namespace {

// Compiles what the walk draws. Consecutive triangles share one GL_TRIANGLES
// batch; it is closed before any state change, which GL does not allow inside
// a batch. Under a state, dusk and night darken the surfaces, and at night a
// texture with a night map ("_LM") shows the map at full brightness, as the
// simulator lights it.
class DrawListSink : public GeometrySink {
public:
    DrawListSink(const MaterialList& materials, const TextureList& textures, const VertexList& vertices,
                 const WalkState* state)
        : materials_(materials), textures_(textures), vertices_(vertices) {
        if (!state) return;
        const int32_t time = state->timeOfDay();
        light_ = time == WalkState::night ? 0.15f : time == WalkState::dusk ? 0.5f : 1.0f;
        if (time == WalkState::night) nightMaps_ = nightMaps(textures);
    }
    ~DrawListSink() override { endBatch(); }

    void zbias(double bias, int32_t) override {
        pumpEvents();
        endBatch();
        glPolygonOffset(static_cast<GLfloat>(-bias), 0);
    }

    void material(const DrawState& s, int32_t) override {
        pumpEvents();
        const Material& m = *materials_.Item(s.material + 1);
        GLfloat diffuse[4], ambient[4], specular[4], emissive[4];
        colorOf(*m.Diffuse(), diffuse);
        colorOf(*m.Ambient(), ambient);
        colorOf(*m.Specular(), specular);
        colorOf(*m.Emmisive(), emissive);
        int32_t name = kNoImage;
        int32_t night = 0;
        if (s.texture != -1) {
            name = textures_.Item(s.texture + 1)->glPointer();
            if (!nightMaps_.empty()) night = nightMaps_[static_cast<size_t>(s.texture)];
        }
        if (night > 0) name = night;
        endBatch();
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(name));
        static const GLfloat white[4] = {1, 1, 1, 1}, none[4] = {0, 0, 0, 0};
        if (name == kNoImage) {
            // No texture (or one that could not be loaded): the material's own colours.
            dim(diffuse);
            dim(ambient);
            glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
            glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
            glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
            glMaterialfv(GL_FRONT, GL_EMISSION, emissive);
        } else if (night > 0) {
            // The night map glows whatever the light.
            glMaterialfv(GL_FRONT, GL_DIFFUSE, none);
            glMaterialfv(GL_FRONT, GL_AMBIENT, none);
            glMaterialfv(GL_FRONT, GL_SPECULAR, none);
            glMaterialfv(GL_FRONT, GL_EMISSION, white);
        } else {
            // The texture alone colours the surface, lit by the scene.
            GLfloat lit[4] = {1, 1, 1, 1};
            dim(lit);
            glMaterialfv(GL_FRONT, GL_DIFFUSE, lit);
            glMaterialfv(GL_FRONT, GL_AMBIENT, lit);
            glMaterialfv(GL_FRONT, GL_SPECULAR, none);
            glMaterialfv(GL_FRONT, GL_EMISSION, none);
        }
    }

    void triangle(const WalkTriangle& t) override {
        pumpEvents();
        const Vertex& va = *vertices_.Item(t.v[0] + 1);
        const Vertex& vb = *vertices_.Item(t.v[1] + 1);
        const Vertex& vc = *vertices_.Item(t.v[2] + 1);
        if (!batch_) glBegin(GL_TRIANGLES);
        batch_ = true;
        // The model's y axis (up) is the drawing's z axis; the whole triangle
        // carries the first vertex's normal.
        glNormal3f(va.nx(), va.nz(), va.ny());
        for (const Vertex* v : {&va, &vb, &vc}) {
            glTexCoord2f(v->tx(), v->ty());
            glVertex3f(v->x(), v->z(), v->y());
        }
    }

    void endBatch() {
        if (batch_) glEnd();
        batch_ = false;
    }

private:
    void dim(GLfloat c[4]) const {
        for (int i = 0; i < 3; ++i) c[i] *= light_;
    }

    // The GL name of each texture's night map (by 0-based index), 0 for none:
    // the groups are recognised by file name on a copy of the list.
    static std::vector<int32_t> nightMaps(const TextureList& textures) {
        TextureList copy;
        for (const auto& t : textures) copy.Add(std::make_shared<Texture>(*t));
        TextureGroups groups;
        try {
            groups.recognise(copy);
        } catch (const Error&) {
            return {};  // more textures than 16-bit positions reach
        }
        std::vector<int32_t> out(static_cast<size_t>(copy.Count()), 0);
        std::vector<int32_t> ofBase(static_cast<size_t>(copy.Count()) + 1, -1);  // night map position, 0 none
        for (int32_t i = 1; i <= copy.Count(); ++i) {
            const int16_t base = copy.Item(i)->parent();
            if (base < 1 || base > copy.Count()) continue;
            int32_t& night = ofBase[static_cast<size_t>(base)];
            if (night < 0) night = groups.nightPosition(copy, base);
            if (night > 0 && night != i) out[static_cast<size_t>(i - 1)] = textures.Item(night)->glPointer();
        }
        return out;
    }

    const MaterialList& materials_;
    const TextureList& textures_;
    const VertexList& vertices_;
    float light_ = 1;
    std::vector<int32_t> nightMaps_;
    bool batch_ = false;
};

}  // namespace

void MDLObject::compileDrawList(const WalkState* state) {
    DrawListSink sink(*materials_, *textures_, *vertices_, state);
    previewTime_ = state ? state->timeOfDay() : WalkState::day;
    walkCommands(*commands_, sink, state);
}

std::vector<TextureLoadFailure> MDLObject::glPreparepreview(OpenGLPreviewObject& oglPreview, const WalkState* state) {
    loaded_ = false;
    setLoadingStatus(modkit::LoadingStatus::generatingDrawList);
    if (oglPreview.surface() && !oglPreview.surface()->makeCurrent())
        raiseLibrary(kContextSource, "Could not initialize OpenGL");
    if (previewList_ != 0) glReleasePreview();  // prepared before: replace, do not pile up
    std::vector<TextureLoadFailure> failures = loadPreviewTextures(oglPreview);
    pumpEventsNow();
    glGenerateDrawList(state);
    loaded_ = true;
    return failures;
}

std::vector<TextureLoadFailure> MDLObject::glReloadChangedTextures(OpenGLPreviewObject& oglPreview,
                                                                   const WalkState* state) {
    if (oglPreview.surface() && !oglPreview.surface()->makeCurrent())
        raiseLibrary(kContextSource, "Could not initialize OpenGL");
    loaded_ = false;
    std::vector<TextureLoadFailure> failures;
    std::map<std::string, int32_t> byFile;  // entries naming one file share its texture
    std::set<int32_t> inUse;
    for (const auto& t : *textures_) {
        if (t->file().empty()) {
            t->setGlPointer(0);
            continue;
        }
        const auto same = byFile.find(t->file());
        if (same != byFile.end()) {
            t->setGlPointer(same->second);
        } else if (!oglPreview.holdsTexture(t->glPointer(), t->file())) {
            pumpEvents();
            try {
                t->setGlPointer(oglPreview.loadTexture(t->file()));
            } catch (const Error& e) {
                t->setGlPointer(kNoImage);
                failures.push_back(TextureLoadFailure{t->file(), e});
            }
        }
        byFile.emplace(t->file(), t->glPointer());
        inUse.insert(t->glPointer());
    }
    oglPreview.releaseTexturesExcept(inUse);
    pumpEventsNow();
    glGenerateDrawList(state);
    loaded_ = true;
    return failures;
}

void MDLObject::glReleasePreview() {
    if (previewList_ != 0 && glIsList(previewList_)) glDeleteLists(previewList_, 1);
    previewList_ = 0;
    for (const auto& t : *textures_) {
        const GLuint name = static_cast<GLuint>(t->glPointer());
        if (t->glPointer() > 0 && glIsTexture(name)) glDeleteTextures(1, &name);
        t->setGlPointer(0);
    }
    loaded_ = false;
}

namespace {

// The light set-up and the clear, every frame; the sky behind the model is
// white by day, darker at dusk and night.
void beginFrame(int32_t time) {
    static const GLfloat modelAmbient[4] = {0.5f, 0.5f, 0.5f, 1};
    static const GLfloat lightAmbient[4] = {0.05f, 0.05f, 0.05f, 1};
    static const GLfloat lightDiffuse[4] = {0.5f, 0.5f, 0.5f, 1};
    static const GLfloat lightSpecular[4] = {0.05f, 0.05f, 0.05f, 1};
    glShadeModel(GL_SMOOTH);
    for (GLenum cap : {GL_DEPTH_TEST, GL_CULL_FACE, GL_BLEND, GL_TEXTURE_2D, GL_POLYGON_OFFSET_FILL, GL_LIGHTING,
                       GL_LIGHT0})
        glEnable(cap);
    glPolygonMode(GL_FRONT, GL_FILL);
    if (time == WalkState::night) glClearColor(0.08f, 0.08f, 0.16f, 1);
    else if (time == WalkState::dusk) glClearColor(0.55f, 0.5f, 0.6f, 1);
    else glClearColor(1, 1, 1, 1);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, modelAmbient);
    glLightfv(GL_LIGHT0, GL_AMBIENT, lightAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, lightSpecular);
    // Every frame starts without depth bias; the list sets its own.
    glPolygonOffset(0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_ACCUM_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

}  // namespace

void MDLObject::glDrawMDL(float heading, float pitch, float panX, float panY, float picWidth, float picHeigth,
                          GLSurface& surface, float zoom) {
    if (!surface.makeCurrent()) raiseLibrary(kContextSource, "Could not initialize OpenGL");
    beginFrame(previewTime_);

    const int w = pixels(picWidth), h = pixels(picHeigth);
    if (w > 0 && h > 0) {  // a surface without area (a minimised window) shows nothing
        glViewport(0, 0, w, h);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(60, static_cast<GLdouble>(picWidth / picHeigth), 0.01, 10000);

        const Extent box = cameraExtent(*bbox_, *vertices_);
        const float distance = std::sqrt(3.0f) * box.radius();
        // Zoom 0, below 0 or not a number: the farthest view the program's
        // slider offers (10).
        const float z = zoom > 0 ? zoom : 10.0f;
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0, 0, -distance * 100 / z);
        glRotatef(pitch, 1, 0, 0);
        glRotatef(heading, 0, 0, 1);
        glTranslatef(panX - (box.xmin + box.xmax) / 2, panY - (box.zmin + box.zmax) / 2, -(box.ymin + box.ymax) / 2);

        glPushMatrix();
        if (previewList_ != 0) glCallList(previewList_);
        glPopMatrix();
    }
    surface.present();
}

void MDLObject::glDrawView(const ViewCamera& camera, float picWidth, float picHeight, GLSurface& surface) {
    if (!surface.makeCurrent()) raiseLibrary(kContextSource, "Could not initialize OpenGL");
    beginFrame(previewTime_);
    const int w = pixels(picWidth), h = pixels(picHeight);
    if (w > 0 && h > 0) {
        glViewport(0, 0, w, h);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(camera.projectionMatrix(picWidth / picHeight).data());
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(camera.viewMatrix().data());
        if (previewList_ != 0) glCallList(previewList_);
    }
    surface.present();
}

std::vector<ViewPoint> MDLObject::viewPoints() const {
    std::vector<ViewPoint> points;
    points.reserve(static_cast<size_t>(vertices_->Count()));
    for (const auto& v : *vertices_) points.push_back(drawSpace(v->x(), v->y(), v->z()));
    if (points.empty()) {
        // Without vertices the header's box is all there is to frame.
        const modkit::BoundingBox& b = *bbox_;
        for (float x : {b.xmin(), b.xmax()})
            for (float y : {b.ymin(), b.ymax()})
                for (float z : {b.zmin(), b.zmax()}) points.push_back(drawSpace(x, y, z));
    }
    return points;
}

}  // namespace modkit
