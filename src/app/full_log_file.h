#pragma once
// Writing the full log of the current save and showing the user where it went.
#include "app/application_state.h"

// Composes the full log from the state and the captured reports of the current save,
// writes it as UTF-8 to the save path and opens an Explorer window with the file
// selected; shows an "Error" box when the file cannot be written.
void WriteFullLog(const ApplicationState& state);
