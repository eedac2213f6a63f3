#pragma once
#include <string>

#include "shell/Form1.h"

namespace fettle {

// Runs an editor's change of the current model as one undo step of the main
// window. A change that fails is shown ("Fettle II error", the error's number
// and description) and leaves the model as it was. False when the model did
// not change (no model, the main window busy, or a failure).
bool changeModel(Form1& form, const std::string& label, const Form1::ModelChange& change);

}  // namespace fettle
