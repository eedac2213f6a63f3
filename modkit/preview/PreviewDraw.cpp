// The preview operations of MDLObject: textures, the draw list and one frame.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <functional>
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

// A model as a frame draws it: its triangles' vertices in one array (in a GL
// buffer once uploaded) and the state changes between runs of them. Building
// it needs no GL call, and a frame replays a few calls a run, where a display
// list compiled from immediate-mode calls took seconds and hundreds of
// megabytes in Mesa for a model of half a million triangles.
struct PreviewDrawList {
    struct Vertex {
        GLfloat s, t, nx, ny, nz, x, y, z;  // GL_T2F_N3F_V3F
    };
    struct Op {
        enum Kind { zbias, material, triangles } kind;
        GLfloat bias;
        GLuint texture;
        GLfloat diffuse[4], ambient[4], specular[4], emission[4];
        GLint first;
        GLsizei count;
    };
    static constexpr GLsizei kFinishVertices = 30000;
    std::vector<Vertex> vertices;  // emptied once in a GL buffer
    std::vector<Op> ops;
    size_t drawn = 0;  // vertices already in a run
    GLuint buffer = 0;

    // Into a GL buffer when the context has buffer objects (GL 1.5); the
    // vertices stay in memory otherwise, or when the buffer cannot be made.
    void upload() {
        if (vertices.empty() || !hasBuffers()) return;
        for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {
        }
        glGenBuffers(1, &buffer);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(),
                     GL_STATIC_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        if (buffer == 0 || glGetError() != GL_NO_ERROR) {
            if (buffer != 0) glDeleteBuffers(1, &buffer);
            buffer = 0;
            return;
        }
        std::vector<Vertex>().swap(vertices);
    }

    // Replays the list. A frame of a large model takes seconds on a software
    // renderer: the program's events run meanwhile (the pump), after which
    // resume makes the context current again and tells whether to go on (the
    // list may have been replaced); the frame is then left unfinished.
    bool draw(const std::function<bool()>& resume) const {
        glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
        bind();
        const Op* lastMaterial = nullptr;
        const Op* lastBias = nullptr;
        GLsizei sinceFinish = 0;
        bool finished = true;
        for (const Op& op : ops) {
            if (pumpEvents()) {
                if (!resume()) {
                    finished = false;
                    break;
                }
                // Others may have used the context meanwhile.
                bind();
                if (lastBias) replay(*lastBias);
                if (lastMaterial) replay(*lastMaterial);
            }
            replay(op);
            if (op.kind == Op::material) lastMaterial = &op;
            if (op.kind == Op::zbias) lastBias = &op;
            // A software renderer bins a whole frame before drawing it:
            // finishing it in parts keeps that memory small.
            if (op.kind == Op::triangles && (sinceFinish += op.count) >= kFinishVertices) {
                glFinish();
                sinceFinish = 0;
            }
        }
        if (buffer) glBindBuffer(GL_ARRAY_BUFFER, 0);
        glPopClientAttrib();
        return finished;
    }

    // Deletes the GL buffer from the current context.
    void release() {
        if (buffer != 0 && glIsBuffer(buffer)) glDeleteBuffers(1, &buffer);
        buffer = 0;
    }

    void bind() const {
        if (buffer) glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glInterleavedArrays(GL_T2F_N3F_V3F, 0, buffer ? nullptr : vertices.data());
    }

    static void replay(const Op& op) {
        switch (op.kind) {
            case Op::zbias: glPolygonOffset(op.bias, 0); break;
            case Op::material:
                glBindTexture(GL_TEXTURE_2D, op.texture);
                glMaterialfv(GL_FRONT, GL_DIFFUSE, op.diffuse);
                glMaterialfv(GL_FRONT, GL_AMBIENT, op.ambient);
                glMaterialfv(GL_FRONT, GL_SPECULAR, op.specular);
                glMaterialfv(GL_FRONT, GL_EMISSION, op.emission);
                break;
            case Op::triangles: glDrawArrays(GL_TRIANGLES, op.first, op.count); break;
        }
    }

    static bool hasBuffers() {
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        if (!version || version[0] < '1' || version[0] > '9') return false;
        return version[0] > '1' || (version[1] == '.' && version[2] >= '5');
    }
};

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
    for (int32_t i = 1; i <= vertices.Count(); ++i) {
        const Vertex p = vertices.at(i);
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || !std::isfinite(p.z())) continue;
        v = {std::min(v.xmin, p.x()), std::min(v.ymin, p.y()), std::min(v.zmin, p.z()),
             std::max(v.xmax, p.x()), std::max(v.ymax, p.y()), std::max(v.zmax, p.z())};
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
    std::vector<std::string> files;
    for (const auto& t : *textures_) files.push_back(t->file());
    const std::vector<TextureLoad> loads = oglPObj.loadTextures(files);
    std::vector<TextureLoadFailure> failures;
    for (size_t i = 0; i < files.size(); ++i) {
        Texture& t = *textures_->Item(static_cast<int32_t>(i) + 1);
        if (loads[i].error) failures.push_back(TextureLoadFailure{files[i], *loads[i].error});
        t.setGlPointer(loads[i].error ? kNoImage : loads[i].name);
    }
    return failures;
}

void MDLObject::glLoadTextureList(OpenGLPreviewObject& oglPObj) {
    std::vector<TextureLoadFailure> failures = loadPreviewTextures(oglPObj);
    if (!failures.empty()) throw failures.front().error;
}

namespace {

// Records what the walk draws: the vertices of consecutive triangles form one
// run, drawn as GL_TRIANGLES; each state change closes the run and is kept
// to be replayed before the next. Under a state, dusk and night darken the
// surfaces, and at night a texture with a night map ("_LM") shows the map at
// full brightness, as the simulator lights it.
class DrawListSink : public GeometrySink {
public:
    DrawListSink(const MaterialList& materials, const TextureList& textures, const VertexList& vertices,
                 const WalkState* state, PreviewDrawList& out)
        : materials_(materials), textures_(textures), vertices_(vertices), out_(out) {
        if (!state) return;
        const int32_t time = state->timeOfDay();
        light_ = time == WalkState::night ? 0.15f : time == WalkState::dusk ? 0.5f : 1.0f;
        if (time == WalkState::night) nightMaps_ = nightMaps(textures);
    }
    ~DrawListSink() override { endBatch(); }

    void zbias(double bias, int32_t) override {
        pumpEvents();
        endBatch();
        PreviewDrawList::Op op{};
        op.kind = PreviewDrawList::Op::zbias;
        op.bias = static_cast<GLfloat>(-bias);
        out_.ops.push_back(op);
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
        PreviewDrawList::Op op{};
        op.kind = PreviewDrawList::Op::material;
        op.texture = static_cast<GLuint>(name);
        static const GLfloat white[4] = {1, 1, 1, 1}, none[4] = {0, 0, 0, 0};
        auto set = [](GLfloat to[4], const GLfloat from[4]) { std::copy(from, from + 4, to); };
        if (name == kNoImage) {
            // No texture (or one that could not be loaded): the material's own colours.
            dim(diffuse);
            dim(ambient);
            set(op.diffuse, diffuse);
            set(op.ambient, ambient);
            set(op.specular, specular);
            set(op.emission, emissive);
        } else if (night > 0) {
            // The night map glows whatever the light.
            set(op.diffuse, none);
            set(op.ambient, none);
            set(op.specular, none);
            set(op.emission, white);
        } else {
            // The texture alone colours the surface, lit by the scene.
            GLfloat lit[4] = {1, 1, 1, 1};
            dim(lit);
            set(op.diffuse, lit);
            set(op.ambient, lit);
            set(op.specular, none);
            set(op.emission, none);
        }
        out_.ops.push_back(op);
    }

    void triangle(const WalkTriangle& t) override {
        pumpEvents();
        // Read in place: Item would make an object of every vertex drawn.
        const Vertex va = vertices_.at(t.v[0] + 1);
        const Vertex vb = vertices_.at(t.v[1] + 1);
        const Vertex vc = vertices_.at(t.v[2] + 1);
        // The model's y axis (up) is the drawing's z axis; the whole triangle
        // carries the first vertex's normal.
        for (const Vertex* v : {&va, &vb, &vc})
            out_.vertices.push_back({v->tx(), v->ty(), va.nx(), va.nz(), va.ny(), v->x(), v->z(), v->y()});
    }

    void endBatch() {
        const size_t first = out_.drawn;
        if (out_.vertices.size() == first) return;
        PreviewDrawList::Op op{};
        op.kind = PreviewDrawList::Op::triangles;
        op.first = static_cast<GLint>(first);
        op.count = static_cast<GLsizei>(out_.vertices.size() - first);
        out_.ops.push_back(op);
        out_.drawn = out_.vertices.size();
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
    PreviewDrawList& out_;
    float light_ = 1;
    std::vector<int32_t> nightMaps_;
};

}  // namespace

void MDLObject::compileDrawList(const WalkState* state) {
    auto list = std::make_shared<PreviewDrawList>();
    {
        DrawListSink sink(*materials_, *textures_, *vertices_, state, *list);
        walkCommands(*commands_, sink, state);
    }
    pumpEvents();
    list->upload();
    previewTime_ = state ? state->timeOfDay() : WalkState::day;
    drawList_ = std::move(list);
    previewList_ = drawList_->buffer;
}

void MDLObject::glGenerateDrawList(const WalkState* state) {
    // The old list goes first: the two need not fit in memory together.
    if (drawList_) drawList_->release();
    drawList_.reset();
    previewList_ = 0;
    compileDrawList(state);
}

std::vector<TextureLoadFailure> MDLObject::glPreparepreview(OpenGLPreviewObject& oglPreview, const WalkState* state) {
    loaded_ = false;
    setLoadingStatus(modkit::LoadingStatus::generatingDrawList);
    if (oglPreview.surface() && !oglPreview.surface()->makeCurrent())
        raiseLibrary(kContextSource, "Could not initialize OpenGL");
    if (drawList_) glReleasePreview();  // prepared before: replace, do not pile up
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
    // The textures still held keep their GL name; the others load together.
    std::map<std::string, int32_t> byFile;  // entries naming one file share its texture
    std::vector<std::string> toLoad;
    for (const auto& t : *textures_) {
        if (t->file().empty() || byFile.count(t->file())) continue;
        if (oglPreview.holdsTexture(t->glPointer(), t->file())) {
            byFile.emplace(t->file(), t->glPointer());
        } else {
            byFile.emplace(t->file(), kNoImage);
            toLoad.push_back(t->file());
        }
    }
    std::vector<TextureLoadFailure> failures;
    const std::vector<TextureLoad> loads = oglPreview.loadTextures(toLoad);
    for (size_t i = 0; i < toLoad.size(); ++i) {
        if (loads[i].error) failures.push_back(TextureLoadFailure{toLoad[i], *loads[i].error});
        else byFile[toLoad[i]] = loads[i].name;
    }
    std::set<int32_t> inUse;
    for (const auto& t : *textures_) {
        t->setGlPointer(t->file().empty() ? 0 : byFile[t->file()]);
        if (!t->file().empty()) inUse.insert(t->glPointer());
    }
    oglPreview.releaseTexturesExcept(inUse);
    pumpEventsNow();
    glGenerateDrawList(state);
    loaded_ = true;
    return failures;
}

void MDLObject::glReleasePreview() {
    if (drawList_) drawList_->release();
    drawList_.reset();
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

// Events run during a frame may ask for another: that one is not drawn.
struct FrameGuard {
    static bool& inFrame() {
        static thread_local bool on = false;
        return on;
    }
    const bool nested = inFrame();
    FrameGuard() { inFrame() = true; }
    ~FrameGuard() {
        if (!nested) inFrame() = false;
    }
};

}  // namespace

// Replays the draw list; false when events run meanwhile replaced or released
// it, which leaves the frame unshown.
bool MDLObject::glReplayDrawList(GLSurface& surface) {
    if (!drawList_) return true;
    const std::shared_ptr<PreviewDrawList> list = drawList_;
    return list->draw([&] { return surface.makeCurrent() && drawList_ == list; });
}

void MDLObject::glDrawMDL(float heading, float pitch, float panX, float panY, float picWidth, float picHeigth,
                          GLSurface& surface, float zoom) {
    const FrameGuard guard;
    if (guard.nested) return;
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
        if (!glReplayDrawList(surface)) {
            if (surface.makeCurrent()) glPopMatrix();
            return;
        }
        glPopMatrix();
    }
    surface.present();
}

void MDLObject::glDrawView(const ViewCamera& camera, float picWidth, float picHeight, GLSurface& surface) {
    const FrameGuard guard;
    if (guard.nested) return;
    if (!surface.makeCurrent()) raiseLibrary(kContextSource, "Could not initialize OpenGL");
    beginFrame(previewTime_);
    const int w = pixels(picWidth), h = pixels(picHeight);
    if (w > 0 && h > 0) {
        glViewport(0, 0, w, h);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(camera.projectionMatrix(picWidth / picHeight).data());
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(camera.viewMatrix().data());
        if (!glReplayDrawList(surface)) return;
    }
    surface.present();
}

std::vector<ViewPoint> MDLObject::viewPoints() const {
    std::vector<ViewPoint> points;
    points.reserve(static_cast<size_t>(vertices_->Count()));
    for (int32_t i = 1; i <= vertices_->Count(); ++i) {
        const Vertex v = vertices_->at(i);
        points.push_back(drawSpace(v.x(), v.y(), v.z()));
    }
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
