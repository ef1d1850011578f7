#pragma once

class App;

// The live list's restart when the meter's range changed (receive tick).
void RestartListOnRangeChange(App& app);
