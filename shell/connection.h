// The connected state of the device: one button asks the device to enter or leave it; an
// indicator lamp and a text show it.
#pragma once

#include "shell/shared_controls.h"

// Handler of the "Connect" / "Disconnect" button.
void connect_button();
// Returns the window to the not-connected state. Sends nothing but what the page shown does
// on a disconnection (the SAMPLING page stops sampling); callers send the disconnect command
// when they need it.
void on_disconnected();
// Lamp on (1) or off (0).
void set_connection_indicator(int on);

// Tells on the status line what became of the chosen port: in red that it went away, in green
// that it is back. A port that is back while connected is connected again as the Connect
// button does, with the texts it shows.
void follow_port_changes();
