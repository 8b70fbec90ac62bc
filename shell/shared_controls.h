// The controls that every page shares: the status line's panels, the connection's lamp, text and
// button, the COM-port box and the transfer progress bar. The layout creates them and forgets
// them in one step; a writer whose control does not exist does nothing.
#pragma once

class ClassListBox;
class ClassPushButton;
class ClassSimpleGraphics;

struct SharedControls {
    ClassSimpleGraphics* status_message_panel = nullptr;
    ClassSimpleGraphics* res_file_name_panel = nullptr;
    ClassSimpleGraphics* last_sample_panel = nullptr;
    ClassSimpleGraphics* db_name_panel = nullptr;
    // The byte count of a long message being received, on the ANALYSIS page; no count is shown
    // before the page's builder creates it.
    ClassSimpleGraphics* progress_panel = nullptr;
    ClassSimpleGraphics* connection_indicator = nullptr;
    ClassSimpleGraphics* connection_state_panel = nullptr;
    ClassPushButton* connect_push_button = nullptr;
    ClassListBox* com_port_box = nullptr;
    // Created hidden by the layout, last, so that it lies above the status message.
    ClassSimpleGraphics* transfer_progress_panel = nullptr;
};

extern SharedControls shared;
