#include "editors/Editors.h"

#include "editors/frmCond.h"
#include "editors/frmTEXT.h"
#include "editors/frmMATE.h"
#include "editors/frmOptions.h"
#include "editors/frmStats.h"
#include "editors/frmVERT.h"
#include "shell/Form1.h"

namespace fettle {

void registerEditors(Form1& form) {
    form.setToolWindowFactory(Form1::Tool::ConditionManager, [](Form1& f) { return new frmCond(f); });
    form.setToolWindowFactory(Form1::Tool::TextureList, [](Form1& f) { return new frmTEXT(f); });
    form.setToolWindowFactory(Form1::Tool::MaterialList, [](Form1& f) { return new frmMATE(f); });
    form.setToolWindowFactory(Form1::Tool::VertexList, [](Form1& f) { return new frmVERT(f); });
    form.setToolWindowFactory(Form1::Tool::Statistics, [](Form1& f) { return new frmStats(f); });
    form.setToolWindowFactory(Form1::Tool::Options, [](Form1& f) { return new frmOptions(&f); });
}

}  // namespace fettle
