#include "shell/ModelHistory.h"

#include "modkit/core/MDLObject.h"
#include "modkit/core/Paths.h"

namespace fettle {

void ModelHistory::reset() {
    undo_.clear();
    redo_.clear();
    state_ = saved_ = 0;
    next_ = 1;
    openMergeKey_.clear();
}

size_t ModelHistory::weightOf(const ModelPtr& m) {
    if (!m) return 0;
    return static_cast<size_t>(m->BGLCommandList()->Count()) + static_cast<size_t>(m->VertexList()->Count()) +
           static_cast<size_t>(m->MaterialList()->Count()) + static_cast<size_t>(m->TextureList()->Count()) + 1;
}

void ModelHistory::trim() {
    // The oldest steps go first; the newest one always stays.
    size_t total = 0;
    for (const Step& s : undo_) total += s.weight;
    for (const Step& s : redo_) total += s.weight;
    while (undo_.size() > 1 && (undo_.size() > limit_ || total > budget_)) {
        total -= undo_.front().weight;
        undo_.pop_front();
    }
}

bool ModelHistory::merges(const std::string& mergeKey) const {
    return !mergeKey.empty() && mergeKey == openMergeKey_ && !undo_.empty() && state_ != saved_;
}

void ModelHistory::record(const std::string& label, const std::string& mergeKey, ModelPtr before) {
    const bool merged = merges(mergeKey);
    redo_.clear();
    if (!merged) {
        const size_t w = weightOf(before);
        undo_.push_back(Step{label, mergeKey, std::move(before), state_, w});
        trim();
    }
    state_ = next_++;
    openMergeKey_ = mergeKey;
}

ModelHistory::ModelPtr ModelHistory::step(std::deque<Step>& from, std::deque<Step>& to, ModelPtr current) {
    if (from.empty()) return current;
    Step s = std::move(from.back());
    from.pop_back();
    const size_t w = weightOf(current);
    to.push_back(Step{s.label, s.mergeKey, std::move(current), state_, w});
    state_ = s.state;
    openMergeKey_.clear();
    return s.model;
}

ModelHistory::ModelPtr ModelHistory::undo(ModelPtr current) { return step(undo_, redo_, std::move(current)); }

ModelHistory::ModelPtr ModelHistory::redo(ModelPtr current) { return step(redo_, undo_, std::move(current)); }

std::string ModelHistory::windowTitle(const std::string& modelPath, bool modified) {
    if (modelPath.empty()) return "Fettle II";
    return modkit::fileNameOf(modelPath) + (modified ? "*" : "") + " - Fettle II";
}

}  // namespace fettle
