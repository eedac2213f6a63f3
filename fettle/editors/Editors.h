#pragma once

namespace fettle {

class Form1;

// Registers every editor and tool window with the main window, so its buttons
// and menus open them.
void registerEditors(Form1& form);

}  // namespace fettle
