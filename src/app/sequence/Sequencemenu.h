#pragma once

class QMenu;
class TMainForm;
class TSequenceForm;

// The sequence commands in the Match menu: Track Sequence (the setup dialog, then a run in the
// sequence window), Open Track Results (a results folder of the track command) and Sequence
// Result (the window again).
void AddSequenceItems(TMainForm& form, QMenu* menu);
// The window, made at its first use; null before.
TSequenceForm* SequenceForm(TMainForm& form, bool make);
// A command drew on the view: the step's map leaves it.
void EndSequenceView(TMainForm& form);
