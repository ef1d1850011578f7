#pragma once

class App;

// The toolbar's "Graph": opens both live graphs with the present range's scales.
void OpenGraphsCommand(App& app);
// Receive tick: closes and reopens the graphs when the meter's range changed.
void RestartGraphsOnRangeChange(App& app);
