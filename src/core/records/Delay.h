#pragma once

// Waits `seconds` (fractions allowed) while window events go on being processed: a local event
// loop ended by a timer, so the wait costs no processor time and no clock change can stretch it.
void Delay(double seconds);
