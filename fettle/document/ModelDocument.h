#pragma once
#include <QObject>
#include <QUndoStack>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "modkit/core/MDLObject.h"

namespace fettle {

enum class ModelOrigin { none, file, library };
// What became of an edit: refused (no model, busy), nothing to change, or done.
enum class EditOutcome { refused, unchanged, applied };
enum class LogKind { event, warning, error };

// What the preview must rebuild after the given ModelPart flags changed:
// header, bounding box, creation tool and section edits show in no pixel.
enum class PreviewWork { frame, drawList, texturesAndDrawList };
PreviewWork previewWorkFor(uint32_t parts);

// The open model as a document, without any window: the model, where it came
// from, its undo history and saved state, and the one place where edits are
// applied. Windows observe it; changed() says which parts an edit, undo or
// redo touched, so each observer redoes only what depends on them.
class ModelDocument : public QObject {
    Q_OBJECT
public:
    using ModelPtr = std::shared_ptr<modkit::MDLObject>;
    using Change = std::function<void(modkit::MDLObject&)>;

    explicit ModelDocument(QObject* parent = nullptr);
    ~ModelDocument() override;

    const ModelPtr& model() const { return model_; }
    ModelOrigin origin() const { return origin_; }
    bool fromLibrary() const { return origin_ == ModelOrigin::library; }
    // The file the model was opened from or last saved to; for a library
    // object, its title until it is saved as a file.
    const std::string& path() const { return path_; }
    bool isModified() const { return model_ && !stack_.isClean(); }
    // True while a model loads or its preview is built: edits are refused.
    bool isBusy() const { return busy_; }
    void setBusy(bool busy);
    QUndoStack& undoStack() { return stack_; }
    const QUndoStack& undoStack() const { return stack_; }
    // Bytes the undo history holds.
    size_t historyBytes() const;

    // The folders searched for texture files after the model's own.
    void setTextureSearchPath(std::function<std::vector<std::string>()> f) { searchPath_ = std::move(f); }
    // Reads path into a new model with its textures located; the current
    // model is not touched. Throws modkit::Error.
    ModelPtr read(const std::string& path);
    // After read() failed on damaged data: the section it stopped in ("the
    // vertex list (VERT section)"); empty when the file was no model at all.
    const std::string& failedSection() const { return failedSection_; }
    // Makes model current with an empty history.
    void adopt(ModelPtr model, const std::string& path, ModelOrigin origin);
    void open(const std::string& path) { adopt(read(path), path, ModelOrigin::file); }
    void close();
    // Finds the file of every texture of m (firstFolder is searched first);
    // logs those found nowhere.
    void locateTextures(modkit::MDLObject& m, const std::string& modelPath, const std::string& firstFolder = {});

    // THE way the model changes: runs change, keeps for undo the parts it
    // declared (ModelPart flags) as they were, and tells the observers. An
    // edit that changes nothing leaves no step and no dirty mark. Edits under
    // the same non-empty mergeKey that follow each other are one step (typing
    // in one field). A change that throws leaves the model as it was and
    // passes the error on.
    EditOutcome apply(const std::string& label, const std::string& mergeKey, uint32_t parts, const Change& change);
    void undo();
    void redo();

    // Where Save writes without asking: the file this model was last saved
    // to. Empty when Save must ask (a model not yet saved, a library object).
    std::string saveTarget() const;
    // The name the save dialog proposes: "<name>_tweaked.mdl" for a model not
    // yet saved, else the current file.
    std::string proposedSaveName() const;
    // The current file with a final ".mdl" replaced by extension (exports).
    std::string defaultName(const std::string& extension) const;
    // Writes the model to path, which becomes its file; false when no model
    // or the model is busy. Throws modkit::Error; the document stays as it was then.
    bool saveAs(const std::string& path);

    // "Fettle II" without a model, "name.mdl - Fettle II", with "*" after the
    // name when there are unsaved changes.
    std::string windowTitle() const;
    static std::string replaceMdlExtension(const std::string& path, const std::string& extension);

Q_SIGNALS:
    // A model was opened or closed (before changed(partAll)).
    void loaded();
    // The given ModelPart flags of the current model changed.
    void changed(uint32_t parts);
    // Path, saved state, busy state or the undo history changed.
    void stateChanged();
    void logged(fettle::LogKind kind, const QString& text);

private:
    friend class PartsCommand;
    void log(LogKind kind, const std::string& text);
    void notifyChanged(uint32_t parts);

    ModelPtr model_;
    ModelOrigin origin_ = ModelOrigin::none;
    std::string path_;
    std::string failedSection_;
    bool savedHere_ = false;
    bool busy_ = false;
    bool applying_ = false;
    QUndoStack stack_;
    std::function<std::vector<std::string>()> searchPath_;
};

}  // namespace fettle
