#include "editors/ModelChange.h"

#include <new>

#include "modkit/core/Error.h"
#include "shell/Dialogs.h"

namespace fettle {

bool changeModel(Form1& form, const std::string& label, const Form1::ModelChange& change) {
    if (form.isBusy() || !form.currentModel()) return false;
    auto fail = [](int number, const std::string& description) {
        dialogs().messageBox("Fettle II error", "Error " + std::to_string(number) + " (" + description + ")",
                             MsgIcon::Critical);
        return false;
    };
    try {
        form.applyModelChange(label, "", change);
        return true;
    } catch (const modkit::Error& e) {
        return fail(e.number(), e.description());
    } catch (const std::bad_alloc&) {
        return fail(7, "Out of memory");
    } catch (const std::exception& e) {
        return fail(5, e.what());
    }
}

}  // namespace fettle
