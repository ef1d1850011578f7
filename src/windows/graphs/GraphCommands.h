#pragma once

class App;

// The toolbar's "Graph": opens both live graphs with the present range's scales.
void OpenGraphsCommand(App& app);
// Receive tick: closes and reopens the graphs when the meter's range changed.
void RestartGraphsOnRangeChange(App& app);
// Shows the resistance chart, then the voltage chart, and starts their timers at the receive
// tick's interval; each chart lays itself out from the scales already set.
void ShowGraphs(App& app);
