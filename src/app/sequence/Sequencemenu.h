#pragma once

class QMenu;
class TShell;
class TSequenceForm;

// The sequence commands in the Match menu: Track Sequence (the setup dialog, then a run in the
// sequence window), Open Track Results (a results folder of the track command) and Sequence
// Result (the window again).
void AddSequenceItems(TShell& form, QMenu* menu);
// The window, made at its first use; null before.
TSequenceForm* SequenceForm(TShell& form, bool make);
// A command drew on the view: the step's map leaves it.
void EndSequenceView(TShell& form);
