#include "editors/EditorErrors.h"

#include <new>

#include "modkit/core/Error.h"
#include "shell/Dialogs.h"

namespace fettle {
namespace {

bool trap(const std::string& handler, const std::string& form, const std::function<void()>& f,
          const std::function<std::string(const std::string&, const modkit::Error&)>& detail) {
    auto show = [&](const modkit::Error& e) {
        const std::string first = "Error " + std::to_string(e.number()) + " (" + e.description() + ") in procedure " +
                                  handler + " of Form " + form;
        showErrorBox("Fettle II", detail ? detail(first, e) : first);
    };
    try {
        f();
        return true;
    } catch (const modkit::Error& e) {
        show(e);
    } catch (const std::bad_alloc&) {
        show(modkit::Error(7, "Fettle", "Out of memory"));
    } catch (const std::exception& e) {
        show(modkit::Error(modkit::err::InvalidCall, "Fettle", e.what()));
    }
    return false;
}

}  // namespace

bool trapErrors(const std::string& handler, const std::string& form, const std::function<void()>& f) {
    return trap(handler, form, f, nullptr);
}

bool trapFileErrors(const std::string& handler, const std::string& form, FileTask task, const std::string& path,
                    const std::function<void(const std::string&)>& log, const std::function<void()>& f) {
    return trap(handler, form, f, [&](const std::string& first, const modkit::Error& e) {
        log(failureLogLine(task, path, e));
        return failureText(first, task, path, e);
    });
}

}  // namespace fettle
