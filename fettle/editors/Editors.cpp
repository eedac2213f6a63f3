#include "editors/Editors.h"

#include <QAction>

#include "editors/frmBGLBrowser.h"
#include "editors/frmBGLC.h"
#include "editors/frmCond.h"
#include "editors/frmFLTExport.h"
#include "editors/frmMATE.h"
#include "editors/frmOptions.h"
#include "editors/frmStats.h"
#include "editors/frmTEXT.h"
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
    form.setToolWindowFactory(Form1::Tool::CommandTree, [](Form1& f) { return new frmBGLC(f); });
    form.setToolWindowFactory(Form1::Tool::OpenFlightConverter, [](Form1& f) { return new frmFLTExport(f); });
    form.setToolWindowFactory(Form1::Tool::BGLBrowser, [](Form1& f) { return new frmBGLBrowser(f); });
    // A .bgl file named on the command line or dropped opens in the browser.
    form.setBglOpener([&form](const std::string& path) {
        QAction* item = form.action("mViewBGLBrowser");
        if (!item->isChecked()) item->trigger();
        if (auto* browser = form.findChild<frmBGLBrowser*>()) {
            if (browser->isVisible()) browser->openLibrary(path);
        }
    });
}

}  // namespace fettle
