#include "app/interactive_mode.h"

int RunInteractiveMode() {
    return 0;
}
