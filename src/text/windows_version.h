#pragma once

// True when the running Windows is at least major.minor with at least the given service
// pack, as the system's version verification decides.
bool IsWindowsVersionAtLeast(unsigned short major, unsigned short minor,
                             unsigned short servicePackMajor);
