#pragma once

// Installs the widget implementations of the core's message boxes and of the shell's "open"
// verb. The program calls it once at start-up, after creating its QApplication.
void InstallWidgetHooks();
