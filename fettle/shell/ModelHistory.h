#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

namespace modkit {
class MDLObject;
}

namespace fettle {

// Undo and redo for the loaded model, and whether it differs from the file.
// Each step keeps a whole copy of the model, so undo gives back exactly what
// was there (texture files, variants and parents included).
class ModelHistory {
public:
    using ModelPtr = std::shared_ptr<modkit::MDLObject>;

    // At most `limit` steps, and fewer for large models: the kept copies hold
    // at most about `elementBudget` list elements (commands, vertices, ...) together.
    explicit ModelHistory(size_t limit = 50, size_t elementBudget = 3'000'000)
        : limit_(limit), budget_(elementBudget) {}

    // A new model: no steps, nothing unsaved.
    void reset();

    // True when a change under mergeKey would join the last step (consecutive
    // typing in one field), so the caller needs no new snapshot.
    bool merges(const std::string& mergeKey) const;
    // Records a change; before is the model as it was (unused when it merges).
    void record(const std::string& label, const std::string& mergeKey, ModelPtr before);

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    std::string undoLabel() const { return undo_.empty() ? std::string() : undo_.back().label; }
    std::string redoLabel() const { return redo_.empty() ? std::string() : redo_.back().label; }
    // Both hand back the model that becomes current and keep `current` for the way back.
    ModelPtr undo(ModelPtr current);
    ModelPtr redo(ModelPtr current);

    bool isModified() const { return state_ != saved_; }
    void markSaved() {
        saved_ = state_;
        openMergeKey_.clear();
    }
    size_t undoCount() const { return undo_.size(); }

    // "Fettle II" without a model, "name.mdl - Fettle II", with "*" after the
    // name when there are unsaved changes.
    static std::string windowTitle(const std::string& modelPath, bool modified);

private:
    struct Step {
        std::string label;
        std::string mergeKey;
        ModelPtr model;   // the model to go back (or forward) to
        uint64_t state;   // the state that model is
        size_t weight;    // list elements in model
    };
    static size_t weightOf(const ModelPtr& m);
    void trim();
    // Moves the newest step of `from` to `to`, leaving `current` in it.
    ModelPtr step(std::deque<Step>& from, std::deque<Step>& to, ModelPtr current);

    std::deque<Step> undo_, redo_;
    size_t limit_, budget_;
    uint64_t state_ = 0, saved_ = 0, next_ = 1;
    std::string openMergeKey_;
};

}  // namespace fettle
