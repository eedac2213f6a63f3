#include "document/ModelDocument.h"

#include <QUndoCommand>
#include <filesystem>
#include <set>

#include "document/FailureText.h"
#include "modkit/core/Error.h"
#include "modkit/core/Paths.h"

namespace fettle {

// One step of the history: the parts the step changed, as they are on the
// side of the step the model is not on. Undo and redo swap them with the model's.
class PartsCommand : public QUndoCommand {
public:
    PartsCommand(ModelDocument& doc, const std::string& label, const std::string& mergeKey,
                 modkit::ModelPartsCopy other)
        : QUndoCommand(QString::fromStdString(label)), doc_(doc), mergeKey_(mergeKey), other_(std::move(other)) {}

    int id() const override { return mergeKey_.empty() ? -1 : static_cast<int>(qHash(QString::fromStdString(mergeKey_)) & 0x7fffffff); }
    bool mergeWith(const QUndoCommand* c) override {
        auto* o = static_cast<const PartsCommand*>(c);
        if (o->mergeKey_ != mergeKey_) return false;
        // The model before this step stays what undo goes back to.
        other_.addMissing(o->other_);
        return true;
    }
    void undo() override { swap("Undo "); }
    void redo() override {
        if (first_) {  // pushed after the change was made
            first_ = false;
            return;
        }
        swap("Redo ");
    }
    size_t bytes() const { return other_.bytes(); }

private:
    void swap(const char* what) {
        modkit::MDLObject& m = *doc_.model();
        // Encoding and decoding let events run: nothing may start on the model meanwhile.
        doc_.applying_ = true;
        modkit::ModelPartsCopy now = m.copyLike(other_);
        m.restoreParts(other_);
        doc_.applying_ = false;
        other_ = std::move(now);
        doc_.log(LogKind::event, what + text().toStdString());
        doc_.notifyChanged(other_.parts());
    }

    ModelDocument& doc_;
    std::string mergeKey_;
    modkit::ModelPartsCopy other_;
    bool first_ = true;
};

PreviewWork previewWorkFor(uint32_t parts) {
    using namespace modkit;
    if (parts & partTextures) return PreviewWork::texturesAndDrawList;
    if (parts & (partMaterials | partVertices | partCommands)) return PreviewWork::drawList;
    return PreviewWork::frame;
}

ModelDocument::ModelDocument(QObject* parent) : QObject(parent) {
    // Steps cost what they change, so many fit; the oldest go first.
    stack_.setUndoLimit(100);
    connect(&stack_, &QUndoStack::cleanChanged, this, &ModelDocument::stateChanged);
    connect(&stack_, &QUndoStack::indexChanged, this, &ModelDocument::stateChanged);
}

ModelDocument::~ModelDocument() {
    // The steps refer to the model: they go first.
    stack_.clear();
}

void ModelDocument::log(LogKind kind, const std::string& text) { Q_EMIT logged(kind, QString::fromStdString(text)); }

void ModelDocument::notifyChanged(uint32_t parts) { Q_EMIT changed(parts); }

void ModelDocument::setBusy(bool busy) {
    if (busy_ == busy) return;
    busy_ = busy;
    Q_EMIT stateChanged();
}

size_t ModelDocument::historyBytes() const {
    size_t n = 0;
    for (int i = 0; i < stack_.count(); ++i)
        if (auto* c = dynamic_cast<const PartsCommand*>(stack_.command(i))) n += c->bytes();
    return n;
}

void ModelDocument::locateTextures(modkit::MDLObject& m, const std::string& modelPath, const std::string& firstFolder) {
    std::vector<std::string> search;
    if (!firstFolder.empty()) search.push_back(firstFolder);
    if (searchPath_)
        for (const std::string& p : searchPath_()) search.push_back(p);
    const std::string folder = modkit::folderOf(modelPath);
    for (const auto& t : *m.TextureList()) {
        t->setFile("");
        std::string found = modkit::locateTextureFile(t->bitmap(), folder, search);
        if (!found.empty() && (found.find("/../") != std::string::npos || found.find("/./") != std::string::npos)) {
            // A relative search folder gives the file's plain absolute path.
            std::error_code ec;
            std::filesystem::path abs = std::filesystem::absolute(found, ec);
            if (!ec) found = abs.lexically_normal().string();
        }
        if (found.empty()) log(LogKind::warning, "could not locate texture file \"" + t->bitmap() + "\"");
        else t->setFile(found);
    }
}

ModelDocument::ModelPtr ModelDocument::read(const std::string& path) {
    auto m = std::make_shared<modkit::MDLObject>();
    failedSection_.clear();
    try {
        m->readMDL(path);
    } catch (const modkit::Error& e) {
        failedSection_ = damagedSection(*m, e);
        throw;
    }
    locateTextures(*m, path);
    return m;
}

void ModelDocument::adopt(ModelPtr model, const std::string& path, ModelOrigin origin) {
    stack_.clear();
    model_ = std::move(model);
    origin_ = model_ ? origin : ModelOrigin::none;
    path_ = model_ ? path : std::string();
    savedHere_ = false;
    Q_EMIT loaded();
    Q_EMIT changed(modkit::partAll);
    Q_EMIT stateChanged();
}

void ModelDocument::close() { adopt(nullptr, {}, ModelOrigin::none); }

EditOutcome ModelDocument::apply(const std::string& label, const std::string& mergeKey, uint32_t parts,
                                 const Change& change) {
    if (!model_ || busy_ || applying_) return EditOutcome::refused;
    modkit::MDLObject& m = *model_;
    // Copying, changing and comparing let events run: nothing else may start on the model meanwhile.
    applying_ = true;
    std::set<std::string> bitmaps;
    if (parts & modkit::partTextures)
        for (const auto& t : *m.TextureList()) bitmaps.insert(t->bitmap());
    modkit::ModelPartsCopy before;
    try {
        before = m.copyParts(parts);
        change(m);
        // New textures (seasonal or night variants) are looked up as opening does.
        if (parts & modkit::partTextures) {
            std::vector<std::string> search = searchPath_ ? searchPath_() : std::vector<std::string>();
            const std::string folder = modkit::folderOf(origin_ == ModelOrigin::file ? path_ : m.MDLPath());
            for (const auto& t : *m.TextureList()) {
                if (!t->file().empty() || bitmaps.count(t->bitmap())) continue;
                t->setFile(modkit::locateTextureFile(t->bitmap(), folder, search));
                if (t->file().empty()) log(LogKind::warning, "could not locate texture file \"" + t->bitmap() + "\"");
            }
        }
    } catch (...) {
        m.restoreParts(before);
        applying_ = false;
        Q_EMIT changed(before.parts());
        throw;
    }
    const uint32_t touched = m.keepChangesOnly(before);
    applying_ = false;
    if (touched == 0) return EditOutcome::unchanged;
    const int steps = stack_.count(), index = stack_.index();
    stack_.push(new PartsCommand(*this, label, mergeKey, std::move(before)));
    // A typed field is logged once, when its step begins.
    if (!mergeKey.empty() && (stack_.count() != steps || stack_.index() != index)) log(LogKind::event, label);
    Q_EMIT changed(touched);
    return EditOutcome::applied;
}

void ModelDocument::undo() {
    if (model_ && !busy_ && !applying_ && stack_.canUndo()) stack_.undo();
}

void ModelDocument::redo() {
    if (model_ && !busy_ && !applying_ && stack_.canRedo()) stack_.redo();
}

std::string ModelDocument::replaceMdlExtension(const std::string& path, const std::string& extension) {
    // Only the final ".mdl", written in lower case, gives way.
    if (path.size() >= 4 && path.compare(path.size() - 4, 4, ".mdl") == 0)
        return path.substr(0, path.size() - 4) + extension;
    return path;
}

std::string ModelDocument::saveTarget() const {
    return model_ && origin_ == ModelOrigin::file && savedHere_ ? path_ : std::string();
}

std::string ModelDocument::proposedSaveName() const {
    if (!model_) return {};
    if (origin_ == ModelOrigin::library) {
        // "<library>_object<n>.mdl" beside the library file.
        std::string base = model_->MDLPath();
        if (base.size() >= 4 && modkit::lowerCase(base.substr(base.size() - 4)) == ".bgl")
            base.resize(base.size() - 4);
        std::string number;
        for (auto it = path_.rbegin(); it != path_.rend() && std::isdigit(static_cast<unsigned char>(*it)); ++it)
            number.insert(number.begin(), *it);
        return base + "_object" + number + ".mdl";
    }
    return savedHere_ ? path_ : replaceMdlExtension(path_, "_tweaked.mdl");
}

std::string ModelDocument::defaultName(const std::string& extension) const {
    if (origin_ != ModelOrigin::file) return {};
    return replaceMdlExtension(path_, extension);
}

bool ModelDocument::saveAs(const std::string& path) {
    if (!model_ || busy_ || applying_) return false;
    model_->saveMDL(path);
    path_ = path;
    origin_ = ModelOrigin::file;
    savedHere_ = true;
    stack_.setClean();
    Q_EMIT stateChanged();
    return true;
}

std::string ModelDocument::windowTitle() const {
    if (!model_ || path_.empty()) return "Fettle II";
    return modkit::fileNameOf(path_) + (isModified() ? "*" : "") + " - Fettle II";
}

}  // namespace fettle
