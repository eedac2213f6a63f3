#pragma once
#include "modkit/core/Export.h"
#include <cstdint>
#include <string>

#include "modkit/core/KeyedCollection.h"

namespace modkit {

enum class CondType : int32_t { Between = 0, mask = 1, RotUser = 2, RotWind = 3 };

// How several variable conditions combine.
enum class eMultiCondition : int32_t { mAND = 0, mOR = 1, mNOT = 2, mNOR = 3 };

// One display condition of an object. var is the variable's address as
// decimal text; a mask condition keeps its bit mask in min.
class MODKIT_EXPORT Condition {
public:
    CondType cType() const { return type_; }
    void setCType(CondType t) { type_ = t; }
    const std::string& var() const { return var_; }
    void setVar(std::string v) { var_ = std::move(v); }
    int16_t min() const { return min_; }
    void setMin(int16_t v) { min_ = v; }
    int16_t max() const { return max_; }
    void setMax(int16_t v) { max_ = v; }

    // "Between", "Mask", "Rotate to user" or "Rotate with wind"; error 9 for a
    // type outside 0..3.
    std::string getTypeString() const;

private:
    CondType type_ = CondType::Between;
    std::string var_;
    int16_t min_ = 0;
    int16_t max_ = 0;
};

// The conditions of one block of the command list: commandStart is the
// block's first command, commandEnd the body call it guards (both 0 in a
// list that was not read from a command list).
class MODKIT_EXPORT ConditionList : public KeyedCollection<Condition> {
public:
    ConditionList() : KeyedCollection<Condition>("Modkit.ConditionList") {}

    int32_t commandStart() const { return start_; }
    void setCommandStart(int32_t v) { start_ = v; }
    int32_t commandEnd() const { return end_; }
    void setCommandEnd(int32_t v) { end_ = v; }
    eMultiCondition multiCondition() const { return multi_; }
    void setMultiCondition(eMultiCondition m) { multi_ = m; }

private:
    int32_t start_ = 0;
    int32_t end_ = 0;
    eMultiCondition multi_ = eMultiCondition::mAND;
};

}  // namespace modkit
