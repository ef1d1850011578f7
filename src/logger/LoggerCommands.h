#pragma once

class App;

// The toolbar's "Memory": downloads the data logger and lists its sets.
void MemoryCommand(App& app);
