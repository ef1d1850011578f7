#pragma once

class App;

// The toolbar's "Memory": downloads the data logger into the data-logger window and lists its
// sets. A click while a download runs does nothing.
void MemoryCommand(App& app);

// A click on row `row` of the set grid (0 is the header): asks the starting time and lists the
// set's readings in a fresh data list. The receive tick is off while it runs and on again, with
// the port label restored, on every way out. Nothing happens while a download runs.
void ListSetCommand(App& app, int row);
