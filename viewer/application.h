// The start of the desktop application, shared by main() and the tests.
#pragma once

class QtMainWindow;

// Titles, sizes and shows the main window as the program starts it.
void show_main_window(QtMainWindow& window);
