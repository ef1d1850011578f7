#pragma once

class App;
class Panel;

// Connects the sampling tick to the main window: the recording labels, button 1's look, the
// live list and the message when a recording cannot be written.
void ConnectRecording(App& app, Panel& panel);
