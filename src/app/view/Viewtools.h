#pragma once

class QMenu;
class TMainForm;

// The probes of the view: the value under the mouse in the status bar, and the line profile,
// switched in the View menu ("Line Profile", Ctrl+L).
void AddViewTools(TMainForm& form, QMenu* view);
