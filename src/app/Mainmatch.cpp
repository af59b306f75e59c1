// The Match menu (waiting for the matching core).
#include "app/Main.h"

void TMainForm::DoMatchingMenuItemClick() {}
void TMainForm::SaveMatchResultMenuItemClick() {}
