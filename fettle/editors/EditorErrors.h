#pragma once
#include <functional>
#include <string>

namespace fettle {

// Runs f. An error it raises is shown in a message box titled "Fettle II":
// "Error " + number + " (" + description + ") in procedure " + handler +
// " of Form " + form. True when f ran to its end.
bool trapErrors(const std::string& handler, const std::string& form, const std::function<void()>& f);

}  // namespace fettle
