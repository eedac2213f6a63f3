#include "editors/Editors.h"

#include "editors/frmCond.h"
#include "editors/frmTEXT.h"
#include "shell/Form1.h"

namespace fettle {

void registerEditors(Form1& form) {
    form.setToolWindowFactory(Form1::Tool::ConditionManager, [](Form1& f) { return new frmCond(f); });
    form.setToolWindowFactory(Form1::Tool::TextureList, [](Form1& f) { return new frmTEXT(f); });
}

}  // namespace fettle
