#include <QApplication>
#include <QDir>

#include "editors/Editors.h"
#include "preview/PreviewSurface.h"
#include "shell/ConfigFunctions.h"
#include "shell/Form1.h"
#include "shell/frmSplash.h"

int main(int argc, char** argv) {
    // The preview's GL 1.1 calls need a compatibility context, chosen before the application exists.
    fettle::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Fettle II");
    QApplication::setApplicationVersion(QString::fromStdString(fettle::programVersion()));
    fettle::Form1 form;
    fettle::registerEditors(form);
    form.startUp(fettle::configurationPath(QCoreApplication::applicationDirPath().toStdString()));
    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 1) form.openArgument(args[1].toStdString());
    return app.exec();
}
