#pragma once
#include <functional>
#include <string>

#include "document/FailureText.h"

namespace fettle {

// Runs f. An error it raises is shown in a message box titled "Fettle II":
// "Error " + number + " (" + description + ") in procedure " + handler +
// " of Form " + form. True when f ran to its end.
bool trapErrors(const std::string& handler, const std::string& form, const std::function<void()>& f);
// As trapErrors, for work on the file at path: the message goes on to name the
// file, what was found and what to do, and log is given the failure's line.
bool trapFileErrors(const std::string& handler, const std::string& form, FileTask task, const std::string& path,
                    const std::function<void(const std::string&)>& log, const std::function<void()>& f);

}  // namespace fettle
