#include "editors/Editors.h"

#include "shell/Form1.h"

namespace fettle {

void registerEditors(Form1& form) {
    (void)form;
}

}  // namespace fettle
