#include "editors/EditorErrors.h"

#include <new>

#include "modkit/core/Error.h"
#include "shell/Dialogs.h"

namespace fettle {
namespace {

void show(const std::string& handler, const std::string& form, int number, const std::string& description) {
    showErrorBox("Fettle II", "Error " + std::to_string(number) + " (" + description + ") in procedure " + handler +
                                  " of Form " + form);
}

}  // namespace

bool trapErrors(const std::string& handler, const std::string& form, const std::function<void()>& f) {
    try {
        f();
        return true;
    } catch (const modkit::Error& e) {
        show(handler, form, e.number(), e.description());
    } catch (const std::bad_alloc&) {
        show(handler, form, 7, "Out of memory");
    } catch (const std::exception& e) {
        show(handler, form, modkit::err::InvalidCall, e.what());
    }
    return false;
}

}  // namespace fettle
